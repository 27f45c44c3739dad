#include "tandrel_engine/file_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>

#include "fixtures/byte_compare.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"
#include "tandrel_engine/wave_header.h"

namespace tandrel {
namespace {

using namespace fixtures;
using Bytes = std::vector<std::uint8_t>;

// A readable header comes out canonical whatever the chunk layout: the source's fmt fields, a
// 16-byte fmt chunk, the data chunk right after it (its size clamped to the file and to whole
// sample blocks), with the offset of the samples. Less than 44 means no usable header: the size of a shorter source, else 0.
TEST(ReadWaveHeaderTest, NormalisesEveryLayoutOrRefuses) {
  const WaveFormat cd, floatMono{3, 1, 48000, 32}, pcm24{1, 2, 8000, 24};
  const auto samples = MakeSamples(1000);
  const auto good = WaveBuilder(cd).Fmt().Data(samples).Bytes();
  const auto fmt = MakeCanonicalWaveHeader(cd, 0);
  WaveBuilder odd(cd);
  odd.Chunk("bext", Bytes(601)).List().Fmt().Chunk("cue ", Bytes(3)).Data(MakeSamples(999));
  const struct {
    Bytes file;
    std::size_t result = WaveHeader::kSize;
    WaveFormat format = {};
    std::uint64_t dataOffset = 44;
    std::uint32_t dataSize = 1000;
  } cases[] = {
      {good},
      {WaveBuilder(floatMono).Fmt(FmtLayout::WithExtra18).Fact(250).Data(samples).Bytes(), 44,
       floatMono, 58},
      {odd.Bytes(), 44, cd, 12 + 610 + 36 + 24 + 12 + 8, 996},  // odd sizes and their pad bytes
      {WaveBuilder(cd).Fmt().List().Data(samples, ~0u).Bytes(), 44, cd, 80},  // clamped to the file
      {Bytes(good.begin(), good.end() - 3), 44, cd, 44, 996},  // cut short inside a block
      {WaveBuilder(pcm24).Fmt().Data(samples).Bytes(), 44, pcm24, 44, 996},  // blocks of 6
      // An extensible fmt chunk comes out with its plain sub-format tag.
      {ReadFile(RealFixture("sox_24bit_extensible.wav")), 44, pcm24, 80, 24000},
      {WaveBuilder(cd).Chunk("fmt ", Bytes(&fmt[20], &fmt[34])).Data(samples).Bytes(), 0},
      {WaveBuilder(cd).Fmt().List().Chunk("junk", samples).Bytes(), 0},  // no data chunk
      // A chunk past the end hides the data; in 32 bits the end of the second would wrap around.
      {WaveBuilder(cd).Fmt().Chunk("LIST", {0, 0}, 100'000).Data(samples).Bytes(), 0},
      {WaveBuilder(cd).Fmt().Chunk("LIST", {}, ~0u).Data(samples).Bytes(), 0},
      {Bytes(good.begin(), good.begin() + 43), 43},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    MemorySource source(c.file);
    WaveHeader header;
    ASSERT_EQ(ReadWaveHeader(source, header), c.result) << i;
    if (c.result < WaveHeader::kSize) continue;
    EXPECT_EQ(header.dataOffset, c.dataOffset) << i;
    EXPECT_TRUE(SameBytes(header.bytes, MakeCanonicalWaveHeader(c.format, c.dataSize))) << i;
  }
}

// Two formats are the same when every byte but the RIFF size and the data size agrees.
TEST(SameWaveFormatTest, EveryByteButTheTwoSizesCounts) {
  WaveHeader a;
  std::ranges::copy(MakeCanonicalWaveHeader({}, 1000), a.bytes.begin());
  for (std::size_t at = 0; at < WaveHeader::kSize; ++at) {
    WaveHeader b = a;
    b.bytes[at] ^= 0x01;
    EXPECT_EQ(SameWaveFormat(a, b), (at >= 4 && at < 8) || at >= 40) << "byte " << at;
  }
}

// The size is the low 32 bits, 0 when the file cannot be opened. Play time: 5 when the name is
// not .wav or .mp3, 1 when the file cannot be opened; 64 bits for data sizes times 1000.
TEST(FileInfoTest, SizeAndPlayTimeByPath) {
  TempDir dir;
  auto sparse = [&](const char* name, std::span<const std::uint8_t> prefix, std::uint64_t size) {
    WriteFile(dir.File(name), prefix);
    std::filesystem::resize_file(dir.File(name), size);  // no blocks after the prefix
    return dir.File(name);
  };
  EXPECT_EQ(GetFileSize(sparse("a.mp3", {}, (1ull << 31) + 5)), INT32_MIN + 5);
  EXPECT_EQ(GetFileSize(sparse("a.mp3", {}, (1ull << 32) + 100)), 100);
  ASSERT_EQ(::mkdir(dir.File("folder.mp3").c_str(), 0700), 0);
  EXPECT_EQ(GetFileSize(dir.File("folder.mp3")), 0);
  EXPECT_EQ(GetPlayTime(sparse("tone.wav.bak", MakeCanonicalWaveHeader({}, 100), 144)), 5);
  EXPECT_EQ(GetPlayTime(dir.File("missing.WAV")), 1);
  EXPECT_EQ(GetPlayTime(dir.File("folder.mp3")), 1);
  const auto header = MakeCanonicalWaveHeader({}, 4'000'000'000u);
  EXPECT_EQ(GetPlayTime(sparse("long.WAV", header, 4'000'000'044)), 22'675'736);
}

// MP3: the frame count of an info header ("Xing" or "Info") in the first frame after the tags
// when its byte count agrees with the audio (within 1/16); else, for a constant-bit-rate stream,
// the audio bytes in frames of the reference's unpadded length; else the frames counted; 0 without
// audio. WAVE: from the normalised header; 3 without one, or with bytes per second 0 or block
// align 0.
TEST(FileInfoTest, PlayTime) {
  using enum AudioKind;
  const FrameSpec cbr, padded{.padding = true}, low{.bitrateIndex = 5};  // 26 ms
  const FrameSpec tiny{MpegVersion::Mpeg2, 1, 1, false, kSingleChannel};  // 24 bytes, 24 ms
  const FrameSpec voice{MpegVersion::Mpeg25, 8, 2, false, kSingleChannel};  // 576 bytes, 72 ms
  auto xing = [](std::uint32_t frames, std::uint32_t bytes, std::uint32_t flags = 0xF,
                 const char* tag = "Xing") {
    return XingFields{tag, flags, frames, bytes, LinearToc()};
  };
  auto wave = [](WaveFormat format, std::size_t bytes, std::optional<std::uint32_t> size = {}) {
    return WaveBuilder(format).Fmt().List().Data(MakeSamples(bytes), size).Bytes();
  };
  Mp3Builder vbr, joined;  // no info header; by copying two files, one info header each
  for (int i = 0; i < 300; ++i) vbr.Frame(cbr).Frame(low);
  for (int i = 0; i < 2; ++i) joined.Xing(cbr, xing(100, 100 * 417, 0xF, "Info")).Frames(cbr, 100);
  const std::tuple<Bytes, AudioKind, std::int32_t> cases[] = {
      {Mp3Builder().Xing(cbr, xing(52, 50 * 417, 0xF, "Info")).Frames(cbr, 50).Bytes(), Mp3, 1352},
      {Mp3Builder().Xing(cbr, xing(1000, 50 * 417)).Frames(cbr, 50).Bytes(), Mp3, 26'000},
      {Mp3Builder().Xing(cbr, xing(1000, 1'000'000)).Frames(cbr, 50).Bytes(), Mp3, 1300},
      {Mp3Builder().Xing(cbr, xing(5000, 0, 0x6)).Frames(cbr, 99).Bytes(), Mp3, 2574},
      {Mp3Builder().Xing(tiny, xing(5000, 0)).Frames(tiny, 99).Bytes(), Mp3, 2376},  // cut off
      {Mp3Builder().Id3v2(100).Id3v2(50, true).Xing(cbr, xing(7, 20 * 417)).Frames(cbr, 20).Bytes(),
       Mp3, 182},
      {Mp3Builder().Frames(padded, 1000).Bytes(), Mp3, 418'000 / 417 * 26},
      {Mp3Builder().Xing(cbr, xing(200'000'000, 20 * 417)).Frames(cbr, 20).Bytes(), Mp3, INT32_MAX},
      {vbr.Bytes(), Mp3, 600 * 26},
      {joined.Bytes(), Mp3, 201 * 26},  // its counts disagree: measured, the inner info frame too
      {Mp3Builder().Frames(voice, 100).Id3v1().Bytes(), Mp3, 7200},
      {Mp3Builder().Id3v2(300'000).Frames(cbr, 100).Ape(20'000).Bytes(), Mp3, 2600},
      {Mp3Builder().Junk(10'000).Bytes(), Mp3, 0},
      {wave({}, 176'400), Wave, 1000},  // a LIST chunk before the data
      {wave({}, 88'200, 1'764'000), Wave, 500},
      {Mp3Builder().Junk(1000).Bytes(), Wave, 3},
      {wave({.bytesPerSecond = 0}, 1000), Wave, 3},
      {wave({.blockAlign = 0, .bytesPerSecond = 176'400}, 1000), Wave, 3},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    MemorySource source(std::get<0>(cases[i]));
    EXPECT_EQ(GetPlayTime(source, std::get<1>(cases[i])), std::get<2>(cases[i])) << i;
  }
}

}  // namespace
}  // namespace tandrel
