#pragma once

// The write buffering both file backends share: small writes gather in one buffer, large ones
// (runs of frames straight from a reader's buffer) go out directly, and the info frame of a piece
// may be rewritten in place. A backend supplies the positioned write, the final commit (giving
// the file the target's name) and the system's error code. Internal to the engine.

#include <cstring>
#include <vector>

#include "tandrel_engine/byte_io.h"

namespace tandrel {

class BufferedFileSink : public ByteSink {
 public:
  static constexpr std::size_t kBufferSize = 256 * 1024;
  static constexpr std::size_t kDirectWrite = 32 * 1024;

  bool Write(std::span<const std::uint8_t> bytes) override {
    if (failed_) return false;
    if (bytes.size() >= kDirectWrite || buffer_.size() + bytes.size() > kBufferSize) {
      if (!Flush()) return false;
    }
    if (bytes.size() >= kDirectWrite) {
      if (!WriteAllAt(bytes.data(), bytes.size(), flushed_)) return Fail();
      flushed_ += bytes.size();
      return true;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return true;
  }

  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    if (failed_ || offset > Written() || bytes.size() > Written() - offset) return false;
    if (bytes.empty()) return true;
    if (offset >= flushed_) {
      std::memcpy(buffer_.data() + (offset - flushed_), bytes.data(), bytes.size());
      return true;
    }
    if (!Flush()) return false;
    return WriteAllAt(bytes.data(), bytes.size(), offset) || Fail();
  }

  std::uint64_t Written() const override { return flushed_ + buffer_.size(); }
  int Error() const override { return error_; }
  bool NamingFailed() const override { return namingFailed_; }

  bool Finish() override {
    if (failed_ || finished_ || !Flush()) return false;
    if (!Commit()) return Fail();
    finished_ = true;
    return true;
  }

 protected:
  BufferedFileSink() { buffer_.reserve(kBufferSize); }

  // Writes every byte at `offset` of the temporary file.
  virtual bool WriteAllAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset) = 0;
  // Makes the file the target. A failure to name it sets namingFailed_.
  virtual bool Commit() = 0;
  // The errno of the call that just failed.
  virtual int SystemError() const = 0;

  bool Flush() {
    if (failed_) return false;
    if (buffer_.empty()) return true;
    if (!WriteAllAt(buffer_.data(), buffer_.size(), flushed_)) return Fail();
    flushed_ += buffer_.size();
    buffer_.clear();
    return true;
  }
  bool Fail() {
    if (!failed_) error_ = SystemError();
    failed_ = true;
    return false;
  }

  std::uint64_t flushed_ = 0;  // bytes in the file; the buffer follows them
  bool failed_ = false;
  bool finished_ = false;
  bool namingFailed_ = false;
  int error_ = 0;

 private:
  std::vector<std::uint8_t> buffer_;
};

}  // namespace tandrel
