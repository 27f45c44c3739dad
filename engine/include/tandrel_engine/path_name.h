#pragma once

#include <string>
#include <string_view>

namespace tandrel {

// The one path separator of the platform the engine is built for.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The name after the last separator (the whole path when there is none), cut before its last dot.
std::string GetBaseName(std::string_view path);

}  // namespace tandrel
