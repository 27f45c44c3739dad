// File backends of the byte source and sink on Windows. Paths are narrow text in the system's
// ANSI code page and go to the ANSI file functions as they are.
//
// Sharing: an input is opened for reading and shared for reading only, so nobody may write to it
// while it is read; an output is held without any sharing, so an output that another handle
// (an input of this or another program) holds open is refused when it is created, not when the
// finished piece is renamed over it.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "buffered_file_sink.h"
#include "tandrel_engine/byte_io.h"

namespace tandrel {
namespace {

// One ReadFile or WriteFile moves at most this much; DWORD counts stop short of 4 GB.
constexpr std::uint64_t kMaxTransfer = 1U << 30;

// Closes a handle when it goes.
class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& other) noexcept : h_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      h_ = other.Release();
    }
    return *this;
  }

  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  bool Close() {
    if (!Valid()) return true;
    return ::CloseHandle(Release()) != 0;
  }

 private:
  HANDLE h_;
};

// The errno closest to a system error code, for the operations' failure report.
int ErrnoOf(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

void SetError(int* error, int code) {
  if (error) *error = code;
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFU);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileIdentity{info.dwVolumeSerialNumber,
                      std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

// Positioned writing leaves no file position behind to keep in step: every write names its
// offset, as pwrite does.
bool WriteAllAt(HANDLE h, const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const auto chunk = static_cast<DWORD>(std::min<std::uint64_t>(size, kMaxTransfer));
    OVERLAPPED at = At(offset);
    DWORD written = 0;
    if (!::WriteFile(h, data, chunk, &written, &at) || written == 0) return false;
    data += written;
    size -= written;
    offset += written;
  }
  return true;
}

class FileSource final : public ByteSource {
 public:
  FileSource(Handle h, const BY_HANDLE_FILE_INFORMATION& info)
      : h_(std::move(h)),
        size_(std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow),
        identity_(IdentityOf(info)),
        modified_(
            static_cast<std::int64_t>(std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 |
                                      info.ftLastWriteTime.dwLowDateTime)) {}

  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override {
    std::size_t done = 0;
    while (done < dst.size()) {
      const auto chunk =
          static_cast<DWORD>(std::min<std::uint64_t>(dst.size() - done, kMaxTransfer));
      OVERLAPPED at = At(offset + done);
      DWORD got = 0;
      // Reading past the end fails with ERROR_HANDLE_EOF: the end of the stream either way.
      if (!::ReadFile(h_.Get(), dst.data() + done, chunk, &got, &at) || got == 0) break;
      done += got;
    }
    return done;
  }
  std::optional<FileIdentity> Identity() const override { return identity_; }
  std::optional<std::int64_t> ModifiedTime() const override { return modified_; }

 private:
  Handle h_;
  std::uint64_t size_;
  FileIdentity identity_;
  std::int64_t modified_;
};

std::atomic<unsigned> tempCounter{0};

// Writes into a hidden temporary file beside the target and renames it over the target when
// finished, so a half-written output never carries the final name. The existing target, if any,
// is held open without sharing until then.
class FileSink final : public BufferedFileSink {
 public:
  FileSink(Handle temp, std::string tempPath, Handle target, std::string finalPath)
      : temp_(std::move(temp)),
        tempPath_(std::move(tempPath)),
        target_(std::move(target)),
        finalPath_(std::move(finalPath)) {}
  ~FileSink() override {
    temp_.Close();
    if (!finished_) ::DeleteFileA(tempPath_.c_str());
  }

 private:
  bool WriteAllAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset) override {
    return tandrel::WriteAllAt(temp_.Get(), data, size, offset);
  }
  int SystemError() const override { return ErrnoOf(::GetLastError()); }
  bool Commit() override {
    // The finished file is an ordinary one: the hidden attribute goes before the rename.
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    ::SetFileInformationByHandle(temp_.Get(), FileBasicInfo, &basic, sizeof basic);
    if (!temp_.Close()) return false;
    target_.Close();
    namingFailed_ =
        ::MoveFileExA(tempPath_.c_str(), finalPath_.c_str(), MOVEFILE_REPLACE_EXISTING) == 0;
    return !namingFailed_;
  }

  Handle temp_;
  std::string tempPath_;
  Handle target_;
  std::string finalPath_;
};

// Where the file name of a path begins: after the last backslash, slash or drive colon.
std::size_t NameStart(const std::string& path) {
  const auto sep = path.find_last_of("\\/:");
  return sep == std::string::npos ? 0 : sep + 1;
}

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, int* error) {
  Handle h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!h.Valid()) {
    SetError(error, ErrnoOf(::GetLastError()));
    return nullptr;
  }
  // Devices, pipes and consoles open too; only a file on disk is a source.
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(h.Get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h.Get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetError(error, EINVAL);
    return nullptr;
  }
  return std::make_unique<FileSource>(std::move(h), info);
}

std::unique_ptr<ByteSink> CreateFileSink(const std::string& path, int* error) {
  const std::size_t nameAt = NameStart(path);
  if (nameAt == path.size()) {
    SetError(error, path.empty() ? ENOENT : EISDIR);
    return nullptr;
  }
  // Hold the existing target for writing, shared with nobody: this fails while any other handle
  // has it open (and for a folder, a device or a read-only file).
  Handle target(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!target.Valid() && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
    SetError(error, ErrnoOf(::GetLastError()));
    return nullptr;
  }
  if (target.Valid() && ::GetFileType(target.Get()) != FILE_TYPE_DISK) {
    SetError(error, EEXIST);
    return nullptr;
  }

  const std::string folder = path.substr(0, nameAt);
  const DWORD process = ::GetCurrentProcessId();
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Sixteen characters: beside any target whose own name is at least as long, the temporary
    // file stays within the ANSI functions' path limit wherever the target does.
    char name[32];
    std::snprintf(name, sizeof name, "~tnd%04lx%04x.tmp",
                  static_cast<unsigned long>(process & 0xFFFF), (tempCounter++) & 0xFFFF);
    std::string temp = folder + name;
    Handle h(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (h.Valid()) {
      return std::make_unique<FileSink>(std::move(h), std::move(temp), std::move(target), path);
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  SetError(error, ErrnoOf(::GetLastError()));
  return nullptr;
}

std::optional<FileIdentity> GetFileIdentity(const std::string& path) {
  // No access asked for, so that no sharing mode of another handle can refuse the query.
  Handle h(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) return std::nullopt;
  return IdentityOf(info);
}

}  // namespace tandrel
