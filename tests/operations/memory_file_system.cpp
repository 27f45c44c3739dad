#include "memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace tandrel::testing {

class MemoryFileSystem::Source final : public ByteSource {
 public:
  Source(MemoryFileSystem& fs, std::vector<std::uint8_t> bytes, std::uint64_t inode)
      : fs_(fs), bytes_(std::move(bytes)), inode_(inode) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override {
    // A failing disk: the Nth read and every one after it come back empty.
    if (++fs_.reads_ >= fs_.failRead_ && fs_.failRead_ > 0) return 0;
    if (offset >= bytes_.size()) return 0;
    const auto n =
        static_cast<std::size_t>(std::min<std::uint64_t>(dst.size(), bytes_.size() - offset));
    std::memcpy(dst.data(), bytes_.data() + offset, n);
    return n;
  }
  std::optional<FileIdentity> Identity() const override { return FileIdentity{1, inode_}; }

 private:
  MemoryFileSystem& fs_;
  std::vector<std::uint8_t> bytes_;
  std::uint64_t inode_;
};

class MemoryFileSystem::Sink final : public ByteSink {
 public:
  Sink(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
    ++fs_.openOutputs_;
  }
  ~Sink() override {
    if (!done_) --fs_.openOutputs_;
  }
  bool Write(std::span<const std::uint8_t> bytes) override {
    if (++fs_.writes_ == fs_.failWrite_) return false;
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
  }
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    if (++fs_.writes_ == fs_.failWrite_) return false;
    if (offset + bytes.size() > bytes_.size()) return false;
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
  }
  std::uint64_t Written() const override { return bytes_.size(); }
  bool Finish() override {
    if (++fs_.finishes_ == fs_.failFinish_) return false;
    fs_.Store(fs_.Resolve(path_), bytes_);
    done_ = true;
    --fs_.openOutputs_;
    return true;
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  std::vector<std::uint8_t> bytes_;
  bool done_ = false;
};

void MemoryFileSystem::Put(const std::string& path, std::vector<std::uint8_t> bytes) {
  Store(path, std::move(bytes));
}

void MemoryFileSystem::Store(const std::string& path, std::vector<std::uint8_t> bytes) {
  files_[path] = std::move(bytes);
  inodes_.emplace(path, inodes_.size() + 1);
}

std::vector<std::string> MemoryFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [path, bytes] : files_) paths.push_back(path);
  return paths;
}

std::string MemoryFileSystem::Resolve(const std::string& path) const {
  const auto alias = aliases_.find(path);
  return alias == aliases_.end() ? path : alias->second;
}

std::unique_ptr<ByteSource> MemoryFileSystem::OpenRead(const std::string& path) {
  const auto it = files_.find(Resolve(path));
  if (it == files_.end()) return nullptr;
  return std::make_unique<Source>(*this, it->second, inodes_.at(it->first));
}

std::unique_ptr<ByteSink> MemoryFileSystem::Create(const std::string& path) {
  if (path.empty() || failCreate_.count(path)) return nullptr;
  return std::make_unique<Sink>(*this, path);
}

std::optional<FileIdentity> MemoryFileSystem::Identity(const std::string& path) {
  const auto it = files_.find(Resolve(path));
  if (it == files_.end()) return std::nullopt;
  return FileIdentity{1, inodes_.at(it->first)};
}

}  // namespace tandrel::testing
