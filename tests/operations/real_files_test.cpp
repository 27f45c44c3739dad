// Real encoder output on a real file system, judged by a real decoder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fixtures/byte_compare.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"
#include "tandrel_engine/file_info.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/wave_header.h"
#include "tandrel_engine/xing_header.h"

namespace tandrel {
namespace {

using fixtures::DecodeMp3;
using fixtures::ReadFile;
using fixtures::RealFixture;
using fixtures::TempDir;
using Bytes = std::vector<std::uint8_t>;

// The audio frames of an MP3 file as one run of bytes: no tag, no info frame, no trailer.
std::vector<std::uint8_t> AudioFrames(const std::vector<std::uint8_t>& file) {
  MemorySource source(file);
  CFrameReader reader;
  reader.Open(source);
  LocateMp3Stream(reader);
  std::vector<std::uint8_t> audio;
  while (reader.ReadFrame())
    audio.insert(audio.end(), reader.GetFrame().begin(), reader.GetFrame().end());
  return audio;
}

TEST(RealMp3Test, FixedLengthPiecesDecodeCleanlyAndJoinBackToTheSource) {
  for (const char* name :
       {"lame_cbr_info_tag.mp3", "lame_vbr_xing.mp3", "lame_mono.mp3", "lame_mpeg2_22khz.mp3",
        "lame_id3v2_picture.mp3", "lame_cbr_no_tag.mp3", "lame_vbr_no_tag.mp3",
        "lame_mpeg25_8khz.mp3"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    const auto source = RealFixture(name);
    const auto whole = DecodeMp3(source, fixtures::Resync::Allowed);
    ASSERT_GT(whole.frames, 20);
    // The play time is the decoder's frame count in the engine's milliseconds, exact where an
    // info frame or a count gives it, within a frame where it is measured.
    {
      const auto bytes = ReadFile(source);
      MemorySource memory(bytes);
      CFrameReader reader;
      reader.Open(memory);
      const auto ms = static_cast<int>(LocateMp3Stream(reader).reference.MsPerFrame());
      EXPECT_NEAR(GetPlayTime(source), whole.frames * ms, ms);
    }
    // Pieces of 500 ms of the 2 s, the last one open-ended.
    std::string sections;
    std::string pieces;
    const int count = 4;
    for (int k = 0; k < count; ++k) {
      const auto piece = dir.File("p_" + std::to_string(k) + ".mp3");
      sections += (k ? "|" : "") + std::to_string(k * 500 + 1) + ";" +
                  (k + 1 == count ? "-1" : std::to_string((k + 1) * 500)) + ";" + piece;
      pieces += (k ? "|" : "") + piece;
    }
    ASSERT_EQ(CutByTime(source, sections, count, nullptr), ResultCode::Success);
    TempDir sized;
    ASSERT_EQ(CutBySize(source, 6000, sized.Path(), nullptr), ResultCode::Success);
    // Every piece decodes cleanly, its info frame counts what it holds, and the pieces of each
    // cut hold every frame of the source.
    for (const auto* folder : {&dir, &sized}) {
      int decoded = 0;
      for (const auto& piece : fixtures::ListFolder(folder->Path())) {
        const auto bytes = ReadFile(folder->File(piece));
        const auto result = DecodeMp3(bytes);
        EXPECT_EQ(result.errors, 0) << piece << ": " << result.firstError;
        XingInfo info;
        if (ParseXingHeader(bytes, info)) {
          EXPECT_EQ(static_cast<int>(info.frames), result.frames) << piece;
          EXPECT_EQ(info.bytes, bytes.size()) << piece;
        }
        decoded += result.frames;
      }
      EXPECT_EQ(decoded, whole.frames);
    }

    const auto joined = dir.File("joined.mp3");
    ASSERT_EQ(Join(joined, pieces, count, nullptr), ResultCode::Success);
    const auto joinedBytes = ReadFile(joined);
    const auto result = DecodeMp3(joinedBytes);
    EXPECT_EQ(result.errors, 0) << result.firstError;
    EXPECT_EQ(result.frames, whole.frames);
    EXPECT_TRUE(fixtures::SameBytes(AudioFrames(joinedBytes), AudioFrames(ReadFile(source))));
    // No temporary file is left beside the outputs.
    EXPECT_EQ(fixtures::ListFolder(dir.Path()).size(), count + 1u);
  }
}

TEST(RealFileSystemTest, OutputsThatAreInputsOrNotFilesAreRefusedAndLeftAlone) {
  TempDir dir;
  const auto input = dir.File("in.wav");
  const auto samples = fixtures::MakeSamples(1 << 20);  // large enough for kernel-side copies
  fixtures::WriteFile(input,
                      fixtures::WaveBuilder(fixtures::WaveFormat{}).Fmt().Data(samples).Bytes());
  const auto original = ReadFile(input);
  ASSERT_EQ(::link(input.c_str(), dir.File("hard.wav").c_str()), 0);
  ASSERT_EQ(::mkdir(dir.File("folder.wav").c_str(), 0755), 0);
  ASSERT_EQ(::mkfifo(dir.File("fifo.wav").c_str(), 0644), 0);
  const std::string outputs[] = {input,
                                 dir.Path() + "/./in.wav",
                                 dir.File("hard.wav"),
                                 dir.File("folder.wav"),
                                 dir.File("fifo.wav"),
                                 dir.File("missing/x.wav")};
  for (const auto& output : outputs) {
    EXPECT_EQ(Join(output, input + "|" + input, 2, nullptr), ResultCode::OpenFailed) << output;
    EXPECT_EQ(CutByTime(input, "1;100;" + output, 1, nullptr), ResultCode::OpenFailed) << output;
    EXPECT_EQ(ReadFile(input), original);
  }
  EXPECT_EQ(fixtures::ListFolder(dir.Path()),
            (std::vector<std::string>{"fifo.wav", "folder.wav", "hard.wav", "in.wav"}));

  // A large range goes through the kernel's copy and still arrives whole.
  const auto copy = dir.File("copy.wav");
  ASSERT_EQ(CutByTime(input, "1;-1;" + copy, 1, nullptr), ResultCode::Success);
  EXPECT_TRUE(fixtures::SameBytes(ReadFile(copy), original));
}

// An audiobook of hundreds of chapters joins under a limit of a few dozen open files: the inputs
// are opened one at a time.
TEST(RealFileSystemTest, JoinsMoreInputsThanFilesMayBeOpen) {
  TempDir dir;
  constexpr int kInputs = 300;
  std::string mp3s, waves;
  Bytes audio, samples;
  for (int i = 0; i < kInputs; ++i) {
    fixtures::Mp3Builder mp3;
    mp3.Frames({}, 3);
    const auto mp3Name = dir.File(std::to_string(i) + ".mp3");
    fixtures::WriteFile(mp3Name, mp3.Bytes());
    audio.insert(audio.end(), mp3.Bytes().begin(), mp3.Bytes().end());
    const auto data = fixtures::MakeSamples(400, static_cast<std::uint32_t>(i));
    const auto waveName = dir.File(std::to_string(i) + ".wav");
    fixtures::WriteFile(waveName,
                        fixtures::WaveBuilder(fixtures::WaveFormat{}).Fmt().Data(data).Bytes());
    samples.insert(samples.end(), data.begin(), data.end());
    mp3s += (i ? "|" : "") + mp3Name;
    waves += (i ? "|" : "") + waveName;
  }
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = 32;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  const auto mp3Result = Join(dir.File("book.mp3"), mp3s, kInputs, nullptr);
  const auto waveResult = Join(dir.File("book.wav"), waves, kInputs, nullptr);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
  ASSERT_EQ(mp3Result, ResultCode::Success);
  ASSERT_EQ(waveResult, ResultCode::Success);
  const auto book = ReadFile(dir.File("book.mp3"));
  ASSERT_GT(book.size(), audio.size());
  EXPECT_TRUE(fixtures::SameBytes(std::span(book).subspan(book.size() - audio.size()), audio));
  const auto wave = ReadFile(dir.File("book.wav"));
  EXPECT_TRUE(fixtures::SameBytes(std::span(wave).subspan(44), samples));
}

TEST(RealFileSystemTest, FailureMidRunKeepsFinishedPiecesAndNoTemporaryFile) {
  TempDir dir;
  const auto input = RealFixture("lame_cbr_info_tag.mp3");
  const auto list = "1;500;" + dir.File("1.mp3") + "|501;1000;" + dir.File("no/2.mp3") +
                    "|1001;-1;" + dir.File("3.mp3");
  EXPECT_EQ(CutByTime(input, list, 3, nullptr), ResultCode::OpenFailed);
  EXPECT_EQ(fixtures::ListFolder(dir.Path()), std::vector<std::string>{"1.mp3"});
}

}  // namespace
}  // namespace tandrel
