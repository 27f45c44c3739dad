#pragma once

#include <QLocale>
#include <QStringList>
#include <vector>

#include "logic/add_sections.h"
#include "logic/layout_scale.h"
#include "logic/section_list.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace trevasso::ui {

// Columns of the section list lvwTask.
enum TaskColumn { kTaskNo = 0, kTaskUnit, kTaskStart, kTaskEnd, kTaskFileName };
// Columns of the join list lvwJoin.
enum JoinColumn { kJoinNo = 0, kJoinPlayTime, kJoinFileSize, kJoinFileName };

// Headers, alignments and widths of the two lists: report view, one check box per row, one
// selected row at a time, the number and unit columns drawn for the design font grown by
// `scale`, the columns of times and sizes as wide as their widest values (a caption's unit in
// parentheses on a second header line), and the file name in the remaining width.
void SetUpTaskList(QTreeWidget& list, const logic::LayoutScale& scale);
void SetUpJoinList(QTreeWidget& list, const logic::LayoutScale& scale);

// Writes a path into a row's cell, and the whole of it into the cell's tooltip, since the column
// may show only its ends.
void SetPath(QTreeWidgetItem& row, int column, const QString& path);

// Appends a section row: no number yet, "MS", start and end in the number mask, no file name.
void AppendTaskRow(QTreeWidget& list, const logic::Section& section, const QLocale& locale);

// Appends a row with these column texts and a clear check box, aligned as the list's headers.
QTreeWidgetItem* AppendRow(QTreeWidget& list, const QStringList& texts);

// Start, end and file name of every section row, top to bottom.
std::vector<logic::TaskRow> ReadTaskRows(const QTreeWidget& list);

// Column `column` of every row, top to bottom.
QStringList ColumnTexts(const QTreeWidget& list, int column);

// Removes every ticked row, from the last to the first.
void RemoveTickedRows(QTreeWidget& list);

}  // namespace trevasso::ui
