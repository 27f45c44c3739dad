#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tandrel {

// One MPEG audio frame header: the 4 bytes in file order read as a big-endian word.
//
//   AAAAAAAA AAABBCCD EEEEFFGH IIJJKLMM
//
//   A  31-20  sync, all ones (12 bits, so MPEG-2.5 never matches)
//   B  19     version: 1 = MPEG-1, 0 = MPEG-2   (bit 20 is the last sync bit)
//   C  18-17  layer: 01 = Layer III
//   D  16     protection: 0 = a 16-bit CRC follows the header
//   E  15-12  bitrate index (0 free format and 15 are refused)
//   F  11-10  sample-rate index (3 is reserved)
//   G  9      padding: one more byte in the frame
//   H  8      private
//   I  7-6    channel mode: 3 = single channel
//   J  5-4    mode extension
//   K,L,M     copyright, original, emphasis
class MpegHeader {
 public:
  struct Field {
    std::uint32_t mask;
    int shift;
  };
  // The one table of bit fields; every accessor goes through it.
  static constexpr Field kSync{0xFFF00000u, 20};
  static constexpr Field kVersion{0x00080000u, 19};
  static constexpr Field kLayer{0x00060000u, 17};
  static constexpr Field kProtection{0x00010000u, 16};
  static constexpr Field kBitrateIndex{0x0000F000u, 12};
  static constexpr Field kSampleRateIndex{0x00000C00u, 10};
  static constexpr Field kPadding{0x00000200u, 9};
  static constexpr Field kChannelMode{0x000000C0u, 6};

  // "Same stream" masks: a frame belongs to the stream of the reference when these bits agree
  // (sync and version; sample-rate index), and when both are or both are not single channel.
  static constexpr std::uint32_t kStreamMask = 0xFFF80000u | kSampleRateIndex.mask;
  static constexpr std::uint32_t kLayer3 = 1;
  static constexpr std::uint32_t kSingleChannel = 3;

  constexpr MpegHeader() = default;
  constexpr explicit MpegHeader(std::uint32_t word) : word_(word) {}

  // Reads the word from the first 4 bytes of `bytes` (which must hold at least 4).
  static MpegHeader FromBytes(std::span<const std::uint8_t> bytes);

  constexpr std::uint32_t Word() const { return word_; }
  constexpr std::uint32_t Get(Field f) const { return (word_ & f.mask) >> f.shift; }

  constexpr bool HasSync() const { return Get(kSync) == 0xFFF; }
  constexpr bool IsMpeg1() const { return Get(kVersion) == 1; }
  constexpr std::uint32_t Layer() const { return Get(kLayer); }
  constexpr bool HasCrc() const { return Get(kProtection) == 0; }
  constexpr std::uint32_t BitrateIndex() const { return Get(kBitrateIndex); }
  constexpr std::uint32_t SampleRateIndex() const { return Get(kSampleRateIndex); }
  constexpr bool IsPadded() const { return Get(kPadding) == 1; }
  constexpr std::uint32_t ChannelMode() const { return Get(kChannelMode); }
  constexpr bool IsSingleChannel() const { return ChannelMode() == kSingleChannel; }

  // A Layer III header the engine can measure: sync, layer III, bitrate index 1..14,
  // sample-rate index 0..2.
  bool IsAcceptable() const;
  // Bits per second from the Layer III row of the version; 0 for index 0 and 15.
  std::uint32_t Bitrate() const;
  // Hz by version and index; 1 for the reserved index so that nothing divides by zero.
  std::uint32_t SampleRate() const;
  // 144 * bitrate / rate, halved for MPEG-2, plus the padding byte. 0 when not acceptable.
  std::uint32_t FrameLength() const;
  // The whole milliseconds of one frame: 26, 24 or 36 by sample-rate index, for both versions.
  std::uint32_t MsPerFrame() const;
  // Offset of the info tag inside the frame: 4 header bytes plus the side information.
  std::uint32_t InfoTagOffset() const;

  // The same header with another bitrate index.
  MpegHeader WithBitrateIndex(std::uint32_t index) const;
  MpegHeader WithPadding(bool padded) const;

 private:
  std::uint32_t word_ = 0;
};

// Whole milliseconds per Layer III frame by sample-rate index (index 3 counts as index 0).
std::uint32_t MsPerFrameForIndex(std::uint32_t sampleRateIndex);

}  // namespace tandrel
