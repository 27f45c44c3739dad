#pragma once

// Runs the built tandrel program as a user or a script would, and collects what it said.

#include <string>
#include <vector>

namespace tandrel::cli_tests {

struct ProgramRun {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// The program under test: $TANDREL_CLI, else the path the build gave.
std::string ProgramPath();

// Runs the program with `args` in folder `cwd` (the current one when empty), standard input
// empty, standard output and standard error each to a pipe-less file of its own.
ProgramRun RunTandrel(const std::vector<std::string>& args, const std::string& cwd = {});

// Runs it with all three standard streams on a pseudo-terminal; `out` gets everything it wrote.
ProgramRun RunTandrelOnTerminal(const std::vector<std::string>& args);

// Runs any program (by name, through PATH) and returns its status and standard output.
ProgramRun RunCommand(const std::vector<std::string>& argv, const std::string& input = {});

}  // namespace tandrel::cli_tests
