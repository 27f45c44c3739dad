#pragma once

// Counting checks: each failure is printed where it happens, with what was found; the program
// ends with "N passed, N failed".

#include <windows.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

namespace tandrel::wintest {

void BeginSection(std::string_view name);
bool Record(bool ok, const char* what, const char* file, int line, const std::string& detail);
int PassedCount();
int FailedCount();

std::string Utf8(std::wstring_view text);

// Printable forms of the values the checks compare.
inline std::string Describe(const std::string& v) {
  return '"' + v + '"';
}
inline std::string Describe(const char* v) {
  return Describe(std::string(v));
}
inline std::string Describe(const std::wstring& v) {
  return Describe(Utf8(v));
}
inline std::string Describe(const wchar_t* v) {
  return Describe(Utf8(v));
}
inline std::string Describe(bool v) {
  return v ? "true" : "false";
}
template <class T>
requires std::is_integral_v<T> || std::is_enum_v<T> std::string Describe(T v) {
  std::ostringstream out;
  const auto n = static_cast<long long>(v);
  out << n << " (0x" << std::hex << static_cast<unsigned long long>(n) << ")";
  return out.str();
}
inline std::string Describe(const GUID& g) {
  wchar_t text[40] = {};
  ::StringFromGUID2(g, text, 40);
  return Utf8(text);
}

template <class A, class B>
bool RecordEqual(const A& actual, const B& expected, const char* what, const char* file, int line) {
  const bool ok = actual == expected;
  return Record(ok, what, file, line,
                ok ? std::string() : "got " + Describe(actual) + ", want " + Describe(expected));
}

}  // namespace tandrel::wintest

#define CHECK(cond) \
  ::tandrel::wintest::Record(static_cast<bool>(cond), #cond, __FILE__, __LINE__, "")
#define CHECK_EQ(actual, expected)                                                          \
  ::tandrel::wintest::RecordEqual((actual), (expected), #actual " == " #expected, __FILE__, \
                                  __LINE__)
// An HRESULT compared as a number, printed in hex.
#define CHECK_HR(actual, expected)                                                                \
  ::tandrel::wintest::RecordEqual(static_cast<std::uint32_t>(actual),                             \
                                  static_cast<std::uint32_t>(expected), #actual " == " #expected, \
                                  __FILE__, __LINE__)
