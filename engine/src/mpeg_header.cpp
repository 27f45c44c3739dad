#include "tandrel/mpeg_header.h"

namespace tandrel {
namespace {

// Layer III rows of the bitrate tables, kbit/s, by bitrate index (0 and 15 are never used).
constexpr std::uint32_t kBitratesKbps[2][16] = {
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG-2
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
};

// Hz by version and sample-rate index; the reserved index holds 1 so nothing divides by zero.
constexpr std::uint32_t kSampleRates[2][4] = {
    {22050, 24000, 16000, 1},
    {44100, 48000, 32000, 1},
};

// 1152 samples at the MPEG-1 rates (MPEG-2 frames hold half the samples at half the rate),
// whole part only: the engine measures every time in these units.
constexpr std::uint32_t kMsPerFrame[4] = {26, 24, 36, 26};

}  // namespace

MpegHeader MpegHeader::FromBytes(std::span<const std::uint8_t> b) {
  return MpegHeader((std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                    (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]});
}

bool MpegHeader::IsAcceptable() const {
  const auto bitrate = BitrateIndex();
  return HasSync() && Layer() == kLayer3 && bitrate != 0 && bitrate != 15 && SampleRateIndex() != 3;
}

std::uint32_t MpegHeader::Bitrate() const {
  return kBitratesKbps[IsMpeg1() ? 1 : 0][BitrateIndex()] * 1000;
}

std::uint32_t MpegHeader::SampleRate() const {
  return kSampleRates[IsMpeg1() ? 1 : 0][SampleRateIndex()];
}

std::uint32_t MpegHeader::FrameLength() const {
  if (!IsAcceptable()) return 0;
  std::uint32_t length = 144 * Bitrate() / SampleRate();
  if (!IsMpeg1()) length >>= 1;
  return length + (IsPadded() ? 1 : 0);
}

std::uint32_t MpegHeader::MsPerFrame() const {
  return kMsPerFrame[SampleRateIndex()];
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

std::uint32_t MsPerFrameForIndex(std::uint32_t sampleRateIndex) {
  return kMsPerFrame[sampleRateIndex & 3];
}

}  // namespace tandrel
