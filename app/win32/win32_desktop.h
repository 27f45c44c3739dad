#pragma once

#include "desktop.h"

namespace trevasso::win32 {

// The desktop of a real session: the system's message boxes, common dialogs and shell.
class Win32Desktop final : public Desktop {
 public:
  void ShowMessage(HWND owner, const logic::Notice& notice) override;
  bool ShowOpenDialog(HWND owner, FileDialogState& dialog) override;
  std::wstring BrowseForFolder(HWND owner) override;
  void ShellOpen(const std::wstring& target) override;
  void RunModal(HWND window, HWND owner) override;
};

// The system's filter list of the open-file dialog ("description\0patterns\0...\0\0") for the
// logic's filters: each one's caption as the user sees it, with the patterns it names in its own
// brackets ("MP3 Audio Files(*.mp3)" gives "*.mp3"; the system matches in any letter case).
std::wstring SystemFilterList(const std::vector<std::string>& filters);

// The names an open-file dialog returned in `buffer`: one full path, or a folder followed by
// names in that folder, NUL between them and two NULs at the end.
std::vector<std::wstring> SplitSelection(const wchar_t* buffer);

}  // namespace trevasso::win32
