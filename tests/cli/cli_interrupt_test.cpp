// Ctrl-C, SIGTERM and SIGHUP in the middle of a long cut: the program stops between frames (or
// copied blocks), takes away the piece in progress, keeps and names the finished ones and exits
// 128 + the signal's number.
//
// The moment is chosen without timing: the test waits (inotify) for the first finished piece,
// then stops the program (SIGSTOP) and lets it run on in small steps until it is caught with a
// piece open (a file of the output folder among its descriptors), and only then sends the signal
// and lets it go on. So the signal meets a cut in progress however slow the machine is.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"
#include "piece_check.h"
#include "program_run.h"

namespace tandrel::cli {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

constexpr std::size_t kWaveHeader = 44;
constexpr std::uint32_t kWaveData = 40'000'000;  // 226.8 s of 44.1 kHz 16-bit stereo

struct InterruptCase {
  int signal;
  int status;
  const char* source;
  Strings way;
  // Run on a terminal, which draws the progress bar; SIGINT comes from Ctrl-C typed there.
  bool terminal = false;
};

const InterruptCase kCases[] = {
    {SIGINT, 130, "long.mp3", {"--parts", "40"}, true},
    {SIGTERM, 143, "long.mp3", {"--size", "1M"}},
    {SIGHUP, 129, "long.wav", {"--every", "10"}},
    {SIGINT, 130, "long.wav", {"--size", "2M"}},
};

// The percentage of the last bar drawn on a terminal before `end`, or -1.
int LastPercent(const std::string& shown, std::size_t end) {
  const auto at = shown.rfind("%\x1b[K", end);
  return at == std::string::npos || at < 3 ? -1 : std::stoi(shown.substr(at - 3, 3));
}

// The names of finished pieces in a folder: no hidden temporary file.
Strings Visible(const std::string& folder) {
  Strings names;
  for (const auto& name : fixtures::ListFolder(folder))
    if (!name.starts_with(".")) names.push_back(name);
  return names;
}

Strings Lines(const std::string& text) {
  Strings lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
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
    if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == child)
      return !Visible(folder).empty();
  }
  return false;
}

// Whether the (stopped) child holds a piece open: an unnamed file of `folder`, or a hidden
// temporary one.
bool PieceOpen(pid_t child, const std::string& folder) {
  std::error_code error;
  const auto prefix = fs::canonical(folder).string() + "/";
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", error)) {
    const auto target = fs::read_symlink(fd.path(), error).string();
    if (error || !target.starts_with(prefix)) continue;
    if (target.ends_with(" (deleted)") || target[prefix.size()] == '.') return true;
  }
  return false;
}

class CliInterrupt : public ::testing::Test {
 protected:
  // An MP3 of 96000 frames (41 MB, 41.8 minutes) of random bodies, padded as a 44.1 kHz stream
  // is, and a WAVE of random samples; and for each case what the same cut writes when nothing
  // stops it: "whole-K/..." in the order printed.
  static void SetUpTestSuite() {
    dir_ = new fixtures::TempDir;
    mp3_ = new fixtures::Mp3Builder;
    for (int i = 0; i < 96000; ++i) mp3_->Frame({.padding = i % 49 % 2 == 1});
    fixtures::WriteFile(dir_->File("long.mp3"), mp3_->Bytes());
    wave_ = new std::vector<std::uint8_t>(fixtures::MakeCanonicalWaveHeader({}, kWaveData));
    const auto samples = fixtures::RandomBytes(kWaveData, 7);
    wave_->insert(wave_->end(), samples.begin(), samples.end());
    fixtures::WriteFile(dir_->File("long.wav"), *wave_);
    whole_ = new std::vector<Strings>;
    for (std::size_t k = 0; k < std::size(kCases); ++k) {
      Strings args{"cut", kCases[k].source, "-q", "--no-tags", "-o", Whole(k)};
      args.insert(args.end(), kCases[k].way.begin(), kCases[k].way.end());
      const auto run = RunTandrel(args, RunIn(dir_->Path()));
      ASSERT_EQ(run.status, 0) << run.err;
      whole_->push_back(Lines(run.out));
    }
  }
  static void TearDownTestSuite() {
    delete whole_;
    delete wave_;
    delete mp3_;
    delete dir_;
  }
  static std::string Whole(std::size_t k) { return "whole-" + std::to_string(k); }
  static std::vector<std::uint8_t> Bytes(const std::string& name) {
    return ReadBytes(dir_->File(name));
  }

  static fixtures::TempDir* dir_;
  static fixtures::Mp3Builder* mp3_;
  static std::vector<std::uint8_t>* wave_;
  static std::vector<Strings>* whole_;
};

fixtures::TempDir* CliInterrupt::dir_ = nullptr;
fixtures::Mp3Builder* CliInterrupt::mp3_ = nullptr;
std::vector<std::uint8_t>* CliInterrupt::wave_ = nullptr;
std::vector<Strings>* CliInterrupt::whole_ = nullptr;

// What an interrupted cut is measured against: the pieces of the same cut left alone tile the
// source, MP3 in whole frames, WAVE in whole sample blocks behind a header of their own.
TEST_F(CliInterrupt, UninterruptedCutsTileTheirSources) {
  for (std::size_t k = 0; k < std::size(kCases); ++k) {
    SCOPED_TRACE(std::string(kCases[k].source) + " " + kCases[k].way[0]);
    const auto& pieces = (*whole_)[k];
    ASSERT_GT(pieces.size(), 10u);
    EXPECT_EQ(fixtures::ListFolder(dir_->File(Whole(k))).size(), pieces.size());
    const bool mp3 = std::string(kCases[k].source).ends_with(".mp3");
    std::size_t next = 0;  // frame, or data byte
    for (const auto& name : pieces) {
      const auto piece = Bytes(name);
      if (mp3) {
        std::size_t frames = 0;
        ASSERT_TRUE(IsFrameRun(piece, mp3_->Bytes(), mp3_->Placed(), next, frames)) << name;
        const auto decoded = fixtures::DecodeMp3(piece);
        EXPECT_EQ(decoded.errors, 0) << name << ": " << decoded.firstError;
        EXPECT_EQ(static_cast<std::size_t>(decoded.frames), frames) << name;
        next += frames;
      } else {
        ASSERT_GT(piece.size(), kWaveHeader) << name;
        const auto data = piece.size() - kWaveHeader;
        EXPECT_EQ(data % 4, 0u) << name;
        EXPECT_TRUE(Same(std::span(piece).first(kWaveHeader),
                         fixtures::MakeCanonicalWaveHeader({}, static_cast<std::uint32_t>(data))))
            << name;
        EXPECT_TRUE(Same(std::span(piece).subspan(kWaveHeader),
                         std::span(*wave_).subspan(kWaveHeader + next, data)))
            << name;
        next += data;
      }
    }
    EXPECT_EQ(next, mp3 ? mp3_->Placed().size() : std::size_t{kWaveData});
  }
}

TEST_F(CliInterrupt, ASignalStopsTheCutAndKeepsOnlyTheFinishedPieces) {
  int caughtInAPiece = 0;
  for (std::size_t k = 0; k < std::size(kCases); ++k) {
    const auto& c = kCases[k];
    SCOPED_TRACE(std::string(::strsignal(c.signal)) + ", " + c.source + " " + c.way[0]);
    const auto& whole = (*whole_)[k];
    // The cut may, rarely, end before it is stopped; then it is run again.
    bool interrupted = false;
    for (int attempt = 0; attempt < 5 && !interrupted; ++attempt) {
      const auto name = "out-" + std::to_string(k) + "-" + std::to_string(attempt);
      const auto folder = dir_->File(name);
      fs::create_directory(folder);
      const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
      ASSERT_GE(watch, 0);
      ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO), 0);
      Strings args{"cut", c.source, "--no-tags", "-o", name};
      args.insert(args.end(), c.way.begin(), c.way.end());
      auto options = RunIn(dir_->Path());
      options.terminal = c.terminal;
      RunningProgram cut(args, options);
      const bool started = WaitForFirstPiece(watch, folder, cut.Pid(), std::chrono::seconds(90));
      ::close(watch);
      ASSERT_TRUE(started) << "no piece within 90 s: " << cut.Wait().err;

      // Stopped, and let go on in steps until caught inside a piece (or a thousand steps).
      bool inPiece = false, running = true;
      std::size_t finished = 0;
      for (int step = 0; step < 1000; ++step) {
        if (!(running = cut.Stop())) break;
        finished = Visible(folder).size();
        inPiece = PieceOpen(cut.Pid(), folder);
        if (inPiece || finished == whole.size()) break;
        cut.Continue();
      }
      if (!running || finished == whole.size()) {
        cut.Continue();
        cut.Wait();
        continue;
      }
      interrupted = true;
      caughtInAPiece += inPiece;
      ASSERT_TRUE(c.terminal ? cut.Type("\x03") : cut.Signal(c.signal));
      ASSERT_TRUE(cut.Continue());
      const auto run = cut.Wait();

      // It exits with the status; the signal does not kill it.
      EXPECT_EQ(std::pair(run.status, run.killedBy), std::pair(c.status, 0)) << run.err;
      // The pieces finished when it was stopped, and at most the one it was in, if it got past
      // its last look at the flag: nothing else, and nothing hidden.
      const auto left = fixtures::ListFolder(folder);
      EXPECT_EQ(Visible(folder), left);
      ASSERT_GE(left.size(), finished);
      ASSERT_LE(left.size(), finished + (inPiece ? 1 : 0));
      // The first pieces of the uninterrupted cut, byte for byte, printed in order.
      Strings expected, printed;
      for (std::size_t i = 0; i < left.size(); ++i) {
        const auto piece = fs::path(whole[i]).filename().string();
        expected.push_back(piece);
        printed.push_back(name + "/" + piece);
        EXPECT_TRUE(Same(Bytes(name + "/" + piece), Bytes(whole[i]))) << piece;
      }
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(left, expected);
      EXPECT_EQ(Lines(run.out), printed);
      const auto message = "tandrel: " + std::string(c.source) + ": interrupted; " +
                           std::to_string(left.size()) + (left.size() == 1 ? " piece" : " pieces") +
                           " written";
      if (c.terminal) {
        // The bar showed the pieces finished, and is wiped before the message (the terminal
        // ends lines with CR LF).
        const auto tail = "\r\x1b[K" + message + "\r\n";
        ASSERT_TRUE(run.err.ends_with(tail)) << run.err;
        EXPECT_EQ(LastPercent(run.err, run.err.size() - tail.size()),
                  static_cast<int>(left.size() * 100 / whole.size()))
            << run.err;
      } else {
        EXPECT_EQ(run.err, message + "\n");
      }
      RecordProperty("case" + std::to_string(k),
                     std::to_string(left.size()) + " of " + std::to_string(whole.size()) +
                         " left, " + std::to_string(finished) + " finished when stopped " +
                         (inPiece ? "in a piece" : "between pieces"));
    }
    EXPECT_TRUE(interrupted) << "each of 5 cuts ended before it could be stopped";
  }
  RecordProperty("caughtInAPiece", caughtInAPiece);
  EXPECT_TRUE(Same(Bytes("long.mp3"), mp3_->Bytes()));
  EXPECT_TRUE(Same(Bytes("long.wav"), *wave_));
}

}  // namespace
}  // namespace tandrel::cli
