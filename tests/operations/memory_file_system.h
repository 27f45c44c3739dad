#pragma once

// A file system in memory for the operations, with faults on demand: from the Nth read on every
// read fails, or the Nth write or finish fails (counted across all files, from 1). A failed read
// reports EIO, a failed write or finish `writeError`; a missing file ENOENT.

#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tandrel_engine/file_system.h"
#include "tandrel_engine/operations.h"

namespace tandrel::testing {

class MemoryFileSystem final : public FileSystem {
 public:
  void Put(const std::string& path, std::vector<std::uint8_t> bytes);
  bool Has(const std::string& path) const { return files_.count(path) != 0; }
  const std::vector<std::uint8_t>& Get(const std::string& path) const { return files_.at(path); }
  std::vector<std::string> Paths() const;  // in name order

  int failRead = 0, failWrite = 0, failFinish = 0;
  int writeError = ENOSPC;
  int openOutputs = 0;  // created and not finished

  std::unique_ptr<ByteSource> OpenRead(const std::string& path, int* error = nullptr) override;
  std::unique_ptr<ByteSink> Create(const std::string& path, int* error = nullptr) override;
  std::optional<FileIdentity> Identity(const std::string& path) override;

 private:
  friend class MemoryFile;
  friend class MemoryOutput;
  std::map<std::string, std::vector<std::uint8_t>> files_;
  std::map<std::string, std::uint64_t> inodes_;
  int reads_ = 0, writes_ = 0, finishes_ = 0;
};

// Records every notification in order, as "StatusChange 3", "Cut 33" ...
class RecordingSink final : public ProgressSink {
 public:
  void StatusChange(std::int16_t status) override { Add("StatusChange", status); }
  void Cut(std::int16_t percent) override { Add("Cut", percent); }
  void Join(std::int16_t percent) override { Add("Join", percent); }
  std::vector<std::string> events;

 private:
  void Add(const char* name, int value) { events.push_back(name + (" " + std::to_string(value))); }
};

}  // namespace tandrel::testing
