#include "logic/mime_associations.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace trevasso::logic {

namespace {

// The length of the white space character (by Unicode, as desktops trim keys and values) that
// `text` starts with at `at`, or 0.
std::size_t SpaceAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
  };
  const unsigned first = byte(0);
  if (first == ' ' || (first >= '\t' && first <= '\r')) return 1;
  if (first == 0xC2 && (byte(1) == 0x85 || byte(1) == 0xA0)) return 2;  // U+0085, U+00A0
  if (first == 0xE1 && byte(1) == 0x9A && byte(2) == 0x80) return 3;    // U+1680
  if (first == 0xE2 && byte(1) == 0x80) {
    const unsigned last = byte(2);
    // U+2000 to U+200A, U+2028, U+2029, U+202F
    if ((last >= 0x80 && last <= 0x8A) || last == 0xA8 || last == 0xA9 || last == 0xAF) return 3;
  }
  if (first == 0xE2 && byte(1) == 0x81 && byte(2) == 0x9F) return 3;  // U+205F
  if (first == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80) return 3;  // U+3000
  return 0;
}

// The length of the white space character that `text` ends with, or 0.
std::size_t SpaceBefore(std::string_view text, std::size_t end) {
  for (std::size_t length = 1; length <= 3 && length <= end; ++length) {
    if (SpaceAt(text, end - length) == length) return length;
  }
  return 0;
}

std::string_view Trimmed(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last) {
    const std::size_t length = SpaceAt(text, first);
    if (length == 0) break;
    first += length;
  }
  while (last > first) {
    const std::size_t length = SpaceBefore(text, last);
    if (length == 0) break;
    last -= length;
  }
  return text.substr(first, last - first);
}

// Calls `entry(group, key, value)` for every "key=value" line of a desktop-style file.
template <typename Entry>
void ReadKeyFile(const DesktopFileSource& files, const std::string& path, Entry entry) {
  const std::optional<std::string> content = files.ReadFile(path);
  if (!content) return;
  std::string_view rest = *content;
  if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);  // a byte order mark
  std::string group;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = Trimmed(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.starts_with('[') && line.ends_with(']') && line.size() >= 2) {
      group = line.substr(1, line.size() - 2);
    } else if (const std::size_t equals = line.find('=');
               equals != std::string_view::npos && equals > 0 && !line.starts_with('#')) {
      entry(group, std::string(Trimmed(line.substr(0, equals))),
            std::string(Trimmed(line.substr(equals + 1))));
    }
  }
}

std::vector<std::string> ListValue(const std::string& value) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= value.size()) {
    const std::size_t end = std::min(value.find(';', start), value.size());
    if (end > start) items.push_back(value.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

}  // namespace

bool HasApplicationFor(const std::vector<std::string>& mimeTypes,
                       const std::vector<std::string>& mimeappsLists,
                       const std::vector<std::string>& applicationFolders,
                       const DesktopFileSource& files) {
  const auto wanted = [&mimeTypes](const std::string& type) {
    return std::ranges::find(mimeTypes, type) != mimeTypes.end();
  };
  std::set<std::string> installed, handlers, removed;
  for (const std::string& folder : applicationFolders) {
    for (const DesktopEntryFile& file : files.EntriesBelow(folder)) {
      // A desktop entry's id is its path below the folder with "-" for the separators.
      std::string id = file.relativePath;
      std::ranges::replace(id, '/', '-');
      bool declares = false, hidden = false;
      ReadKeyFile(files, file.path,
                  [&](const std::string& group, const std::string& key, const std::string& value) {
                    if (group != "Desktop Entry") return;
                    if (key == "MimeType") declares = std::ranges::any_of(ListValue(value), wanted);
                    if (key == "Hidden") hidden = value == "true";
                  });
      if (hidden) continue;
      installed.insert(id);
      if (declares) handlers.insert(id);
    }
  }
  for (const std::string& list : mimeappsLists) {
    ReadKeyFile(files, list,
                [&](const std::string& group, const std::string& key, const std::string& value) {
                  if (!wanted(key)) return;
                  for (const std::string& id : ListValue(value)) {
                    if (group == "Removed Associations") removed.insert(id);
                    const bool named =
                        group == "Default Applications" || group == "Added Associations";
                    if (named && installed.contains(id)) handlers.insert(id);
                  }
                });
  }
  for (const std::string& id : removed) handlers.erase(id);
  return !handlers.empty();
}

}  // namespace trevasso::logic
