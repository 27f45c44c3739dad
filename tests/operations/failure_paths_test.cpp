// Every operation, failing at every read, write and finish it makes: the result is an error, no
// event follows the failure, no output is left half-written and no input changes.
#include <gtest/gtest.h>

#include <functional>

#include "fixtures/mpeg_builder.h"
#include "fixtures/wave_builder.h"
#include "memory_file_system.h"
#include "tandrel_engine/operations.h"

namespace tandrel {
namespace {

using fixtures::FrameSpec;
using fixtures::Mp3Builder;
using testing::MemoryFileSystem;
using testing::RecordingSink;

enum class Fault { Read, Write, Finish };

struct Operation {
  const char* name;
  bool join;
  std::function<ResultCode(ProgressSink*, MemoryFileSystem&)> run;
};

void PutInputs(MemoryFileSystem& fs) {
  fixtures::XingFields fields;
  fields.frames = 300;
  fields.toc = fixtures::LinearToc();
  fs.Put("/in/a.mp3",
         Mp3Builder().Id3v2(100).Xing(FrameSpec{}, fields).Frames(FrameSpec{}, 300).Bytes());
  fs.Put("/in/b.mp3", Mp3Builder().Frames(FrameSpec{}, 200).Bytes());
  fs.Put("/in/a.wav", fixtures::WaveBuilder(fixtures::WaveFormat{})
                          .Fmt()
                          .List()
                          .Data(fixtures::MakeSamples(400000))
                          .Bytes());
  fs.Put("/in/b.wav", fixtures::WaveBuilder(fixtures::WaveFormat{})
                          .Fmt()
                          .Data(fixtures::MakeSamples(300000, 9))
                          .Bytes());
}

TEST(FailurePathsTest, NoSuccessNoEventAfterTheFaultNoHalfOutputInputsUntouched) {
  const Operation operations[] = {
      {"cut mp3 by time", false,
       [](ProgressSink* s, MemoryFileSystem& fs) {
         return CutByTime("/in/a.mp3", "1;2000;/o/1.mp3|2001;4000;/o/2.mp3|4001;-1;/o/3.mp3", 3, s,
                          fs);
       }},
      {"cut wave by time", false,
       [](ProgressSink* s, MemoryFileSystem& fs) {
         return CutByTime("/in/a.wav", "1;500;/o/1.wav|501;-1;/o/2.wav", 2, s, fs);
       }},
      {"cut mp3 by size", false,
       [](ProgressSink* s, MemoryFileSystem& fs) {
         return CutBySize("/in/a.mp3", 40000, "/o", s, fs);
       }},
      {"cut wave by size", false,
       [](ProgressSink* s, MemoryFileSystem& fs) {
         return CutBySize("/in/a.wav", 150000, "/o", s, fs);
       }},
      {"join mp3", true,
       [](ProgressSink* s, MemoryFileSystem& fs) {
         return Join("/o/j.mp3", "/in/a.mp3|/in/b.mp3", 2, s, fs);
       }},
      {"join wave", true,
       [](ProgressSink* s, MemoryFileSystem& fs) {
         return Join("/o/j.wav", "/in/a.wav|/in/b.wav", 2, s, fs);
       }},
  };
  MemoryFileSystem pristine;
  PutInputs(pristine);
  for (const auto& op : operations) {
    MemoryFileSystem clean;
    PutInputs(clean);
    ASSERT_EQ(op.run(nullptr, clean), ResultCode::Success) << op.name;
    for (const auto fault : {Fault::Read, Fault::Write, Fault::Finish}) {
      // Fail the 1st, 2nd, ... call until the operation gets past its last one.
      bool reachedEnd = false;
      for (int n = 1; n < 1000 && !reachedEnd; ++n) {
        MemoryFileSystem fs;
        PutInputs(fs);
        if (fault == Fault::Read) fs.failRead = n;
        if (fault == Fault::Write) fs.failWrite = n;
        if (fault == Fault::Finish) fs.failFinish = n;
        RecordingSink sink;
        const auto result = op.run(&sink, fs);
        const auto where = std::string(op.name) + ", fault " + std::to_string(int(fault)) +
                           " at call " + std::to_string(n);
        EXPECT_EQ(fs.openOutputs, 0) << where;
        for (const auto& path : pristine.Paths())
          EXPECT_EQ(fs.Get(path), pristine.Get(path)) << where;
        const bool finished =
            !sink.events.empty() && sink.events.back().starts_with("StatusChange");
        const auto outputs = fs.Paths().size() - pristine.Paths().size();
        if (result == ResultCode::Success) {
          // Only a run that made every call succeeds, and then it wrote what a clean run writes.
          EXPECT_TRUE(finished) << where;
          EXPECT_EQ(fs.Paths(), clean.Paths()) << where;
          for (const auto& path : clean.Paths()) EXPECT_EQ(fs.Get(path), clean.Get(path)) << where;
          reachedEnd = true;
        } else if (op.join) {
          EXPECT_FALSE(finished) << where;
          EXPECT_EQ(outputs, 0u) << where;
        } else {
          // Every piece announced is complete; nothing else was left behind.
          EXPECT_FALSE(finished) << where;
          EXPECT_EQ(outputs, sink.events.size()) << where;
        }
      }
      EXPECT_TRUE(reachedEnd) << op.name << " never got past fault " << int(fault);
    }
  }
}

}  // namespace
}  // namespace tandrel
