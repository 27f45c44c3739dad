#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tandrel::cli {

inline constexpr std::string_view kByteSizeForms = "bytes, or a number with K, KB, M, MB, G or GB";

// A size in bytes: a number, decimals allowed, then an optional unit in any letter case: B,
// K or KB (1024), M or MB (1024 K), G or GB (1024 M); KiB, MiB and GiB read the same. A blank may
// stand between number and unit. Fractions of a byte are dropped ("1.5K" is 1536, "0.1K" 102).
// Nothing when the text is no such size or the value exceeds 2^62.
std::optional<std::uint64_t> ParseByteSize(std::string_view text);

}  // namespace tandrel::cli
