#include "tandrel_engine/mp3_tags.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace tandrel {
namespace {

constexpr std::size_t kId3v1Size = 128;
constexpr std::size_t kId3v1ExtendedSize = 227;  // "TAG+" in front of an ID3v1 tag
constexpr std::size_t kApeFooterSize = 32;
constexpr std::uint32_t kApeHasHeader = 0x80000000u;
constexpr std::size_t kLyrics3v1MaxSize = 5100 + 11 + 9;  // lyrics, "LYRICSBEGIN", "LYRICSEND"
constexpr int kMaxStackedTags = 16;

bool Starts(std::span<const std::uint8_t> b, const char* id) {
  const auto n = std::strlen(id);
  return b.size() >= n && std::memcmp(b.data(), id, n) == 0;
}

std::uint32_t Le32(const std::uint8_t* b) {
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

// The bytes [end - n, end) of the source, or fewer when they lie before `floor`.
std::vector<std::uint8_t> Tail(ByteSource& source, std::uint64_t floor, std::uint64_t end,
                               std::size_t n) {
  const auto from = end - std::min<std::uint64_t>(n, end - floor);
  std::vector<std::uint8_t> b(static_cast<std::size_t>(end - from));
  b.resize(source.ReadAt(from, b));
  return b;
}

// The size of the tag that ends at `end`, or 0 when none does.
std::uint64_t TrailingTagSize(ByteSource& source, std::uint64_t floor, std::uint64_t end) {
  const auto room = end - floor;
  const auto last = Tail(source, floor, end, kId3v1Size);
  if (last.size() < 10) return 0;

  if (last.size() == kId3v1Size && Starts(last, "TAG")) {
    const auto extended = kId3v1Size + kId3v1ExtendedSize;
    if (room >= extended &&
        Starts(Tail(source, floor, end - kId3v1Size, kId3v1ExtendedSize), "TAG+"))
      return extended;
    return kId3v1Size;
  }

  const std::span<const std::uint8_t> tail(last);
  if (tail.size() >= kApeFooterSize) {
    const auto footer = tail.last(kApeFooterSize);
    // "APETAGEX", version, size of the items and this footer, item count, flags, reserved.
    if (Starts(footer, "APETAGEX")) {
      const std::uint64_t size = Le32(footer.data() + 12);
      const std::uint64_t total = size + ((Le32(footer.data() + 20) & kApeHasHeader) ? 32 : 0);
      if (size >= kApeFooterSize && total <= room) return total;
    }
  }

  // Lyrics3 v2: "LYRICSBEGIN" ... six decimal digits giving the size up to them, "LYRICS200".
  if (Starts(tail.last(9), "LYRICS200") && tail.size() >= 15) {
    const auto digits = tail.last(15).first(6);
    std::uint64_t size = 0;
    bool number = true;
    for (const auto d : digits) {
      number = number && d >= '0' && d <= '9';
      size = size * 10 + (d - '0');
    }
    if (number && size >= 11 && size + 15 <= room &&
        Starts(Tail(source, floor, end - 15 - size + 11, 11), "LYRICSBEGIN"))
      return size + 15;
  }
  // Lyrics3 v1: "LYRICSBEGIN" ... "LYRICSEND", at most 5100 bytes of lyrics.
  if (Starts(tail.last(9), "LYRICSEND")) {
    const auto block = Tail(source, floor, end, kLyrics3v1MaxSize);
    const char begin[] = "LYRICSBEGIN";
    const auto at = std::search(block.begin(), block.end(), begin, begin + 11);
    if (at != block.end()) return static_cast<std::uint64_t>(block.end() - at);
  }

  // An ID3v2 tag appended at the end carries a footer: "3DI", version, flags, sync-safe size.
  const auto footer = tail.last(10);
  if (Starts(footer, "3DI") && footer[3] != 0xFF && footer[4] != 0xFF &&
      ((footer[6] | footer[7] | footer[8] | footer[9]) & 0x80) == 0) {
    const std::uint64_t body = (std::uint64_t{footer[6]} << 21) | (std::uint64_t{footer[7]} << 14) |
                               (std::uint64_t{footer[8]} << 7) | std::uint64_t{footer[9]};
    const auto total = body + 20;
    if (total <= room && Starts(Tail(source, floor, end - total + 3, 3), "ID3")) return total;
  }
  return 0;
}

}  // namespace

std::uint64_t Id3v2TagSize(std::span<const std::uint8_t> b) {
  // "ID3" major minor flags size(4 x 7 bits, big-endian); a footer of 10 more bytes when flag 0x10.
  if (b.size() < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3' || b[3] == 0xFF || b[4] == 0xFF)
    return 0;
  if ((b[6] | b[7] | b[8] | b[9]) & 0x80) return 0;
  const std::uint64_t body = (std::uint64_t{b[6]} << 21) | (std::uint64_t{b[7]} << 14) |
                             (std::uint64_t{b[8]} << 7) | std::uint64_t{b[9]};
  return 10 + body + ((b[5] & 0x10) ? 10 : 0);
}

std::uint64_t FindAudioStart(ByteSource& source) {
  std::uint64_t pos = 0;
  // Some taggers prepend a new tag in front of an old one; follow a few.
  for (int i = 0; i < kMaxStackedTags; ++i) {
    std::array<std::uint8_t, 10> head{};
    if (source.ReadAt(pos, head) < head.size()) break;
    const auto tag = Id3v2TagSize(head);
    if (tag == 0 || tag > source.Size() - pos) break;
    pos += tag;
  }
  return pos;
}

std::uint64_t FindAudioEnd(ByteSource& source, std::uint64_t audioStart) {
  std::uint64_t end = std::max(source.Size(), audioStart);
  for (int i = 0; i < kMaxStackedTags; ++i) {
    const auto tag = TrailingTagSize(source, audioStart, end);
    if (tag == 0) break;
    end -= tag;
  }
  return end;
}

}  // namespace tandrel
