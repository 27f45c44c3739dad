#include "file_io_checks.h"

#include <windows.h>

#include <algorithm>
#include <array>

#include "audio_files.h"
#include "com_calls.h"
#include "tandrel/byte_io.h"
#include "tandrel/tandrel_ctrl.h"
#include "test_tally.h"

namespace tandrel::wintest {
namespace {

// A handle some other program might hold on a file, closed when it goes.
class HeldOpen {
 public:
  HeldOpen(const std::wstring& path, DWORD access, DWORD share)
      : handle_(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldOpen() {
    if (Valid()) ::CloseHandle(handle_);
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

bool NoTemporaryFiles(const std::wstring& folder) {
  for (const std::wstring& name : ListFolder(folder)) {
    if (name.rfind(L"~tnd", 0) == 0) return false;
  }
  return true;
}

void CheckBackend() {
  BeginSection("file backend: sources and sinks");
  const auto folder = ScratchFolder(L"backend");
  const std::string narrow = Ansi(folder);

  // A sink: bytes past its buffer, a patch of bytes already written, the hidden temporary file
  // renamed into an ordinary file on Finish.
  std::vector<std::uint8_t> expected(600 * 1024);
  for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<std::uint8_t>(i * 7);
  {
    auto sink = CreateFileSink(narrow + "out.bin");
    if (CHECK(sink != nullptr)) {
      CHECK(sink->Write(expected));
      const std::array<std::uint8_t, 4> patch = {1, 2, 3, 4};
      CHECK(sink->WriteAt(10, patch));
      std::copy(patch.begin(), patch.end(), expected.begin() + 10);
      CHECK(!FileExists(folder + L"out.bin"));
      CHECK_EQ(ListFolder(folder).size(), 1U);  // the temporary file
      CHECK(sink->Finish());
    }
  }
  CHECK(ReadBytes(folder + L"out.bin") == expected);
  const DWORD attributes = ::GetFileAttributesW((folder + L"out.bin").c_str());
  CHECK_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY), 0UL);
  CHECK(NoTemporaryFiles(folder));

  // Unfinished: the target untouched, nothing left behind.
  {
    auto sink = CreateFileSink(narrow + "out.bin");
    if (CHECK(sink != nullptr)) CHECK(sink->Write(std::vector<std::uint8_t>(100, 9)));
  }
  CHECK(ReadBytes(folder + L"out.bin") == expected);
  CHECK(NoTemporaryFiles(folder));

  // Sources: reads at offsets, short at the end; no source from a folder or a device.
  auto source = OpenFileSource(narrow + "out.bin");
  if (CHECK(source != nullptr)) {
    CHECK_EQ(source->Size(), expected.size());
    std::array<std::uint8_t, 8> bytes{};
    CHECK_EQ(source->ReadAt(10, bytes), 8U);
    CHECK(std::equal(bytes.begin(), bytes.end(), expected.begin() + 10));
    CHECK_EQ(source->ReadAt(expected.size() - 3, bytes), 3U);
    CHECK_EQ(source->ReadAt(expected.size() + 100, bytes), 0U);
  }
  source.reset();
  CHECK(OpenFileSource(narrow) == nullptr);
  CHECK(OpenFileSource("NUL") == nullptr);
  CHECK(OpenFileSource(narrow + "missing.bin") == nullptr);
  CHECK(CreateFileSink(narrow.substr(0, narrow.size() - 1)) == nullptr);  // the folder itself
  CHECK(CreateFileSink(narrow + "no-such-folder\\x.bin") == nullptr);
  CHECK(CreateFileSink(narrow) == nullptr);  // no file name

  // One file, however it is spelled; two files differ.
  WriteBytes(folder + L"Other.bin", {1, 2, 3});
  const auto id = GetFileIdentity(narrow + "out.bin");
  CHECK(id.has_value());
  CHECK(id == GetFileIdentity(narrow + "OUT.BIN"));
  std::string slashed = narrow + "out.bin";
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  CHECK(id == GetFileIdentity(slashed));
  CHECK(id == GetFileIdentity(narrow + ".\\out.bin"));
  CHECK(id != GetFileIdentity(narrow + "other.bin"));
  CHECK(!GetFileIdentity(narrow + "missing.bin").has_value());
}

void CheckSharing() {
  BeginSection("file backend: sharing through the control");
  ComPtr<IDispatch> control = CreateControl();
  if (!CHECK(control != nullptr)) return;
  const auto folder = ScratchFolder(L"sharing");
  const std::wstring a = folder + L"a.wav", b = folder + L"b.wav", out = folder + L"out.wav";
  WriteBytes(a, WaveFile(2000, 1));
  WriteBytes(b, WaveFile(2000, 2));
  const auto outBefore = WaveFile(100, 9);
  auto join = [&](const std::wstring& target, const std::wstring& list) {
    Args args;
    args.Str(target).Str(list).Short(2);
    return Call(control.Get(), CTandrelCtrl::kDispJoin, args).value;
  };

  struct SharingCase {
    const char* name;
    std::wstring held;  // the file another handle holds
    DWORD access;
    DWORD share;
    long long want;
  };
  const std::vector<SharingCase> cases = {
      {"output read by another program", out, GENERIC_READ, FILE_SHARE_READ, 1},
      {"output read with every sharing", out, GENERIC_READ,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 1},
      {"input read by another program", a, GENERIC_READ, FILE_SHARE_READ, 0},
      {"input written by another program", a, GENERIC_WRITE, FILE_SHARE_READ, 1},
      {"input held unshared", a, GENERIC_READ, 0, 1},
  };
  for (const SharingCase& c : cases) {
    WriteBytes(out, outBefore);
    const HeldOpen held(c.held, c.access, c.share);
    Record(held.Valid(), (std::string(c.name) + ": held").c_str(), __FILE__, __LINE__, "");
    RecordEqual(join(out, a + L"|" + b), c.want, c.name, __FILE__, __LINE__);
    if (c.want != 0) {
      Record(ReadBytes(out) == outBefore, (std::string(c.name) + ": output untouched").c_str(),
             __FILE__, __LINE__, "");
    }
  }
  // The same file as an input and the output, spelled differently: refused, the input intact.
  const auto aBefore = ReadBytes(a);
  for (const std::wstring& spelling :
       {folder + L"A.WAV", folder + L".\\a.wav", folder + L"..\\sharing\\a.wav"}) {
    RecordEqual(join(spelling, a + L"|" + b), 1, ("output " + Utf8(spelling)).c_str(), __FILE__,
                __LINE__);
  }
  CHECK(ReadBytes(a) == aBefore);
  // An output replaces an existing file.
  WriteBytes(out, outBefore);
  CHECK_EQ(join(out, a + L"|" + b), 0);
  CHECK_EQ(ReadBytes(out).size(), 44U + 4000U);
  CHECK(NoTemporaryFiles(folder));
}

}  // namespace

void CheckFileIo() {
  CheckBackend();
  CheckSharing();
}

}  // namespace tandrel::wintest
