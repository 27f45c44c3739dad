#include "tandrel_engine/wave_header.h"

#include <algorithm>
#include <cstring>

namespace tandrel {
namespace {

constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// In an extensible fmt chunk the sub-format GUID starts 24 bytes into the chunk body; its first
// two bytes are the plain format tag (1 PCM, 3 IEEE float ...).
constexpr std::size_t kSubFormatOffset = 24;

bool IdIs(const std::uint8_t* at, const char* id) {
  return std::memcmp(at, id, 4) == 0;
}

std::uint32_t Le32(const std::uint8_t* b) {
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

}  // namespace

std::uint16_t WaveHeader::Get16(std::size_t at) const {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t WaveHeader::Get32(std::size_t at) const {
  return Le32(bytes.data() + at);
}

void WaveHeader::Put16(std::size_t at, std::uint16_t v) {
  bytes[at] = static_cast<std::uint8_t>(v);
  bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void WaveHeader::Put32(std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

WaveHeader WaveHeader::WithDataSize(std::uint32_t dataSize) const {
  WaveHeader out = *this;
  out.Put32(40, dataSize);
  out.Put32(4, dataSize + 36);
  return out;
}

std::size_t ReadWaveHeader(ByteSource& source, WaveHeader& header) {
  std::array<std::uint8_t, WaveHeader::kSize> first{};
  const auto got = source.ReadAt(0, first);
  if (got < first.size()) return got;
  if (!IdIs(&first[0], "RIFF") || !IdIs(&first[8], "WAVE")) return 0;

  const std::uint64_t size = source.Size();
  WaveHeader out;
  bool haveFmt = false;
  // Walk the chunk list: id (4), size (4, little-endian), body, a pad byte after an odd body.
  // Every offset is 64-bit and checked against the real file size.
  for (std::uint64_t pos = 12; size - pos >= 8;) {
    std::uint8_t chunk[8];
    if (source.ReadAt(pos, chunk) < sizeof chunk) return 0;
    const std::uint64_t body = Le32(chunk + 4);
    if (IdIs(chunk, "fmt ")) {
      if (body < 16) return 0;
      if (source.ReadAt(pos + 8, {out.bytes.data() + 20, 16}) < 16) return 0;
      if (out.FormatTag() == kFormatExtensible && body >= kSubFormatOffset + 2) {
        std::uint8_t sub[2];
        if (source.ReadAt(pos + 8 + kSubFormatOffset, sub) == 2) {
          out.Put16(20, static_cast<std::uint16_t>(sub[0] | (sub[1] << 8)));
        }
      }
      haveFmt = true;
    } else if (IdIs(chunk, "data")) {
      if (!haveFmt) return 0;
      out.dataOffset = pos + 8;
      // A data size past the end of the file (0xFFFFFFFF from writers that stream and never
      // come back to fill it in, or a file cut short) is clamped to what the file holds.
      // Only whole sample blocks are data: a half block copied into a piece or ahead of another
      // file's samples would shift every sample after it.
      std::uint64_t dataSize = std::min(body, size - out.dataOffset);
      const auto block = static_cast<std::uint16_t>(out.BlockAlign());
      if (block != 0) dataSize -= dataSize % block;
      std::memcpy(out.bytes.data(), "RIFF", 4);
      std::memcpy(out.bytes.data() + 8, "WAVEfmt ", 8);
      out.Put32(16, 16);
      std::memcpy(out.bytes.data() + 36, "data", 4);
      out = out.WithDataSize(static_cast<std::uint32_t>(dataSize));
      header = out;
      return WaveHeader::kSize;
    }
    const std::uint64_t next = pos + 8 + body + (body & 1);
    if (next > size) break;
    pos = next;
  }
  return 0;
}

bool SameWaveFormat(const WaveHeader& a, const WaveHeader& b) {
  auto x = a.bytes;
  auto y = b.bytes;
  std::memset(x.data() + 4, 0, 4);
  std::memset(y.data() + 4, 0, 4);
  std::memset(x.data() + 40, 0, 4);
  std::memset(y.data() + 40, 0, 4);
  return x == y;
}

}  // namespace tandrel
