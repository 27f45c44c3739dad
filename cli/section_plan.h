#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tandrel::cli {

// The end of a section that runs to the end of the source.
inline constexpr std::int32_t kToEnd = -1;

// One piece of a time cut as CutByTime takes it: start and end in 1-based inclusive
// milliseconds, so the piece covers the audio from start - 1 ms to end ms; end kToEnd runs to the
// end of the source. `number` and `title` name the piece.
struct TimeSection {
  std::int32_t start = 0;
  std::int32_t end = 0;
  int number = 0;
  std::string title;
  bool operator==(const TimeSection&) const = default;
};

// Pieces of `length` ms over `playTime` ms, as the desktop program lays them out: 1;L, L+1;2L,
// ... each end lowered to the play time, a piece kept only when its start lies before its end
// (so a last remainder of 1 ms is dropped). A length beyond the play time gives one piece 1;T.
std::vector<TimeSection> FixedLengthSections(std::int32_t playTime, std::int32_t length);

// `parts` pieces of (nearly) equal length over `playTime` ms, the last one ending at the play
// time. Nothing when there are fewer milliseconds than parts.
std::vector<TimeSection> EqualSections(std::int32_t playTime, std::int32_t parts);

// "T1,T2,..." as cut points in ms: strictly increasing durations, the first above 0. Throws
// UsageError with the reason.
std::vector<std::int32_t> ParseCutPoints(std::string_view text);

// The pieces between cut points: 0 to T1, T1 to T2, ..., the last from Tk to the end.
std::vector<TimeSection> CutPointSections(std::span<const std::int32_t> points);

// A stretch of time from `from` ms to `to` ms (to the end when there is no `to`).
struct TimeSpan {
  std::int32_t from = 0;
  std::optional<std::int32_t> to;
};

// "START-END" with durations on both sides; an empty START is 0, an empty END the end of the
// source. Throws UsageError when a side is no duration or the end is not after the start.
TimeSpan ParseTimeSpan(std::string_view text);

// One piece per span, numbered in order.
std::vector<TimeSection> SpanSections(std::span<const TimeSpan> spans);

// The section list of CutByTime: "start;end;path" per section, joined by '|'. `paths` holds one
// path per section.
std::string SectionList(std::span<const TimeSection> sections, std::span<const std::string> paths);

}  // namespace tandrel::cli
