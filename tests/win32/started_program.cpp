#include "started_program.h"

#include <cstdio>
#include <string>

namespace {

int passed = 0;
int failed = 0;

void Record(bool ok, const char* what) {
  ++(ok ? passed : failed);
  if (!ok) std::printf("FAIL %s\n", what);
}

std::wstring ImagePath(HANDLE process) {
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  return ::QueryFullProcessImageNameW(process, 0, path, &size) ? std::wstring(path, size)
                                                               : std::wstring();
}

}  // namespace

int CheckStartedProgram(const std::wstring& expectedImage) {
  // The main window, by its class and caption, within half a minute of the start.
  HWND window = nullptr;
  for (int tries = 0; tries < 300 && window == nullptr; ++tries) {
    window = ::FindWindowW(L"frmQuorvane", L"Pelluvex");
    if (window == nullptr) ::Sleep(100);
  }
  Record(window != nullptr, "the main window appears");
  if (window != nullptr) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
    Record(process != nullptr, "its process can be opened");
    const std::wstring image = process != nullptr ? ImagePath(process) : std::wstring();
    Record(::CompareStringOrdinal(image.c_str(), -1, expectedImage.c_str(), -1, TRUE) == CSTR_EQUAL,
           "it runs from the installed folder");
    if (image != expectedImage) std::printf("  runs %ls\n", image.c_str());
    // The window exists before the program shows it: give it the same half minute to be shown.
    for (int tries = 0; tries < 300 && !::IsWindowVisible(window); ++tries) ::Sleep(100);
    Record(::IsWindowVisible(window) && ::GetMenu(window) != nullptr, "it is shown with its menus");
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended = process != nullptr && ::WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
    Record(ended, "closing the window ends the program");
    DWORD status = 1;
    if (ended) ::GetExitCodeProcess(process, &status);
    Record(ended && status == 0, "the program ends with status 0");
    if (process != nullptr) ::CloseHandle(process);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
