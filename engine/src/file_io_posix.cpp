// File backends of the byte source and sink on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "buffered_file_sink.h"
#include "tandrel_engine/byte_io.h"

namespace tandrel {
namespace {

class FileSource final : public ByteSource {
 public:
  FileSource(int fd, const struct stat& st)
      : fd_(fd),
        size_(static_cast<std::uint64_t>(st.st_size)),
        identity_{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
        modified_(std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec) {}
  ~FileSource() override { ::close(fd_); }

  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override {
    std::size_t done = 0;
    while (done < dst.size()) {
      const auto n =
          ::pread(fd_, dst.data() + done, dst.size() - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error_ = errno;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    return done;
  }
  std::optional<FileIdentity> Identity() const override { return identity_; }
  std::optional<std::int64_t> ModifiedTime() const override { return modified_; }
  int NativeHandle() const override { return fd_; }
  bool ReadsConcurrently() const override { return true; }
  int Error() const override { return error_; }

 private:
  int fd_;
  std::uint64_t size_;
  FileIdentity identity_;
  std::int64_t modified_;
  std::atomic<int> error_{0};  // reads may run on two threads at once
};

bool PwriteAll(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const auto n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;  // no progress and no error: nothing more fits
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

std::atomic<unsigned> tempCounter{0};

// A hidden name beside the target, unique to this process and call. Short enough that it stays
// within the file system's name limit.
std::string TempName(const std::string& folder, const std::string& name) {
  return folder + "." + name.substr(0, 200) + "." + std::to_string(::getpid()) + "-" +
         std::to_string(tempCounter++) + ".part";
}

// Writes into a file that carries no name of the target's until it is finished, so a
// half-written output never does. The file is either unnamed (O_TMPFILE: it vanishes with its
// descriptor, even when the process is killed) and linked in by Commit, or a hidden temporary
// file that Commit renames over the target and the destructor removes.
class FileSink final : public BufferedFileSink {
 public:
  // `tempPath` empty: `fd` is an unnamed file.
  FileSink(int fd, std::string tempPath, std::string finalPath)
      : fd_(fd), tempPath_(std::move(tempPath)), finalPath_(std::move(finalPath)) {}
  ~FileSink() override {
    if (fd_ >= 0) ::close(fd_);
    if (!finished_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
  }

  std::uint64_t Append(ByteSource& source, std::uint64_t offset, std::uint64_t length) override {
    const int in = source.NativeHandle();
    if (in < 0 || failed_ || length < 64 * 1024) return ByteSink::Append(source, offset, length);
    if (!Flush()) return 0;
    // Let the kernel move the bytes (no copy through user space; reflinks where the file
    // system shares extents). Falls back to buffered copying where it is not supported.
    std::uint64_t done = 0;
    while (done < length) {
      auto inOffset = static_cast<off_t>(offset + done);
      auto outOffset = static_cast<off_t>(flushed_);
      const auto n = ::copy_file_range(in, &inOffset, fd_, &outOffset,
                                       static_cast<std::size_t>(length - done), 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && done == 0 &&
          (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        return ByteSink::Append(source, offset, length);
      }
      if (n < 0) {
        Fail();
        break;
      }
      if (n == 0) break;  // the source ended
      done += static_cast<std::uint64_t>(n);
      flushed_ += static_cast<std::uint64_t>(n);
    }
    return done;
  }

 private:
  bool WriteAllAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset) override {
    return PwriteAll(fd_, data, size, offset);
  }
  int SystemError() const override { return errno; }

  bool Commit() override {
    if (!tempPath_.empty()) {
      const int fd = std::exchange(fd_, -1);
      if (::close(fd) != 0) return false;
      namingFailed_ = ::rename(tempPath_.c_str(), finalPath_.c_str()) != 0;
      return !namingFailed_;
    }
    namingFailed_ = !LinkUnnamed();
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) == 0 || namingFailed_) return !namingFailed_;
    const int error = errno;  // a late write error: the bytes under the name are not all there
    ::unlink(finalPath_.c_str());
    errno = error;
    return false;
  }

  // Gives the unnamed file the target's name. A target that exists is replaced in one step: the
  // file is linked under a hidden name beside it and renamed over it.
  bool LinkUnnamed() {
    const auto self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, finalPath_.c_str(), AT_SYMLINK_FOLLOW) == 0)
      return true;
    if (errno != EEXIST) return false;
    const auto slash = finalPath_.rfind('/');
    const auto folder =
        slash == std::string::npos ? std::string() : finalPath_.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const auto temp = TempName(folder, finalPath_.substr(folder.size()));
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        if (errno == EEXIST) continue;
        return false;
      }
      if (::rename(temp.c_str(), finalPath_.c_str()) == 0) return true;
      const int error = errno;
      ::unlink(temp.c_str());
      errno = error;
      return false;
    }
    return false;
  }

  int fd_;
  std::string tempPath_;
  std::string finalPath_;
};

void SetError(int* error, int code) {
  if (error) *error = code;
}

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, int* error) {
  // Non-blocking, so that a FIFO or a device is refused at once instead of waiting for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetError(error, errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    SetError(error, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<FileSource>(fd, st);
}

std::unique_ptr<ByteSink> CreateFileSink(const std::string& path, int* error) {
  if (path.empty()) {
    SetError(error, ENOENT);
    return nullptr;
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    SetError(error, S_ISDIR(st.st_mode) ? EISDIR : EEXIST);
    return nullptr;
  }
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) {
    SetError(error, EISDIR);
    return nullptr;
  }
#ifdef O_TMPFILE
  // 0666 as for any new file: the umask applies when it is created.
  const int unnamed =
      ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (unnamed >= 0) return std::make_unique<FileSink>(unnamed, std::string(), path);
  // Kernels and file systems without unnamed files answer with one of these.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOSYS) {
    SetError(error, errno);
    return nullptr;
  }
#endif
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto temp = TempName(folder, name);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return std::make_unique<FileSink>(fd, temp, path);
    if (errno != EEXIST) break;
  }
  SetError(error, errno);
  return nullptr;
}

std::optional<FileIdentity> GetFileIdentity(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace tandrel
