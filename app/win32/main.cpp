// trevasso.exe: the desktop program over the Tandrel control.
// The system's types first: the common controls' header needs them.
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on
#include <ole2.h>

#include "frm_quorvane.h"
#include "win32_desktop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  // The control is apartment-threaded: everything runs on this one thread.
  if (FAILED(::OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                                     ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  int status = 0;
  {
    trevasso::win32::Win32Desktop desktop;
    const trevasso::win32::WindowLayout layout;
    trevasso::win32::FrmQuorvane frmQuorvane(desktop, layout);
    ::ShowWindow(frmQuorvane.window(), show);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (::TranslateAcceleratorW(frmQuorvane.window(), frmQuorvane.accelerators(), &message)) {
        continue;
      }
      if (::IsDialogMessageW(frmQuorvane.window(), &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    status = static_cast<int>(message.wParam);
  }
  ::OleUninitialize();
  return status;
}
