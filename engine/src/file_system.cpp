#include "tandrel_engine/file_system.h"

namespace tandrel {
namespace {

class RealFiles final : public FileSystem {
 public:
  std::unique_ptr<ByteSource> OpenRead(const std::string& path, int* error) override {
    return OpenFileSource(path, error);
  }
  std::unique_ptr<ByteSink> Create(const std::string& path, int* error) override {
    return CreateFileSink(path, error);
  }
  std::optional<FileIdentity> Identity(const std::string& path) override {
    return GetFileIdentity(path);
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static RealFiles files;
  return files;
}

}  // namespace tandrel
