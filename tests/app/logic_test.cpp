// The desktop program's rules that need no window, in the texts and numbers the windows show.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "logic/add_sections.h"
#include "logic/cut_checks.h"
#include "logic/info_captions.h"
#include "logic/join_list.h"
#include "logic/layout_scale.h"
#include "logic/mime_associations.h"
#include "logic/number_mask.h"
#include "logic/open_file_filter.h"
#include "logic/path_routines.h"
#include "logic/piece_size.h"
#include "logic/section_list.h"
#include "logic/task_names.h"

using namespace trevasso::logic;

namespace {

const PlatformFacts kEnglish{",", ".", '/'};
const PlatformFacts kGerman{".", ",", '/'};
const PlatformFacts kFrench{"\xE2\x80\xAF", ",", '/'};  // U+202F, three bytes
const PlatformFacts kWindows{",", ".", '\\'};

struct TextCase {
  std::string actual;
  std::string expected;
};

void ExpectAll(const std::vector<TextCase>& cases) {
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(cases[i].actual, cases[i].expected) << "case " << i;
  }
}

TEST(Captions, SizeAndTime) {
  const auto size = [](double bytes) { return SizeCaption(bytes, kEnglish); };
  const auto time = [](double ms) { return TimeCaption(ms, kEnglish); };
  ExpectAll({
      {size(0), "Size:      Bytes"},
      {size(512), "Size:     512 Bytes"},
      {size(1024), "Size:     1,024 Bytes"},
      {size(1536), "Size:     1,536 Bytes (1.5 KB)"},
      {size(1048576), "Size:     1,048,576 Bytes (1024. KB)"},
      {size(5000000), "Size:     5,000,000 Bytes (4882.81 KB ; 4.77 MB)"},
      {size(4294967295.0), "Size:     4,294,967,295 Bytes (4194304. KB ; 4096. MB)"},
      {SizeCaption(1536, kGerman), "Size:     1.536 Bytes (1,5 KB)"},
      {SizeCaption(5000000, kFrench),
       "Size:     5\xE2\x80\xAF"
       "000\xE2\x80\xAF"
       "000 Bytes (4882,81 KB ; 4,77 MB)"},
      {time(0), "Time:      MS"},
      {time(1000), "Time:     1,000 MS"},
      {time(1500), "Time:     1,500 MS (2 Seconds)"},
      {time(60000), "Time:     60,000 MS (60 Seconds)"},
      {time(61234), "Time:     61,234 MS (61 Seconds ; 1 Minutes and 1 Seconds)"},
      {time(62500), "Time:     62,500 MS (63 Seconds ; 1 Minutes and 2 Seconds)"},
      {time(3600000), "Time:     3,600,000 MS (3600 Seconds ; 60 Minutes and 0 Seconds)"},
      {time(4e7), "Time:     40,000,000 MS (40000 Seconds ; 666 Minutes and 40 Seconds)"},
      {TimeCaption(61234, kGerman), "Time:     61.234 MS (61 Seconds ; 1 Minutes and 1 Seconds)"},
  });
}

TEST(Captions, SliderUnits) {
  using enum SliderUnit;
  struct Case {
    SliderUnit unit;
    double playTime;
    int maximum;
    std::optional<int> minimum;
    std::string lower, upper;
  };
  const Case cases[] = {
      {MilliSeconds, 183000, 183000, 1, "1 MS", "183000 MS"},
      {MilliSeconds, 1234567, 1234567, 1, "1 MS", "1234567 MS"},  // no grouping
      {Seconds, 2500, 2, std::nullopt, "0 S", "2 S"},             // half to even
      {Seconds, 3500, 4, std::nullopt, "0 S", "4 S"},
      {Minutes, 183000, 3, std::nullopt, "0 M", "3 M"},
      {Minutes, 29999, 0, std::nullopt, "0 M", "0 M"},
  };
  for (const Case& c : cases) {
    const SliderRange range = UnitRange(c.unit, c.playTime);
    EXPECT_EQ(range.maximum, c.maximum) << c.upper;
    EXPECT_EQ(range.minimum, c.minimum) << c.upper;
    EXPECT_EQ(range.lowerCaption, c.lower);
    EXPECT_EQ(range.upperCaption, c.upper);
  }
}

TEST(NumberMasks, FormatAndRead) {
  ExpectAll({
      {FormatGrouped(0.4, kEnglish), ""},
      {FormatGrouped(0.5, kEnglish), "1"},  // halves away from zero
      {FormatGrouped(-0.5, kEnglish), "-1"},
      {FormatGrouped(999, kEnglish), "999"},
      {FormatGrouped(-1234567, kEnglish), "-1,234,567"},
      {FormatGrouped(9223372036854775807.0 / 2, kGerman), "4.611.686.018.427.387.904"},
      {FormatTwoDecimals(0.25, kEnglish), ".25"},
      {FormatTwoDecimals(0.05, kEnglish), ".05"},
      {FormatTwoDecimals(2, kEnglish), "2."},
      {FormatTwoDecimals(2.004, kEnglish), "2."},
      {FormatTwoDecimals(2.006, kEnglish), "2.01"},
      {FormatTwoDecimals(-1.5, kGerman), "-1,5"},
      {FormatTwoDecimals(0, kEnglish), "."},
      {FormatPlain(183000), "183000"},
      {FormatPlain(-42), "-42"},
      {FormatPlain(1.5), "1.5"},
      {FormatPlain(0.1), "0.1"},
      {FormatPlain(1e16), "1e+16"},
      {FormatPlain(-0.5), "-0.5"},
      {FormatPlain(1915.890869140625), "1915.89086914063"},  // a tie goes away from zero
      {FormatPlain(-1915.890869140625), "-1915.89086914063"},
      {FormatPlain(123456789012345.6), "123456789012346"},
      {FormatPlain(999999999999999.9), "1e+15"},  // rounding carries into the exponent
      {FormatPlain(1.0 / 3), "0.333333333333333"},
      {FormatPlain(0.000123), "0.000123"},
      {FormatPlain(1e-5), "1e-05"},
      {FormatPlain(-1e-300), "-1e-300"},
      {FormatPlain(6.02e23), "6.02e+23"},
  });
  struct ReadCase {
    std::string text;
    const PlatformFacts& facts;
    std::optional<double> value;
  };
  const ReadCase reads[] = {
      {"", kEnglish, 0.0},
      {"1,234,567", kEnglish, 1234567.0},
      {"-61,234", kEnglish, -61234.0},
      {"1.234", kGerman, 1234.0},
      {"1\xE2\x80\xAF"
       "234",
       kFrench, 1234.0},
      {"1,234", kGerman, std::nullopt},  // another locale's separator
      {"-", kEnglish, std::nullopt},
      {"12a", kEnglish, std::nullopt},
      {"\xD9\xA3", kEnglish, std::nullopt},  // an Arabic-Indic digit
  };
  for (const ReadCase& r : reads) EXPECT_EQ(ParseGrouped(r.text, r.facts), r.value) << r.text;
}

TEST(NumberMasks, TypedNumbersAndCharacters) {
  const std::pair<std::string, std::optional<double>> typed[] = {
      {"12", 12.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"007", 7.0},
      {"", std::nullopt},
      {".", std::nullopt},
      {"1.2.3", std::nullopt},
      {"1e3", std::nullopt},
      {"-1", std::nullopt},
      {" 1", std::nullopt},
      {"1,5", std::nullopt},
  };
  for (const auto& [text, value] : typed) EXPECT_EQ(ParseTypedNumber(text), value) << text;

  const std::tuple<char32_t, bool, bool> characters[] = {
      {U'0', false, true},      {U'9', false, true}, {8, false, true},    {U'.', true, true},
      {U'.', false, false},     {U',', true, false}, {U'a', true, false}, {U'-', true, false},
      {U'\u0663', true, false},  // an Arabic-Indic digit
      {U'\uFF11', true, false},  // a full-width digit
  };
  for (const auto& [c, allowPoint, accepted] : characters) {
    EXPECT_EQ(AcceptsTypedCharacter(c, allowPoint), accepted) << static_cast<std::uint32_t>(c);
  }
}

// Whatever a locale groups with, what the mask writes reads back as the same number.
TEST(NumberMasks, GroupedRoundTripSweep) {
  std::mt19937_64 random(20261208);
  const PlatformFacts separators[] = {kEnglish, kGerman, kFrench, {"'", ".", '/'}};
  for (int i = 0; i < 2000; ++i) {
    const int digits = static_cast<int>(random() % 16) + 1;
    long long value = static_cast<long long>(random() % 1000000000000000000ULL);
    for (int d = digits; d < 18; ++d) value /= 10;
    if (random() % 2) value = -value;
    for (const PlatformFacts& facts : separators) {
      const std::string text = FormatGrouped(static_cast<double>(value), facts);
      EXPECT_EQ(ParseGrouped(text, facts), static_cast<double>(value)) << text;
    }
  }
}

TEST(Names, TaskFilesAndLists) {
  ExpectAll({
      {TaskFileName("/music/Song.mp3", "/out", 1, kEnglish), "/out/Song_001.mp3"},
      {TaskFileName("/music/Song.mp3", "/music/", 2, kEnglish), "/music/Song_002.mp3"},
      {TaskFileName("/music/Song.mp3", "", 1, kEnglish), "Song_001.mp3"},
      {TaskFileName(" /music/my.song.mp3 ", "/out", 1, kEnglish), "/out/my.song_001.mp3"},
      {TaskFileName("/music/Song.WAV", " /out ", 3, kEnglish), "/out/Song_003.WAV"},
      {TaskFileName("/mu.sic/Song", "/out", 1, kEnglish), "/out/Song_001"},
      {TaskFileName("/music/Song.mp3", "/out", 1000, kEnglish), "/out/Song_1000.mp3"},
      {TaskFileName("/music/.mp3", "/out", 7, kEnglish), "/out/_007.mp3"},
      {TaskFileName("Song.mp3", "/out", 12, kEnglish), "/out/Song_012.mp3"},
      {TaskFileName("/m\xC3\xBCsik/L\xC3\xA4nder.mp3", "/o", 1, kEnglish),
       "/o/L\xC3\xA4nder_001.mp3"},
      {TaskFileName("C:\\Music\\Song.mp3", "D:\\Out", 4, kWindows), "D:\\Out\\Song_004.mp3"},
      {TaskFileName("C:\\Music\\Song.mp3", "D:\\", 4, kWindows), "D:\\Song_004.mp3"},
      {TaskFileName("C:\\Mu.sic\\Song", "D:\\Out", 1, kWindows), "D:\\Out\\Song_001"},
      {BuildSectionList({{"1", "60,000", "/o/S_001.mp3"},
                         {"60,001", "120,000", " /o/S_002.mp3 "},
                         {"61,234", "1,234,567", "/o/my S_003.mp3"}},
                        kEnglish),
       "1;60000;/o/S_001.mp3|60001;120000;/o/S_002.mp3|61234;1234567;/o/my S_003.mp3"},
      {BuildSectionList({{"1.234", "5.678.901", "a.wav"}}, kGerman), "1234;5678901;a.wav"},
      {BuildSectionList({{"1\xE2\x80\xAF"
                          "000",
                          "2\xE2\x80\xAF"
                          "000",
                          "b.wav"}},
                        kFrench),
       "1000;2000;b.wav"},
      {BuildSectionList({{"", "x", "c.mp3"}}, kEnglish), "0;0;c.mp3"},  // unreadable cells: 0
      {BuildSectionList({}, kEnglish), ""},
      {BuildJoinList({"  /m/a.mp3", "/m/b c.mp3 ", "/c.mp3"}), "/m/a.mp3|/m/b c.mp3|/c.mp3"},
      {BuildJoinList({"\t/a.mp3"}), "\t/a.mp3"},  // blanks only
  });
}

std::string ShownRows(const AddResult& result) {
  std::string shown;
  for (const Section& s : result.sections) {
    if (!shown.empty()) shown += ' ';
    shown += FormatPlain(s.start) + '-' + FormatPlain(s.end);
  }
  return shown;
}

// Whatever the unit, a row holds milliseconds.
TEST(AddSections, Rows) {
  using enum AddRefusal;
  using enum SliderUnit;
  const auto fixed = FixedLengthSections;
  const std::tuple<AddResult, AddRefusal, std::string> cases[] = {
      {fixed("3000", 10000), None, "1-3000 3001-6000 6001-9000 9001-10000"},
      {fixed("3000", 9001), None, "1-3000 3001-6000 6001-9000"},  // 1 ms left: dropped
      {fixed("3000", 9002), None, "1-3000 3001-6000 6001-9000 9001-9002"},
      {fixed("4321", 4321), None, "1-4321"},
      {fixed("2500.5", 6000), None, "1-2500.5 2501.5-5001 5002-6000"},
      {fixed("0", 10000), NotPositive, ""},
      {fixed("", 10000), NotPositive, ""},
      {fixed("abc", 10000), NotPositive, ""},
      {fixed("10001", 10000), LongerThanFile, ""},
      {fixed("999", 1e6), TooManyPieces, ""},
      {fixed("0.5", 10000), TooManyPieces, ""},  // no piece count can be formed
      {StartEndSection(0, 1, MilliSeconds, 5000), None, "1-1"},
      {StartEndSection(7, 7, MilliSeconds, 5000), EndNotAfterStart, ""},
      {StartEndSection(8, 7, MilliSeconds, 5000), EndNotAfterStart, ""},
      {StartEndSection(1, 2, Seconds, 2500), None, "1000-2000"},
      {StartEndSection(0, 4, Seconds, 3500), None, "1-3500"},
      {StartEndSection(1, 3, Minutes, 183000), None, "60000-180000"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& [result, refusal, rows] = cases[i];
    EXPECT_EQ(result.refusal, refusal) << "case " << i;
    EXPECT_EQ(ShownRows(result), rows) << "case " << i;
  }
  EXPECT_EQ(fixed("1000", 1e6).sections.size(), 1000u);  // a thousand pass
}

TEST(AddSections, RefusalMessages) {
  using enum AddRefusal;
  ExpectAll({
      {RefusalMessage(None), ""},
      {RefusalMessage(NotPositive), "Please enter a plus integer value!"},
      {RefusalMessage(LongerThanFile),
       "The time value could not be longer than the file's total time"},
      {RefusalMessage(TooManyPieces),
       "The time value is too short, if cut by the size,\r\n it will generate more than 1000 "
       "files, \r\nPlease set a large value"},
      {RefusalMessage(EndNotAfterStart),
       "The end time value must be larger than the start time value!"},
  });
}

TEST(PieceSizes, BytesAndChecks) {
  using enum SizeUnit;
  using enum PieceSizeCheck;
  const auto size = ComputePieceSize;
  const std::tuple<PieceSize, PieceSizeCheck, std::int32_t> cases[] = {
      {size("0", Bytes, 1e6), NotPositive, 0},
      {size("", Bytes, 1e6), NotPositive, 0},
      {size("1e3", KiloBytes, 1e6), NotPositive, 0},  // not what a user can type
      {size("0.4", Bytes, 1e6), NotPositive, 0},      // rounds to 0 bytes
      {size("2.5", Bytes, 2), Ok, 2},                 // half to even
      {size("3.5", Bytes, 2), Ok, 4},
      {size("1.5", KiloBytes, 1e6), Ok, 1536},
      {size("1", MegaBytes, 1e6), Ok, 1048576},
      {size("10000", Bytes, 1e7), Ok, 10000},  // 1000 pieces
      {size("9999", Bytes, 1e7), TooManyPieces, 0},
      {size("2147483647", Bytes, 1e6), Ok, 2147483647},
      {size("2147483648", Bytes, 1e6), TooLarge, 0},
      {size("2048", MegaBytes, 1e6), TooLarge, 0}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& [piece, check, pieceBytes] = cases[i];
    EXPECT_EQ(piece.check, check) << "case " << i;
    EXPECT_EQ(piece.bytes, pieceBytes) << "case " << i;
  }
  ExpectAll({
      {PieceSizeMessage(NotPositive), "The size value must be larger than 0, please set it!"},
      {PieceSizeMessage(TooManyPieces),
       "The size value is too small, if cut by this size, \r\nIt will generate more than 1000 "
       "files, please enter a larger value"},
      {PieceSizeMessage(Ok), ""},
      {PieceSizeMessage(TooLarge), ""},
  });
}

TEST(Join, Formats) {
  const std::pair<std::vector<std::string>, std::int16_t> cases[] = {
      {{"/a.mp3", "/b.mp3", "/c.mp3"}, kJoinFormatsSame},
      {{"/a.wav", "/b.WAV"}, kJoinFormatsSame},
      {{}, kJoinFormatsSame},
      {{"/x.MP3", "/y.mp3"}, kJoinFormatsSame},  // the extension in any case
      {{"/x.MP3", "/y.wav"}, kJoinFormatsMixed},
      {{"/a.mp3", "/b.wav", "/c.ogg"}, kJoinFormatsMixed},
      {{"/a.mp3", "/c.ogg", "/b.wav"}, kJoinFormatsOther},
      {{"/my.mp3/track"}, kJoinFormatsOther},
      {{"mp3"}, kJoinFormatsSame},  // no point: the name is its own extension
      {{"/a.mp3", "/a.mp3 "}, kJoinFormatsOther},
      {{"/a.mp\xC3\xBE"}, kJoinFormatsOther},
  };
  for (const auto& [names, outcome] : cases) {
    EXPECT_EQ(CheckJoinFormats(names), outcome) << (names.empty() ? "" : names.back());
  }
}

// Each refusal the joiner shows before it runs, in the order the checks are made.
TEST(Join, Refusals) {
  using enum NoticeIcon;
  const std::vector<std::string> twoMp3 = {"/m/a.mp3", "/m/b.mp3"};
  const Notice tooFew{Information, "Please add more than 2 files to join"};
  const Notice noName{Information, "Please set a file name to save the joined file"};
  const Notice mixed{Information,
                     "Please use only one format, can not join MP3 and WAV files together"};
  const Notice other{
      Information,
      "Please use only one format of MP3 or WAV files, can not support other formats!"};
  struct Case {
    std::vector<std::string> files;
    std::string saveFileName;
    std::optional<Notice> shown;
  };
  const Case cases[] = {
      {{}, "/out/j.mp3", tooFew},
      {{"/m/a.mp3"}, "/out/j.mp3", tooFew},
      {{"/m/a.ogg"}, "", tooFew},  // the count is checked first
      {twoMp3, "", noName},
      {twoMp3, "   ", noName},
      {{"/m/a.mp3", "/m/b.ogg"}, "", noName},  // then the name
      {twoMp3, "\t", std::nullopt},            // only blanks make a name empty
      {{"/m/a.mp3", "/m/b.wav"}, "/out/j.mp3", mixed},
      {{"/m/a.wav", "/m/b.mp3", "/m/c.ogg"}, "/out/j.wav", mixed},
      {{"/m/a.mp3", "/m/b.ogg"}, "/out/j.mp3", other},
      {{"/m/a.flac", "/m/b.flac"}, "/out/j.flac", other},
      {twoMp3, "/out/j.mp3", std::nullopt},
      {{"/m/a.WAV", "/m/b.wav", "/m/c.Wav"}, " /out/j.wav ", std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const std::optional<Notice> shown = JoinRefusal(c.files, c.saveFileName);
    ASSERT_EQ(shown.has_value(), c.shown.has_value()) << "case " << i;
    if (shown) {
      EXPECT_EQ(shown->text, c.shown->text) << "case " << i;
      EXPECT_EQ(shown->icon, c.shown->icon) << "case " << i;
    }
  }
  EXPECT_EQ(JoinFormatsRefusal(kJoinFormatsSame), std::nullopt);
  EXPECT_EQ(JoinFormatsRefusal(kJoinFormatsMixed), mixed);
  EXPECT_EQ(JoinFormatsRefusal(kJoinFormatsOther), other);
  EXPECT_EQ(JoinFormatsRefusal(kJoinFormatsFailed), (Notice{Critical, "Unknown Error!"}));
  EXPECT_EQ(JoinFormatsRefusal(1), (Notice{Critical, "Unknown Error!"}));
}

TEST(Join, FilesCount) {
  const std::pair<std::size_t, std::int16_t> cases[] = {
      {0, 0}, {2, 2}, {32767, 32767}, {32768, 32767}, {100000, 32767}};
  for (const auto& [files, count] : cases) EXPECT_EQ(JoinFilesCount(files), count) << files;
}

// A Move button on a list of `rows` with the current file at `position`.
TEST(Join, Moves) {
  using enum JoinMove;
  const std::string noneUp = "There is no file for move up, Please add files first";
  const std::string noneDown = "There is no file for move down, Please add files first";
  const std::string top = "The file is already at the top.";
  const std::string bottom = "The file is already at the bottom.";
  struct Case {
    JoinMove move;
    int rows, position;
    std::string refusal;  // empty: moves
    int target;
  };
  const Case cases[] = {
      {Up, 0, 1, noneUp, 0}, {Down, 0, 1, noneDown, 0}, {Up, 1, 1, top, 0}, {Down, 1, 1, bottom, 0},
      {Up, 3, 1, top, 0},    {Up, 3, 2, "", 1},         {Up, 3, 3, "", 2},  {Down, 3, 1, "", 2},
      {Down, 3, 2, "", 3},   {Down, 3, 3, bottom, 0},
  };
  for (const Case& c : cases) {
    const JoinMoveTarget target = MoveJoinFile(c.move, c.rows, c.position);
    const std::string where = std::to_string(c.position) + " of " + std::to_string(c.rows);
    EXPECT_EQ(target.refusal.has_value(), !c.refusal.empty()) << where;
    if (target.refusal) {
      EXPECT_EQ(target.refusal->text, c.refusal) << where;
      EXPECT_EQ(target.refusal->icon, NoticeIcon::Information) << where;
    }
    EXPECT_EQ(target.position, c.target) << where;
  }
}

// The cutter's refusals before the Add Sections dialog, Remove and a split.
TEST(Cutter, Refusals) {
  const std::string openFirst = "Please open a file first!";
  const std::string openToSplit = "Please open a file to split!";
  const std::string addSections =
      "Please add sections to split, press the \"Add Sections...\" button to add ...";
  const auto text = [](const std::optional<Notice>& notice) {
    if (notice && notice->icon != NoticeIcon::Information) return std::string("(x) ");
    return notice ? notice->text : std::string();
  };
  ExpectAll({
      {text(AddSectionsRefusal("", 5000, 100)), openFirst},
      {text(AddSectionsRefusal("/m/a.mp3", 0, 100)), openFirst},   // no play time
      {text(AddSectionsRefusal("/m/a.mp3", 5000, 0)), openFirst},  // empty or gone
      {text(AddSectionsRefusal("/m/a.mp3", 0.5, 1)), ""},
      {text(RemoveSectionsRefusal(0)), "No files to remove"},
      {text(RemoveSectionsRefusal(1)), ""},
      {text(SplitRefusal("", 100, true, 3)), openToSplit},
      {text(SplitRefusal("/m/a.mp3", 0, false, 0)), openToSplit},
      {text(SplitRefusal("/m/a.mp3", 100, true, 0)), addSections},
      {text(SplitRefusal("/m/a.mp3", 100, true, 40000)), ""},  // the count is the engine's
      {text(SplitRefusal("/m/a.mp3", 100, false, 0)), ""},     // by size: no sections needed
  });
}

// Edges are scaled, so neighbours that touch keep touching.
TEST(Layout, Scales) {
  const LayoutScale at11 = LayoutScale::Between(kDesignFont, {9.2572, 17.453});
  const std::pair<Rect, Rect> cases[] = {
      {LayoutScale().Rect({10, 8, 456, 18}), {10, 8, 456, 18}},
      {LayoutScale(2, 2).Rect({10, 8, 456, 18}), {20, 16, 912, 36}},
      {at11.Rect({364, 168, 102, 28}), {455, 210, 128, 35}},
      {LayoutScale::Between(kDesignFont, {}).Rect({1, 2, 3, 4}), {1, 2, 3, 4}},
      {LayoutScale::Between({}, kDesignFont).Rect({1, 2, 3, 4}), {1, 2, 3, 4}}};
  for (const auto& [actual, expected] : cases) {
    EXPECT_EQ(actual, expected) << actual.x << ',' << actual.y << ' ' << actual.width << 'x'
                                << actual.height;
  }
  EXPECT_EQ(LayoutScale(1.5, 2).Size({496, 418}), (Size{744, 836}));
  EXPECT_EQ(LayoutScale(1.5, 2).Point({3, 5}), (Point{5, 10}));
  const LayoutScale odd(1.37, 1.37);
  for (int x = 0; x < 200; x += 33) {
    const Rect left = odd.Rect({x, 0, 33, 5});
    EXPECT_EQ(left.x + left.width, odd.Rect({x + 33, 0, 33, 5}).x) << x;
  }
}

TEST(Paths, RoutinesAndDrops) {
  const std::set<std::string> folders = {"/tmp/out", "/tmp/music/", "C:\\Music\\"};
  const IsFolder isFolder = [&folders](const std::string& path) { return folders.contains(path); };
  ExpectAll({
      {TrimBlanks("  a b  "), "a b"},
      {TrimBlanks("\t a \n"), "\t a \n"},
      {TrimBlanks("   "), ""},
      {GetFolderPart("/music/a.mp3", kEnglish), "/music/"},
      {GetFolderPart("a.mp3", kEnglish), ""},
      {GetFolderPart("C:\\Music\\a.mp3", kWindows), "C:\\Music\\"},
      {GetFolderPart("C:\\Music\\a.mp3", kEnglish), ""},
      {JoinPath("", "a.mp3", kEnglish), "a.mp3"},
      {JoinPath("   ", "a.mp3", kEnglish), "a.mp3"},
      {JoinPath(" /out/ ", "a.mp3", kEnglish), "/out/a.mp3"},
      {JoinPath("/out", " a.mp3", kEnglish), "/out/ a.mp3"},  // the name as it is
      {JoinPath("D:\\Out", "a.mp3", kWindows), "D:\\Out\\a.mp3"},
      {FolderPickerStart("/tmp/out", "/tmp/music/a.mp3", "/home", kEnglish, isFolder), "/tmp/out"},
      {FolderPickerStart(" /tmp/out ", "", "/home", kEnglish, isFolder), "/tmp/out"},
      {FolderPickerStart("/tmp/gone", "/tmp/music/a.mp3", "/home", kEnglish, isFolder),
       "/tmp/music/"},
      {FolderPickerStart("", "/tmp/gone/a.mp3", "/home", kEnglish, isFolder), "/home"},
      {FolderPickerStart("", "", "/home", kEnglish, isFolder), "/home"},
      {FolderPickerStart("", "C:\\Music\\a.mp3", "C:\\Users", kWindows, isFolder), "C:\\Music\\"},
  });
  const std::vector<std::string> dropped = DroppedAudioFiles(
      {"/a.MP3", "/b.txt", "/c.wav", "/d.mp3/e", "/f.Wav", "/mp3", "/.mp3", "/g.mp3 ", "/h.mp4"});
  EXPECT_EQ(dropped, (std::vector<std::string>{"/a.MP3", "/c.wav", "/f.Wav", "/.mp3"}));
  EXPECT_EQ(
      AudioFileFilters(),
      (std::vector<std::string>{"MP3 and WAV Audio Files(*.mp3;*.wav) (*.[Mm][Pp]3 *.[Ww][Aa][Vv])",
                                "MP3 Audio Files(*.mp3) (*.[Mm][Pp]3)",
                                "WAV Audio Files(*.wav) (*.[Ww][Aa][Vv])"}));
}

// Files in memory: each applications folder lists the entries whose paths start with it.
struct MemoryDesktopFiles final : DesktopFileSource {
  std::vector<DesktopEntryFile> EntriesBelow(const std::string& folder) const override {
    std::vector<DesktopEntryFile> entries;
    for (const auto& [path, text] : files) {
      if (path.starts_with(folder + "/") && path.ends_with(".desktop")) {
        entries.push_back({path, path.substr(folder.size() + 1)});
      }
    }
    return entries;
  }
  std::optional<std::string> ReadFile(const std::string& path) const override {
    const auto found = files.find(path);
    if (found == files.end() || found->second == kUnreadable) return std::nullopt;
    return found->second;
  }
  static constexpr const char* kUnreadable = "(unreadable)";
  std::map<std::string, std::string> files;
};

TEST(MimeAssociations, Viewers) {
  MemoryDesktopFiles disk;
  disk.files = {
      {"/apps/viewer.desktop", "[Desktop Entry]\nMimeType=text/plain;application/x-chm;\n"},
      {"/apps/sub/gone.desktop", "[Desktop Entry]\nMimeType=image/png;\nHidden=true\n"},
      {"/apps/other.desktop", "[Desktop Entry]\nMimeType=text/html;\n"},
      {"/apps/plain.desktop", "[Desktop Entry]\nName=Plain\n"},
      {"/apps/sub/nested.desktop", "[Desktop Entry]\nName=Nested\n"},
      {"/apps/crlf.desktop", "\xEF\xBB\xBF[Desktop Entry]\r\nMimeType = audio/x-wav;\r\n"},
      {"/apps/spaced.desktop", "  [Desktop Entry]\xC2\xA0\n\t MimeType=\xE2\x80\x83video/ogg\n"},
      {"/apps/action.desktop",
       "[Desktop Entry]\nName=A\n[Desktop Action x]\nMimeType=audio/flac;\n"},
      {"/apps/commented.desktop", "[Desktop Entry]\n#MimeType=audio/ogg;\n=audio/ogg\n"},
      {"/apps/broken.desktop", MemoryDesktopFiles::kUnreadable},
      {"/cfg/mimeapps.list",
       "[Added Associations]\ntext/html=other.desktop;\nimage/bmp=sub-nested.desktop;\n"
       "image/gif=missing.desktop;\naudio/mpeg=sub/nested.desktop;\n"
       "[Removed Associations]\ntext/plain=viewer.desktop;\n"},
      {"/cfg2/mimeapps.list",
       "[Default Applications]\nimage/jpeg=plain.desktop\n"
       "[Removed Associations]\nimage/jpeg=\n"},
  };
  const std::vector<std::string> lists = {"/cfg/mimeapps.list", "/cfg2/mimeapps.list",
                                          "/nowhere/mimeapps.list"};
  const std::pair<std::vector<std::string>, bool> cases[] = {
      {{"application/vnd.ms-htmlhelp", "application/x-chm"}, true},
      {{"application/vnd.ms-htmlhelp"}, false},
      {{"image/png"}, false},   // hidden entry
      {{"text/plain"}, false},  // removed in mimeapps.list
      {{"text/html"}, true},    // declared and added
      {{"image/bmp"}, true},    // added for an entry in a subfolder, by its id
      {{"image/gif"}, false},   // added for an entry that is not installed
      {{"audio/mpeg"}, false},  // an id has "-", not "/"
      {{"image/jpeg"}, true},   // a default, and an empty removal removes nothing
      {{"audio/x-wav"}, true},  // byte order mark, CRLF and blanks around the "="
      {{"video/ogg"}, true},    // white space beyond ASCII trimmed
      {{"audio/flac"}, false},  // declared in another group
      {{"audio/ogg"}, false},   // a comment, and a line without a key
      {{}, false},
  };
  for (const auto& [types, has] : cases) {
    EXPECT_EQ(HasApplicationFor(types, lists, {"/apps"}, disk), has)
        << (types.empty() ? "" : types.back());
  }
  EXPECT_FALSE(HasApplicationFor({"text/html"}, lists, {}, disk));
  EXPECT_FALSE(HasApplicationFor({"application/x-chm"}, {}, {"/elsewhere"}, disk));
}

// Junk before an entry's group (seeded bytes over 0-255, as broken files hold) hides nothing.
TEST(MimeAssociations, JunkBeforeTheEntry) {
  std::mt19937 random(4711);
  for (int i = 0; i < 200; ++i) {
    std::string junk(random() % 300, '\0');
    for (char& c : junk) c = static_cast<char>(random() % 256);
    MemoryDesktopFiles disk;
    disk.files["/apps/viewer.desktop"] = junk + "\n[Desktop Entry]\nMimeType=application/x-chm;\n";
    EXPECT_TRUE(HasApplicationFor({"application/x-chm"}, {}, {"/apps"}, disk)) << i;
    disk.files["/apps/viewer.desktop"] = "[Desktop Entry]\n" + junk;
    // Junk after the group header may start a group or hold anything but a declaration.
    EXPECT_FALSE(HasApplicationFor({"application/x-chm"}, {}, {"/apps"}, disk)) << i;
  }
}

}  // namespace
