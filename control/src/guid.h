#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tandrel {

// A 128-bit class or interface identifier in its binary layout: the first three groups are
// numbers (stored in the machine's byte order), the last two groups are eight plain bytes.
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
  bool operator==(const Guid&) const = default;
};

// Reads the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits in either case);
// nullopt for anything else. Usable in constant expressions, where `.value()` of a malformed
// text stops the compilation.
constexpr std::optional<Guid> ParseGuid(std::string_view text) {
  constexpr std::size_t kLength = 38;
  if (text.size() != kLength || text.front() != '{' || text.back() != '}') return std::nullopt;
  for (std::size_t dash : {9U, 14U, 19U, 24U}) {
    if (text[dash] != '-') return std::nullopt;
  }
  // The hex value of `count` digits from `at`, or -1 when one of them is not a hex digit.
  auto hex = [text](std::size_t at, std::size_t count) -> std::int64_t {
    std::int64_t value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
      const char c = text[i];
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (digit < 0) return -1;
      value = value * 16 + digit;
    }
    return value;
  };
  // Byte offsets of the eight bytes of data4: two in the fourth group, six in the fifth.
  constexpr std::array<std::size_t, 8> kData4At = {20, 22, 25, 27, 29, 31, 33, 35};
  const std::int64_t data1 = hex(1, 8);
  const std::int64_t data2 = hex(10, 4);
  const std::int64_t data3 = hex(15, 4);
  if (data1 < 0 || data2 < 0 || data3 < 0) return std::nullopt;
  Guid guid;
  guid.data1 = static_cast<std::uint32_t>(data1);
  guid.data2 = static_cast<std::uint16_t>(data2);
  guid.data3 = static_cast<std::uint16_t>(data3);
  for (std::size_t i = 0; i < kData4At.size(); ++i) {
    const std::int64_t byte = hex(kData4At[i], 2);
    if (byte < 0) return std::nullopt;
    guid.data4[i] = static_cast<std::uint8_t>(byte);
  }
  return guid;
}

}  // namespace tandrel
