#include "program_run.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace tandrel::cli {
namespace {

std::string ReadText(const std::string& path) {
  return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

}  // namespace

RunningProgram::RunningProgram(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> argv;
  if (!options.other) argv.push_back(TANDREL_CLI_PROGRAM);
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (auto& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  // Opened before the fork, so that another user can write them too.
  const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int out = ::open(io_.File("out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const int err = ::open(io_.File("err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  std::string terminalName;
  if (options.terminal) {
    terminal_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal_ >= 0 && ::grantpt(terminal_) == 0 && ::unlockpt(terminal_) == 0)
      terminalName = ::ptsname(terminal_);
    if (!terminalName.empty())
      ::fcntl(terminal_, F_SETFL, ::fcntl(terminal_, F_GETFL) | O_NONBLOCK);
  }
  if (in >= 0 && out >= 0 && err >= 0 && (!options.terminal || !terminalName.empty()))
    pid_ = ::fork();
  if (pid_ == 0) {
    // Only calls that are safe between fork and exec.
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    if (options.terminal) {
      // A session of its own, whose controlling terminal the pseudo-terminal becomes.
      ::setsid();
      const int slave = ::open(terminalName.c_str(), O_RDWR);
      if (slave < 0 || ::ioctl(slave, TIOCSCTTY, 0) != 0) ::_exit(126);
      ::dup2(slave, STDERR_FILENO);
    }
    if (options.user && (::setgroups(0, nullptr) != 0 || ::setgid(*options.user) != 0 ||
                         ::setuid(*options.user) != 0))
      ::_exit(126);
    if (::chdir(options.cwd.c_str()) != 0) ::_exit(126);
    ::execvp(pointers[0], pointers.data());
    ::_exit(127);
  }
  for (const int fd : {in, out, err})
    if (fd >= 0) ::close(fd);
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0 && !ended_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (terminal_ >= 0) ::close(terminal_);
}

bool RunningProgram::Type(const std::string& keys) const {
  return terminal_ >= 0 &&
         ::write(terminal_, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
}

void RunningProgram::ReadTerminal() {
  char buffer[4096];
  for (ssize_t n; terminal_ >= 0 && (n = ::read(terminal_, buffer, sizeof buffer)) > 0;)
    shown_.append(buffer, static_cast<std::size_t>(n));
}

bool RunningProgram::Signal(int signal) const {
  // A child reaped by Stop is no longer ours to signal: its number may be another's by now.
  return pid_ > 0 && !ended_ && ::kill(pid_, signal) == 0;
}

bool RunningProgram::Stop() {
  if (!Signal(SIGSTOP)) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WUNTRACED) != pid_) return false;
  if (WIFSTOPPED(status)) return true;
  ended_ = status;
  return false;
}

ProgramRun RunningProgram::Wait(std::chrono::milliseconds limit) {
  ProgramRun run;
  if (pid_ <= 0) return run;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = ended_.value_or(0);
  pid_t ended = ended_ ? pid_ : 0;
  while (ended == 0 && (ended = ::waitpid(pid_, &status, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() < deadline) {
    ReadTerminal();  // a full terminal would hold the child up
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (ended == pid_) {
    pid_ = -1;
    ended_.reset();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.killedBy = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  run.out = ReadText(io_.File("out"));
  ReadTerminal();
  run.err = terminal_ >= 0 ? shown_ : ReadText(io_.File("err"));
  return run;
}

ProgramRun RunTandrel(const std::vector<std::string>& args, const RunOptions& options) {
  return RunningProgram(args, options).Wait(options.limit);
}

ProgramRun Command(const std::vector<std::string>& argv, const std::string& cwd) {
  auto options = RunIn(cwd);
  options.other = true;
  return RunningProgram(argv, options).Wait(options.limit);
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool HasProgram(const std::string& program) {
  const std::string line = "command -v '" + program + "' >/dev/null 2>&1";
  return std::system(line.c_str()) == 0;
}

}  // namespace tandrel::cli
