#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

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

// 44100 Hz, 16-bit stereo: 176 400 bytes a second, blocks of 4.
std::vector<std::uint8_t> CdWave(std::size_t dataBytes, bool list = false) {
  WaveBuilder builder{WaveFormat{}};
  builder.Fmt();
  if (list) builder.List();
  builder.Data(fixtures::MakeSamples(dataBytes));
  return builder.Bytes();
}

TEST(CutByTimeWaveTest, PiecesAreBlockAlignedSourceRangesUnderTheirOwnHeader) {
  struct Case {
    std::string section;
    std::uint64_t from;  // offsets into the sample data
    std::uint64_t to;
  };
  constexpr std::uint64_t kSecond = 176400;
  const Case cases[] = {
      {"1;1000", 0, kSecond},
      {"60001;120000", 60 * kSecond, 120 * kSecond},  // products beyond 32 bits
      {"1;-1", 0, 121 * kSecond},
      {"2;3", 176, 528},  // 176.4 and 529.2 bytes, rounded down to whole blocks
  };
  for (const bool list : {false, true}) {
    const auto source = CdWave(121 * kSecond, list);
    const std::uint64_t dataStart = source.size() - 121 * kSecond;
    for (const auto& c : cases) {
      MemoryFileSystem fs;
      fs.Put("/in/song.wav", source);
      ASSERT_EQ(CutByTime("/in/song.wav", c.section + ";/out/p.wav", 1, nullptr, fs),
                ResultCode::Success)
          << c.section;
      const auto& piece = fs.Get("/out/p.wav");
      ASSERT_EQ(piece.size(), 44 + c.to - c.from) << c.section;
      EXPECT_EQ(Le32(piece, 40), c.to - c.from) << c.section;
      EXPECT_EQ(Le32(piece, 4), c.to - c.from + 36) << c.section;
      EXPECT_TRUE(fixtures::SameBytes(Slice(piece, 8, 36), Slice(CdWave(0), 8, 36)));
      EXPECT_TRUE(fixtures::SameBytes(Slice(piece, 44, piece.size()),
                                      Slice(source, dataStart + c.from, dataStart + c.to)))
          << c.section;
    }
  }
}

TEST(CutByTimeWaveTest, SectionOutsideTheDataStopsTheRunAfterEarlierPieces) {
  const auto source = CdWave(176400);  // one second
  const std::pair<const char*, std::size_t> cases[] = {
      {"1;500;/o/1.wav|0;500;/o/2.wav|1;10;/o/3.wav", 1},     // start 0 lies before the data
      {"1;500;/o/1.wav|1;1001;/o/2.wav", 1},                  // end beyond the data
      {"1;500;/o/1.wav|1002;2000;/o/2.wav|1;2;/o/3.wav", 1},  // start beyond the data
  };
  for (const auto& [list, written] : cases) {
    MemoryFileSystem fs;
    fs.Put("/s.wav", source);
    RecordingSink sink;
    const auto count = static_cast<std::int16_t>(std::count(list, list + strlen(list), '|') + 1);
    EXPECT_EQ(CutByTime("/s.wav", list, count, &sink, fs), ResultCode::InvalidParameter) << list;
    EXPECT_EQ(fs.Paths().size(), 1 + written) << list;
    EXPECT_EQ(sink.events, std::vector<std::string>{"Cut " + std::to_string(100 / count)});
  }
}

TEST(CutByTimeTest, ChecksComeInOrder) {
  struct Case {
    const char* source;
    const char* list;
    std::int16_t count;
    ResultCode expected;
  };
  const Case cases[] = {
      {"/a.ogg", "1;2;/o.ogg|x", 1, ResultCode::NotSupported},  // kind first, before the list
      {"/a.wav", "1;2;/o/1.wav|3;4;/o/2.wav", 3, ResultCode::InvalidParameter},
      {"/a.wav", "1001;1000;/o/1.wav", 1, ResultCode::InvalidParameter},
      {"/a.wav", "1;1000", 1, ResultCode::InvalidParameter},  // two fields
      {"/missing.wav", "1;2;/o/1.wav", 1, ResultCode::OpenFailed},
      {"/short.wav", "1;2;/o/1.wav", 1, ResultCode::WaveCorrupted},
      {"/nodata.wav", "1;2;/o/1.wav", 1, ResultCode::WaveCorrupted},
      {"/noblock.wav", "1;2;/o/1.wav", 1, ResultCode::WaveCorrupted},
      {"/a.wav", "1;2;/a.wav", 1, ResultCode::OpenFailed},  // the source itself as output
      {"/a.wav", "1;2;", 1, ResultCode::OpenFailed},        // no output name
  };
  for (const auto& c : cases) {
    MemoryFileSystem fs;
    fs.Put("/a.wav", CdWave(1000));
    fs.Put("/a.ogg", CdWave(1000));
    fs.Put("/short.wav", Slice(CdWave(1000), 0, 43));
    fs.Put("/nodata.wav", WaveBuilder(WaveFormat{}).Fmt().Chunk("junk", {1, 2, 3, 4}).Bytes());
    WaveFormat zeroBlocks;
    zeroBlocks.blockAlign = 0;
    fs.Put("/noblock.wav", WaveBuilder(zeroBlocks).Fmt().Data(fixtures::MakeSamples(64)).Bytes());
    const auto before = fs.Paths();
    RecordingSink sink;
    EXPECT_EQ(CutByTime(c.source, c.list, c.count, &sink, fs), c.expected)
        << c.source << " " << c.list;
    EXPECT_TRUE(sink.events.empty()) << c.list;
    EXPECT_EQ(fs.Paths(), before) << c.list;
    EXPECT_EQ(fs.Get("/a.wav"), CdWave(1000));
  }
}

// The frames of a file laid out by the builder, as bytes, from `first` on.
std::vector<std::vector<std::uint8_t>> FramesOf(const Mp3Builder& b, std::size_t first = 0) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::size_t i = first; i < b.Placed().size(); ++i) {
    const auto& f = b.Placed()[i];
    frames.push_back(Slice(b.Bytes(), f.offset, f.offset + f.length));
  }
  return frames;
}

// A 44100 Hz stream of `count` frames with the padding of a real 128 kbit/s encoder (about
// one frame in 50 without it), after an optional tag and info frame.
Mp3Builder Stream(int count, std::size_t tag, bool info) {
  Mp3Builder b;
  if (tag) b.Id3v2(tag);
  FrameSpec shape;
  if (info) {
    fixtures::XingFields fields;
    fields.tag = "Info";
    fields.flags = 0xF;
    fields.frames = static_cast<std::uint32_t>(count);
    fields.toc = fixtures::LinearToc();
    b.Xing(shape, fields);
  }
  for (int i = 0; i < count; ++i) {
    shape.padding = i % 50 != 0;
    b.Frame(shape);
  }
  b.Id3v1();
  return b;
}

TEST(CutByTimeMp3Test, FixedLengthSectionsTileTheStreamExactly) {
  for (const std::size_t tag : {std::size_t{0}, std::size_t{500000}}) {
    for (const bool info : {false, true}) {
      const auto stream = Stream(400, tag, info);
      const auto audio = FramesOf(stream, info ? 1 : 0);
      for (const int length : {1000, 1300, 26, 7}) {
        MemoryFileSystem fs;
        fs.Put("/s.mp3", stream.Bytes());
        std::string list;
        const int pieces = (400 * 26) / length + 1;
        for (int k = 0; k < pieces; ++k) {
          if (k) list += "|";
          list += std::to_string(k * length + 1) + ";" +
                  (k + 1 == pieces ? "-1" : std::to_string((k + 1) * length)) + ";/o/" +
                  std::to_string(k) + ".mp3";
        }
        ASSERT_EQ(CutByTime("/s.mp3", list, static_cast<std::int16_t>(pieces), nullptr, fs),
                  ResultCode::Success);
        std::vector<std::vector<std::uint8_t>> joined;
        for (int k = 0; k < pieces; ++k) {
          auto frames = SplitFrames(fs.Get("/o/" + std::to_string(k) + ".mp3"));
          if (info) {
            ASSERT_FALSE(frames.empty());
            XingInfo pieceInfo;
            ASSERT_TRUE(ParseXingHeader(frames.front(), pieceInfo));
            EXPECT_EQ(pieceInfo.frames, frames.size() - 1);
            std::uint32_t bytes = 0;
            for (const auto& f : frames) bytes += static_cast<std::uint32_t>(f.size());
            EXPECT_EQ(pieceInfo.bytes, bytes);
            EXPECT_FALSE(pieceInfo.HasToc());
            frames.erase(frames.begin());
          }
          // Frames [floor((start - 1) / 26), floor(end / 26)).
          const auto first = std::size_t(k * length) / 26;
          const auto last = k + 1 == pieces ? 400 : std::size_t((k + 1) * length) / 26;
          EXPECT_EQ(frames.size(),
                    std::min<std::size_t>(last, 400) - std::min<std::size_t>(first, 400))
              << "piece " << k << " length " << length;
          joined.insert(joined.end(), frames.begin(), frames.end());
        }
        EXPECT_EQ(joined, audio) << "tag " << tag << " info " << info << " length " << length;
      }
    }
  }
}

TEST(CutByTimeMp3Test, SectionsInAnyOrderGiveTheSamePieces) {
  const auto stream = Stream(3000, 1000, false);
  const auto audio = FramesOf(stream);
  MemoryFileSystem fs;
  fs.Put("/s.mp3", stream.Bytes());
  // Backwards, overlapping, repeated and beyond the end.
  const char* list =
      "70001;75000;/o/a.mp3|1;2600;/o/b.mp3|52001;52026;/o/c.mp3|1;2600;/o/d.mp3|"
      "900000;-1;/o/e.mp3|26001;-1;/o/f.mp3";
  RecordingSink sink;
  ASSERT_EQ(CutByTime("/s.mp3", list, 6, &sink, fs), ResultCode::Success);
  auto expect = [&](const char* name, std::size_t first, std::size_t last) {
    const std::vector<std::vector<std::uint8_t>> want(audio.begin() + first, audio.begin() + last);
    EXPECT_EQ(SplitFrames(fs.Get(name)), want) << name;
  };
  expect("/o/a.mp3", 2692, 2884);
  expect("/o/b.mp3", 0, 100);
  expect("/o/c.mp3", 2000, 2001);
  expect("/o/d.mp3", 0, 100);
  expect("/o/e.mp3", 0, 0);
  expect("/o/f.mp3", 1000, 3000);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"Cut 16", "Cut 33", "Cut 50", "Cut 66", "Cut 83",
                                                   "Cut 100", "StatusChange 3"}));
}

}  // namespace
}  // namespace tandrel
