#include "tandrel/file_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/io_doubles.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"

namespace tandrel {
namespace {

using fixtures::FrameSpec;
using fixtures::Mp3Builder;
using fixtures::MpegVersion;
using fixtures::WaveBuilder;
using fixtures::WaveFormat;
using fixtures::XingFields;

FrameSpec Spec(int bitrateIndex, int sampleRateIndex = 0, MpegVersion version = MpegVersion::Mpeg1,
               int channelMode = fixtures::kJointStereo) {
  FrameSpec spec;
  spec.bitrateIndex = bitrateIndex;
  spec.sampleRateIndex = sampleRateIndex;
  spec.version = version;
  spec.channelMode = channelMode;
  return spec;
}

XingFields Info(std::uint32_t frames, std::uint32_t flags = 0xF, const char* tag = "Xing") {
  XingFields fields;
  fields.tag = tag;
  fields.flags = flags;
  fields.frames = frames;
  fields.bytes = 1'000'000;
  fields.toc = fixtures::LinearToc();
  return fields;
}

// A file of `size` bytes that begins with `prefix` and holds no blocks for the rest.
void WriteSparseFile(const std::string& path, const std::vector<std::uint8_t>& prefix,
                     std::uint64_t size) {
  fixtures::WriteFile(path, prefix);
  std::filesystem::resize_file(path, size);
}

class FileInfoTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const auto path = dir_.File(name);
    fixtures::WriteFile(path, bytes);
    return path;
  }

  fixtures::TempDir dir_;
};

TEST_F(FileInfoTest, FileSizeOfAnyFile) {
  struct Case {
    std::string name;
    std::uint64_t size;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"empty.mp3", 0, 0},
      {"notes.txt", 12'345, 12'345},
      {"no extension", 1, 1},
      {"past 2 GiB.wav", (1ull << 31) + 5, INT32_MIN + 5},  // the low 32 bits, as a signed long
      {"past 4 GiB.mp3", (1ull << 32) + 100, 100},
  };
  for (const auto& c : cases) {
    const auto path = dir_.File(c.name);
    WriteSparseFile(path, {}, c.size);
    EXPECT_EQ(GetFileSize(path), c.expected) << c.name;
  }
  EXPECT_EQ(GetFileSize(dir_.File("missing.mp3")), 0);
  EXPECT_EQ(GetFileSize(dir_.Path()), 0);
}

TEST_F(FileInfoTest, PlayTimeFailureCodes) {
  const WaveFormat cd;
  auto zeroRate = cd;
  zeroRate.bytesPerSecond = 0;
  auto zeroAlign = cd;
  zeroAlign.blockAlign = 0;
  zeroAlign.bytesPerSecond = 176'400;
  auto negativeAlign = zeroAlign;
  negativeAlign.blockAlign = 0x8000;
  ASSERT_EQ(::mkdir(dir_.File("folder.mp3").c_str(), 0700), 0);
  struct Case {
    std::string path;
    std::int32_t expected;
  };
  const Case cases[] = {
      {Write("tone.txt", WaveBuilder(cd).Fmt().Data(fixtures::MakeSamples(176'400)).Bytes()), 5},
      {Write("tone.wav.bak", WaveBuilder(cd).Fmt().Data(fixtures::MakeSamples(176'400)).Bytes()),
       5},
      {dir_.File("missing.mp3"), 1},
      {dir_.File("missing.WAV"), 1},
      {dir_.File("missing.txt"), 5},
      {dir_.File("folder.mp3"), 1},
      {Write("short.wav", std::vector<std::uint8_t>(43, 0)), 3},
      {Write("empty.wav", {}), 3},
      {Write("not riff.wav", fixtures::MakeJunk(1000)), 3},
      {Write("zero rate.wav",
             WaveBuilder(zeroRate).Fmt().Data(fixtures::MakeSamples(1000)).Bytes()),
       3},
      {Write("zero align.wav",
             WaveBuilder(zeroAlign).Fmt().Data(fixtures::MakeSamples(1000)).Bytes()),
       3},
      {Write("negative align.wav",
             WaveBuilder(negativeAlign).Fmt().Data(fixtures::MakeSamples(1000)).Bytes()),
       3},
      {Write("no frames.mp3", fixtures::MakeJunk(10'000)), 0},
      {Write("empty.mp3", {}), 0},
      {Write("tag only.mp3", fixtures::MakeId3v2Tag(3000)), 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetPlayTime(c.path), c.expected) << c.path;
  }
}

TEST_F(FileInfoTest, Mp3PlayTime) {
  const auto cbr = Spec(9);  // 44100 Hz, 417 bytes, 26 ms
  struct Case {
    const char* name;
    Mp3Builder stream;
    std::int32_t expected;
  };
  Case cases[] = {
      {"10 000 frames of 417 bytes", Mp3Builder().Frames(cbr, 10'000), 260'000},
      {"48 kHz info header counting 1000 frames, whatever the size",
       Mp3Builder().Xing(Spec(9, 1), Info(1000)).Frames(Spec(9, 1), 50), 24'000},
      {"constant-bit-rate Info tag",
       Mp3Builder().Xing(cbr, Info(1000, 0xF, "Info")).Frames(cbr, 50), 26'000},
      {"MPEG-2 single-channel info header",
       Mp3Builder()
           .Xing(Spec(8, 0, MpegVersion::Mpeg2, fixtures::kSingleChannel), Info(200))
           .Frames(Spec(8, 0, MpegVersion::Mpeg2, fixtures::kSingleChannel), 20),
       200 * 26},
      {"32 kHz info header", Mp3Builder().Xing(Spec(9, 2), Info(100, 0x1)).Frames(Spec(9, 2), 10),
       3600},
      {"info header without a frame count", Mp3Builder().Xing(cbr, Info(5000, 0x6)).Frames(cbr, 99),
       2600},
      {"info frame too short for its fields",
       Mp3Builder()
           .Xing(Spec(1, 1, MpegVersion::Mpeg2, fixtures::kSingleChannel), Info(5000))
           .Frames(Spec(1, 1, MpegVersion::Mpeg2, fixtures::kSingleChannel), 99),
       2400},
      {"info header after an ID3v2 tag",
       Mp3Builder().Id3v2(5000).Xing(cbr, Info(500)).Frames(cbr, 20), 13'000},
      {"info header after two ID3v2 tags",
       Mp3Builder().Id3v2(100).Id3v2(50, true).Xing(cbr, Info(7)).Frames(cbr, 20), 182},
      {"info header after junk", Mp3Builder().Junk(100).Xing(cbr, Info(300)).Frames(cbr, 20), 7800},
      {"ID3v2 tag left out of the estimate", Mp3Builder().Id3v2(4160).Frames(cbr, 100), 2600},
      {"an info header in the second frame is not used",
       Mp3Builder().Frame(cbr).Xing(cbr, Info(1000)).Frames(cbr, 98), 2600},
      {"frame count beyond the 32-bit range of milliseconds",
       Mp3Builder().Xing(cbr, Info(100'000'000)).Frames(cbr, 20), INT32_MAX},
  };
  for (auto& c : cases) {
    EXPECT_EQ(GetPlayTime(Write("stream.mp3", c.stream.Bytes())), c.expected) << c.name;
  }
}

TEST_F(FileInfoTest, WavePlayTime) {
  const WaveFormat cd;  // 176 400 bytes per second
  WaveFormat pcm24;
  pcm24.channels = 6;
  pcm24.sampleRate = 48000;
  pcm24.bitsPerSample = 24;  // 864 000 bytes per second
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"100 data bytes", WaveBuilder(cd).Fmt().Data(fixtures::MakeSamples(100)).Bytes(), 0},
      {"one second", WaveBuilder(cd).Fmt().Data(fixtures::MakeSamples(176'400)).Bytes(), 1000},
      {"a LIST chunk before the data",
       WaveBuilder(cd).Fmt().List().Data(fixtures::MakeSamples(176'400)).Bytes(), 1000},
      {"extensible 24-bit 5.1",
       WaveBuilder(pcm24)
           .Fmt(fixtures::FmtLayout::Extensible40)
           .Fact(1)
           .Data(fixtures::MakeSamples(432'000))
           .Bytes(),
       500},
      {"data size past the end counts what is there",
       WaveBuilder(cd).Fmt().Data(fixtures::MakeSamples(88'200), 1'764'000).Bytes(), 500},
      {"truncated toward zero", WaveBuilder(cd).Fmt().Data(fixtures::MakeSamples(176'399)).Bytes(),
       999},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetPlayTime(Write("take.wav", c.file)), c.expected) << c.name;
  }

  // 17 640 000 data bytes at 176 400 bytes per second, held in a sparse file.
  const auto header = fixtures::MakeCanonicalWaveHeader(cd, 17'640'000);
  const auto path = dir_.File("long.WAV");
  WriteSparseFile(path, header, 44 + 17'640'000);
  EXPECT_EQ(GetPlayTime(path), 100'000);
}

// Sizes past 32 bits: the product with 1000 needs 64 bits.
TEST(PlayTimeOfSourceTest, LargeWaveData) {
  const WaveFormat cd;
  fixtures::SparseSource source(44 + 4'000'000'000ull,
                                fixtures::MakeCanonicalWaveHeader(cd, 4'000'000'000u));
  EXPECT_EQ(GetPlayTime(source, AudioKind::Wave), 22'675'736);  // 4e9 * 1000 / 176 400
  EXPECT_EQ(GetPlayTime(source, AudioKind::None), 5);
}

// Real encoder output: the play time is what a real decoder plays, within one frame (the engine
// counts 26 ms for a 26.12 ms frame); with an info header it is exactly its frame count.
TEST(RealFilesPlayTimeTest, AgreesWithADecoder) {
  struct Case {
    const char* file;
    bool infoFrame;
  };
  const Case cases[] = {
      {"lame_cbr_info_tag.mp3", true}, {"lame_cbr_no_tag.mp3", false},
      {"lame_vbr_xing.mp3", true},     {"lame_mono.mp3", true},
      {"lame_mpeg2_22khz.mp3", true},  {"lame_id3v2_picture.mp3", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto path = fixtures::RealFixture(c.file);
    const auto decoded = fixtures::DecodeMp3(path);
    ASSERT_EQ(decoded.errors, 0) << decoded.firstError;
    ASSERT_GT(decoded.rate, 0);
    const std::int64_t samplesPerFrame = decoded.samples / decoded.frames;
    const std::int32_t msPerFrame =
        static_cast<std::int32_t>(samplesPerFrame * 1000 / decoded.rate);
    const auto playTime = GetPlayTime(path);
    if (c.infoFrame) {
      EXPECT_EQ(playTime, decoded.frames * msPerFrame);
    } else {
      const auto decodedMs = decoded.samples * 1000 / decoded.rate;
      EXPECT_LE(std::abs(playTime - decodedMs), samplesPerFrame * 1000 / decoded.rate + 1);
    }
    EXPECT_EQ(GetFileSize(path), static_cast<std::int32_t>(std::filesystem::file_size(path)));
  }

  struct WaveCase {
    const char* file;
    std::int32_t expected;
  };
  const WaveCase waves[] = {{"sox_float_fmt18_fact.wav", 1000},
                            {"sox_24bit_extensible.wav", 500},
                            {"list_chunk.wav", 1000}};
  for (const auto& c : waves) {
    EXPECT_EQ(GetPlayTime(fixtures::RealFixture(c.file)), c.expected) << c.file;
  }
}

}  // namespace
}  // namespace tandrel
