#include "control_window.h"

#include "module.h"

namespace tandrel::com {
namespace {

constexpr const wchar_t* kClassName = L"TandrelCtrlWindow";
ATOM windowClass = 0;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole window
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(window, &paint);
      RECT client;
      ::GetClientRect(window, &client);
      DrawDesignPicture(dc, client);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      ::GetClientRect(window, &client);
      DrawDesignPicture(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

void DrawDesignPicture(HDC dc, const RECT& bounds) {
  ::FillRect(dc, &bounds, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::Ellipse(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

HWND CreateControlWindow(HWND parent, const RECT& position) {
  if (windowClass == 0) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    windowClass = ::RegisterClassExW(&wc);
    if (windowClass == 0) return nullptr;
  }
  return ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           position.left, position.top, position.right - position.left,
                           position.bottom - position.top, parent, nullptr, ModuleInstance(),
                           nullptr);
}

void UnregisterControlWindowClass() {
  if (windowClass != 0) ::UnregisterClassW(kClassName, ModuleInstance());
  windowClass = 0;
}

}  // namespace tandrel::com
