#include "tandrel_engine/byte_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>

#include "fixtures/byte_compare.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"

namespace tandrel {
namespace {

using namespace fixtures;

// Every pairing of memory and file backends appends exactly the range to what the sink holds; a
// range past the end copies what there is and fails. (Failed writes: tests/operations.)
TEST(CopyByteRangeTest, CopiesExactlyTheRange) {
  TempDir dir;
  const auto bytes = MakeSamples(700'000, 3), head = MakeSamples(4, 1);
  WriteFile(dir.File("source"), bytes);
  for (int backends = 0; backends < 4; ++backends) {
    for (const auto& [from, to] : {std::pair<std::uint64_t, std::uint64_t>{5, 5},
                                   {100, 8293},
                                   {0, 700'000},
                                   {699'900, 700'100}}) {
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
}

// True when the folder's file system has unnamed files (O_TMPFILE).
bool HasUnnamedFiles(const std::string& folder) {
#ifdef O_TMPFILE
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
#else
  return false;
#endif
}

// Until Finish the bytes live in an unnamed file in the target's folder (or, where the file system
// has none, under a hidden temporary name beside the target), which keeps what it held;
// unfinished, they leave nothing. WriteAt reaches bytes on disk and bytes still buffered, never
// past the end; kernel-side appends keep their place.
TEST(FileSinkTest, WritesLandInPlaceUnderTheFinalNameOnlyAfterFinish) {
  TempDir dir;
  const auto path = dir.File("piece.mp3");
  const auto bytes = MakeSamples(200'000, 9), old = MakeSamples(3, 1), text = MakeSamples(11, 2);
  WriteFile(dir.File("source"), bytes);
  WriteFile(path, old);
  EXPECT_TRUE(CreateFileSink(path)->Write(bytes));  // and gone, unfinished
  const auto source = OpenFileSource(dir.File("source"));
  auto sink = CreateFileSink(path);
  auto model = MakeSamples(300'000);
  // The first part goes to disk when the second does not fit the buffer; the second stays there.
  ASSERT_TRUE(source && sink && sink->Write(std::span(model).first(262'000)) &&
              sink->Write(std::span(model).subspan(262'000)));
  ASSERT_EQ(sink->Append(*source, 1000, 150'000), 150'000u);
  model.insert(model.end(), bytes.begin() + 1000, bytes.begin() + 151'000);
  for (const std::uint64_t at : {261'997u, 10u, 449'989u}) {
    ASSERT_TRUE(sink->WriteAt(at, text)) << at;
    std::copy(text.begin(), text.end(), model.begin() + static_cast<std::ptrdiff_t>(at));
  }
  EXPECT_FALSE(sink->WriteAt(model.size() - 2, old));
  EXPECT_EQ(sink->Written(), model.size());
  if (HasUnnamedFiles(dir.Path())) {
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"piece.mp3", "source"}));
  } else {
    EXPECT_TRUE(ListFolder(dir.Path())[0].starts_with(".piece.mp3."));
  }
  EXPECT_TRUE(SameBytes(ReadFile(path), old));
  ASSERT_TRUE(sink->Finish());
  sink.reset();
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"piece.mp3", "source"}));
  EXPECT_TRUE(SameBytes(ReadFile(path), model));
}

// A finished output that cannot take its name (a folder appeared there meanwhile) says so, with
// the errno, and leaves no file of its own behind.
TEST(FileSinkTest, NamingFailureIsToldAndLeavesNothing) {
  TempDir dir;
  const auto path = dir.File("piece.mp3");
  WriteFile(path, MakeSamples(3));
  auto sink = CreateFileSink(path);
  ASSERT_TRUE(sink && sink->Write(MakeSamples(1000)));
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_FALSE(sink->Finish());
  EXPECT_TRUE(sink->NamingFailed());
  EXPECT_EQ(sink->Error(), EISDIR);
  sink.reset();
  EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"piece.mp3"});
  int error = 0;
  EXPECT_EQ(CreateFileSink(path, &error), nullptr);
  EXPECT_EQ(error, EISDIR);
  EXPECT_EQ(CreateFileSink(dir.File("none/piece.mp3"), &error), nullptr);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(OpenFileSource(dir.File("none"), &error), nullptr);
  EXPECT_EQ(error, ENOENT);
}

// A file has one identity, whether opened or not. Folders and named pipes are refused; opening a
// pipe must not wait for a writer. (Hard links and outputs: tests/operations/real_files_test.)
TEST(FileIoTest, RegularFilesOnly) {
  TempDir dir;
  const auto path = dir.File("a.wav"), pipe = dir.File("pipe.wav");
  WriteFile(path, MakeSamples(10));
  EXPECT_EQ(OpenFileSource(path)->Identity(), GetFileIdentity(path));
  EXPECT_FALSE(GetFileIdentity(dir.File("missing")));
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(OpenFileSource(dir.Path()), nullptr);
  auto opened = std::async(std::launch::async, [&] { return OpenFileSource(pipe) != nullptr; });
  const bool waited = opened.wait_for(std::chrono::seconds(2)) == std::future_status::timeout;
  if (waited) ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));  // let it go
  EXPECT_FALSE(waited);
  EXPECT_FALSE(opened.get());
}

}  // namespace
}  // namespace tandrel
