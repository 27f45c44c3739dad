#include "ui/list_views.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "logic/number_mask.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

struct ColumnSpec {
  QString header;
  Qt::Alignment alignment;
  int width;
};

void SetUpList(QTreeWidget& list, const std::vector<ColumnSpec>& columns) {
  list.setColumnCount(static_cast<int>(columns.size()));
  list.setRootIsDecorated(false);
  list.setItemsExpandable(false);
  list.setUniformRowHeights(true);
  list.setAllColumnsShowFocus(true);
  list.setSelectionMode(QAbstractItemView::SingleSelection);
  list.setSelectionBehavior(QAbstractItemView::SelectRows);
  // The file name fills the rest of the row; a long path loses its folder end first, so the
  // name of the file stays in sight.
  list.header()->setStretchLastSection(true);
  list.setTextElideMode(Qt::ElideLeft);
  list.header()->setSectionsMovable(false);
  QTreeWidgetItem* header = list.headerItem();
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    const ColumnSpec& column = columns[static_cast<std::size_t>(i)];
    header->setText(i, column.header);
    header->setTextAlignment(i, column.alignment | Qt::AlignVCenter);
    list.setColumnWidth(i, column.width);
  }
}

}  // namespace

void SetUpTaskList(QTreeWidget& list) {
  SetUpList(list, {{u"NO"_s, Qt::AlignLeft, 46},
                   {u"Unit"_s, Qt::AlignHCenter, 38},
                   {u"Start Time"_s, Qt::AlignRight, 76},
                   {u"End Time"_s, Qt::AlignRight, 72},
                   {u"File Name"_s, Qt::AlignLeft, 60}});
}

void SetUpJoinList(QTreeWidget& list) {
  SetUpList(list, {{u"NO"_s, Qt::AlignLeft, 46},
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
  list.addTopLevelItem(item);
  return item;
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
