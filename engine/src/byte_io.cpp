#include "tandrel_engine/byte_io.h"

#include <algorithm>
#include <cstring>

namespace tandrel {

std::size_t MemorySource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) {
  if (dst.empty() || offset >= bytes_.size()) return 0;
  const auto n =
      static_cast<std::size_t>(std::min<std::uint64_t>(dst.size(), bytes_.size() - offset));
  std::memcpy(dst.data(), bytes_.data() + offset, n);
  return n;
}

bool MemorySink::Write(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return true;
}

bool MemorySink::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (offset > bytes_.size() || bytes.size() > bytes_.size() - offset) return false;
  std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

std::uint64_t ByteSink::Append(ByteSource& source, std::uint64_t offset, std::uint64_t length) {
  std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(length, 256 * 1024));
  std::uint64_t done = 0;
  while (done < length) {
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - done));
    const auto got = source.ReadAt(offset + done, {buffer.data(), want});
    if (got > 0 && !Write({buffer.data(), got})) return done;
    done += got;
    if (got < want) break;
  }
  return done;
}

ByteReader::ByteReader(ByteSource& source)
    : source_(source),
      size_(source.Size()),
      // No more than the source holds: small files (and fuzz inputs) need no large buffer.
      buffer_(static_cast<std::size_t>(std::clamp<std::uint64_t>(size_, 16, kBufferSize))) {}

bool ByteReader::Fill(std::size_t need) {
  // Already buffered?
  if (pos_ >= bufferStart_ && pos_ - bufferStart_ + need <= bufferLen_) return true;
  if (hook_) hook_(hookContext_);
  bufferStart_ = pos_;
  bufferLen_ = source_.ReadAt(pos_, {buffer_.data(), buffer_.size()});
  if (bufferLen_ < buffer_.size() && pos_ < size_ && size_ - pos_ > bufferLen_) failed_ = true;
  return bufferLen_ >= need;
}

std::span<const std::uint8_t> ByteReader::Peek(std::size_t n) {
  if (n > buffer_.size() || !Fill(n)) return {};
  return {buffer_.data() + (pos_ - bufferStart_), n};
}

std::span<const std::uint8_t> ByteReader::Available() {
  if (!(pos_ >= bufferStart_ && pos_ < bufferStart_ + bufferLen_)) Fill(1);
  if (!(pos_ >= bufferStart_ && pos_ < bufferStart_ + bufferLen_)) return {};
  const auto at = static_cast<std::size_t>(pos_ - bufferStart_);
  return {buffer_.data() + at, bufferLen_ - at};
}

std::size_t ByteReader::Read(std::span<std::uint8_t> dst) {
  if (dst.empty()) return 0;
  std::size_t done = 0;
  // Serve what the buffer holds, then go straight to the source for large reads.
  if (pos_ >= bufferStart_ && pos_ < bufferStart_ + bufferLen_) {
    const auto at = static_cast<std::size_t>(pos_ - bufferStart_);
    done = std::min(dst.size(), bufferLen_ - at);
    std::memcpy(dst.data(), buffer_.data() + at, done);
    pos_ += done;
  }
  if (done == dst.size()) return done;
  const auto rest = dst.subspan(done);
  if (rest.size() >= buffer_.size()) {
    const auto got = source_.ReadAt(pos_, rest);
    if (got < rest.size() && pos_ < size_ && size_ - pos_ > got) failed_ = true;
    pos_ += got;
    return done + got;
  }
  Fill(1);
  const auto avail = pos_ >= bufferStart_ && pos_ < bufferStart_ + bufferLen_
                         ? bufferLen_ - static_cast<std::size_t>(pos_ - bufferStart_)
                         : 0;
  const auto n = std::min(rest.size(), avail);
  if (n > 0) std::memcpy(rest.data(), buffer_.data() + (pos_ - bufferStart_), n);
  pos_ += n;
  return done + n;
}

bool CopyByteRange(ByteSource& source, ByteSink& target, std::uint64_t from, std::uint64_t to) {
  if (to <= from) return true;
  return target.Append(source, from, to - from) == to - from;
}

}  // namespace tandrel
