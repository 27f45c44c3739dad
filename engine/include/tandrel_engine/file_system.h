#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tandrel_engine/byte_io.h"

namespace tandrel {

// Where the operations open their inputs and create their outputs. The real one opens files;
// tests put a memory file system or one that fails on demand in its place.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // An existing file, for reading; nullptr when it cannot be opened, with the errno in `*error`
  // when `error` is not null.
  virtual std::unique_ptr<ByteSource> OpenRead(const std::string& path, int* error = nullptr) = 0;
  // A new output that replaces `path` only when finished (see CreateFileSink); nullptr when it
  // cannot be created, with the errno in `*error` when `error` is not null.
  virtual std::unique_ptr<ByteSink> Create(const std::string& path, int* error = nullptr) = 0;
  // The identity of the file at `path`, when it exists.
  virtual std::optional<FileIdentity> Identity(const std::string& path) = 0;
};

// The operating system's files.
FileSystem& RealFileSystem();

}  // namespace tandrel
