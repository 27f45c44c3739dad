#pragma once

// The shape of one MP3 source as the operations see it, and the pieces they share to walk and
// copy its frames. Internal to the engine.

#include <cstdint>
#include <optional>
#include <vector>

#include "tandrel/byte_io.h"
#include "tandrel/frame_reader.h"
#include "tandrel/mpeg_header.h"
#include "tandrel/operations.h"
#include "tandrel/xing_header.h"

namespace tandrel {

struct Mp3Layout {
  std::uint64_t audioStart = 0;           // first byte after any leading ID3v2 tags
  std::uint64_t firstFrame = 0;           // where frame 0 is searched for (after the info frame)
  bool hasInfo = false;                   // the first frame is an info frame ("Xing" or "Info")
  XingInfo info;                          // its fields, when present
  std::vector<std::uint8_t> infoFrame;    // its bytes as stored
  std::optional<MpegHeader> firstHeader;  // the first frame's header, info frame or not
};

// Looks at the start of the stream through an opened reader and leaves the reader at byte 0.
Mp3Layout ReadMp3Layout(CFrameReader& reader, ByteSource& source);

// Walks the audio frames by index: frame 0 is the first frame after the info frame. Going back
// re-reads from the nearest remembered frame offset, so any order of positions costs a bounded
// amount of re-reading; the table of offsets is sparse and its size bounded, whatever the length.
class FrameCursor {
 public:
  FrameCursor(CFrameReader& reader, std::uint64_t firstFrame);

  // Positions before frame `index`; false when the stream has fewer frames.
  bool SeekFrame(std::uint64_t index);
  // The next frame's offset and length; false at the end of the stream.
  bool Next(std::uint64_t& offset, std::uint32_t& length);
  // The index of the frame Next gives.
  std::uint64_t Index() const { return index_; }

 private:
  static constexpr std::size_t kMaxMarks = 4096;

  CFrameReader& reader_;
  std::vector<std::uint64_t> marks_;  // offset of frame i * stride_
  std::uint64_t stride_ = 256;
  std::uint64_t index_ = 0;
};

// Copies the frames a cursor over `reader` gives to a sink. Frames that follow one another go out
// as one write straight from the reader's buffer, so each byte is read once and written once;
// the run is written before the reader refills its buffer.
class FrameCopier {
 public:
  FrameCopier(CFrameReader& reader, ByteSource& source, ByteSink& sink);
  ~FrameCopier();
  FrameCopier(const FrameCopier&) = delete;
  FrameCopier& operator=(const FrameCopier&) = delete;

  // The frame the cursor gave last.
  bool Add(std::uint64_t offset, std::uint32_t length);
  bool Flush();

 private:
  static void BeforeRefill(void* self);
  bool WritePending();

  CFrameReader& reader_;
  ByteSource& source_;
  ByteSink& sink_;
  std::span<const std::uint8_t> pending_;
  bool failed_ = false;
};

// trunc(k / n * 100), the progress value after the k-th of n pieces or inputs.
std::int16_t Percent(std::uint64_t k, std::uint64_t n);

// Info-frame counts are 32-bit.
std::uint32_t ClampTo32(std::uint64_t value);

// True when `path` names the same file as one of `files`.
bool IsAnyOf(FileSystem& files, const std::string& path,
             const std::vector<std::optional<FileIdentity>>& identities);

}  // namespace tandrel
