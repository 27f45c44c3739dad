#include "ui/list_views.h"

#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QTreeWidget>
#include <algorithm>

#include "logic/number_mask.h"
#include "ui/logic_edge.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

struct ColumnSpec {
  QString header;
  Qt::Alignment alignment;
  int width;  // drawn for the design font; unused for the last column, which takes the rest
  // For a column of numbers in place of `width`: the widest value it is drawn for. The column
  // is as wide as that value or its caption needs, whichever is more.
  double widest = -1;
};

// The lists' header: a caption's unit in parentheses ("Play Time (MS)") goes on a second line,
// so that a column of numbers is no wider than its numbers need.
class UnitBelowHeader final : public QHeaderView {
 public:
  explicit UnitBelowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    option->text = Shown(option->text);
    // The style would elide the caption as one line before breaking it.
    if (auto* header = qstyleoption_cast<QStyleOptionHeaderV2*>(option))
      header->textElideMode = Qt::ElideNone;
  }

  QSize sectionSizeFromContents(int logicalIndex) const override {
    const QSize oneLine = QHeaderView::sectionSizeFromContents(logicalIndex);
    const QString caption = model()->headerData(logicalIndex, orientation()).toString();
    const QFontMetrics metrics(font());
    return oneLine + metrics.size(0, Shown(caption)) - metrics.size(0, caption);
  }

 private:
  static QString Shown(const QString& caption) {
    const qsizetype unit = caption.lastIndexOf(u" ("_s);
    return unit > 0 ? caption.left(unit) + u'\n' + caption.mid(unit + 1) : caption;
  }
};

// The width a cell needs for `text`: the text and the style's margin on either side.
int CellWidth(const QTreeWidget& list, const QString& text) {
  const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
  return list.fontMetrics().horizontalAdvance(text) + 2 * margin;
}

void SetUpList(QTreeWidget& list, const logic::LayoutScale& scale,
               const std::vector<ColumnSpec>& columns) {
  list.setHeader(new UnitBelowHeader(&list));
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
  // The design widths grow with the font, the widest values are measured in it, and neither
  // leaves a header narrower than its caption.
  for (int i = 0; i + 1 < static_cast<int>(columns.size()); ++i) {
    const ColumnSpec& column = columns[static_cast<std::size_t>(i)];
    const int content = column.widest >= 0
                            ? CellWidth(list, FromUtf8(logic::FormatGrouped(
                                                  column.widest, PlatformFactsOf(list.locale()))))
                            : scale.X(column.width);
    list.setColumnWidth(i, std::max(content, list.header()->sectionSizeHint(i)));
  }
}

// Times up to 99,999,999 ms (over 27 hours) and sizes up to ten digits (every WAVE file) show
// whole; a longer value loses its middle digits.
constexpr double kWidestTime = 99'999'999;
constexpr double kWidestSize = 9'999'999'999;

}  // namespace

void SetUpTaskList(QTreeWidget& list, const logic::LayoutScale& scale) {
  SetUpList(list, scale,
            {{u"NO"_s, Qt::AlignLeft, 46},
             {u"Unit"_s, Qt::AlignHCenter, 38},
             {u"Start Time"_s, Qt::AlignRight, 0, kWidestTime},
             {u"End Time"_s, Qt::AlignRight, 0, kWidestTime},
             {u"File Name"_s, Qt::AlignLeft, 60}});
}

void SetUpJoinList(QTreeWidget& list, const logic::LayoutScale& scale) {
  SetUpList(list, scale,
            {{u"NO"_s, Qt::AlignLeft, 46},
             {u"Play Time (MS)"_s, Qt::AlignRight, 0, kWidestTime},
             {u"File Size (Bytes)"_s, Qt::AlignRight, 0, kWidestSize},
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
  const logic::PlatformFacts facts = PlatformFactsOf(locale);
  AppendRow(list, {QString(), u"MS"_s, FromUtf8(logic::FormatGrouped(section.start, facts)),
                   FromUtf8(logic::FormatGrouped(section.end, facts)), QString()});
}

std::vector<logic::TaskRow> ReadTaskRows(const QTreeWidget& list) {
  std::vector<logic::TaskRow> rows;
  rows.reserve(static_cast<std::size_t>(list.topLevelItemCount()));
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list.topLevelItem(i);
    rows.push_back({ToUtf8(item->text(kTaskStart)), ToUtf8(item->text(kTaskEnd)),
                    ToUtf8(item->text(kTaskFileName))});
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
