#pragma once

// The pieces the operations share to walk and copy the frames of an MP3 source. Internal to the
// engine.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "operation_run.h"
#include "tandrel_engine/byte_io.h"
#include "tandrel_engine/file_system.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/result_code.h"

namespace tandrel {

// Walks the audio frames by index: frame 0 is the first frame after the info frame. Going back
// re-reads from the nearest mark at or before the frame, so any order of positions costs a
// bounded amount of re-reading; the marks are sparse and their number bounded, whatever the
// length. Marks known in advance (a count's) also let it seek forward and pass over back-to-back
// stretches whole.
class FrameCursor {
 public:
  // Over a reader that LocateMp3Stream set up, before frame 0, which is searched from
  // `firstFrame` on; `known`: the stream's marks, when they are known already. There is no
  // current frame until Next or SeekFrame.
  FrameCursor(CFrameReader& reader, std::uint64_t firstFrame, const FrameMarks* known = nullptr);

  // Makes frame `index` the current one; false when the stream has fewer frames.
  bool SeekFrame(std::uint64_t index);
  // Makes the next frame the current one; false at the end of the stream.
  bool Next();

  // Frames that lie back to back from the current one on, as one range of the source.
  struct Run {
    std::uint64_t offset = 0;
    std::uint64_t bytes = 0;
    std::uint64_t frames = 0;
  };
  // When the current frame begins a stretch of marks that lies back to back: the stretches from
  // it on that end at or before frame `endIndex` and together hold fewer than `byteLimit` bytes,
  // with the frame after them made the current one without reading them. Nothing, and the cursor
  // left as it was, when there is no such stretch.
  std::optional<Run> PassSolid(std::uint64_t endIndex, std::uint64_t byteLimit);

  bool HasFrame() const { return hasFrame_; }
  std::uint64_t Index() const { return index_ - 1; }
  std::uint64_t Offset() const { return offset_; }
  std::uint32_t Length() const { return length_; }

 private:
  CFrameReader& reader_;
  const std::uint64_t firstFrame_;
  FrameMarks marks_;
  std::uint64_t index_ = 0;  // frames read so far: the index of the next one
  bool hasFrame_ = false;
  std::uint64_t offset_ = 0;
  std::uint32_t length_ = 0;
};

// Copies the frames a cursor over `reader` gives to a sink. Frames that follow one another go out
// as one write straight from the reader's buffer, so each byte is read once and written once;
// the run is written before the reader refills its buffer. `byRange`: runs go to the sink as
// ranges of the source instead (Append), for a sink that copies them itself, later.
class FrameCopier {
 public:
  // The longest range given to a sink at once: cancels are seen between ranges.
  static constexpr std::uint64_t kLongestRange = 8 << 20;

  FrameCopier(CFrameReader& reader, ByteSource& source, ByteSink& sink, bool byRange = false);
  ~FrameCopier();
  FrameCopier(const FrameCopier&) = delete;
  FrameCopier& operator=(const FrameCopier&) = delete;

  // The frame the cursor gave last, or a run the cursor passed over.
  bool Add(std::uint64_t offset, std::uint64_t length);
  bool Flush();

 private:
  static void BeforeRefill(void* self);
  bool WritePending();

  CFrameReader& reader_;
  ByteSource& source_;
  ByteSink& sink_;
  const bool byRange_;
  std::span<const std::uint8_t> pending_;
  std::uint64_t rangeStart_ = 0;  // byRange_: the run not yet appended
  std::uint64_t rangeLength_ = 0;
  bool failed_ = false;
};

// One MP3 source opened for the operations: its reader, located, and where its audio lies.
struct Mp3Source {
  CFrameReader reader;
  Mp3Layout layout;
};
// Opens `source` and locates its audio; layout.hasAudio tells whether it has any.
void OpenMp3Source(ByteSource& source, Mp3Source& mp3);

// The source of the MP3 pieces a cut writes.
struct Mp3Input {
  Mp3Source& mp3;
  ByteSource& source;
  const std::string& path;
};

// Writes one piece of an MP3 source to `piece.path` (index, count and path filled in by the
// caller): the wrap's Before bytes, the source's info frame when it has one, the frames from the
// cursor's current one on while their index is below `endIndex` and the piece holds fewer than
// `byteLimit` frame bytes (the frame that reaches the limit is included), the wrap's After bytes;
// then the info frame is completed with the piece's counts. Leaves the cursor on the first frame
// not written. Gives the output, not yet named (see PieceOrder); or nullptr and OpenFailed in
// `code`, recorded in the run, when the piece cannot be created, a read or a write fails, or the
// run is cancelled.
std::unique_ptr<ByteSink> WriteMp3Piece(FileSystem& files, OperationRun& run, OutputPiece piece,
                                        const Mp3Input& input, FrameCursor& cursor,
                                        std::uint64_t endIndex, std::uint64_t byteLimit,
                                        ResultCode& code);

// Names a cut's pieces in order and tells the progress of each once it is named. With the writes
// behind, a piece is named only once the next one is written out too, to the other thread, so
// that the two go out at once. A failure anywhere leaves exactly the pieces before it; a cancel
// the pieces before the one being read then.
class PieceOrder {
 public:
  PieceOrder(OperationRun& run, ProgressSink* sink);
  // A piece written whole and unnamed, with the progress value to tell once it is named.
  ResultCode Add(std::unique_ptr<ByteSink> out, const std::string& path, std::int16_t percent);
  // The cut ended after the pieces added, with `code`: success, or the next piece's failure.
  ResultCode End(ResultCode code);

 private:
  ResultCode NameHeld();

  OperationRun& run_;
  ProgressSink* sink_;
  std::unique_ptr<ByteSink> held_;
  std::string heldPath_;
  std::int16_t heldPercent_ = 0;
};

// The pieces a cut by size of `byteLimit` frame bytes makes of the frames from the cursor's
// current one on; the cursor is left where it was. Stops early when the run is cancelled.
std::uint64_t CountPieces(const OperationRun& run, FrameCursor& cursor, std::uint64_t byteLimit);

// trunc(k / n * 100), the progress value after the k-th of n pieces or inputs.
std::int16_t Percent(std::uint64_t k, std::uint64_t n);

// Info-frame frame counts are 32-bit.
std::uint32_t ClampTo32(std::uint64_t value);

// The index of the file of `identities` that `path` names, if any.
std::optional<std::size_t> FindSameFile(FileSystem& files, const std::string& path,
                                        const std::vector<std::optional<FileIdentity>>& identities);

}  // namespace tandrel
