// Real time on fresh lame encodes at each sample rate family: a cut at t seconds starts at the
// last frame whose real start (frames x samples per frame / rate) is at or before t, every piece
// decodes without error and holds exactly those frames of the source, and `tandrel info` gives
// the play time of the frames it counts.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/temp_dir.h"
#include "mp3_frame_list.h"
#include "piece_check.h"
#include "program_run.h"

namespace tandrel::cli {
namespace {

using Strings = std::vector<std::string>;

struct Encode {
  long rate;
  const char* sound;  // what sox synthesises
  Strings lame;       // lame's options beside the rate
};

struct Way {
  Strings args;                      // the way of cutting
  std::vector<std::int64_t> starts;  // the requested start of each piece, in ms
};

// h:mm:ss.mmm
std::string Clock(std::int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld",
                static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
  return text;
}

// Runs a tool for the fixture; false when it fails.
bool Make(const Strings& argv) {
  std::string line;
  for (const auto& arg : argv) line += "'" + arg + "' ";
  return std::system((line + ">/dev/null 2>&1").c_str()) == 0;
}

TEST(CliRealTime, CutsOfLameEncodesStartAtTheFrameThatHoldsEachTime) {
  if (!HasProgram("lame") || !HasProgram("sox")) GTEST_SKIP() << "needs lame and sox";
  const Encode encodes[] = {
      {44100, "pinknoise", {"--cbr", "-b", "128"}},
      {48000, "whitenoise", {"-V", "4"}},
      {32000, "sine 200-3000", {"--cbr", "-b", "96"}},
      {22050, "pinknoise", {"--cbr", "-b", "64"}},  // MPEG-2: 576 samples a frame
  };
  // 12.5 s of sound; lame adds its delay and padding, so the stream runs a little longer.
  const Way ways[] = {
      {{"--every", "5"}, {0, 5000, 10000}},
      {{"--at", "2.5,7.3,11.02"}, {0, 2500, 7300, 11020}},
  };
  for (const auto& e : encodes) {
    SCOPED_TRACE(std::to_string(e.rate) + " Hz");
    fixtures::TempDir dir;
    const auto wav = dir.File("sound.wav");
    const auto mp3 = dir.File("sound.mp3");
    std::istringstream sound(e.sound);
    Strings sox{"sox", "-R", "-n", "-r", std::to_string(e.rate), "-c", "2", wav, "synth", "12.5"};
    for (std::string word; sound >> word;) sox.push_back(word);
    sox.insert(sox.end(), {"vol", "0.5"});
    Strings lame{"lame", "--quiet", "--resample", std::to_string(e.rate / 1000.0)};
    lame.insert(lame.end(), e.lame.begin(), e.lame.end());
    lame.insert(lame.end(), {wav, mp3});
    ASSERT_TRUE(Make(sox) && Make(lame));

    const auto source = ListMp3Frames(mp3);
    ASSERT_EQ(source.error, "");
    ASSERT_EQ(source.sampleRate, e.rate);
    const std::int64_t spf = source.samplesPerFrame;
    const auto total = static_cast<std::int64_t>(source.frames.size());
    ASSERT_EQ(fixtures::DecodeMp3(mp3).frames, total);
    const auto lengthMs = total * spf * 1000 / e.rate;
    // The frame that holds real time t: the last one starting at or before it.
    const auto frameAt = [&](std::int64_t ms) { return ms * e.rate / (spf * 1000); };

    // The source as people and scripts read it.
    const auto text = RunTandrel({"info", mp3});
    const auto seconds = std::to_string(lengthMs / 1000) + "." + Clock(lengthMs).substr(8);
    EXPECT_NE(text.out.find("\n  play time     " + seconds + " s (" + Clock(lengthMs) + ")\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("\n  frames        " + std::to_string(total) + " of " +
                            std::to_string(spf) + " samples\n"),
              std::string::npos)
        << text.out;

    for (const auto& way : ways) {
      SCOPED_TRACE(way.args[0] + " " + way.args[1]);
      const auto folder = dir.File(way.args[0].substr(2));
      Strings args{"cut", mp3, "-q", "-o", folder};
      args.insert(args.end(), way.args.begin(), way.args.end());
      const auto run = RunTandrel(args);
      ASSERT_EQ(run.status, 0) << run.err;
      Strings pieces;
      for (std::size_t k = 1; k <= way.starts.size(); ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "/sound_%03zu.mp3", k);
        pieces.push_back(folder + name);
      }
      std::string printed;
      for (const auto& piece : pieces) printed += piece + "\n";
      ASSERT_EQ(run.out, printed);

      Strings info{"info", "--json"};
      for (std::size_t k = 0; k < pieces.size(); ++k) {
        SCOPED_TRACE(pieces[k]);
        const auto from = frameAt(way.starts[k]);
        const bool last = k + 1 == pieces.size();
        const auto to = last ? total : frameAt(way.starts[k + 1]);
        const auto list = ListMp3Frames(pieces[k]);
        EXPECT_EQ(list.error, "");
        ASSERT_EQ(static_cast<std::int64_t>(list.frames.size()), to - from);
        for (std::size_t i = 0; i < list.frames.size(); ++i) {
          ASSERT_TRUE(
              Same(list.frames[i].bytes, source.frames[static_cast<std::size_t>(from) + i].bytes))
              << "frame " << i << " of the piece, " << from + std::int64_t(i) << " of the source";
        }
        const auto decoded = fixtures::DecodeMp3(pieces[k]);
        EXPECT_EQ(decoded.errors, 0) << decoded.firstError;
        EXPECT_EQ(decoded.frames, to - from);
        // Within one frame of what was asked: both ends fall at most a frame early.
        const auto asked = (last ? lengthMs : way.starts[k + 1]) - way.starts[k];
        const double got = double((to - from) * spf) * 1000.0 / double(e.rate);
        EXPECT_LT(std::abs(got - double(asked)), double(spf) * 1000.0 / double(e.rate))
            << got << " ms for " << asked;
        info.push_back(pieces[k]);
      }

      // The play time `info` reports is the frames' real time.
      const auto json = RunTandrel(info);
      ASSERT_EQ(json.status, 0) << json.err;
      const auto reports = nlohmann::json::parse(json.out, nullptr, false);
      ASSERT_TRUE(reports.is_array() && reports.size() == pieces.size()) << json.out;
      for (std::size_t k = 0; k < pieces.size(); ++k) {
        const auto& r = reports[k];
        const auto frames = static_cast<std::int64_t>(ListMp3Frames(pieces[k]).frames.size());
        const auto ms = frames * spf * 1000 / e.rate;
        EXPECT_EQ(r.value("file", ""), pieces[k]);
        EXPECT_EQ(r.value("frames", -1), frames) << pieces[k];
        EXPECT_EQ(r.value("samplesPerFrame", -1), spf) << pieces[k];
        EXPECT_EQ(r.value("sampleRate", -1), e.rate) << pieces[k];
        EXPECT_EQ(r.value("playTimeMs", -1), ms) << pieces[k];
        EXPECT_EQ(r.value("playTime", ""), Clock(ms)) << pieces[k];
      }
    }
  }
}

}  // namespace
}  // namespace tandrel::cli
