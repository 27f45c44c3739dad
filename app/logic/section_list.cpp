#include "logic/section_list.h"

#include <QStringList>

#include "logic/number_mask.h"
#include "logic/path_routines.h"

namespace trevasso::logic {

using namespace Qt::StringLiterals;

namespace {

QString PlainMilliseconds(const QString& cell, const QLocale& locale) {
  return FormatPlain(ParseGrouped(cell, locale).value_or(0));
}

}  // namespace

QString BuildSectionList(const std::vector<TaskRow>& rows, const QLocale& locale) {
  QStringList entries;
  entries.reserve(static_cast<qsizetype>(rows.size()));
  for (const TaskRow& row : rows) {
    entries.append(PlainMilliseconds(row.startText, locale) + u';' +
                   PlainMilliseconds(row.endText, locale) + u';' + TrimBlanks(row.fileName));
  }
  return entries.join(u'|');
}

}  // namespace trevasso::logic
