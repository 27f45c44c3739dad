// Real time on the time axis of a source: where a cut falls, what the engine is asked for, and
// the plans of each way of cutting; CUE sheets as the parser hands them over.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cue_sheet.h"
#include "cli/section_plan.h"
#include "cli/timeline.h"
#include "cli/usage_error.h"

namespace tandrel::cli {
namespace {

TandrelMediaInfo Mp3(std::uint32_t rate, int version, std::uint64_t frames) {
  TandrelMediaInfo m{};
  m.kind = TANDREL_KIND_MP3;
  m.sampleRate = rate;
  m.mpegVersion = version;
  m.frameCount = frames;
  return m;
}

TandrelMediaInfo Wave(std::uint32_t perSecond, std::uint16_t block, std::uint32_t data) {
  TandrelMediaInfo m{};
  m.kind = TANDREL_KIND_WAVE;
  m.bytesPerSecond = perSecond;
  m.blockAlign = block;
  m.dataSize = data;
  return m;
}

// A cut at real time t starts at the last frame starting at or before t, and the engine's
// milliseconds for that frame select exactly it (its sections cover frames
// [(start - 1) / ms, end / ms)).
TEST(Timeline, RealTimesSelectTheFrameThatHoldsThem) {
  struct Case {
    std::uint32_t rate;
    int version;
    std::uint32_t spf, engineMs;
    std::int64_t t;
    std::uint64_t frame;
  };
  const Case cases[] = {
      {44100, 1, 1152, 26, 60000, 2296},  // 59.977 s; 2296 x 26 = 59.696 s would be 0.47 % off
      {44100, 1, 1152, 26, 26, 0},        // the first frame lasts 26.12 ms
      {44100, 1, 1152, 26, 27, 1},
      {48000, 1, 1152, 24, 60000, 2500},  // exactly 24 ms frames
      {32000, 1, 1152, 36, 3000000, 83333},
      {22050, 2, 576, 26, 240000, 9187},
      {11025, 25, 576, 52, 1000, 19},
      {8000, 25, 576, 72, 72, 1},
  };
  for (const auto& c : cases) {
    const Timeline line(Mp3(c.rate, c.version, 1'000'000));
    EXPECT_EQ(line.SamplesPerFrame(), c.spf) << c.rate;
    EXPECT_EQ(line.EngineMsPerFrame(), c.engineMs) << c.rate;
    EXPECT_EQ(line.UnitAt(c.t), c.frame) << c.rate << " " << c.t;
    EXPECT_EQ(line.UnitAt(line.StartOf(c.frame)), c.frame) << c.rate;
    EXPECT_LE(line.StartOf(c.frame), c.t);
    const auto start = line.EngineStart(c.t), end = line.EngineEnd(c.t);
    EXPECT_EQ((start - 1) / c.engineMs, static_cast<std::int64_t>(c.frame)) << c.rate;
    EXPECT_EQ(end / c.engineMs, static_cast<std::int64_t>(c.frame)) << c.rate;
  }
  const Timeline mp3(Mp3(44100, 1, 11487));
  EXPECT_EQ(mp3.LengthMs(), 300068);  // 11487 x 1152 / 44100
  EXPECT_EQ(mp3.EngineLengthMs(), 11487 * 26);
  EXPECT_EQ(mp3.UnitAt(10'000'000), 11487u);  // past the end: the end
  EXPECT_EQ(mp3.EngineEnd(kToEnd), kToEnd);
  // WAVE times are the engine's own; a block is the unit.
  const Timeline wave(Wave(16000, 2, 16000));
  EXPECT_EQ(wave.LengthMs(), 1000);
  EXPECT_EQ(wave.Units(), 8000u);
  EXPECT_EQ(wave.UnitAt(400), 3200u);
  EXPECT_EQ(wave.EngineStart(400), 401);
  EXPECT_EQ(wave.EngineEnd(400), 400);
}

std::vector<std::pair<std::int64_t, std::int64_t>> Spans(const std::vector<TimeSection>& s) {
  std::vector<std::pair<std::int64_t, std::int64_t>> spans;
  for (const auto& section : s) spans.emplace_back(section.from, section.to);
  return spans;
}

using SpanList = std::vector<std::pair<std::int64_t, std::int64_t>>;

TEST(SectionPlans, ReachTheRealEndOfTheStream) {
  const Timeline mp3(Mp3(44100, 1, 11487));  // 300.068 s
  EXPECT_EQ(Spans(FixedLengthSections(mp3, 60000)), (SpanList{{0, 60000},
                                                              {60000, 120000},
                                                              {120000, 180000},
                                                              {180000, 240000},
                                                              {240000, 300000},
                                                              {300000, kToEnd}}));
  // A header claiming far more frames than there are plays no part: only frames count.
  const Timeline one(Mp3(44100, 1, 1));
  EXPECT_EQ(Spans(FixedLengthSections(one, 1000)), (SpanList{{0, kToEnd}}));
  EXPECT_EQ(Spans(EqualSections(Timeline(Mp3(48000, 1, 10)), 3)),
            (SpanList{{0, 72}, {72, 144}, {144, kToEnd}}));  // frames 0-2, 3-5, 6-9
  EXPECT_TRUE(EqualSections(one, 2).empty());
  EXPECT_EQ(Spans(EqualSections(Timeline(Wave(16000, 2, 16000)), 3)),
            (SpanList{{0, 333}, {333, 666}, {666, kToEnd}}));
  EXPECT_TRUE(FixedLengthSections(Timeline(Mp3(44100, 1, 0)), 1000).empty());
}

TEST(SectionPlans, FitOrSayWhyNot) {
  const Timeline mp3(Mp3(44100, 1, 11487));
  struct Case {
    std::vector<TimeSection> sections;
    std::string reason;  // empty: fits
    SpanList fitted;
  };
  const Case cases[] = {
      {{{0, 1000, 1, {}, {}}, {299000, 400000, 2, {}, {}}}, "", {{0, 1000}, {299000, kToEnd}}},
      // The last frame starts at 300.042 s: a cut at 300.068 s falls in it, one at 300.1 s after.
      {{{0, 300068, 1, {}, {}}}, "", {{0, 300068}}},
      {{{300068, kToEnd, 1, {}, {}}}, "", {{300068, kToEnd}}},
      {{{300100, kToEnd, 1, {}, {}}},
       "piece 1 would start at 0:05:00.100, at or after the end (length 0:05:00.068)",
       {}},
      {{{1000, 1010, 3, {}, {}}},
       "piece 3 (0:00:01.000 to 0:00:01.010) is shorter than one frame",
       {}},
  };
  for (auto c : cases) {
    EXPECT_EQ(FitSections(mp3, c.sections), c.reason);
    if (c.reason.empty()) {
      EXPECT_EQ(Spans(c.sections), c.fitted);
    }
  }
  std::vector<TimeSection> any{{0, kToEnd, 1, {}, {}}};
  EXPECT_EQ(FitSections(Timeline(Mp3(44100, 1, 0)), any), "no audio to cut");
  // 2^31 engine milliseconds are 82.6 million frames of 26 ms.
  EXPECT_EQ(FitSections(Timeline(Mp3(44100, 1, 90'000'000)), any),
            "too long for a time cut (length 653:03:40.408)");
  EXPECT_EQ(
      SectionList(mp3, FixedLengthSections(mp3, 150000), std::vector<std::string>{"a", "b", "c"}),
      "1;149292;a|149293;298584;b|298585;-1;c");  // frames 5742 and 11484
}

TEST(CueSheets, GiveTracksTitlesPerformersAndRealStarts) {
  const auto sheet = ParseCueSheet(
      "\xEF\xBB\xBFPERFORMER \"The Band\"\r\nTITLE \"Live \\\"at\\\" home\"\r\n"
      "FILE \"a b.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    TITLE \"Say \\\"hi\\\"\"\r\n"
      "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    PERFORMER \"Guest\"\r\n"
      "    INDEX 00 03:58:00\r\n    INDEX 01 04:00:00\r\nFILE \"c.mp3\" MP3\r\n"
      "  TRACK 03 AUDIO\r\n    TITLE \"Café Ω\"\r\n    INDEX 01 00:10:37\r\n");
  EXPECT_EQ(sheet.title, "Live \"at\" home");
  ASSERT_EQ(sheet.files.size(), 2u);
  EXPECT_EQ(sheet.files[0].name, "a b.mp3");
  const auto first = TrackSections(sheet.files[0]);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0], (TimeSection{0, 240000, 1, "Say \"hi\"", "The Band"}));
  EXPECT_EQ(first[1], (TimeSection{240000, kToEnd, 2, "", "Guest"}));
  EXPECT_EQ(TrackSections(sheet.files[1]).front(),
            (TimeSection{10493, kToEnd, 3, "Café Ω", "The Band"}));  // 37 of 75 frames

  // The parser keeps some of its state after a syntax error: the sheets it reads are checked
  // first, and each run of the program reads one sheet.
  const std::pair<const char*, const char*> bad[] = {
      {"FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:10:00\nTRACK 02 AUDIO\nINDEX 01 00:09:00\n",
       "track 2 does not start after the track before it"},
      {"FILE a.mp3 MP3\nTRACK 01 AUDIO\n  index 01 00:10:75\n",
       "INDEX 01 00:10:75: seconds run from 00 to 59 and frames from 00 to 74"},
      {"FILE a.mp3 MP3\nTRACK 01 AUDIO\n", "not a CUE sheet that can be read"},
      {"PERFORMER x\n", "not a CUE sheet that can be read"},
      {"FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 xx\n", "not a CUE sheet that can be read"},
  };
  for (const auto& [text, reason] : bad) {
    try {
      ParseCueSheet(text);
      ADD_FAILURE() << text;
    } catch (const UsageError& e) {
      // After the first syntax error only the refusal itself is sure.
      if (text == bad[0].first || text == bad[1].first || text == bad[2].first) {
        EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
      }
    }
  }
}

}  // namespace
}  // namespace tandrel::cli
