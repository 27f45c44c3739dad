#pragma once

// A file system in memory for the operations, with faults on demand: a read that comes up short,
// an output that cannot be created, a write or a finish that fails.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tandrel/file_system.h"
#include "tandrel/operations.h"

namespace tandrel::testing {

class MemoryFileSystem final : public FileSystem {
 public:
  void Put(const std::string& path, std::vector<std::uint8_t> bytes);
  bool Has(const std::string& path) const { return files_.count(path) != 0; }
  const std::vector<std::uint8_t>& Get(const std::string& path) const { return files_.at(path); }
  // Paths in name order.
  std::vector<std::string> Paths() const;
  // Two names for one file, as a hard link or a different spelling gives.
  void Alias(const std::string& alias, const std::string& path) { aliases_[alias] = path; }

  // Faults. Counts run across every file of the file system, from 1.
  void FailCreate(const std::string& path) { failCreate_.insert(path); }
  void FailWriteNumber(int n) { failWrite_ = n; }
  void FailFinishNumber(int n) { failFinish_ = n; }
  // From the Nth read on, every read fails.
  void FailReadNumber(int n) { failRead_ = n; }

  // Outputs created and not finished at this moment.
  int OpenOutputs() const { return openOutputs_; }

  std::unique_ptr<ByteSource> OpenRead(const std::string& path) override;
  std::unique_ptr<ByteSink> Create(const std::string& path) override;
  std::optional<FileIdentity> Identity(const std::string& path) override;

 private:
  class Source;
  class Sink;
  friend class Source;
  friend class Sink;
  std::string Resolve(const std::string& path) const;
  void Store(const std::string& path, std::vector<std::uint8_t> bytes);

  std::map<std::string, std::vector<std::uint8_t>> files_;
  std::map<std::string, std::string> aliases_;
  std::map<std::string, std::uint64_t> inodes_;
  std::set<std::string> failCreate_;
  int failWrite_ = 0;
  int failFinish_ = 0;
  int failRead_ = 0;
  int writes_ = 0;
  int finishes_ = 0;
  int reads_ = 0;
  int openOutputs_ = 0;
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
