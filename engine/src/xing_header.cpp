#include "tandrel_engine/xing_header.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "tandrel_engine/mpeg_header.h"

namespace tandrel {
namespace {

std::uint32_t GetBe32(std::span<const std::uint8_t> b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | std::uint32_t{b[at + 3]};
}

void PutBe32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 24);
  b[at + 1] = static_cast<std::uint8_t>(v >> 16);
  b[at + 2] = static_cast<std::uint8_t>(v >> 8);
  b[at + 3] = static_cast<std::uint8_t>(v);
}

constexpr std::uint32_t kXingSampleRates[4] = {44100, 48000, 32000, 99999};

}  // namespace

bool ParseXingHeader(std::span<const std::uint8_t> frame, XingInfo& info) {
  if (frame.size() < 4) return false;
  const auto header = MpegHeader::FromBytes(frame);
  const std::size_t tag = header.InfoTagOffset();
  if (frame.size() < tag + 8) return false;
  // "Xing" marks variable-bit-rate streams; encoders mark constant-bit-rate ones "Info".
  if (std::memcmp(frame.data() + tag, "Xing", 4) != 0 &&
      std::memcmp(frame.data() + tag, "Info", 4) != 0)
    return false;

  XingInfo found;
  found.toc = info.toc;
  found.tagOffset = static_cast<std::uint32_t>(tag);
  found.version = header.IsMpeg1() ? 1 : 0;
  // Half the MPEG-1 rates for MPEG-2, a quarter for MPEG-2.5.
  found.sampleRate = kXingSampleRates[header.SampleRateIndex()] >> (header.IsMpeg1()    ? 0
                                                                    : header.IsMpeg25() ? 2
                                                                                        : 1);
  found.flags = GetBe32(frame, tag + 4);
  std::size_t at = tag + 8;
  // Each field is present only when its flag is set, and only trusted when all its bytes are.
  auto take = [&](std::size_t n) {
    if (frame.size() - at < n) return false;
    at += n;
    return true;
  };
  if (found.flags & XingInfo::kFramesFlag) {
    if (!take(4)) return false;
    found.frames = GetBe32(frame, at - 4);
  }
  if (found.flags & XingInfo::kBytesFlag) {
    if (!take(4)) return false;
    found.bytes = GetBe32(frame, at - 4);
  }
  if (found.flags & XingInfo::kTocFlag) {
    if (!take(XingInfo::kTocSize)) return false;
    if (found.toc)
      std::memcpy(found.toc, frame.data() + at - XingInfo::kTocSize, XingInfo::kTocSize);
  }
  if (found.flags & XingInfo::kScaleFlag) {
    if (!take(4)) return false;
    found.scale = static_cast<std::int32_t>(GetBe32(frame, at - 4));
  }
  info = found;
  return true;
}

std::uint32_t XingSeekPoint(const std::uint8_t toc[XingInfo::kTocSize], std::uint32_t byteCount,
                            float percent) {
  if (!(percent > 0.0f)) percent = 0.0f;  // also NaN
  if (percent > 100.0f) percent = 100.0f;
  const int a = std::min(static_cast<int>(percent), 99);
  const double fa = toc[a];
  const double fb = a == 99 ? 256.0 : toc[a + 1];
  const double offset = (fa + (fb - fa) * (percent - a)) * byteCount / 256.0;
  return static_cast<std::uint32_t>(offset);
}

void WriteXingFields(std::span<std::uint8_t> frame, std::uint32_t tagOffset, std::uint32_t flags,
                     std::uint32_t frames, std::uint32_t bytes, std::int32_t scale) {
  std::size_t at = tagOffset + 4;
  PutBe32(frame, at, flags);
  at += 4;
  if (flags & XingInfo::kFramesFlag) {
    PutBe32(frame, at, frames);
    at += 4;
  }
  if (flags & XingInfo::kBytesFlag) {
    PutBe32(frame, at, bytes);
    at += 4;
  }
  PutBe32(frame, at, static_cast<std::uint32_t>((flags & XingInfo::kScaleFlag) ? scale : -1));
}

std::vector<std::uint8_t> BuildInfoFrame(std::span<const std::uint8_t> sourceFrame,
                                         const XingInfo& source, std::uint32_t frameCount,
                                         std::uint64_t audioBytes) {
  if (sourceFrame.size() < 4) return {};
  const std::uint32_t fieldsEnd = source.tagOffset + 20;
  auto header = MpegHeader::FromBytes(sourceFrame);
  // The lowest MPEG-2 bitrates give frames too short for the fields; a valid frame needs the
  // length its header declares, so take the smallest bitrate that holds them.
  for (std::uint32_t index = header.BitrateIndex();
       header.FrameLength() < fieldsEnd && index < 14;) {
    header = header.WithBitrateIndex(++index);
  }
  const std::uint32_t length = std::max(header.FrameLength(), fieldsEnd);
  std::vector<std::uint8_t> frame(length, 0);
  const auto keep = std::min<std::size_t>(sourceFrame.size(), source.tagOffset + 4);
  std::copy_n(sourceFrame.begin(), keep, frame.begin());
  // No CRC: the fields sit right after the side information and nothing would match a CRC.
  const auto word = header.Word() | MpegHeader::kProtection.mask;
  MpegHeader(word).WriteTo(frame);
  // A stream of 4 GiB or more has no byte count a 32-bit field can hold: it is left out rather
  // than written wrapped, and readers measure the stream themselves.
  const std::uint64_t total = audioBytes + length;
  const bool fits = total <= std::numeric_limits<std::uint32_t>::max();
  const std::uint32_t flags = (source.flags & XingInfo::kScaleFlag) | XingInfo::kFramesFlag |
                              (fits ? XingInfo::kBytesFlag : 0);
  WriteXingFields(frame, source.tagOffset, flags, frameCount,
                  fits ? static_cast<std::uint32_t>(total) : 0, source.scale);
  return frame;
}

}  // namespace tandrel
