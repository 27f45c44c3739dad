#pragma once

#include <string>

namespace trevasso::logic {

// The icon of a message box.
enum class NoticeIcon { Information, Critical };

// A message box the windows show instead of going on: its icon and its text, UTF-8.
struct Notice {
  NoticeIcon icon = NoticeIcon::Information;
  std::string text;
  friend bool operator==(const Notice&, const Notice&) = default;
};

}  // namespace trevasso::logic
