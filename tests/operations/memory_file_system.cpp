#include "memory_file_system.h"

#include <algorithm>

namespace tandrel::testing {

class MemoryFile final : public ByteSource {
 public:
  MemoryFile(MemoryFileSystem& fs, const std::string& path)
      : fs_(fs), bytes_(fs.files_.at(path)), inode_(fs.inodes_.at(path)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override {
    if (++fs_.reads_ >= fs_.failRead && fs_.failRead > 0) {
      error_ = EIO;
      return 0;
    }
    if (offset >= bytes_.size()) return 0;
    const auto n = std::min<std::uint64_t>(dst.size(), bytes_.size() - offset);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), n, dst.begin());
    return static_cast<std::size_t>(n);
  }
  std::optional<FileIdentity> Identity() const override { return FileIdentity{1, inode_}; }
  int Error() const override { return error_; }

 private:
  MemoryFileSystem& fs_;
  std::vector<std::uint8_t> bytes_;
  std::uint64_t inode_;
  int error_ = 0;
};

class MemoryOutput final : public ByteSink {
 public:
  MemoryOutput(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
    ++fs_.openOutputs;
  }
  ~MemoryOutput() override { fs_.openOutputs -= done_ ? 0 : 1; }
  bool Write(std::span<const std::uint8_t> bytes) override {
    if (++fs_.writes_ == fs_.failWrite) return Fail();
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
  }
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    if (++fs_.writes_ == fs_.failWrite) return Fail();
    if (offset + bytes.size() > bytes_.size()) return false;
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
  }
  std::uint64_t Written() const override { return bytes_.size(); }
  bool Finish() override {
    if (++fs_.finishes_ == fs_.failFinish) return Fail();
    fs_.Put(path_, bytes_);
    done_ = true;
    --fs_.openOutputs;
    return true;
  }
  int Error() const override { return error_; }

 private:
  bool Fail() {
    error_ = fs_.writeError;
    return false;
  }

  MemoryFileSystem& fs_;
  std::string path_;
  int error_ = 0;
  std::vector<std::uint8_t> bytes_;
  bool done_ = false;
};

void MemoryFileSystem::Put(const std::string& path, std::vector<std::uint8_t> bytes) {
  files_[path] = std::move(bytes);
  inodes_.emplace(path, inodes_.size() + 1);
}

std::vector<std::string> MemoryFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& entry : files_) paths.push_back(entry.first);
  return paths;
}

std::unique_ptr<ByteSource> MemoryFileSystem::OpenRead(const std::string& path, int* error) {
  if (files_.count(path)) return std::make_unique<MemoryFile>(*this, path);
  if (error) *error = ENOENT;
  return nullptr;
}

std::unique_ptr<ByteSink> MemoryFileSystem::Create(const std::string& path, int* error) {
  if (!path.empty()) return std::make_unique<MemoryOutput>(*this, path);
  if (error) *error = ENOENT;
  return nullptr;
}

std::optional<FileIdentity> MemoryFileSystem::Identity(const std::string& path) {
  if (!files_.count(path)) return std::nullopt;
  return FileIdentity{1, inodes_.at(path)};
}

}  // namespace tandrel::testing
