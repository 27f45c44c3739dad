#include "tandrel/file_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <filesystem>

#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"

namespace tandrel {
namespace {

using namespace fixtures;

// The size is the low 32 bits, 0 when the file cannot be opened. Play time: 5 when the name is
// not .wav or .mp3, 1 when the file cannot be opened; 64 bits for data sizes times 1000.
TEST(FileInfoTest, SizeAndPlayTimeByPath) {
  TempDir dir;
  auto sparse = [&](const char* name, std::span<const std::uint8_t> prefix, std::uint64_t size) {
    WriteFile(dir.File(name), prefix);
    std::filesystem::resize_file(dir.File(name), size);  // no blocks after the prefix
    return dir.File(name);
  };
  const std::pair<std::uint64_t, std::int32_t> sizes[] = {
      {0, 0}, {12'345, 12'345}, {(1ull << 31) + 5, INT32_MIN + 5}, {(1ull << 32) + 100, 100}};
  for (const auto& [size, expected] : sizes) {
    EXPECT_EQ(GetFileSize(sparse("a.mp3", {}, size)), expected) << size;
  }
  ASSERT_EQ(::mkdir(dir.File("folder.mp3").c_str(), 0700), 0);
  EXPECT_EQ(GetFileSize(dir.File("missing.mp3")), 0);
  EXPECT_EQ(GetFileSize(dir.File("folder.mp3")), 0);
  EXPECT_EQ(GetPlayTime(sparse("tone.wav.bak", MakeCanonicalWaveHeader({}, 100), 144)), 5);
  EXPECT_EQ(GetPlayTime(dir.File("missing.txt")), 5);
  EXPECT_EQ(GetPlayTime(dir.File("missing.WAV")), 1);
  EXPECT_EQ(GetPlayTime(dir.File("folder.mp3")), 1);
  const auto header = MakeCanonicalWaveHeader({}, 4'000'000'000u);
  EXPECT_EQ(GetPlayTime(sparse("long.WAV", header, 4'000'000'044)), 22'675'736);
}

// MP3: the frame count of an info header ("Xing" or "Info") in the first frame after the tags, or
// the bytes after the tags in frames of the reference's unpadded length, 0 without frames. WAVE:
// from the normalised header; 3 without one, or with bytes per second 0 or block align 0 or less.
TEST(FileInfoTest, PlayTime) {
  const FrameSpec cbr, padded{.padding = true}, khz32{.sampleRateIndex = 2};  // 26 and 36 ms
  const FrameSpec tiny{MpegVersion::Mpeg2, 1, 1, false, kSingleChannel};      // 24 bytes, 24 ms
  auto info = [](std::uint32_t frames, std::uint32_t flags = 0xF, const char* tag = "Xing") {
    return XingFields{tag, flags, frames, 1'000'000, LinearToc()};
  };
  const std::pair<Mp3Builder, std::int32_t> mp3[] = {
      {Mp3Builder().Xing(cbr, info(1000, 0xF, "Info")).Frames(cbr, 50), 26'000},
      {Mp3Builder().Xing(khz32, info(100, 0x1)).Frames(khz32, 10), 3600},
      {Mp3Builder().Xing(cbr, info(5000, 0x6)).Frames(cbr, 99), 2600},  // no frame count
      {Mp3Builder().Xing(tiny, info(5000)).Frames(tiny, 99), 2400},     // too short for it
      {Mp3Builder().Id3v2(100).Id3v2(50, true).Xing(cbr, info(7)).Frames(cbr, 20), 182},
      {Mp3Builder().Id3v2(4160).Frames(cbr, 100), 2600},
      {Mp3Builder().Frame(cbr).Xing(cbr, info(1000)).Frames(cbr, 98), 2600},  // second frame
      {Mp3Builder().Frames(padded, 1000), 418'000 / 417 * 26},
      {Mp3Builder().Xing(cbr, info(200'000'000)).Frames(cbr, 20), INT32_MAX},
      {Mp3Builder().Junk(10'000), 0},
      {Mp3Builder().Id3v2(3000).Raw(std::vector<std::uint8_t>{0xFF, 0xFB, 0x90}), 0},
  };
  for (std::size_t i = 0; i < std::size(mp3); ++i) {
    MemorySource source(mp3[i].first.Bytes());
    EXPECT_EQ(GetPlayTime(source, AudioKind::Mp3), mp3[i].second) << "MP3 " << i;
  }
  auto wave = [](WaveFormat format, std::size_t bytes, std::optional<std::uint32_t> size = {}) {
    return WaveBuilder(format).Fmt().List().Data(MakeSamples(bytes), size).Bytes();
  };
  const std::pair<std::vector<std::uint8_t>, std::int32_t> waves[] = {
      {wave({}, 176'400), 1000},  // a LIST chunk before the data
      {wave({}, 176'399), 999},
      {wave({}, 88'200, 1'764'000), 500},  // a data size past the end
      {MakeJunk(1000), 3},
      {wave({.bytesPerSecond = 0}, 1000), 3},
      {wave({.blockAlign = 0, .bytesPerSecond = 176'400}, 1000), 3},
      {wave({.blockAlign = 0x8000, .bytesPerSecond = 176'400}, 1000), 3},
  };
  for (std::size_t i = 0; i < std::size(waves); ++i) {
    MemorySource source(waves[i].first);
    EXPECT_EQ(GetPlayTime(source, AudioKind::Wave), waves[i].second) << "WAVE " << i;
  }
}

}  // namespace
}  // namespace tandrel
