// Runs the cuts and the join on arbitrary bytes taken as an MP3 and as a WAVE file: whatever the
// input, each operation ends with a result code, every MP3 it writes is a run of whole frames,
// every WAVE it writes carries a header that counts exactly the bytes after it, the input is left
// as it was, and an MP3 cut given the frame index of a count writes the same bytes as without.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../operations/memory_file_system.h"
#include "fuzz_check.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/mpeg_header.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/xing_header.h"

namespace {

using tandrel::ResultCode;

// Three sections: a short one, one to the end, one of a single frame.
std::string Sections(const std::string& ext) {
  return "1;30;/a" + ext + "|20;-1;/b" + ext + "|1;1;/c" + ext;
}

void CheckMp3(const std::vector<std::uint8_t>& bytes) {
  // A join keeps the first input's leading tags.
  tandrel::MemorySource source(bytes);
  std::size_t at = static_cast<std::size_t>(tandrel::FindAudioStart(source));
  while (at < bytes.size()) {
    FUZZ_CHECK(bytes.size() - at >= 4);
    const auto length = tandrel::MpegHeader::FromBytes(std::span(bytes).subspan(at)).FrameLength();
    FUZZ_CHECK(length >= 4 && length <= bytes.size() - at);
    at += length;
  }
}

void CheckWave(const std::vector<std::uint8_t>& bytes) {
  FUZZ_CHECK(bytes.size() >= 44);
  const auto le32 = [&](std::size_t i) {
    return bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) |
           (std::uint32_t(bytes[i + 3]) << 24);
  };
  FUZZ_CHECK(le32(40) == bytes.size() - 44);
  FUZZ_CHECK(le32(4) == bytes.size() - 8);
}

void CheckOutputs(const tandrel::testing::MemoryFileSystem& fs,
                  const std::vector<std::uint8_t>& input) {
  for (const auto& path : fs.Paths()) {
    if (path.starts_with("/in.")) {
      FUZZ_CHECK(fs.Get(path) == input);
    } else if (path.ends_with(".mp3")) {
      CheckMp3(fs.Get(path));
    } else {
      CheckWave(fs.Get(path));
    }
  }
}

// The cut of Sections with the frame index a count of `input` leaves: the same outputs as `plain`.
void CheckIndexedCut(const tandrel::testing::MemoryFileSystem& plain,
                     const std::vector<std::uint8_t>& input) {
  tandrel::testing::MemoryFileSystem fs;
  fs.Put("/in.mp3", input);
  int error = 0;
  const auto source = fs.OpenRead("/in.mp3", &error);
  tandrel::CFrameReader reader;
  reader.Open(*source);
  const auto layout = tandrel::LocateMp3Stream(reader);
  if (!layout.hasAudio) return;
  tandrel::FrameIndex index;
  if (tandrel::CountStreamFrames(*source, layout, &index).failed) return;
  tandrel::OperationOptions options;
  options.frames = &index;
  tandrel::CutByTime("/in.mp3", Sections(".mp3"), 3, nullptr, options, fs);
  for (const char* piece : {"/a.mp3", "/b.mp3", "/c.mp3"}) {
    FUZZ_CHECK(fs.Has(piece) == plain.Has(piece));
    if (fs.Has(piece)) FUZZ_CHECK(fs.Get(piece) == plain.Get(piece));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> input(data, data + size);
  for (const char* name : {"/in.mp3", "/in.wav"}) {
    const std::string source = name;
    const std::string ext = source.substr(source.size() - 4);
    tandrel::testing::MemoryFileSystem fs;
    fs.Put(source, input);
    tandrel::CutByTime(source, Sections(ext), 3, nullptr, fs);
    if (ext == ".mp3") CheckIndexedCut(fs, input);
    tandrel::CutBySize(source, 1 + static_cast<std::int32_t>(size / 3), "/size", nullptr, fs);
    tandrel::Join("/j" + ext, source + "|" + source, 2, nullptr, fs);
    CheckOutputs(fs, input);
  }
  return 0;
}
