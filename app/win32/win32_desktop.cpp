#include "win32_desktop.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "logic/path_routines.h"
#include "text_edge.h"

namespace trevasso::win32 {

namespace {

// Room for a multiple selection's folder and names, as the program has always given it.
constexpr DWORD kSelectionChars = 20480;

}  // namespace

void Win32Desktop::ShowMessage(HWND owner, const logic::Notice& notice) {
  const UINT icon = notice.icon == logic::NoticeIcon::Critical ? MB_ICONERROR : MB_ICONINFORMATION;
  ::MessageBoxW(owner, FromUtf8(notice.text).c_str(), L"Pelluvex", MB_OK | icon);
}

std::wstring SystemFilterList(const std::vector<std::string>& filters) {
  std::wstring list;
  for (const std::string& filter : filters) {
    // "caption (toolkit patterns)": the caption ends with its own "(patterns)".
    const std::size_t toolkit = filter.rfind(" (");
    const std::string caption = filter.substr(0, toolkit);
    const std::size_t open = caption.rfind('(');
    const std::size_t close = caption.rfind(')');
    const std::string patterns = open != std::string::npos && close > open
                                     ? caption.substr(open + 1, close - open - 1)
                                     : std::string("*.*");
    list += FromUtf8(caption);
    list += L'\0';
    list += FromUtf8(patterns);
    list += L'\0';
  }
  list += L'\0';
  return list;
}

std::vector<std::wstring> SplitSelection(const wchar_t* buffer) {
  std::vector<std::wstring> parts;
  for (const wchar_t* part = buffer; *part != L'\0'; part += parts.back().size() + 1) {
    parts.emplace_back(part);
  }
  if (parts.size() < 2) return parts;
  std::vector<std::wstring> paths;
  const std::string folder = ToUtf8(parts[0]);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    paths.push_back(FromUtf8(logic::JoinPath(folder, ToUtf8(parts[i]), UserFacts())));
  }
  return paths;
}

bool Win32Desktop::ShowOpenDialog(HWND owner, FileDialogState& dialog) {
  std::wstring buffer(kSelectionChars, L'\0');
  const std::wstring last = dialog.FileName();
  if (last.size() < kSelectionChars) last.copy(buffer.data(), last.size());
  const std::wstring filter = SystemFilterList(dialog.filters);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(dialog.filterIndex);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = kSelectionChars;
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (dialog.multiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
  if (dialog.mustExist) ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  if (!::GetOpenFileNameW(&ofn)) return false;
  dialog.filterIndex = static_cast<int>(ofn.nFilterIndex);
  dialog.fileNames = dialog.multiSelect ? SplitSelection(buffer.c_str())
                                        : std::vector<std::wstring>{buffer.c_str()};
  return true;
}

std::wstring Win32Desktop::BrowseForFolder(HWND owner) {
  wchar_t name[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = name;
  info.lpszTitle = L"Please locate a directory";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
  if (chosen == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  const bool ok = ::SHGetPathFromIDListW(chosen, path);
  ::CoTaskMemFree(chosen);
  return ok ? std::wstring(path) : std::wstring();
}

void Win32Desktop::ShellOpen(const std::wstring& target) {
  ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Desktop::RunModal(HWND window, HWND owner) {
  if (owner != nullptr) ::EnableWindow(owner, FALSE);
  ::ShowWindow(window, SW_SHOW);
  MSG message;
  while (::IsWindow(window)) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: leave the quit for the main loop.
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (!::IsDialogMessageW(window, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  if (owner != nullptr) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
  }
}

}  // namespace trevasso::win32
