#include "ui/list_views.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

#include "logic/number_mask.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

struct ColumnSpec {
  QString header;
  Qt::Alignment alignment;
  int width;
};

void SetUpList(QTreeWidget& list, const logic::LayoutScale& scale,
               const std::vector<ColumnSpec>& columns) {
  list.setColumnCount(static_cast<int>(columns.size()));
  list.setRootIsDecorated(false);
  list.setItemsExpandable(false);
  list.setUniformRowHeights(true);
  list.setAllColumnsShowFocus(true);
  list.setSelectionMode(QAbstractItemView::SingleSelection);
  list.setSelectionBehavior(QAbstractItemView::SelectRows);
  // The file name fills the rest of the row and loses the middle of a long path, so both the
  // folder it starts with and the name of the file stay in sight; the tooltip has it whole.
  list.header()->setStretchLastSection(true);
  list.setTextElideMode(Qt::ElideMiddle);
  list.header()->setSectionsMovable(false);
  QTreeWidgetItem* header = list.headerItem();
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    const ColumnSpec& column = columns[static_cast<std::size_t>(i)];
    header->setText(i, column.header);
    header->setTextAlignment(i, column.alignment | Qt::AlignVCenter);
  }
  // The design widths grow with the font, and never leave a header narrower than its caption.
  for (int i = 0; i + 1 < static_cast<int>(columns.size()); ++i) {
    const int design = scale.X(columns[static_cast<std::size_t>(i)].width);
    list.setColumnWidth(i, std::max(design, list.header()->sectionSizeHint(i)));
  }
}

}  // namespace

void SetUpTaskList(QTreeWidget& list, const logic::LayoutScale& scale) {
  SetUpList(list, scale, {{u"NO"_s, Qt::AlignLeft, 46},
                   {u"Unit"_s, Qt::AlignHCenter, 38},
                   {u"Start Time"_s, Qt::AlignRight, 76},
                   {u"End Time"_s, Qt::AlignRight, 72},
                   {u"File Name"_s, Qt::AlignLeft, 60}});
}

void SetUpJoinList(QTreeWidget& list, const logic::LayoutScale& scale) {
  SetUpList(list, scale, {{u"NO"_s, Qt::AlignLeft, 46},
                   {u"Play Time (MS)"_s, Qt::AlignRight, 94},
                   {u"File Size (Bytes)"_s, Qt::AlignRight, 104},
                   {u"File Name"_s, Qt::AlignLeft, 60}});
}

QTreeWidgetItem* AppendRow(QTreeWidget& list, const QStringList& texts) {
  auto* item = new QTreeWidgetItem(texts);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, Qt::Unchecked);
  const QTreeWidgetItem* header = list.headerItem();
  for (int i = 0; i < list.columnCount(); ++i) {
    item->setTextAlignment(i, Qt::Alignment(header->textAlignment(i)));
  }
  // Both lists end with the file name.
  const int fileName = list.columnCount() - 1;
  SetPath(*item, fileName, item->text(fileName));
  list.addTopLevelItem(item);
  return item;
}

void SetPath(QTreeWidgetItem& row, int column, const QString& path) {
  row.setText(column, path);
  row.setToolTip(column, path);
}

void AppendTaskRow(QTreeWidget& list, const logic::Section& section, const QLocale& locale) {
  AppendRow(list, {QString(), u"MS"_s, logic::FormatGrouped(section.start, locale),
                   logic::FormatGrouped(section.end, locale), QString()});
}

std::vector<logic::TaskRow> ReadTaskRows(const QTreeWidget& list) {
  std::vector<logic::TaskRow> rows;
  rows.reserve(static_cast<std::size_t>(list.topLevelItemCount()));
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list.topLevelItem(i);
    rows.push_back({item->text(kTaskStart), item->text(kTaskEnd), item->text(kTaskFileName)});
  }
  return rows;
}

QStringList ColumnTexts(const QTreeWidget& list, int column) {
  QStringList texts;
  for (int i = 0; i < list.topLevelItemCount(); ++i)
    texts.append(list.topLevelItem(i)->text(column));
  return texts;
}

void RemoveTickedRows(QTreeWidget& list) {
  for (int i = list.topLevelItemCount() - 1; i >= 0; --i) {
    if (list.topLevelItem(i)->checkState(0) == Qt::Checked) delete list.takeTopLevelItem(i);
  }
}

}  // namespace trevasso::ui
