// The built program, run as a user or a script runs it, on small real files made by lame and sox.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/byte_size.h"
#include "cli/duration.h"
#include "cli/info_report.h"
#include "cli/section_plan.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/temp_dir.h"
#include "tests/cli/program_run.h"

namespace tandrel::cli {
namespace {

namespace fs = std::filesystem;
using fixtures::RealFixture;

Strings Lines(const std::string& text) {
  Strings lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The data size a WAVE piece's header states. The piece must be RIFF, fmt, any chunks (the
// source's LIST/INFO), the data chunk and any chunks after it (a tag) ending exactly at the end of
// the file, with a RIFF size that counts them all.
std::uint32_t WaveDataSize(const std::string& path) {
  const auto b = fixtures::ReadFile(path);
  const auto at = [&](std::size_t i) {
    return std::uint32_t(b[i]) | b[i + 1] << 8 | b[i + 2] << 16 | std::uint32_t(b[i + 3]) << 24;
  };
  if (b.size() < 44 || at(4) != b.size() - 8) {
    ADD_FAILURE() << path << ": no RIFF header of its size";
    return 0;
  }
  std::optional<std::uint32_t> data;
  std::size_t chunk = 12;
  while (chunk + 8 <= b.size()) {
    const auto size = at(chunk + 4);
    if (!data && std::equal(b.begin() + chunk, b.begin() + chunk + 4, "data")) data = size;
    chunk += 8 + size + size % 2;
  }
  EXPECT_EQ(chunk, b.size()) << path << ": chunks that do not end with the file";
  if (!data) ADD_FAILURE() << path << ": no data chunk";
  return data.value_or(0);
}

class CliProgram : public ::testing::Test {
 protected:
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
// writes again with its keys sorted.
TEST_F(CliProgram, InfoTellsTheFactsOfRealFiles) {
  const auto real = fs::path(RealFixture("list_chunk.wav")).parent_path();
  const auto text = Tandrel({"info", "lame_cbr_info_tag.mp3"}, real);
  EXPECT_EQ(text.out, R"(lame_cbr_info_tag.mp3
  kind          MP3
  size          33017 bytes
  play time     2.037 s (0:00:02.037)
  version       MPEG-1 Layer III
  sample rate   44100 Hz
  channel mode  joint stereo
  bitrate       128 kbit/s
  frames        78 of 1152 samples
  info frame    yes
)");

  const auto json = Tandrel({"info", "--json", Write("odd \"name\"\t.txt", "text"),
                             "lame_vbr_xing.mp3", "lame_id3v2_picture.mp3", "lame_cbr_no_tag.mp3",
                             "lame_mono.mp3", "lame_mpeg2_22khz.mp3", "sox_24bit_extensible.wav"},
                            real);
  EXPECT_EQ(json.status, 5);
  Write("info.json", json.out);
  const auto sorted = Command({"python3", "-c",
                               "import json, sys\nfor r in json.load(open(sys.argv[1])): "
                               "print(json.dumps(r, sort_keys=True))",
                               dir_.File("info.json")});
  const auto reports = Lines(sorted.out);
  ASSERT_EQ(reports.size(), 7u) << "not JSON:\n" << json.out << sorted.err;
  EXPECT_EQ(reports[0], R"({"code": 5, "error": "neither a .wav nor a .mp3 file", "file": ")" +
                            dir_.File(R"(odd \"name\"\t.txt)") + R"(", "kind": "none"})");
  EXPECT_EQ(reports[1],
            R"({"audioOffset": 0, "bitrate": "VBR", "channelMode": "joint stereo", )"
            R"("componentPlayTimeMs": 2028, "file": "lame_vbr_xing.mp3", "frames": 78, )"
            R"("infoFrame": true, "kind": "mp3", "mpegVersion": 1, "playTime": "0:00:02.037", )"
            R"("playTimeMs": 2037, "sampleRate": 44100, "samplesPerFrame": 1152, "size": 30868})");
  // The others by what sets them apart; the picture tag in front is 265 bytes long.
  const std::pair<int, const char*> facts[] = {
      {2, R"("audioOffset": 265, "bitrate": 128000,)"},
      {3, R"("infoFrame": false,)"},
      {4, R"("bitrate": 64000, "channelMode": "single channel",)"},
      {5, R"("mpegVersion": 2, "playTime": "0:00:02.063", "playTimeMs": 2063, )"},
      {6, R"({"bitsPerSample": 24, "blockAlign": 6, "bytesPerSecond": 48000, "channels": 2, )"},
      {6, R"("dataOffset": 80, "dataSize": 24000, "file": "sox_24bit_extensible.wav", )"},
      {6, R"("formatTag": 1, "kind": "wave", "playTime": "0:00:00.500", "playTimeMs": 500, )"}};
  for (const auto& [i, fact] : facts)
    EXPECT_NE(reports[i].find(fact), std::string::npos) << reports[i];
}

// A long WAVE of 1000 samples a second of 8-bit mono, so that a byte of data is a millisecond,
// long enough (3725 s) for a duration in hours.
TEST_F(CliProgram, EachDurationAndSizeFormCutsThatMuch) {
  const auto wave = dir_.File("long.wav");
  Command({"sox", "-R", "-n", "-r", "1000", "-c", "1", "-b", "8", wave, "synth", "1", "sine", "100",
           "repeat", "3724"});
  const std::pair<const char*, std::uint32_t> durations[] = {
      {"1500ms", 1500}, {"90", 90000}, {"90s", 90000}, {"1:30", 90000}, {"1:02:03.500", 3723500}};
  for (const auto& [form, ms] : durations) {
    const auto run = Tandrel({"cut", wave, "-q", "-o", Out(), "--name", "{base}.{ext}", "--section",
                              std::string("0-") + form});
    ASSERT_EQ(run.status, 0) << form << ": " << run.err;
    EXPECT_EQ(WaveDataSize(Out("long.wav")), ms) << form;
  }
  const std::pair<const char*, std::uint32_t> sizes[] = {{"1000000", 1000000}, {"900K", 921600},
                                                         {"900KiB", 921600},   {"900KB", 900000},
                                                         {"1M", 1048576},      {"1MB", 1000000}};
  for (const auto& [form, bytes] : sizes) {
    fs::remove_all(Out());
    ASSERT_EQ(Tandrel({"cut", wave, "-q", "-o", Out(), "--size", form}).status, 0) << form;
    EXPECT_EQ(WaveDataSize(Out("long_1.wav")), bytes) << form;
    EXPECT_EQ(OutFiles().size(), (3725000 + bytes - 1) / bytes) << form;  // 3725000 bytes in all
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
    EXPECT_EQ(run.err, wave + ": " + std::to_string(OutFiles().size()) + " pieces written\n");
    EXPECT_EQ(Pieces(), pieces);
    std::string printed;
    for (const auto& name : OutFiles()) printed += Out(name) + "\n";
    EXPECT_EQ(run.out, printed);
  }
}

TEST_F(CliProgram, BatchCutsEachSourceAndGoesOnAfterAFailure) {
  const auto a = Copy("lame_mono.mp3", "a.mp3");
  const auto b = Copy("list_chunk.wav", "b.wav");
  const auto missing = dir_.File("missing.mp3");
  const auto run = Tandrel({"cut", a, missing, b, "--every", "1", "-o", Out()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, a + ": 3 pieces written\ntandrel: " + missing +
                         ": No such file or directory\n" + b + ": 1 piece written\n");
  EXPECT_EQ(OutFiles(), (Strings{"a_001.mp3", "a_002.mp3", "a_003.mp3", "b_001.wav"}));
  // A real decoder reads every piece without error, and no frame is lost.
  for (const auto& [name, frames] :
       {std::pair{"a_001.mp3", 38}, {"a_002.mp3", 38}, {"a_003.mp3", 2}}) {
    const auto decoded = fixtures::DecodeMp3(Out(name));
    EXPECT_EQ(std::pair(decoded.errors, decoded.frames), std::pair(0, frames)) << name;
  }
}

TEST_F(CliProgram, JoinsMp3AndWaveAndSpeaksRawArguments) {
  const auto one = RealFixture("lame_cbr_info_tag.mp3");
  const auto two = RealFixture("lame_vbr_xing.mp3");
  const auto wave = RealFixture("list_chunk.wav");
  fs::create_directory(Out());
  auto run = Tandrel({"join", "-o", Out("both.mp3"), one, two, one});
  EXPECT_EQ(run.out, Out("both.mp3") + "\n");
  EXPECT_EQ(run.err, Out("both.mp3") + ": 3 files joined\n");
  const auto decoded = fixtures::DecodeMp3(Out("both.mp3"));
  EXPECT_EQ(decoded.errors, 0) << decoded.firstError;
  EXPECT_EQ(decoded.frames, 3 * 78);  // 2028 ms in frames of 26 ms each
  fs::remove(Out("both.mp3"));

  run =
      Tandrel({"raw", "cut-time", wave, "1;500;" + Out("a.wav") + "|501;-1;" + Out("b.wav"), "2"});
  EXPECT_EQ(run.err, wave + ": Splitted successfully\n");
  EXPECT_EQ(
      Tandrel({"raw", "-q", "join", Out("ab.wav"), Out("a.wav") + "|" + Out("b.wav"), "2"}).status,
      0);
  EXPECT_EQ(Tandrel({"raw", "cut-size", wave, "6000", Out()}).status, 0);
  EXPECT_EQ(Pieces(),
            "a.wav:8000 ab.wav:16000 b.wav:8000 list_chunk_1.wav:6000 "
            "list_chunk_2.wav:6000 list_chunk_3.wav:4000 ");
  EXPECT_EQ(Tandrel({"raw", "file-size", wave}).out, "16084\n");
  EXPECT_EQ(Tandrel({"raw", "play-time", wave}).out, "1000\n");
}

TEST_F(CliProgram, EachResultCodeGivesItsMessageAndExitStatus) {
  const auto mp3 = Copy("lame_cbr_no_tag.mp3", "a.mp3");
  const auto mono = Copy("lame_mono.mp3", "mono.mp3");
  const auto wav = Copy("list_chunk.wav", "a.wav");
  const auto other = RealFixture("sox_24bit_extensible.wav");
  const auto junk = Write("junk.wav", std::string(100, 'x'));
  const auto stub = Write("short.wav", "RIFF");
  const auto text = Write("notes.txt", "not audio");
  const auto noise = Write("noise.mp3", std::string(5000, 'x'));
  const auto gone = dir_.File("gone.wav");
  const auto o = dir_.File("o");
  // The arguments, the exit status, the file the message names and the message: the input a
  // join refuses where one can be named.
  const std::tuple<Strings, int, std::string, std::string> cases[] = {
      {{"cut", gone, "--every", "1"}, 1, gone, "No such file or directory"},
      {{"join", "-o", o + ".wav", wav, junk},
       2,
       junk,
       "no WAVE header that can be read (not a "
       "WAVE file, or a damaged one)"},
      {{"cut", stub, "--section", "0-1"},
       3,
       stub,
       "no WAVE header that can be read (not a WAVE file, or a damaged one)"},
      {{"join", "-o", o + ".mp3", mp3, wav}, 4, wav, "a WAVE file among MP3 files"},
      {{"join", "-o", o + ".mp3", mp3, mono},
       4,
       mono,
       "MPEG-1, 44100 Hz, mono, unlike " + mp3 + " (MPEG-1, 44100 Hz, stereo)"},
      {{"cut", text, "--every", "1"}, 5, text, "neither a .wav nor a .mp3 file"},
      {{"cut", noise, "--every", "1"}, 5, noise, "no MP3 audio in it"},
      {{"cut", noise, "--size", "1K"}, 5, noise, "no MP3 audio in it"},
      {{"join", "-o", o + ".mp3", mp3, noise}, 5, noise, "no MP3 audio in it"},
      {{"join", "-o", o + ".wav", wav, other},
       6,
       other,
       "format 1, 24-bit, 2 ch, 8000 Hz, unlike " + wav + " (format 1, 16-bit, 1 ch, 8000 Hz)"},
      {{"cut", wav, "--size", "1GB"},
       7,
       wav,
       "--size 1000000000 is more than the file holds (16084 bytes)"}};
  for (const auto& [args, code, about, message] : cases) {
    const auto run = Tandrel(args);
    EXPECT_EQ(run.status, code) << message;
    EXPECT_EQ(run.err, "tandrel: " + about + ": " + message + "\n");
  }
}

// A join that cannot be written, or a file that info cannot read, says which file and why, and
// leaves every file as it was.
TEST_F(CliProgram, JoinFailuresNameTheFileAndTheReason) {
  const auto a = Copy("lame_cbr_info_tag.mp3", "a.mp3");
  const auto b = Copy("lame_vbr_xing.mp3", "b.mp3");
  fs::create_symlink(a, dir_.File("link.mp3"));
  fs::create_directory(dir_.File("dir.mp3"));
  ASSERT_EQ(::mkfifo(dir_.File("pipe.mp3").c_str(), 0600), 0);
  const auto gone = dir_.File("gone.mp3");
  const auto nowhere = dir_.File("nowhere/o.mp3");
  const std::tuple<Strings, std::string> cases[] = {
      {{"join", "-o", dir_.File("o.mp3"), a, gone, b}, gone + ": No such file or directory"},
      {{"join", "-o", nowhere, a, b}, "cannot create " + nowhere + ": No such file or directory"},
      {{"join", "-o", dir_.File("link.mp3"), b, a},
       a + " and " + dir_.File("link.mp3") + " are the same file"},
      {{"join", "-o", dir_.File("dir.mp3"), a, b},
       "cannot create " + dir_.File("dir.mp3") + ": Is a directory"},
      {{"join", "-o", dir_.File("o.mp3"), a, dir_.File("pipe.mp3")},
       dir_.File("pipe.mp3") + ": not a regular file"},
      {{"join", "-o", dir_.File("o.mp3"), dir_.File("dir.mp3"), a},
       dir_.File("dir.mp3") + ": Is a directory"},
      {{"info", dir_.File("pipe.mp3")}, dir_.File("pipe.mp3") + ": not a regular file"},
      {{"info", gone}, gone + ": No such file or directory"}};
  const auto before = fixtures::ReadFile(a);
  for (const auto& [args, message] : cases) {
    const auto run = Tandrel(args);
    EXPECT_EQ(run.status, 1) << message;
    EXPECT_EQ(run.err, "tandrel: " + message + "\n");
    EXPECT_EQ(run.out.empty(), args[0] == "join") << run.out;
    EXPECT_EQ(fixtures::ListFolder(dir_.Path()),
              (Strings{"a.mp3", "b.mp3", "dir.mp3", "link.mp3", "pipe.mp3"}));
    EXPECT_EQ(fixtures::ReadFile(a), before);
  }
}

TEST_F(CliProgram, ACommandLineThatCannotRunGives64AndOneLine) {
  const auto mp3 = Copy("lame_mono.mp3", "a.mp3");
  const auto wav = Copy("list_chunk.wav", "a.wav");
  const auto sheet = Write("bad.cue", "FILE a.mp3 MP3\nTRACK 01 AUDIO\n");
  const std::pair<Strings, std::string> cases[] = {
      {{}, "a subcommand is required"},
      {{"cut", mp3}, "give exactly one of"},
      {{"cut", mp3, "--parts", "two"}, "--parts: 'two' is not a count"},
      {{"cut", mp3, "--at", "1,0.5"}, "--at: cut points must increase"},
      {{"cut", mp3, "--size", "2G"}, "--size: 2G is more than"},
      {{"cut", mp3, "--every", "1", "--name", "{n:3}"}, "--name: unknown field {n:3}"},
      {{"cut", "--cue", sheet}, "--cue: " + sheet + ": not a CUE sheet that can be read"},
      {{"cut", mp3, "--every", "1", "--name", "{n}.wav"}, "would not end in .mp3, as " + mp3},
      {{"cut", wav, "--parts", "2", "--name", "{n}.MP3"}, "would not end in .wav"},
      {{"cut", mp3, mp3, "--parts", "2"}, "the source " + mp3 + " is given twice"},
      {{"join", mp3, mp3}, "--output is required"},
      {{"join", "-o", dir_.File("x.wav"), mp3, mp3},
       "join: the output " + dir_.File("x.wav") + " must end in .mp3, as the inputs are MP3 files"},
      {{"join", "-o", dir_.File("x.MP3"), wav, wav}, "must end in .wav, as the inputs are WAVE"},
      {{"raw", "run"}, "'run' is not a raw operation"},
      {{"raw", "join", "x.mp3", "a.mp3", "40000"}, "FILES_COUNT: '40000' is not an integer"}};
  for (const auto& [args, reason] : cases) {
    const auto run = Tandrel(args);
    EXPECT_EQ(run.status, 64) << reason << "\n" << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;  // one line
    EXPECT_TRUE(run.err.starts_with("tandrel: ") && run.err.find(reason) != std::string::npos)
        << "no '" << reason << "' in " << run.err;
  }
  EXPECT_EQ(fixtures::ListFolder(dir_.Path()), (Strings{"a.mp3", "a.wav", "bad.cue"}));
}

// On a terminal (made by script(1)) a cut shows a bar with its percentage; help for every
// subcommand, the version and completion.
TEST_F(CliProgram, ProgressOnATerminalHelpVersionAndCompletion) {
  const auto mp3 = Copy("lame_cbr_info_tag.mp3", "a.mp3");
  const auto run = Command(
      {"script", "-qec",
       Quote(TANDREL_CLI_PROGRAM) + " cut " + Quote(mp3) + " --every 300ms -o " + Quote(Out()),
       "/dev/null"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("]  14%"), std::string::npos) << run.out;  // 1 of 7 pieces
  EXPECT_NE(run.out.find("] 100%"), std::string::npos) << run.out;
  for (const char* args : {"--help", "info --help", "cut --help", "join --help", "raw --help",
                           "raw cut-time --help"}) {
    const auto help = Command({"sh", "-c", Quote(TANDREL_CLI_PROGRAM) + " " + args}).out;
    EXPECT_NE(help.find("Usage: tandrel"), std::string::npos) << args;
  }
  EXPECT_TRUE(Tandrel({"--version"}).out.starts_with("tandrel 1."));
  EXPECT_EQ(Command({"bash", "-c",
                     "source " TANDREL_CLI_SOURCE_DIR "/tandrel.bash; COMP_WORDS=(tandrel cut "
                     "--s); COMP_CWORD=2; _tandrel; echo \"${COMPREPLY[*]}\""})
                .out,
            "--section --size\n");
}

// The edges of the parsers that no run reaches.
TEST(Parsers, KeepTheirLimits) {
  EXPECT_EQ(ParseDuration("596:31:23.647"), 2147483647);
  EXPECT_EQ(ParseDuration("0:00:00.1"), 100);
  for (const char* text :
       {"596:31:23.648", "2147483648ms", "", "ms", "-5", "1.5ms", "1.2345", "1:5", "1:60",
        "1:60:00", "1:2:03", "1:02:03:04", "1:30s", " 5", "1.", "1h"})
    EXPECT_EQ(ParseDuration(text), std::nullopt) << text;
  EXPECT_EQ(ParseByteSize("0.1K"), 102u);  // fractions of a byte are dropped
  EXPECT_EQ(ParseByteSize("4611686018427387904"), 4611686018427387904u);  // 2^62
  for (const char* text : {"4611686018427387905", "99999999999G", "", "K", "1.", "1.K", "-1", "1T",
                           "1  K", "1.0000000001"})
    EXPECT_EQ(ParseByteSize(text), std::nullopt) << text;
}

}  // namespace
}  // namespace tandrel::cli
