#include "logic/number_mask.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <system_error>

namespace trevasso::logic {

double RoundHalfEven(double value) {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction < 0.5) return lower;
  if (fraction > 0.5) return lower + 1;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

namespace {

// Digits of `magnitude` with `separator` between groups of three, counted from the right.
std::string GroupDigits(std::uint64_t magnitude, const std::string& separator) {
  const std::string digits = std::to_string(magnitude);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace

std::string FormatGrouped(double value, const PlatformFacts& facts) {
  const long long whole = std::llround(value);
  if (whole == 0) return {};
  const std::uint64_t magnitude =
      whole < 0 ? static_cast<std::uint64_t>(-(whole + 1)) + 1 : static_cast<std::uint64_t>(whole);
  const std::string text = GroupDigits(magnitude, facts.groupSeparator);
  return whole < 0 ? "-" + text : text;
}

std::string FormatTwoDecimals(double value, const PlatformFacts& facts) {
  const long long hundredths = std::llround(value * 100);
  const long long magnitude = hundredths < 0 ? -hundredths : hundredths;
  const long long whole = magnitude / 100;
  const long long fraction = magnitude % 100;
  std::string text = hundredths < 0 ? "-" : "";
  if (whole != 0) text += std::to_string(whole);
  text += facts.decimalPoint;
  if (fraction != 0) {
    if (fraction % 10 == 0) {
      text += std::to_string(fraction / 10);
    } else {
      if (fraction < 10) text += '0';
      text += std::to_string(fraction);
    }
  }
  return text;
}

namespace {

// `magnitude` (finite, above 0) in 15 significant digits, a tie rounded away from zero, written
// as printf's "%.15g" writes: trailing zeros dropped, and with an exponent of at least two digits
// below 1e-4 and from 1e15 on.
std::string SignificantDigits(double magnitude) {
  constexpr int kDigits = 15;
  // With 780 decimals every digit of a double is exact, so the rounding below sees the whole
  // remainder rather than an already rounded one.
  char buffer[800];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 780);
  const std::string_view exact(buffer, static_cast<std::size_t>(written.ptr - buffer));
  const std::size_t e = exact.find('e');
  std::string digits = std::string(1, exact[0]) + std::string(exact.substr(2, e - 2));
  int exponent = std::stoi(std::string(exact.substr(e + 1)));
  const bool up = digits[kDigits] >= '5';
  digits.resize(kDigits);
  if (up) {
    int i = kDigits - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
      digits[static_cast<std::size_t>(i--)] = '0';
    }
    if (i >= 0) {
      ++digits[static_cast<std::size_t>(i)];
    } else {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  if (exponent < -4 || exponent >= kDigits) {
    std::string text = digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    const std::string power = std::to_string(exponent < 0 ? -exponent : exponent);
    return text + (exponent < 0 ? "e-" : "e+") + (power.size() < 2 ? "0" : "") + power;
  }
  if (exponent < 0)
    return "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  const auto whole = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= whole) return digits + std::string(whole - digits.size(), '0');
  return digits.substr(0, whole) + "." + digits.substr(whole);
}

}  // namespace

std::string FormatPlain(double value) {
  if (value == std::trunc(value) && std::fabs(value) < 9.0e15) {
    return std::to_string(static_cast<long long>(value));
  }
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  return (value < 0 ? "-" : "") + SignificantDigits(std::fabs(value));
}

std::optional<double> ParseGrouped(const std::string& text, const PlatformFacts& facts) {
  std::string digits;
  const std::string& separator = facts.groupSeparator;
  for (std::size_t i = 0; i < text.size();) {
    if (!separator.empty() && text.compare(i, separator.size(), separator) == 0) {
      i += separator.size();
    } else {
      digits += text[i++];
    }
  }
  if (digits.empty()) return 0.0;
  bool negative = false;
  if (digits.front() == '-') {
    negative = true;
    digits.erase(0, 1);
  }
  if (digits.empty()) return std::nullopt;
  double value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

std::optional<double> ParseTypedNumber(const std::string& text) {
  int points = 0;
  int digits = 0;
  for (const char c : text) {
    if (c == '.') {
      ++points;
    } else if (c >= '0' && c <= '9') {
      ++digits;
    } else {
      return std::nullopt;
    }
  }
  if (points > 1 || digits == 0) return std::nullopt;
  double value = 0;
  const char* end = text.data() + text.size();
  const auto read = std::from_chars(text.data(), end, value, std::chars_format::fixed);
  if (read.ec != std::errc() || read.ptr != end) return std::nullopt;
  return value;
}

bool AcceptsTypedCharacter(char32_t c, bool allowPoint) {
  if (c >= U'0' && c <= U'9') return true;
  if (c == 8) return true;
  return allowPoint && c == U'.';
}

}  // namespace trevasso::logic
