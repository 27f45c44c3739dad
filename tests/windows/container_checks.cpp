// The control in a container: hosted by the system's own control host (the AtlAxWin window
// class of atl.dll), called and drawn there; its state saved and loaded back.
#include "test_client.h"

namespace tandrel::wintest {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kBlue = RGB(0, 0, 255),
                   kRed = RGB(255, 0, 0);

// Draws the control within (0,0)-(40,40) of a blue 60 x 60 picture whose device context holds a
// red brush: the white rectangle, and the ellipse filled with that brush, outlined in black.
void CheckPicture(IUnknown* control) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 60, -60, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC dc = ::CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
  const HBRUSH blue = ::CreateSolidBrush(kBlue), red = ::CreateSolidBrush(kRed);
  const RECT all{0, 0, 60, 60}, bounds{0, 0, 40, 40};
  ::FillRect(dc, &all, blue);
  const HGDIOBJ oldBrush = ::SelectObject(dc, red);
  CHECK_HR(::OleDraw(control, DVASPECT_CONTENT, dc, &bounds), S_OK);
  auto pixel = [dc](int x, int y) { return ::GetPixel(dc, x, y) & 0xFFFFFF; };
  CHECK_EQ(pixel(0, 0), kWhite);
  CHECK_EQ(pixel(39, 39), kWhite);
  CHECK_EQ(pixel(20, 20), kRed);
  CHECK_EQ(pixel(50, 50), kBlue);  // outside the bounds
  CHECK(pixel(20, 0) == kBlack || pixel(20, 1) == kBlack || pixel(20, 2) == kBlack);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldBitmap);
  ::DeleteObject(red);
  ::DeleteObject(blue);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
}

void CheckHosted(const std::wstring& fixtures) {
  BeginSection("container: the system's control host");
  const HMODULE atl = ::LoadLibraryW(L"atl.dll");
  const auto init = Entry<BOOL(WINAPI*)()>(atl, "AtlAxWinInit");
  const auto getControl = Entry<HRESULT(WINAPI*)(HWND, IUnknown**)>(atl, "AtlAxGetControl");
  if (!CHECK(atl != nullptr && init != nullptr && getControl != nullptr && init())) return;
  // The window's text names what the host creates.
  const HWND host = ::CreateWindowExW(0, L"AtlAxWin", Wide(id::kControlProgId).c_str(),
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                      nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!CHECK(host != nullptr)) return;
  for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&msg);
  {  // released before the host goes
    ComPtr<IUnknown> hosted;
    ComPtr<IPersist> persist;
    ComPtr<IDispatch> control;
    ComPtr<IViewObjectEx> view;
    if (CHECK(SUCCEEDED(getControl(host, &hosted)) && hosted != nullptr &&
              SUCCEEDED(hosted.As(&persist)) && SUCCEEDED(hosted.As(&control)) &&
              SUCCEEDED(hosted.As(&view)))) {
      CLSID clsid{};
      persist->GetClassID(&clsid);
      CHECK_EQ(clsid, com::kControlClsid);
      RECTL rect{};
      CHECK_HR(view->GetRect(DVASPECT_CONTENT, &rect), S_OK);  // active in place
      EventSink sink;
      const DWORD cookie = Advise(control.Get(), &sink);
      const std::wstring input = fixtures + L"\\list_chunk.wav";
      std::vector args{Str(ScratchFolder(L"hosted") + L"\\twice.wav"), Str(input + L"|" + input),
                       Var(VT_I2, short{2})};
      CHECK_EQ(Call(control.Get(), CTandrelCtrl::kDispJoin, std::move(args)).value, 0);
      CHECK_EQ(sink.events, std::string("Join(50) Join(100) StatusChange(4)"));
      CHECK_HR(Unadvise(control.Get(), cookie), S_OK);
      CheckPicture(hosted.Get());
    }
  }
  ::DestroyWindow(host);
}

// The saved state: the version stamp 0x00010000, then the extent, loaded back by another control.
void CheckSavedState() {
  BeginSection("container: saved state");
  const ComPtr<IDispatch> first = CreateControl(), second = CreateControl();
  ComPtr<IOleObject> object, loaded;
  ComPtr<IPersistStreamInit> persist, loader;
  ComPtr<IStream> stream;
  SIZEL extent{1000, 500}, got{};
  std::vector<std::uint8_t> bytes(16);
  ULONG read = 0;
  CHECK(first && second && SUCCEEDED(first.As(&object)) && SUCCEEDED(first.As(&persist)) &&
        SUCCEEDED(second.As(&loaded)) && SUCCEEDED(second.As(&loader)) &&
        SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(persist->InitNew()) && SUCCEEDED(object->SetExtent(DVASPECT_CONTENT, &extent)) &&
        SUCCEEDED(persist->Save(stream.Get(), TRUE)) &&
        SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr)) &&
        SUCCEEDED(stream->Read(bytes.data(), 16, &read)) &&
        SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr)) &&
        SUCCEEDED(loader->Load(stream.Get())) &&
        SUCCEEDED(loaded->GetExtent(DVASPECT_CONTENT, &got)));
  bytes.resize(read);
  CHECK(bytes == (std::vector<std::uint8_t>{0x00, 0x00, 0x01, 0x00, 0xE8, 0x03, 0x00, 0x00, 0xF4,
                                            0x01, 0x00, 0x00}));
  CHECK(got.cx == 1000 && got.cy == 500);
}

}  // namespace

void CheckContainers(const std::wstring& fixtures) {
  CheckHosted(fixtures);
  CheckSavedState();
}

}  // namespace tandrel::wintest
