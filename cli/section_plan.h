#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tandrel::cli {

class Timeline;

// The end of a section that runs to the end of the source.
inline constexpr std::int64_t kToEnd = -1;

// One piece of a time cut: from real `from` ms to real `to` ms of the source (kToEnd: to its
// end). `number`, `title` and `performer` name and tag the piece.
struct TimeSection {
  std::int64_t from = 0;
  std::int64_t to = kToEnd;
  int number = 0;
  std::string title;
  std::string performer;
  bool operator==(const TimeSection&) const = default;
};

// Pieces of `length` ms: 0 to L, L to 2L, ... as long as one starts before the end of the
// stream; the last one runs to the end, so no frame or sample is left out.
std::vector<TimeSection> FixedLengthSections(const Timeline& timeline, std::int64_t length);

// `parts` pieces of (nearly) equal length, the last one to the end. Nothing when the stream has
// fewer frames (or blocks) than parts.
std::vector<TimeSection> EqualSections(const Timeline& timeline, std::int32_t parts);

// "T1,T2,..." as cut points in ms: strictly increasing durations, the first above 0. Throws
// UsageError with the reason.
std::vector<std::int32_t> ParseCutPoints(std::string_view text);

// The pieces between cut points (real ms): 0 to T1, T1 to T2, ..., the last from Tk to the end.
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

// Fits a plan to its source: an end at or past the end of the stream becomes kToEnd. Returns
// why the plan cannot be cut (a section starting after the end, one shorter than a frame, a
// source too long for the engine's millisecond count), or nothing when it can.
std::string FitSections(const Timeline& timeline, std::vector<TimeSection>& sections);

// The section list of CutByTime: "start;end;path" per section in the engine's milliseconds,
// joined by '|'. `paths` holds one path per section.
std::string SectionList(const Timeline& timeline, std::span<const TimeSection> sections,
                        std::span<const std::string> paths);

}  // namespace tandrel::cli
