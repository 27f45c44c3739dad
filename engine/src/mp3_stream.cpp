#include "mp3_stream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tandrel {

FrameCursor::FrameCursor(CFrameReader& reader, std::uint64_t firstFrame, const FrameMarks* known)
    : reader_(reader), firstFrame_(firstFrame) {
  if (known) marks_ = *known;
  reader_.Seek(firstFrame);
}

bool FrameCursor::Next() {
  hasFrame_ = reader_.ViewFrame();
  if (!hasFrame_) return false;
  offset_ = reader_.GetFrameOffset();
  length_ = reader_.GetBodySize() + 4;
  marks_.Add(index_, offset_, length_);
  ++index_;
  return true;
}

bool FrameCursor::SeekFrame(std::uint64_t index) {
  if (hasFrame_ && Index() == index) return true;
  // Jump to the nearest mark at or before `index` when that saves reading, or when the position
  // lies behind us; without one, back to where the search for frame 0 starts.
  const auto* mark = marks_.AtOrBefore(index);
  const std::uint64_t markIndex = mark ? mark->index : 0;
  if (index < index_ || markIndex > index_) {
    reader_.Seek(mark ? mark->offset : firstFrame_);
    index_ = markIndex;
  }
  while (index_ <= index) {
    if (!Next()) return false;
  }
  return true;
}

std::optional<FrameCursor::Run> FrameCursor::PassSolid(std::uint64_t endIndex,
                                                       std::uint64_t byteLimit) {
  if (!hasFrame_) return std::nullopt;
  const auto* mark = marks_.AtOrBefore(Index());
  if (!mark || mark->index != Index() || mark->offset != offset_) return std::nullopt;
  const auto marks = marks_.Marks();
  auto i = static_cast<std::size_t>(mark - marks.data());
  Run run{offset_, 0, 0};
  // Only a stretch whose end is marked is known whole.
  while (i + 1 < marks.size() && marks[i].solid && marks[i + 1].index <= endIndex &&
         marks[i + 1].offset - run.offset < byteLimit) {
    ++i;
    run.bytes = marks[i].offset - run.offset;
    run.frames = marks[i].index - Index();
  }
  if (run.frames == 0) return std::nullopt;
  reader_.Seek(marks[i].offset);
  index_ = marks[i].index;
  Next();
  return run;
}

FrameCopier::FrameCopier(CFrameReader& reader, ByteSource& source, ByteSink& sink, bool byRange)
    : reader_(reader), source_(source), sink_(sink), byRange_(byRange) {
  if (!byRange_) reader_.SetRefillHook(&FrameCopier::BeforeRefill, this);
}

FrameCopier::~FrameCopier() {
  if (!byRange_) reader_.SetRefillHook(nullptr, nullptr);
}

void FrameCopier::BeforeRefill(void* self) {
  static_cast<FrameCopier*>(self)->WritePending();
}

bool FrameCopier::WritePending() {
  if (byRange_) {
    if (rangeLength_ > 0 && sink_.Append(source_, rangeStart_, rangeLength_) != rangeLength_)
      failed_ = true;
    rangeLength_ = 0;
    return !failed_;
  }
  if (pending_.empty()) return !failed_;
  if (!sink_.Write(pending_)) failed_ = true;
  pending_ = {};
  return !failed_;
}

bool FrameCopier::Add(std::uint64_t offset, std::uint64_t length) {
  if (failed_) return false;
  if (byRange_) {
    if (rangeLength_ > 0 &&
        (offset != rangeStart_ + rangeLength_ || rangeLength_ >= kLongestRange) && !WritePending())
      return false;
    if (rangeLength_ == 0) rangeStart_ = offset;
    rangeLength_ += length;
    return true;
  }
  const auto view = reader_.GetFrameView();
  if (reader_.GetFrameOffset() != offset || view.size() != length) {
    return WritePending() && sink_.Append(source_, offset, length) == length;
  }
  if (!pending_.empty() && view.data() == pending_.data() + pending_.size()) {
    pending_ = {pending_.data(), pending_.size() + view.size()};
    return true;
  }
  if (!WritePending()) return false;
  pending_ = view;
  return true;
}

bool FrameCopier::Flush() {
  return WritePending();
}

void OpenMp3Source(ByteSource& source, Mp3Source& mp3) {
  mp3.reader.Open(source);
  mp3.layout = LocateMp3Stream(mp3.reader);
}

namespace {

// The frames WriteMp3Piece writes from the cursor's current one on; the cursor is left where it
// was. Stops early when the run is cancelled.
std::uint64_t CountPieceFrames(const OperationRun& run, FrameCursor& cursor, std::uint64_t endIndex,
                               std::uint64_t byteLimit) {
  if (!cursor.HasFrame()) return 0;
  const auto start = cursor.Index();
  std::uint64_t frames = 0;
  std::uint64_t bytes = 0;
  while (cursor.HasFrame() && cursor.Index() < endIndex && bytes < byteLimit && !run.Cancelled()) {
    if (const auto solid = cursor.PassSolid(endIndex, byteLimit - bytes)) {
      frames += solid->frames;
      bytes += solid->bytes;
      continue;
    }
    ++frames;
    bytes += cursor.Length();
    cursor.Next();
  }
  cursor.SeekFrame(start);
  return frames;
}

}  // namespace

std::unique_ptr<ByteSink> WriteMp3Piece(FileSystem& files, OperationRun& run, OutputPiece piece,
                                        const Mp3Input& input, FrameCursor& cursor,
                                        std::uint64_t endIndex, std::uint64_t byteLimit,
                                        ResultCode& code) {
  const auto failed = [&code](ResultCode result) {
    code = result;
    return nullptr;
  };
  const auto& layout = input.mp3.layout;
  std::vector<std::uint8_t> before;
  std::vector<std::uint8_t> after;
  if (run.Wraps()) {
    piece.kind = AudioKind::Mp3;
    if (run.WrapCountsFrames()) piece.frames = CountPieceFrames(run, cursor, endIndex, byteLimit);
    piece.samples = piece.frames * layout.reference.SamplesPerFrame();
    piece.sampleRate = layout.reference.SampleRate();
    before = run.Before(piece);
    after = run.After(piece);
  }
  const auto& path = piece.path;
  if (run.Cancelled()) return failed(run.Cancel(path));
  int error = 0;
  auto out = files.Create(path, &error);
  if (!out) return failed(run.Fail(FailureKind::Create, path, error));
  if (run.Behind()) out = run.Behind()->Wrap(std::move(out));
  if (!before.empty() && !out->Write(before)) return failed(run.WriteFailed(*out, path));
  // A placeholder of the info frame's length first; it is completed once the counts are known.
  const std::uint64_t infoAt = before.size();
  if (layout.hasInfo && !out->Write(BuildInfoFrame(layout.infoFrame, layout.info, 0, 0)))
    return failed(run.WriteFailed(*out, path));
  std::uint64_t frames = 0;
  std::uint64_t bytes = 0;
  {
    FrameCopier copier(input.mp3.reader, input.source, *out, run.Behind() != nullptr);
    while (cursor.HasFrame() && cursor.Index() < endIndex && bytes < byteLimit) {
      if (run.Cancelled()) return failed(run.CopyFailed(*out, path, input.source, input.path));
      const auto solid =
          cursor.PassSolid(endIndex, std::min(byteLimit - bytes, FrameCopier::kLongestRange + 1));
      if (solid) {
        if (!copier.Add(solid->offset, solid->bytes))
          return failed(run.CopyFailed(*out, path, input.source, input.path));
        frames += solid->frames;
        bytes += solid->bytes;
        continue;
      }
      if (!copier.Add(cursor.Offset(), cursor.Length()))
        return failed(run.CopyFailed(*out, path, input.source, input.path));
      ++frames;
      bytes += cursor.Length();
      cursor.Next();
    }
    if (!copier.Flush() || input.mp3.reader.Failed() || run.Cancelled())
      return failed(
          run.CopyFailed(*out, path, input.source, input.path, input.mp3.reader.Failed()));
  }
  if (layout.hasInfo && !out->WriteAt(infoAt, BuildInfoFrame(layout.infoFrame, layout.info,
                                                             ClampTo32(frames), bytes)))
    return failed(run.WriteFailed(*out, path));
  if (!after.empty() && !out->Write(after)) return failed(run.WriteFailed(*out, path));
  code = ResultCode::Success;
  return out;
}

PieceOrder::PieceOrder(OperationRun& run, ProgressSink* sink) : run_(run), sink_(sink) {}

ResultCode PieceOrder::Add(std::unique_ptr<ByteSink> out, const std::string& path,
                           std::int16_t percent) {
  if (const auto named = NameHeld(); named != ResultCode::Success) return named;
  // A cancel seen now stops the run at this piece; the one before it was all written already.
  if (run_.Behind() && run_.Cancelled()) return run_.Cancel(path);
  held_ = std::move(out);
  heldPath_ = path;
  heldPercent_ = percent;
  return run_.Behind() ? ResultCode::Success : NameHeld();
}

ResultCode PieceOrder::End(ResultCode code) {
  if (code == ResultCode::Success) {
    if (held_ && run_.Behind() && run_.Cancelled()) return run_.Cancel(heldPath_);
    return NameHeld();
  }
  // The next piece failed or the run was cancelled in it: the one before it stays once all of it
  // is written out.
  if (held_ && held_->Error() == 0) NameHeld();
  return code;
}

// The held piece's writes are all queued; its Error waits for them.
ResultCode PieceOrder::NameHeld() {
  if (!held_) return ResultCode::Success;
  const auto out = std::move(held_);
  if (out->Error() != 0) return run_.WriteFailed(*out, heldPath_);
  if (!out->Finish()) return run_.FinishFailed(*out, heldPath_);
  run_.Written(heldPath_);
  if (sink_) sink_->Cut(heldPercent_);
  return ResultCode::Success;
}

std::uint64_t CountPieces(const OperationRun& run, FrameCursor& cursor, std::uint64_t byteLimit) {
  if (!cursor.HasFrame()) return 0;
  const auto start = cursor.Index();
  std::uint64_t pieces = 0;
  std::uint64_t bytes = 0;
  while (cursor.HasFrame() && !run.Cancelled()) {
    if (bytes == 0) ++pieces;
    if (const auto solid =
            cursor.PassSolid(std::numeric_limits<std::uint64_t>::max(), byteLimit - bytes)) {
      bytes += solid->bytes;
      continue;
    }
    bytes += cursor.Length();
    if (bytes >= byteLimit) bytes = 0;
    cursor.Next();
  }
  cursor.SeekFrame(start);
  return pieces;
}

std::int16_t Percent(std::uint64_t k, std::uint64_t n) {
  return static_cast<std::int16_t>(
      std::trunc(static_cast<double>(k) / static_cast<double>(n) * 100.0));
}

std::uint32_t ClampTo32(std::uint64_t value) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, UINT32_MAX));
}

std::optional<std::size_t> FindSameFile(
    FileSystem& files, const std::string& path,
    const std::vector<std::optional<FileIdentity>>& identities) {
  const auto id = files.Identity(path);
  if (!id) return std::nullopt;
  for (std::size_t i = 0; i < identities.size(); ++i) {
    if (identities[i] && *identities[i] == *id) return i;
  }
  return std::nullopt;
}

}  // namespace tandrel
