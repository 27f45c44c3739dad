#pragma once

// The audio frames of an MP3 file as libmpg123 finds them, so that a test can say which of the
// source's frames a piece holds without trusting the engine's own reader.

#include <cstdint>
#include <string>
#include <vector>

namespace tandrel::cli {

struct ListedFrame {
  std::uint64_t offset = 0;         // where the frame starts in the file
  std::vector<std::uint8_t> bytes;  // the header and the body
};

struct Mp3FrameList {
  long sampleRate = 0;
  int samplesPerFrame = 0;  // 1152 for MPEG-1, 576 for MPEG-2 and 2.5
  // Audio frames in file order; an info frame ("Xing" or "Info") is not one.
  std::vector<ListedFrame> frames;
  std::string error;  // empty when the whole file was read
};

Mp3FrameList ListMp3Frames(const std::string& path);

}  // namespace tandrel::cli
