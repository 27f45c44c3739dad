#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <limits>

#include "fixtures/byte_compare.h"
#include "fixtures/mpeg_builder.h"
#include "tandrel/frame_reader.h"
#include "tandrel/xing_header.h"

namespace tandrel {
namespace {

using namespace fixtures;
using enum MpegVersion;
using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<std::pair<std::uint64_t, std::uint32_t>>;  // offset, length

// Every bitrate and rate of both versions, padded or not, against the builder's tables. Refused:
// bitrate index 0 (free format) and 15, rate index 3, Layer I, II and 00, MPEG-2.5, no sync.
TEST(MpegHeaderTest, FrameLengths) {
  const std::uint32_t ms[] = {26, 24, 36};
  for (int i = 0; i < 2 * 3 * 14 * 2; ++i) {
    const FrameSpec shape{MpegVersion(i / 84), 1 + i / 6 % 14, i / 2 % 3, i % 2 == 1};
    const MpegHeader header(HeaderWord(shape));
    EXPECT_TRUE(header.IsAcceptable()) << std::hex << header.Word();
    EXPECT_EQ(header.FrameLength(), FrameLength(shape)) << std::hex << header.Word();
    EXPECT_EQ(header.MsPerFrame(), ms[shape.sampleRateIndex]);
  }
  EXPECT_EQ(FrameLength({Mpeg1, 14, 2, true}), 1441u);  // the longest, by hand
  EXPECT_EQ(FrameLength({Mpeg2, 1, 1}), 24u);           // the shortest
  const std::uint32_t good = HeaderWord({});
  for (const auto word :
       {good & ~0xF000u, good | 0xF000u, good | 0xC00u, good | 0x60000u, good ^ 0x60000u,
        good & ~0x60000u, good & ~0x180000u, good & ~0x800000u}) {
    EXPECT_FALSE(MpegHeader(word).IsAcceptable()) << std::hex << word;
    EXPECT_EQ(MpegHeader(word).FrameLength(), 0u) << std::hex << word;
  }
}

// The frames from the reader's position on, checked against the bytes they came from.
Frames ReadAll(CFrameReader& reader, std::span<const std::uint8_t> bytes) {
  Frames frames;
  while (const auto body = reader.ReadFrame()) {
    const auto frame = reader.GetFrame();
    EXPECT_TRUE(SameBytes(frame, bytes.subspan(reader.GetFrameOffset(), frame.size())));
    EXPECT_TRUE(SameBytes(*body, frame.subspan(4)));
    frames.emplace_back(reader.GetFrameOffset(), static_cast<std::uint32_t>(frame.size()));
  }
  return frames;
}

// The frames the builder placed, where the reader should find them.
Frames Placed(const Mp3Builder& stream) {
  Frames frames;
  for (const auto& p : stream.Placed()) frames.emplace_back(p.offset, p.length);
  return frames;
}

// The reference is the first frame from one tenth of the file on. Frames of another version, rate
// or channel count are passed over (added raw, they are not placed), as is all that is no frame.
// A matching but refused header (bitrate 15, Layer I) is skipped whole: a frame 1 or 3 bytes into
// it is lost, one 4 on is found, one 2 in too (0xFF for a third byte is the reserved rate index).
TEST(FrameReaderTest, ReadsTheFramesOfTheReferencesStream) {
  const FrameSpec cbr, monoCrc{Mpeg1, 5, 2, false, kSingleChannel, true};
  const FrameSpec mpeg2{Mpeg2, 8, 0}, mono{.channelMode = kSingleChannel};
  auto refused = [](int mode, Bytes bytes, bool found) {  // 32 kHz, 576 bytes
    const FrameSpec shape{Mpeg1, 9, 2, false, mode};
    Mp3Builder stream;
    stream.Frames(shape, 20).Raw(bytes);
    return (found ? stream.Frame(shape) : stream.Raw(MakeFrame(shape))).Frame(shape);
  };
  Mp3Builder tagged;  // tags, junk, and a last frame cut short
  tagged.Id3v2(2000).Id3v2(300, true).Frames(cbr, 10).Junk(77).Frames(cbr, 10).Junk(3).Frame(cbr);
  tagged.Raw(std::span<const std::uint8_t>(MakeFrame(cbr)).first(416));
  std::vector<Mp3Builder> cases = {
      Mp3Builder().Frames(monoCrc, 12),
      Mp3Builder().Frames(mpeg2, 12),
      tagged,
      Mp3Builder().Frames(cbr, 20).Id3v1().Junk(3),
      Mp3Builder().Raw(Mp3Builder().Frames({.sampleRateIndex = 1}, 5).Bytes()).Frames(cbr, 100),
      Mp3Builder().Xing(FrameSpec{.bitrateIndex = 5}, {}).Frames(cbr, 50),
      refused(kJointStereo, {0xFF}, false),                // FF|FF FB 98: Layer I, index 15
      refused(kJointStereo, {0xFF, 0xFB}, true),           // FF FB|FF FB: rate index 3
      refused(kSingleChannel, {0xFF, 0xFB, 0xF8}, false),  // FF FB F8|FF: index 15, mono
      refused(kSingleChannel, {0xFF, 0xFB, 0xF8, 0xC0}, true),
      Mp3Builder(),  // every bitrate, padded or not, in both stereo modes
      Mp3Builder(),  // single-channel and MPEG-2 frames among stereo MPEG-1
  };
  for (int i = 0; i < 56; ++i) {
    cases[10].Frame({Mpeg1, 1 + i % 14, 0, i % 3 == 0, i % 3});
    const bool foreign = i % 7 == 3 || i % 5 == 4;
    if (foreign) cases[11].Raw(MakeFrame(i % 7 == 3 ? mono : mpeg2));
    if (!foreign) cases[11].Frame({.channelMode = i % 2 ? kDualChannel : kStereo});
  }
  for (const auto& stream : cases) {
    SCOPED_TRACE(::testing::Message() << stream.Bytes().size() << " bytes");
    MemorySource source(stream.Bytes());
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    auto reference = stream.Placed().begin();
    while (reference->offset < stream.Bytes().size() / 10) ++reference;
    EXPECT_EQ(reader.GetReference().Word(), reference->headerWord);
    EXPECT_EQ(ReadAll(reader, stream.Bytes()), Placed(stream));
  }
}

// Fails its Nth read (from 1) and all later ones: nothing read, or with `shortRead` half at first.
struct FailingSource final : ByteSource {
  FailingSource(const Bytes& b, int n, bool s) : bytes(b), failAt(n), shortRead(s) {}
  std::uint64_t Size() const override { return bytes.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override {
    if (offset >= bytes.size() || ++reads > failAt) return 0;
    auto n = std::min<std::size_t>(dst.size(), bytes.size() - offset);
    if (reads == failAt) n = shortRead ? n / 2 : 0;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, dst.begin());
    return n;
  }
  const Bytes& bytes;
  const int failAt;
  const bool shortRead;
  int reads = 0;
};

// A failed or short read ends the stream; every frame before it is exact.
TEST(FrameReaderTest, FailedReadEndsTheStreamAfterExactFrames) {
  Mp3Builder stream;
  stream.Frames({}, 2400);  // about 1 MB: several fills of the read buffer
  const auto all = Placed(stream);
  FailingSource counting(stream.Bytes(), 1 << 30, false);
  CFrameReader reader;
  ASSERT_TRUE(reader.Open(counting));
  ASSERT_EQ(ReadAll(reader, stream.Bytes()), all);
  ASSERT_TRUE(counting.reads >= 4 && counting.reads <= 8) << counting.reads;  // one per buffer
  for (int failAt = 2; failAt <= 2 * counting.reads + 1; ++failAt) {          // empty, short
    FailingSource source(stream.Bytes(), failAt / 2, failAt % 2 == 1);
    ASSERT_TRUE(reader.Open(source));
    const auto frames = ReadAll(reader, stream.Bytes());
    ASSERT_LT(frames.size(), all.size()) << "read " << failAt;
    EXPECT_TRUE(std::equal(frames.begin(), frames.end(), all.begin())) << "read " << failAt;
    EXPECT_FALSE(reader.ReadFrame());
  }
  EXPECT_EQ(reader.EstimatePlayTime(5'000'000'000), 5'000'000'000 / 417 * 26);  // past 32 bits
}

XingFields Fields(std::uint32_t flags, const char* tag = "Xing") {
  return {tag, flags, 0x01020304, 0xA0B0C0D0, LinearToc(), -3};
}

// "Info" reads like "Xing", after the side information of the version and channel mode; another
// tag or the tag a byte late is none. Each field is there only when its flag is set, and read only
// when all of it is inside the buffer. (A frame too short for its fields: see PlayTime.)
TEST(ParseXingHeaderTest, ReadsTheFieldsTheFlagsPromise) {
  const std::tuple<FrameSpec, std::uint32_t, std::uint32_t> cases[] = {
      {{Mpeg1, 9, 1, false, kDualChannel}, 36, 48000},
      {{Mpeg2, 9, 0, false, kStereo}, 21, 22050},
      {{Mpeg2, 14, 2, false, kSingleChannel}, 13, 16000}};
  for (const auto& [shape, tagOffset, sampleRate] : cases) {
    for (std::uint32_t flags = 0; flags < 32; ++flags) {
      SCOPED_TRACE(::testing::Message() << "tag at " << tagOffset << ", flags " << flags);
      const auto frame = MakeXingFrame(shape, Fields(flags & 0xF, flags & 0x10 ? "Info" : "Xing"));
      const auto end = tagOffset + 8 + 4 * std::popcount(flags & 0xB) + (flags & 4 ? 100 : 0);
      std::array<std::uint8_t, 100> toc;
      toc.fill(0xEE);
      const auto untouched = toc;
      XingInfo info, noToc;
      info.toc = toc.data();
      EXPECT_FALSE(ParseXingHeader(std::span(frame).first(end - 1), noToc));
      ASSERT_TRUE(ParseXingHeader(std::span(frame).first(end), info));
      EXPECT_EQ(info.tagOffset, tagOffset);
      EXPECT_EQ(info.version, shape.version == Mpeg1 ? 1 : 0);
      EXPECT_EQ(info.sampleRate, sampleRate);
      EXPECT_EQ(info.flags, flags & 0xF);
      EXPECT_EQ(info.frames, (flags & 1) ? 0x01020304u : 0u);
      EXPECT_EQ(info.bytes, (flags & 2) ? 0xA0B0C0D0u : 0u);
      EXPECT_EQ(toc, (flags & 4) ? LinearToc() : untouched);
      EXPECT_EQ(info.scale, (flags & 8) ? -3 : -1);
      ASSERT_TRUE(ParseXingHeader(frame, noToc));  // without a buffer the table is skipped too
      EXPECT_EQ(noToc.scale, info.scale);
      auto late = frame;
      std::rotate(late.begin() + 4, late.end() - 1, late.end());
      EXPECT_FALSE(ParseXingHeader(late, noToc));
      EXPECT_FALSE(ParseXingHeader(MakeXingFrame(shape, Fields(flags & 0xF, "XING")), noToc));
    }
  }
}

TEST(XingSeekPointTest, InterpolatesTheTableOfContents) {
  const auto linear = LinearToc();  // entry i = i * 256 / 100
  auto dip = linear;
  dip[20] = 100;
  dip[21] = 50;
  const std::tuple<const decltype(linear)&, std::uint32_t, float, std::uint32_t> cases[] = {
      {linear, 1'000'000, 0.0f, 0},
      {linear, ~0u, 100.0f, ~0u},
      {linear, 1'000'000, 150.0f, 1'000'000},
      {linear, 1'000'000, std::numeric_limits<float>::quiet_NaN(), 0},
      {linear, 256'000, 50.5f, 129'000},  // halfway between entries
      {linear, 1000, 10.0f, 97},          // 25 * 1000 / 256 = 97.66
      {linear, 256'000, 99.5f, 254'500},  // beyond the last entry, toward 256
      {dip, 2560, 20.5f, 750}};           // a falling table: (100 - 50 * 0.5) * 10
  for (const auto& [toc, bytes, percent, offset] : cases) {
    EXPECT_EQ(XingSeekPoint(toc.data(), bytes, percent), offset) << percent << " % of " << bytes;
  }
}

// A piece's info frame: the source's header, side information and tag; its scale flag and both
// counts (no table); the counts, its scale (written even when not flagged), zeros. Frames too
// short for that (the lowest MPEG-2 bitrates) take the smallest bitrate whose frame holds it.
TEST(BuildInfoFrameTest, ParsesBackToWhatWasBuilt) {
  const std::tuple<FrameSpec, std::uint32_t, int> cases[] = {
      {{}, 0xF, 9},
      {{.padding = true}, 0x7, 9},
      {{Mpeg1, 5, 1, false, kSingleChannel}, 0xF, 5},
      {{Mpeg2, 8, 0, false, kJointStereo}, 0x5, 8},
      {{Mpeg2, 1, 1, false, kSingleChannel}, 0xF, 2},  // 24 bytes < 13 + 20
      {{Mpeg2, 1, 2, false, kJointStereo}, 0xC, 2},    // 36 bytes < 21 + 20
      {{Mpeg2, 2, 1, false, kJointStereo}, 0xF, 2}};   // 48 bytes: enough
  for (const auto& [shape, flags, bitrateIndex] : cases) {
    SCOPED_TRACE(::testing::Message() << FrameLength(shape) << " bytes, flags " << flags);
    const char* tag = flags & 1 ? "Info" : "Xing";
    XingInfo source, info;
    source.flags = flags;
    source.scale = flags & 8 ? -3 : -1;
    source.tagOffset = static_cast<std::uint32_t>(XingTagOffset(shape));
    auto raised = shape;
    raised.bitrateIndex = bitrateIndex;
    auto expected =
        MakeXingFrame(raised, {tag, 0xB, 777, 123'456 + FrameLength(raised), {}, source.scale});
    expected[source.tagOffset + 7] = (flags & 8) | 3;  // the low byte of the flags
    const auto built =
        BuildInfoFrame(MakeXingFrame(shape, Fields(flags, tag)), source, 777, 123'456);
    EXPECT_TRUE(SameBytes(built, expected));
    ASSERT_TRUE(ParseXingHeader(built, info));
    EXPECT_EQ(info.frames, 777u);
    EXPECT_EQ(info.bytes, 123'456u + expected.size());
  }
}

}  // namespace
}  // namespace tandrel
