#include "text_edge.h"

namespace trevasso::win32 {

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::vector<std::string> ToUtf8(const std::vector<std::wstring>& texts) {
  std::vector<std::string> out;
  out.reserve(texts.size());
  for (const std::wstring& text : texts) out.push_back(ToUtf8(text));
  return out;
}

namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
  wchar_t buffer[16] = {};
  const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 16);
  return length > 1 ? ToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)))
                    : std::string(fallback);
}

}  // namespace

logic::PlatformFacts UserFacts() {
  logic::PlatformFacts facts;
  facts.groupSeparator = LocaleText(LOCALE_STHOUSAND, ",");
  facts.decimalPoint = LocaleText(LOCALE_SDECIMAL, ".");
  facts.pathSeparator = '\\';
  return facts;
}

std::int64_t FileLength(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace trevasso::win32
