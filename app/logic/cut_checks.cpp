#include "logic/cut_checks.h"

namespace trevasso::logic {

std::optional<Notice> AddSectionsRefusal(const std::string& source, double playTime,
                                         std::int64_t fileLength) {
  if (source.empty() || playTime <= 0 || fileLength < 1) {
    return Notice{NoticeIcon::Information, "Please open a file first!"};
  }
  return std::nullopt;
}

std::optional<Notice> RemoveSectionsRefusal(std::size_t rows) {
  if (rows == 0) return Notice{NoticeIcon::Information, "No files to remove"};
  return std::nullopt;
}

std::optional<Notice> SplitRefusal(const std::string& source, std::int64_t fileLength, bool byTime,
                                   std::size_t sections) {
  if (source.empty() || fileLength < 1) {
    return Notice{NoticeIcon::Information, "Please open a file to split!"};
  }
  if (byTime && sections == 0) {
    return Notice{NoticeIcon::Information,
                  "Please add sections to split, press the \"Add Sections...\" button to add ..."};
  }
  return std::nullopt;
}

}  // namespace trevasso::logic
