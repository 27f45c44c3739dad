// The built program, run as a user or a script runs it, on small real files made by lame and sox.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/byte_size.h"
#include "cli/duration.h"
#include "cli/info_report.h"
#include "cli/section_plan.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/temp_dir.h"

namespace tandrel::cli {
namespace {

namespace fs = std::filesystem;
using fixtures::RealFixture;
using Strings = std::vector<std::string>;

constexpr int kFixtureFrames = 78;  // every 44.1 kHz lame fixture: 2028 ms in frames of 26 ms

struct Run {
  int status;
  std::string out, err;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs argv through the shell in folder `cwd`, standard input empty, each output stream to a file.
Run Command(const Strings& argv, const std::string& cwd = ".") {
  fixtures::TempDir io;
  std::string line = "cd " + Quote(cwd) + " &&";
  for (const auto& arg : argv) line += " " + Quote(arg);
  line += " </dev/null >" + io.File("out") + " 2>" + io.File("err");
  const int status = std::system(line.c_str());
  const auto text = [&io](const char* name) {
    const auto bytes = fixtures::ReadFile(io.File(name));
    return std::string(bytes.begin(), bytes.end());
  };
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text("out"), text("err")};
}

Run Tandrel(Strings args, const std::string& cwd = ".") {
  args.insert(args.begin(), TANDREL_CLI_PROGRAM);
  return Command(args, cwd);
}

Strings Lines(const std::string& text) {
  Strings lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The data size a WAVE piece's header states; the piece must be exactly header and data.
std::uint32_t WaveDataSize(const std::string& path) {
  const auto b = fixtures::ReadFile(path);
  const std::uint32_t size = b.size() < 44 ? 0 : b[40] | b[41] << 8 | b[42] << 16 | b[43] << 24;
  EXPECT_EQ(b.size(), 44u + size) << path;
  return size;
}

class CliProgram : public ::testing::Test {
 protected:
  // One long WAVE made once: 1000 samples a second of 8-bit mono, so that a byte of data is a
  // millisecond, long enough (3725 s) for a duration in hours.
  static std::string LongWave() {
    static const fixtures::TempDir folder;
    const auto path = folder.File("long.wav");
    if (!fs::exists(path)) {
      Command({"sox", "-R", "-n", "-r", "1000", "-c", "1", "-b", "8", path, "synth", "1", "sine",
               "100", "repeat", "3724"});
    }
    return path;
  }
  std::string Copy(const std::string& fixture, const std::string& name) {
    fs::copy_file(RealFixture(fixture), dir_.File(name));
    return dir_.File(name);
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_.File(name), std::ios::binary) << text;
    return dir_.File(name);
  }
  std::string Out(const std::string& name = {}) const { return dir_.File("out/" + name); }
  Strings OutFiles() const { return fs::exists(Out()) ? fixtures::ListFolder(Out()) : Strings{}; }
  // The WAVE pieces in the output folder, "name:data-size" each.
  std::string Pieces() const {
    std::string pieces;
    for (const auto& name : OutFiles())
      pieces += name + ":" + std::to_string(WaveDataSize(Out(name))) + " ";
    return pieces;
  }

  fixtures::TempDir dir_;
};

// Every fact of an MP3 and a WAVE as people read them, and as JSON, which python reads back and
// writes again with its keys sorted; the frame counts are the ones a real decoder finds.
TEST_F(CliProgram, InfoTellsTheFactsOfRealFiles) {
  const auto real = fs::path(RealFixture("list_chunk.wav")).parent_path();
  const auto text = Tandrel({"info", "lame_cbr_info_tag.mp3", "list_chunk.wav"}, real);
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out, R"(lame_cbr_info_tag.mp3
  kind          MP3
  size          33017 bytes
  play time     2028 ms (0:00:02.028)
  version       MPEG-1 Layer III
  sample rate   44100 Hz
  channel mode  joint stereo
  bitrate       128 kbit/s
  frames        78
  info frame    yes

list_chunk.wav
  kind          WAVE
  size          16084 bytes
  play time     1000 ms (0:00:01.000)
  format        1 (PCM)
  channels      1
  sample rate   8000 Hz
  bits          16
  data size     16000 bytes at byte 84
)");

  const Strings files = {"lame_vbr_xing.mp3", "lame_id3v2_picture.mp3", "lame_cbr_no_tag.mp3",
                         "lame_mono.mp3",     "lame_mpeg2_22khz.mp3",   "sox_24bit_extensible.wav"};
  Strings args = {"info", "--json", Write("odd \"name\"\t.txt", "text")};
  args.insert(args.end(), files.begin(), files.end());
  const auto json = Tandrel(args, real);
  EXPECT_EQ(json.status, 5);
  Write("info.json", json.out);
  const auto sorted = Command({"python3", "-c",
                               "import json, sys\nfor r in json.load(open(sys.argv[1])): "
                               "print(json.dumps(r, sort_keys=True))",
                               dir_.File("info.json")});
  ASSERT_EQ(sorted.status, 0) << "not JSON:\n" << json.out << sorted.err;
  const auto reports = Lines(sorted.out);
  ASSERT_EQ(reports.size(), 7u) << sorted.out;
  EXPECT_EQ(reports[0], R"({"code": 5, "error": "Error file not supported", "file": ")" +
                            dir_.File(R"(odd \"name\"\t.txt)") + R"(", "kind": "none"})");
  EXPECT_EQ(reports[1],
            R"({"audioOffset": 0, "bitrate": "VBR", "channelMode": "joint stereo", )"
            R"("file": "lame_vbr_xing.mp3", "frames": 78, "infoFrame": true, "kind": "mp3", )"
            R"("mpegVersion": 1, "playTime": "0:00:02.028", "playTimeMs": 2028, )"
            R"("sampleRate": 44100, "size": 30868})");
  // The others by what sets them apart; the picture tag in front is 265 bytes long.
  const std::pair<int, const char*> facts[] = {
      {2, R"("audioOffset": 265, "bitrate": 128000,)"},
      {3, R"("infoFrame": false,)"},
      {4, R"("bitrate": 64000, "channelMode": "single channel",)"},
      {5, R"("mpegVersion": 2, "playTime": "0:00:02.054", "playTimeMs": 2054, )"},
      {6, R"({"bitsPerSample": 24, "blockAlign": 6, "bytesPerSecond": 48000, "channels": 2, )"},
      {6, R"("dataOffset": 80, "dataSize": 24000, "file": "sox_24bit_extensible.wav", )"},
      {6, R"("formatTag": 1, "kind": "wave", "playTime": "0:00:00.500", "playTimeMs": 500, )"}};
  for (const auto& [i, fact] : facts)
    EXPECT_NE(reports[i].find(fact), std::string::npos) << reports[i];
  for (int i = 1; i <= 5; ++i) {
    const int frames =
        fixtures::DecodeMp3(RealFixture(files[i - 1]), fixtures::Resync::Allowed).frames;
    EXPECT_NE(reports[i].find("\"frames\": " + std::to_string(frames) + ","), std::string::npos);
  }
}

TEST_F(CliProgram, EachDurationAndSizeFormCutsThatMuch) {
  const std::pair<const char*, std::uint32_t> durations[] = {
      {"1500ms", 1500}, {"90", 90000},   {"90s", 90000},
      {"2.25", 2250},   {"1:30", 90000}, {"1:02:03.500", 3723500}};
  for (const auto& [form, ms] : durations) {
    const auto run = Tandrel({"cut", LongWave(), "-q", "-o", Out(), "--name", "{base}.{ext}",
                              "--section", std::string("0-") + form});
    ASSERT_EQ(run.status, 0) << form << ": " << run.err;
    EXPECT_EQ(WaveDataSize(Out("long.wav")), ms) << form;
  }
  const std::pair<const char*, std::uint32_t> sizes[] = {
      {"1000000", 1000000}, {"700000B", 700000}, {"900K", 921600}, {"900KB", 921600},
      {"1000.5k", 1024512}, {"1M", 1048576},     {"1MB", 1048576}, {"2.5 M", 2621440}};
  for (const auto& [form, bytes] : sizes) {
    fs::remove_all(Out());
    ASSERT_EQ(Tandrel({"cut", LongWave(), "-q", "-o", Out(), "--size", form}).status, 0) << form;
    std::string want;  // 3725000 bytes of data in all
    for (std::uint32_t k = 1, left = 3725000; left > 0; left -= std::min(left, bytes)) {
      want += "long_" + std::to_string(k++) + ".wav:" + std::to_string(std::min(left, bytes)) + " ";
    }
    EXPECT_EQ(Pieces(), want) << form;
  }
}

// Each way of a time cut, on a WAVE of 8000 Hz 16-bit mono: 16 bytes of data a millisecond,
// 16000 in all. The CUE sheet (a byte-order mark, CR LF, keywords in any case) starts track 2 at
// 30 of 75 frames (400 ms) and track 3 at 0:00:45 (600 ms); without SOURCE its FILE is cut.
TEST_F(CliProgram, TimeCutsOfWaveAreExact) {
  const auto wave = Copy("list_chunk.wav", "tone.wav");
  const auto sheet =
      Write("live.cue",
            "\xEF\xBB\xBFTITLE \"Live\"\r\nFILE \"tone.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n"
            "    TITLE \"Intro/Outro\"\r\n    INDEX 01 00:00:00\r\n  track 02 audio\r\n"
            "    title \"Song; live\"\r\n    INDEX 00 00:00:10\r\n    INDEX 01 00:00:30\r\n"
            "  TRACK 03 AUDIO\r\n    INDEX 01 00:00:45\r\n");
  const std::pair<Strings, std::string> cases[] = {
      {{wave, "--every", "300ms"},
       "tone_001.wav:4800 tone_002.wav:4800 tone_003.wav:4800 tone_004.wav:1600 "},
      {{wave, "--every", "333ms"}, "tone_001.wav:5328 tone_002.wav:5328 tone_003.wav:5328 "},
      {{wave, "--parts", "3"}, "tone_001.wav:5328 tone_002.wav:5328 tone_003.wav:5344 "},
      {{wave, "--at", "0.25,500ms"}, "tone_001.wav:4000 tone_002.wav:4000 tone_003.wav:8000 "},
      {{wave, "--section", "0.1-0.2", "--section", "0:00.900-", "--name", "s{n}-{base}.{ext}"},
       "s1-tone.wav:1600 s2-tone.wav:1600 "},
      {{"--cue", sheet},
       "01 - Intro-Outro.wav:6400 02 - Song- live.wav:3200 03 - Track 03.wav:6400 "},
      {{wave, "--cue", sheet, "--name", "{n:03}-{title}"},
       "001-Intro-Outro:6400 002-Song- live:3200 003-Track 03:6400 "}};
  for (const auto& [way, pieces] : cases) {
    fs::remove_all(Out());
    Strings args{"cut", "-o", Out()};
    args.insert(args.end(), way.begin(), way.end());
    const auto run = Tandrel(args);
    ASSERT_EQ(run.status, 0) << way[1] << run.err;
    EXPECT_EQ(run.err, wave + ": Splitted successfully\n");
    EXPECT_EQ(Pieces(), pieces);
    std::string printed;
    for (const auto& name : OutFiles()) printed += Out(name) + "\n";
    EXPECT_EQ(run.out, printed);
  }
}

// Each split shares out the source's 78 frames, and a real decoder reads every piece without error.
TEST_F(CliProgram, CutsOfMp3DecodeWithoutErrorAndLoseNoFrame) {
  const std::pair<Strings, std::vector<int>> cases[] = {
      // 2028 ms in pieces of 500: frames [0,19) [19,38) [38,57) [57,76) [76,78).
      {{"lame_cbr_info_tag.mp3", "--every", "500ms"}, {19, 19, 19, 19, 2}},
      {{"lame_vbr_xing.mp3", "--parts", "2"}, {39, 39}},
      {{"lame_id3v2_picture.mp3", "--at", "1"}, {38, 40}},
      {{"lame_cbr_info_tag.mp3", "--size", "10K"}, {25, 25, 25, 3}}};
  for (const auto& [way, expected] : cases) {
    fs::remove_all(Out());
    ASSERT_EQ(Tandrel({"cut", "-q", RealFixture(way[0]), way[1], way[2], "-o", Out()}).status, 0);
    std::vector<int> frames;
    for (const auto& name : OutFiles()) {
      const auto decoded = fixtures::DecodeMp3(Out(name));
      EXPECT_EQ(decoded.errors, 0) << way[1] << " " << name << ": " << decoded.firstError;
      frames.push_back(decoded.frames);
    }
    EXPECT_EQ(frames, expected) << way[1];
  }
}

TEST_F(CliProgram, BatchCutsEachSourceAndGoesOnAfterAFailure) {
  const auto a = Copy("lame_mono.mp3", "a.mp3");
  const auto b = Copy("list_chunk.wav", "b.wav");
  const auto missing = dir_.File("missing.mp3");
  const auto run = Tandrel({"cut", a, missing, b, "--every", "1", "-o", Out()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, a + ": Splitted successfully\ntandrel: " + missing + ": Error open file\n" +
                         b + ": Splitted successfully\n");
  EXPECT_EQ(OutFiles(), (Strings{"a_001.mp3", "a_002.mp3", "a_003.mp3", "b_001.wav"}));
  // Without --out the pieces go beside their source.
  const auto beside = Tandrel({"cut", "-q", "--parts", "2", "b.wav"}, dir_.Path());
  EXPECT_EQ(beside.out, "b_001.wav\nb_002.wav\n");
  EXPECT_TRUE(fs::exists(dir_.File("b_002.wav")));
}

TEST_F(CliProgram, JoinsMp3AndWaveAndSpeaksRawArguments) {
  const auto one = RealFixture("lame_cbr_info_tag.mp3");
  const auto two = RealFixture("lame_vbr_xing.mp3");
  const auto wave = RealFixture("list_chunk.wav");
  EXPECT_EQ(Tandrel({"join", "-o", Out("both.mp3"), one, two}).status, 1);  // no folder is made
  fs::create_directory(Out());
  auto run = Tandrel({"join", "-o", Out("both.mp3"), one, two, one});
  EXPECT_EQ(run.out, Out("both.mp3") + "\n");
  EXPECT_EQ(run.err, Out("both.mp3") + ": Joinned successfully\n");
  const auto decoded = fixtures::DecodeMp3(Out("both.mp3"));
  EXPECT_EQ(decoded.errors, 0) << decoded.firstError;
  EXPECT_EQ(decoded.frames, 3 * kFixtureFrames);
  EXPECT_EQ(Tandrel({"join", "-q", "--output", Out("twice.wav"), wave, wave}).err, "");
  fs::remove(Out("both.mp3"));

  const auto a = Out("a.wav");
  const auto b = Out("b.wav");
  run = Tandrel({"raw", "cut-time", wave, "1;500;" + a + "|501;-1;" + b, "2"});
  EXPECT_EQ(run.err, wave + ": Splitted successfully\n");
  EXPECT_EQ(Tandrel({"raw", "-q", "join", Out("ab.wav"), a + "|" + b, "2"}).status, 0);
  EXPECT_EQ(Tandrel({"raw", "cut-size", wave, "6000", Out()}).status, 0);
  EXPECT_EQ(Pieces(),
            "a.wav:8000 ab.wav:16000 b.wav:8000 list_chunk_1.wav:6000 "
            "list_chunk_2.wav:6000 list_chunk_3.wav:4000 twice.wav:32000 ");
  EXPECT_EQ(Tandrel({"raw", "file-size", wave}).out, "16084\n");
  EXPECT_EQ(Tandrel({"raw", "play-time", wave}).out, "1000\n");
  EXPECT_EQ(Tandrel({"raw", "play-time", dir_.File("x.txt")}).out, "5\n");
}

TEST_F(CliProgram, EachResultCodeGivesItsMessageAndExitStatus) {
  const auto mp3 = Copy("lame_cbr_no_tag.mp3", "a.mp3");
  const auto wav = Copy("list_chunk.wav", "a.wav");
  const auto fast = dir_.File("fast.wav");
  Command({"sox", "-R", "-n", "-r", "16000", "-c", "1", "-b", "16", fast, "synth", "0.1", "sine",
           "440"});
  const auto junk = Write("junk.wav", std::string(100, 'x'));
  const auto stub = Write("short.wav", "RIFF");
  const auto text = Write("notes.txt", "not audio");
  const auto gone = dir_.File("gone.wav");
  const auto o = dir_.File("o");
  const struct {
    Strings args;
    int code;
    std::string about;  // the file the message names
    const char* message;
  } cases[] = {{{"cut", mp3, "--parts", "2"}, 0, mp3, "Splitted successfully"},
               {{"join", "-o", o + ".mp3", mp3, mp3}, 0, o + ".mp3", "Joinned successfully"},
               {{"cut", gone, "--every", "1"}, 1, gone, "Error open file"},
               {{"join", "-o", o + ".wav", wav, gone}, 1, o + ".wav", "Error open file"},
               {{"join", "-o", o + ".wav", wav, junk}, 2, o + ".wav", "Error read file"},
               {{"cut", stub, "--section", "0-1"}, 3, stub, "File corrupted"},
               {{"join", "-o", o + ".mp3", mp3, wav}, 4, o + ".mp3", "Error file diff"},
               {{"cut", text, "--every", "1"}, 5, text, "Error file not supported"},
               {{"join", "-o", o + ".wav", wav, fast}, 6, o + ".wav", "Error WAV file diff"},
               {{"cut", wav, "--size", "1G"}, 7, wav, "Error parameter invalid"},
               {{"cut", wav, "--size", "1GB"}, 7, wav, "Error parameter invalid"},
               {{"raw", "join", o + ".wav", wav, "3"}, 7, o + ".wav", "Error parameter invalid"}};
  for (const auto& c : cases) {
    const auto run = Tandrel(c.args);
    EXPECT_EQ(run.status, c.code) << c.message;
    EXPECT_EQ(run.err, (c.code ? "tandrel: " : "") + c.about + ": " + c.message + "\n");
  }
}

TEST_F(CliProgram, ACommandLineThatCannotRunGives64AndOneLine) {
  const auto mp3 = Copy("lame_mono.mp3", "a.mp3");
  const auto sheet = Write("bad.cue", "FILE a.mp3 MP3\nTRACK 01 AUDIO\n");
  const auto cut = [&](Strings more) {
    more.insert(more.begin(), {"cut", mp3, "-o", Out()});
    return more;
  };
  const std::pair<Strings, std::string> cases[] = {
      {{}, "a subcommand is required"},
      {{"split", mp3}, "'split' is not a subcommand"},
      {cut({}), "give exactly one of"},
      {cut({"--every", "1:60"}), "--every: '1:60' is not a duration"},
      {cut({"--every", "0"}), "--every: the pieces must be longer than 0 ms"},
      {cut({"--parts", "two"}), "--parts: 'two' is not a count"},
      {cut({"--at", "1,0.5"}), "--at: cut points must increase"},
      {cut({"--section", "1:00"}), "--section: '1:00' is not START-END"},
      {cut({"--size", "1T"}), "--size: '1T' is not a size"},
      {cut({"--size", "2G"}), "--size: 2G is more than"},
      {cut({"--size", "1K", "--name", "{n}"}), "--name does not go with --size"},
      {cut({"--every", "1", "--name", "{n:3}"}), "--name: unknown field {n:3}"},
      {cut({"--every", "1", "--name", "{title}"}), "--name: {title} needs --cue"},
      {cut({"--every", "1", "--name", "same.mp3"}), "two pieces would be written"},
      {cut({mp3, "--size", "1K"}), "two sources would both be cut into"},
      {{"cut", mp3, "-o", dir_.File("a;b"), "--every", "1"}, "which a section list cannot carry"},
      {{"cut", "--cue", sheet}, "--cue: " + sheet + ": line 2: the track has no INDEX"},
      {{"cut", "--cue", Write("1.cue", "TRACK 01 AUDIO\n")}, "line 1: TRACK before any FILE"},
      {{"cut", "--cue", Write("2.cue", "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:75\n")},
       "line 3: '00:00:75' is not"},
      {{"cut", "--cue",
        Write("3.cue",
              "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:05\n"
              "TRACK 02 AUDIO\nINDEX 01 00:00:05\n")},
       "line 5: the track does not start after"},
      {{"join", mp3, mp3}, "--output is required"},
      {{"join", "-o", dir_.File("x.mp3"), dir_.File("a|b.mp3")}, "holds '|'"},
      {{"raw", "run"}, "'run' is not a raw operation"},
      {{"raw", "join", "x.mp3", "a.mp3", "40000"}, "FILES_COUNT: '40000' is not an integer"}};
  for (const auto& [args, reason] : cases) {
    const auto run = Tandrel(args);
    EXPECT_EQ(run.status, 64) << reason << "\n" << run.err;
    EXPECT_EQ(run.out, "") << reason;
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_TRUE(run.err.starts_with("tandrel: ")) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << "no '" << reason << "' in " << run.err;
  }
  EXPECT_EQ(fixtures::ListFolder(dir_.Path()),
            (Strings{"1.cue", "2.cue", "3.cue", "a.mp3", "bad.cue"}));
}

// On a terminal (made by script(1)) a cut shows a bar with its percentage, unless quiet.
TEST_F(CliProgram, ProgressBarOnlyOnATerminal) {
  const auto mp3 = Copy("lame_cbr_info_tag.mp3", "a.mp3");
  const auto onTerminal = [](const std::string& args) {
    return Command({"script", "-qec", Quote(TANDREL_CLI_PROGRAM) + " " + args, "/dev/null"});
  };
  auto run = onTerminal("cut " + Quote(mp3) + " --every 300ms -o " + Quote(Out()));
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("]  14%"), std::string::npos) << run.out;  // 1 of 7 pieces
  EXPECT_NE(run.out.find("] 100%"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Splitted successfully"), std::string::npos) << run.out;
  run = onTerminal("cut -q " + Quote(mp3) + " --parts 2 -o " + Quote(Out()));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find('%'), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("successfully"), std::string::npos) << run.out;
}

TEST_F(CliProgram, HelpVersionAndCompletion) {
  for (const char* args : {"--help", "info --help", "cut --help", "join --help", "raw --help",
                           "raw cut-time --help"}) {
    const auto run = Command({"sh", "-c", Quote(TANDREL_CLI_PROGRAM) + " " + args});
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_NE(run.out.find("Usage: tandrel"), std::string::npos) << run.out;
  }
  EXPECT_TRUE(Tandrel({"--version"}).out.starts_with("tandrel 1."));
  const auto complete = [](const std::string& words) {
    return Command({"bash", "-c",
                    "source " TANDREL_CLI_SOURCE_DIR "/tandrel.bash; COMP_WORDS=(" + words +
                        "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tandrel;" +
                        " echo \"${COMPREPLY[*]}\""})
        .out;
  };
  EXPECT_EQ(complete("tandrel cut --s"), "--section --size\n");
  EXPECT_EQ(complete("tandrel raw cut"), "cut-time cut-size\n");
}

// The edges of the parsers that no run reaches.
TEST(Parsers, KeepTheirLimits) {
  EXPECT_EQ(ParseDuration("596:31:23.647"), 2147483647);
  EXPECT_EQ(ParseDuration("0:00:00.1"), 100);
  for (const char* text :
       {"596:31:23.648", "2147483648ms", "", "ms", "-5", "1.5ms", "1.2345", "1:5", "1:60",
        "1:60:00", "1:2:03", "1:02:03:04", "1:30s", " 5", "1.", "1h"}) {
    EXPECT_EQ(ParseDuration(text), std::nullopt) << text;
  }
  EXPECT_EQ(FormatClock(36000000), "10:00:00.000");
  EXPECT_EQ(ParseByteSize("0.1K"), 102u);  // fractions of a byte are dropped
  EXPECT_EQ(ParseByteSize("4611686018427387904"), 4611686018427387904u);  // 2^62
  for (const char* text : {"4611686018427387905", "99999999999G", "", "K", "1.", "1.K", "-1", "1T",
                           "1  K", "1.0000000001"}) {
    EXPECT_EQ(ParseByteSize(text), std::nullopt) << text;
  }
  EXPECT_TRUE(EqualSections(2, 3).empty());  // fewer milliseconds than parts
  // Near the top of the range the section arithmetic must not wrap.
  EXPECT_EQ(FixedLengthSections(2147483647, 1500000000).back().end, 2147483647);
  EXPECT_EQ(EqualSections(2147483647, 7).back().end, 2147483647);
  // JSON text keeps UTF-8 and replaces what is none: a lone continuation byte, a cut sequence, an
  // overlong '/'.
  EXPECT_EQ(JsonString("caf\xC3\xA9 \xF0\x9F\x8E\xB5"), "\"caf\xC3\xA9 \xF0\x9F\x8E\xB5\"");
  EXPECT_EQ(JsonString("a\x80z\xE2\x82|\xC0\xAF"), R"("a\ufffdz\ufffd\ufffd|\ufffd\ufffd")");
}

}  // namespace
}  // namespace tandrel::cli
