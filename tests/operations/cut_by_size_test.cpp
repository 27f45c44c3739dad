#include <gtest/gtest.h>

#include <algorithm>

#include "fixtures/mpeg_builder.h"
#include "fixtures/wave_builder.h"
#include "memory_file_system.h"
#include "output_bytes.h"
#include "tandrel_engine/mpeg_header.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/path_name.h"
#include "tandrel_engine/xing_header.h"

namespace tandrel {
namespace {

using namespace fixtures;
using namespace tandrel::testing;

const std::string kSep(1, kPathSeparator);

TEST(CutBySizeWaveTest, WholeBlocksPerPieceAndTheRestInTheLast) {
  struct Case {
    std::int32_t fileSize;
    std::vector<std::uint32_t> pieces;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {300001, {300000, 300000, 300000, 100000}, {"Cut 25", "Cut 50", "Cut 75", "Cut 100"}},
      {500000, {500000, 500000}, {"Cut 50", "Cut 100"}},
      {1000044, {1000000}, {"Cut 100"}},  // the whole file's size: one piece
  };
  const auto samples = fixtures::MakeSamples(1000000);
  const auto source = WaveBuilder(WaveFormat{}).Fmt().List().Data(samples).Bytes();
  for (const auto& c : cases) {
    MemoryFileSystem fs;
    fs.Put("/in/song.WAV", source);
    RecordingSink sink;
    ASSERT_EQ(CutBySize("/in/song.WAV", c.fileSize, "/out", &sink, fs), ResultCode::Success);
    std::uint64_t at = 0;
    for (std::size_t k = 0; k < c.pieces.size(); ++k) {
      const auto name = "/out" + kSep + "song_" + std::to_string(k + 1) + ".wav";
      ASSERT_TRUE(fs.Has(name)) << name;
      const auto& piece = fs.Get(name);
      ASSERT_EQ(piece.size(), 44u + c.pieces[k]);
      EXPECT_EQ(Le32(piece, 40), c.pieces[k]);
      EXPECT_EQ(Le32(piece, 4), c.pieces[k] + 36);
      EXPECT_TRUE(std::equal(piece.begin() + 44, piece.end(), samples.begin() + at)) << name;
      at += c.pieces[k];
    }
    EXPECT_EQ(fs.Paths().size(), 1 + c.pieces.size());
    auto events = c.events;
    events.push_back("StatusChange 3");
    EXPECT_EQ(sink.events, events);
  }
}

TEST(CutBySizeTest, ChecksComeInOrder) {
  struct Case {
    const char* source;
    std::int32_t fileSize;
    ResultCode expected;
  };
  const auto wave = WaveBuilder(WaveFormat{}).Fmt().Data(fixtures::MakeSamples(400)).Bytes();
  const Case cases[] = {
      {"/missing.wav", 10, ResultCode::InvalidParameter},  // size first: missing reads as 0
      {"/a.wav", 445, ResultCode::InvalidParameter},       // one byte more than the file
      {"/a.wav", -5, ResultCode::InvalidParameter},
      {"/a.wav", 3, ResultCode::InvalidParameter},  // below one block of 4
      {"/a.mp3", 0, ResultCode::InvalidParameter},
      {"/a.txt", 10, ResultCode::NotSupported},
      {"/short.wav", 10, ResultCode::WaveCorrupted},
  };
  for (const auto& c : cases) {
    MemoryFileSystem fs;
    fs.Put("/a.wav", wave);
    fs.Put("/a.mp3", wave);
    fs.Put("/a.txt", wave);
    fs.Put("/short.wav", std::vector<std::uint8_t>(wave.begin(), wave.begin() + 30));
    RecordingSink sink;
    EXPECT_EQ(CutBySize(c.source, c.fileSize, "/o", &sink, fs), c.expected)
        << c.source << " " << c.fileSize;
    EXPECT_EQ(fs.Paths().size(), 4u);
    EXPECT_TRUE(sink.events.empty());
  }
}

TEST(CutBySizeTest, NamesFollowTheFolderBaseNameAndNumber) {
  const auto wave = WaveBuilder(WaveFormat{}).Fmt().Data(fixtures::MakeSamples(40)).Bytes();
  const std::pair<std::string, std::string> cases[] = {
      {"/out", "/out" + kSep + "my.song_1.wav"},
      {"/out" + kSep, "/out" + kSep + kSep + "my.song_1.wav"},
      {"", kSep + "my.song_1.wav"},
  };
  for (const auto& [folder, name] : cases) {
    MemoryFileSystem fs;
    fs.Put("/src.d/my.song.Wav", wave);
    ASSERT_EQ(CutBySize("/src.d/my.song.Wav", 40, folder, nullptr, fs), ResultCode::Success);
    EXPECT_TRUE(fs.Has(name)) << name;
  }
}

// 128 kbit/s at 44100 Hz: 417 bytes, or 418 with padding.
Mp3Builder Stream(int frames, bool info, const std::vector<bool>& padding) {
  Mp3Builder b;
  b.Id3v2(300);
  FrameSpec shape;
  if (info) {
    fixtures::XingFields fields;
    fields.frames = static_cast<std::uint32_t>(frames);
    fields.toc = fixtures::LinearToc();
    b.Xing(shape, fields);
  }
  for (int i = 0; i < frames; ++i) {
    shape.padding = padding[static_cast<std::size_t>(i) % padding.size()];
    b.Frame(shape);
  }
  return b;
}

TEST(CutBySizeMp3Test, EachPieceReachesTheSizeWithWholeFrames) {
  struct Case {
    int frames;
    std::int32_t fileSize;
    std::vector<bool> padding;
    std::vector<int> pieceFrames;
  };
  const Case cases[] = {
      {500, 100000, {true}, {240, 240, 20}},   // 240 x 418 = 100 320
      {500, 100000, {false}, {240, 240, 20}},  // 240 x 417 = 100 080
      {480, 100320, {true}, {240, 240}},       // ends exactly at a boundary: no empty third piece
      {3, 1, {false}, {1, 1, 1}},
  };
  for (const bool info : {false, true}) {
    for (const auto& c : cases) {
      const auto stream = Stream(c.frames, info, c.padding);
      MemoryFileSystem fs;
      fs.Put("/s.mp3", stream.Bytes());
      RecordingSink sink;
      ASSERT_EQ(CutBySize("/s.mp3", c.fileSize, "/o", &sink, fs), ResultCode::Success);
      ASSERT_EQ(fs.Paths().size(), 1 + c.pieceFrames.size()) << c.fileSize;
      // The pieces' audio frames, in order, are the source's, split as the table says.
      std::size_t frame = info ? 1 : 0;
      for (std::size_t k = 0; k < c.pieceFrames.size(); ++k) {
        auto frames = SplitFrames(fs.Get("/o" + kSep + "s_" + std::to_string(k + 1) + ".mp3"));
        if (info) {
          XingInfo pieceInfo;
          ASSERT_TRUE(ParseXingHeader(frames.front(), pieceInfo));
          EXPECT_EQ(pieceInfo.frames, static_cast<std::uint32_t>(c.pieceFrames[k]));
          frames.erase(frames.begin());
        }
        ASSERT_EQ(frames.size(), static_cast<std::size_t>(c.pieceFrames[k])) << "piece " << k + 1;
        for (const auto& f : frames) {
          const auto& placed = stream.Placed()[frame++];
          EXPECT_EQ(f, Slice(stream.Bytes(), placed.offset, placed.offset + placed.length));
        }
      }
      EXPECT_EQ(sink.events.back(), "StatusChange 3");
    }
  }
}

}  // namespace
}  // namespace tandrel
