#pragma once

// The options of one call as the operations use them: the cancel flag, the wrap and the report.
// Internal to the engine.

#include <cstdint>
#include <string>
#include <vector>

#include "tandrel_engine/byte_io.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/operation_options.h"
#include "tandrel_engine/result_code.h"
#include "write_behind.h"

namespace tandrel {

class OperationRun {
 public:
  explicit OperationRun(const OperationOptions& options);

  bool Cancelled() const {
    return options_.cancel && options_.cancel->load(std::memory_order_relaxed);
  }
  bool Wraps() const { return options_.wrap != nullptr; }
  // The caller's frame index of `source`, when it is one and still holds.
  const FrameMarks* KnownFrames(const ByteSource& source, const Mp3Layout& layout) const {
    return options_.frames && options_.frames->Describes(source, layout) ? &options_.frames->marks
                                                                         : nullptr;
  }
  // Whether the wrap needs the frames of each MP3 output counted before it is written.
  bool WrapCountsFrames() const { return Wraps() && options_.wrap->CountsFrames(); }
  // Empty without a wrap.
  std::vector<std::uint8_t> Before(const OutputPiece& piece) const;
  std::vector<std::uint8_t> After(const OutputPiece& piece) const;
  // The wrap's bytes in place of Before's once the output's frames are known (see
  // OutputWrap::Completed); empty when it has none of Before's length.
  std::vector<std::uint8_t> Completed(const OutputPiece& piece, std::size_t beforeSize) const;

  // Copies source bytes [from, to) to the end of `out` in blocks of at most kCopyBlock, so that a
  // cancel is seen between them. True when every byte was copied and the run was not cancelled.
  bool Copy(ByteSource& source, ByteSink& out, std::uint64_t from, std::uint64_t to) const;

  // Each records the first failure of the run and gives OpenFailed, the code of every I/O failure.
  ResultCode Fail(FailureKind what, const std::string& path, int error = 0,
                  const std::string& otherPath = {});
  ResultCode Cancel(const std::string& outPath) { return Fail(FailureKind::Cancelled, outPath); }
  // A copy from `in` to `out` stopped short: cancelled; a read (when `readFailed`, or when only
  // the input has an error to tell); else a write.
  ResultCode CopyFailed(const ByteSink& out, const std::string& outPath, const ByteSource& in,
                        const std::string& inPath, bool readFailed = false);
  // A write of `out` other than a copy failed.
  ResultCode WriteFailed(const ByteSink& out, const std::string& outPath) {
    return Fail(FailureKind::Write, outPath, out.Error());
  }
  // Finish failed: storing what was still buffered, or naming the output.
  ResultCode FinishFailed(const ByteSink& out, const std::string& outPath);
  void Written(const std::string& path);

  // The threads the outputs' writes go to, when the operation has them.
  void SetWriteBehind(WriteBehind* behind) { behind_ = behind; }
  WriteBehind* Behind() const { return behind_; }
  // Waits for the writes of `out` still behind (its Error does), so that a failure or a cancel
  // while they ran is seen before it is named or reported done: false when `out` failed or the
  // run was cancelled.
  bool Settle(const ByteSink& out) const { return out.Error() == 0 && !Cancelled(); }

  static constexpr std::uint64_t kCopyBlock = 8 << 20;

 private:
  OperationOptions options_;
  WriteBehind* behind_ = nullptr;
};

}  // namespace tandrel
