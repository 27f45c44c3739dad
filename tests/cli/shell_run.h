#pragma once

// Runs the built program through the shell, as a script runs it, and keeps what it printed and
// its exit status.

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/temp_dir.h"

namespace tandrel::cli {

using Strings = std::vector<std::string>;

struct Run {
  int status;
  std::string out, err;
};

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs argv through the shell in folder `cwd`, standard input empty, each output stream to a file.
inline Run Command(const Strings& argv, const std::string& cwd = ".") {
  fixtures::TempDir io;
  std::string line = "cd " + Quote(cwd) + " &&";
  for (const auto& arg : argv) line += " " + Quote(arg);
  line += " </dev/null >" + io.File("out") + " 2>" + io.File("err");
  const int status = std::system(line.c_str());
  const auto text = [&io](const char* name) {
    return (std::ostringstream() << std::ifstream(io.File(name)).rdbuf()).str();
  };
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text("out"), text("err")};
}

inline Run Tandrel(Strings args, const std::string& cwd = ".") {
  args.insert(args.begin(), TANDREL_CLI_PROGRAM);
  return Command(args, cwd);
}

}  // namespace tandrel::cli
