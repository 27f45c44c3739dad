#include "dlg_about.h"

#include <commctrl.h>

#include "control_ids.h"
#include "program_files.h"

namespace trevasso::win32 {

using namespace about;

namespace {

constexpr wchar_t kClassName[] = L"dlgABout";
// Client area of 4365 x 2085 twips.
constexpr int kClientWidth = 4365;
constexpr int kClientHeight = 2085;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

HFONT DerivedFont(HFONT base, int heightPercent, LONG weight, bool underline) {
  LOGFONTW font{};
  ::GetObjectW(base, sizeof font, &font);
  font.lfHeight = ::MulDiv(font.lfHeight, heightPercent, 100);
  font.lfWeight = weight;
  font.lfUnderline = underline ? TRUE : FALSE;
  return ::CreateFontIndirectW(&font);
}

}  // namespace

DlgAbout::DlgAbout(Desktop& desktop, const WindowLayout& layout) : desktop_(desktop) {
  static const bool registered = RegisterFormClass(kClassName, &DlgAbout::WindowProc);
  (void)registered;
  const SIZE outer = layout.WindowSize(kClientWidth, kClientHeight, kStyle, kExStyle, false);
  window_ = ::CreateWindowExW(kExStyle, kClassName, L"About Pelluvex", kStyle, 0, 0, outer.cx,
                              outer.cy, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  HWND picture = layout.Make(window_, WC_STATICW, L"", SS_ICON | SS_CENTERIMAGE, Picture1,
                             At15(14, 14, 48, 48));
  ::SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(LoadProgramIcon(48)), 0);
  nameFont_ = DerivedFont(layout.font(), 130, FW_BOLD, false);
  linkFont_ = DerivedFont(layout.font(), 100, FW_NORMAL, true);
  HWND name = layout.Make(window_, WC_STATICW, L"Pelluvex", 0, Label1, At15(76, 12, 200, 22));
  ::SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_), FALSE);
  layout.Make(window_, WC_STATICW, L"Version 1", 0, lVer, At15(76, 36, 200, 18));
  layout.Make(window_, WC_STATICW,
              L"Split MP3 and WAVE audio; Join splitted MP3 or WAVE audio back", 0, Label2,
              At15(76, 58, 205, 44));
  HWND link = layout.Make(window_, WC_STATICW, kProductWebAddress, SS_NOTIFY, Label3,
                          At15(76, 110, 205, 18));
  ::SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
  CentreOnScreen(window_);
}

DlgAbout::~DlgAbout() {
  if (::IsWindow(window_)) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
  ::DeleteObject(nameFont_);
  ::DeleteObject(linkFont_);
}

LRESULT CALLBACK DlgAbout::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DispatchToForm(window, message, w, l, &DlgAbout::window_, &DlgAbout::Handle);
}

LRESULT DlgAbout::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      // The web address is drawn in blue, as a link.
      if (::GetDlgCtrlID(reinterpret_cast<HWND>(l)) == Label3) {
        auto* context = reinterpret_cast<HDC>(w);
        ::SetTextColor(context, RGB(0, 0, 255));
        ::SetBkMode(context, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      return ::DefWindowProcW(window_, message, w, l);
    case WM_SETCURSOR:
      if (::GetDlgCtrlID(reinterpret_cast<HWND>(w)) == Label3) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      return ::DefWindowProcW(window_, message, w, l);
    case WM_COMMAND:
      if (LOWORD(w) == Label3 && HIWORD(w) == STN_CLICKED) desktop_.ShellOpen(kProductWebAddress);
      // Esc closes the box as its close box does.
      if (LOWORD(w) == IDCANCEL) ::DestroyWindow(window_);
      return 0;
    case WM_CLOSE:
      ::DestroyWindow(window_);
      return 0;
    default:
      return ::DefWindowProcW(window_, message, w, l);
  }
}

}  // namespace trevasso::win32
