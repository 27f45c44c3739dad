// The built program, run as a user or a script runs it, on small real files made by lame and sox.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fixtures/mp3_decoder.h"
#include "fixtures/temp_dir.h"
#include "program_run.h"

namespace tandrel::cli_tests {
namespace {

namespace fs = std::filesystem;
using fixtures::DecodeMp3;
using fixtures::ListFolder;
using fixtures::ReadFile;
using fixtures::RealFixture;

constexpr int kUsage = 64;
// 78 frames of 26 ms: every lame fixture of 44.1 kHz holds this much audio.
constexpr int kFixtureFrames = 78;

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The data size a WAVE piece's header states; the piece must be exactly header and data.
std::uint32_t WaveDataSize(const std::string& path) {
  const auto bytes = ReadFile(path);
  EXPECT_GE(bytes.size(), 44u) << path;
  if (bytes.size() < 44) return 0;
  EXPECT_EQ(bytes.size(), 44u + Le32(bytes, 40)) << path;
  return Le32(bytes, 40);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const auto end = text.find('\n', from);
    lines.push_back(text.substr(from, end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return lines;
}

class CliProgram : public ::testing::Test {
 protected:
  // One long WAVE, made once for the tests that need it: 1000 samples a second of 8-bit mono,
  // so that one byte of data is one millisecond, long enough (3725 s) for a duration in hours.
  static const std::string& LongWave() {
    if (!shared_) {
      shared_ = std::make_unique<fixtures::TempDir>();
      longWave_ = shared_->File("long.wav");
      const auto made = RunCommand({"sox", "-R", "-n", "-r", "1000", "-c", "1", "-b", "8",
                                    longWave_, "synth", "1", "sine", "100", "repeat", "3724"});
      EXPECT_EQ(made.status, 0) << made.err;
    }
    return longWave_;
  }
  static void TearDownTestSuite() { shared_.reset(); }

  // A real fixture copied into the test's folder under `name`.
  std::string Copy(const std::string& fixture, const std::string& name) {
    const auto path = dir_.File(name);
    fs::copy_file(RealFixture(fixture), path);
    return path;
  }
  std::string Write(const std::string& name, const std::string& text) {
    const auto path = dir_.File(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string Out(const std::string& name) const { return dir_.File("out/" + name); }
  std::vector<std::string> OutFiles() const {
    return fs::exists(dir_.File("out")) ? ListFolder(dir_.File("out")) : std::vector<std::string>{};
  }

  static inline std::unique_ptr<fixtures::TempDir> shared_;
  static inline std::string longWave_;
  fixtures::TempDir dir_;
};

// --- info ----------------------------------------------------------------------------------------

TEST_F(CliProgram, InfoTellsTheFactsOfRealFiles) {
  const struct {
    const char* fixture;
    std::vector<std::string> lines;
  } cases[] = {
      {"lame_cbr_info_tag.mp3",
       {"  kind          MP3", "  size          33017 bytes",
        "  play time     2028 ms (0:00:02.028)", "  version       MPEG-1 Layer III",
        "  sample rate   44100 Hz", "  channel mode  joint stereo", "  bitrate       128 kbit/s",
        "  info frame    yes"}},
      {"lame_cbr_no_tag.mp3", {"  bitrate       128 kbit/s", "  info frame    no"}},
      {"lame_vbr_xing.mp3", {"  bitrate       VBR", "  info frame    yes"}},
      {"lame_mono.mp3", {"  channel mode  single channel", "  bitrate       64 kbit/s"}},
      {"lame_mpeg2_22khz.mp3", {"  version       MPEG-2 Layer III", "  sample rate   22050 Hz"}},
      {"lame_id3v2_picture.mp3", {"  info frame    yes", "  bitrate       128 kbit/s"}},
      {"list_chunk.wav",
       {"  kind          WAVE", "  play time     1000 ms (0:00:01.000)", "  format        1 (PCM)",
        "  channels      1", "  sample rate   8000 Hz", "  bits          16",
        "  data size     16000 bytes at byte 84"}},
      {"sox_float_fmt18_fact.wav", {"  format        3 (IEEE float)", "  bits          32"}},
  };
  for (const auto& c : cases) {
    const auto path = RealFixture(c.fixture);
    const auto run = RunTandrel({"info", path});
    EXPECT_EQ(run.status, 0) << c.fixture << run.err;
    const auto lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], path);
    for (const auto& expected : c.lines) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end())
          << c.fixture << ": no line '" << expected << "' in\n"
          << run.out;
    }
    // The frame count is the one a real decoder finds.
    if (fs::path(path).extension() == ".mp3") {
      const auto frames =
          "  frames        " + std::to_string(DecodeMp3(path, fixtures::Resync::Allowed).frames);
      EXPECT_NE(std::find(lines.begin(), lines.end(), frames), lines.end()) << run.out;
    }
  }
}

// What python's json module reads back from `text`, one "path=value" line per leaf.
std::vector<std::string> JsonLeaves(const std::string& text) {
  static constexpr const char* kFlatten = R"(import json, sys
def walk(path, value):
    if isinstance(value, dict):
        for key, item in value.items():
            walk(path + "." + key, item)
    elif isinstance(value, list):
        for i, item in enumerate(value):
            walk(path + "[" + str(i) + "]", item)
    else:
        print(path + "=" + json.dumps(value))
walk("", json.load(sys.stdin))
)";
  const auto run = RunCommand({"python3", "-c", kFlatten}, text);
  EXPECT_EQ(run.status, 0) << "not JSON:\n" << text << run.err;
  return Lines(run.out);
}

TEST_F(CliProgram, InfoJsonReadsBack) {
  const auto vbr = RealFixture("lame_vbr_xing.mp3");
  const auto tagged = RealFixture("lame_id3v2_picture.mp3");
  const auto wave = RealFixture("sox_24bit_extensible.wav");
  const auto odd = Write("odd \"name\"\t.txt", "text");
  const auto run = RunTandrel({"info", "--json", vbr, tagged, wave, odd});
  EXPECT_EQ(run.status, 5);
  const auto leaves = JsonLeaves(run.out);
  for (const std::string& expected :
       {"[0].file=\"" + vbr + "\"",
        std::string("[0].kind=\"mp3\""),
        std::string("[0].size=30868"),
        std::string("[0].playTimeMs=2028"),
        std::string("[0].playTime=\"0:00:02.028\""),
        std::string("[0].mpegVersion=1"),
        std::string("[0].sampleRate=44100"),
        std::string("[0].channelMode=\"joint stereo\""),
        std::string("[0].bitrate=\"VBR\""),
        std::string("[0].frames=78"),
        std::string("[0].infoFrame=true"),
        std::string("[0].audioOffset=0"),
        std::string("[1].bitrate=128000"),
        std::string("[2].kind=\"wave\""),
        std::string("[2].formatTag=1"),
        std::string("[2].channels=2"),
        std::string("[2].bitsPerSample=24"),
        std::string("[2].blockAlign=6"),
        std::string("[2].dataSize=24000"),
        std::string("[3].file=\"" + dir_.File("odd \\\"name\\\"\\t.txt") + "\""),
        std::string("[3].kind=\"none\""),
        std::string("[3].code=5"),
        std::string("[3].error=\"Error file not supported\"")}) {
    EXPECT_NE(std::find(leaves.begin(), leaves.end(), expected), leaves.end())
        << "no " << expected << " in\n"
        << run.out;
  }
  // The tag is stepped over: the first frame lies after the picture.
  const auto offset = std::find_if(leaves.begin(), leaves.end(), [](const std::string& l) {
    return l.starts_with("[1].audioOffset=");
  });
  ASSERT_NE(offset, leaves.end());
  EXPECT_GT(std::stoi(offset->substr(16)), 98);
}

// --- cut -----------------------------------------------------------------------------------------

TEST_F(CliProgram, EachDurationFormCutsThatLong) {
  const struct {
    const char* form;
    std::uint32_t ms;
  } cases[] = {{"1500ms", 1500}, {"90", 90000},   {"90s", 90000},
               {"2.25", 2250},   {"1:30", 90000}, {"1:02:03.500", 3723500}};
  for (const auto& c : cases) {
    const auto run = RunTandrel({"cut", LongWave(), "-q", "-o", dir_.File("out"), "--name",
                                 "{base}.{ext}", "--section", std::string("0-") + c.form});
    ASSERT_EQ(run.status, 0) << c.form << ": " << run.err;
    EXPECT_EQ(WaveDataSize(Out("long.wav")), c.ms) << c.form;
  }
}

TEST_F(CliProgram, EachSizeFormCutsPiecesThatBig) {
  constexpr std::uint32_t kData = 3725000;
  const auto& longWave = LongWave();
  const struct {
    const char* form;
    std::uint32_t bytes;
  } cases[] = {{"1000000", 1000000}, {"700000B", 700000}, {"900K", 921600}, {"900KB", 921600},
               {"1000.5k", 1024512}, {"1M", 1048576},     {"1MB", 1048576}, {"2.5 M", 2621440}};
  for (const auto& c : cases) {
    fs::remove_all(dir_.File("out"));
    const auto run = RunTandrel({"cut", longWave, "-q", "-o", dir_.File("out"), "--size", c.form});
    ASSERT_EQ(run.status, 0) << c.form << ": " << run.err;
    const auto pieces = (kData + c.bytes - 1) / c.bytes;
    EXPECT_EQ(OutFiles().size(), pieces) << c.form;
    EXPECT_EQ(WaveDataSize(Out("long_1.wav")), c.bytes) << c.form;
    EXPECT_EQ(WaveDataSize(Out("long_" + std::to_string(pieces) + ".wav")),
              kData - (pieces - 1) * c.bytes)
        << c.form;
    EXPECT_EQ(Lines(run.out).size(), pieces);
  }
  // G and GB reach the engine, which refuses a piece larger than the file.
  for (const char* form : {"1G", "1GB"}) {
    const auto run = RunTandrel({"cut", longWave, "-o", dir_.File("out"), "--size", form});
    EXPECT_EQ(run.status, 7) << form;
    EXPECT_EQ(run.err, "tandrel: " + longWave + ": Error parameter invalid\n");
  }
}

TEST_F(CliProgram, TimeCutsOfWaveAreExact) {
  // 8000 Hz 16-bit mono: 16 bytes of data a millisecond, 16000 in all.
  const auto wave = Copy("list_chunk.wav", "tone.wav");
  const struct {
    std::vector<std::string> way;
    std::vector<std::pair<std::string, std::uint32_t>> pieces;
  } cases[] = {
      {{"--every", "300ms"},
       {{"tone_001.wav", 4800},
        {"tone_002.wav", 4800},
        {"tone_003.wav", 4800},
        {"tone_004.wav", 1600}}},
      {{"--parts", "3"}, {{"tone_001.wav", 5328}, {"tone_002.wav", 5328}, {"tone_003.wav", 5344}}},
      {{"--at", "0.25,500ms"},
       {{"tone_001.wav", 4000}, {"tone_002.wav", 4000}, {"tone_003.wav", 8000}}},
      {{"--section", "0.1-0.2", "--section", "0:00.900-", "--name", "s{n}-{base}.{ext}"},
       {{"s1-tone.wav", 1600}, {"s2-tone.wav", 1600}}},
  };
  for (const auto& c : cases) {
    fs::remove_all(dir_.File("out"));
    std::vector<std::string> args{"cut", wave, "-o", dir_.File("out")};
    args.insert(args.end(), c.way.begin(), c.way.end());
    const auto run = RunTandrel(args);
    ASSERT_EQ(run.status, 0) << c.way[0] << run.err;
    EXPECT_EQ(run.err, wave + ": Splitted successfully\n");
    std::vector<std::string> names, printed;
    for (const auto& [name, size] : c.pieces) {
      names.push_back(name);
      printed.push_back(Out(name));
      EXPECT_EQ(WaveDataSize(Out(name)), size) << c.way[0] << " " << name;
    }
    EXPECT_EQ(OutFiles(), names);
    EXPECT_EQ(Lines(run.out), printed);
  }
}

TEST_F(CliProgram, CutsOfMp3DecodeWithoutErrorAndLoseNoFrame) {
  const auto cbr = Copy("lame_cbr_info_tag.mp3", "cbr.mp3");
  const auto vbr = Copy("lame_vbr_xing.mp3", "vbr.mp3");
  const auto tagged = Copy("lame_id3v2_picture.mp3", "tagged.mp3");
  const struct {
    std::string source;
    std::vector<std::string> way;
    std::vector<int> frames;  // per piece, in name order
  } cases[] = {
      // 2028 ms in pieces of 500: frames [0,19) [19,38) [38,57) [57,76) [76,78).
      {cbr, {"--every", "500ms"}, {19, 19, 19, 19, 2}},
      {vbr, {"--parts", "2"}, {39, 39}},
      {tagged, {"--at", "1"}, {38, 40}},
      {cbr, {"--size", "10K"}, {}},
  };
  for (const auto& c : cases) {
    fs::remove_all(dir_.File("out"));
    std::vector<std::string> args{"cut", "-q", c.source, "-o", dir_.File("out")};
    args.insert(args.end(), c.way.begin(), c.way.end());
    const auto run = RunTandrel(args);
    ASSERT_EQ(run.status, 0) << c.way[0] << run.err;
    int total = 0;
    std::vector<int> frames;
    for (const auto& name : OutFiles()) {
      const auto decoded = DecodeMp3(Out(name));
      EXPECT_EQ(decoded.errors, 0) << c.way[0] << " " << name << ": " << decoded.firstError;
      frames.push_back(decoded.frames);
      total += decoded.frames;
    }
    EXPECT_EQ(total, kFixtureFrames) << c.way[0];
    if (!c.frames.empty()) {
      EXPECT_EQ(frames, c.frames) << c.way[0];
    }
    EXPECT_EQ(Lines(run.out).size(), OutFiles().size());
  }
}

TEST_F(CliProgram, CueSheetGivesOnePiecePerTrack) {
  Copy("list_chunk.wav", "live.wav");
  // Track 2 starts at 30 of 75 frames (400 ms); track 3 at 0:00:45 (600 ms).
  const auto sheet = Write("live.cue",
                           "PERFORMER \"Band\"\nTITLE \"Live\"\nFILE \"live.wav\" WAVE\n"
                           "  TRACK 01 AUDIO\n    TITLE \"Intro/Outro\"\n    INDEX 01 00:00:00\n"
                           "  TRACK 02 AUDIO\n    TITLE \"Song; live\"\n    INDEX 01 00:00:30\n"
                           "  TRACK 03 AUDIO\n    INDEX 01 00:00:45\n");
  // Without SOURCE the sheet's own FILE is cut.
  auto run = RunTandrel({"cut", "-q", "--cue", sheet, "-o", dir_.File("out")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(OutFiles(), (std::vector<std::string>{"01 - Intro-Outro.wav", "02 - Song- live.wav",
                                                  "03 - Track 03.wav"}));
  EXPECT_EQ(WaveDataSize(Out("01 - Intro-Outro.wav")), 6400u);
  EXPECT_EQ(WaveDataSize(Out("02 - Song- live.wav")), 3200u);
  EXPECT_EQ(WaveDataSize(Out("03 - Track 03.wav")), 6400u);

  fs::remove_all(dir_.File("out"));
  const auto other = Copy("list_chunk.wav", "other.wav");
  run = RunTandrel({"cut", "-q", other, "--cue", sheet, "-o", dir_.File("out"), "--name",
                    "{base}-{n:03}-{title}.{ext}"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(OutFiles().front(), "other-001-Intro-Outro.wav");
}

TEST_F(CliProgram, BatchCutsEachSourceAndGoesOnAfterAFailure) {
  const auto a = Copy("lame_mono.mp3", "a.mp3");
  const auto b = Copy("list_chunk.wav", "b.wav");
  const auto missing = dir_.File("missing.mp3");
  const auto run = RunTandrel({"cut", a, missing, b, "--every", "1", "-o", dir_.File("out")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, a + ": Splitted successfully\ntandrel: " + missing + ": Error open file\n" +
                         b + ": Splitted successfully\n");
  EXPECT_EQ(OutFiles(),
            (std::vector<std::string>{"a_001.mp3", "a_002.mp3", "a_003.mp3", "b_001.wav"}));
  // Without --out the pieces go beside their source.
  const auto beside = RunTandrel({"cut", "-q", "--parts", "2", "b.wav"}, dir_.Path());
  EXPECT_EQ(beside.status, 0) << beside.err;
  EXPECT_EQ(beside.out, "b_001.wav\nb_002.wav\n");
  EXPECT_TRUE(fs::exists(dir_.File("b_002.wav")));
}

// --- join and raw --------------------------------------------------------------------------------

TEST_F(CliProgram, JoinsMp3AndWave) {
  const auto one = RealFixture("lame_cbr_info_tag.mp3");
  const auto two = RealFixture("lame_vbr_xing.mp3");
  auto run = RunTandrel({"join", "-o", Out("both.mp3"), one, two, one});
  // The output folder is not made for a join.
  EXPECT_EQ(run.status, 1);
  fs::create_directory(dir_.File("out"));
  run = RunTandrel({"join", "-o", Out("both.mp3"), one, two, one});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Out("both.mp3") + "\n");
  EXPECT_EQ(run.err, Out("both.mp3") + ": Joinned successfully\n");
  const auto decoded = DecodeMp3(Out("both.mp3"));
  EXPECT_EQ(decoded.errors, 0) << decoded.firstError;
  EXPECT_EQ(decoded.frames, 3 * kFixtureFrames);

  const auto wave = RealFixture("list_chunk.wav");
  run = RunTandrel({"join", "-q", "--output", Out("twice.wav"), wave, wave});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(WaveDataSize(Out("twice.wav")), 32000u);
}

TEST_F(CliProgram, RawSpeaksTheOperationsOwnArguments) {
  const auto wave = RealFixture("list_chunk.wav");
  fs::create_directory(dir_.File("out"));
  auto run = RunTandrel(
      {"raw", "cut-time", wave, "1;500;" + Out("a.wav") + "|501;-1;" + Out("b.wav"), "2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, wave + ": Splitted successfully\n");
  EXPECT_EQ(WaveDataSize(Out("a.wav")), 8000u);
  EXPECT_EQ(WaveDataSize(Out("b.wav")), 8000u);

  run = RunTandrel({"raw", "-q", "join", Out("ab.wav"), Out("a.wav") + "|" + Out("b.wav"), "2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(WaveDataSize(Out("ab.wav")), 16000u);

  run = RunTandrel({"raw", "cut-size", wave, "6000", dir_.File("out")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(WaveDataSize(Out("list_chunk_3.wav")), 4000u);

  EXPECT_EQ(RunTandrel({"raw", "file-size", wave}).out, "16084\n");
  EXPECT_EQ(RunTandrel({"raw", "play-time", wave}).out, "1000\n");
  EXPECT_EQ(RunTandrel({"raw", "play-time", dir_.File("x.txt")}).out, "5\n");
}

// --- outcomes ------------------------------------------------------------------------------------

TEST_F(CliProgram, EachResultCodeGivesItsMessageAndExitStatus) {
  const auto mp3 = Copy("lame_cbr_no_tag.mp3", "a.mp3");
  const auto wave = Copy("list_chunk.wav", "a.wav");
  const auto otherRate = dir_.File("fast.wav");
  ASSERT_EQ(RunCommand({"sox", "-R", "-n", "-r", "16000", "-c", "1", "-b", "16", otherRate, "synth",
                        "0.1", "sine", "440"})
                .status,
            0);
  const auto junk = Write("junk.wav", std::string(100, 'x'));
  const auto shortWave = Write("short.wav", "RIFF");
  const auto text = Write("notes.txt", "not audio");
  const auto out = dir_.File("joined");
  const struct {
    std::vector<std::string> args;
    int code;
    std::string err;
  } cases[] = {
      {{"cut", mp3, "--parts", "2"}, 0, mp3 + ": Splitted successfully\n"},
      {{"join", "-o", out + ".mp3", mp3, mp3}, 0, out + ".mp3: Joinned successfully\n"},
      {{"cut", dir_.File("gone.mp3"), "--every", "1"},
       1,
       "tandrel: " + dir_.File("gone.mp3") + ": Error open file\n"},
      {{"join", "-o", out + ".wav", wave, dir_.File("gone.wav")},
       1,
       "tandrel: " + out + ".wav: Error open file\n"},
      {{"join", "-o", out + ".wav", wave, junk}, 2, "tandrel: " + out + ".wav: Error read file\n"},
      {{"cut", shortWave, "--section", "0-1"}, 3, "tandrel: " + shortWave + ": File corrupted\n"},
      {{"cut", shortWave, "--every", "1"}, 3, "tandrel: " + shortWave + ": File corrupted\n"},
      {{"join", "-o", out + ".mp3", mp3, wave}, 4, "tandrel: " + out + ".mp3: Error file diff\n"},
      {{"cut", text, "--section", "0-1"}, 5, "tandrel: " + text + ": Error file not supported\n"},
      {{"info", text}, 5, "tandrel: " + text + ": Error file not supported\n"},
      {{"join", "-o", out + ".wav", wave, otherRate},
       6,
       "tandrel: " + out + ".wav: Error WAV file diff\n"},
      {{"cut", wave, "--size", "1M"}, 7, "tandrel: " + wave + ": Error parameter invalid\n"},
      {{"cut", wave, "--section", "2-3"}, 7, "tandrel: " + wave + ": Error parameter invalid\n"},
      {{"raw", "cut-time", wave, "1;2;x.wav", "2"},
       7,
       "tandrel: " + wave + ": Error parameter invalid\n"},
      {{"raw", "join", out + ".wav", wave, "3"},
       7,
       "tandrel: " + out + ".wav: Error parameter invalid\n"},
  };
  for (const auto& c : cases) {
    const auto run = RunTandrel(c.args);
    EXPECT_EQ(run.status, c.code) << c.args[0] << " " << c.args[1] << "\n" << run.err;
    EXPECT_EQ(run.err, c.err);
  }
}

TEST_F(CliProgram, ACommandLineThatCannotRunGives64AndOneLine) {
  const auto mp3 = Copy("lame_mono.mp3", "a.mp3");
  const auto out = dir_.File("out");
  const auto sheet = Write("bad.cue", "FILE a.mp3 MP3\nTRACK 01 AUDIO\n");
  const struct {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{}, "a subcommand is required"},
      {{"split", mp3}, "'split' is not a subcommand"},
      {{"info"}, "FILE is required"},
      {{"cut", mp3, "-o", out}, "give exactly one of"},
      {{"cut", mp3, "-o", out, "--every", "1", "--size", "1K"}, "give exactly one of"},
      {{"cut", mp3, "-o", out, "--every", "5x"}, "--every: '5x' is not a duration"},
      {{"cut", mp3, "-o", out, "--every", "0"}, "--every: the pieces must be longer than 0 ms"},
      {{"cut", mp3, "-o", out, "--parts", "two"}, "--parts: 'two' is not a count"},
      {{"cut", mp3, "-o", out, "--at", "1,0.5"}, "--at: cut points must increase"},
      {{"cut", mp3, "-o", out, "--section", "1:00"}, "--section: '1:00' is not START-END"},
      {{"cut", mp3, "-o", out, "--size", "10Q"}, "--size: '10Q' is not a size"},
      {{"cut", mp3, "-o", out, "--size", "2G"}, "--size: 2G is more than"},
      {{"cut", mp3, "-o", out, "--size", "1K", "--name", "{n}"}, "--name does not go with --size"},
      {{"cut", mp3, "-o", out, "--every", "1", "--name", "{n:3}"}, "--name: unknown field {n:3}"},
      {{"cut", mp3, "-o", out, "--every", "1", "--name", "{title}"}, "--name: {title} needs --cue"},
      {{"cut", mp3, "-o", out, "--every", "1", "--name", "same.mp3"},
       "two pieces would be written"},
      {{"cut", mp3, mp3, "-o", out, "--size", "1K"}, "two sources would both be cut into"},
      {{"cut", mp3, "-o", dir_.File("a;b"), "--every", "1"}, "which a section list cannot carry"},
      {{"cut", "--cue", sheet, "-o", out}, "--cue: " + sheet + ": line 2: the track has no INDEX"},
      {{"cut", mp3, "-o", out, "--every", "1", "--bogus"}, "not expected: --bogus"},
      {{"join", mp3, mp3}, "--output is required"},
      {{"join", "-o", dir_.File("x.mp3"), dir_.File("a|b.mp3")}, "holds '|'"},
      {{"raw", "run"}, "'run' is not a raw operation"},
      {{"raw", "join", "x.mp3", "a.mp3"}, "FILES_COUNT is required"},
      {{"raw", "join", "x.mp3", "a.mp3", "40000"}, "FILES_COUNT: '40000' is not an integer"},
      {{"raw", "cut-size", mp3, "1k", out}, "FILE_SIZE: '1k' is not an integer"},
  };
  for (const auto& c : cases) {
    const auto run = RunTandrel(c.args);
    const auto what = c.args.empty() ? std::string("(nothing)") : c.reason;
    EXPECT_EQ(run.status, kUsage) << what << "\n" << run.err;
    EXPECT_EQ(run.out, "") << what;
    ASSERT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_TRUE(run.err.starts_with("tandrel: ")) << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos)
        << "no '" << c.reason << "' in " << run.err;
    EXPECT_FALSE(fs::exists(out)) << what;
  }
  EXPECT_EQ(ListFolder(dir_.Path()), (std::vector<std::string>{"a.mp3", "bad.cue"}));
}

TEST_F(CliProgram, ProgressBarOnlyOnATerminal) {
  const auto mp3 = Copy("lame_cbr_info_tag.mp3", "a.mp3");
  auto run = RunTandrelOnTerminal({"cut", mp3, "--every", "300ms", "-o", dir_.File("out")});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\r"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("] 100%"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("]  14%"), std::string::npos) << run.out;  // 1 of 7 pieces
  EXPECT_NE(run.out.find("Splitted successfully"), std::string::npos);

  run = RunTandrelOnTerminal({"join", "-q", "-o", Out("j.mp3"), mp3, mp3});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find('%'), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("successfully"), std::string::npos) << run.out;

  run = RunTandrel({"join", "-o", Out("j.mp3"), mp3, mp3});
  EXPECT_EQ(run.err, Out("j.mp3") + ": Joinned successfully\n");
}

TEST_F(CliProgram, HelpVersionAndCompletion) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"--help"},
                                                                {"info", "--help"},
                                                                {"cut", "--help"},
                                                                {"join", "--help"},
                                                                {"raw", "--help"},
                                                                {"raw", "cut-time", "--help"}}) {
    const auto run = RunTandrel(args);
    EXPECT_EQ(run.status, 0) << args[0];
    EXPECT_NE(run.out.find("Usage: tandrel"), std::string::npos) << run.out;
  }
  const auto version = RunTandrel({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("tandrel 1.")) << version.out;

  const auto complete = [](const std::string& line) {
    const std::string script = std::string("source '") + TANDREL_CLI_SOURCE_DIR +
                               "/tandrel.bash'; COMP_WORDS=(" + line +
                               "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tandrel; "
                               "echo \"${COMPREPLY[*]}\"";
    return RunCommand({"bash", "-c", script}).out;
  };
  EXPECT_EQ(complete("tandrel c"), "cut\n");
  EXPECT_EQ(complete("tandrel cut --s"), "--section --size\n");
  EXPECT_EQ(complete("tandrel raw cut"), "cut-time cut-size\n");
  EXPECT_EQ(complete("tandrel info --"), "--json --help\n");
}

}  // namespace
}  // namespace tandrel::cli_tests
