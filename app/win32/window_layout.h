#pragma once

// Sizes and places are drawn in twips (1440 to the inch) and set in pixels of the real screen:
// px = twips * dpi / 1440.

#include <windows.h>

#include <string>

namespace trevasso::win32 {

struct TwipsRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A rectangle drawn at 15 twips per pixel (96 dpi), in twips.
constexpr TwipsRect At15(int x, int y, int width, int height) {
  return {x * 15, y * 15, width * 15, height * 15};
}

class WindowLayout {
 public:
  // The screen's dots per inch (GetDeviceCaps LOGPIXELSX) and the message font.
  WindowLayout();
  explicit WindowLayout(int dpi);

  int dpi() const { return dpi_; }
  int Px(int twips) const { return ::MulDiv(twips, dpi_, 1440); }
  HFONT font() const;

  // Makes the child control `id` of class `className` on `parent` at `place`, with the message
  // font.
  HWND Make(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id,
            const TwipsRect& place, DWORD exStyle = 0) const;

  // The outer size of a window of `style` whose client area is `width` x `height` twips.
  SIZE WindowSize(int width, int height, DWORD style, DWORD exStyle, bool menu) const;

 private:
  int dpi_;
};

// Places `window` at the centre of the work area of the screen it is on.
void CentreOnScreen(HWND window);

// Registers a window class of this program: the dialog face as background, the arrow cursor,
// and the icons when given. True when it is registered (also by an earlier call).
bool RegisterFormClass(const wchar_t* name, WNDPROC procedure, HICON icon = nullptr,
                       HICON smallIcon = nullptr);

// The body of a form's window procedure: the form given to CreateWindowEx as its creation
// parameter keeps the window in its member `window` and handles every message from
// WM_NCCREATE on with `handler`; messages before that take the default.
template <class Form>
LRESULT DispatchToForm(HWND window, UINT message, WPARAM w, LPARAM l, HWND Form::*handle,
                       LRESULT (Form::*handler)(UINT, WPARAM, LPARAM)) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    self->*handle = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? (self->*handler)(message, w, l)
                         : ::DefWindowProcW(window, message, w, l);
}

// A plain window class whose windows pass their children's notifications (WM_COMMAND,
// WM_NOTIFY, WM_HSCROLL) to the top window, so that the tab pages and the frames hold controls
// without handling them. Registered once.
const wchar_t* PanelClass();

}  // namespace trevasso::win32
