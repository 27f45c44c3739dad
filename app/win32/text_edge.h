#pragma once

// Where the Win32 program's wide text meets the logic's UTF-8 text, and the facts of the user's
// locale and of the file system that the logic is given.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logic/platform_facts.h"

namespace trevasso::win32 {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
std::vector<std::string> ToUtf8(const std::vector<std::wstring>& texts);

// The user's group separator and decimal point, and the backslash.
logic::PlatformFacts UserFacts();

// The file system's length of `path`; 0 for a file that cannot be found or is a folder.
std::int64_t FileLength(const std::wstring& path);

// The text of a window (a caption, or the contents of a text box).
std::wstring WindowText(HWND window);

}  // namespace trevasso::win32
