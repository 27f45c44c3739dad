#include "cli/byte_size.h"

#include <array>
#include <cctype>
#include <string>
#include <utility>

namespace tandrel::cli {
namespace {

constexpr std::uint64_t kMaxSize = std::uint64_t{1} << 62;

std::optional<std::uint64_t> UnitFactor(std::string_view unit) {
  std::string lower;
  for (const char c : unit) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // As GNU split and dd read them: K, KiB and M, MiB ... count in 1024s; KB, MB, GB in 1000s.
  static constexpr std::array<std::pair<std::string_view, std::uint64_t>, 11> kUnits{{
      {"", 1},
      {"b", 1},
      {"k", 1024},
      {"kib", 1024},
      {"kb", 1000},
      {"m", 1024 * 1024},
      {"mib", 1024 * 1024},
      {"mb", 1000 * 1000},
      {"g", 1024 * 1024 * 1024},
      {"gib", 1024 * 1024 * 1024},
      {"gb", 1000 * 1000 * 1000},
  }};
  for (const auto& [name, factor] : kUnits) {
    if (lower == name) return factor;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> ParseByteSize(std::string_view text) {
  std::size_t pos = 0;
  std::uint64_t whole = 0;
  std::size_t wholeDigits = 0;
  for (; pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); ++pos) {
    if (++wholeDigits > 19) return std::nullopt;
    whole = whole * 10 + static_cast<std::uint64_t>(text[pos] - '0');
  }
  // Up to nine decimals: numerator / denominator of the fraction.
  std::uint64_t numerator = 0;
  std::uint64_t denominator = 1;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    const auto first = pos;
    for (; pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); ++pos) {
      if (pos - first >= 9) return std::nullopt;
      numerator = numerator * 10 + static_cast<std::uint64_t>(text[pos] - '0');
      denominator *= 10;
    }
    if (pos == first) return std::nullopt;
  }
  if (wholeDigits == 0 && denominator == 1) return std::nullopt;
  if (pos < text.size() && text[pos] == ' ') ++pos;
  const auto factor = UnitFactor(text.substr(pos));
  if (!factor) return std::nullopt;
  if (whole > kMaxSize / *factor) return std::nullopt;
  // numerator < 10^9 and factor <= 2^30: the product stays below 2^60.
  const auto size = whole * *factor + numerator * *factor / denominator;
  if (size > kMaxSize) return std::nullopt;
  return size;
}

}  // namespace tandrel::cli
