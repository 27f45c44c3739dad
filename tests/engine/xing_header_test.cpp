#include "tandrel/xing_header.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/mpeg_builder.h"
#include "tandrel/mpeg_header.h"

namespace tandrel {
namespace {

using fixtures::FrameSpec;
using fixtures::MpegVersion;
using fixtures::XingFields;

FrameSpec Spec(MpegVersion version, int channelMode, int sampleRateIndex = 0,
               int bitrateIndex = 9) {
  FrameSpec spec;
  spec.version = version;
  spec.channelMode = channelMode;
  spec.sampleRateIndex = sampleRateIndex;
  spec.bitrateIndex = bitrateIndex;
  return spec;
}

XingFields AllFields(const char* tag = "Xing") {
  XingFields fields;
  fields.tag = tag;
  fields.flags = 0xF;
  fields.frames = 0x01020304;
  fields.bytes = 0xA0B0C0D0;
  fields.toc = fixtures::LinearToc();
  fields.scale = 78;
  return fields;
}

TEST(ParseXingHeaderTest, FindsTheTagAfterTheSideInformation) {
  struct Case {
    FrameSpec spec;
    std::uint32_t tagOffset;
    int version;
    std::uint32_t sampleRate;
  };
  const Case cases[] = {
      {Spec(MpegVersion::Mpeg1, fixtures::kJointStereo, 0), 36, 1, 44100},
      {Spec(MpegVersion::Mpeg1, fixtures::kStereo, 1), 36, 1, 48000},
      {Spec(MpegVersion::Mpeg1, fixtures::kSingleChannel, 2), 21, 1, 32000},
      {Spec(MpegVersion::Mpeg2, fixtures::kJointStereo, 0), 21, 0, 22050},
      {Spec(MpegVersion::Mpeg2, fixtures::kDualChannel, 1), 21, 0, 24000},
      {Spec(MpegVersion::Mpeg2, fixtures::kSingleChannel, 2, 14), 13, 0, 16000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "tag at " << c.tagOffset << ", " << c.sampleRate << " Hz");
    for (const char* tag : {"Xing", "Info"}) {
      const auto frame = fixtures::MakeXingFrame(c.spec, AllFields(tag));
      std::array<std::uint8_t, 100> toc{};
      XingInfo info;
      info.toc = toc.data();
      ASSERT_TRUE(ParseXingHeader(frame, info)) << tag;
      EXPECT_EQ(info.tagOffset, c.tagOffset);
      EXPECT_EQ(info.version, c.version);
      EXPECT_EQ(info.sampleRate, c.sampleRate);
      EXPECT_EQ(info.flags, 0xFu);
      EXPECT_EQ(info.frames, 0x01020304u);
      EXPECT_EQ(info.bytes, 0xA0B0C0D0u);
      EXPECT_EQ(toc, fixtures::LinearToc());
      EXPECT_EQ(info.scale, 78);
      EXPECT_TRUE(info.HasFrames() && info.HasBytes() && info.HasToc());
    }
  }
}

TEST(ParseXingHeaderTest, OtherTagsAndOtherOffsetsAreNoInfoHeader) {
  const auto stereo = Spec(MpegVersion::Mpeg1, fixtures::kJointStereo);
  auto tagAt = [&](std::size_t offset, const char* tag) {
    auto frame = fixtures::MakeFrame(stereo);
    std::fill(frame.begin() + 4, frame.begin() + 60, 0);
    std::copy(tag, tag + 4, frame.begin() + static_cast<std::ptrdiff_t>(offset));
    return frame;
  };
  struct Case {
    const char* name;
    std::vector<std::uint8_t> frame;
  };
  const Case cases[] = {
      {"upper-case XING", fixtures::MakeXingFrame(stereo, AllFields("XING"))},
      {"another encoder's tag", fixtures::MakeXingFrame(stereo, AllFields("VBRI"))},
      {"Xing at the single-channel offset of a stereo frame", tagAt(21, "Xing")},
      {"Info at the MPEG-2 single-channel offset", tagAt(13, "Info")},
      {"Xing one byte late", tagAt(37, "Xing")},
      {"an ordinary frame", fixtures::MakeFrame(stereo)},
      {"three bytes", {0xFF, 0xFB, 0x90}},
      {"nothing", {}},
  };
  for (const auto& c : cases) {
    XingInfo info;
    EXPECT_FALSE(ParseXingHeader(c.frame, info)) << c.name;
  }
}

// Each field is there only when its flag is set, and the later ones move up when it is not.
TEST(ParseXingHeaderTest, EveryCombinationOfFlags) {
  const auto spec = Spec(MpegVersion::Mpeg1, fixtures::kJointStereo);
  for (std::uint32_t flags = 0; flags < 16; ++flags) {
    SCOPED_TRACE(::testing::Message() << "flags " << flags);
    auto fields = AllFields();
    fields.flags = flags;
    fields.scale = -3;
    const auto frame = fixtures::MakeXingFrame(spec, fields);
    std::array<std::uint8_t, 100> toc;
    toc.fill(0xEE);
    XingInfo info;
    info.toc = toc.data();
    ASSERT_TRUE(ParseXingHeader(frame, info));
    EXPECT_EQ(info.flags, flags);
    EXPECT_EQ(info.frames, (flags & 1) ? fields.frames : 0u);
    EXPECT_EQ(info.bytes, (flags & 2) ? fields.bytes : 0u);
    EXPECT_EQ(info.scale, (flags & 8) ? -3 : -1);
    EXPECT_EQ(toc[0], (flags & 4) ? 0 : 0xEE);
    EXPECT_EQ(toc[99], (flags & 4) ? 253 : 0xEE);

    // Without a buffer for the table the fields after it are still found.
    XingInfo noToc;
    ASSERT_TRUE(ParseXingHeader(frame, noToc));
    EXPECT_EQ(noToc.scale, info.scale);
  }
}

// A field whose flag is set but whose bytes lie past the buffer makes the whole header unusable.
TEST(ParseXingHeaderTest, FieldsCutOffByTheBufferMeanNoHeader) {
  const auto spec = Spec(MpegVersion::Mpeg1, fixtures::kJointStereo);
  struct Case {
    std::uint32_t flags;
    std::size_t needed;  // bytes from the frame's start
  };
  const Case cases[] = {{0x0, 44},  {0x1, 48},  {0x3, 52}, {0x2, 48},
                        {0x4, 144}, {0x7, 152}, {0x8, 48}, {0xF, 156}};
  for (const auto& c : cases) {
    auto fields = AllFields();
    fields.flags = c.flags;
    const auto frame = fixtures::MakeXingFrame(spec, fields);
    XingInfo info;
    EXPECT_TRUE(ParseXingHeader(std::span(frame).first(c.needed), info)) << "flags " << c.flags;
    EXPECT_FALSE(ParseXingHeader(std::span(frame).first(c.needed - 1), info))
        << "flags " << c.flags;
  }

  // A frame of the lowest MPEG-2 bitrate is too short for the fields its flags promise.
  const auto tiny = fixtures::MakeXingFrame(
      Spec(MpegVersion::Mpeg2, fixtures::kSingleChannel, 1, 1), AllFields());
  ASSERT_EQ(tiny.size(), 24u);
  XingInfo info;
  EXPECT_FALSE(ParseXingHeader(tiny, info));
}

TEST(XingSeekPointTest, InterpolatesTheTableOfContents) {
  const auto linear = fixtures::LinearToc();  // entry i = i * 256 / 100
  auto dip = linear;
  dip[20] = 100;
  dip[21] = 50;
  struct Case {
    const char* name;
    const std::array<std::uint8_t, 100>& toc;
    std::uint32_t bytes;
    float percent;
    std::uint32_t offset;
  };
  const Case cases[] = {
      {"0 %", linear, 1'000'000, 0.0f, 0},
      {"100 % is the whole stream", linear, 1'000'000, 100.0f, 1'000'000},
      {"100 % of the largest count", linear, 0xFFFFFFFFu, 100.0f, 0xFFFFFFFFu},
      {"below 0 clamps", linear, 1'000'000, -5.0f, 0},
      {"above 100 clamps", linear, 1'000'000, 150.0f, 1'000'000},
      {"not a number", linear, 1'000'000, std::numeric_limits<float>::quiet_NaN(), 0},
      {"halfway between entries", linear, 256'000, 50.5f, 129'000},
      {"truncated toward zero", linear, 1000, 10.0f, 97},  // 25 * 1000 / 256 = 97.66
      {"beyond the last entry", linear, 256'000, 99.5f, 254'500},
      {"a falling table", dip, 2560, 20.5f, 750},  // (100 - 50 * 0.5) * 10
  };
  for (const auto& c : cases) {
    EXPECT_EQ(XingSeekPoint(c.toc.data(), c.bytes, c.percent), c.offset) << c.name;
  }
}

// What is built parses back to the fields it was built from, and keeps the source's header, side
// information and tag.
TEST(BuildInfoFrameTest, ParsesBackToWhatWasBuilt) {
  FrameSpec padded = Spec(MpegVersion::Mpeg1, fixtures::kJointStereo);
  padded.padding = true;
  struct Case {
    const char* name;
    FrameSpec spec;
    const char* tag;
    std::uint32_t flags;
    std::uint32_t length;
  };
  const Case cases[] = {
      {"MPEG-1 stereo Xing", Spec(MpegVersion::Mpeg1, fixtures::kJointStereo), "Xing", 0xF, 417},
      {"padded", padded, "Xing", 0x7, 418},
      {"MPEG-1 single channel Info", Spec(MpegVersion::Mpeg1, fixtures::kSingleChannel, 1, 5),
       "Info", 0xF, 192},
      {"MPEG-2 stereo, no scale", Spec(MpegVersion::Mpeg2, fixtures::kJointStereo, 0, 8), "Xing",
       0x5, 208},
      {"MPEG-2 single channel", Spec(MpegVersion::Mpeg2, fixtures::kSingleChannel, 2, 6), "Info",
       0xC, 216},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto fields = AllFields(c.tag);
    fields.flags = c.flags;
    fields.scale = 0x1234;
    const auto source = fixtures::MakeXingFrame(c.spec, fields);
    XingInfo sourceInfo;
    ASSERT_TRUE(ParseXingHeader(source, sourceInfo));

    const auto built = BuildInfoFrame(source, sourceInfo, 777, 123'456);
    ASSERT_EQ(built.size(), c.length);
    XingInfo info;
    ASSERT_TRUE(ParseXingHeader(built, info));
    EXPECT_EQ(info.tagOffset, sourceInfo.tagOffset);
    EXPECT_EQ(info.flags, (c.flags & 0x8) | 0x3);
    EXPECT_EQ(info.frames, 777u);
    EXPECT_EQ(info.bytes, 123'456u + c.length);
    EXPECT_EQ(info.scale, (c.flags & 0x8) ? 0x1234 : -1);
    const std::size_t fieldsEnd = sourceInfo.tagOffset + 20;
    EXPECT_TRUE(fixtures::SameBytes(std::span(built).first(sourceInfo.tagOffset + 4),
                                    std::span(source).first(sourceInfo.tagOffset + 4)));
    // All four slots are written; the scale slot holds -1 when the source had no scale.
    const std::uint32_t scaleSlot =
        (std::uint32_t{built[fieldsEnd - 4]} << 24) | (std::uint32_t{built[fieldsEnd - 3]} << 16) |
        (std::uint32_t{built[fieldsEnd - 2]} << 8) | built[fieldsEnd - 1];
    EXPECT_EQ(scaleSlot, (c.flags & 0x8) ? 0x1234u : 0xFFFFFFFFu);
    const std::vector<std::uint8_t> zeros(built.size() - fieldsEnd, 0);
    EXPECT_TRUE(fixtures::SameBytes(std::span(built).subspan(fieldsEnd), zeros));
  }
}

// The lowest MPEG-2 bitrates make frames too short for the fields; the built frame takes the
// smallest bitrate whose frame holds them, so that it stays a valid frame of its own length.
TEST(BuildInfoFrameTest, RaisesTheBitrateOfFramesTooShortForTheFields) {
  struct Case {
    FrameSpec spec;
    std::uint32_t bitrateIndex;
    std::uint32_t length;
  };
  const Case cases[] = {
      {Spec(MpegVersion::Mpeg2, fixtures::kSingleChannel, 1, 1), 2, 48},  // 24 bytes < 13 + 20
      {Spec(MpegVersion::Mpeg2, fixtures::kSingleChannel, 0, 1), 2, 52},  // 26 bytes
      {Spec(MpegVersion::Mpeg2, fixtures::kJointStereo, 2, 1), 2, 72},    // 36 bytes < 21 + 20
      {Spec(MpegVersion::Mpeg2, fixtures::kJointStereo, 1, 2), 2, 48},    // 48 bytes: enough
      {Spec(MpegVersion::Mpeg2, fixtures::kSingleChannel, 0, 2), 2, 52},
      {Spec(MpegVersion::Mpeg1, fixtures::kJointStereo, 1, 1), 1, 96},  // MPEG-1 always fits
  };
  for (const auto& c : cases) {
    const auto source = fixtures::MakeXingFrame(c.spec, AllFields());
    XingInfo sourceInfo;
    sourceInfo.flags = 0xF;
    sourceInfo.scale = 9;
    sourceInfo.tagOffset = static_cast<std::uint32_t>(fixtures::XingTagOffset(c.spec));
    const auto built = BuildInfoFrame(source, sourceInfo, 5, 1000);
    const auto header = MpegHeader::FromBytes(built);
    SCOPED_TRACE(::testing::Message() << "from " << source.size() << " bytes");
    EXPECT_EQ(header.BitrateIndex(), c.bitrateIndex);
    EXPECT_EQ(header.Word() & ~MpegHeader::kBitrateIndex.mask,
              fixtures::HeaderWord(c.spec) & ~MpegHeader::kBitrateIndex.mask);
    EXPECT_EQ(built.size(), c.length);
    EXPECT_EQ(header.FrameLength(), c.length);
    XingInfo info;
    ASSERT_TRUE(ParseXingHeader(built, info));
    EXPECT_EQ(info.frames, 5u);
    EXPECT_EQ(info.bytes, 1000u + c.length);
    EXPECT_EQ(info.scale, 9);
  }
}

// A decoder takes the built frame for an info frame, not for audio, and plays the frames after it.
TEST(BuildInfoFrameTest, RealDecoderAcceptsTheBuiltFrame) {
  const auto spec = Spec(MpegVersion::Mpeg1, fixtures::kJointStereo);
  const auto source = fixtures::MakeXingFrame(spec, AllFields());
  XingInfo sourceInfo;
  ASSERT_TRUE(ParseXingHeader(source, sourceInfo));
  fixtures::Mp3Builder frames;
  frames.Frames(spec, 30);
  auto piece = BuildInfoFrame(source, sourceInfo, 30, static_cast<std::uint32_t>(frames.Size()));
  piece.insert(piece.end(), frames.Bytes().begin(), frames.Bytes().end());
  const auto decoded = fixtures::DecodeMp3(piece);
  EXPECT_EQ(decoded.errors, 0) << decoded.firstError;
  EXPECT_EQ(decoded.frames, 30);
}

}  // namespace
}  // namespace tandrel
