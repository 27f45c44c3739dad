#include "program_run.h"

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "fixtures/temp_dir.h"

extern char** environ;

namespace tandrel::cli_tests {
namespace {

std::vector<char*> Argv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int ExitStatus(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Spawns argv with stdin from `input`, stdout and stderr to files; the child runs in `cwd`.
ProgramRun Spawn(std::vector<std::string> args, const std::string& cwd, const std::string& input,
                 bool searchPath) {
  fixtures::TempDir scratch;
  const auto inPath = scratch.File("in");
  const auto outPath = scratch.File("out");
  const auto errPath = scratch.File("err");
  std::ofstream(inPath, std::ios::binary) << input;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  auto argv = Argv(args);
  pid_t pid = 0;
  const int failed = searchPath
                         ? posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                         : posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + args[0]);
  ProgramRun run;
  run.status = ExitStatus(pid);
  run.out = Slurp(outPath);
  run.err = Slurp(errPath);
  return run;
}

}  // namespace

std::string ProgramPath() {
  const char* fromEnvironment = std::getenv("TANDREL_CLI");
  return fromEnvironment != nullptr && *fromEnvironment ? fromEnvironment : TANDREL_CLI_PROGRAM;
}

ProgramRun RunTandrel(const std::vector<std::string>& args, const std::string& cwd) {
  std::vector<std::string> all{ProgramPath()};
  all.insert(all.end(), args.begin(), args.end());
  return Spawn(all, cwd, {}, false);
}

ProgramRun RunCommand(const std::vector<std::string>& argv, const std::string& input) {
  return Spawn(argv, {}, input, true);
}

ProgramRun RunTandrelOnTerminal(const std::vector<std::string>& args) {
  std::vector<std::string> all{ProgramPath()};
  all.insert(all.end(), args.begin(), args.end());
  auto argv = Argv(all);
  winsize size{};
  size.ws_col = 80;
  size.ws_row = 24;
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
  if (pid < 0) throw std::runtime_error("forkpty failed");
  if (pid == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  ProgramRun run;
  char buffer[4096];
  for (;;) {
    const auto n = read(master, buffer, sizeof buffer);
    if (n > 0) {
      run.out.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the child has closed its side
    }
  }
  close(master);
  run.status = ExitStatus(pid);
  return run;
}

}  // namespace tandrel::cli_tests
