#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "tandrel_engine/audio_kind.h"

namespace tandrel {

struct FrameIndex;

// What the engine knows of an output before it writes the output's first byte.
struct OutputPiece {
  int index = 0;  // 1-based; a join writes one output, 1 of 1
  int count = 0;  // outputs this call writes when it succeeds
  std::string path;
  AudioKind kind = AudioKind::None;
  std::uint64_t frames = 0;   // MP3: the audio frames of the piece (no info frame); WAVE: 0
  std::uint64_t samples = 0;  // samples per channel: MP3 frames x samples per frame, WAVE blocks
  std::uint32_t sampleRate = 0;
};

// Bytes the caller wants around each output's audio, such as tags. Before and After are called
// once each per output, in that order, before anything of it is written; an empty vector writes
// nothing.
//   MP3: Before, the info frame (when the piece has one; it counts only the frames), the frames,
//        After. With a wrap, a join's Before takes the place of the first input's leading tag.
//   WAVE: whole RIFF chunks (a LIST chunk, say); the engine only places them. Before goes
//        between the fmt chunk and the data chunk, After behind the data chunk and its pad byte
//        (written only when After is not empty); the RIFF size counts both.
// Knowing an MP3 piece's frames in advance costs one more read of them (a cut by size also counts
// its pieces first); without a wrap nothing is counted and the outputs are as they always were.
class OutputWrap {
 public:
  virtual ~OutputWrap();
  // False for a caller that knows the frames of each output already (from its own plan): the
  // engine then reads nothing ahead, and an MP3 piece's frames and samples are given as 0. A cut
  // by size counts its pieces all the same, since only it knows where they end.
  virtual bool CountsFrames() const { return true; }
  // When CountsFrames is false, a join calls this once its frames are written, with them counted
  // in `piece`: bytes of exactly the length Before gave take the place of Before's (a tag whose
  // length field can now be filled in); anything else leaves Before's bytes as they are.
  virtual std::vector<std::uint8_t> Completed(const OutputPiece&) { return {}; }
  virtual std::vector<std::uint8_t> Before(const OutputPiece&) = 0;
  virtual std::vector<std::uint8_t> After(const OutputPiece&) = 0;
};

enum class FailureKind { None, Open, Create, Read, Write, Rename, SameFile, Cancelled };

// What made an operation fail with OpenFailed. A failure of another code (a list, a header, a
// size) leaves what == None, except a cut by size whose source cannot be opened (code 7), which
// reports Open.
struct OperationFailure {
  FailureKind what = FailureKind::None;
  std::string path;       // the file concerned: the input for Open and Read, else the output
  std::string otherPath;  // SameFile: the input the output is
  int error = 0;          // errno, 0 when there is none
};

struct OperationReport {
  std::vector<std::string> written;  // paths of the outputs completed, in order
  OperationFailure failure;
};

struct OperationOptions {
  // Read (relaxed) before each output and between frames and copied blocks, so it may be set from
  // another thread or a signal handler, or from a progress or wrap call. Once it is seen, the
  // output in progress is discarded, finished ones stay, and the call returns OpenFailed with
  // failure.what == Cancelled and no further notification.
  const std::atomic<bool>* cancel = nullptr;
  OutputWrap* wrap = nullptr;
  OperationReport* report = nullptr;  // cleared, then filled in, when given
  // The source's frames as CountStreamFrames indexed them, for a cut by time of an MP3 source:
  // it then seeks by the index and copies the stretches that lie back to back without reading
  // them. Used only while the index describes the file as it is; the outputs are the same bytes
  // either way.
  const FrameIndex* frames = nullptr;
};

}  // namespace tandrel
