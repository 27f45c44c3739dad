#include "cli/section_plan.h"

#include <algorithm>
#include <limits>

#include "cli/duration.h"
#include "cli/timeline.h"
#include "cli/usage_error.h"

namespace tandrel::cli {
namespace {

std::int32_t ReadDuration(std::string_view text, std::string_view what) {
  const auto ms = ParseDuration(text);
  if (!ms) {
    throw UsageError(std::string(what) + " '" + std::string(text) + "' is not a duration (" +
                     std::string(kDurationForms) + ")");
  }
  // One millisecond short of the largest count, so that the section after it can still start.
  if (*ms == std::numeric_limits<std::int32_t>::max()) {
    throw UsageError(std::string(what) + " '" + std::string(text) + "' is too long");
  }
  return *ms;
}

}  // namespace

std::vector<TimeSection> FixedLengthSections(const Timeline& timeline, std::int64_t length) {
  std::vector<TimeSection> sections;
  if (length <= 0) return sections;
  for (std::int64_t from = 0; timeline.UnitAt(from) < timeline.Units(); from += length) {
    sections.push_back({from, from + length, static_cast<int>(sections.size()) + 1, {}, {}});
  }
  if (!sections.empty()) sections.back().to = kToEnd;
  return sections;
}

std::vector<TimeSection> EqualSections(const Timeline& timeline, std::int32_t parts) {
  std::vector<TimeSection> sections;
  const auto units = timeline.Units();
  if (parts <= 0 || units < static_cast<std::uint64_t>(parts)) return sections;
  // MP3 splits its frames evenly; WAVE its milliseconds, as a block is far shorter than one.
  const auto boundary = [&](std::int64_t k) {
    return timeline.IsMp3() ? timeline.StartOf(k * units / parts) : k * timeline.LengthMs() / parts;
  };
  for (std::int64_t k = 0; k < parts; ++k) {
    sections.push_back(
        {boundary(k), k + 1 == parts ? kToEnd : boundary(k + 1), static_cast<int>(k) + 1, {}, {}});
  }
  return sections;
}

std::vector<std::int32_t> ParseCutPoints(std::string_view text) {
  std::vector<std::int32_t> points;
  std::size_t from = 0;
  for (;;) {
    const auto comma = text.find(',', from);
    const auto field = text.substr(from, comma - from);
    const auto ms = ReadDuration(field, "cut point");
    if (points.empty() && ms == 0) throw UsageError("a cut point at 0 leaves an empty first piece");
    if (!points.empty() && ms <= points.back()) {
      throw UsageError("cut points must increase: '" + std::string(field) + "' comes after " +
                       FormatClock(points.back()));
    }
    points.push_back(ms);
    if (comma == std::string_view::npos) return points;
    from = comma + 1;
  }
}

std::vector<TimeSection> CutPointSections(std::span<const std::int32_t> points) {
  std::vector<TimeSection> sections;
  std::int64_t from = 0;
  for (const auto point : points) {
    sections.push_back({from, point, static_cast<int>(sections.size()) + 1, {}, {}});
    from = point;
  }
  sections.push_back({from, kToEnd, static_cast<int>(sections.size()) + 1, {}, {}});
  return sections;
}

TimeSpan ParseTimeSpan(std::string_view text) {
  const auto dash = text.find('-');
  if (dash == std::string_view::npos) {
    throw UsageError("'" + std::string(text) + "' is not START-END");
  }
  const auto start = text.substr(0, dash);
  const auto end = text.substr(dash + 1);
  TimeSpan span;
  if (!start.empty()) span.from = ReadDuration(start, "section start");
  if (!end.empty()) {
    span.to = ReadDuration(end, "section end");
    if (*span.to <= span.from) {
      throw UsageError("'" + std::string(text) + "' does not end after it starts");
    }
  }
  return span;
}

std::vector<TimeSection> SpanSections(std::span<const TimeSpan> spans) {
  std::vector<TimeSection> sections;
  for (const auto& span : spans) {
    sections.push_back({span.from,
                        span.to ? std::int64_t{*span.to} : kToEnd,
                        static_cast<int>(sections.size()) + 1,
                        {},
                        {}});
  }
  return sections;
}

std::string FitSections(const Timeline& timeline, std::vector<TimeSection>& sections) {
  const auto length = " (length " + FormatClock(timeline.LengthMs()) + ")";
  if (timeline.Units() == 0) return "no audio to cut";
  if (!timeline.FitsEngine()) return "too long for a time cut" + length;
  const char* unit = timeline.IsMp3() ? "frame" : "sample block";
  for (auto& s : sections) {
    const auto first = timeline.UnitAt(s.from);
    if (first >= timeline.Units()) {
      return "piece " + std::to_string(s.number) + " would start at " + FormatClock(s.from) +
             ", at or after the end" + length;
    }
    if (s.to != kToEnd && timeline.UnitAt(s.to) >= timeline.Units()) s.to = kToEnd;
    const auto last = s.to == kToEnd ? timeline.Units() : timeline.UnitAt(s.to);
    if (last <= first) {
      return "piece " + std::to_string(s.number) + " (" + FormatClock(s.from) + " to " +
             FormatClock(s.to) + ") is shorter than one " + unit;
    }
  }
  return {};
}

std::string SectionList(const Timeline& timeline, std::span<const TimeSection> sections,
                        std::span<const std::string> paths) {
  std::string list;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (i > 0) list += '|';
    list += std::to_string(timeline.EngineStart(sections[i].from)) + ';' +
            std::to_string(timeline.EngineEnd(sections[i].to)) + ';' + paths[i];
  }
  return list;
}

}  // namespace tandrel::cli
