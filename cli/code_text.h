#pragma once

#include <string>

namespace tandrel::cli {

// The program's own words for an operation's result code on `path` when nothing more particular
// is known (the library's messages are the desktop program's); empty for 0.
std::string CodeText(int code, const std::string& path = {});

}  // namespace tandrel::cli
