// The control in a container: hosted by the system's own control host (the AtlAxWin window class
// of atl.dll) and drawn there.
#include "test_client.h"

namespace tandrel::wintest {

// Draws the hosted control within (0,0)-(40,40) of a grey 60 x 60 picture whose device context
// holds a red brush: the white rectangle, and the ellipse filled with that brush, outlined in
// black.
void CheckHosted() {
  const HMODULE atl = ::LoadLibraryW(L"atl.dll");
  const auto init = reinterpret_cast<BOOL(WINAPI*)()>(
      reinterpret_cast<void*>(::GetProcAddress(atl, "AtlAxWinInit")));
  const auto getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
      reinterpret_cast<void*>(::GetProcAddress(atl, "AtlAxGetControl")));
  if (!CHECK(init != nullptr && getControl != nullptr && init())) return;
  // The window's text names what the host creates.
  const HWND host = ::CreateWindowExW(0, L"AtlAxWin", Wide(id::kControlProgId).c_str(),
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                      nullptr, ::GetModuleHandleW(nullptr), nullptr);
  for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&msg);
  ComPtr<IUnknown> hosted;
  if (CHECK(host != nullptr && SUCCEEDED(getControl(host, &hosted)) && hosted != nullptr)) {
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = ::CreateBitmap(60, 60, 1, 32, nullptr);
    ::SelectObject(dc, bitmap);
    const RECT all{0, 0, 60, 60}, bounds{0, 0, 40, 40};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    ::SelectObject(dc, ::GetStockObject(DC_BRUSH));
    ::SetDCBrushColor(dc, RGB(255, 0, 0));
    CHECK(::OleDraw(hosted.Get(), DVASPECT_CONTENT, dc, &bounds) == S_OK);
    auto pixel = [dc](int x, int y) { return ::GetPixel(dc, x, y) & 0xFFFFFF; };
    // White inside the bounds, red in the ellipse, grey outside, the outline black.
    CHECK((std::vector{pixel(0, 0), pixel(39, 39), pixel(20, 20), pixel(50, 50)} ==
           std::vector<COLORREF>{0xFFFFFF, 0xFFFFFF, 0x0000FF, 0x808080}));
    CHECK(pixel(20, 0) == 0 || pixel(20, 1) == 0 || pixel(20, 2) == 0);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
  }
  hosted.Reset();
  ::DestroyWindow(host);
}

}  // namespace tandrel::wintest
