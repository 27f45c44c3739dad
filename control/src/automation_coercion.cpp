#include "automation_coercion.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace tandrel {
namespace {

// What a number-like argument says before range checks: a whole number, or a mismatch.
struct Number {
  DispatchStatus status = DispatchStatus::Ok;
  double value = 0;
};

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads text as a decimal number (see the header for the accepted form); nullopt when it is none.
// The digits are gathered without their grouping commas and converted by from_chars, which does
// not depend on the process locale (a desktop program may have set a locale whose decimal mark is
// a comma).
std::optional<double> ParseNumber(std::string_view text) {
  std::size_t at = 0;
  const std::size_t end = text.size();
  while (at < end && IsBlank(text[at])) ++at;
  std::string clean;
  if (at < end && (text[at] == '+' || text[at] == '-')) {
    if (text[at] == '-') clean += '-';
    ++at;
  }
  bool anyDigit = false;
  while (at < end && (IsDigit(text[at]) || (text[at] == ',' && anyDigit))) {
    if (text[at] != ',') {
      clean += text[at];
      anyDigit = true;
    }
    ++at;
  }
  if (at < end && text[at] == '.') {
    clean += '.';
    ++at;
    while (at < end && IsDigit(text[at])) {
      clean += text[at++];
      anyDigit = true;
    }
  }
  if (!anyDigit) return std::nullopt;
  if (at < end && (text[at] == 'e' || text[at] == 'E')) {
    clean += 'e';
    ++at;
    if (at < end && (text[at] == '+' || text[at] == '-')) clean += text[at++];
    bool exponentDigit = false;
    while (at < end && IsDigit(text[at])) {
      clean += text[at++];
      exponentDigit = true;
    }
    if (!exponentDigit) return std::nullopt;
  }
  while (at < end && IsBlank(text[at])) ++at;
  if (at != end) return std::nullopt;

  double value = 0;
  const auto [ptr, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too large in magnitude is an overflow later; too small is simply zero.
    const auto e = clean.find('e');
    const bool negativeExponent =
        e != std::string::npos && e + 1 < clean.size() && clean[e + 1] == '-';
    return negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
  }
  if (ec != std::errc() || ptr != clean.data() + clean.size()) return std::nullopt;
  return value;
}

// Rounds half to even, independent of the floating-point environment's rounding mode.
double RoundHalfToEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

Number ToNumber(const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
      return {};
    case VarType::Short:
      return {DispatchStatus::Ok, static_cast<double>(value.ShortValue())};
    case VarType::Long:
      return {DispatchStatus::Ok, static_cast<double>(value.LongValue())};
    case VarType::Bool:
      return {DispatchStatus::Ok, value.BoolValue() ? -1.0 : 0.0};
    case VarType::Double:
      return {DispatchStatus::Ok, RoundHalfToEven(value.DoubleValue())};
    case VarType::String: {
      const auto parsed = ParseNumber(value.StringValue());
      if (!parsed) return {DispatchStatus::TypeMismatch, 0};
      return {DispatchStatus::Ok, RoundHalfToEven(*parsed)};
    }
    case VarType::Variant:
      break;
  }
  return {DispatchStatus::TypeMismatch, 0};
}

template <typename T>
DispatchStatus ToInteger(const Variant& value, Variant& out) {
  const Number number = ToNumber(value);
  if (number.status != DispatchStatus::Ok) return number.status;
  // NaN fails both comparisons and so counts as an overflow, as automation treats it.
  if (!(number.value >= std::numeric_limits<T>::min() &&
        number.value <= std::numeric_limits<T>::max())) {
    return DispatchStatus::Overflow;
  }
  out = Variant(static_cast<T>(number.value));
  return DispatchStatus::Ok;
}

std::string FormatDouble(double value) {
  std::array<char, 64> buffer{};
  const auto [ptr, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general,
                    std::numeric_limits<double>::digits10);
  std::string text(buffer.data(), ec == std::errc() ? ptr : buffer.data());
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

DispatchStatus ToText(const Variant& value, Variant& out) {
  switch (value.Type()) {
    case VarType::Empty:
      out = Variant(std::string());
      return DispatchStatus::Ok;
    case VarType::Short:
      out = Variant(std::to_string(value.ShortValue()));
      return DispatchStatus::Ok;
    case VarType::Long:
      out = Variant(std::to_string(value.LongValue()));
      return DispatchStatus::Ok;
    case VarType::Double:
      out = Variant(FormatDouble(value.DoubleValue()));
      return DispatchStatus::Ok;
    case VarType::Bool:
      out = Variant(std::string(value.BoolValue() ? "-1" : "0"));
      return DispatchStatus::Ok;
    case VarType::String:
      out = Variant(value.StringValue());
      return DispatchStatus::Ok;
    case VarType::Variant:
      break;
  }
  return DispatchStatus::TypeMismatch;
}

}  // namespace

DispatchStatus CoerceArgument(const Variant& arg, VarType target, Variant& out) {
  if (!arg.IsValidReference()) return DispatchStatus::TypeMismatch;
  const Variant value = arg.Deref();
  switch (target) {
    case VarType::Short:
      return ToInteger<std::int16_t>(value, out);
    case VarType::Long:
      return ToInteger<std::int32_t>(value, out);
    case VarType::String:
      return ToText(value, out);
    case VarType::Empty:
    case VarType::Double:
    case VarType::Bool:
    case VarType::Variant:
      break;
  }
  return DispatchStatus::TypeMismatch;
}

}  // namespace tandrel
