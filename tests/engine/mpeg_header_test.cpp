#include "tandrel/mpeg_header.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "fixtures/mpeg_builder.h"

namespace tandrel {
namespace {

using fixtures::FrameSpec;
using fixtures::MpegVersion;

MpegHeader HeaderOf(const FrameSpec& spec) {
  return MpegHeader(fixtures::HeaderWord(spec));
}

FrameSpec Spec(MpegVersion version, int sampleRateIndex, int bitrateIndex, bool padding = false) {
  FrameSpec spec;
  spec.version = version;
  spec.sampleRateIndex = sampleRateIndex;
  spec.bitrateIndex = bitrateIndex;
  spec.padding = padding;
  return spec;
}

// Every bitrate and rate of both versions, with and without padding, against tables typed in
// independently of the engine's.
TEST(MpegHeaderTest, EveryRateAndBitrateHasTheFormulaLength) {
  for (const auto version : {MpegVersion::Mpeg1, MpegVersion::Mpeg2}) {
    for (int rate = 0; rate < 3; ++rate) {
      for (int bitrate = 1; bitrate < 15; ++bitrate) {
        for (const bool padding : {false, true}) {
          const auto spec = Spec(version, rate, bitrate, padding);
          const auto header = HeaderOf(spec);
          SCOPED_TRACE(::testing::Message()
                       << (version == MpegVersion::Mpeg1 ? "MPEG-1" : "MPEG-2") << " rate " << rate
                       << " bitrate " << bitrate << (padding ? " padded" : ""));
          EXPECT_TRUE(header.IsAcceptable());
          EXPECT_EQ(header.Bitrate(),
                    static_cast<std::uint32_t>(fixtures::BitrateKbps(version, bitrate) * 1000));
          EXPECT_EQ(header.SampleRate(),
                    static_cast<std::uint32_t>(fixtures::SampleRateHz(version, rate)));
          EXPECT_EQ(header.FrameLength(), static_cast<std::uint32_t>(fixtures::FrameLength(spec)));
        }
      }
    }
  }
}

TEST(MpegHeaderTest, KnownFrameLengths) {
  struct Case {
    FrameSpec spec;
    std::uint32_t length;
  };
  const Case cases[] = {
      {Spec(MpegVersion::Mpeg1, 0, 9), 417},          // 44100 Hz, 128 kbit/s
      {Spec(MpegVersion::Mpeg1, 0, 9, true), 418},    // the same, padded
      {Spec(MpegVersion::Mpeg1, 1, 14), 960},         // 48000 Hz, 320 kbit/s
      {Spec(MpegVersion::Mpeg1, 2, 14, true), 1441},  // the longest Layer III frame
      {Spec(MpegVersion::Mpeg1, 2, 1), 144},          // 32000 Hz, 32 kbit/s
      {Spec(MpegVersion::Mpeg2, 0, 8), 208},          // 22050 Hz, 64 kbit/s
      {Spec(MpegVersion::Mpeg2, 0, 8, true), 209},
      {Spec(MpegVersion::Mpeg2, 0, 1), 26},    // 22050 Hz, 8 kbit/s: 52.2 halved
      {Spec(MpegVersion::Mpeg2, 1, 1), 24},    // the shortest
      {Spec(MpegVersion::Mpeg2, 2, 14), 720},  // 16000 Hz, 160 kbit/s
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HeaderOf(c.spec).FrameLength(), c.length) << std::hex << fixtures::HeaderWord(c.spec);
  }
}

TEST(MpegHeaderTest, RefusesWhatItCannotMeasure) {
  const std::uint32_t good = fixtures::HeaderWord(FrameSpec{});
  struct Case {
    const char* what;
    std::uint32_t word;
  };
  const Case cases[] = {
      {"free-format bitrate index 0", good & ~0x0000F000u},
      {"bitrate index 15", good | 0x0000F000u},
      {"reserved sample-rate index 3", good | 0x00000C00u},
      {"Layer I", (good & ~0x00060000u) | (3u << 17)},
      {"Layer II", (good & ~0x00060000u) | (2u << 17)},
      {"reserved layer 00", good & ~0x00060000u},
      {"MPEG-2.5 (bit 20 clear)", good & ~0x00180000u},
      {"broken sync", good & ~0x00800000u},
  };
  EXPECT_TRUE(MpegHeader(good).IsAcceptable());
  for (const auto& c : cases) {
    EXPECT_FALSE(MpegHeader(c.word).IsAcceptable()) << c.what;
    EXPECT_EQ(MpegHeader(c.word).FrameLength(), 0u) << c.what;
  }
}

// MPEG-2 frames carry half the samples at half the rate, so both versions share the durations;
// only the whole milliseconds count.
TEST(MpegHeaderTest, WholeMillisecondsPerFrame) {
  const std::uint32_t expected[3] = {26, 24, 36};
  for (const auto version : {MpegVersion::Mpeg1, MpegVersion::Mpeg2}) {
    for (int rate = 0; rate < 3; ++rate) {
      EXPECT_EQ(HeaderOf(Spec(version, rate, 5)).MsPerFrame(), expected[rate]) << "rate " << rate;
      EXPECT_EQ(MsPerFrameForIndex(static_cast<std::uint32_t>(rate)), expected[rate]);
    }
  }
  EXPECT_EQ(MsPerFrameForIndex(3), 26u);
}

TEST(MpegHeaderTest, InfoTagFollowsTheSideInformation) {
  struct Case {
    MpegVersion version;
    int channelMode;
    std::uint32_t offset;
  };
  const Case cases[] = {
      {MpegVersion::Mpeg1, fixtures::kStereo, 36},
      {MpegVersion::Mpeg1, fixtures::kJointStereo, 36},
      {MpegVersion::Mpeg1, fixtures::kDualChannel, 36},
      {MpegVersion::Mpeg1, fixtures::kSingleChannel, 21},
      {MpegVersion::Mpeg2, fixtures::kJointStereo, 21},
      {MpegVersion::Mpeg2, fixtures::kSingleChannel, 13},
  };
  for (const auto& c : cases) {
    FrameSpec spec;
    spec.version = c.version;
    spec.channelMode = c.channelMode;
    EXPECT_EQ(HeaderOf(spec).InfoTagOffset(), c.offset) << "mode " << c.channelMode;
    EXPECT_EQ(static_cast<std::uint32_t>(fixtures::XingTagOffset(spec)), c.offset);
  }
}

}  // namespace
}  // namespace tandrel
