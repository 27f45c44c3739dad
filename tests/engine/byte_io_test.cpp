#include "tandrel/byte_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "fixtures/byte_compare.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"

namespace tandrel {
namespace {

using namespace fixtures;

// A sink whose writes fail from the Nth on (counted from 1), as on a full disk.
struct FailingSink final : ByteSink {
  explicit FailingSink(int n) : failAt(n) {}
  bool Write(std::span<const std::uint8_t>) override { return ++writes < failAt; }
  bool WriteAt(std::uint64_t, std::span<const std::uint8_t>) override { return writes < failAt; }
  std::uint64_t Written() const override { return 0; }
  bool Finish() override { return writes < failAt; }
  const int failAt;
  int writes = 0;
};

// Every pairing of memory and file backends appends exactly the range to what the sink holds; a
// range past the end copies what there is and fails, as does a failed write.
TEST(CopyByteRangeTest, CopiesExactlyTheRange) {
  TempDir dir;
  const auto bytes = MakeSamples(700'000, 3), head = MakeSamples(4, 1);
  WriteFile(dir.File("source"), bytes);
  const std::pair<std::uint64_t, std::uint64_t> ranges[] = {
      {0, 0}, {5, 5}, {0, 1}, {100, 8293}, {699'990, 700'000}, {0, 700'000}, {699'900, 700'100}};
  for (int backends = 0; backends < 4; ++backends) {
    for (const auto& [from, to] : ranges) {
      SCOPED_TRACE(::testing::Message() << backends << " [" << from << ", " << to << ")");
      std::unique_ptr<ByteSource> source = OpenFileSource(dir.File("source"));
      if (backends & 1) source = std::make_unique<MemorySource>(bytes);
      std::unique_ptr<ByteSink> sink = std::make_unique<MemorySink>();
      if (backends & 2) sink = CreateFileSink(dir.File("target"));
      ASSERT_TRUE(source && sink && sink->Write(head));
      EXPECT_EQ(CopyByteRange(*source, *sink, from, to), to <= bytes.size());
      ASSERT_TRUE(sink->Finish());
      auto expected = head;
      expected.insert(expected.end(), bytes.begin() + from,
                      bytes.begin() + std::min<std::uint64_t>(to, bytes.size()));
      EXPECT_TRUE(SameBytes(
          backends & 2 ? ReadFile(dir.File("target")) : static_cast<MemorySink&>(*sink).Bytes(),
          expected));
    }
  }
  for (int failAt = 1; failAt <= 3; ++failAt) {  // 3 buffers
    MemorySource source(bytes);
    FailingSink sink(failAt);
    EXPECT_FALSE(CopyByteRange(source, sink, 0, 690'000)) << "write " << failAt;
  }
}

// Until Finish the bytes live under a hidden temporary name beside the target, which keeps what it
// held; unfinished, they leave nothing. WriteAt reaches bytes on disk, bytes still buffered and
// ranges across the two, never past the end; kernel-side appends keep their place.
TEST(FileSinkTest, WritesLandInPlaceUnderTheFinalNameOnlyAfterFinish) {
  TempDir dir;
  const auto path = dir.File("piece.mp3");
  const auto bytes = MakeSamples(200'000, 9), old = MakeSamples(3, 1), text = MakeSamples(11, 2);
  const std::vector<std::string> names = {"piece.mp3", "source"};
  WriteFile(dir.File("source"), bytes);
  WriteFile(path, old);
  EXPECT_TRUE(CreateFileSink(path)->Write(bytes));  // and gone, unfinished
  EXPECT_EQ(ListFolder(dir.Path()), names);
  const auto source = OpenFileSource(dir.File("source"));
  auto sink = CreateFileSink(path);
  auto model = MakeSamples(300'000);
  // The first part goes to disk when the second does not fit the buffer; the second stays there.
  ASSERT_TRUE(source && sink && sink->Write(std::span(model).first(262'000)) &&
              sink->Write(std::span(model).subspan(262'000)));
  auto overwrite = [&](std::uint64_t at) {
    ASSERT_TRUE(sink->WriteAt(at, text)) << at;
    std::copy(text.begin(), text.end(), model.begin() + static_cast<std::ptrdiff_t>(at));
  };
  for (const std::uint64_t at : {299'980u, 261'997u, 10u}) overwrite(at);
  ASSERT_EQ(sink->Append(*source, 1000, 150'000), 150'000u);
  ASSERT_TRUE(sink->Write(old));
  model.insert(model.end(), bytes.begin() + 1000, bytes.begin() + 151'000);
  model.insert(model.end(), old.begin(), old.end());
  for (const std::uint64_t at : {std::size_t{299'995}, model.size() - text.size()}) overwrite(at);
  EXPECT_FALSE(sink->WriteAt(model.size() - 2, old));
  EXPECT_EQ(sink->Written(), model.size());
  const auto during = ListFolder(dir.Path());
  ASSERT_EQ(during.size(), 3u);
  EXPECT_TRUE(during[0].starts_with(".piece.mp3.") && during[0].ends_with(".part")) << during[0];
  EXPECT_TRUE(SameBytes(ReadFile(path), old));
  ASSERT_TRUE(sink->Finish());
  sink.reset();
  EXPECT_EQ(ListFolder(dir.Path()), names);
  EXPECT_TRUE(SameBytes(ReadFile(path), model));
}

// A file under two names has one identity, a copy its own. Folders, missing files and named
// pipes are refused; opening a pipe must not wait for a writer.
TEST(FileIoTest, RegularFilesOnly) {
  TempDir dir;
  const auto path = dir.File("a.wav"), pipe = dir.File("pipe.wav");
  WriteFile(path, MakeSamples(10));
  WriteFile(dir.File("c.wav"), MakeSamples(10));
  ASSERT_EQ(::link(path.c_str(), dir.File("b.wav").c_str()), 0);
  EXPECT_EQ(OpenFileSource(dir.File("b.wav"))->Identity(), GetFileIdentity(path));
  EXPECT_TRUE(GetFileIdentity(path) && GetFileIdentity(path) != GetFileIdentity(dir.File("c.wav")));
  EXPECT_FALSE(GetFileIdentity(dir.File("missing")));
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const auto& target : {pipe, dir.Path(), dir.File("missing/out.wav"), dir.Path() + "/"}) {
    EXPECT_EQ(CreateFileSink(target), nullptr) << target;
  }
  EXPECT_EQ(OpenFileSource(dir.File("missing")), nullptr);
  EXPECT_EQ(OpenFileSource(dir.Path()), nullptr);
  auto opened = std::async(std::launch::async, [&] { return OpenFileSource(pipe) != nullptr; });
  const bool waited = opened.wait_for(std::chrono::seconds(2)) == std::future_status::timeout;
  if (waited) ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));  // let it go
  EXPECT_FALSE(waited);
  EXPECT_FALSE(opened.get());
  EXPECT_EQ(ListFolder(dir.Path()).size(), 4u);  // a, b, c and the pipe: nothing half-made
}

}  // namespace
}  // namespace tandrel
