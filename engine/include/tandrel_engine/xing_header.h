#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tandrel {

// The info header that encoders write into the first frame of an MP3 stream: "Xing" (variable
// bit rate) or "Info" (constant bit rate, same layout). All numbers are big-endian.
//
//   frame header | side information | tag | flags | [frames] | [bytes] | [TOC 100] | [scale]
//   4 bytes      | 32, 17 or 9      | 4   | 4     |  4       |  4      |  100      |  4
struct XingInfo {
  static constexpr std::uint32_t kFramesFlag = 0x1;
  static constexpr std::uint32_t kBytesFlag = 0x2;
  static constexpr std::uint32_t kTocFlag = 0x4;
  static constexpr std::uint32_t kScaleFlag = 0x8;
  static constexpr std::size_t kTocSize = 100;

  int version = 0;  // 1 = MPEG-1
  std::uint32_t sampleRate = 0;
  std::uint32_t flags = 0;
  std::uint32_t frames = 0;
  std::uint32_t bytes = 0;
  std::uint8_t* toc = nullptr;  // the caller's 100 bytes, filled when supplied and present
  std::int32_t scale = -1;
  std::uint32_t tagOffset = 0;  // where "Xing"/"Info" starts in the frame

  bool HasFrames() const { return (flags & kFramesFlag) != 0; }
  bool HasBytes() const { return (flags & kBytesFlag) != 0; }
  bool HasToc() const { return (flags & kTocFlag) != 0; }
};

// Looks for an info header in `frame`, which begins with a frame header (no sync check). False
// when the tag is missing or when the flags promise a field that lies beyond `frame`.
bool ParseXingHeader(std::span<const std::uint8_t> frame, XingInfo& info);

// The Xing seek rule: the byte offset of `percent` (clamped to 0..100) of the stream.
std::uint32_t XingSeekPoint(const std::uint8_t toc[XingInfo::kTocSize], std::uint32_t byteCount,
                            float percent);

// Writes the flags after the tag at `tagOffset` of `frame`, then the frame count and the byte
// count where their flags are set, then the scale (-1 when its flag is clear: the slot is written
// either way, as the info frame of a piece carries it). `frame` must hold tagOffset + 20 bytes.
void WriteXingFields(std::span<std::uint8_t> frame, std::uint32_t tagOffset, std::uint32_t flags,
                     std::uint32_t frames, std::uint32_t bytes, std::int32_t scale);

// The info frame that starts a piece: the source's info frame up to its tag (`sourceFrame`, at
// least tagOffset + 4 bytes: header, side information, tag), then flags (the source's scale flag,
// always the frame count, the byte count when it fits 32 bits, never the table of contents),
// `frameCount`, the byte count (`audioBytes` plus this frame) and the source's scale; zeros up to
// the length its own header gives. Where that length cannot hold the fields (the lowest MPEG-2
// bitrates), the header takes the smallest bitrate index whose frame holds them, so the frame
// stays a valid frame.
std::vector<std::uint8_t> BuildInfoFrame(std::span<const std::uint8_t> sourceFrame,
                                         const XingInfo& source, std::uint32_t frameCount,
                                         std::uint64_t audioBytes);

}  // namespace tandrel
