// The test client of the Windows stage, run by scripts/windows-stage.sh in a fresh Wine prefix:
//
//   tandrel_windows_client registered OCX FIXTURES SNAPSHOT  after regsvr32: everything
//   tandrel_windows_client unregistered OCX                  after regsvr32 /u: all gone
//   tandrel_windows_client same-registration SNAPSHOT        after registering again
//   tandrel_windows_client x86-module OCX32                  the 32-bit module's file
//
// Exits 1 on any failure.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "test_client.h"

namespace tandrel::wintest {
namespace {

namespace fs = std::filesystem;

int passed = 0;
int failed = 0;
std::string section;
const fs::path scratch = fs::temp_directory_path() / L"tandrel-client";

std::string Convert(UINT codePage, std::wstring_view text) {
  const int size = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

}  // namespace

void BeginSection(std::string_view name) {
  section = name;
  std::printf("-- %s\n", section.c_str());
  std::fflush(stdout);
}

bool Record(bool ok, std::string_view what, int line, const std::string& detail) {
  (ok ? passed : failed) += 1;
  if (!ok) {
    std::printf("FAIL [%s] line %d: %.*s%s%s\n", section.c_str(), line,
                static_cast<int>(what.size()), what.data(), detail.empty() ? "" : ": ",
                detail.c_str());
    std::fflush(stdout);
  }
  return ok;
}

std::string Utf8(std::wstring_view text) {
  return Convert(CP_UTF8, text);
}

std::string Ansi(std::wstring_view text) {
  return Convert(CP_ACP, text);
}

std::wstring Wide(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

std::string Describe(const std::string& v) {
  return '"' + v + '"';
}

std::string Describe(const std::wstring& v) {
  return '"' + Utf8(v) + '"';
}

std::string Describe(const GUID& v) {
  wchar_t text[40] = {};
  ::StringFromGUID2(v, text, 40);
  return Utf8(text);
}

std::string Describe(long long v) {
  char text[48];
  std::snprintf(text, sizeof text, "%lld (0x%llx)", v, static_cast<unsigned long long>(v));
  return text;
}

std::wstring ScratchFolder(std::wstring_view name) {
  std::error_code error;
  fs::remove_all(scratch / name, error);
  fs::create_directories(scratch / name, error);
  return (scratch / name).wstring();
}

std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
  std::ifstream file(fs::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::map<std::wstring, std::vector<std::uint8_t>> Contents(const std::wstring& folder) {
  std::map<std::wstring, std::vector<std::uint8_t>> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    files[entry.path().filename().wstring()] = ReadBytes(entry.path().wstring());
  }
  return files;
}

}  // namespace tandrel::wintest

int wmain(int argc, wchar_t** argv) {
  namespace tw = tandrel::wintest;
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (FAILED(::OleInitialize(nullptr))) return 1;
  if (mode == L"registered" && argc == 5) {
    tw::CheckRegistered(argv[2]);
    CHECK(std::ofstream(argv[4], std::ios::binary) << tw::RegistrySnapshot());
    tw::CheckModuleFile(argv[2], IMAGE_FILE_MACHINE_AMD64);
    tw::CheckDispatch(argv[3]);
    tw::CheckContainers(argv[3]);
  } else if (mode == L"unregistered" && argc == 3) {
    tw::CheckUnregistered(argv[2]);
  } else if (mode == L"same-registration" && argc == 3) {
    tw::BeginSection("registering again");
    std::ifstream file(argv[2], std::ios::binary);
    const std::string before{std::istreambuf_iterator<char>(file), {}};
    CHECK_EQ(tw::RegistrySnapshot(), before);
  } else if (mode == L"x86-module" && argc == 3) {
    tw::CheckModuleFile(argv[2], IMAGE_FILE_MACHINE_I386);
  } else {
    std::fprintf(stderr, "usage: see the head of tests/windows/main.cpp\n");
    return 2;
  }
  std::error_code error;
  std::filesystem::remove_all(tw::scratch, error);
  ::CoFreeUnusedLibraries();
  ::OleUninitialize();
  std::printf("%d passed, %d failed\n", tw::passed, tw::failed);
  return tw::failed == 0 ? 0 : 1;
}
