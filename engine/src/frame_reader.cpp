#include "tandrel_engine/frame_reader.h"

#include <algorithm>
#include <cstring>
#ifdef TANDREL_HAS_THREADS
#include <thread>
#endif

namespace tandrel {
namespace {

// Passes reads through and remembers one that came back short inside the source: a read error,
// which the tag and frame searches would otherwise take for the end of the data.
class CheckedSource final : public ByteSource {
 public:
  explicit CheckedSource(ByteSource& source) : source_(source) {}
  std::uint64_t Size() const override { return source_.Size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override {
    const auto got = source_.ReadAt(offset, dst);
    if (got < dst.size() && offset < Size() && Size() - offset > got) failed_ = true;
    return got;
  }
  bool Failed() const { return failed_; }

 private:
  ByteSource& source_;
  bool failed_ = false;
};

// A reader over `layout`'s audio with its reference, at `from`.
void OpenAt(CFrameReader& reader, ByteSource& source, const Mp3Layout& layout, std::uint64_t from) {
  reader.Open(source);
  reader.SetAudioEnd(layout.audioEnd);
  reader.SetReference(layout.reference, layout.referenceLength);
  reader.Seek(from);
}

// Counts the frames a reader finds, in stretches, and marks them when given marks.
class FrameTally {
 public:
  FrameTally(CFrameReader& reader, StreamCount& count, FrameMarks* marks)
      : reader_(reader), count_(count), marks_(marks) {}

  // Counts frames until one that begins at or after `until`, which is left uncounted (the next
  // stretch starts with it); false when the stream ended first.
  bool CountBefore(std::uint64_t until) {
    for (;;) {
      if (!pending_) {
        if (!reader_.SkipFrame()) {
          count_.failed = count_.failed || reader_.Failed();
          return false;
        }
        pending_ = true;
      }
      if (reader_.GetFrameOffset() >= until) return true;
      pending_ = false;
      if (marks_) marks_->Add(count_.frames, reader_.GetFrameOffset(), reader_.GetBodySize() + 4);
      const auto bitrate = reader_.GetHeader().Bitrate();
      if (count_.frames++ == 0) {
        count_.firstBitrate = bitrate;
      } else if (bitrate != count_.firstBitrate) {
        count_.variableBitrate = true;
      }
    }
  }

 private:
  CFrameReader& reader_;
  StreamCount& count_;
  FrameMarks* marks_;
  bool pending_ = false;
};

}  // namespace

void FrameMarks::Add(std::uint64_t index, std::uint64_t offset, std::uint32_t length) {
  if (ended_ || index != next_) return;
  // Bytes before this frame that no frame holds belong to the stretch they lie in.
  if (!marks_.empty() && offset != end_) marks_.back().solid = false;
  if (marks_.empty() || index - marks_.back().index >= stride_) {
    marks_.push_back({index, offset, true});
    if (marks_.size() > kMaxMarks) Thin();
  }
  next_ = index + 1;
  end_ = offset + length;
}

void FrameMarks::Append(const FrameMarks& next) {
  if (ended_ || next.marks_.empty()) return;
  const auto first = next_;
  if (!marks_.empty() && next.marks_.front().offset != end_) marks_.back().solid = false;
  for (auto mark : next.marks_) {
    mark.index += first;
    marks_.push_back(mark);
  }
  next_ = first + next.next_;
  end_ = next.end_;
  stride_ = std::max(stride_, next.stride_);
  while (marks_.size() > kMaxMarks) Thin();
}

void FrameMarks::End() {
  if (ended_) return;
  if (!marks_.empty()) marks_.push_back({next_, end_, false});
  ended_ = true;
}

// Keeps every other mark; a stretch that is the two joined is solid when both were.
void FrameMarks::Thin() {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < marks_.size(); i += 2) {
    auto mark = marks_[i];
    if (i + 1 < marks_.size()) mark.solid = mark.solid && marks_[i + 1].solid;
    marks_[kept++] = mark;
  }
  marks_.resize(kept);
  stride_ *= 2;
}

const FrameMarks::Mark* FrameMarks::AtOrBefore(std::uint64_t index) const {
  const auto after = std::upper_bound(marks_.begin(), marks_.end(), index,
                                      [](std::uint64_t i, const Mark& m) { return i < m.index; });
  return after == marks_.begin() ? nullptr : &*(after - 1);
}

bool FrameIndex::Describes(const ByteSource& source, const Mp3Layout& layout) const {
  return marks.Ended() && identity && source.Identity() == identity &&
         source.ModifiedTime() == modified && source.Size() == size &&
         layout.audioFrames == audioFrames && layout.audioEnd == audioEnd &&
         layout.reference.Word() == reference && layout.referenceLength == referenceLength;
}

namespace {

StreamCount CountInto(ByteSource& source, const Mp3Layout& layout, FrameMarks* marks) {
  StreamCount count;
  CFrameReader reader;
  OpenAt(reader, source, layout, layout.audioFrames);
  FrameTally tally(reader, count, marks);
#ifdef TANDREL_HAS_THREADS
  constexpr std::uint64_t kSplitFrom = 8 * 1024 * 1024;
  const auto span = layout.audioEnd > layout.audioFrames ? layout.audioEnd - layout.audioFrames : 0;
  if (span >= kSplitFrom && source.ReadsConcurrently()) {
    const auto middle = layout.audioFrames + span / 2;
    StreamCount second;
    FrameMarks secondMarks;
    std::uint64_t secondStart = layout.audioEnd;
    std::thread half([&] {
      CFrameReader other;
      OpenAt(other, source, layout, middle);
      MpegHeader header;
      if (other.FindChainedHeader(kStreamChain, false, header)) {
        secondStart = other.Tell();
        FrameTally(other, second, marks ? &secondMarks : nullptr).CountBefore(layout.audioEnd);
      }
      second.failed = second.failed || other.Failed();
    });
    const bool reached = tally.CountBefore(middle);
    half.join();
    if (reached && tally.CountBefore(secondStart) && reader.GetFrameOffset() == secondStart) {
      // The same frame, so the same frames from it on.
      count.failed = count.failed || second.failed;
      if (second.frames > 0) {
        if (count.frames == 0) {
          count.firstBitrate = second.firstBitrate;
        } else if (second.firstBitrate != count.firstBitrate) {
          count.variableBitrate = true;
        }
        count.variableBitrate = count.variableBitrate || second.variableBitrate;
      }
      count.frames += second.frames;
      if (marks) marks->Append(secondMarks);
      return count;
    }
    // Out of step (the second half began on bytes that only look like a frame): this count goes
    // on alone.
  }
#endif
  tally.CountBefore(layout.audioEnd);
  return count;
}

}  // namespace

StreamCount CountStreamFrames(ByteSource& source, const Mp3Layout& layout, FrameIndex* index) {
  if (!index) return CountInto(source, layout, nullptr);
  FrameMarks marks;
  const auto count = CountInto(source, layout, &marks);
  if (count.failed) return count;
  marks.End();
  index->marks = std::move(marks);
  index->size = source.Size();
  index->identity = source.Identity();
  index->modified = source.ModifiedTime();
  index->audioFrames = layout.audioFrames;
  index->audioEnd = layout.audioEnd;
  index->reference = layout.reference.Word();
  index->referenceLength = layout.referenceLength;
  return count;
}

FrameChain FollowChain(std::span<const std::uint8_t> bytes, bool toAudioEnd,
                       std::optional<MpegHeader> stream, int needed) {
  FrameChain chain;
  std::size_t at = 0;
  while (chain.headers < needed && at <= bytes.size() && bytes.size() - at >= 4) {
    const auto header = MpegHeader::FromBytes(bytes.subspan(at));
    if (!header.IsAcceptable() || (stream && !header.SameStream(*stream))) break;
    if (!stream) stream = header;
    ++chain.headers;
    at += header.FrameLength();
    if (toAudioEnd && at == bytes.size()) {
      chain.reachesEnd = true;
      break;
    }
  }
  return chain;
}

bool IsInfoFrame(std::span<const std::uint8_t> frame) {
  if (frame.size() < 4) return false;
  const auto tag = MpegHeader::FromBytes(frame).InfoTagOffset();
  if (frame.size() < tag + 4) return false;
  return std::memcmp(frame.data() + tag, "Xing", 4) == 0 ||
         std::memcmp(frame.data() + tag, "Info", 4) == 0;
}

bool CFrameReader::Open(const std::string& path) {
  Close();
  ownedSource_ = OpenFileSource(path);
  if (!ownedSource_) return false;
  return OpenReader();
}

bool CFrameReader::Open(ByteSource& source) {
  Close();
  reader_ = std::make_unique<ByteReader>(source);
  return OpenReader();
}

bool CFrameReader::OpenReader() {
  if (!reader_) reader_ = std::make_unique<ByteReader>(*ownedSource_);
  frameCount_ = 0;
  bodySize_ = 0;
  hasReference_ = false;
  audioEnd_ = reader_->Size();
  return true;
}

void CFrameReader::Close() {
  reader_.reset();
  ownedSource_.reset();
  hasReference_ = false;
  audioEnd_ = 0;
}

void CFrameReader::SetReference(MpegHeader reference, std::uint32_t length) {
  hasReference_ = true;
  reference_ = reference;
  referenceBodySize_ = length - 4;
}

void CFrameReader::SetAudioEnd(std::uint64_t end) {
  audioEnd_ = reader_ ? std::min(end, reader_->Size()) : 0;
}

std::uint64_t CFrameReader::GetFileLength() const {
  return reader_ ? reader_->Size() : 0;
}

void CFrameReader::Seek(std::uint64_t pos) {
  if (reader_) reader_->Seek(pos);
}

std::uint64_t CFrameReader::Tell() const {
  return reader_ ? reader_->Tell() : 0;
}

std::span<const std::uint8_t> CFrameReader::PeekUpTo(std::size_t n) {
  const auto pos = reader_->Tell();
  if (pos >= audioEnd_) return {};
  return reader_->Peek(static_cast<std::size_t>(std::min<std::uint64_t>(n, audioEnd_ - pos)));
}

bool CFrameReader::FindChainedHeader(int needed, bool infoFrames, MpegHeader& found) {
  if (!reader_) return false;
  const std::optional<MpegHeader> stream =
      hasReference_ ? std::optional<MpegHeader>(reference_) : std::nullopt;
  // The last frame of a stream that bytes of no tag follow (padding, a damaged tag) has no next
  // header. A frame of the stream right where the search starts (where the frame before it
  // ended) is therefore kept in reserve: it is the frame found when no chained one follows it
  // before the end of the audio.
  const auto start = reader_->Tell();
  std::optional<MpegHeader> last;
  const auto end = [&] {
    if (!last || reader_->Failed()) return false;
    reader_->Seek(start);
    frameOffset_ = start;
    found = *last;
    return true;
  };
  for (;;) {
    const auto pos = reader_->Tell();
    if (pos >= audioEnd_ || audioEnd_ - pos < 4) return end();
    auto avail = reader_->Available();
    if (avail.empty()) return end();
    avail = avail.first(
        static_cast<std::size_t>(std::min<std::uint64_t>(avail.size(), audioEnd_ - pos)));
    if (avail[0] != 0xFF) {
      // Jump to the next 0xFF in what is buffered.
      const void* next = std::memchr(avail.data(), 0xFF, avail.size());
      reader_->Skip(next ? static_cast<const std::uint8_t*>(next) - avail.data() : avail.size());
      continue;
    }
    if (stream && needed == kFrameChain && avail.size() >= 4) {
      // The common case, a frame of the stream with the next header in the buffer, decided here
      // without copying; anything else takes the general path below.
      const auto header = MpegHeader::FromBytes(avail);
      const auto length = header.SameStream(*stream) ? header.FrameLength() : 0;
      const bool chains = length != 0 && avail.size() >= length + std::size_t{4} &&
                          MpegHeader::FromBytes(avail.subspan(length)).SameStream(*stream);
      const bool ends = length != 0 && pos + length == audioEnd_ && avail.size() >= length;
      if (chains || ends) {
        if (!infoFrames && IsInfoFrame(avail.first(length))) {
          reader_->Skip(length);
          continue;
        }
        frameOffset_ = pos;
        found = header;
        return true;
      }
    }
    const auto head = PeekUpTo(4);
    if (head.size() < 4) return end();
    const auto header = MpegHeader::FromBytes(head);
    if (!header.IsAcceptable() || (stream && !header.SameStream(*stream)) ||
        header.FrameLength() > audioEnd_ - pos) {
      reader_->Skip(1);
      continue;
    }
    const auto length = header.FrameLength();
    const std::size_t want = needed <= kFrameChain ? length + 4 : ChainBytes(needed);
    const auto bytes = PeekUpTo(want);
    if (bytes.size() < std::min<std::uint64_t>(want, audioEnd_ - pos))
      return false;  // a read failed
    if (!FollowChain(bytes, pos + bytes.size() == audioEnd_, stream, needed).Holds(needed)) {
      if (pos == start && stream && needed == kFrameChain &&
          (infoFrames || !IsInfoFrame(bytes.first(length))))
        last = header;
      reader_->Skip(1);
      continue;
    }
    if (!infoFrames && IsInfoFrame(bytes.first(std::min<std::size_t>(length, bytes.size())))) {
      // An info frame inside the stream, where files were joined by copying: it holds no audio.
      reader_->Skip(length);
      continue;
    }
    frameOffset_ = pos;
    found = header;
    return true;
  }
}

void CFrameReader::Accept(MpegHeader header, std::uint32_t length) {
  header_ = header;
  bodySize_ = length - 4;
  ++frameCount_;
}

std::optional<std::span<const std::uint8_t>> CFrameReader::ReadFrame() {
  MpegHeader header;
  if (!FindChainedHeader(kFrameChain, false, header)) return std::nullopt;
  const auto length = header.FrameLength();
  if (reader_->Read({frame_.data(), length}) < length) return std::nullopt;
  Accept(header, length);
  return std::span<const std::uint8_t>(frame_.data() + 4, bodySize_);
}

bool CFrameReader::SkipFrame() {
  MpegHeader header;
  if (!FindChainedHeader(kFrameChain, false, header)) return false;
  const auto length = header.FrameLength();
  reader_->Skip(length);
  Accept(header, length);
  return true;
}

bool CFrameReader::ViewFrame() {
  MpegHeader header;
  if (!FindChainedHeader(kFrameChain, false, header)) return false;
  const auto length = header.FrameLength();
  const auto bytes = reader_->Peek(length);
  if (bytes.empty()) return false;
  view_ = bytes;
  reader_->Skip(length);
  Accept(header, length);
  return true;
}

std::int64_t CFrameReader::EstimatePlayTime(std::uint64_t audioBytes) const {
  if (!hasReference_) return 0;
  const std::uint64_t unpadded = referenceBodySize_ + 4 - (reference_.IsPadded() ? 1 : 0);
  return static_cast<std::int64_t>(audioBytes / unpadded) * reference_.MsPerFrame();
}

std::optional<std::uint32_t> Mp3Layout::TrustedInfoFrames() const {
  if (!hasInfo || !info.HasFrames() || !info.HasBytes()) return std::nullopt;
  const std::uint64_t audio = audioEnd - firstFrame;
  const std::uint64_t stated = info.bytes;
  const auto difference = stated > audio ? stated - audio : audio - stated;
  if (difference > audio / 16) return std::nullopt;
  return info.frames;
}

Mp3Layout LocateMp3Stream(CFrameReader& reader) {
  Mp3Layout layout;
  if (!reader.Source()) return layout;
  CheckedSource source(*reader.Source());
  const auto located = [&] {
    layout.failed = source.Failed() || reader.Failed();
    return layout;
  };
  layout.audioStart = FindAudioStart(source);
  layout.audioEnd = FindAudioEnd(source, layout.audioStart);
  layout.audioFrames = layout.audioEnd;
  reader.ClearReference();
  reader.SetAudioEnd(layout.audioEnd);

  reader.Seek(layout.audioStart);
  MpegHeader header;
  if (!reader.FindChainedHeader(kStreamChain, true, header)) {
    reader.Seek(layout.audioEnd);
    return located();
  }
  layout.firstFrame = reader.Tell();
  layout.firstHeader = header;
  layout.audioFrames = layout.firstFrame;
  std::vector<std::uint8_t> first(header.FrameLength());
  first.resize(source.ReadAt(layout.firstFrame, first));
  if (IsInfoFrame(first)) {
    // Not audio, whether its fields can be read or not.
    layout.audioFrames = layout.firstFrame + header.FrameLength();
    XingInfo info;
    if (ParseXingHeader(first, info)) {
      layout.hasInfo = true;
      layout.info = info;
      layout.infoFrame = std::move(first);
    }
  }

  // The reference comes from inside the stream, a tenth of the way in, so that a damaged or odd
  // first frame does not decide what the stream is.
  const auto span = layout.audioEnd - layout.audioFrames;
  reader.Seek(layout.audioFrames + span / 10);
  if (!reader.FindChainedHeader(kStreamChain, false, header)) {
    reader.Seek(layout.audioFrames);
    if (!reader.FindChainedHeader(kStreamChain, false, header)) {
      reader.Seek(layout.audioEnd);
      return located();
    }
  }
  layout.hasAudio = true;
  layout.reference = header;
  layout.referenceLength = header.FrameLength();
  reader.SetReference(header, layout.referenceLength);
  reader.Seek(layout.audioFrames);
  return located();
}

}  // namespace tandrel
