#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <set>

#include "fixtures/byte_compare.h"
#include "fixtures/mpeg_builder.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/xing_header.h"

namespace tandrel {
namespace {

using namespace fixtures;
using enum MpegVersion;
using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<std::pair<std::uint64_t, std::uint32_t>>;  // offset, length

// Every bitrate and rate of the three versions, padded or not, against the builder's tables.
// Refused: bitrate index 0 (free format) and 15, rate index 3, Layer I, II and 00, the reserved
// version 01, no sync.
TEST(MpegHeaderTest, FrameLengths) {
  const std::uint32_t ms[3][3] = {{26, 24, 36}, {26, 24, 36}, {52, 48, 72}};
  for (int i = 0; i < 3 * 3 * 14 * 2; ++i) {
    const FrameSpec shape{MpegVersion(i / 84), 1 + i / 6 % 14, i / 2 % 3, i % 2 == 1};
    const MpegHeader header(HeaderWord(shape));
    EXPECT_TRUE(header.IsAcceptable()) << std::hex << header.Word();
    EXPECT_EQ(header.FrameLength(), FrameLength(shape)) << std::hex << header.Word();
    EXPECT_EQ(header.MsPerFrame(), ms[i / 84][shape.sampleRateIndex]);
    EXPECT_EQ(header.SamplesPerFrame(), SamplesPerFrame(shape));
  }
  const std::uint32_t good = HeaderWord({});
  for (const auto word :
       {good & ~0xF000u, good | 0xF000u, good | 0xC00u, good | 0x60000u, good ^ 0x60000u,
        good & ~0x60000u, (good & ~0x180000u) | 0x80000u, good & ~0x800000u}) {
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

// A stream as the builder laid it out: the frames the reader must not return (those that do not
// chain: the next bytes are no header of the stream) and the bytes of trailing tags.
struct Layout {
  Mp3Builder stream;
  std::vector<std::size_t> lost = {};
  std::size_t trailing = 0;
};

// The frames of `layout` the reader should return, in file order: placed, after the info frame,
// not lost.
Frames Expected(const Layout& layout, std::uint64_t from) {
  Frames frames;
  const auto& placed = layout.stream.Placed();
  for (std::size_t i = 0; i < placed.size(); ++i) {
    if (placed[i].offset < from) continue;
    if (std::find(layout.lost.begin(), layout.lost.end(), i) != layout.lost.end()) continue;
    frames.emplace_back(placed[i].offset, placed[i].length);
  }
  return frames;
}

// Every frame body, tag and junk byte is random, so false headers are everywhere. The reference
// is the first frame that chains from a tenth of the audio on (after the leading tags and the
// info frame), whatever the size of a cover picture in front. A frame is read only when the next
// header of its stream follows it or the audio ends with it; frames of another version, rate or
// channel count are passed over (added raw, they are not placed), as is all that is no frame, one
// byte at a time. Trailing tags are never audio.
TEST(FrameReaderTest, ReadsTheFramesOfTheReferencesStream) {
  const FrameSpec cbr, monoCrc{Mpeg1, 5, 2, false, kSingleChannel, true};
  const FrameSpec mpeg2{Mpeg2, 8, 0}, mono{.channelMode = kSingleChannel};
  const FrameSpec s32{Mpeg1, 9, 2}, mono32{Mpeg1, 9, 2, false, kSingleChannel};  // 576 bytes
  const FrameSpec voice{Mpeg25, 8, 2, false, kSingleChannel}, low{Mpeg25, 2, 1};
  Mp3Builder tagged;  // tags, junk, and a last frame cut short
  tagged.Id3v2(2000).Id3v2(300, true).Frames(cbr, 10).Junk(77).Frames(cbr, 10).Junk(3).Frame(cbr);
  tagged.Raw(std::span<const std::uint8_t>(MakeFrame(cbr)).first(416));
  const Layout cases[] = {
      {Mp3Builder().Frames(monoCrc, 12)},
      {tagged, {9, 19}},
      {Mp3Builder().Raw(Mp3Builder().Frames({.sampleRateIndex = 1}, 5).Bytes()).Frames(cbr, 100)},
      {Mp3Builder().Xing(FrameSpec{.bitrateIndex = 5}, {}).Frames(cbr, 50)},
      {Mp3Builder().Frames(s32, 20).Raw(Bytes{0xFF}).Frames(s32, 2), {19}},  // FF|FF FB 98
      {Mp3Builder().Frames(mono32, 9).Raw(Bytes{0xFF, 0xFB, 0xF8, 0xC0}).Frames(mono32, 2), {8}},
      {Mp3Builder().Frames(cbr, 9).Raw(MakeFrame(mono)).Frames({.channelMode = kDualChannel}, 9),
       {8}},
      {Mp3Builder().Frames({.channelMode = kStereo}, 9).Raw(MakeFrame(mpeg2)).Frames(cbr, 9), {8}},
      {Mp3Builder().Frames(voice, 30)},
      {Mp3Builder().Xing(low, {.tag = "Info"}).Frames(low, 40).Id3v1(), {}, 128},
      {Mp3Builder().Id3v2(300'000).Frames(cbr, 100)},  // a picture bigger than the audio
      {Mp3Builder().Id3v2(1'000'000).Frames(mpeg2, 4)},
      {Mp3Builder().Frames(cbr, 40).Ape(500).Lyrics3(300).Id3v1(), {}, 32 + 500 + 32 + 326 + 128},
      {Mp3Builder().Frames(cbr, 40).Ape(200, false).Id3v2(5000, true), {}, 232 + 5020},
      {Mp3Builder().Frames(s32, 40).Lyrics3(90, false).Id3v1(true), {}, 110 + 227 + 128},
      {Mp3Builder().Frames(cbr, 20).Junk(50).FalseHeader(cbr).Junk(600).Frames(cbr, 20), {19}},
      {Mp3Builder().Frames(cbr, 3).FalseHeader(cbr).Junk(40)},  // the header chains the frame
  };
  for (const auto& layout : cases) {
    const auto& bytes = layout.stream.Bytes();
    SCOPED_TRACE(bytes.size());
    MemorySource source(bytes);
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    const auto located = LocateMp3Stream(reader);
    ASSERT_TRUE(located.hasAudio);
    EXPECT_FALSE(located.failed);
    EXPECT_EQ(located.audioEnd, bytes.size() - layout.trailing);
    const auto expected = Expected(layout, located.audioFrames);
    auto reference = expected.begin();
    const auto tenth = located.audioFrames + (located.audioEnd - located.audioFrames) / 10;
    while (reference->first < tenth) ++reference;
    EXPECT_EQ(located.reference.Word(),
              MpegHeader::FromBytes(std::span(bytes).subspan(reference->first)).Word());
    EXPECT_EQ(ReadAll(reader, bytes), expected);
  }
}

// No three frames of one stream in a row: no audio, whatever the bytes.
TEST(FrameReaderTest, NoChainedFramesNoAudio) {
  const FrameSpec cbr;
  const Mp3Builder cases[] = {
      Mp3Builder().Junk(100'000),
      Mp3Builder().Id3v2(50'000).Id3v1(),
      Mp3Builder().Frame(cbr).Junk(1000).Frame(cbr).Junk(1000),
      Mp3Builder().Junk(10).FalseHeader(cbr).Junk(413).FalseHeader(cbr).Junk(600),
      Mp3Builder().Xing(cbr, {}).Id3v1(),  // an info frame and nothing it describes
  };
  for (const auto& stream : cases) {
    MemorySource source(stream.Bytes());
    CFrameReader reader;
    ASSERT_TRUE(reader.Open(source));
    const auto located = LocateMp3Stream(reader);
    EXPECT_FALSE(located.hasAudio) << stream.Bytes().size();
    EXPECT_FALSE(reader.ReadFrame()) << stream.Bytes().size();
  }
}

// Fails its Nth read (from 1), which reads half, and all later ones.
struct FailingSource final : ByteSource {
  FailingSource(const Bytes& b, int n) : bytes(b), failAt(n) {}
  std::uint64_t Size() const override { return bytes.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override {
    if (offset >= bytes.size() || ++reads > failAt) return 0;
    auto n = std::min<std::size_t>(dst.size(), bytes.size() - offset);
    if (reads == failAt) n /= 2;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, dst.begin());
    return n;
  }
  const Bytes& bytes;
  const int failAt;
  int reads = 0;
};

// A failed or short read ends the stream; every frame before it is exact.
TEST(FrameReaderTest, FailedReadEndsTheStreamAfterExactFrames) {
  Mp3Builder stream;
  stream.Frames({}, 2400);  // about 1 MB: several fills of the read buffer
  const auto all = Placed(stream);
  FailingSource counting(stream.Bytes(), 1 << 30);
  CFrameReader reader;
  ASSERT_TRUE(reader.Open(counting));
  ASSERT_TRUE(LocateMp3Stream(reader).hasAudio);
  ASSERT_EQ(ReadAll(reader, stream.Bytes()), all);
  ASSERT_TRUE(counting.reads >= 4 && counting.reads <= 8) << counting.reads;  // one per buffer
  for (int failAt = 1; failAt <= counting.reads; ++failAt) {
    FailingSource source(stream.Bytes(), failAt);
    ASSERT_TRUE(reader.Open(source));
    const auto located = LocateMp3Stream(reader);
    const auto frames = ReadAll(reader, stream.Bytes());
    EXPECT_TRUE(located.failed || reader.Failed()) << "read " << failAt;
    ASSERT_LT(frames.size(), all.size()) << "read " << failAt;
    EXPECT_TRUE(std::equal(frames.begin(), frames.end(), all.begin())) << "read " << failAt;
  }
  EXPECT_EQ(reader.EstimatePlayTime(5'000'000'000), 5'000'000'000 / 417 * 26);  // past 32 bits
}

// A stream long enough to be counted in two halves gives the count of one pass over it: in step
// or not at the middle (a frame there holds a false header that chains into the next frame, so
// the second half starts out of step), with junk or an info frame of files joined by copying
// there, with nothing in the second half, and with a bitrate that changes only at the middle.
TEST(CountStreamFramesTest, CountsAsOnePassDoes) {
  const FrameSpec cbr, faster{.bitrateIndex = 11}, tiny{.bitrateIndex = 1};  // 417, 522, 104
  constexpr int kHalf = 10'500;                                              // 2 x 4.4 MB of frames
  struct Case {
    const char* name;
    Mp3Builder stream;
    bool falseHeaderAtMiddle = false;
    std::uint64_t notAudio = 0;  // placed frames the reader does not return
  };
  const Case cases[] = {
      {"even", Mp3Builder().Id3v2(30'000).Frames(cbr, 2 * kHalf).Id3v1()},
      {"out of step", Mp3Builder().Frames(cbr, 2 * kHalf), true},  // 104 + 417 + 417
      {"junk", Mp3Builder().Frames(cbr, kHalf).Junk(300'000).Frames(cbr, kHalf), false, 1},
      {"joined", Mp3Builder().Xing(cbr, {}).Frames(cbr, kHalf).Xing(cbr, {}).Frames(cbr, kHalf),
       false, 2},
      {"empty half", Mp3Builder().Frames(cbr, kHalf).Junk(5'000'000)},
      {"bitrate", Mp3Builder().Frames(cbr, kHalf).Frames(faster, kHalf)},
      {"short", Mp3Builder().Frames(faster, 300)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = c.stream.Bytes();
    CFrameReader reader;
    while (c.falseHeaderAtMiddle) {
      // A false header 104 bytes before the first frame after the middle, with nothing between:
      // zeros at the end move the middle until there is room for it.
      MemorySource source(bytes);
      ASSERT_TRUE(reader.Open(source));
      const auto layout = LocateMp3Stream(reader);
      const auto middle = layout.audioFrames + (layout.audioEnd - layout.audioFrames) / 2;
      const auto& placed = c.stream.Placed();
      const auto next = std::find_if(placed.begin(), placed.end(),
                                     [&](const auto& p) { return p.offset >= middle; });
      ASSERT_NE(next, placed.end());
      if (next->offset < middle + 110) {
        bytes.resize(bytes.size() + 50);
        continue;
      }
      const auto header = MakeFrame(tiny);
      std::copy_n(header.begin(), 4,
                  bytes.begin() + static_cast<std::ptrdiff_t>(next->offset - 104));
      break;
    }
    MemorySource source(bytes);
    ASSERT_TRUE(reader.Open(source));
    const auto layout = LocateMp3Stream(reader);
    ASSERT_TRUE(layout.hasAudio);
    // One pass, frame by frame, as the reader reads.
    StreamCount one;
    std::set<std::uint32_t> bitrates;
    while (reader.SkipFrame()) {
      if (one.frames++ == 0) one.firstBitrate = reader.GetHeader().Bitrate();
      bitrates.insert(reader.GetHeader().Bitrate());
    }
    const auto count = CountStreamFrames(source, layout);
    EXPECT_FALSE(count.failed);
    // The last frame counts whatever follows it: zeros, junk, a tag.
    EXPECT_EQ(one.frames, c.stream.Placed().size() - c.notAudio);
    EXPECT_EQ(count.frames, one.frames);
    EXPECT_EQ(count.firstBitrate, one.firstBitrate);
    EXPECT_EQ(count.variableBitrate, bitrates.size() > 1);
  }
}

XingFields Fields(std::uint32_t flags, const char* tag = "Xing") {
  return {tag, flags, 0x01020304, 0xA0B0C0D0, LinearToc(), -3};
}

// "Info" reads like "Xing", after the side information of the version and channel mode; another
// tag is none. Each field is there only when its flag is set, and read only
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
      std::array<std::uint8_t, 100> toc{};
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
      EXPECT_EQ(toc, (flags & 4) ? LinearToc() : decltype(toc){});
      EXPECT_EQ(info.scale, (flags & 8) ? -3 : -1);
      EXPECT_FALSE(ParseXingHeader(MakeXingFrame(shape, Fields(flags & 0xF, "XING")), noToc));
    }
  }
}

// A piece's info frame: the source's header, side information and tag; its scale flag and both
// counts (no table); the counts, its scale (written even when not flagged), zeros. Frames too
// short for that (the lowest MPEG-2 bitrates) take the smallest bitrate whose frame holds it.
// The Xing rule interpolates between table entries; 100 % reaches the whole byte count.
TEST(XingSeekPointTest, InterpolatesAndClamps) {
  std::uint8_t toc[100];
  for (int i = 0; i < 100; ++i) toc[i] = static_cast<std::uint8_t>(2 * i);
  const std::pair<float, std::uint32_t> cases[] = {
      {-5.0f, 0},         {0.0f, 0},       {10.5f, 21 * 25600 / 256},
      {99.0f, 198 * 100}, {100.0f, 25600}, {250.0f, 25600},
  };
  for (const auto& [percent, offset] : cases)
    EXPECT_EQ(XingSeekPoint(toc, 25600, percent), offset) << percent;
}

TEST(BuildInfoFrameTest, WritesTheCountsIntoTheSourcesFrame) {
  const std::tuple<FrameSpec, std::uint32_t, int, std::uint64_t> cases[] = {
      {{}, 0xF, 9, 123'456},
      {{Mpeg1, 5, 1, false, kSingleChannel}, 0x6, 5, 123'456},
      {{Mpeg2, 1, 1, false, kSingleChannel}, 0xF, 2, 123'456},  // 24 bytes < 13 + 20
      {{Mpeg2, 2, 1, false, kJointStereo}, 0xF, 2, 123'456},    // 48 bytes: enough
      {{Mpeg25, 8, 2, false, kSingleChannel}, 0xF, 8, 123'456},
      // A byte count past 32 bits is left out rather than wrapped.
      {{}, 0xF, 9, 5'000'000'000},
      {{}, 0x8, 9, (1ull << 32) - 417},
  };
  for (const auto& [shape, flags, bitrateIndex, bytes] : cases) {
    SCOPED_TRACE(::testing::Message() << FrameLength(shape) << " bytes, flags " << flags);
    const char* tag = flags & 1 ? "Info" : "Xing";
    XingInfo source;
    source.flags = flags;
    source.scale = flags & 8 ? -3 : -1;
    source.tagOffset = static_cast<std::uint32_t>(XingTagOffset(shape));
    auto raised = shape;
    raised.bitrateIndex = bitrateIndex;
    const auto total = bytes + FrameLength(raised);
    const bool counted = total <= UINT32_MAX;
    auto expected = MakeXingFrame(
        raised,
        {tag, counted ? 0xBu : 0x9u, 777, static_cast<std::uint32_t>(total), {}, source.scale});
    expected[source.tagOffset + 7] = (flags & 8) | (counted ? 3 : 1);  // the low byte of the flags
    const auto built = BuildInfoFrame(MakeXingFrame(shape, Fields(flags, tag)), source, 777, bytes);
    EXPECT_TRUE(SameBytes(built, expected));
  }
}

}  // namespace
}  // namespace tandrel
