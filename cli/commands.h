#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tandrel::cli {

// Each Run* function carries out one subcommand and returns the exit status: the operation's
// result code, for a batch the first one that is not 0. A command line that cannot be carried
// out throws UsageError before anything is written.

struct InfoOptions {
  std::vector<std::string> files;
  bool json = false;
};
int RunInfo(const InfoOptions& options);

struct CutOptions {
  std::vector<std::string> sources;
  std::optional<std::string> outDir;
  // Exactly one way of cutting.
  std::optional<std::string> every;
  std::optional<std::string> parts;
  std::optional<std::string> at;
  std::vector<std::string> sections;
  std::optional<std::string> cue;
  std::optional<std::string> size;
  std::optional<std::string> name;
  bool force = false;   // more than kManyPieces pieces
  bool noTags = false;  // pieces without the source's tags
  bool quiet = false;
};
// A cut that would write more pieces than this needs --force.
inline constexpr std::size_t kManyPieces = 1000;
int RunCut(const CutOptions& options);

struct JoinOptions {
  std::string output;
  std::vector<std::string> inputs;
  bool noTags = false;
  bool quiet = false;
};
int RunJoin(const JoinOptions& options);

// The control's operations with their own arguments, as text.
struct RawOptions {
  std::string operation;  // join, cut-time, cut-size, file-size, play-time
  std::vector<std::string> args;
  bool quiet = false;
};
int RunRaw(const RawOptions& options);

}  // namespace tandrel::cli
