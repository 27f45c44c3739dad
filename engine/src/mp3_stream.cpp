#include "mp3_stream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tandrel {

Mp3Layout ReadMp3Layout(CFrameReader& reader, ByteSource& source) {
  Mp3Layout layout;
  layout.audioStart = FindAudioStart(source);
  layout.firstFrame = layout.audioStart;
  reader.Seek(layout.audioStart);
  if (reader.ReadFrame()) {
    layout.firstHeader = reader.GetHeader();
    XingInfo info;
    if (ParseXingHeader(reader.GetFrame(), info)) {
      layout.hasInfo = true;
      layout.info = info;
      const auto frame = reader.GetFrame();
      layout.infoFrame.assign(frame.begin(), frame.end());
      // The info frame describes the stream; it is not audio and is never copied as such.
      layout.firstFrame = reader.GetFrameOffset() + frame.size();
    }
  }
  reader.Seek(0);
  return layout;
}

FrameCursor::FrameCursor(CFrameReader& reader, std::uint64_t firstFrame) : reader_(reader) {
  reader_.Seek(firstFrame);
  marks_.push_back(firstFrame);
}

bool FrameCursor::Next(std::uint64_t& offset, std::uint32_t& length) {
  if (!reader_.ViewFrame()) return false;
  offset = reader_.GetFrameOffset();
  length = reader_.GetBodySize() + 4;
  if (index_ % stride_ == 0 && index_ / stride_ == marks_.size()) {
    marks_.push_back(offset);
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
  // Jump to the nearest remembered frame at or before `index` when that saves reading, or when
  // the position lies behind us.
  const auto mark = std::min<std::uint64_t>(index / stride_, marks_.size() - 1);
  if (index < index_ || mark * stride_ > index_) {
    reader_.Seek(marks_[mark]);
    index_ = mark * stride_;
  }
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
  while (index_ < index) {
    if (!Next(offset, length)) return false;
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
