#include "mp3_stream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tandrel {

FrameCursor::FrameCursor(CFrameReader& reader, std::uint64_t firstFrame) : reader_(reader) {
  reader_.Seek(firstFrame);
  marks_.push_back(firstFrame);
}

bool FrameCursor::Next() {
  hasFrame_ = reader_.ViewFrame();
  if (!hasFrame_) return false;
  offset_ = reader_.GetFrameOffset();
  length_ = reader_.GetBodySize() + 4;
  if (index_ % stride_ == 0 && index_ / stride_ == marks_.size()) {
    marks_.push_back(offset_);
    if (marks_.size() > kMaxMarks) {
      // Keep every other mark: the table stays small and re-reading stays bounded.
      for (std::size_t i = 0; 2 * i < marks_.size(); ++i) marks_[i] = marks_[2 * i];
      marks_.resize((marks_.size() + 1) / 2);
      stride_ *= 2;
    }
  }
  ++index_;
  return true;
}

bool FrameCursor::SeekFrame(std::uint64_t index) {
  if (hasFrame_ && Index() == index) return true;
  // Jump to the nearest remembered frame at or before `index` when that saves reading, or when
  // the position lies behind us. A mark is where a frame was found, so reading from it finds
  // that frame again, and every frame after it as before.
  const auto mark = std::min<std::uint64_t>(index / stride_, marks_.size() - 1);
  if (index < index_ || mark * stride_ > index_) {
    reader_.Seek(marks_[mark]);
    index_ = mark * stride_;
  }
  while (index_ <= index) {
    if (!Next()) return false;
  }
  return true;
}

FrameCopier::FrameCopier(CFrameReader& reader, ByteSource& source, ByteSink& sink)
    : reader_(reader), source_(source), sink_(sink) {
  reader_.SetRefillHook(&FrameCopier::BeforeRefill, this);
}

FrameCopier::~FrameCopier() {
  reader_.SetRefillHook(nullptr, nullptr);
}

void FrameCopier::BeforeRefill(void* self) {
  static_cast<FrameCopier*>(self)->WritePending();
}

bool FrameCopier::WritePending() {
  if (pending_.empty()) return !failed_;
  if (!sink_.Write(pending_)) failed_ = true;
  pending_ = {};
  return !failed_;
}

bool FrameCopier::Add(std::uint64_t offset, std::uint32_t length) {
  if (failed_) return false;
  const auto view = reader_.GetFrameView();
  if (reader_.GetFrameOffset() != offset || view.size() != length) {
    return WritePending() && sink_.Append(source_, offset, length) == length;
  }
  if (!pending_.empty() && view.data() == pending_.data() + pending_.size()) {
    pending_ = {pending_.data(), pending_.size() + length};
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

ResultCode WriteMp3Piece(FileSystem& files, const std::string& path, Mp3Source& mp3,
                         ByteSource& source, FrameCursor& cursor, std::uint64_t endIndex,
                         std::uint64_t byteLimit) {
  const auto& layout = mp3.layout;
  const auto out = files.Create(path);
  if (!out) return ResultCode::OpenFailed;
  // A placeholder of the info frame's length first; it is completed once the counts are known.
  if (layout.hasInfo && !out->Write(BuildInfoFrame(layout.infoFrame, layout.info, 0, 0)))
    return ResultCode::OpenFailed;
  std::uint64_t frames = 0;
  std::uint64_t bytes = 0;
  {
    FrameCopier copier(mp3.reader, source, *out);
    while (cursor.HasFrame() && cursor.Index() < endIndex && bytes < byteLimit) {
      if (!copier.Add(cursor.Offset(), cursor.Length())) return ResultCode::OpenFailed;
      ++frames;
      bytes += cursor.Length();
      cursor.Next();
    }
    if (!copier.Flush() || mp3.reader.Failed()) return ResultCode::OpenFailed;
  }
  if (layout.hasInfo &&
      !out->WriteAt(0, BuildInfoFrame(layout.infoFrame, layout.info, ClampTo32(frames), bytes)))
    return ResultCode::OpenFailed;
  return out->Finish() ? ResultCode::Success : ResultCode::OpenFailed;
}

std::int16_t Percent(std::uint64_t k, std::uint64_t n) {
  return static_cast<std::int16_t>(
      std::trunc(static_cast<double>(k) / static_cast<double>(n) * 100.0));
}

std::uint32_t ClampTo32(std::uint64_t value) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, UINT32_MAX));
}

bool IsAnyOf(FileSystem& files, const std::string& path,
             const std::vector<std::optional<FileIdentity>>& identities) {
  const auto id = files.Identity(path);
  if (!id) return false;
  return std::any_of(identities.begin(), identities.end(),
                     [&](const auto& other) { return other && *other == *id; });
}

}  // namespace tandrel
