#include "program_files.h"

#include "logic/path_routines.h"
#include "text_edge.h"

namespace trevasso::win32 {

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::string folder = logic::GetFolderPart(ToUtf8(path), UserFacts());
  return FromUtf8(folder);
}

std::wstring HelpFileName() {
  const std::wstring compiled = L"trevasso.chm";
  const std::string path = logic::JoinPath(ToUtf8(ProgramFolder()), ToUtf8(compiled), UserFacts());
  return ::GetFileAttributesW(FromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES
             ? compiled
             : std::wstring(L"help\\index.html");
}

HICON LoadProgramIcon(int size) {
  auto* icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                               IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  return icon != nullptr ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace trevasso::win32
