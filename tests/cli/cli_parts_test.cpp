// The rules of the command line that need no run of an operation.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/byte_size.h"
#include "cli/cue_sheet.h"
#include "cli/duration.h"
#include "cli/info_report.h"
#include "cli/piece_name.h"
#include "cli/section_plan.h"
#include "cli/usage_error.h"

namespace tandrel::cli {
namespace {

TEST(Duration, ReadsEachForm) {
  const struct {
    const char* text;
    std::optional<std::int32_t> ms;
  } cases[] = {
      {"1500ms", 1500},
      {"0ms", 0},
      {"90", 90000},
      {"90s", 90000},
      {"90.5", 90500},
      {"2.25s", 2250},
      {"0.001", 1},
      {"1:30", 90000},
      {"90:00", 5400000},
      {"1:02:03.500", 3723500},
      {"0:00:00.1", 100},
      {"596:31:23.647", 2147483647},
      {"596:31:23.648", {}},
      {"2147483648ms", {}},
      {"", {}},
      {"ms", {}},
      {"s", {}},
      {"-5", {}},
      {"1.5ms", {}},
      {"1.2345", {}},
      {"1:5", {}},
      {"1:60", {}},
      {"1:60:00", {}},
      {"1:2:03", {}},
      {"1:02:03:04", {}},
      {"1:30s", {}},
      {"5x", {}},
      {" 5", {}},
      {"1.", {}},
      {"1h", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseDuration(c.text), c.ms) << c.text;
  }
}

TEST(Duration, FormatsAsClock) {
  EXPECT_EQ(FormatClock(2002), "0:00:02.002");
  EXPECT_EQ(FormatClock(3723500), "1:02:03.500");
  EXPECT_EQ(FormatClock(36000000), "10:00:00.000");
  EXPECT_EQ(FormatClock(-1500), "-0:00:01.500");
}

TEST(ByteSize, ReadsEachForm) {
  const struct {
    const char* text;
    std::optional<std::uint64_t> bytes;
  } cases[] = {
      {"1000", 1000},
      {"100B", 100},
      {"2K", 2048},
      {"2KB", 2048},
      {"2kb", 2048},
      {"2 KiB", 2048},
      {"1.5K", 1536},
      {"0.1K", 102},
      {".5M", 524288},
      {"3M", 3145728},
      {"3MB", 3145728},
      {"1G", 1073741824},
      {"1GB", 1073741824},
      {"4294967296", 4294967296},
      {"4611686018427387904", 4611686018427387904},  // 2^62
      {"4611686018427387905", {}},
      {"99999999999G", {}},
      {"", {}},
      {"K", {}},
      {"1.", {}},
      {"1.K", {}},
      {"-1", {}},
      {"1T", {}},
      {"1  K", {}},
      {"1.0000000001", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseByteSize(c.text), c.bytes) << c.text;
  }
}

TEST(NameTemplate, ExpandsFields) {
  const PieceFields fields{"my.song", "MP3", 7, "Intro"};
  const struct {
    const char* text;
    const char* name;
  } cases[] = {
      {"{base}_{n:03}.{ext}", "my.song_007.MP3"},
      {"{n}", "7"},
      {"{n:01}", "7"},
      {"{n:05}-{title}", "00007-Intro"},
      {"{{{base}}}", "{my.song}"},
      {"plain", "plain"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameTemplate(c.text).Expand(fields), c.name) << c.text;
  }
  // A number wider than the padding is written whole.
  EXPECT_EQ(NameTemplate(NameTemplate::kTimePieces).Expand({"Song", "wav", 1000, ""}),
            "Song_1000.wav");
  EXPECT_EQ(NameTemplate(NameTemplate::kTracks).Expand({"x", "mp3", 3, "Coda"}), "03 - Coda.mp3");
}

TEST(NameTemplate, RefusesMalformedTemplates) {
  for (const char* text :
       {"", "{", "{base", "}", "a}b", "{}", "{N}", "{n:3}", "{n:00}", "{n:010}", "{size}"}) {
    EXPECT_THROW(NameTemplate{text}, UsageError) << text;
  }
  EXPECT_TRUE(NameTemplate("{title}").UsesTitle());
  EXPECT_FALSE(NameTemplate("{base}.{ext}").UsesNumber());
}

TEST(NameTemplate, MakesTitlesSafeForFileNames) {
  EXPECT_EQ(FileNameSafe("AC/DC | live; 1"), "AC-DC - live- 1");
  EXPECT_EQ(FileNameSafe("  tab\there  "), "tabhere");
  EXPECT_EQ(FileNameSafe(".."), "_");
  EXPECT_EQ(FileNameSafe("   "), "");
}

std::vector<std::pair<int, int>> Bounds(const std::vector<TimeSection>& sections) {
  std::vector<std::pair<int, int>> bounds;
  for (const auto& s : sections) bounds.emplace_back(s.start, s.end);
  return bounds;
}

using Bounds_ = std::vector<std::pair<int, int>>;

TEST(SectionPlan, FixedLengthFollowsTheDesktopRule) {
  EXPECT_EQ(Bounds(FixedLengthSections(10000, 3000)),
            (Bounds_{{1, 3000}, {3001, 6000}, {6001, 9000}, {9001, 10000}}));
  // A remainder of 1 ms is dropped, one of 2 ms kept.
  EXPECT_EQ(Bounds(FixedLengthSections(9001, 3000)),
            (Bounds_{{1, 3000}, {3001, 6000}, {6001, 9000}}));
  EXPECT_EQ(FixedLengthSections(9002, 3000).back().start, 9001);
  EXPECT_EQ(Bounds(FixedLengthSections(3000, 3000)), (Bounds_{{1, 3000}}));
  EXPECT_EQ(Bounds(FixedLengthSections(2028, 5000)), (Bounds_{{1, 2028}}));
  EXPECT_TRUE(FixedLengthSections(0, 1000).empty());
  const auto many = FixedLengthSections(1000000, 1000);
  ASSERT_EQ(many.size(), 1000u);
  EXPECT_EQ(many[999].number, 1000);
  // Near the top of the range the arithmetic must not wrap.
  EXPECT_EQ(FixedLengthSections(2147483647, 1500000000).back().end, 2147483647);
}

TEST(SectionPlan, EqualPartsCoverThePlayTime) {
  EXPECT_EQ(Bounds(EqualSections(2028, 3)), (Bounds_{{1, 676}, {677, 1352}, {1353, 2028}}));
  EXPECT_EQ(Bounds(EqualSections(10, 4)), (Bounds_{{1, 2}, {3, 5}, {6, 7}, {8, 10}}));
  EXPECT_EQ(Bounds(EqualSections(3, 3)), (Bounds_{{1, 1}, {2, 2}, {3, 3}}));
  EXPECT_TRUE(EqualSections(2, 3).empty());
  EXPECT_EQ(EqualSections(2147483647, 7).back().end, 2147483647);
}

TEST(SectionPlan, CutPointsAndSpans) {
  EXPECT_EQ(ParseCutPoints("0.25,500ms,1:00"), (std::vector<std::int32_t>{250, 500, 60000}));
  EXPECT_EQ(Bounds(CutPointSections(std::vector<std::int32_t>{250, 500})),
            (Bounds_{{1, 250}, {251, 500}, {501, kToEnd}}));
  for (const char* bad : {"", "1,", "2,1", "1,1", "0,5", "x", "2147483647ms"}) {
    EXPECT_THROW(ParseCutPoints(bad), UsageError) << bad;
  }

  const TimeSpan spans[] = {ParseTimeSpan("0-1"), ParseTimeSpan("1:00-1:30.5"),
                            ParseTimeSpan("-500ms"), ParseTimeSpan("2-"), ParseTimeSpan("-")};
  EXPECT_EQ(Bounds(SpanSections(spans)),
            (Bounds_{{1, 1000}, {60001, 90500}, {1, 500}, {2001, kToEnd}, {1, kToEnd}}));
  for (const char* bad : {"5", "2-1", "1-1", "a-2", "1-b", "1-2-3"}) {
    EXPECT_THROW(ParseTimeSpan(bad), UsageError) << bad;
  }
}

TEST(SectionPlan, WritesTheSectionList) {
  const TimeSection sections[] = {{1, 1000, 1, {}}, {1001, kToEnd, 2, {}}};
  const std::string paths[] = {"/o/a_001.mp3", "/o/a_002.mp3"};
  EXPECT_EQ(SectionList(sections, paths), "1;1000;/o/a_001.mp3|1001;-1;/o/a_002.mp3");
}

TEST(CueSheet, ReadsFilesTracksAndTitles) {
  const auto sheet = ParseCueSheet(
      "\xEF\xBB\xBFREM GENRE Test\r\n"
      "TITLE \"The album\"\r\n"
      "FILE \"side a.wav\" WAVE\r\n"
      "  TRACK 01 AUDIO\r\n"
      "    TITLE \"Opening\"\r\n"
      "    INDEX 01 00:00:00\r\n"
      "  track 02 audio\r\n"
      "    title Second\r\n"
      "    INDEX 00 00:01:00\r\n"
      "    INDEX 01 00:01:37\r\n"
      "FILE side_b.wav WAVE\n"
      "  TRACK 03 AUDIO\n"
      "    INDEX 01 120:00:74\n");
  ASSERT_EQ(sheet.files.size(), 2u);
  EXPECT_EQ(sheet.files[0].name, "side a.wav");
  ASSERT_EQ(sheet.files[0].tracks.size(), 2u);
  EXPECT_EQ(sheet.files[0].tracks[0].title, "Opening");
  EXPECT_EQ(sheet.files[0].tracks[1].title, "Second");
  EXPECT_EQ(sheet.files[0].tracks[1].start, 1493);  // 1 s and 37 of 75 frames
  EXPECT_EQ(sheet.files[1].tracks[0].number, 3);
  EXPECT_EQ(sheet.files[1].tracks[0].start, 7200986);

  const auto sections = TrackSections(sheet.files[0]);
  EXPECT_EQ(sections,
            (std::vector<TimeSection>{{1, 1493, 1, "Opening"}, {1494, kToEnd, 2, "Second"}}));
}

TEST(CueSheet, RefusesBrokenSheets) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"TRACK 01 AUDIO\n INDEX 01 00:00:00\n", "line 1: TRACK before any FILE"},
      {"FILE a.wav WAVE\nTRACK 01 AUDIO\nTITLE x\n", "line 2: the track has no INDEX 01"},
      {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:60:00\n", "line 3: '00:60:00' is not"},
      {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:75\n", "line 3: '00:00:75' is not"},
      {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:05:00\nTRACK 02 AUDIO\nINDEX 01 00:05:00\n",
       "line 5: the track does not start after"},
      {"FILE a.wav WAVE\nTRACK AUDIO\n", "line 2: TRACK without a number"},
      {"REM nothing\n", "the sheet lists no track"},
  };
  for (const auto& c : cases) {
    try {
      ParseCueSheet(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const UsageError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.reason, 0), 0u) << e.what();
    }
  }
}

TEST(JsonText, EscapesWhatJsonCannotHoldAsIs) {
  EXPECT_EQ(JsonString("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(JsonString("tab\tnl\n"), R"("tab\u0009nl\u000a")");
  EXPECT_EQ(JsonString("caf\xC3\xA9 \xF0\x9F\x8E\xB5"), "\"caf\xC3\xA9 \xF0\x9F\x8E\xB5\"");
  // Bytes that are no UTF-8: a lone continuation byte, a cut sequence, an overlong '/'.
  EXPECT_EQ(JsonString("a\x80z"), "\"a\\ufffdz\"");
  EXPECT_EQ(JsonString("\xE2\x82"), "\"\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");
}

}  // namespace
}  // namespace tandrel::cli
