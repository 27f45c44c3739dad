#include "test_tally.h"

#include <cstdio>

namespace tandrel::wintest {
namespace {

int passed = 0;
int failed = 0;
std::string section;

// Only the file's own name: the build folder is of no interest.
const char* BaseName(const char* path) {
  const char* name = path;
  for (const char* c = path; *c != '\0'; ++c) {
    if (*c == '/' || *c == '\\') name = c + 1;
  }
  return name;
}

}  // namespace

void BeginSection(std::string_view name) {
  section = name;
  std::printf("-- %s\n", section.c_str());
  std::fflush(stdout);
}

bool Record(bool ok, const char* what, const char* file, int line, const std::string& detail) {
  if (ok) {
    ++passed;
    return true;
  }
  ++failed;
  std::printf("FAIL [%s] %s:%d: %s%s%s\n", section.c_str(), BaseName(file), line, what,
              detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(stdout);
  return false;
}

int PassedCount() {
  return passed;
}

int FailedCount() {
  return failed;
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

}  // namespace tandrel::wintest
