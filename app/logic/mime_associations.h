#pragma once

#include <optional>
#include <string>
#include <vector>

namespace trevasso::logic {

// One desktop entry file found below an applications folder.
struct DesktopEntryFile {
  std::string path;          // as the file system takes it
  std::string relativePath;  // below the applications folder, '/' between the names
};

// The files HasApplicationFor reads, from the file system of the program that asks.
class DesktopFileSource {
 public:
  virtual ~DesktopFileSource() = default;

  // The desktop entries ("*.desktop" in any letter case, hidden files left out) in `folder`
  // and in its subfolders that are neither hidden nor links.
  virtual std::vector<DesktopEntryFile> EntriesBelow(const std::string& folder) const = 0;

  // The bytes of the file at `path`; nothing when it cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) const = 0;
};

// Whether the desktop has an application that opens files of any of `mimeTypes`, by the rules
// desktops use to pick one: an installed desktop entry (under one of `applicationFolders`, in
// any subfolder) that declares the type and is not hidden, or that a mimeapps.list among
// `mimeappsLists` names for the type under [Default Applications] or [Added Associations];
// less every entry a mimeapps.list names for the type under [Removed Associations]. Files that
// cannot be read count as empty. Texts are UTF-8.
bool HasApplicationFor(const std::vector<std::string>& mimeTypes,
                       const std::vector<std::string>& mimeappsLists,
                       const std::vector<std::string>& applicationFolders,
                       const DesktopFileSource& files);

}  // namespace trevasso::logic
