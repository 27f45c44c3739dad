#include "tandrel/wave_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"

namespace tandrel {
namespace {

using fixtures::FmtLayout;
using fixtures::WaveBuilder;
using fixtures::WaveFormat;

WaveFormat Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                  std::uint16_t bits) {
  WaveFormat format;
  format.formatTag = tag;
  format.channels = channels;
  format.sampleRate = rate;
  format.bitsPerSample = bits;
  return format;
}

const WaveFormat kCd = Format(fixtures::kFormatPcm, 2, 44100, 16);

// Whatever the chunk layout, the header read is the canonical one: the source's fmt fields, a
// 16-byte fmt chunk and the data chunk right after it.
TEST(ReadWaveHeaderTest, NormalisesEveryLayoutToTheCanonicalHeader) {
  const auto samples = fixtures::MakeSamples(1000);
  const auto oddSamples = fixtures::MakeSamples(999);
  const auto floatMono = Format(fixtures::kFormatFloat, 1, 48000, 32);
  const auto pcm24 = Format(fixtures::kFormatPcm, 2, 96000, 24);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
    WaveFormat format;  // of the normalised header
    std::uint64_t dataOffset;
    std::uint32_t dataSize;
  };
  const Case cases[] = {
      {"canonical", WaveBuilder(kCd).Fmt().Data(samples).Bytes(), kCd, 44, 1000},
      {"18-byte fmt and a fact chunk",
       WaveBuilder(floatMono).Fmt(FmtLayout::WithExtra18).Fact(250).Data(samples).Bytes(),
       floatMono, 58, 1000},
      {"LIST between fmt and data", WaveBuilder(kCd).Fmt().List().Data(samples).Bytes(), kCd, 80,
       1000},
      {"LIST before fmt", WaveBuilder(kCd).List().Fmt().Data(samples).Bytes(), kCd, 80, 1000},
      {"odd chunk and its pad byte",
       WaveBuilder(kCd).Fmt().Chunk("junk", {1, 2, 3, 4, 5}).Data(samples).Bytes(), kCd, 58, 1000},
      {"several chunks",
       WaveBuilder(kCd)
           .Chunk("bext", std::vector<std::uint8_t>(601, 7))
           .Fmt()
           .Fact(1)
           .List()
           .Chunk("cue ", std::vector<std::uint8_t>(3, 1))
           .Data(samples)
           .Bytes(),
       kCd, 12 + 610 + 24 + 12 + 36 + 12 + 8, 1000},
      {"extensible PCM",
       WaveBuilder(pcm24).Fmt(FmtLayout::Extensible40).Fact(100).Data(samples).Bytes(), pcm24, 80,
       1000},
      {"extensible float",
       WaveBuilder(floatMono).Fmt(FmtLayout::Extensible40).Data(samples).Bytes(), floatMono, 68,
       1000},
      {"odd data size", WaveBuilder(kCd).Fmt().Data(oddSamples).Bytes(), kCd, 44, 999},
      {"chunk after the data", WaveBuilder(kCd).Fmt().Data(samples).List().Bytes(), kCd, 44, 1000},
      {"data size past the end", WaveBuilder(kCd).Fmt().Data(samples, 5000).Bytes(), kCd, 44, 1000},
      {"data size 0xFFFFFFFF", WaveBuilder(kCd).Fmt().List().Data(samples, 0xFFFFFFFF).Bytes(), kCd,
       80, 1000},
      {"data size 0 is taken as it stands", WaveBuilder(kCd).Fmt().Data(samples, 0).Bytes(), kCd,
       44, 0},
      {"no samples", WaveBuilder(kCd).Fmt().Data({}).Bytes(), kCd, 44, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySource source(c.file);
    WaveHeader header;
    ASSERT_EQ(ReadWaveHeader(source, header), WaveHeader::kSize);
    EXPECT_EQ(header.dataOffset, c.dataOffset);
    EXPECT_TRUE(
        fixtures::SameBytes(header.bytes, fixtures::MakeCanonicalWaveHeader(c.format, c.dataSize)));
  }
}

TEST(ReadWaveHeaderTest, ReturnsZeroForWhatIsNoReadableWaveFile) {
  const auto samples = fixtures::MakeSamples(100);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
  };
  const Case cases[] = {
      {"big-endian RIFX", WaveBuilder(kCd).RiffId("RIFX").Fmt().Data(samples).Bytes()},
      {"not WAVE", WaveBuilder(kCd).WaveId("AVI ").Fmt().Data(samples).Bytes()},
      {"fmt chunk of 14 bytes", WaveBuilder(kCd).ShortFmt(14).Data(samples).Bytes()},
      {"no data chunk", WaveBuilder(kCd).Fmt().List().Chunk("junk", samples).Bytes()},
      {"data before fmt", WaveBuilder(kCd).Data(samples).Fmt().Bytes()},
      {"no fmt chunk", WaveBuilder(kCd).List().Data(samples).Bytes()},
      {"a chunk size past the end hides the data",
       WaveBuilder(kCd).Fmt().ChunkWithSize("LIST", 100'000, {0, 0, 0, 0}).Data(samples).Bytes()},
      {"an MP3 file", std::vector<std::uint8_t>(200, 0xFF)},
  };
  for (const auto& c : cases) {
    MemorySource source(c.file);
    WaveHeader header;
    EXPECT_EQ(ReadWaveHeader(source, header), 0u) << c.name;
  }
}

TEST(ReadWaveHeaderTest, ShorterThanAHeaderReturnsTheBytesThereAre) {
  const auto full = WaveBuilder(kCd).Fmt().Data({}).Bytes();
  ASSERT_EQ(full.size(), 44u);
  for (const std::size_t size : {0u, 1u, 12u, 36u, 43u}) {
    MemorySource source(
        std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)));
    WaveHeader header;
    EXPECT_EQ(ReadWaveHeader(source, header), size);
  }
}

TEST(ReadWaveHeaderTest, RealFilesFromDisk) {
  struct Case {
    const char* file;
    WaveFormat format;
    std::uint64_t dataOffset;
    std::uint32_t dataSize;
  };
  const Case cases[] = {
      {"sox_float_fmt18_fact.wav", Format(fixtures::kFormatFloat, 1, 8000, 32), 58, 32000},
      {"sox_24bit_extensible.wav", Format(fixtures::kFormatPcm, 2, 8000, 24), 80, 24000},
      {"list_chunk.wav", Format(fixtures::kFormatPcm, 1, 8000, 16), 84, 16000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto source = OpenFileSource(fixtures::RealFixture(c.file));
    ASSERT_TRUE(source);
    WaveHeader header;
    ASSERT_EQ(ReadWaveHeader(*source, header), WaveHeader::kSize);
    EXPECT_EQ(header.dataOffset, c.dataOffset);
    EXPECT_EQ(header.dataOffset + header.DataSize(), source->Size());
    EXPECT_TRUE(
        fixtures::SameBytes(header.bytes, fixtures::MakeCanonicalWaveHeader(c.format, c.dataSize)));
  }
}

// Two formats are the same when every byte but the RIFF size and the data size agrees.
TEST(SameWaveFormatTest, EveryByteButTheTwoSizesCounts) {
  WaveHeader a;
  const auto bytes = fixtures::MakeCanonicalWaveHeader(kCd, 1000);
  std::copy(bytes.begin(), bytes.end(), a.bytes.begin());
  EXPECT_TRUE(SameWaveFormat(a, a));
  for (std::size_t at = 0; at < WaveHeader::kSize; ++at) {
    WaveHeader b = a;
    b.bytes[at] ^= 0x01;
    const bool sizeField = (at >= 4 && at < 8) || (at >= 40 && at < 44);
    EXPECT_EQ(SameWaveFormat(a, b), sizeField) << "byte " << at;
    EXPECT_EQ(SameWaveFormat(b, a), sizeField) << "byte " << at;
  }
}

// A file written with an 18-byte fmt chunk and one with a 16-byte chunk hold the same format
// once both are read.
TEST(SameWaveFormatTest, LayoutDoesNotMatterAfterReading) {
  const auto floatMono = Format(fixtures::kFormatFloat, 1, 8000, 32);
  MemorySource plain(WaveBuilder(floatMono).Fmt().Data(fixtures::MakeSamples(400)).Bytes());
  MemorySource real(fixtures::ReadFile(fixtures::RealFixture("sox_float_fmt18_fact.wav")));
  MemorySource pcm(WaveBuilder(Format(fixtures::kFormatPcm, 1, 8000, 32)).Fmt().Data({}).Bytes());
  WaveHeader a, b, c;
  ASSERT_EQ(ReadWaveHeader(plain, a), 44u);
  ASSERT_EQ(ReadWaveHeader(real, b), 44u);
  ASSERT_EQ(ReadWaveHeader(pcm, c), 44u);
  EXPECT_TRUE(SameWaveFormat(a, b));
  EXPECT_FALSE(SameWaveFormat(a, c));
}

}  // namespace
}  // namespace tandrel
