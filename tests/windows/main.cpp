// The test client of the Windows stage, run by scripts/windows-stage.sh in a fresh Wine prefix:
//
//   tandrel_windows_client registered OCX FIXTURES SNAPSHOT  after regsvr32: everything
//   tandrel_windows_client unregistered OCX                  after regsvr32 /u: all gone
//   tandrel_windows_client same-registration SNAPSHOT        after registering again
//   tandrel_windows_client x86-module OCX32                  the 32-bit module's type library
//
// Exits 1 on any failure.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "test_client.h"

namespace tandrel::wintest {

int passed = 0, failed = 0;

bool Record(bool ok, std::string_view what, int line, const std::string& detail) {
  (ok ? passed : failed) += 1;
  if (!ok) {
    std::printf("FAIL line %d: %.*s%s%s\n", line, static_cast<int>(what.size()), what.data(),
                detail.empty() ? "" : ": ", detail.c_str());
  }
  return ok;
}

std::string Narrow(std::wstring_view text, UINT codePage) {
  std::string out(text.size() * 4, '\0');  // room for the longest UTF-8 sequences
  out.resize(::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                   out.data(), static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::wstring Wide(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

bool RecordEqual(const std::string& got, const std::string& want, std::string_view what, int line) {
  return Record(got == want, what, line, "got \"" + got + "\", want \"" + want + "\"");
}

}  // namespace tandrel::wintest

int wmain(int argc, wchar_t** argv) {
  namespace tw = tandrel::wintest;
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (FAILED(::OleInitialize(nullptr))) return 1;
  if (mode == L"registered" && argc == 5) {
    tw::CheckRegistered(argv[2]);
    CHECK(std::ofstream(argv[4], std::ios::binary) << tw::RegistrySnapshot());
    tw::CheckDispatch(argv[3]);
    tw::CheckHosted();
  } else if (mode == L"unregistered" && argc == 3) {
    tw::CheckUnregistered();
  } else if (mode == L"same-registration" && argc == 3) {
    std::ifstream file(argv[2], std::ios::binary);
    CHECK_EQ(tw::RegistrySnapshot(), std::string(std::istreambuf_iterator<char>(file), {}));
  } else if (mode == L"x86-module" && argc == 3) {
    tw::CheckModuleTypeLibrary(argv[2]);
  } else {
    return 2;  // usage: see the head of this file
  }
  ::CoFreeUnusedLibraries();
  ::OleUninitialize();
  std::printf("%d passed, %d failed\n", tw::passed, tw::failed);
  return tw::failed == 0 ? 0 : 1;
}
