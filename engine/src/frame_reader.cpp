#include "tandrel/frame_reader.h"

#include <algorithm>
#include <cstring>

namespace tandrel {

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
  closed_ = false;
  frameCount_ = 0;
  bodySize_ = 0;
  hasReference_ = false;
  // The reference comes from the middle region of the file, where neither a leading tag nor an
  // info frame can be. A file without frames still opens.
  reader_->Seek(reader_->Size() / 10);
  ReadFrame();
  reader_->Seek(0);
  return true;
}

void CFrameReader::Close() {
  closed_ = true;
  reader_.reset();
  ownedSource_.reset();
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

bool CFrameReader::IsCandidate(const std::uint8_t* b) const {
  if (b[0] != 0xFF) return false;
  if (!hasReference_) return (b[1] & 0xF0) == 0xF0;
  const auto ref = reference_.Word();
  // Sync and version (upper 5 bits of byte 1), sample-rate index (bits 3-2 of byte 2), and the
  // single-channel state must agree with the reference.
  return (b[1] & 0xF8) == ((ref >> 16) & 0xF8) && (b[2] & 0x0C) == ((ref >> 8) & 0x0C) &&
         ((b[3] >> 6) == MpegHeader::kSingleChannel) == reference_.IsSingleChannel();
}

bool CFrameReader::FindHeader(MpegHeader& header) {
  if (closed_ || !reader_) return false;
  for (;;) {
    const auto head = reader_->Peek(4);
    if (head.empty()) return false;
    if (!IsCandidate(head.data())) {
      // Byte-wise search: jump to the next 0xFF in what is buffered.
      const auto avail = reader_->Available();
      const void* next =
          avail.size() > 1 ? std::memchr(avail.data() + 1, 0xFF, avail.size() - 1) : nullptr;
      reader_->Skip(next ? static_cast<const std::uint8_t*>(next) - avail.data()
                         : std::max<std::size_t>(avail.size(), 1));
      continue;
    }
    header = MpegHeader::FromBytes(head);
    if (!header.IsAcceptable()) {
      reader_->Skip(4);  // a refused candidate is passed over whole
      continue;
    }
    frameOffset_ = reader_->Tell();
    return true;
  }
}

void CFrameReader::Accept(MpegHeader header, std::uint32_t length) {
  if (!hasReference_) {
    hasReference_ = true;
    reference_ = header;
    referenceBodySize_ = length - 4;
  }
  header_ = header;
  bodySize_ = length - 4;
  ++frameCount_;
}

std::optional<std::span<const std::uint8_t>> CFrameReader::ReadFrame() {
  MpegHeader header;
  if (!FindHeader(header)) return std::nullopt;
  const auto length = header.FrameLength();
  if (reader_->Read({frame_.data(), length}) < length) return std::nullopt;
  Accept(header, length);
  return std::span<const std::uint8_t>(frame_.data() + 4, bodySize_);
}

bool CFrameReader::SkipFrame() {
  MpegHeader header;
  if (!FindHeader(header)) return false;
  const auto length = header.FrameLength();
  if (reader_->Size() - frameOffset_ < length) {
    reader_->Seek(reader_->Size());
    return false;
  }
  reader_->Skip(length);
  Accept(header, length);
  return true;
}

bool CFrameReader::ViewFrame() {
  MpegHeader header;
  if (!FindHeader(header)) return false;
  const auto length = header.FrameLength();
  const auto bytes = reader_->Peek(length);
  if (bytes.empty()) {
    reader_->Seek(reader_->Size());
    return false;
  }
  view_ = bytes;
  reader_->Skip(length);
  Accept(header, length);
  return true;
}

std::int64_t CFrameReader::EstimatePlayTime(std::optional<std::uint64_t> audioBytes) const {
  if (!hasReference_) return 0;
  const std::uint64_t unpadded = referenceBodySize_ + 4 - (reference_.IsPadded() ? 1 : 0);
  const auto bytes = audioBytes.value_or(GetFileLength());
  return static_cast<std::int64_t>(bytes / unpadded) * reference_.MsPerFrame();
}

std::uint64_t Id3v2TagSize(std::span<const std::uint8_t> b) {
  // "ID3" major minor flags size(4 x 7 bits, big-endian); a footer of 10 more bytes when flag 0x10.
  if (b.size() < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3' || b[3] == 0xFF || b[4] == 0xFF)
    return 0;
  if ((b[6] | b[7] | b[8] | b[9]) & 0x80) return 0;
  const std::uint64_t body = (std::uint64_t{b[6]} << 21) | (std::uint64_t{b[7]} << 14) |
                             (std::uint64_t{b[8]} << 7) | std::uint64_t{b[9]};
  return 10 + body + ((b[5] & 0x10) ? 10 : 0);
}

std::uint64_t FindAudioStart(ByteSource& source) {
  std::uint64_t pos = 0;
  // Some taggers prepend a new tag in front of an old one; follow a few.
  for (int i = 0; i < 8; ++i) {
    std::uint8_t head[10];
    if (source.ReadAt(pos, head) < sizeof head) break;
    const auto tag = Id3v2TagSize(head);
    if (tag == 0 || tag > source.Size() - pos) break;
    pos += tag;
  }
  return pos;
}

}  // namespace tandrel
