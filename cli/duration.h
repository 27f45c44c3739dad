#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tandrel::cli {

// The forms a duration may take on the command line, for messages and help.
inline constexpr std::string_view kDurationForms = "1500ms, 90, 90s, 1:30, 1:02:03.500";

// A duration in whole milliseconds: "1500ms"; "90", "90s" or "90.25" (seconds, up to three
// decimals); "1:30" (minutes:seconds); "1:02:03.500" (hours:minutes:seconds). After a colon the
// minutes and seconds have two digits and stay below 60; the first field is not bounded.
// Nothing when the text is none of these or the value does not fit a 32-bit millisecond count.
std::optional<std::int32_t> ParseDuration(std::string_view text);

// "h:mm:ss.mmm", hours not padded: 0:00:02.002, 10:00:00.000. Negative values give "-" first.
std::string FormatClock(std::int64_t ms);

}  // namespace tandrel::cli
