#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "logic/platform_facts.h"

namespace trevasso::logic {

// One row of the section list as the window shows it: start and end in milliseconds with
// thousands grouping, and the output path.
struct TaskRow {
  std::string startText;
  std::string endText;
  std::string fileName;
};

// The section list the engine cuts by: "start;end;file" for each row in order, joined by "|",
// start and end as plain digits ("61,234" becomes "61234"), the file trimmed of blanks.
// Example: "1;60000;/out/Song_001.mp3|60001;120000;/out/Song_002.mp3".
std::string BuildSectionList(const std::vector<TaskRow>& rows, const PlatformFacts& facts);

// The most sections one cut can take: the count travels as a 16-bit number.
inline constexpr std::size_t kMaxSections = 32767;

}  // namespace trevasso::logic
