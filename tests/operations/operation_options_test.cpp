// The options of the operations: bytes wrapped around each output, cancelling, and the report of
// what was written and what failed.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>

#include "fixtures/byte_compare.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"
#include "memory_file_system.h"
#include "output_bytes.h"
#include "tandrel_engine/operations.h"

namespace tandrel {
namespace {

using namespace fixtures;
using namespace tandrel::testing;

// Random bytes (sync-like 0xFF included) before and after each piece, different for each piece;
// remembers what it was told.
class RandomWrap final : public OutputWrap {
 public:
  std::vector<std::uint8_t> Before(const OutputPiece& piece) override {
    pieces.push_back(piece);
    if (cancelAt == piece.index && cancel) cancel->store(true);
    return RandomBytes(beforeSize, 100 + piece.index);
  }
  std::vector<std::uint8_t> After(const OutputPiece& piece) override {
    return RandomBytes(afterSize, 200 + piece.index);
  }
  bool CountsFrames() const override { return counts; }
  bool counts = true;
  std::size_t beforeSize = 300, afterSize = 129;
  std::vector<OutputPiece> pieces;
  int cancelAt = 0;
  std::atomic<bool>* cancel = nullptr;
};

Bytes Join3(const Bytes& a, const Bytes& b, const Bytes& c) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  out.insert(out.end(), c.begin(), c.end());
  return out;
}

// MP3 cuts: the wrapped piece is Before, exactly the piece written without a wrap (info frame
// and frames), then After; the wrap is told the frames the piece holds, unless it knows them.
TEST(OperationOptionsTest, Mp3PiecesAreBeforeThenThePlainPieceThenAfter) {
  struct Case {
    std::size_t tag;
    bool info;
    bool counts = true;
  };
  const Case cases[] = {{0, false}, {700, false}, {0, true}, {700, true}, {700, true, false}};
  const char* list = "1;500;/o/1.mp3|501;1000;/o/2.mp3|1001;-1;/o/3.mp3";
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "tag " << c.tag << " info " << c.info << " counts " << c.counts);
    Mp3Builder b;
    if (c.tag) b.Id3v2(c.tag);
    if (c.info) b.Xing(FrameSpec{}, XingFields{});
    b.Frames(FrameSpec{}, 60);
    MemoryFileSystem plain, wrapped;
    plain.Put("/s.mp3", b.Bytes());
    wrapped.Put("/s.mp3", b.Bytes());
    ASSERT_EQ(CutByTime("/s.mp3", list, 3, nullptr, plain), ResultCode::Success);
    RandomWrap wrap;
    wrap.counts = c.counts;
    OperationReport report;
    ASSERT_EQ(CutByTime("/s.mp3", list, 3, nullptr, {nullptr, &wrap, &report}, wrapped),
              ResultCode::Success);
    EXPECT_EQ(report.written, (std::vector<std::string>{"/o/1.mp3", "/o/2.mp3", "/o/3.mp3"}));
    ASSERT_EQ(wrap.pieces.size(), 3u);
    std::uint64_t frames = 0;
    for (int k = 1; k <= 3; ++k) {
      const auto path = "/o/" + std::to_string(k) + ".mp3";
      const auto& piece = wrap.pieces[k - 1];
      const auto& expected = plain.Get(path);
      EXPECT_TRUE(SameBytes(wrapped.Get(path),
                            Join3(RandomBytes(300, 100 + k), expected, RandomBytes(129, 200 + k))))
          << path;
      const auto inPiece = SplitFrames(expected).size() - (c.info ? 1 : 0);
      EXPECT_EQ(piece.index, k);
      EXPECT_EQ(piece.count, 3);
      EXPECT_EQ(piece.path, path);
      EXPECT_EQ(piece.kind, AudioKind::Mp3);
      EXPECT_EQ(piece.frames, c.counts ? inPiece : 0) << path;
      EXPECT_EQ(piece.samples, c.counts ? inPiece * 1152 : 0) << path;
      EXPECT_EQ(piece.sampleRate, 44100u);
      frames += inPiece;
    }
    EXPECT_EQ(frames, 60u);
  }
}

// A cut by size counts its pieces for the wrap; a join's Before takes the place of the first
// input's tag, and its info frame is completed where it now lies.
TEST(OperationOptionsTest, CutBySizeCountsPiecesAndJoinBeforeReplacesTheTag) {
  Mp3Builder a, b;
  a.Id3v2(900).Xing(FrameSpec{}, XingFields{}).Frames(FrameSpec{}, 25);
  b.Id3v2(50).Frames(FrameSpec{}, 12);
  MemoryFileSystem plain, wrapped;
  for (auto* fs : {&plain, &wrapped}) {
    fs->Put("/a.mp3", a.Bytes());
    fs->Put("/b.mp3", b.Bytes());
  }
  RandomWrap wrap;
  ASSERT_EQ(CutBySize("/a.mp3", 4000, "/o", nullptr, {nullptr, &wrap, nullptr}, wrapped),
            ResultCode::Success);
  ASSERT_EQ(wrap.pieces.size(), 3u);  // 25 frames of 417 bytes: 10, 10, 5
  for (const auto& piece : wrap.pieces) EXPECT_EQ(piece.count, 3);
  EXPECT_EQ(wrap.pieces[2].frames, 5u);

  ASSERT_EQ(Join("/j.mp3", "/a.mp3|/b.mp3", 2, nullptr, plain), ResultCode::Success);
  RandomWrap joinWrap;
  ASSERT_EQ(Join("/j.mp3", "/a.mp3|/b.mp3", 2, nullptr, {nullptr, &joinWrap, nullptr}, wrapped),
            ResultCode::Success);
  ASSERT_EQ(joinWrap.pieces.size(), 1u);
  EXPECT_EQ(joinWrap.pieces[0].frames, 37u);
  RandomWrap knowing;  // the same bytes, told no frames
  knowing.counts = false;
  MemoryFileSystem told;
  told.Put("/a.mp3", a.Bytes());
  told.Put("/b.mp3", b.Bytes());
  ASSERT_EQ(Join("/j.mp3", "/a.mp3|/b.mp3", 2, nullptr, {nullptr, &knowing, nullptr}, told),
            ResultCode::Success);
  EXPECT_EQ(knowing.pieces.at(0).frames, 0u);
  EXPECT_TRUE(SameBytes(told.Get("/j.mp3"), wrapped.Get("/j.mp3")));
  EXPECT_EQ(joinWrap.pieces[0].index, 1);
  EXPECT_EQ(joinWrap.pieces[0].count, 1);
  const auto& expected = plain.Get("/j.mp3");
  const auto audio = Slice(expected, 910, expected.size());  // without the first input's tag
  EXPECT_TRUE(
      SameBytes(wrapped.Get("/j.mp3"), Join3(RandomBytes(300, 101), audio, RandomBytes(129, 201))));
}

// WAVE: the Before chunks between fmt and data, After behind the data and its pad byte; the RIFF
// size counts them. Without After, no pad byte, as without a wrap.
TEST(OperationOptionsTest, WaveChunksGoAroundTheDataChunk) {
  const auto samples = MakeSamples(4001, 5);  // odd: 8-bit mono
  WaveFormat mono8;
  mono8.channels = 1;
  mono8.bitsPerSample = 8;
  const auto source = WaveBuilder(mono8).Fmt().List().Data(samples).Bytes();
  for (const std::size_t after : {129u, 0u}) {
    MemoryFileSystem fs;
    fs.Put("/s.wav", source);
    RandomWrap wrap;
    wrap.afterSize = after;
    ASSERT_EQ(CutByTime("/s.wav", "1;-1;/o.wav", 1, nullptr, {nullptr, &wrap, nullptr}, fs),
              ResultCode::Success);
    const auto& out = fs.Get("/o.wav");
    const auto canonical = MakeCanonicalWaveHeader(mono8, 4001);
    Bytes expected = Slice(canonical, 0, 36);
    const auto before = RandomBytes(300, 101);
    expected.insert(expected.end(), before.begin(), before.end());
    expected.insert(expected.end(), canonical.begin() + 36, canonical.end());
    expected.insert(expected.end(), samples.begin(), samples.end());
    if (after) {
      expected.push_back(0);
      const auto tail = RandomBytes(after, 201);
      expected.insert(expected.end(), tail.begin(), tail.end());
    }
    expected[4] = static_cast<std::uint8_t>(expected.size() - 8);
    expected[5] = static_cast<std::uint8_t>((expected.size() - 8) >> 8);
    EXPECT_TRUE(SameBytes(out, expected)) << after;
    EXPECT_EQ(Le32(out, 4), out.size() - 8);
    EXPECT_EQ(Le32(out, 36 + 300 + 4), 4001u);
    ASSERT_EQ(wrap.pieces.size(), 1u);
    EXPECT_EQ(wrap.pieces[0].kind, AudioKind::Wave);
    EXPECT_EQ(wrap.pieces[0].frames, 0u);
    EXPECT_EQ(wrap.pieces[0].samples, 4001u);
    EXPECT_EQ(wrap.pieces[0].sampleRate, 44100u);
  }
}

// Cancelling after k pieces, from a progress call or from the wrap, on real files: the k pieces
// stay, nothing else is in the folder, and no notification follows.
class CancellingSink final : public ProgressSink {
 public:
  void StatusChange(std::int16_t) override { ++events; }
  void Cut(std::int16_t) override {
    if (++events == cancelAfter) cancel.store(true);
  }
  void Join(std::int16_t percent) override { Cut(percent); }
  int events = 0, cancelAfter = 0;
  std::atomic<bool> cancel{false};
};

TEST(OperationOptionsTest, CancelKeepsFinishedPiecesAndLeavesNothingElse) {
  struct Case {
    const char* source;
    bool fromWrap;
    int k;
  };
  const Case cases[] = {
      {"s.mp3", false, 1}, {"s.mp3", true, 2}, {"s.wav", false, 2}, {"s.wav", true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.source << " wrap " << c.fromWrap << " k " << c.k);
    TempDir dir;
    WriteFile(dir.File("s.mp3"), Mp3Builder().Id3v2(64).Frames(FrameSpec{}, 100).Bytes());
    WriteFile(dir.File("s.wav"), WaveBuilder(WaveFormat{}).Fmt().Data(MakeSamples(40000)).Bytes());
    const std::string ext = c.source + 1;
    std::string list;
    for (int i = 0; i < 4; ++i)
      list += (i ? "|" : "") + std::to_string(i * 50 + 1) + ";" + std::to_string(i * 50 + 50) +
              ";" + dir.File("p" + std::to_string(i + 1) + ext);
    CancellingSink sink;
    RandomWrap wrap;
    if (c.fromWrap) {
      wrap.cancel = &sink.cancel;
      wrap.cancelAt = c.k + 1;
    } else {
      sink.cancelAfter = c.k;
    }
    OperationReport report;
    EXPECT_EQ(CutByTime(dir.File(c.source), list, 4, &sink, {&sink.cancel, &wrap, &report}),
              ResultCode::OpenFailed);
    std::vector<std::string> expected{"s.mp3", "s.wav"};
    for (int i = 1; i <= c.k; ++i) expected.push_back("p" + std::to_string(i) + ext);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(dir.Path()), expected);
    EXPECT_EQ(report.failure.what, FailureKind::Cancelled);
    EXPECT_EQ(report.failure.path, dir.File("p" + std::to_string(c.k + 1) + ext));
    EXPECT_EQ(report.written.size(), std::size_t(c.k));
    EXPECT_EQ(sink.events, c.k);
  }
}

// The real files, with sources that set the cancel flag at their Nth read.
class CancellingFiles final : public FileSystem {
 public:
  class Source final : public ByteSource {
   public:
    Source(std::unique_ptr<ByteSource> inner, CancellingFiles& files)
        : inner_(std::move(inner)), files_(files) {}
    std::uint64_t Size() const override { return inner_->Size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override {
      if (++files_.reads == files_.cancelAtRead) files_.cancel.store(true);
      return inner_->ReadAt(offset, dst);
    }
    std::optional<FileIdentity> Identity() const override { return inner_->Identity(); }

   private:
    std::unique_ptr<ByteSource> inner_;
    CancellingFiles& files_;
  };
  std::unique_ptr<ByteSource> OpenRead(const std::string& path, int* error) override {
    auto inner = RealFileSystem().OpenRead(path, error);
    return inner ? std::make_unique<Source>(std::move(inner), *this) : nullptr;
  }
  std::unique_ptr<ByteSink> Create(const std::string& path, int* error) override {
    return RealFileSystem().Create(path, error);
  }
  std::optional<FileIdentity> Identity(const std::string& path) override {
    return RealFileSystem().Identity(path);
  }
  int reads = 0, cancelAtRead = 0;
  std::atomic<bool> cancel{false};
};

// Cancelled in the middle of a copy: the piece half written is gone without a trace.
TEST(OperationOptionsTest, CancelInsideACopyDiscardsThePiece) {
  TempDir dir;
  WriteFile(dir.File("s.wav"), WaveBuilder(WaveFormat{}).Fmt().Data(MakeSamples(20 << 20)).Bytes());
  CancellingFiles files;
  files.cancelAtRead = 40;  // 10 MiB into the samples, in blocks of 256 KiB
  OperationReport report;
  RecordingSink sink;
  EXPECT_EQ(CutByTime(dir.File("s.wav"), "1;-1;" + dir.File("p.wav"), 1, &sink,
                      {&files.cancel, nullptr, &report}, files),
            ResultCode::OpenFailed);
  EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"s.wav"});
  EXPECT_EQ(report.failure.what, FailureKind::Cancelled);
  EXPECT_EQ(report.failure.path, dir.File("p.wav"));
  EXPECT_TRUE(report.written.empty());
  EXPECT_TRUE(sink.events.empty());
  EXPECT_LT(files.reads, 70);  // seen within the next copied block, not at the end
}

// A join cancelled after its first input writes nothing; a wrapped WAVE join places the chunks
// around the one data chunk of every input's samples.
TEST(OperationOptionsTest, ACancelledJoinWritesNothing) {
  for (const char* ext : {".mp3", ".wav"}) {
    MemoryFileSystem fs;
    const bool wave = ext[1] == 'w';
    for (int i = 0; i < 2; ++i) {
      const auto name = "/" + std::to_string(i) + ext;
      fs.Put(name, wave ? WaveBuilder(WaveFormat{}).Fmt().Data(MakeSamples(1000, i)).Bytes()
                        : Mp3Builder().Frames(FrameSpec{}, 10).Bytes());
    }
    CancellingSink sink;
    sink.cancelAfter = 1;
    OperationReport report;
    const std::string list = std::string("/0") + ext + "|/1" + ext;
    EXPECT_EQ(Join(std::string("/j") + ext, list, 2, &sink, {&sink.cancel, nullptr, &report}, fs),
              ResultCode::OpenFailed);
    EXPECT_FALSE(fs.Has(std::string("/j") + ext)) << ext;
    EXPECT_EQ(fs.openOutputs, 0);
    EXPECT_EQ(report.failure.what, FailureKind::Cancelled) << ext;
  }
}

TEST(OperationOptionsTest, WaveJoinPlacesTheChunksAroundAllTheSamples) {
  MemoryFileSystem fs;
  fs.Put("/0.wav", WaveBuilder(WaveFormat{}).Fmt().Data(MakeSamples(1000, 1)).Bytes());
  fs.Put("/1.wav", WaveBuilder(WaveFormat{}).Fmt().List().Data(MakeSamples(2000, 2)).Bytes());
  RandomWrap wrap;
  ASSERT_EQ(Join("/j.wav", "/0.wav|/1.wav", 2, nullptr, {nullptr, &wrap, nullptr}, fs),
            ResultCode::Success);
  const auto& out = fs.Get("/j.wav");
  const auto canonical = MakeCanonicalWaveHeader(WaveFormat{}, 3000);
  Bytes expected = Slice(canonical, 0, 36);
  const auto before = RandomBytes(300, 101), after = RandomBytes(129, 201);
  expected.insert(expected.end(), before.begin(), before.end());
  expected.insert(expected.end(), canonical.begin() + 36, canonical.end());
  const auto a = MakeSamples(1000, 1), b = MakeSamples(2000, 2);
  expected.insert(expected.end(), a.begin(), a.end());
  expected.insert(expected.end(), b.begin(), b.end());
  expected.insert(expected.end(), after.begin(), after.end());  // even data: no pad byte
  const auto riff = static_cast<std::uint32_t>(expected.size() - 8);
  for (int i = 0; i < 4; ++i) expected[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
  EXPECT_TRUE(SameBytes(out, expected));
  ASSERT_EQ(wrap.pieces.size(), 1u);
  EXPECT_EQ(wrap.pieces[0].samples, 750u);
}

// What failed, on which path, with which errno.
TEST(OperationOptionsTest, FailuresNameWhatFailedThePathAndTheErrno) {
  TempDir dir;
  WriteFile(dir.File("a.mp3"), Mp3Builder().Frames(FrameSpec{}, 40).Bytes());
  struct Case {
    const char* name;
    std::function<ResultCode(MemoryFileSystem&, const OperationOptions&)> run;
    OperationFailure expected;
  };
  const Case cases[] = {
      {"missing join input",
       [](MemoryFileSystem& fs, const OperationOptions& o) {
         return Join("/j.mp3", "/a.mp3|/gone.mp3", 2, nullptr, o, fs);
       },
       {FailureKind::Open, "/gone.mp3", "", ENOENT}},
      {"output folder missing",
       [&](MemoryFileSystem&, const OperationOptions& o) {
         return CutByTime(dir.File("a.mp3"), "1;-1;" + dir.File("no/p.mp3"), 1, nullptr, o);
       },
       {FailureKind::Create, dir.File("no/p.mp3"), "", ENOENT}},
      {"output is an input",
       [](MemoryFileSystem& fs, const OperationOptions& o) {
         return Join("/b.mp3", "/a.mp3|/b.mp3", 2, nullptr, o, fs);
       },
       {FailureKind::SameFile, "/b.mp3", "/b.mp3", 0}},
      {"disk full",
       [](MemoryFileSystem& fs, const OperationOptions& o) {
         fs.failWrite = 2;  // the first write of the second piece
         return CutByTime("/a.mp3", "1;100;/p1.mp3|101;-1;/p2.mp3", 2, nullptr, o, fs);
       },
       {FailureKind::Write, "/p2.mp3", "", ENOSPC}},
  };
  for (const auto& c : cases) {
    MemoryFileSystem fs;
    fs.Put("/a.mp3", Mp3Builder().Frames(FrameSpec{}, 40).Bytes());
    fs.Put("/b.mp3", Mp3Builder().Frames(FrameSpec{}, 40).Bytes());
    fs.Put("/a.wav", WaveBuilder(WaveFormat{}).Fmt().Data(MakeSamples(600000)).Bytes());
    OperationReport report;
    EXPECT_EQ(c.run(fs, {nullptr, nullptr, &report}), ResultCode::OpenFailed) << c.name;
    EXPECT_EQ(report.failure.what, c.expected.what) << c.name;
    EXPECT_EQ(report.failure.path, c.expected.path) << c.name;
    EXPECT_EQ(report.failure.otherPath, c.expected.otherPath) << c.name;
    EXPECT_EQ(report.failure.error, c.expected.error) << c.name;
  }
  // A read failing while the samples are copied is the source's, not the piece's.
  bool copyFailed = false;
  for (int n = 1; n < 40 && !copyFailed; ++n) {
    MemoryFileSystem fs;
    fs.Put("/a.wav", WaveBuilder(WaveFormat{}).Fmt().Data(MakeSamples(600000)).Bytes());
    fs.failRead = n;
    OperationReport report;
    copyFailed = CutBySize("/a.wav", 100000, "/o", nullptr, {nullptr, nullptr, &report}, fs) ==
                 ResultCode::OpenFailed;
    if (!copyFailed) continue;
    EXPECT_EQ(report.failure.what, FailureKind::Read) << n;
    EXPECT_EQ(report.failure.path, "/a.wav") << n;
    EXPECT_EQ(report.failure.error, EIO) << n;
  }
  EXPECT_TRUE(copyFailed);
}

}  // namespace
}  // namespace tandrel
