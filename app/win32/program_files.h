#pragma once

#include <windows.h>

#include <string>

namespace trevasso::win32 {

// The product's web page, opened by "Visit us on website" and by the About box's link.
inline constexpr wchar_t kProductWebAddress[] = L"https://tandrel.net/";

// The folder that holds the running program.
std::wstring ProgramFolder();

// The help opened by Contents, from the program's folder: the compiled help trevasso.chm where it
// is installed, else the front page of the HTML help.
std::wstring HelpFileName();

// The program's icon at `size` pixels: resource 1, or the system's application icon.
HICON LoadProgramIcon(int size);

}  // namespace trevasso::win32
