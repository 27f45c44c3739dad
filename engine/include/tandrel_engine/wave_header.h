#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "tandrel_engine/byte_io.h"

namespace tandrel {

// The canonical 44-byte WAVE header, little-endian:
//
//   0 "RIFF" | 4 RIFF size | 8 "WAVE" | 12 "fmt " | 16 fmt size (16) | 20 format tag (2)
//   22 channels (2) | 24 sample rate | 28 bytes per second | 32 block align (2)
//   34 bits per sample (2) | 36 "data" | 40 data size
//
// Every WAVE file the engine writes begins with exactly these 44 bytes, then the samples.
struct WaveHeader {
  static constexpr std::size_t kSize = 44;
  std::array<std::uint8_t, kSize> bytes{};
  // Where the sample data starts in the source (44 for a canonical file). Not part of the bytes.
  std::uint64_t dataOffset = kSize;

  std::uint16_t FormatTag() const { return Get16(20); }
  std::uint16_t Channels() const { return Get16(22); }
  std::uint32_t SampleRate() const { return Get32(24); }
  std::uint32_t BytesPerSecond() const { return Get32(28); }
  std::int16_t BlockAlign() const { return static_cast<std::int16_t>(Get16(32)); }
  std::uint16_t BitsPerSample() const { return Get16(34); }
  std::uint32_t DataSize() const { return Get32(40); }

  // The header of an output holding `dataSize` sample bytes: data size and RIFF size rewritten.
  WaveHeader WithDataSize(std::uint32_t dataSize) const;

  std::uint16_t Get16(std::size_t at) const;
  std::uint32_t Get32(std::size_t at) const;
  void Put16(std::size_t at, std::uint16_t v);
  void Put32(std::size_t at, std::uint32_t v);
};

// Reads a WAVE file's header and normalises it: the fmt fields of the source followed directly
// by the data chunk. The chunk list is walked from byte 12 (any number of chunks before and
// between "fmt " and "data", odd sizes followed by their pad byte); a data size running past the
// end of the source is clamped to it; a WAVE_FORMAT_EXTENSIBLE format becomes its plain sub-format
// tag, since a 16-byte fmt chunk cannot carry the extension.
// Returns 44 when a header was read. Anything less means there is no usable header: the count of
// bytes the source holds when it is shorter than 44, and 0 for a longer source that is no readable
// WAVE file (no RIFF/WAVE ids, an fmt chunk shorter than 16 bytes, no data chunk after it).
std::size_t ReadWaveHeader(ByteSource& source, WaveHeader& header);

// True when both headers describe the same format: all 44 bytes but the RIFF and data sizes.
bool SameWaveFormat(const WaveHeader& a, const WaveHeader& b);

}  // namespace tandrel
