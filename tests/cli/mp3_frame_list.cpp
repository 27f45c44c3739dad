#include "mp3_frame_list.h"

#include <cstring>

#include "fixtures/temp_dir.h"

namespace tandrel::cli {
namespace {

// kbit/s by bitrate index, Layer III: MPEG-1, then MPEG-2 and 2.5.
constexpr int kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
// Hz by sample-rate index, for MPEG-1; halved for MPEG-2, quartered for MPEG-2.5.
constexpr long kRates[3] = {44100, 48000, 32000};

}  // namespace

Mp3FrameList ListMp3Frames(const std::string& path) {
  Mp3FrameList list;
  const auto b = fixtures::ReadFile(path);
  std::size_t at = 0;
  if (b.size() >= 10 && std::memcmp(b.data(), "ID3", 3) == 0) {
    at = 10 + ((b[6] & 0x7Fu) << 21) + ((b[7] & 0x7Fu) << 14) + ((b[8] & 0x7Fu) << 7) +
         (b[9] & 0x7Fu) + ((b[5] & 0x10) ? 10 : 0);
  }
  std::size_t end = b.size();
  if (end >= at + 128 && std::memcmp(b.data() + end - 128, "TAG", 3) == 0) end -= 128;
  bool first = true;
  while (at < end) {
    if (end - at < 4 || b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0) {
      list.error = "no frame at offset " + std::to_string(at);
      break;
    }
    const int version = (b[at + 1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = (b[at + 1] >> 1) & 3;    // 1 Layer III
    const int bitrate = b[at + 2] >> 4, rateIndex = (b[at + 2] >> 2) & 3;
    const int padding = (b[at + 2] >> 1) & 1, mono = (b[at + 3] >> 6) == 3;
    if (version == 1 || layer != 1 || bitrate == 0 || bitrate == 15 || rateIndex == 3) {
      list.error = "a header no Layer III frame has at offset " + std::to_string(at);
      break;
    }
    const bool mpeg1 = version == 3;
    const long rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const std::size_t length = (mpeg1 ? 144 : 72) * 1000 *
                                   std::size_t(kBitrates[mpeg1 ? 0 : 1][bitrate]) /
                                   std::size_t(rate) +
                               std::size_t(padding);
    if (length > end - at) {
      list.error = "a frame cut short at offset " + std::to_string(at);
      break;
    }
    list.sampleRate = rate;
    list.samplesPerFrame = mpeg1 ? 1152 : 576;
    // An info frame holds its tag after the side information.
    const std::size_t tagAt = at + 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    const bool info = first && tagAt + 4 <= at + length &&
                      (std::memcmp(b.data() + tagAt, "Xing", 4) == 0 ||
                       std::memcmp(b.data() + tagAt, "Info", 4) == 0);
    if (!info) {
      list.frames.push_back(
          {at, std::vector<std::uint8_t>(b.begin() + std::ptrdiff_t(at),
                                         b.begin() + std::ptrdiff_t(at + length))});
    }
    first = false;
    at += length;
  }
  return list;
}

}  // namespace tandrel::cli
