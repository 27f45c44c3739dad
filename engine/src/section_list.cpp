#include "tandrel_engine/section_list.h"

#include <cstdint>
#include <limits>

namespace tandrel {

std::optional<std::vector<std::string>> SplitList(std::string_view list, std::int16_t count) {
  if (count < 1) return std::nullopt;
  std::vector<std::string> entries;
  std::size_t from = 0;
  for (;;) {
    const auto bar = list.find('|', from);
    if (entries.size() == static_cast<std::size_t>(count)) return std::nullopt;  // too many
    entries.emplace_back(list.substr(from, bar == std::string_view::npos ? bar : bar - from));
    if (bar == std::string_view::npos) break;
    from = bar + 1;
  }
  if (entries.size() != static_cast<std::size_t>(count)) return std::nullopt;
  return entries;
}

std::int32_t ReadLong(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

std::optional<std::vector<SectionRecord>> ParseSections(const std::vector<std::string>& entries) {
  std::vector<SectionRecord> sections;
  sections.reserve(entries.size());
  for (const auto& entry : entries) {
    const std::string_view text = entry;
    const auto first = text.find(';');
    if (first == std::string_view::npos) return std::nullopt;
    const auto second = text.find(';', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto third = text.find(';', second + 1);
    SectionRecord section;
    section.start = ReadLong(text.substr(0, first));
    section.end = ReadLong(text.substr(first + 1, second - first - 1));
    section.path = std::string(
        text.substr(second + 1, third == std::string_view::npos ? third : third - second - 1));
    sections.push_back(std::move(section));
  }
  return sections;
}

bool CheckSections(const std::vector<SectionRecord>& sections) {
  for (const auto& s : sections) {
    if (s.end != -1 && s.start > s.end) return false;
  }
  return true;
}

}  // namespace tandrel
