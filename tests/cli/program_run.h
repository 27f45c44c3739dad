#pragma once

// The built program run as a child process, without a shell: its standard output and error
// captured, optionally as another user, and, for tests of interruptions, left running so that
// the test can stop it and send it signals.

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/temp_dir.h"

namespace tandrel::cli {

struct ProgramRun {
  // The exit status; 128 + N when signal N ended the child (as a shell says); -1 when the
  // child could not be started or did not end in time.
  int status = -1;
  int killedBy = 0;  // the signal that ended the child, 0 when it exited
  std::string out, err;
};

struct RunOptions {
  std::string cwd = ".";
  std::optional<uid_t> user;  // run as this user (and its group of the same number)
  std::chrono::milliseconds limit = std::chrono::minutes(2);  // RunTandrel: the longest wait
  // Standard error goes to a pseudo-terminal that is the child's controlling terminal, as in a
  // shell: the program draws its progress there, and Type() reaches it as a keyboard does.
  bool terminal = false;
  bool other = false;  // the program is not this one: the arguments start with its name (on PATH)
};

// Options that only name the folder to run in.
inline RunOptions RunIn(const std::string& cwd) {
  RunOptions options;
  options.cwd = cwd;
  return options;
}

// A child running the program with `args`; standard input is /dev/null. A child still running
// when the object goes is killed.
class RunningProgram {
 public:
  RunningProgram(const std::vector<std::string>& args, const RunOptions& options = {});
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  pid_t Pid() const { return pid_; }
  // Sends `signal`; false when the child is gone.
  bool Signal(int signal) const;
  // Stops the child (SIGSTOP) and waits until it is stopped: true then, false when it ended
  // first. Continue() lets a stopped child go on.
  bool Stop();
  bool Continue() const { return Signal(SIGCONT); }
  // With a terminal: keys as typed on it ("\x03" is Ctrl-C, which the terminal turns into
  // SIGINT for the program).
  bool Type(const std::string& keys) const;
  // Waits for the end of the child, at most `limit`, and reads what it wrote.
  ProgramRun Wait(std::chrono::milliseconds limit = std::chrono::minutes(2));

 private:
  fixtures::TempDir io_;
  pid_t pid_ = -1;
  std::optional<int> ended_;  // the wait status of a child that ended during Stop
  int terminal_ = -1;         // the pseudo-terminal's master side
  std::string shown_;         // what the child wrote to the terminal so far
  void ReadTerminal();
};

// Runs the program to its end and gives what it did.
ProgramRun RunTandrel(const std::vector<std::string>& args, const RunOptions& options = {});
inline ProgramRun Tandrel(const std::vector<std::string>& args, const std::string& cwd = ".") {
  return RunTandrel(args, RunIn(cwd));
}
// The same for another program, `argv` starting with its name.
ProgramRun Command(const std::vector<std::string>& argv, const std::string& cwd = ".");
// `text` quoted for the shell.
std::string Quote(const std::string& text);

using Strings = std::vector<std::string>;

// Whether `program` is found on PATH.
bool HasProgram(const std::string& program);

}  // namespace tandrel::cli
