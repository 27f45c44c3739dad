#include "tandrel/frame_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/io_doubles.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"

namespace tandrel {
namespace {

using fixtures::FrameSpec;
using fixtures::Mp3Builder;
using fixtures::MpegVersion;

struct ReadFrame {
  std::uint64_t offset;
  std::uint32_t headerWord;
  std::uint32_t length;
};

// Reads frames from the reader's position to the end of the stream.
std::vector<ReadFrame> ReadAll(CFrameReader& reader) {
  std::vector<ReadFrame> frames;
  while (const auto body = reader.ReadFrame()) {
    EXPECT_EQ(body->size(), reader.GetBodySize());
    frames.push_back({reader.GetFrameOffset(), reader.GetHeaderWord(), reader.GetBodySize() + 4});
  }
  return frames;
}

std::vector<std::uint64_t> Offsets(const std::vector<ReadFrame>& frames) {
  std::vector<std::uint64_t> offsets;
  for (const auto& f : frames) offsets.push_back(f.offset);
  return offsets;
}

std::vector<std::uint64_t> Offsets(const std::vector<Mp3Builder::PlacedFrame>& frames) {
  std::vector<std::uint64_t> offsets;
  for (const auto& f : frames) offsets.push_back(f.offset);
  return offsets;
}

FrameSpec Spec(int bitrateIndex, int sampleRateIndex = 0, int channelMode = fixtures::kJointStereo,
               MpegVersion version = MpegVersion::Mpeg1) {
  FrameSpec spec;
  spec.bitrateIndex = bitrateIndex;
  spec.sampleRateIndex = sampleRateIndex;
  spec.channelMode = channelMode;
  spec.version = version;
  return spec;
}

TEST(FrameReaderTest, ReadsEveryFrameByteForByte) {
  FrameSpec padded = Spec(9);
  padded.padding = true;
  FrameSpec monoCrc = Spec(5, 2, fixtures::kSingleChannel);
  monoCrc.crc = true;
  struct Case {
    const char* name;
    Mp3Builder stream;
  };
  Case cases[] = {
      {"CBR 44.1 kHz with padding",
       Mp3Builder().Frames(Spec(9), 3).Frame(padded).Frames(Spec(9), 3).Frame(padded)},
      {"single channel with CRC", Mp3Builder().Frames(monoCrc, 12)},
      {"MPEG-2 22.05 kHz",
       Mp3Builder().Frames(Spec(8, 0, fixtures::kStereo, MpegVersion::Mpeg2), 12)},
      {"VBR",
       Mp3Builder().Frame(Spec(1)).Frame(Spec(14)).Frame(Spec(5)).Frame(Spec(11)).Frame(Spec(9))},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto& bytes = c.stream.Bytes();
    MemorySource source(bytes);
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    EXPECT_EQ(reader.Tell(), 0u);
    for (const auto& placed : c.stream.Placed()) {
      const auto body = reader.ReadFrame();
      ASSERT_TRUE(body.has_value()) << "frame at " << placed.offset;
      EXPECT_EQ(reader.GetFrameOffset(), placed.offset);
      EXPECT_EQ(reader.GetHeaderWord(), placed.headerWord);
      EXPECT_EQ(reader.GetBodySize(), placed.length - 4);
      const std::span<const std::uint8_t> expected(bytes.data() + placed.offset, placed.length);
      EXPECT_TRUE(fixtures::SameBytes(reader.GetFrame(), expected));
      EXPECT_TRUE(fixtures::SameBytes(*body, expected.subspan(4)));
      EXPECT_EQ(reader.Tell(), placed.offset + placed.length);
    }
    EXPECT_FALSE(reader.ReadFrame().has_value());
    // The reference frame read by Open counts too.
    EXPECT_EQ(reader.GetFrameCount(), c.stream.Placed().size() + 1);
  }
}

TEST(FrameReaderTest, PassesOverBytesThatAreNoFrame) {
  const auto frame = Spec(9);
  struct Case {
    const char* name;
    Mp3Builder stream;
  };
  Case cases[] = {
      {"leading junk", Mp3Builder().Junk(1000).Frames(frame, 20)},
      {"ID3v2 tag", Mp3Builder().Id3v2(2000).Frames(frame, 20)},
      {"ID3v2 tag with footer", Mp3Builder().Id3v2(300, true).Frames(frame, 20)},
      {"junk between frames",
       Mp3Builder().Frames(frame, 10).Junk(77).Frames(frame, 10).Junk(3).Frames(frame, 1)},
      {"trailing ID3v1 tag", Mp3Builder().Frames(frame, 20).Id3v1()},
      {"three bytes after the last frame", Mp3Builder().Frames(frame, 20).Junk(3)},
  };
  for (auto& c : cases) {
    MemorySource source(c.stream.Bytes());
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    EXPECT_EQ(Offsets(ReadAll(reader)), Offsets(c.stream.Placed())) << c.name;
  }
}

// The reference is the first frame at or after one tenth of the file; frames of another
// version, sample rate or channel count than the reference are damage, other bitrates are not.
TEST(FrameReaderTest, ReferenceFromOneTenthDecidesWhichFramesBelong) {
  const auto cbr = Spec(9);
  struct Case {
    const char* name;
    Mp3Builder stream;
    std::vector<std::size_t> expected;  // indexes into the placed frames
  };
  std::vector<Case> cases;
  {
    Case c{"48 kHz lead-in before 44.1 kHz frames",
           Mp3Builder().Frames(Spec(9, 1), 5).Frames(cbr, 100),
           {}};
    for (std::size_t i = 5; i < 105; ++i) c.expected.push_back(i);
    cases.push_back(std::move(c));
  }
  {
    Case c{"single-channel frames among stereo", Mp3Builder(), {}};
    for (std::size_t i = 0; i < 60; ++i) {
      const bool mono = i % 7 == 3;
      c.stream.Frame(mono ? Spec(9, 0, fixtures::kSingleChannel) : cbr);
      if (!mono) c.expected.push_back(i);
    }
    cases.push_back(std::move(c));
  }
  {
    Case c{"MPEG-2 frames among MPEG-1", Mp3Builder(), {}};
    for (std::size_t i = 0; i < 60; ++i) {
      const bool mpeg2 = i % 5 == 4;
      c.stream.Frame(mpeg2 ? Spec(9, 0, fixtures::kJointStereo, MpegVersion::Mpeg2) : cbr);
      if (!mpeg2) c.expected.push_back(i);
    }
    cases.push_back(std::move(c));
  }
  {
    Case c{"stereo and dual-channel frames are one stream", Mp3Builder(), {}};
    for (std::size_t i = 0; i < 40; ++i) {
      c.stream.Frame(Spec(9, 0, i % 2 ? fixtures::kDualChannel : fixtures::kStereo));
      c.expected.push_back(i);
    }
    cases.push_back(std::move(c));
  }
  {
    Case c{
        "info frame first", Mp3Builder().Xing(Spec(5), fixtures::XingFields{}).Frames(cbr, 50), {}};
    for (std::size_t i = 0; i < 51; ++i) c.expected.push_back(i);
    cases.push_back(std::move(c));
  }
  {
    Case c{"VBR with a bitrate per frame", Mp3Builder(), {}};
    for (std::size_t i = 0; i < 70; ++i) {
      c.stream.Frame(Spec(static_cast<int>(1 + i % 14)));
      c.expected.push_back(i);
    }
    cases.push_back(std::move(c));
  }
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto& placed = c.stream.Placed();
    MemorySource source(c.stream.Bytes());
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    ASSERT_TRUE(reader.HasReference());
    std::size_t reference = 0;
    while (placed[reference].offset < c.stream.Size() / 10) ++reference;
    EXPECT_EQ(reader.GetReference().Word(), placed[reference].headerWord);
    EXPECT_EQ(reader.GetReferenceBodySize(), placed[reference].length - 4);
    std::vector<std::uint64_t> expected;
    for (const auto i : c.expected) expected.push_back(placed[i].offset);
    EXPECT_EQ(Offsets(ReadAll(reader)), expected);
  }
}

// A header that matches the reference but is refused (bitrate 15, Layer I) is passed over whole:
// a frame starting 1 or 3 bytes into it is not found, one starting 4 bytes on is. A frame 2 bytes
// in is found, since 0xFF as a third byte holds the reserved sample-rate index and so never makes
// a candidate in the first place.
TEST(FrameReaderTest, RefusedCandidateIsSkippedWhole) {
  struct Case {
    int channelMode;
    std::vector<std::uint8_t> refused;  // the bytes before the frame
    bool found;
  };
  const Case cases[] = {
      {fixtures::kJointStereo, {0xFF}, false},                // FF|FF FB 98: Layer I, index 15
      {fixtures::kJointStereo, {0xFF, 0xFB}, true},           // FF FB|FF FB: rate index 3
      {fixtures::kSingleChannel, {0xFF, 0xFB, 0xF8}, false},  // FF FB F8|FF: index 15, mono
      {fixtures::kSingleChannel, {0xFF, 0xFB, 0xF8, 0xC0}, true},
      {fixtures::kJointStereo, {}, true},
  };
  for (const auto& c : cases) {
    const auto spec = Spec(9, 2, c.channelMode);  // 32000 Hz, 576 bytes
    Mp3Builder stream;
    stream.Frames(spec, 20).Raw(c.refused).Frame(spec).Frame(spec);
    const auto& placed = stream.Placed();
    MemorySource source(stream.Bytes());
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    const auto frames = ReadAll(reader);
    ASSERT_GE(frames.size(), 21u);
    EXPECT_EQ(frames.size(), c.found ? 22u : 21u) << c.refused.size() << " refused bytes";
    EXPECT_EQ(frames.back().offset, placed.back().offset);
  }
}

TEST(FrameReaderTest, CutOffLastFrameEndsTheStream) {
  for (const std::size_t cut : {1u, 100u, 413u, 416u}) {
    Mp3Builder stream;
    stream.Frames(Spec(9), 10);
    auto bytes = stream.Bytes();
    bytes.resize(bytes.size() - cut);
    MemorySource source(bytes);
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    EXPECT_EQ(ReadAll(reader).size(), 9u) << "cut " << cut;
    EXPECT_FALSE(reader.ReadFrame().has_value());
  }
}

TEST(FrameReaderTest, FailedReadEndsTheStreamAfterExactFrames) {
  Mp3Builder stream;
  stream.Frames(Spec(9), 600);  // 250 200 bytes: several fills of the read buffer
  const auto& placed = stream.Placed();

  fixtures::FailingSource counting(stream.Bytes(), 0);
  {
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(counting));
    ASSERT_EQ(ReadAll(reader).size(), placed.size());
  }
  const int reads = counting.ReadCount();
  ASSERT_GE(reads, 4);

  for (const bool shortRead : {false, true}) {
    for (int failAt = 1; failAt <= reads; ++failAt) {
      SCOPED_TRACE(::testing::Message() << "read " << failAt << (shortRead ? " short" : " empty"));
      fixtures::FailingSource source(stream.Bytes(), failAt, shortRead);
      CFrameReader reader;
      ASSERT_TRUE(reader.Open(source));
      const auto frames = ReadAll(reader);
      EXPECT_FALSE(reader.ReadFrame().has_value());
      // Whatever came before the failure is exact; the last read only finds the end.
      ASSERT_LE(frames.size(), placed.size());
      for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i].offset, placed[i].offset) << "frame " << i;
      }
      if (failAt < reads) {
        EXPECT_LT(frames.size(), placed.size());
      }
    }
  }
}

TEST(FrameReaderTest, OpensWithoutReferenceWhenNoFrameIsFound) {
  const std::vector<std::vector<std::uint8_t>> inputs = {
      {},
      {0xFF, 0xFB, 0x90},
      fixtures::MakeJunk(5000),
      fixtures::MakeId3v2Tag(400),
  };
  for (const auto& bytes : inputs) {
    MemorySource source(bytes);
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source)) << bytes.size() << " bytes";
    EXPECT_FALSE(reader.HasReference());
    EXPECT_FALSE(reader.ReadFrame().has_value());
    EXPECT_EQ(reader.EstimatePlayTime(), 0);
  }
}

TEST(FrameReaderTest, ClosedOrUnopenedReaderReadsNothing) {
  CFrameReader unopened;
  EXPECT_FALSE(unopened.ReadFrame().has_value());

  Mp3Builder stream;
  stream.Frames(Spec(9), 5);
  MemorySource source(stream.Bytes());
  CFrameReader reader;
  ASSERT_TRUE(reader.Open(source));
  ASSERT_TRUE(reader.ReadFrame().has_value());
  reader.Close();
  EXPECT_FALSE(reader.ReadFrame().has_value());

  fixtures::TempDir dir;
  EXPECT_FALSE(reader.Open(dir.File("missing.mp3")));
  EXPECT_FALSE(reader.Open(dir.Path()));  // a folder is no file
  EXPECT_FALSE(reader.ReadFrame().has_value());
}

TEST(FrameReaderTest, SeekIntoAFrameFindsTheNextOne) {
  Mp3Builder stream;
  stream.Frames(Spec(9), 10);
  const auto& placed = stream.Placed();
  MemorySource source(stream.Bytes());
  CFrameReader reader;
  ASSERT_TRUE(reader.Open(source));
  for (const std::uint64_t into : {0u, 1u, 200u, 416u}) {
    reader.Seek(placed[3].offset + into);
    ASSERT_TRUE(reader.ReadFrame().has_value());
    EXPECT_EQ(reader.GetFrameOffset(), placed[into == 0 ? 3 : 4].offset) << "at +" << into;
  }
}

// Play time without an info header: whole frames of the reference's unpadded length.
TEST(FrameReaderTest, EstimatePlayTimeCountsUnpaddedReferenceFrames) {
  FrameSpec padded = Spec(9);
  padded.padding = true;
  struct Case {
    const char* name;
    FrameSpec spec;
    int frames;
    std::optional<std::uint64_t> audioBytes;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"44.1 kHz 128 kbit/s", Spec(9), 100, std::nullopt, 100 * 26},
      {"4 170 000 bytes of 417-byte frames", Spec(9), 10, 4'170'000, 260'000},
      {"padded reference counts 417", padded, 1000, std::nullopt, 418'000 / 417 * 26},
      {"48 kHz 320 kbit/s", Spec(14, 1), 50, std::nullopt, 50 * 24},
      {"32 kHz", Spec(9, 2), 30, std::nullopt, 30 * 36},
      {"MPEG-2 16 kHz", Spec(8, 2, fixtures::kJointStereo, MpegVersion::Mpeg2), 30, std::nullopt,
       30 * 36},
      {"beyond 32 bits", Spec(9), 10, 5'000'000'000, 5'000'000'000 / 417 * 26},
  };
  for (const auto& c : cases) {
    Mp3Builder stream;
    stream.Frames(c.spec, c.frames);
    MemorySource source(stream.Bytes());
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    EXPECT_EQ(reader.EstimatePlayTime(c.audioBytes), c.expected) << c.name;
  }
}

TEST(Id3v2TagTest, SizeOfTheTagAtTheStart) {
  auto withSizeByte = [](std::uint8_t byte) {
    auto tag = fixtures::MakeId3v2Tag(20);
    tag[8] = byte;
    return tag;
  };
  auto withVersion = [](std::uint8_t major) {
    auto tag = fixtures::MakeId3v2Tag(20);
    tag[3] = major;
    return tag;
  };
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::uint64_t size;
  };
  const Case cases[] = {
      {"empty tag", fixtures::MakeId3v2Tag(0), 10},
      {"1000-byte body", fixtures::MakeId3v2Tag(1000), 1010},
      {"sync-safe size over 7 bits", fixtures::MakeId3v2Tag(300), 310},
      {"footer", fixtures::MakeId3v2Tag(300, true), 320},
      {"largest size", {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}, 10 + (1u << 28) - 1},
      {"size byte with the top bit", withSizeByte(0x80), 0},
      {"version 0xFF", withVersion(0xFF), 0},
      {"fewer than 10 bytes", {'I', 'D', '3', 4, 0, 0, 0, 0, 0}, 0},
      {"a frame", fixtures::MakeFrame(FrameSpec{}), 0},
      {"lower-case id", {'i', 'd', '3', 4, 0, 0, 0, 0, 0, 5}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Id3v2TagSize(c.bytes), c.size) << c.name;
}

TEST(Id3v2TagTest, AudioStartsAfterEveryLeadingTag) {
  const auto frame = fixtures::MakeFrame(FrameSpec{});
  auto tagTooLong = fixtures::MakeId3v2Tag(10);
  tagTooLong[9] = 100;  // says 100 bytes, holds 10
  struct Case {
    const char* name;
    Mp3Builder stream;
    std::uint64_t start;
  };
  Case cases[] = {
      {"no tag", Mp3Builder().Raw(frame), 0},
      {"one tag", Mp3Builder().Id3v2(500).Raw(frame), 510},
      {"two tags", Mp3Builder().Id3v2(500).Id3v2(20, true).Raw(frame), 550},
      {"tag only", Mp3Builder().Id3v2(30), 40},
      {"tag longer than the file", Mp3Builder().Raw(tagTooLong), 0},
      {"junk then a tag", Mp3Builder().Junk(1).Id3v2(30).Raw(frame), 0},
  };
  for (auto& c : cases) {
    MemorySource source(c.stream.Bytes());
    EXPECT_EQ(FindAudioStart(source), c.start) << c.name;
  }
}

// The frames of real encoder output, read from where the audio starts, are the frames a real
// decoder plays, plus the info frame it keeps for itself.
TEST(FrameReaderTest, RealFilesHaveTheFramesADecoderFinds) {
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
    ASSERT_GT(decoded.frames, 0);
    auto source = OpenFileSource(path);
    ASSERT_TRUE(source);
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(*source));
    reader.Seek(FindAudioStart(*source));
    const auto frames = ReadAll(reader);
    EXPECT_EQ(frames.size(), static_cast<std::size_t>(decoded.frames) + (c.infoFrame ? 1 : 0));
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().offset + frames.back().length, source->Size());
    for (std::size_t i = 1; i < frames.size(); ++i) {
      ASSERT_EQ(frames[i].offset, frames[i - 1].offset + frames[i - 1].length)
          << "gap before frame " << i;
    }
  }
}

}  // namespace
}  // namespace tandrel
