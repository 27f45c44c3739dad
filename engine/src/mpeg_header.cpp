#include "tandrel_engine/mpeg_header.h"

namespace tandrel {
namespace {

// Layer III rows of the bitrate tables, kbit/s, by bitrate index (0 and 15 are never used).
constexpr std::uint32_t kBitratesKbps[2][16] = {
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG-2, 2.5
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
};

// Hz by version field and sample-rate index; the reserved entries hold 1 so nothing divides by
// zero.
constexpr std::uint32_t kSampleRates[4][4] = {
    {11025, 12000, 8000, 1},   // 00 MPEG-2.5
    {1, 1, 1, 1},              // 01 reserved
    {22050, 24000, 16000, 1},  // 10 MPEG-2
    {44100, 48000, 32000, 1},  // 11 MPEG-1
};

// Whole milliseconds of a frame by sample-rate index: 1152 samples at the MPEG-1 rates (MPEG-2
// frames hold half the samples at half the rate), and 576 samples at the MPEG-2.5 rates. The
// engine measures every MP3 time in these units.
constexpr std::uint32_t kMsPerFrame[4] = {26, 24, 36, 26};
constexpr std::uint32_t kMsPerFrame25[4] = {52, 48, 72, 52};

}  // namespace

std::array<std::uint8_t, 4> MpegHeader::ToBytes() const {
  return {static_cast<std::uint8_t>(word_ >> 24), static_cast<std::uint8_t>(word_ >> 16),
          static_cast<std::uint8_t>(word_ >> 8), static_cast<std::uint8_t>(word_)};
}

void MpegHeader::WriteTo(std::span<std::uint8_t> bytes) const {
  const auto b = ToBytes();
  for (std::size_t i = 0; i < b.size(); ++i) bytes[i] = b[i];
}

std::uint32_t MpegHeader::Bitrate() const {
  return kBitratesKbps[IsMpeg1() ? 1 : 0][BitrateIndex()] * 1000;
}

std::uint32_t MpegHeader::SampleRate() const {
  return kSampleRates[Version()][SampleRateIndex()];
}

std::uint32_t MpegHeader::SamplesPerFrame() const {
  return IsMpeg1() ? 1152 : 576;
}

std::uint32_t MpegHeader::MsPerFrame() const {
  return (IsMpeg25() ? kMsPerFrame25 : kMsPerFrame)[SampleRateIndex()];
}

std::uint32_t MpegHeader::InfoTagOffset() const {
  if (IsMpeg1()) return IsSingleChannel() ? 4 + 17 : 4 + 32;
  return IsSingleChannel() ? 4 + 9 : 4 + 17;
}

MpegHeader MpegHeader::WithBitrateIndex(std::uint32_t index) const {
  return MpegHeader((word_ & ~kBitrateIndex.mask) |
                    ((index << kBitrateIndex.shift) & kBitrateIndex.mask));
}

MpegHeader MpegHeader::WithPadding(bool padded) const {
  return MpegHeader((word_ & ~kPadding.mask) | (padded ? kPadding.mask : 0));
}

}  // namespace tandrel
