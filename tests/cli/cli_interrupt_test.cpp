// Ctrl-C, SIGTERM and SIGHUP in the middle of a long cut: the program stops between frames,
// takes away the piece in progress, keeps and names the finished ones and exits 128 + the
// signal's number.
//
// The moment is chosen without timing: the test waits (inotify) for the first finished piece,
// stops the program (SIGSTOP), makes sure the cut is not yet over, and only then sends the signal
// and lets it go on. So the signal always meets a cut in progress, however slow the machine.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "piece_check.h"
#include "program_run.h"

namespace tandrel::cli {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

constexpr int kPieces = 40;

// The names of finished pieces in a folder: no hidden temporary file.
Strings Visible(const std::string& folder) {
  Strings names;
  for (const auto& name : fixtures::ListFolder(folder))
    if (!name.starts_with(".")) names.push_back(name);
  return names;
}

// Waits until a file that is not hidden appears in `folder`, or `child` ends, or the limit
// passes. True when a file appeared.
bool WaitForFirstPiece(int watch, const std::string& folder, pid_t child,
                       std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!Visible(folder).empty()) return true;
    pollfd ready{watch, POLLIN, 0};
    if (::poll(&ready, 1, 100) > 0) {
      alignas(inotify_event) char events[4096];
      if (::read(watch, events, sizeof events) < 0) return false;
    }
    siginfo_t info{};
    info.si_pid = 0;
    if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == child)
      return !Visible(folder).empty();
  }
  return false;
}

class CliInterrupt : public ::testing::Test {
 protected:
  // 96000 frames (41 MB, 41.8 minutes) of random bodies, padded as a 44.1 kHz stream is; and
  // the pieces an uninterrupted cut makes of it, which must tile it frame by frame.
  static void SetUpTestSuite() {
    dir_ = new fixtures::TempDir;
    source_ = new fixtures::Mp3Builder;
    for (int i = 0; i < 96000; ++i) source_->Frame({.padding = i % 49 % 2 == 1});
    fixtures::WriteFile(dir_->File("long.mp3"), source_->Bytes());
    const auto run = RunTandrel(
        {"cut", "long.mp3", "--parts", std::to_string(kPieces), "--no-tags", "-q", "-o", "whole"},
        RunIn(dir_->Path()));
    ASSERT_EQ(run.status, 0) << run.err;
  }
  static void TearDownTestSuite() {
    delete source_;
    delete dir_;
  }

  static fixtures::TempDir* dir_;
  static fixtures::Mp3Builder* source_;
};

fixtures::TempDir* CliInterrupt::dir_ = nullptr;
fixtures::Mp3Builder* CliInterrupt::source_ = nullptr;

TEST_F(CliInterrupt, AnUninterruptedCutTilesTheSourceWithWholeFrames) {
  const auto whole = Visible(dir_->File("whole"));
  ASSERT_EQ(whole.size(), static_cast<std::size_t>(kPieces));
  EXPECT_EQ(fixtures::ListFolder(dir_->File("whole")), whole);
  std::size_t next = 0;
  for (const auto& name : whole) {
    const auto piece = fixtures::ReadFile(dir_->File("whole/" + name));
    std::size_t frames = 0;
    ASSERT_TRUE(IsFrameRun(piece, source_->Bytes(), source_->Placed(), next, frames)) << name;
    EXPECT_EQ(frames, 96000u / kPieces) << name;
    const auto decoded = fixtures::DecodeMp3(piece);
    EXPECT_EQ(decoded.errors, 0) << name << ": " << decoded.firstError;
    EXPECT_EQ(static_cast<std::size_t>(decoded.frames), frames) << name;
    next += frames;
  }
  EXPECT_EQ(next, source_->Placed().size());
}

TEST_F(CliInterrupt, ASignalStopsTheCutBetweenFramesAndKeepsTheFinishedPieces) {
  const std::pair<int, int> signals[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
  const auto whole = Visible(dir_->File("whole"));
  ASSERT_EQ(whole.size(), static_cast<std::size_t>(kPieces));
  for (const auto& [signal, status] : signals) {
    SCOPED_TRACE(::strsignal(signal));
    // The cut may, rarely, end between the first piece and the stop; then it is run again.
    bool interrupted = false;
    for (int attempt = 0; attempt < 5 && !interrupted; ++attempt) {
      const auto name = "out-" + std::to_string(signal) + "-" + std::to_string(attempt);
      const auto folder = dir_->File(name);
      fs::create_directory(folder);
      const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
      ASSERT_GE(watch, 0);
      ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO), 0);
      RunningProgram cut(
          {"cut", "long.mp3", "--parts", std::to_string(kPieces), "--no-tags", "-o", name},
          RunIn(dir_->Path()));
      const bool started = WaitForFirstPiece(watch, folder, cut.Pid(), std::chrono::seconds(90));
      ::close(watch);
      ASSERT_TRUE(started) << "no piece within 90 s: " << cut.Wait().err;
      if (!cut.Stop()) continue;  // it ended on its own
      const auto finished = Visible(folder).size();
      if (finished == whole.size()) {
        cut.Continue();
        cut.Wait();
        continue;
      }
      interrupted = true;
      ASSERT_TRUE(cut.Signal(signal));
      ASSERT_TRUE(cut.Continue());
      const auto run = cut.Wait();

      // It exits with the status; the signal does not kill it.
      EXPECT_EQ(std::pair(run.status, run.killedBy), std::pair(status, 0)) << run.err;
      // Nothing but finished pieces, the first ones of the uninterrupted cut, byte for byte.
      const auto left = fixtures::ListFolder(folder);
      EXPECT_EQ(Visible(folder), left);
      ASSERT_GE(left.size(), finished);
      ASSERT_LT(left.size(), whole.size());
      RecordProperty(std::string(::sigabbrev_np(signal)) + "PiecesLeft", int(left.size()));
      EXPECT_EQ(left, Strings(whole.begin(), whole.begin() + std::ptrdiff_t(left.size())));
      std::string printed;
      for (const auto& piece : left) {
        printed += name + "/" + piece + "\n";
        EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(folder + "/" + piece),
                                        fixtures::ReadFile(dir_->File("whole/" + piece))))
            << piece;
      }
      EXPECT_EQ(run.out, printed);
      EXPECT_EQ(run.err, "tandrel: long.mp3: interrupted; " + std::to_string(left.size()) +
                             (left.size() == 1 ? " piece" : " pieces") + " written\n");
    }
    EXPECT_TRUE(interrupted) << "each of 5 cuts ended before it could be stopped";
  }
  EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(dir_->File("long.mp3")), source_->Bytes()));
}

}  // namespace
}  // namespace tandrel::cli
