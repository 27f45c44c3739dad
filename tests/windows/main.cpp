// The test client of the Windows stage. Run by scripts/windows-stage.sh in a fresh Wine prefix:
//
//   tandrel_windows_client registered OCX FIXTURES SNAPSHOT  after regsvr32: everything
//   tandrel_windows_client unregistered OCX                  after regsvr32 /u: all gone
//   tandrel_windows_client same-registration SNAPSHOT        after registering again
//   tandrel_windows_client x86-module OCX32                  the 32-bit module's file
//
// Prints each failure and ends with "N passed, N failed"; exits 1 on any failure.
#include <ole2.h>

#include <cstdio>
#include <string>

#include "audio_files.h"
#include "container_checks.h"
#include "dispatch_checks.h"
#include "event_checks.h"
#include "file_io_checks.h"
#include "module_file_checks.h"
#include "registry_checks.h"
#include "test_tally.h"
#include "type_library_checks.h"

namespace tw = tandrel::wintest;

namespace {

bool WriteText(const std::wstring& path, const std::string& text) {
  FILE* file = ::_wfopen(path.c_str(), L"wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

std::string ReadText(const std::wstring& path) {
  std::string text;
  FILE* file = ::_wfopen(path.c_str(), L"rb");
  if (file == nullptr) return text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

// The first line where two dumps differ, for the failure message.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const std::size_t line = a.rfind('\n', at) == std::string::npos ? 0 : a.rfind('\n', at) + 1;
  return "now \"" + a.substr(line, a.find('\n', line) - line) + "\", before \"" +
         b.substr(line, b.find('\n', line) - line) + "\"";
}

int Usage() {
  std::fprintf(stderr,
               "usage: tandrel_windows_client registered OCX FIXTURES SNAPSHOT\n"
               "       tandrel_windows_client unregistered OCX\n"
               "       tandrel_windows_client same-registration SNAPSHOT\n"
               "       tandrel_windows_client x86-module OCX32\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return Usage();
  const std::wstring mode = argv[1];
  if (FAILED(::OleInitialize(nullptr))) {
    std::fprintf(stderr, "OleInitialize failed\n");
    return 1;
  }
  if (mode == L"registered" && argc == 5) {
    const std::wstring ocx = argv[2];
    tw::CheckRegistered(ocx);
    tw::Record(WriteText(argv[4], tw::RegistrySnapshot()), "snapshot written", __FILE__, __LINE__,
               "");
    tw::CheckTypeLibrary(ocx);
    tw::CheckModuleFile(ocx, IMAGE_FILE_MACHINE_AMD64);
    tw::CheckModuleLifetime(ocx);
    tw::CheckDispatch(argv[3]);
    tw::CheckEvents();
    tw::CheckFileIo();
    tw::CheckContainers();
  } else if (mode == L"unregistered" && argc == 3) {
    tw::CheckUnregistered();
    tw::CheckRegistrationFailures(argv[2]);
  } else if (mode == L"same-registration" && argc == 3) {
    tw::BeginSection("registering again");
    const std::string before = ReadText(argv[2]);
    const std::string now = tw::RegistrySnapshot();
    CHECK(!before.empty());
    tw::Record(now == before, "the same entries as the first registration", __FILE__, __LINE__,
               now == before ? "" : FirstDifference(now, before));
  } else if (mode == L"x86-module" && argc == 3) {
    tw::CheckModuleFile(argv[2], IMAGE_FILE_MACHINE_I386);
    tw::CheckX86TypeLibrary(argv[2]);
  } else {
    ::OleUninitialize();
    return Usage();
  }
  tw::RemoveScratch();
  ::CoFreeUnusedLibraries();
  ::OleUninitialize();
  std::printf("%d passed, %d failed\n", tw::PassedCount(), tw::FailedCount());
  return tw::FailedCount() == 0 ? 0 : 1;
}
