#pragma once

#include <string>

namespace trevasso::logic {

// What the logic needs to know of the system it runs on and may not ask the system itself: each
// desktop program fills this in from its own toolkit (the Qt program from the window's locale,
// the Win32 program from the user's locale settings). Texts are UTF-8.
struct PlatformFacts {
  // The locale's thousands separator; may take several bytes (U+202F in French).
  std::string groupSeparator = ",";
  // The locale's decimal point.
  std::string decimalPoint = ".";
  // The one separator the program's paths use: '/' in the Qt program (Qt writes '/' on every
  // system), '\\' in the Win32 program.
  char pathSeparator = '/';
};

}  // namespace trevasso::logic
