// The frame index a count leaves for a cut: marks that hold wherever the stream breaks, however
// they were built, and cuts that give the same bytes with an index as without one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "fixtures/byte_compare.h"
#include "fixtures/mpeg_builder.h"
#include "memory_file_system.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/operations.h"

namespace tandrel {
namespace {

using namespace fixtures;
using testing::MemoryFileSystem;
using Bytes = std::vector<std::uint8_t>;

struct Frame {
  std::uint64_t offset;
  std::uint32_t length;
};

// `count` frames of random lengths, with random bytes between two frames before each index in
// `gapsBefore`.
std::vector<Frame> Layout(std::uint64_t count, const std::set<std::uint64_t>& gapsBefore,
                          std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<Frame> frames;
  std::uint64_t at = 1000;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (gapsBefore.count(i)) at += 1 + random() % 3000;
    const auto length = static_cast<std::uint32_t>(24 + random() % 1418);
    frames.push_back({at, length});
    at += length;
  }
  return frames;
}

// Every mark is where its frame is; a stretch is solid exactly when no gap lies inside it or
// before the next mark's frame; the last mark closes the stream.
void ExpectMarksOf(const FrameMarks& marks, const std::vector<Frame>& frames,
                   const std::set<std::uint64_t>& gapsBefore) {
  const auto m = marks.Marks();
  ASSERT_TRUE(marks.Ended());
  ASSERT_GE(m.size(), 2u);
  EXPECT_LE(m.size(), FrameMarks::kMaxMarks + 1);
  EXPECT_EQ(m.front().index, 0u);
  EXPECT_EQ(m.back().index, frames.size());
  EXPECT_EQ(m.back().offset, frames.back().offset + frames.back().length);
  for (std::size_t i = 0; i + 1 < m.size(); ++i) {
    ASSERT_LT(m[i].index, m[i + 1].index);
    EXPECT_EQ(m[i].offset, frames[m[i].index].offset) << "mark " << i;
    const auto gap = gapsBefore.upper_bound(m[i].index);
    const bool solid = gap == gapsBefore.end() || *gap > m[i + 1].index;
    EXPECT_EQ(m[i].solid, solid) << "mark " << i << " frames " << m[i].index << "-"
                                 << m[i + 1].index;
  }
}

TEST(FrameMarksTest, MarksHoldWhereverTheStreamBreaksAndHoweverTheyWereBuilt) {
  struct Case {
    const char* name;
    std::uint64_t frames;
    std::set<std::uint64_t> gapsBefore;
    std::uint64_t split;  // the frame the second half starts with; 0: built in one go
  };
  // Over 4096 x 256 frames the marks are thinned, once or twice.
  const std::uint64_t kThinned = FrameMarks::kMaxMarks * 256 * 3;
  const Case cases[] = {
      {"back to back", 3000, {}, 0},
      {"short", 3, {}, 0},
      {"gaps on and around marks", 3000, {1, 255, 256, 257, 512, 2999}, 0},
      {"halves", 3000, {700}, 1500},
      {"halves split at a gap", 3000, {1500}, 1500},
      {"halves split on a mark", 3000, {}, 512},
      {"thinned", kThinned, {5, 300'000, 1'048'576, 2'000'001}, 0},
      {"thinned halves of different spacing", kThinned, {77, 2'500'000}, kThinned / 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto frames = Layout(c.frames, c.gapsBefore, 7);
    FrameMarks marks;
    if (c.split == 0) {
      for (std::uint64_t i = 0; i < frames.size(); ++i)
        marks.Add(i, frames[i].offset, frames[i].length);
    } else {
      FrameMarks second;
      for (std::uint64_t i = 0; i < frames.size(); ++i) {
        if (i < c.split) {
          marks.Add(i, frames[i].offset, frames[i].length);
        } else {
          second.Add(i - c.split, frames[i].offset, frames[i].length);
        }
      }
      marks.Append(second);
    }
    // A frame added again, or out of turn, changes nothing.
    marks.Add(0, 1, 1);
    marks.Add(frames.size() + 5, 1, 1);
    marks.End();
    EXPECT_EQ(marks.Frames(), frames.size());
    ExpectMarksOf(marks, frames, c.gapsBefore);
  }
}

// A stream with what breaks runs of frames: junk, false headers, an info frame inside (files
// joined by copying), bitrate changes; and a tag on either side.
Bytes BrokenStream(std::uint32_t seed) {
  const FrameSpec cbr, fast{.bitrateIndex = 13}, slow{.bitrateIndex = 5};
  Mp3Builder b;
  b.Id3v2(3000 + seed).Xing(cbr, XingFields{});
  for (int run = 0; run < 4; ++run) {
    b.Frames(cbr, 700 + static_cast<int>(seed)).Junk(300 + run).Frames(fast, 300);
    b.FalseHeader(cbr).Frames(slow, 260).Xing(cbr, XingFields{}).Frames(cbr, 513);
  }
  return b.Id3v1().Bytes();
}

// The index a count of `path` in `fs` leaves, as the plan of a cut would take it.
FrameIndex IndexOf(MemoryFileSystem& fs, const std::string& path) {
  int error = 0;
  const auto source = fs.OpenRead(path, &error);
  CFrameReader reader;
  reader.Open(*source);
  const auto layout = LocateMp3Stream(reader);
  FrameIndex index;
  const auto count = CountStreamFrames(*source, layout, &index);
  EXPECT_FALSE(count.failed);
  EXPECT_EQ(index.marks.Frames(), count.frames);
  EXPECT_TRUE(index.Describes(*source, layout));
  return index;
}

TEST(CutWithFrameIndexTest, PiecesAreTheBytesOfACutWithoutIt) {
  // Sections in order, cut inside runs and on their edges, backwards, overlapping, one frame
  // long, past the end.
  const char* lists[] = {
      "1;30000;/o/1.mp3|30001;61000;/o/2.mp3|61001;-1;/o/3.mp3",
      "1;6656;/o/1.mp3|6657;13312;/o/2.mp3|13313;99000;/o/3.mp3|99001;-1;/o/4.mp3",
      "90001;95000;/o/1.mp3|1;26;/o/2.mp3|20001;-1;/o/3.mp3|15000;40000;/o/4.mp3",
      "27;52;/o/1.mp3|9000000;-1;/o/2.mp3|1;-1;/o/3.mp3",
  };
  const auto source = BrokenStream(11);
  for (const char* list : lists) {
    SCOPED_TRACE(list);
    const auto count = 1 + std::count(list, list + std::strlen(list), '|');
    MemoryFileSystem plain;
    plain.Put("/s.mp3", source);
    ASSERT_EQ(CutByTime("/s.mp3", list, static_cast<std::int16_t>(count), nullptr, plain),
              ResultCode::Success);

    MemoryFileSystem indexed;
    indexed.Put("/s.mp3", source);
    const auto index = IndexOf(indexed, "/s.mp3");
    OperationOptions options;
    options.frames = &index;
    ASSERT_EQ(
        CutByTime("/s.mp3", list, static_cast<std::int16_t>(count), nullptr, options, indexed),
        ResultCode::Success);
    for (int k = 1; k <= count; ++k) {
      const auto name = "/o/" + std::to_string(k) + ".mp3";
      EXPECT_TRUE(SameBytes(indexed.Get(name), plain.Get(name))) << name;
    }
  }
}

TEST(CutWithFrameIndexTest, AnIndexOfAnotherFileOrStreamIsNotUsed) {
  const auto a = BrokenStream(1);
  auto b = BrokenStream(2);  // other frames at other offsets
  MemoryFileSystem fs;
  fs.Put("/a.mp3", a);
  fs.Put("/b.mp3", b);
  const auto ofA = IndexOf(fs, "/a.mp3");
  int error = 0;
  const auto source = fs.OpenRead("/b.mp3", &error);
  CFrameReader reader;
  reader.Open(*source);
  const auto layout = LocateMp3Stream(reader);
  EXPECT_FALSE(ofA.Describes(*source, layout));
  auto ofB = IndexOf(fs, "/b.mp3");
  auto changed = ofB;
  changed.size += 1;
  EXPECT_FALSE(changed.Describes(*source, layout));
  changed = ofB;
  changed.modified = 1;
  EXPECT_FALSE(changed.Describes(*source, layout));
  changed = ofB;
  changed.audioEnd -= 1;
  EXPECT_FALSE(changed.Describes(*source, layout));

  // Given for the wrong file, the cut reads the frames itself.
  OperationOptions options;
  options.frames = &ofA;
  ASSERT_EQ(CutByTime("/b.mp3", "1;20000;/o/1.mp3|20001;-1;/o/2.mp3", 2, nullptr, options, fs),
            ResultCode::Success);
  MemoryFileSystem plain;
  plain.Put("/b.mp3", b);
  ASSERT_EQ(CutByTime("/b.mp3", "1;20000;/o/1.mp3|20001;-1;/o/2.mp3", 2, nullptr, plain),
            ResultCode::Success);
  EXPECT_TRUE(SameBytes(fs.Get("/o/1.mp3"), plain.Get("/o/1.mp3")));
  EXPECT_TRUE(SameBytes(fs.Get("/o/2.mp3"), plain.Get("/o/2.mp3")));
}

}  // namespace
}  // namespace tandrel
