#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tandrel {

// Identifies one file however its path is spelled (device and inode on POSIX).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Where bytes come from.
//
// Short-read contract: ReadAt returns the number of bytes placed in `dst`. It returns fewer than
// dst.size() only when the source ends inside the range or when reading failed; the engine treats
// both as the end of the stream, exactly where the count stops.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) = 0;
  // The file behind the source, when there is one.
  virtual std::optional<FileIdentity> Identity() const { return std::nullopt; }
  // When the file's content last changed as it was opened, in the system's own units.
  virtual std::optional<std::int64_t> ModifiedTime() const { return std::nullopt; }
  // An OS file descriptor for kernel-side copies, or -1.
  virtual int NativeHandle() const { return -1; }
  // The errno of the last failed read, 0 when none failed or the source cannot tell.
  virtual int Error() const { return 0; }
  // True when ReadAt may be called from two threads at once.
  virtual bool ReadsConcurrently() const { return false; }
};

// Where bytes go. Write appends; WriteAt overwrites bytes written before (the info frame of a
// piece is completed once its frames are known). Each returns false when not every byte was
// stored. Finish makes the output complete under its final name; a sink destroyed without a
// successful Finish leaves nothing behind under that name.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
  virtual bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
  virtual std::uint64_t Written() const = 0;
  virtual bool Finish() = 0;
  // Copies [offset, offset + length) of `source` to the end of the sink. Returns the bytes copied.
  // The default goes through a buffer; file sinks may let the kernel copy.
  virtual std::uint64_t Append(ByteSource& source, std::uint64_t offset, std::uint64_t length);
  // The errno of the last failed write or Finish (ENOSPC, say), 0 when none failed or the sink
  // cannot tell.
  virtual int Error() const { return 0; }
  // True when the last Finish failed giving the output its name, after every byte was stored.
  virtual bool NamingFailed() const { return false; }
};

// In-memory source over bytes it owns.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override;
  bool ReadsConcurrently() const override { return true; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// In-memory sink; Bytes() holds what was written.
class MemorySink final : public ByteSink {
 public:
  bool Write(std::span<const std::uint8_t> bytes) override;
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
  std::uint64_t Written() const override { return bytes_.size(); }
  bool Finish() override {
    finished_ = true;
    return true;
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  bool Finished() const { return finished_; }

 private:
  std::vector<std::uint8_t> bytes_;
  bool finished_ = false;
};

// Opens an existing file for reading (sequential access). nullptr when it cannot be opened or is
// not a regular file; then `*error`, when given, is the errno (EISDIR, say, for a folder).
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, int* error = nullptr);

// Creates an output file. The bytes go to a file in the target's folder that Finish gives the
// name `path`, replacing what was there; until then `path` is untouched. Where the file system
// allows, that file has no name at all until Finish, so even a killed process leaves nothing
// behind; elsewhere it is a hidden temporary file, removed when the sink is destroyed unfinished.
// nullptr when the file cannot be created or when `path` exists and is not a regular file; then
// `*error`, when given, is the errno.
std::unique_ptr<ByteSink> CreateFileSink(const std::string& path, int* error = nullptr);

// The identity of the file at `path`, when it exists.
std::optional<FileIdentity> GetFileIdentity(const std::string& path);

// Buffered, positioned reading over a source: the frame search and the header parsers read
// through this, so that scanning byte by byte costs no system call per byte. One fixed buffer.
class ByteReader {
 public:
  static constexpr std::size_t kBufferSize = 256 * 1024;
  // Called just before the buffer is refilled, while the bytes it held are still there.
  using RefillHook = void (*)(void* context);

  explicit ByteReader(ByteSource& source);
  ByteReader(const ByteReader&) = delete;
  ByteReader& operator=(const ByteReader&) = delete;

  std::uint64_t Size() const { return size_; }
  std::uint64_t Tell() const { return pos_; }
  void Seek(std::uint64_t pos) { pos_ = pos; }
  void Skip(std::uint64_t n) { pos_ += n; }
  // Reads up to dst.size() bytes at the position and moves past them (short-read contract).
  std::size_t Read(std::span<std::uint8_t> dst);
  // The next n bytes (n <= kBufferSize) without moving, or an empty span when fewer remain.
  std::span<const std::uint8_t> Peek(std::size_t n);
  // The bytes buffered from the position on, reading more when none are: at most kBufferSize,
  // empty only at the end of the source.
  std::span<const std::uint8_t> Available();
  ByteSource& Source() { return source_; }
  // True once a read came back short before the end of the source: a read error, which the
  // stream readers would otherwise take for the end of the data.
  bool Failed() const { return failed_; }
  // One hook at a time; nullptr removes it.
  void SetRefillHook(RefillHook hook, void* context) {
    hook_ = hook;
    hookContext_ = context;
  }

 private:
  bool Fill(std::size_t need);

  ByteSource& source_;
  std::uint64_t size_;
  std::uint64_t pos_ = 0;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
  std::size_t bufferLen_ = 0;
  bool failed_ = false;
  RefillHook hook_ = nullptr;
  void* hookContext_ = nullptr;
};

// Copies source bytes [from, to) to the end of the sink. True when every byte was read and
// stored.
bool CopyByteRange(ByteSource& source, ByteSink& target, std::uint64_t from, std::uint64_t to);

}  // namespace tandrel
