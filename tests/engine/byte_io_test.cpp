#include "tandrel/byte_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/io_doubles.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"

namespace tandrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Slice(const Bytes& bytes, std::uint64_t from, std::uint64_t to) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

TEST(MemorySinkTest, AppendsAndOverwritesOnlyWhatWasWritten) {
  MemorySink sink;
  ASSERT_TRUE(sink.Write(Text("abcdef")));
  ASSERT_TRUE(sink.Write(Text("gh")));
  EXPECT_TRUE(sink.WriteAt(2, Text("XY")));
  EXPECT_TRUE(sink.WriteAt(6, Text("ZZ")));
  EXPECT_FALSE(sink.WriteAt(7, Text("ZZ")));
  EXPECT_FALSE(sink.WriteAt(9, Text("")));
  EXPECT_EQ(sink.Written(), 8u);
  EXPECT_TRUE(fixtures::SameBytes(sink.Bytes(), Text("abXYefZZ")));
  EXPECT_FALSE(sink.Finished());
  EXPECT_TRUE(sink.Finish());
  EXPECT_TRUE(sink.Finished());
}

// Reads of any size at any position give the source's bytes, across the buffer's edges.
TEST(ByteReaderTest, ReadsAcrossBufferEdges) {
  const auto bytes = fixtures::MakeSamples(200'000);
  MemorySource source(bytes);
  ByteReader reader(source);
  constexpr std::uint64_t kEdge = ByteReader::kBufferSize;
  struct Case {
    std::uint64_t at;
    std::size_t size;
  };
  const Case cases[] = {{0, 4},       {kEdge - 2, 4}, {10, kEdge + 10},      {kEdge - 1, 1},
                        {0, 200'000}, {5, 417},       {kEdge * 2 - 3, 1441}, {199'998, 4},
                        {200'000, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.size << " bytes at " << c.at);
    reader.Seek(c.at);
    Bytes dst(c.size);
    const auto n = reader.Read(dst);
    const auto end = std::min<std::uint64_t>(c.at + c.size, bytes.size());
    const auto expected = c.at < bytes.size() ? Slice(bytes, c.at, end) : Bytes{};
    dst.resize(n);
    EXPECT_TRUE(fixtures::SameBytes(dst, expected));
    EXPECT_EQ(reader.Tell(), c.at + n);

    reader.Seek(c.at);
    const auto peekSize = std::min<std::size_t>(c.size, ByteReader::kBufferSize);
    const auto peek = reader.Peek(peekSize);
    if (c.at + peekSize <= bytes.size()) {
      EXPECT_TRUE(fixtures::SameBytes(peek, Slice(bytes, c.at, c.at + peekSize)));
    } else {
      EXPECT_TRUE(peek.empty());
    }
    EXPECT_EQ(reader.Tell(), c.at);
    const auto available = reader.Available();
    if (c.at < bytes.size()) {
      ASSERT_FALSE(available.empty());
      EXPECT_EQ(available[0], bytes[c.at]);
      EXPECT_LE(c.at + available.size(), bytes.size());
    } else {
      EXPECT_TRUE(available.empty());
    }
  }
  reader.Seek(0);
  EXPECT_TRUE(reader.Peek(ByteReader::kBufferSize + 1).empty());
}

// Reading a file frame by frame costs one source read per buffer, not one per frame.
TEST(ByteReaderTest, SmallReadsAreServedFromTheBuffer) {
  const std::size_t size = 1'000'000;
  fixtures::FailingSource source(fixtures::MakeSamples(size), 0);
  ByteReader reader(source);
  Bytes frame(417);
  std::size_t total = 0;
  while (const auto n = reader.Read(frame)) total += n;
  EXPECT_EQ(total, size);
  // One read per buffer, and the reads that find the end.
  EXPECT_LE(source.ReadCount(), static_cast<int>(size / ByteReader::kBufferSize) + 3);
}

// The four pairings of memory and file backends.
struct Backends {
  const char* name;
  bool fileSource;
  bool fileSink;
};
void PrintTo(const Backends& backends, std::ostream* os) {
  *os << backends.name;
}

const Backends kBackends[] = {
    {"memory to memory", false, false},
    {"memory to file", false, true},
    {"file to memory", true, false},
    {"file to file", true, true},
};

class CopyByteRangeTest : public ::testing::TestWithParam<Backends> {
 protected:
  // Copies [from, to) after a 4-byte prefix already in the sink; returns what the target holds.
  Bytes Copy(const Bytes& bytes, std::uint64_t from, std::uint64_t to, bool* copied) {
    const auto& backends = GetParam();
    std::unique_ptr<ByteSource> source;
    if (backends.fileSource) {
      fixtures::WriteFile(dir_.File("source"), bytes);
      source = OpenFileSource(dir_.File("source"));
    } else {
      source = std::make_unique<MemorySource>(bytes);
    }
    EXPECT_TRUE(source);
    if (!source) return {};
    const auto target = dir_.File("target");
    std::unique_ptr<ByteSink> sink;
    if (backends.fileSink) {
      sink = CreateFileSink(target);
    } else {
      sink = std::make_unique<MemorySink>();
    }
    EXPECT_TRUE(sink);
    if (!sink) return {};
    EXPECT_TRUE(sink->Write(Text("HEAD")));
    *copied = CopyByteRange(*source, *sink, from, to);
    EXPECT_TRUE(sink->Finish());
    if (backends.fileSink) return fixtures::ReadFile(target);
    return static_cast<MemorySink&>(*sink).Bytes();
  }

  fixtures::TempDir dir_;
};

TEST_P(CopyByteRangeTest, CopiesExactlyTheRange) {
  const auto bytes = fixtures::MakeSamples(700'000, 3);
  struct Range {
    std::uint64_t from;
    std::uint64_t to;
  };
  const Range ranges[] = {
      {0, 0},
      {5, 5},
      {0, 1},
      {1, 8192},
      {100, 8293},
      {0, 300'000},
      {70'000, 400'000},
      {123, 700'000},
      {699'990, 700'000},
      {0, 700'000},
  };
  for (const auto& r : ranges) {
    SCOPED_TRACE(::testing::Message() << "[" << r.from << ", " << r.to << ")");
    bool copied = false;
    const auto target = Copy(bytes, r.from, r.to, &copied);
    EXPECT_TRUE(copied);
    auto expected = Text("HEAD");
    const auto range = Slice(bytes, r.from, r.to);
    expected.insert(expected.end(), range.begin(), range.end());
    EXPECT_TRUE(fixtures::SameBytes(target, expected));
  }
}

TEST_P(CopyByteRangeTest, RangePastTheEndCopiesWhatThereIsAndFails) {
  const auto bytes = fixtures::MakeSamples(100'000, 4);
  for (const std::uint64_t from : {99'900u, 0u}) {
    bool copied = true;
    const auto target = Copy(bytes, from, 100'100, &copied);
    EXPECT_FALSE(copied);
    auto expected = Text("HEAD");
    const auto range = Slice(bytes, from, bytes.size());
    expected.insert(expected.end(), range.begin(), range.end());
    EXPECT_TRUE(fixtures::SameBytes(target, expected)) << "from " << from;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, CopyByteRangeTest, ::testing::ValuesIn(kBackends),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (auto& ch : name) {
                             if (ch == ' ') ch = '_';
                           }
                           return name;
                         });

TEST(CopyByteRangeFailureTest, FailedReadOrWriteIsReported) {
  const auto bytes = fixtures::MakeSamples(600'000, 5);
  for (int failAt = 1; failAt <= 3; ++failAt) {
    fixtures::FailingSource source(bytes, failAt);
    MemorySink sink;
    EXPECT_FALSE(CopyByteRange(source, sink, 10, 590'000)) << "read " << failAt;
    ASSERT_LE(sink.Bytes().size(), 589'990u);
    EXPECT_TRUE(fixtures::SameBytes(sink.Bytes(), Slice(bytes, 10, 10 + sink.Bytes().size())));
  }
  for (int failAt = 1; failAt <= 2; ++failAt) {
    MemorySource source(bytes);
    fixtures::FailingSink sink(fixtures::FailingSink::Operation::Write, failAt);
    EXPECT_FALSE(CopyByteRange(source, sink, 0, 600'000)) << "write " << failAt;
  }
}

// An empty span may carry a null pointer; reading or writing nothing through one is no error.
TEST(ByteIoTest, EmptySpansReadAndWriteNothing) {
  const auto bytes = fixtures::MakeSamples(100);
  MemorySource source(bytes);
  EXPECT_EQ(source.ReadAt(3, {}), 0u);
  ByteReader reader(source);
  ASSERT_FALSE(reader.Peek(4).empty());
  EXPECT_EQ(reader.Read({}), 0u);
  EXPECT_EQ(reader.Tell(), 0u);

  fixtures::TempDir dir;
  auto sink = CreateFileSink(dir.File("out"));
  ASSERT_TRUE(sink);
  ASSERT_TRUE(sink->Write(bytes));
  EXPECT_TRUE(sink->WriteAt(50, {}));
  ASSERT_TRUE(sink->Finish());
  EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(dir.File("out")), bytes));
}

class FileSinkTest : public ::testing::Test {
 protected:
  fixtures::TempDir dir_;
};

// Until Finish the bytes live under a hidden temporary name beside the target.
TEST_F(FileSinkTest, FinalNameOnlyAfterFinish) {
  const auto path = dir_.File("piece.mp3");
  fixtures::WriteFile(path, Text("old content"));
  auto sink = CreateFileSink(path);
  ASSERT_TRUE(sink);
  const auto bytes = fixtures::MakeSamples(300'000);
  ASSERT_TRUE(sink->Write(bytes));
  EXPECT_EQ(sink->Written(), bytes.size());
  EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(path), Text("old content")));
  const auto during = fixtures::ListFolder(dir_.Path());
  ASSERT_EQ(during.size(), 2u);
  EXPECT_EQ(during[0].rfind(".piece.mp3.", 0), 0u) << during[0];
  EXPECT_TRUE(during[0].ends_with(".part")) << during[0];

  ASSERT_TRUE(sink->Finish());
  EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(path), bytes));
  EXPECT_EQ(fixtures::ListFolder(dir_.Path()), std::vector<std::string>{"piece.mp3"});
  sink.reset();
  EXPECT_EQ(fixtures::ListFolder(dir_.Path()), std::vector<std::string>{"piece.mp3"});
}

TEST_F(FileSinkTest, DestroyedUnfinishedLeavesNothingBehind) {
  {
    auto sink = CreateFileSink(dir_.File("new.wav"));
    ASSERT_TRUE(sink);
    ASSERT_TRUE(sink->Write(fixtures::MakeSamples(400'000)));
  }
  EXPECT_TRUE(fixtures::ListFolder(dir_.Path()).empty());

  const auto existing = dir_.File("existing.wav");
  fixtures::WriteFile(existing, Text("keep me"));
  {
    auto sink = CreateFileSink(existing);
    ASSERT_TRUE(sink);
    ASSERT_TRUE(sink->Write(Text("replacement")));
  }
  EXPECT_EQ(fixtures::ListFolder(dir_.Path()), std::vector<std::string>{"existing.wav"});
  EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(existing), Text("keep me")));
}

TEST_F(FileSinkTest, RefusesTargetsThatAreNoFile) {
  ASSERT_EQ(::mkdir(dir_.File("folder").c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo(dir_.File("pipe.wav").c_str(), 0600), 0);
  const std::string targets[] = {
      dir_.File("folder"),
      dir_.File("pipe.wav"),
      dir_.File("missing") + "/out.wav",
      dir_.Path() + "/",
      "",
  };
  for (const auto& target : targets) {
    EXPECT_EQ(CreateFileSink(target), nullptr) << '"' << target << '"';
  }
  EXPECT_EQ(fixtures::ListFolder(dir_.Path()), (std::vector<std::string>{"folder", "pipe.wav"}));
}

// WriteAt reaches bytes already on disk, bytes still buffered, and ranges across the two;
// kernel-side appends keep their place among buffered writes.
TEST_F(FileSinkTest, OverwritesAndAppendsLandInPlace) {
  const auto sourceBytes = fixtures::MakeSamples(200'000, 9);
  fixtures::WriteFile(dir_.File("source"), sourceBytes);
  const auto source = OpenFileSource(dir_.File("source"));
  ASSERT_TRUE(source);
  const auto path = dir_.File("out");
  auto sink = CreateFileSink(path);
  ASSERT_TRUE(sink);

  Bytes model;
  auto write = [&](const Bytes& bytes) {
    ASSERT_TRUE(sink->Write(bytes));
    model.insert(model.end(), bytes.begin(), bytes.end());
  };
  auto writeAt = [&](std::uint64_t at, const Bytes& bytes) {
    ASSERT_TRUE(sink->WriteAt(at, bytes)) << "at " << at;
    std::copy(bytes.begin(), bytes.end(), model.begin() + static_cast<std::ptrdiff_t>(at));
  };
  for (int i = 0; i < 300; ++i) write(fixtures::MakeSamples(1000, static_cast<std::uint32_t>(i)));
  // 262 000 bytes went to disk when the next write did not fit the buffer; the rest is buffered.
  writeAt(299'990, Text("buffered"));
  writeAt(262'000, Text("first buffered"));
  writeAt(261'997, Text("across"));
  writeAt(10, Text("flushed"));
  ASSERT_EQ(sink->Append(*source, 1000, 150'000), 150'000u);
  model.insert(model.end(), sourceBytes.begin() + 1000, sourceBytes.begin() + 151'000);
  write(Text("tail"));
  writeAt(299'998, Text("over the append"));
  writeAt(model.size() - 4, Text("TAIL"));
  EXPECT_FALSE(sink->WriteAt(model.size() - 2, Text("long")));
  EXPECT_EQ(sink->Written(), model.size());
  ASSERT_TRUE(sink->Finish());
  EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(path), model));
}

TEST(FileSourceTest, OpensRegularFilesOnly) {
  fixtures::TempDir dir;
  const auto path = dir.File("a.wav");
  fixtures::WriteFile(path, Text("0123456789"));
  const auto source = OpenFileSource(path);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->Size(), 10u);
  Bytes dst(4);
  EXPECT_EQ(source->ReadAt(8, dst), 2u);
  EXPECT_EQ(source->ReadAt(10, dst), 0u);
  EXPECT_GE(source->NativeHandle(), 0);

  ASSERT_EQ(::link(path.c_str(), dir.File("b.wav").c_str()), 0);
  fixtures::WriteFile(dir.File("c.wav"), Text("0123456789"));
  ASSERT_TRUE(source->Identity().has_value());
  EXPECT_EQ(source->Identity(), GetFileIdentity(path));
  EXPECT_EQ(GetFileIdentity(dir.File("b.wav")), GetFileIdentity(path));
  EXPECT_NE(GetFileIdentity(dir.File("c.wav")), GetFileIdentity(path));
  EXPECT_FALSE(GetFileIdentity(dir.File("missing")).has_value());

  EXPECT_EQ(OpenFileSource(dir.File("missing")), nullptr);
  EXPECT_EQ(OpenFileSource(dir.Path()), nullptr);
  EXPECT_FALSE(MemorySource(Bytes{}).Identity().has_value());
}

// A named pipe is no audio file; opening one must not wait for a writer.
TEST(FileSourceTest, NamedPipeIsRefusedWithoutWaiting) {
  fixtures::TempDir dir;
  const auto pipe = dir.File("pipe.mp3");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  auto opened = std::async(std::launch::async, [&] { return OpenFileSource(pipe) != nullptr; });
  const bool waited = opened.wait_for(std::chrono::seconds(2)) == std::future_status::timeout;
  if (waited) ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));  // let it go
  EXPECT_FALSE(waited);
  EXPECT_FALSE(opened.get());
}

}  // namespace
}  // namespace tandrel
