// Parses arbitrary bytes as the first frame of an MP3 stream. The last 4 bytes of the input are
// a seek percentage (a float in host order), the rest is the frame. When an info header is
// found, the info frame built from it must parse back to the counts it was built with.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "tandrel_engine/mpeg_header.h"
#include "tandrel_engine/xing_header.h"

using tandrel::MpegHeader;
using tandrel::XingInfo;

namespace {

constexpr std::uint8_t kUntouched = 0xA5;

bool HasTag(std::span<const std::uint8_t> frame, std::uint32_t at) {
  return std::memcmp(frame.data() + at, "Xing", 4) == 0 ||
         std::memcmp(frame.data() + at, "Info", 4) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  float percent;
  std::memcpy(&percent, data + size - 4, sizeof percent);
  const std::vector<std::uint8_t> frame(data, data + size - 4);

  std::uint8_t toc[XingInfo::kTocSize];
  std::memset(toc, kUntouched, sizeof toc);
  XingInfo info;
  info.toc = toc;
  if (!tandrel::ParseXingHeader(frame, info)) return 0;

  // The tag lies where the header's side information ends, and every promised field is inside.
  const auto header = MpegHeader::FromBytes(frame);
  FUZZ_CHECK(info.tagOffset == header.InfoTagOffset() && HasTag(frame, info.tagOffset));
  std::size_t fieldsEnd = info.tagOffset + 8;
  for (const auto& [flag, n] : {std::pair{XingInfo::kFramesFlag, 4u},
                                {XingInfo::kBytesFlag, 4u},
                                {XingInfo::kTocFlag, 100u},
                                {XingInfo::kScaleFlag, 4u}}) {
    if (info.flags & flag) fieldsEnd += n;
  }
  FUZZ_CHECK(fieldsEnd <= frame.size());
  FUZZ_CHECK(info.version == (header.IsMpeg1() ? 1 : 0));
  FUZZ_CHECK((info.flags & XingInfo::kScaleFlag) || info.scale == -1);
  if (!info.HasToc()) {
    for (const auto b : toc) FUZZ_CHECK(b == kUntouched);
  }

  // The seek rule interpolates between two entries of at most 256/256: never past the stream,
  // and 100 % is exactly the whole stream.
  if (info.HasToc()) {
    FUZZ_CHECK(tandrel::XingSeekPoint(toc, info.bytes, percent) <= info.bytes);
    FUZZ_CHECK(tandrel::XingSeekPoint(toc, info.bytes, 100.0f) == info.bytes);
  }

  // Round trip: the info frame of a piece holding `frames` frames of `bytes` bytes.
  const auto built = tandrel::BuildInfoFrame(frame, info, info.frames, info.bytes);
  FUZZ_CHECK(built.size() >= info.tagOffset + 20u);
  const auto builtHeader = MpegHeader::FromBytes(built);
  FUZZ_CHECK(!header.IsAcceptable() || builtHeader.FrameLength() == built.size());
  // Everything up to and including the tag is the source's, but for the bitrate index and the
  // CRC flag: no CRC could match the rewritten fields, so the frame carries none.
  const auto keep = ~(MpegHeader::kBitrateIndex.mask | MpegHeader::kProtection.mask);
  FUZZ_CHECK((builtHeader.Word() & keep) == (header.Word() & keep));
  FUZZ_CHECK(!builtHeader.HasCrc());
  FUZZ_CHECK(std::memcmp(built.data() + 4, frame.data() + 4, info.tagOffset) == 0);

  // A byte count past 4 GiB is left out rather than written wrapped.
  XingInfo again;
  FUZZ_CHECK(tandrel::ParseXingHeader(built, again));
  const std::uint64_t total = std::uint64_t{info.bytes} + built.size();
  const bool fits = total <= 0xFFFFFFFFu;
  const std::uint32_t expectedFlags = (info.flags & XingInfo::kScaleFlag) |
                                      XingInfo::kFramesFlag | (fits ? XingInfo::kBytesFlag : 0);
  FUZZ_CHECK(again.tagOffset == info.tagOffset && again.flags == expectedFlags);
  FUZZ_CHECK(again.frames == info.frames);
  FUZZ_CHECK(!fits || again.bytes == total);
  FUZZ_CHECK(again.scale == info.scale);
  return 0;
}
