#include "tandrel/wave_header.h"

#include <gtest/gtest.h>

#include "fixtures/byte_compare.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"

namespace tandrel {
namespace {

using namespace fixtures;
using Bytes = std::vector<std::uint8_t>;

// A readable header comes out canonical whatever the chunk layout: the source's fmt fields, a
// 16-byte fmt chunk, the data chunk right after it (its size clamped to the file), with the offset
// of the samples. Less than 44 means no usable header: the size of a shorter source, else 0.
TEST(ReadWaveHeaderTest, NormalisesEveryLayoutOrRefuses) {
  const WaveFormat cd, floatMono{kFormatFloat, 1, 48000, 32};
  const auto samples = MakeSamples(1000);
  const auto good = WaveBuilder(cd).Fmt().Data(samples).Bytes();
  const auto fmt = MakeCanonicalWaveHeader(cd, 0);
  WaveBuilder odd(cd);
  odd.Chunk("bext", Bytes(601)).List().Fmt().Chunk("cue ", Bytes(3)).Data(samples);
  const WaveFormat float8k{kFormatFloat, 1, 8000, 32}, pcm24{kFormatPcm, 2, 8000, 24};
  auto rifx = good, avi = good;
  rifx[3] = 'X';
  avi[8] = 'A';
  const struct {
    const char* name;
    Bytes file;
    std::size_t result = WaveHeader::kSize;
    WaveFormat format = {};
    std::uint64_t dataOffset = 44;
    std::uint32_t dataSize = 1000;
  } cases[] = {
      {"canonical", good},
      {"18-byte fmt and a fact chunk",
       WaveBuilder(floatMono).Fmt(FmtLayout::WithExtra18).Fact(250).Data(samples).Bytes(), 44,
       floatMono, 58},
      {"LIST before fmt", WaveBuilder(cd).List().Fmt().Data(samples).Bytes(), 44, cd, 80},
      {"odd chunks and their pad bytes", odd.Bytes(), 44, cd, 12 + 610 + 36 + 24 + 12 + 8},
      {"odd data size", WaveBuilder(cd).Fmt().Data(MakeSamples(999)).Bytes(), 44, cd, 44, 999},
      {"chunk after the data", WaveBuilder(cd).Fmt().Data(samples).List().Bytes()},
      {"data size past the end", WaveBuilder(cd).Fmt().Data(samples, 5000).Bytes()},
      {"data size 0xFFFFFFFF", WaveBuilder(cd).Fmt().List().Data(samples, ~0u).Bytes(), 44, cd, 80},
      {"data size 0", WaveBuilder(cd).Fmt().Data(samples, 0).Bytes(), 44, cd, 44, 0},
      {"real float", ReadFile(RealFixture("sox_float_fmt18_fact.wav")), 44, float8k, 58, 32000},
      // sox's extensible fmt chunk comes out with its plain sub-format tag.
      {"real extensible", ReadFile(RealFixture("sox_24bit_extensible.wav")), 44, pcm24, 80, 24000},
      {"big-endian RIFX", rifx, 0},
      {"not WAVE", avi, 0},
      {"fmt chunk of 14 bytes",
       WaveBuilder(cd).Chunk("fmt ", Bytes(&fmt[20], &fmt[34])).Data(samples).Bytes(), 0},
      {"no data chunk", WaveBuilder(cd).Fmt().List().Chunk("junk", samples).Bytes(), 0},
      {"data before fmt", WaveBuilder(cd).Data(samples).Fmt().Bytes(), 0},
      {"a chunk size past the end hides the data",
       WaveBuilder(cd).Fmt().ChunkWithSize("LIST", 100'000, {0, 0}).Data(samples).Bytes(), 0},
      // In 32 bits its end would wrap around onto the data chunk.
      {"chunk size 0xFFFFFFFF",
       WaveBuilder(cd).Fmt().ChunkWithSize("LIST", ~0u, {}).Data(samples).Bytes(), 0},
      {"43 bytes", Bytes(good.begin(), good.begin() + 43), 43},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySource source(c.file);
    WaveHeader header;
    ASSERT_EQ(ReadWaveHeader(source, header), c.result);
    if (c.result < WaveHeader::kSize) continue;
    EXPECT_EQ(header.dataOffset, c.dataOffset);
    EXPECT_TRUE(SameBytes(header.bytes, MakeCanonicalWaveHeader(c.format, c.dataSize)));
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

}  // namespace
}  // namespace tandrel
