// Long MP3 sources on real files, where the outputs are written on a second thread: the same
// bytes, events and report as the operations give in memory (where they write in turn), and the
// same outcome when a write fails or the run is cancelled while that thread is behind.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>

#include "fixtures/byte_compare.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "memory_file_system.h"
#include "tandrel_engine/operations.h"

namespace tandrel {
namespace {

using namespace fixtures;
using testing::MemoryFileSystem;
using testing::RecordingSink;
using Bytes = std::vector<std::uint8_t>;

// About 20 MB: a cover-sized tag, an info frame, frames of three bitrates with junk and false
// headers between runs of them, a trailing tag.
Bytes LongSource(std::uint32_t seed) {
  const FrameSpec cbr, fast{.bitrateIndex = 13}, slow{.bitrateIndex = 5};
  Mp3Builder b;
  b.Id3v2(60'000 + seed).Xing(cbr, XingFields{});
  for (int run = 0; run < 12; ++run) {
    b.Frames(cbr, 2000).Junk(700 + run).Frames(fast, 800).FalseHeader(cbr).Junk(300);
    b.Frames(slow, 500 + static_cast<int>(seed));
  }
  return b.Id3v1().Bytes();
}

// Runs an operation on the file system given, naming its files through `at`.
using Run = std::function<ResultCode(FileSystem&, const std::function<std::string(std::string)>& at,
                                     ProgressSink*, const OperationOptions&)>;

struct Operation {
  const char* name;
  std::vector<std::string> outputs;  // in the order they are written
  Run run;
};

const Operation kOperations[] = {
    {"cut by time",
     {"1.mp3", "2.mp3", "3.mp3", "4.mp3"},
     [](FileSystem& fs, const auto& at, ProgressSink* sink, const OperationOptions& options) {
       // The third piece lies past the end of the stream and holds no frames.
       const auto list = "1;200000;" + at("1.mp3") + "|200001;700000;" + at("2.mp3") +
                         "|99000000;99000001;" + at("3.mp3") + "|700001;-1;" + at("4.mp3");
       return CutByTime(at("a.mp3"), list, 4, sink, options, fs);
     }},
    {"cut by size",
     {"a_1.mp3", "a_2.mp3", "a_3.mp3", "a_4.mp3"},
     [](FileSystem& fs, const auto& at, ProgressSink* sink, const OperationOptions& options) {
       return CutBySize(at("a.mp3"), 6'000'000, at("").substr(0, at("").size() - 1), sink, options,
                        fs);
     }},
    {"join",
     {"j.mp3"},
     [](FileSystem& fs, const auto& at, ProgressSink* sink, const OperationOptions& options) {
       return Join(at("j.mp3"), at("a.mp3") + "|" + at("b.mp3"), 2, sink, options, fs);
     }},
};

// Each operation in memory, as the reference: its outputs, events and written paths.
struct Reference {
  std::vector<Bytes> outputs;
  std::vector<std::string> events;
};

Reference InMemory(const Operation& op, const Bytes& a, const Bytes& b) {
  MemoryFileSystem fs;
  fs.Put("/w/a.mp3", a);
  fs.Put("/w/b.mp3", b);
  RecordingSink sink;
  EXPECT_EQ(op.run(fs, [](const std::string& n) { return "/w/" + n; }, &sink, {}),
            ResultCode::Success);
  Reference reference{{}, sink.events};
  for (const auto& name : op.outputs) reference.outputs.push_back(fs.Get("/w/" + name));
  return reference;
}

// The real file system, with the output named `failing` failing its writes once `failAfter`
// bytes are in it (ENOSPC), and setting `cancel` then when it is given.
class FailingFiles final : public FileSystem {
 public:
  std::unique_ptr<ByteSource> OpenRead(const std::string& path, int* error) override {
    return RealFileSystem().OpenRead(path, error);
  }
  std::unique_ptr<ByteSink> Create(const std::string& path, int* error) override {
    auto out = RealFileSystem().Create(path, error);
    if (!out || path != failing) return out;
    return std::make_unique<Sink>(std::move(out), *this);
  }
  std::optional<FileIdentity> Identity(const std::string& path) override {
    return RealFileSystem().Identity(path);
  }

  std::string failing;
  std::uint64_t failAfter = 0;
  std::atomic<bool>* cancel = nullptr;

 private:
  class Sink final : public ByteSink {
   public:
    Sink(std::unique_ptr<ByteSink> out, FailingFiles& files)
        : out_(std::move(out)), files_(files) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
      return Room(bytes.size()) == bytes.size() && out_->Write(bytes);
    }
    bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
      return !failed_ && out_->WriteAt(offset, bytes);
    }
    std::uint64_t Append(ByteSource& source, std::uint64_t offset, std::uint64_t length) override {
      return out_->Append(source, offset, Room(length));
    }
    std::uint64_t Written() const override { return out_->Written(); }
    bool Finish() override { return !failed_ && out_->Finish(); }
    int Error() const override { return failed_ ? ENOSPC : out_->Error(); }

   private:
    // How much of `length` more fits; failing from then on once it does not all fit.
    std::uint64_t Room(std::uint64_t length) {
      if (failed_) return 0;
      const auto room = files_.failAfter - std::min(files_.failAfter, out_->Written());
      if (length <= room) return length;
      failed_ = true;
      if (files_.cancel) {
        files_.cancel->store(true);
        failed_ = false;  // the run stops for the cancel, not for a failure
        return length;
      }
      return room;
    }

    std::unique_ptr<ByteSink> out_;
    FailingFiles& files_;
    bool failed_ = false;
  };
};

TEST(WriteBehindTest, LongSourcesGiveTheBytesEventsAndReportOfWritingInTurn) {
  const auto a = LongSource(1), b = LongSource(2);
  ASSERT_GT(a.size(), 16u << 20);
  for (const auto& op : kOperations) {
    SCOPED_TRACE(op.name);
    const auto reference = InMemory(op, a, b);
    TempDir dir;
    WriteFile(dir.File("a.mp3"), a);
    WriteFile(dir.File("b.mp3"), b);
    RecordingSink sink;
    OperationReport report;
    FailingFiles files;  // none fails
    ASSERT_EQ(op.run(files, [&](const std::string& n) { return dir.File(n); }, &sink,
                     {nullptr, nullptr, &report}),
              ResultCode::Success);
    EXPECT_EQ(sink.events, reference.events);
    ASSERT_EQ(report.written.size(), op.outputs.size());
    for (std::size_t k = 0; k < op.outputs.size(); ++k) {
      EXPECT_EQ(report.written[k], dir.File(op.outputs[k]));
      EXPECT_TRUE(SameBytes(ReadFile(dir.File(op.outputs[k])), reference.outputs[k]))
          << op.outputs[k];
    }
    EXPECT_EQ(ListFolder(dir.Path()).size(), 2 + op.outputs.size());  // nothing else
  }
}

// A write that fails, at the first byte or in the middle of a piece, or a cancel in the middle of
// one, while the writes are behind the reading: the outputs before it are whole, the ones after
// it are not there, nor any temporary file, and the report names the first one missing.
TEST(WriteBehindTest, FailureOrCancelLeavesExactlyTheOutputsBeforeIt) {
  const auto a = LongSource(3), b = LongSource(4);
  struct Case {
    std::size_t op;
    std::size_t failing;  // index into the operation's outputs
    std::uint64_t after;
    bool cancel = false;
  };
  const Case cases[] = {
      {0, 1, 0},         {0, 1, 3'000'000},       {0, 3, 5'000'000},       {1, 2, 2'000'000},
      {2, 0, 9'000'000}, {0, 1, 3'000'000, true}, {2, 0, 12'000'000, true}};
  for (const auto& c : cases) {
    const auto& op = kOperations[c.op];
    SCOPED_TRACE(::testing::Message() << op.name << " output " << c.failing << " after " << c.after
                                      << (c.cancel ? " cancel" : ""));
    const auto reference = InMemory(op, a, b);
    TempDir dir;
    WriteFile(dir.File("a.mp3"), a);
    WriteFile(dir.File("b.mp3"), b);
    std::atomic<bool> cancel{false};
    FailingFiles files;
    files.failing = dir.File(op.outputs[c.failing]);
    files.failAfter = c.after;
    if (c.cancel) files.cancel = &cancel;
    RecordingSink sink;
    OperationReport report;
    ASSERT_EQ(op.run(files, [&](const std::string& n) { return dir.File(n); }, &sink,
                     {&cancel, nullptr, &report}),
              ResultCode::OpenFailed);
    EXPECT_EQ(report.failure.what, c.cancel ? FailureKind::Cancelled : FailureKind::Write);
    EXPECT_EQ(report.failure.error, c.cancel ? 0 : ENOSPC);
    // The outputs there: those before the failing one; for a cancel, which the reading side
    // sees later, perhaps the failing one too, once it was all written out.
    auto there = ListFolder(dir.Path());
    std::erase_if(there, [](const std::string& n) { return n == "a.mp3" || n == "b.mp3"; });
    ASSERT_TRUE(there.size() == c.failing || (c.cancel && there.size() == c.failing + 1))
        << there.size();
    EXPECT_EQ(report.failure.path, dir.File(op.outputs[there.size()]));
    EXPECT_EQ(report.written.size(), there.size());
    for (std::size_t k = 0; k < there.size(); ++k) {
      EXPECT_EQ(there[k], op.outputs[k]);
      EXPECT_TRUE(SameBytes(ReadFile(dir.File(there[k])), reference.outputs[k])) << there[k];
    }
    EXPECT_EQ(sink.events,
              std::vector<std::string>(reference.events.begin(),
                                       reference.events.begin() + static_cast<long>(there.size())));
  }
}

}  // namespace
}  // namespace tandrel
