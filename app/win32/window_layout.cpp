#include "window_layout.h"

namespace trevasso::win32 {

namespace {

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT MessageFont() {
  static HFONT font = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      return ::CreateFontIndirectW(&metrics.lfMessageFont);
    }
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
      return ::SendMessageW(::GetAncestor(window, GA_ROOT), message, w, l);
    default:
      return ::DefWindowProcW(window, message, w, l);
  }
}

}  // namespace

WindowLayout::WindowLayout() : dpi_(ScreenDpi()) {}
WindowLayout::WindowLayout(int dpi) : dpi_(dpi) {}

HFONT WindowLayout::font() const {
  return MessageFont();
}

HWND WindowLayout::Make(HWND parent, const wchar_t* className, const std::wstring& text,
                        DWORD style, int id, const TwipsRect& place, DWORD exStyle) const {
  HWND control = ::CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   Px(place.x), Px(place.y), Px(place.width), Px(place.height),
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
  return control;
}

SIZE WindowLayout::WindowSize(int width, int height, DWORD style, DWORD exStyle, bool menu) const {
  RECT outer{0, 0, Px(width), Px(height)};
  ::AdjustWindowRectEx(&outer, style, menu ? TRUE : FALSE, exStyle);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

void CentreOnScreen(HWND window) {
  RECT frame{};
  ::GetWindowRect(window, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  ::SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool RegisterFormClass(const wchar_t* name, WNDPROC procedure, HICON icon, HICON smallIcon) {
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = procedure;
  type.hInstance = ::GetModuleHandleW(nullptr);
  type.hIcon = icon;
  type.hIconSm = smallIcon;
  type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  type.lpszClassName = name;
  return ::RegisterClassExW(&type) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

const wchar_t* PanelClass() {
  static const wchar_t* name = [] {
    RegisterFormClass(L"TrevassoPanel", PanelProc);
    return L"TrevassoPanel";
  }();
  return name;
}

}  // namespace trevasso::win32
