#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tandrel {

// One MPEG audio frame header: the 4 bytes in file order read as a big-endian word.
//
//   AAAAAAAA AAABBCCD EEEEFFGH IIJJKLMM
//
//   A  31-21  sync, all ones (11 bits)
//   B  20-19  version: 11 = MPEG-1, 10 = MPEG-2, 00 = MPEG-2.5, 01 reserved
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
  static constexpr Field kSync{0xFFE00000u, 21};
  static constexpr Field kVersion{0x00180000u, 19};
  static constexpr Field kLayer{0x00060000u, 17};
  static constexpr Field kProtection{0x00010000u, 16};
  static constexpr Field kBitrateIndex{0x0000F000u, 12};
  static constexpr Field kSampleRateIndex{0x00000C00u, 10};
  static constexpr Field kPadding{0x00000200u, 9};
  static constexpr Field kChannelMode{0x000000C0u, 6};

  // "Same stream": two frames belong to one stream when these bits agree (sync, version, layer,
  // sample-rate index) and both are, or both are not, single channel. Bitrate, padding, CRC and
  // the stereo coding may change from frame to frame.
  static constexpr std::uint32_t kStreamMask =
      kSync.mask | kVersion.mask | kLayer.mask | kSampleRateIndex.mask;
  static constexpr std::uint32_t kMpeg1 = 3, kMpeg2 = 2, kMpeg25 = 0;
  static constexpr std::uint32_t kLayer3 = 1;
  static constexpr std::uint32_t kSingleChannel = 3;

  constexpr MpegHeader() = default;
  constexpr explicit MpegHeader(std::uint32_t word) : word_(word) {}

  // Reads the word from the first 4 bytes of `bytes` (which must hold at least 4).
  static MpegHeader FromBytes(std::span<const std::uint8_t> bytes) {
    return MpegHeader((std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                      (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]});
  }
  // The 4 bytes in file order; FromBytes(ToBytes()) gives the same header.
  std::array<std::uint8_t, 4> ToBytes() const;
  // Writes the 4 bytes over the start of `bytes` (which must hold at least 4).
  void WriteTo(std::span<std::uint8_t> bytes) const;

  constexpr std::uint32_t Word() const { return word_; }
  constexpr std::uint32_t Get(Field f) const { return (word_ & f.mask) >> f.shift; }

  constexpr bool HasSync() const { return Get(kSync) == 0x7FF; }
  constexpr std::uint32_t Version() const { return Get(kVersion); }
  constexpr bool IsMpeg1() const { return Version() == kMpeg1; }
  constexpr bool IsMpeg25() const { return Version() == kMpeg25; }
  constexpr std::uint32_t Layer() const { return Get(kLayer); }
  constexpr bool HasCrc() const { return Get(kProtection) == 0; }
  constexpr std::uint32_t BitrateIndex() const { return Get(kBitrateIndex); }
  constexpr std::uint32_t SampleRateIndex() const { return Get(kSampleRateIndex); }
  constexpr bool IsPadded() const { return Get(kPadding) == 1; }
  constexpr std::uint32_t ChannelMode() const { return Get(kChannelMode); }
  constexpr bool IsSingleChannel() const { return ChannelMode() == kSingleChannel; }

  // A Layer III header the engine can measure: sync, a version that is not reserved, layer III,
  // bitrate index 1..14, sample-rate index 0..2.
  constexpr bool IsAcceptable() const {
    return (word_ & (kSync.mask | kLayer.mask)) == (kSync.mask | (kLayer3 << kLayer.shift)) &&
           UnpaddedLength() != 0;
  }
  // Both acceptable and of one stream (see kStreamMask).
  constexpr bool SameStream(MpegHeader other) const {
    return IsAcceptable() && other.IsAcceptable() &&
           (word_ & kStreamMask) == (other.word_ & kStreamMask) &&
           IsSingleChannel() == other.IsSingleChannel();
  }
  // Bits per second: the MPEG-1 Layer III row, or the one row MPEG-2 and MPEG-2.5 share; 0 for
  // index 0 and 15.
  std::uint32_t Bitrate() const;
  // Hz by version and index; 1 for the reserved index so that nothing divides by zero.
  std::uint32_t SampleRate() const;
  // 1152 for MPEG-1, 576 for MPEG-2 and MPEG-2.5.
  std::uint32_t SamplesPerFrame() const;
  // Samples per frame / 8 * bitrate / rate, plus the padding byte. 0 when not acceptable.
  constexpr std::uint32_t FrameLength() const {
    return IsAcceptable() ? UnpaddedLength() + (IsPadded() ? 1 : 0) : 0;
  }
  // The whole milliseconds of one frame, truncated: 26, 24 or 36 by sample-rate index for
  // MPEG-1 and MPEG-2 (half the samples at half the rate), 52, 48 or 72 for MPEG-2.5.
  std::uint32_t MsPerFrame() const;
  // Offset of the info tag inside the frame: 4 header bytes plus the side information.
  std::uint32_t InfoTagOffset() const;

  // The same header with another bitrate index.
  MpegHeader WithBitrateIndex(std::uint32_t index) const;
  MpegHeader WithPadding(bool padded) const;

 private:
  // The frame length without padding by version, bitrate index and sample-rate index (0 where
  // any of them is refused), worked out once: the reader asks for it at every byte it tries.
  static constexpr std::array<std::uint16_t, 256> kUnpaddedLengths = [] {
    constexpr std::uint32_t kbps[2][16] = {
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG-2, 2.5
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
    };
    constexpr std::uint32_t hz[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    std::array<std::uint16_t, 256> lengths{};
    for (std::uint32_t version = 0; version < 4; ++version) {
      for (std::uint32_t bitrate = 1; bitrate < 15; ++bitrate) {
        for (std::uint32_t rate = 0; rate < 3; ++rate) {
          if (hz[version][rate] == 0) continue;
          const std::uint32_t samples = version == kMpeg1 ? 1152 : 576;
          const auto bps = kbps[version == kMpeg1 ? 1 : 0][bitrate] * 1000;
          lengths[version << 6 | bitrate << 2 | rate] =
              static_cast<std::uint16_t>(samples / 8 * bps / hz[version][rate]);
        }
      }
    }
    return lengths;
  }();
  constexpr std::uint32_t UnpaddedLength() const {
    return kUnpaddedLengths[Version() << 6 | BitrateIndex() << 2 | SampleRateIndex()];
  }

  std::uint32_t word_ = 0;
};

}  // namespace tandrel
