#pragma once

// The audio frames of an MP3 file as their headers lay them out, read by a walker of its own (not
// the engine's reader), so that a test can say which of the source's frames a piece holds.

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
  // Audio frames in file order, from the first byte (or the end of an ID3v2 tag) to the end of
  // the file or an ID3v1 tag; an info frame ("Xing" or "Info") is not one.
  std::vector<ListedFrame> frames;
  std::string error;  // empty when the frames reach the end exactly
};

// Layer III only: every file of these tests is.
Mp3FrameList ListMp3Frames(const std::string& path);

}  // namespace tandrel::cli
