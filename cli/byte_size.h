#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tandrel::cli {

inline constexpr std::string_view kByteSizeForms =
    "bytes, or a number with K, KiB, KB, M, MiB, MB, G, GiB or GB";

// A size in bytes: a number, decimals allowed, then an optional unit in any letter case, as GNU
// split reads them: B; K or KiB (1024), M or MiB (1024 K), G or GiB (1024 M); KB (1000), MB
// (1000 KB), GB (1000 MB). A blank may stand between number and unit. Fractions of a byte are
// dropped ("1.5K" is 1536, "0.1K" 102). Nothing when the text is no such size or the value
// exceeds 2^62.
std::optional<std::uint64_t> ParseByteSize(std::string_view text);

}  // namespace tandrel::cli
