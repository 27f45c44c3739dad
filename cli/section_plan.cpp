#include "cli/section_plan.h"

#include <algorithm>
#include <limits>

#include "cli/duration.h"
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

std::vector<TimeSection> FixedLengthSections(std::int32_t playTime, std::int32_t length) {
  std::vector<TimeSection> sections;
  if (length <= 0) return sections;
  for (std::int64_t from = 0; from < playTime; from += length) {
    const auto start = static_cast<std::int32_t>(from + 1);
    const auto end = static_cast<std::int32_t>(std::min<std::int64_t>(from + length, playTime));
    if (start < end) sections.push_back({start, end, static_cast<int>(sections.size()) + 1, {}});
  }
  return sections;
}

std::vector<TimeSection> EqualSections(std::int32_t playTime, std::int32_t parts) {
  std::vector<TimeSection> sections;
  if (parts <= 0 || playTime < parts) return sections;
  for (std::int64_t k = 0; k < parts; ++k) {
    const auto start = static_cast<std::int32_t>(k * playTime / parts + 1);
    const auto end = static_cast<std::int32_t>((k + 1) * playTime / parts);
    sections.push_back({start, end, static_cast<int>(k) + 1, {}});
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
  std::int32_t from = 0;
  for (const auto point : points) {
    sections.push_back({from + 1, point, static_cast<int>(sections.size()) + 1, {}});
    from = point;
  }
  sections.push_back({from + 1, kToEnd, static_cast<int>(sections.size()) + 1, {}});
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
    sections.push_back(
        {span.from + 1, span.to.value_or(kToEnd), static_cast<int>(sections.size()) + 1, {}});
  }
  return sections;
}

std::string SectionList(std::span<const TimeSection> sections, std::span<const std::string> paths) {
  std::string list;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (i > 0) list += '|';
    list +=
        std::to_string(sections[i].start) + ';' + std::to_string(sections[i].end) + ';' + paths[i];
  }
  return list;
}

}  // namespace tandrel::cli
