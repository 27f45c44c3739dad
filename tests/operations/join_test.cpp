#include <gtest/gtest.h>

#include <algorithm>

#include "fixtures/byte_compare.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/wave_builder.h"
#include "memory_file_system.h"
#include "output_bytes.h"
#include "tandrel_engine/mpeg_header.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/xing_header.h"

namespace tandrel {
namespace {

using namespace fixtures;
using namespace tandrel::testing;

std::vector<std::uint8_t> Wave(std::size_t bytes, std::uint32_t seed, WaveFormat format = {}) {
  return WaveBuilder(format).Fmt().Data(fixtures::MakeSamples(bytes, seed)).Bytes();
}

TEST(JoinWaveTest, OneHeaderCountingEveryInputsData) {
  MemoryFileSystem fs;
  fs.Put("/a.wav", Wave(1000, 1));
  // Extra chunks before and after the data: only the samples are joined.
  fs.Put("/b.wav", WaveBuilder(WaveFormat{})
                       .Fmt(fixtures::FmtLayout::WithExtra18)
                       .Fact(500)
                       .Data(fixtures::MakeSamples(2000, 2))
                       .List()
                       .Bytes());
  RecordingSink sink;
  ASSERT_EQ(Join("/j.WAV", "/a.wav|/b.wav", 2, &sink, fs), ResultCode::Success);
  const auto& out = fs.Get("/j.WAV");
  ASSERT_EQ(out.size(), 3044u);
  EXPECT_EQ(Le32(out, 40), 3000u);
  EXPECT_EQ(Le32(out, 4), 3036u);
  EXPECT_EQ(Le32(out, 16), 16u);
  auto samples = fixtures::MakeSamples(1000, 1);
  const auto second = fixtures::MakeSamples(2000, 2);
  samples.insert(samples.end(), second.begin(), second.end());
  EXPECT_TRUE(fixtures::SameBytes(std::span(out).subspan(44), samples));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"Join 50", "Join 100", "StatusChange 4"}));
}

TEST(JoinTest, ChecksComeInOrder) {
  struct Case {
    const char* list;
    std::int16_t count;
    const char* output;
    ResultCode expected;
  };
  WaveFormat slow;
  slow.sampleRate = 22050;
  const Case cases[] = {
      {"/a.wav|/b.wav", 3, "/o.wav", ResultCode::InvalidParameter},
      {"/a.wav", 0, "/o.wav", ResultCode::InvalidParameter},
      {"/a.mp3|/b.wav", 2, "/o.wav", ResultCode::KindsDiffer},
      {"/a.ogg|/b.ogg", 2, "/o.ogg", ResultCode::NotSupported},
      {"/a.mp3|/missing.mp3", 2, "/o.mp3", ResultCode::OpenFailed},
      {"/a.wav|/short.wav", 2, "/o.wav", ResultCode::WaveReadFailed},
      {"/a.wav|/slow.wav", 2, "/o.wav", ResultCode::WaveFormatsDiffer},
      {"/a.wav|/b.wav", 2, "/b.wav", ResultCode::OpenFailed},  // writing over an input
      {"/a.mp3|/b.mp3", 2, "/a.mp3", ResultCode::OpenFailed},
      {"/a.wav|/b.wav", 2, "", ResultCode::OpenFailed},  // output cannot be created
  };
  for (const auto& c : cases) {
    MemoryFileSystem fs;
    fs.Put("/a.wav", Wave(100, 1));
    fs.Put("/b.wav", Wave(100, 2));
    fs.Put("/a.mp3", Mp3Builder().Frames(FrameSpec{}, 3).Bytes());
    fs.Put("/b.mp3", Mp3Builder().Frames(FrameSpec{}, 3).Bytes());
    fs.Put("/a.ogg", Wave(100, 1));
    fs.Put("/b.ogg", Wave(100, 1));
    fs.Put("/short.wav", std::vector<std::uint8_t>(40, 'R'));
    fs.Put("/slow.wav", Wave(100, 3, slow));
    const auto before = fs.Paths();
    RecordingSink sink;
    EXPECT_EQ(Join(c.output, c.list, c.count, &sink, fs), c.expected) << c.list;
    EXPECT_EQ(fs.Paths(), before) << c.list;
    EXPECT_EQ(fs.Get("/b.wav"), Wave(100, 2));
    EXPECT_TRUE(sink.events.empty()) << c.list;
  }
}

struct Input {
  std::size_t tag;
  bool info;
  int frames;
  FrameSpec shape;
};

Mp3Builder Build(const Input& in) {
  Mp3Builder b;
  if (in.tag) b.Id3v2(in.tag);
  if (in.info) {
    fixtures::XingFields fields;
    fields.frames = static_cast<std::uint32_t>(in.frames);
    b.Xing(in.shape, fields);
  }
  b.Frames(in.shape, in.frames);
  b.Id3v1();
  return b;
}

TEST(JoinMp3Test, TagOfTheFirstInputThenOneInfoFrameThenEveryInputsFrames) {
  FrameSpec mono;
  mono.channelMode = fixtures::kSingleChannel;
  FrameSpec mpeg2;
  mpeg2.version = fixtures::MpegVersion::Mpeg2;
  mpeg2.bitrateIndex = 1;  // 8 kbit/s: frames too short for the info fields
  const std::vector<std::vector<Input>> cases = {
      {{0, false, 10, {}}, {0, false, 20, {}}},
      {{2000, true, 10, {}}, {500, true, 5, {}}, {0, false, 7, {}}},
      {{0, true, 4, mono}, {100, false, 6, mono}},
      {{0, false, 30, mpeg2}},
  };
  for (const auto& inputs : cases) {
    MemoryFileSystem fs;
    std::string list;
    std::vector<std::uint8_t> audio;
    int frames = 0;
    std::vector<Mp3Builder> built;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      built.push_back(Build(inputs[i]));
      const auto name = "/in" + std::to_string(i) + ".mp3";
      fs.Put(name, built.back().Bytes());
      list += (i ? "|" : "") + name;
      for (std::size_t f = inputs[i].info ? 1 : 0; f < built.back().Placed().size(); ++f) {
        const auto& p = built.back().Placed()[f];
        audio.insert(
            audio.end(), built.back().Bytes().begin() + static_cast<std::ptrdiff_t>(p.offset),
            built.back().Bytes().begin() + static_cast<std::ptrdiff_t>(p.offset + p.length));
        ++frames;
      }
    }
    RecordingSink sink;
    ASSERT_EQ(Join("/j.mp3", list, static_cast<std::int16_t>(inputs.size()), &sink, fs),
              ResultCode::Success);
    const auto& out = fs.Get("/j.mp3");
    const auto tag = inputs.front().tag ? inputs.front().tag + 10 : 0;
    ASSERT_GT(out.size(), tag);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(tag),
                           built.front().Bytes().begin()));
    const auto infoFrame = std::span(out).subspan(tag);
    XingInfo info;
    ASSERT_TRUE(ParseXingHeader(infoFrame, info));
    const auto infoLength = MpegHeader::FromBytes(infoFrame).FrameLength();
    ASSERT_GE(infoLength, info.tagOffset + 20);
    EXPECT_EQ(info.flags, 0xBu);
    EXPECT_EQ(info.frames, static_cast<std::uint32_t>(frames));
    EXPECT_EQ(info.bytes, audio.size() + infoLength);
    EXPECT_EQ(info.scale, 0);
    EXPECT_TRUE(fixtures::SameBytes(infoFrame.subspan(infoLength), audio));
    EXPECT_EQ(sink.events.back(), "StatusChange 4");
  }
}

}  // namespace
}  // namespace tandrel
