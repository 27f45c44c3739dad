#include "cli/duration.h"

#include <array>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace tandrel::cli {
namespace {

constexpr std::int64_t kMaxMs = std::numeric_limits<std::int32_t>::max();

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Digits only, at most 10 of them (more could not fit a 32-bit count in any unit).
std::optional<std::int64_t> ReadWhole(std::string_view text) {
  if (!AllDigits(text) || text.size() > 10) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) value = value * 10 + (c - '0');
  return value;
}

// Seconds with up to three decimals, as milliseconds: "5", "05", "5.25".
std::optional<std::int64_t> ReadSeconds(std::string_view text) {
  const auto dot = text.find('.');
  const auto whole = ReadWhole(text.substr(0, dot));
  if (!whole) return std::nullopt;
  std::int64_t fraction = 0;
  if (dot != std::string_view::npos) {
    const auto decimals = text.substr(dot + 1);
    if (!AllDigits(decimals) || decimals.size() > 3) return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i) {
      fraction = fraction * 10 + (i < decimals.size() ? decimals[i] - '0' : 0);
    }
  }
  return *whole * 1000 + fraction;
}

std::vector<std::string_view> SplitAtColons(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t from = 0;
  for (;;) {
    const auto colon = text.find(':', from);
    fields.push_back(text.substr(from, colon - from));
    if (colon == std::string_view::npos) return fields;
    from = colon + 1;
  }
}

std::optional<std::int64_t> ReadClock(std::string_view text) {
  const auto fields = SplitAtColons(text);
  if (fields.size() > 3) return std::nullopt;
  // The seconds field: two digits before any decimals, below 60.
  const auto seconds = fields.back();
  const auto dot = seconds.find('.');
  if ((dot == std::string_view::npos ? seconds.size() : dot) != 2) return std::nullopt;
  const auto secondsMs = ReadSeconds(seconds);
  if (!secondsMs || *secondsMs >= 60000) return std::nullopt;
  std::int64_t minutes = 0;
  if (fields.size() == 3) {
    const auto hours = ReadWhole(fields[0]);
    const auto mins = fields[1].size() == 2 ? ReadWhole(fields[1]) : std::nullopt;
    if (!hours || !mins || *mins >= 60) return std::nullopt;
    minutes = *hours * 60 + *mins;
  } else {
    const auto mins = ReadWhole(fields[0]);
    if (!mins) return std::nullopt;
    minutes = *mins;
  }
  return minutes * 60000 + *secondsMs;
}

}  // namespace

std::optional<std::int32_t> ParseDuration(std::string_view text) {
  std::optional<std::int64_t> ms;
  if (text.ends_with("ms")) {
    ms = ReadWhole(text.substr(0, text.size() - 2));
  } else if (text.find(':') != std::string_view::npos) {
    ms = ReadClock(text);
  } else {
    if (text.ends_with('s')) text.remove_suffix(1);
    ms = ReadSeconds(text);
  }
  if (!ms || *ms > kMaxMs) return std::nullopt;
  return static_cast<std::int32_t>(*ms);
}

std::string FormatClock(std::int64_t ms) {
  const char* sign = ms < 0 ? "-" : "";
  const auto magnitude = ms < 0 ? -ms : ms;
  std::array<char, 48> text{};
  std::snprintf(
      text.data(), text.size(), "%s%lld:%02lld:%02lld.%03lld", sign,
      static_cast<long long>(magnitude / 3600000), static_cast<long long>(magnitude / 60000 % 60),
      static_cast<long long>(magnitude / 1000 % 60), static_cast<long long>(magnitude % 1000));
  return text.data();
}

}  // namespace tandrel::cli
