#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "logic/notice.h"

namespace trevasso::win32 {

// One open-file dialog object (dlg, dlgJoin, dlgJoinJ). It keeps the names it returned last from
// one use to the next: it opens with them in its name box, and a cancel leaves them as they were.
struct FileDialogState {
  std::vector<std::string> filters;     // the logic's audio filters, the first one chosen
  int filterIndex = 1;                  // 1-based, as the system counts
  std::vector<std::wstring> fileNames;  // full paths returned last; at most one unless multiSelect
  bool multiSelect = false;
  bool mustExist = false;  // without it the user may type the name of a file not there yet

  std::wstring FileName() const { return fileNames.empty() ? std::wstring() : fileNames[0]; }
};

// Everything the windows ask of the desktop: message boxes, the open-file dialog, the folder
// picker, opening a document, and running a window modally. Tests put a stub in its place and
// read what would have been shown.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // A modal box titled "Pelluvex" with the notice's icon and one OK button.
  virtual void ShowMessage(HWND owner, const logic::Notice& notice) = 0;

  // Shows `dialog` as an open-file dialog. On OK stores the chosen names and filter in it and
  // returns true; on cancel leaves it as it was and returns false.
  virtual bool ShowOpenDialog(HWND owner, FileDialogState& dialog) = 0;

  // The folder picker titled "Please locate a directory", rooted at the desktop: the folder as
  // the system gives it, or "" when the user cancels or anything fails.
  virtual std::wstring BrowseForFolder(HWND owner) = 0;

  // The shell's verb "open" on a document or a web address; the outcome is not examined.
  virtual void ShellOpen(const std::wstring& target) = 0;

  // Shows `window` and keeps `owner` from input until `window` is destroyed.
  virtual void RunModal(HWND window, HWND owner) = 0;
};

}  // namespace trevasso::win32
