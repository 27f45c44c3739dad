#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "tandrel/media_info.h"

namespace tandrel::cli {

// What `tandrel info` found out about one file.
struct FileReport {
  std::string path;
  int code = 0;  // 0, or the result code of the failure (1, 3 or 5)
  TandrelMediaInfo media{};
  std::int32_t componentPlayTime = 0;  // the component's GetPlayTime, when code is 0
};

// The report for people: the path, then one "  label  value" line per fact.
std::string TextReport(const FileReport& report);

// The reports as one JSON array with an object per file. Bytes of a path that are no valid
// UTF-8 become U+FFFD.
std::string JsonReport(std::span<const FileReport> reports);

}  // namespace tandrel::cli
