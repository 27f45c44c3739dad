#include "logic/section_list.h"

#include "logic/number_mask.h"
#include "logic/path_routines.h"

namespace trevasso::logic {

namespace {

std::string PlainMilliseconds(const std::string& cell, const PlatformFacts& facts) {
  return FormatPlain(ParseGrouped(cell, facts).value_or(0));
}

}  // namespace

std::string BuildSectionList(const std::vector<TaskRow>& rows, const PlatformFacts& facts) {
  std::string list;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TaskRow& row = rows[i];
    if (i > 0) list += '|';
    list += PlainMilliseconds(row.startText, facts) + ';' + PlainMilliseconds(row.endText, facts) +
            ';' + TrimBlanks(row.fileName);
  }
  return list;
}

}  // namespace trevasso::logic
