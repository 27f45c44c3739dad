#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tandrel {

// One section of a time cut: 1-based inclusive milliseconds (end -1 = to the end) and the
// output path.
struct SectionRecord {
  std::int32_t start = 0;
  std::int32_t end = 0;
  std::string path;
};

// Splits a list at every '|': m separators give m + 1 entries, an empty list one empty entry.
// Nothing when the number of entries differs from `count` (also for a count below 1).
std::optional<std::vector<std::string>> SplitList(std::string_view list, std::int16_t count);

// Reads each entry as "start;end;path" (text after a third ';' is ignored). Times are read as
// the C library reads a long: leading blanks, a sign, digits up to the first other character,
// 0 without digits; values beyond 32 bits saturate. Nothing when an entry has fewer than three
// fields.
std::optional<std::vector<SectionRecord>> ParseSections(const std::vector<std::string>& entries);

// False when a section ends before it starts (end -1 runs to the end and always passes).
bool CheckSections(const std::vector<SectionRecord>& sections);

// The text-to-long reading of the section times, saturated to 32 bits.
std::int32_t ReadLong(std::string_view text);

}  // namespace tandrel
