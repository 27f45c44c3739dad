// Cuts that fail as users meet them: a source that is not there or not a file, an output folder
// that cannot be made or written, a full file system, and outputs that are the source itself.
// Each gives its exact message and exit status, leaves nothing half-written and never touches
// the source.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/mp3_decoder.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"
#include "piece_check.h"
#include "program_run.h"

namespace tandrel::cli {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

constexpr uid_t kNobody = 65534;

// A mount made for one case, taken away with it.
class Mount {
 public:
  Mount() = default;
  Mount(const Mount&) = delete;
  ~Mount() {
    if (!target_.empty()) ::umount2(target_.c_str(), MNT_DETACH);
  }
  // A tmpfs of `options` at `target`; the reason when it cannot be made.
  std::string Tmpfs(const std::string& target, const std::string& options) {
    if (::geteuid() != 0) return "a tmpfs can be mounted only as root";
    fs::create_directory(target);
    if (::mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) != 0)
      return "mount -t tmpfs -o " + options + ": " + std::strerror(errno);
    target_ = target;
    return {};
  }

 private:
  std::string target_;
};

// The folder a case runs in: the source a.mp3 and whatever the case adds.
struct Scene {
  std::string dir;
  Mount mount;
  std::optional<uid_t> user;  // run the program as this user
  std::string File(const std::string& name) const { return dir + "/" + name; }
};

using Preparation = std::function<std::string(Scene&)>;

struct FailureCase {
  const char* what;
  // Prepares the scene; the reason when it cannot be prepared.
  Preparation prepare;
  Strings args;  // after "cut"
  int status;
  std::string err;  // the whole of stderr
  Strings out;      // the lines of stdout: the pieces written
  // The output folder and what it holds afterwards; nullopt: it must not exist.
  std::string folder;
  std::optional<Strings> pieces;
  // The scene's own folder afterwards (the source, the case's files and the output folder).
  Strings scene;
};

std::string Nothing(Scene&) {
  return {};
}

// Each makes `name` in the scene, its folder with it.
Preparation MakeFolder(std::string name) {
  return [name](Scene& s) { return fs::create_directories(s.File(name)), std::string(); };
}
Preparation MakeFile(std::string name) {
  return [name](Scene& s) { return fixtures::WriteFile(s.File(name), {}), std::string(); };
}
Preparation MakeFifo(std::string name) {
  return [name](Scene& s) {
    return ::mkfifo(s.File(name).c_str(), 0644) == 0 ? std::string() : std::strerror(errno);
  };
}
// A symbolic link to `target` (as written in the link), or a hard link to the scene's `target`.
Preparation MakeLink(std::string target, std::string name, bool hard = false) {
  return [=](Scene& s) {
    fs::create_directories(fs::path(s.File(name)).parent_path());
    hard ? fs::create_hard_link(s.File(target), s.File(name))
         : fs::create_symlink(target, s.File(name));
    return std::string();
  };
}

// A read-only folder stops anyone but root; root is made to run the program as nobody.
std::string ReadOnlyFolder(Scene& s) {
  fs::create_directory(s.File("ro"));
  fs::permissions(s.File("ro"), fs::perms(0555));
  if (::geteuid() == 0) {
    s.user = kNobody;
    // nobody must reach the source through the scene's folder.
    fs::permissions(s.dir, fs::perms(0755));
    fs::permissions(s.File("a.mp3"), fs::perms(0644));
  }
  return {};
}

std::string FullFileSystem(Scene& s) {
  return s.mount.Tmpfs(s.File("full"), "size=256k");
}

// 600000 bytes of random 44.1 kHz 16-bit stereo samples (3.4 s), beside the MP3.
const std::vector<std::uint8_t>& WaveSource() {
  static const auto wave = [] {
    auto bytes = fixtures::MakeCanonicalWaveHeader({}, 600000);
    const auto samples = fixtures::RandomBytes(600000, 11);
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
  }();
  return wave;
}

std::string FullFileSystemAndWave(Scene& s) {
  fixtures::WriteFile(s.File("b.wav"), WaveSource());
  return FullFileSystem(s);
}

// The source on the file system that fills up, so that the kernel copies between the two.
std::string SharedFileSystem(Scene& s) {
  if (auto why = s.mount.Tmpfs(s.File("shared"), "size=900k"); !why.empty()) return why;
  fs::copy_file(s.File("a.mp3"), s.File("shared/a.mp3"));
  return {};
}

std::string ReadOnlyFileSystem(Scene& s) {
  return s.mount.Tmpfs(s.File("rofs"), "ro,size=256k");
}

// 1440 frames of 417 and 418 bytes: 600 KB, 37.6 s; a third of it fits in 256 KB, two thirds do
// not.
const fixtures::Mp3Builder& Source() {
  static const fixtures::Mp3Builder source = [] {
    fixtures::Mp3Builder b;
    for (int i = 0; i < 1440; ++i) b.Frame({.padding = i % 4 == 1});
    return b;
  }();
  return source;
}

void RunCases(std::span<const FailureCase> cases) {
  const auto& source = Source().Bytes();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fixtures::TempDir dir;
    Scene scene{dir.Path(), {}, {}};
    fixtures::WriteFile(scene.File("a.mp3"), source);
    if (const auto why = c.prepare(scene); !why.empty()) {
      ADD_FAILURE() << "cannot prepare: " << why;
      continue;
    }
    Strings args{"cut"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto run =
        RunTandrel(args, {.cwd = scene.dir, .user = scene.user, .limit = std::chrono::seconds(30)});

    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    std::string out;
    for (const auto& line : c.out) out += line + "\n";
    EXPECT_EQ(run.out, out);
    const auto folder = scene.File(c.folder);
    if (c.pieces) {
      EXPECT_EQ(fixtures::ListFolder(folder), *c.pieces);
    } else {
      EXPECT_FALSE(fs::exists(folder));
    }
    EXPECT_EQ(fixtures::ListFolder(scene.dir), c.scene);
    EXPECT_TRUE(Same(ReadBytes(scene.File("a.mp3")), source));
    if (fs::exists(scene.File("shared/a.mp3"))) {
      EXPECT_TRUE(Same(ReadBytes(scene.File("shared/a.mp3")), source));
    }
    if (fs::exists(scene.File("b.wav"))) {
      EXPECT_TRUE(Same(ReadBytes(scene.File("b.wav")), WaveSource()));
    }
    // The pieces written are whole: runs of the source's frames or sample blocks, one after the
    // other, a WAVE piece behind a header of its own.
    std::size_t next = 0, nextByte = 44;
    for (const auto& line : c.out) {
      const auto piece = ReadBytes(scene.File(line));
      if (line.ends_with(".wav")) {
        const auto data = piece.size() - 44;
        EXPECT_EQ(data % 4, 0u) << line;
        auto expected = fixtures::MakeCanonicalWaveHeader({}, static_cast<std::uint32_t>(data));
        expected.insert(expected.end(), WaveSource().begin() + std::ptrdiff_t(nextByte),
                        WaveSource().begin() + std::ptrdiff_t(nextByte + data));
        EXPECT_TRUE(Same(piece, expected)) << line;
        nextByte += data;
        continue;
      }
      std::size_t frames = 0;
      EXPECT_TRUE(IsFrameRun(piece, source, Source().Placed(), next, frames)) << line;
      const auto decoded = fixtures::DecodeMp3(piece);
      EXPECT_EQ(decoded.errors, 0) << line << ": " << decoded.firstError;
      EXPECT_EQ(static_cast<std::size_t>(decoded.frames), frames) << line;
      next += frames;
    }
  }
}

TEST(CliFailures, EachTellsWhatFailedWhereAndLeavesNothingBehind) {
  const FailureCase cases[] = {
      {"a source that is not there",
       Nothing,
       {"missing.mp3", "--every", "1", "-o", "out"},
       1,
       "tandrel: missing.mp3: No such file or directory\n",
       {},
       "out",
       std::nullopt,
       {"a.mp3"}},
      {"a folder as the source, by the name of an MP3",
       MakeFolder("dir.mp3"),
       {"dir.mp3", "--every", "1", "-o", "out"},
       1,
       "tandrel: dir.mp3: Is a directory\n",
       {},
       "out",
       std::nullopt,
       {"a.mp3", "dir.mp3"}},
      {"a folder as the source, by a name of no audio kind",
       MakeFolder("dir"),
       {"dir", "--every", "1", "-o", "out"},
       5,
       "tandrel: dir: neither a .wav nor a .mp3 file\n",
       {},
       "out",
       std::nullopt,
       {"a.mp3", "dir"}},
      // Opened as the engine opens it, a FIFO does not wait for a writer that never comes.
      {"a FIFO as the source",
       MakeFifo("pipe.mp3"),
       {"pipe.mp3", "--every", "1", "-o", "out"},
       1,
       "tandrel: pipe.mp3: not a regular file\n",
       {},
       "out",
       std::nullopt,
       {"a.mp3", "pipe.mp3"}},
      {"an output folder that is not there is made, with its parents",
       Nothing,
       {"a.mp3", "--parts", "2", "-o", "nowhere/deeper/"},
       0,
       "a.mp3: 2 pieces written\n",
       {"nowhere/deeper/a_001.mp3", "nowhere/deeper/a_002.mp3"},
       "nowhere/deeper",
       Strings{"a_001.mp3", "a_002.mp3"},
       {"a.mp3", "nowhere"}},
      {"an output folder under a file",
       MakeFile("notes.txt"),
       {"a.mp3", "--parts", "2", "-o", "notes.txt/out"},
       1,
       "tandrel: cannot create notes.txt/out: Not a directory\n",
       {},
       "notes.txt/out",
       std::nullopt,
       {"a.mp3", "notes.txt"}},
      {"a read-only output folder",
       ReadOnlyFolder,
       {"a.mp3", "--parts", "2", "-o", "ro"},
       1,
       "tandrel: cannot create ro/a_001.mp3: Permission denied\n",
       {},
       "ro",
       Strings{},
       {"a.mp3", "ro"}},
      {"a piece named as the source",
       Nothing,
       {"a.mp3", "--section", "0-", "--name", "{base}.{ext}"},
       1,
       "tandrel: a.mp3 and a.mp3 are the same file\n",
       {},
       ".",
       Strings{"a.mp3"},
       {"a.mp3"}},
      {"a piece named as the source through a link to its folder",
       MakeLink(".", "here"),
       {"a.mp3", "--section", "0-", "--name", "{base}.{ext}", "-o", "here"},
       1,
       "tandrel: a.mp3 and here/a.mp3 are the same file\n",
       {},
       ".",
       Strings{"a.mp3", "here"},
       {"a.mp3", "here"}},
      // Every piece is checked before the first one is written.
      {"a later piece that is a link to the source",
       MakeLink("a.mp3", "a2.mp3"),
       {"a.mp3", "--at", "10", "--name", "{base}{n}.{ext}"},
       1,
       "tandrel: a.mp3 and a2.mp3 are the same file\n",
       {},
       ".",
       Strings{"a.mp3", "a2.mp3"},
       {"a.mp3", "a2.mp3"}},
      {"a size piece that is a link to the source",
       MakeLink("../a.mp3", "out/a_1.mp3"),
       {"a.mp3", "--size", "200K", "-o", "out"},
       1,
       "tandrel: a.mp3 and out/a_1.mp3 are the same file\n",
       {},
       "out",
       Strings{"a_1.mp3"},
       {"a.mp3", "out"}},
      {"a later size piece that is a link to the source",
       MakeLink("../a.mp3", "out/a_2.mp3"),
       {"a.mp3", "--size", "200K", "-o", "out"},
       1,
       "tandrel: a.mp3 and out/a_2.mp3 are the same file\n",
       {},
       "out",
       Strings{"a_2.mp3"},
       {"a.mp3", "out"}},
      {"a piece that is a hard link to the source",
       MakeLink("a.mp3", "out/a_001.mp3", true),
       {"a.mp3", "--section", "0-", "-o", "out"},
       1,
       "tandrel: a.mp3 and out/a_001.mp3 are the same file\n",
       {},
       "out",
       Strings{"a_001.mp3"},
       {"a.mp3", "out"}},
  };
  RunCases(cases);
}

// File systems that refuse a piece or run out of room: tmpfs mounts, which only root can make.
TEST(CliFailures, FileSystemsThatRefuseOrFillUp) {
  {
    fixtures::TempDir dir;
    Mount probe;
    if (const auto why = probe.Tmpfs(dir.File("probe"), "size=256k"); !why.empty())
      GTEST_SKIP() << why;
  }
  const FailureCase cases[] = {
      {"a read-only file system",
       ReadOnlyFileSystem,
       {"a.mp3", "--parts", "2", "-o", "rofs"},
       1,
       "tandrel: cannot create rofs/a_001.mp3: Read-only file system\n",
       {},
       "rofs",
       Strings{},
       {"a.mp3", "rofs"}},
      // The first third fits; what is written of the second is taken away again.
      {"a file system that fills up during the second piece",
       FullFileSystem,
       {"a.mp3", "--parts", "3", "-o", "full"},
       1,
       "tandrel: cannot write full/a_002.mp3: No space left on device\n",
       {"full/a_001.mp3"},
       "full",
       Strings{"a_001.mp3"},
       {"a.mp3", "full"}},
      {"a file system too small for the first piece",
       FullFileSystem,
       {"a.mp3", "--section", "0-", "-o", "full"},
       1,
       "tandrel: cannot write full/a_001.mp3: No space left on device\n",
       {},
       "full",
       Strings{},
       {"a.mp3", "full"}},
      {"a file system shared with the source that fills up",
       SharedFileSystem,
       {"shared/a.mp3", "--parts", "3", "-o", "shared/out"},
       1,
       "tandrel: cannot write shared/out/a_002.mp3: No space left on device\n",
       {"shared/out/a_001.mp3"},
       "shared/out",
       Strings{"a_001.mp3"},
       {"a.mp3", "shared"}},
      {"a size cut that fills the file system",
       FullFileSystem,
       {"a.mp3", "--size", "200K", "-o", "full"},
       1,
       "tandrel: cannot write full/a_2.mp3: No space left on device\n",
       {"full/a_1.mp3"},
       "full",
       Strings{"a_1.mp3"},
       {"a.mp3", "full"}},
      {"a WAVE cut that fills the file system",
       FullFileSystemAndWave,
       {"b.wav", "--parts", "3", "-o", "full"},
       1,
       "tandrel: cannot write full/b_002.wav: No space left on device\n",
       {"full/b_001.wav"},
       "full",
       Strings{"b_001.wav"},
       {"a.mp3", "b.wav", "full"}},
  };
  RunCases(cases);
}

}  // namespace
}  // namespace tandrel::cli
