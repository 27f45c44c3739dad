#include "container_checks.h"

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <atomic>
#include <map>

#include "audio_files.h"
#include "com_calls.h"
#include "com_identity.h"
#include "identity.h"
#include "test_tally.h"

namespace tandrel::wintest {
namespace {

namespace id = identity;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// The container's client site: in-place activation, windowless when offered and allowed.
class ContainerSite final : public IOleClientSite, public IOleInPlaceSiteWindowless {
 public:
  ContainerSite(HWND window, RECT position, bool offersWindowless)
      : window_(window), position_(position), offersWindowless_(offersWindowless) {}

  int activations = 0;
  int deactivations = 0;
  DWORD activationFlags = 0xFFFFFFFF;  // of OnInPlaceActivateEx
  int shows = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite) ||
               (offersWindowless_ && (IsEqualIID(iid, IID_IOleInPlaceSiteEx) ||
                                      IsEqualIID(iid, IID_IOleInPlaceSiteWindowless)))) {
      *out = static_cast<IOleInPlaceSiteWindowless*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  // Lives on the test's stack, longer than any control that holds it.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override {
    ++shows;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override {
    *w = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    ++activations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override {
    *frame = nullptr;
    *doc = nullptr;
    *position = position_;
    *clip = position_;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    ++deactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceSiteEx
  HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override {
    if (noRedraw != nullptr) *noRedraw = FALSE;
    activationFlags = flags;
    ++activations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override {
    ++deactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }

  // IOleInPlaceSiteWindowless
  HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetCapture() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetCapture(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetFocus() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetFocus(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetDC(LPCRECT, DWORD, HDC* dc) override {
    *dc = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* r) override {
    *r = 0;
    return S_FALSE;
  }

 private:
  HWND window_;
  RECT position_;
  bool offersWindowless_;
};

// A property bag in memory.
class MemoryBag final : public IPropertyBag {
 public:
  ~MemoryBag() {
    for (auto& [name, value] : values) ::VariantClear(&value);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyBag)) return E_NOINTERFACE;
    *out = static_cast<IPropertyBag*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    const auto found = values.find(name);
    if (found == values.end()) return E_INVALIDARG;
    const VARTYPE wanted = V_VT(value);
    ::VariantInit(value);
    return wanted == VT_EMPTY ? ::VariantCopy(value, &found->second)
                              : ::VariantChangeType(value, &found->second, 0, wanted);
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
    VARIANT& slot = values[name];
    ::VariantClear(&slot);
    return ::VariantCopy(&slot, value);
  }
  std::map<std::wstring, VARIANT> values;
};

class PageSite final : public IPropertyPageSite {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyPageSite)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IPropertyPageSite*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* lcid) override {
    *lcid = LOCALE_USER_DEFAULT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
};

// A 32-bit memory bitmap to draw into, filled with one colour.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : dc_(::CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = ::SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    const HBRUSH brush = ::CreateSolidBrush(fill);
    ::FillRect(dc_, &all, brush);
    ::DeleteObject(brush);
  }
  ~Canvas() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Dc() const { return dc_; }
  COLORREF Pixel(int x, int y) const { return ::GetPixel(dc_, x, y) & 0xFFFFFF; }
  // Whether any pixel of column x between rows y0 and y1 has the colour.
  bool AnyInColumn(int x, int y0, int y1, COLORREF colour) const {
    for (int y = y0; y <= y1; ++y) {
      if (Pixel(x, y) == colour) return true;
    }
    return false;
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

// The picture in `area` of the canvas: white corners, `inside` colour in the middle, the
// ellipse's outline at the middle of the top edge.
void CheckPicture(const Canvas& canvas, const RECT& area, COLORREF inside, const char* what) {
  const int midX = (area.left + area.right) / 2, midY = (area.top + area.bottom) / 2;
  const std::string name(what);
  RecordEqual(canvas.Pixel(area.left, area.top), kWhite, (name + ": top-left corner").c_str(),
              __FILE__, __LINE__);
  RecordEqual(canvas.Pixel(area.right - 1, area.bottom - 1), kWhite,
              (name + ": bottom-right corner").c_str(), __FILE__, __LINE__);
  RecordEqual(canvas.Pixel(midX, midY), inside, (name + ": middle").c_str(), __FILE__, __LINE__);
  Record(canvas.AnyInColumn(midX, area.top, area.top + 2, kBlack),
         (name + ": outline at the top").c_str(), __FILE__, __LINE__, "");
}

LRESULT CALLBACK ContainerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcW(w, m, wp, lp);
}

HWND MakeContainerWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &ContainerProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TandrelTestContainer";
  ::RegisterClassExW(&wc);
  return ::CreateWindowExW(0, L"TandrelTestContainer", L"container",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 400, 300,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

void PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

ComPtr<IOleObject> CreateOleControl() {
  ComPtr<IOleObject> object;
  ::CoCreateInstance(com::kControlClsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
  return object;
}

void CheckWindowless(HWND container) {
  BeginSection("container: windowless activation and drawing");
  const RECT position{10, 20, 110, 70};
  ContainerSite site(container, position, true);
  ComPtr<IOleObject> object = CreateOleControl();
  if (!CHECK(object != nullptr)) return;
  DWORD misc = 0;
  CHECK_HR(object->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
  CHECK_EQ(misc, id::kMiscStatus);
  CHECK((misc & OLEMISC_SETCLIENTSITEFIRST) != 0);
  CHECK((misc & OLEMISC_ACTIVATEWHENVISIBLE) == 0);
  // The site first, then the state, as the flags ask.
  CHECK_HR(object->SetClientSite(&site), S_OK);
  ComPtr<IPersistStreamInit> persist;
  object.As(&persist);
  CHECK_HR(persist->InitNew(), S_OK);
  CLSID clsid{};
  CHECK_HR(object->GetUserClassID(&clsid), S_OK);
  CHECK_EQ(clsid, com::kControlClsid);
  LPOLESTR userType = nullptr;
  CHECK_HR(object->GetUserType(USERCLASSTYPE_FULL, &userType), S_OK);
  CHECK_EQ(std::wstring(userType != nullptr ? userType : L""), Wide(id::kIdsTandrel.text));
  ::CoTaskMemFree(userType);
  ComPtr<IOleControl> oleControl;
  object.As(&oleControl);
  CONTROLINFO info{};
  info.cb = sizeof info;
  CHECK_HR(oleControl->GetControlInfo(&info), S_OK);
  CHECK_EQ(info.cAccel, 0);

  CHECK_HR(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, container, &position), S_OK);
  CHECK_EQ(site.activations, 1);
  CHECK_EQ(site.activationFlags, static_cast<DWORD>(ACTIVATE_WINDOWLESS));
  ComPtr<IOleInPlaceObjectWindowless> inPlace;
  object.As(&inPlace);
  HWND window = nullptr;
  CHECK_HR(inPlace->GetWindow(&window), E_FAIL);  // windowless: no window of its own
  // A second activation changes nothing.
  CHECK_HR(object->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, container, &position), S_OK);
  CHECK_EQ(site.activations, 1);

  ComPtr<IViewObjectEx> view;
  if (CHECK(SUCCEEDED(object.As(&view)))) {
    RECTL rect{};
    CHECK_HR(view->GetRect(DVASPECT_CONTENT, &rect), S_OK);
    CHECK(rect.left == position.left && rect.top == position.top && rect.right == position.right &&
          rect.bottom == position.bottom);
    DWORD status = 0;
    CHECK_HR(view->GetViewStatus(&status), S_OK);
    CHECK((status & VIEWSTATUS_OPAQUE) != 0);
    DWORD hit = 0;
    CHECK_HR(view->QueryHitPoint(DVASPECT_CONTENT, &position, POINT{50, 40}, 0, &hit), S_OK);
    CHECK_EQ(hit, static_cast<DWORD>(HITRESULT_HIT));
    CHECK_HR(view->QueryHitPoint(DVASPECT_CONTENT, &position, POINT{5, 5}, 0, &hit), S_OK);
    CHECK_EQ(hit, static_cast<DWORD>(HITRESULT_OUTSIDE));

    // Windowless, with no bounds given: the picture where the control sits.
    {
      Canvas canvas(200, 100, kBlue);
      CHECK_HR(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), nullptr,
                          nullptr, nullptr, 0),
               S_OK);
      CheckPicture(canvas, position, kWhite, "drawn at its place");
      CHECK_EQ(canvas.Pixel(5, 5), kBlue);
      CHECK_EQ(canvas.Pixel(150, 80), kBlue);
    }
    // Given bounds and the device context's own brush.
    {
      Canvas canvas(60, 60, kBlue);
      const HBRUSH red = ::CreateSolidBrush(kRed);
      const HGDIOBJ old = ::SelectObject(canvas.Dc(), red);
      const RECTL bounds{0, 0, 40, 40};
      CHECK_HR(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds,
                          nullptr, nullptr, 0),
               S_OK);
      CheckPicture(canvas, RECT{0, 0, 40, 40}, kRed, "drawn with a red brush");
      CHECK_EQ(canvas.Pixel(50, 50), kBlue);
      ::SelectObject(canvas.Dc(), old);
      ::DeleteObject(red);
      CHECK_HR(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds,
                          nullptr, nullptr, 0),
               DV_E_DVASPECT);
    }
  }

  CHECK_HR(inPlace->InPlaceDeactivate(), S_OK);
  CHECK_EQ(site.deactivations, 1);
  CHECK_HR(object->Close(OLECLOSE_NOSAVE), S_OK);
  CHECK_HR(object->SetClientSite(nullptr), S_OK);
}

void CheckWindowed(HWND container) {
  BeginSection("container: windowed activation");
  const RECT position{30, 40, 130, 90};
  ContainerSite site(container, position, false);
  ComPtr<IOleObject> object = CreateOleControl();
  if (!CHECK(object != nullptr)) return;
  object->SetClientSite(&site);
  CHECK_HR(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, container, &position), S_OK);
  CHECK_EQ(site.activations, 1);
  ComPtr<IOleInPlaceObject> inPlace;
  object.As(&inPlace);
  HWND window = nullptr;
  CHECK_HR(inPlace->GetWindow(&window), S_OK);
  if (CHECK(::IsWindow(window))) {
    CHECK(::GetParent(window) == container);
    RECT placed{};
    ::GetWindowRect(window, &placed);
    ::MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&placed), 2);
    CHECK(::EqualRect(&placed, &position));
    PumpMessages();
    Canvas canvas(100, 50, kBlue);
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    CheckPicture(canvas, RECT{0, 0, 100, 50}, kWhite, "window's picture");
    const RECT moved{0, 0, 50, 50};
    CHECK_HR(inPlace->SetObjectRects(&moved, &moved), S_OK);
    RECT client{};
    ::GetClientRect(window, &client);
    CHECK_EQ(client.right, 50L);
  }
  CHECK_HR(inPlace->InPlaceDeactivate(), S_OK);
  CHECK_EQ(site.deactivations, 1);
  CHECK(!::IsWindow(window));
  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);
}

// Wine's own control host (the AtlAxWin window class of atl.dll) creates the control by ProgID.
void CheckAtlHost(HWND container) {
  BeginSection("container: the system's ATL host");
  const HMODULE atl = ::LoadLibraryW(L"atl.dll");
  if (!CHECK(atl != nullptr)) return;
  using Init = BOOL(WINAPI*)();
  using GetControl = HRESULT(WINAPI*)(HWND, IUnknown**);
  const auto init =
      reinterpret_cast<Init>(reinterpret_cast<void*>(::GetProcAddress(atl, "AtlAxWinInit")));
  const auto getControl = reinterpret_cast<GetControl>(
      reinterpret_cast<void*>(::GetProcAddress(atl, "AtlAxGetControl")));
  if (!CHECK(init != nullptr && getControl != nullptr && init())) return;
  const std::wstring progId = Wide(id::kControlProgId);
  const HWND host =
      ::CreateWindowExW(0, L"AtlAxWin", progId.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 120, 60,
                        container, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!CHECK(host != nullptr)) return;
  PumpMessages();
  ComPtr<IUnknown> hosted;
  if (CHECK(SUCCEEDED(getControl(host, &hosted)) && hosted != nullptr)) {
    ComPtr<IPersist> persist;
    CLSID clsid{};
    if (CHECK(SUCCEEDED(hosted.As(&persist)))) {
      persist->GetClassID(&clsid);
      CHECK_EQ(clsid, com::kControlClsid);
    }
    ComPtr<IDispatch> control;
    if (CHECK(SUCCEEDED(hosted.As(&control)))) {
      const auto folder = ScratchFolder(L"atl");
      WriteBytes(folder + L"p.wav", WaveFile(1000, 1));
      WriteBytes(folder + L"q.wav", WaveFile(1000, 2));
      auto sink = EventRecorder::Make();
      const DWORD cookie = Connect(control.Get(), sink.Get());
      Args args;
      args.Str(folder + L"pq.wav").Str(folder + L"p.wav|" + folder + L"q.wav").Short(2);
      CHECK_EQ(Call(control.Get(), CTandrelCtrl::kDispJoin, args).value, 0);
      CHECK_EQ(sink->events, (std::vector<Event>{JoinEvent(50), JoinEvent(100), StatusEvent(4)}));
      Disconnect(control.Get(), cookie);
    }
  }
  // Active in place in the host (Wine's host does not paint a windowless control, so the
  // picture is checked with the containers above).
  ComPtr<IViewObjectEx> view;
  RECTL rect{};
  if (CHECK(hosted != nullptr && SUCCEEDED(hosted.As(&view)))) {
    CHECK_HR(view->GetRect(DVASPECT_CONTENT, &rect), S_OK);
  }
  view.Reset();
  hosted.Reset();
  ::DestroyWindow(host);
  PumpMessages();
}

// The compound-document way: created into a storage, drawn by OleDraw, saved into the storage
// and loaded back from it.
void CheckOleCreate(HWND container) {
  BeginSection("container: OleCreate, OleDraw, OleSave, OleLoad");
  ContainerSite site(container, RECT{0, 0, 40, 40}, true);
  ComPtr<IStorage> storage;
  if (!CHECK(SUCCEEDED(::StgCreateDocfile(
          nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
          &storage)))) {
    return;
  }
  ComPtr<IOleObject> object;
  if (!CHECK(
          SUCCEEDED(::OleCreate(com::kControlClsid, IID_IOleObject, OLERENDER_DRAW, nullptr, &site,
                                storage.Get(), reinterpret_cast<void**>(object.GetAddressOf()))))) {
    return;
  }
  SIZEL extent{2000, 1000};
  CHECK_HR(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  Canvas canvas(60, 60, kBlue);
  const RECT bounds{0, 0, 40, 40};
  CHECK_HR(::OleDraw(object.Get(), DVASPECT_CONTENT, canvas.Dc(), &bounds), S_OK);
  CheckPicture(canvas, bounds, kWhite, "OleDraw");

  ComPtr<IPersistStorage> persist;
  if (CHECK(SUCCEEDED(object.As(&persist)))) {
    CHECK_HR(::OleSave(persist.Get(), storage.Get(), TRUE), S_OK);
    CHECK_HR(persist->SaveCompleted(nullptr), S_OK);
  }
  CLSID stored{};
  CHECK_HR(::ReadClassStg(storage.Get(), &stored), S_OK);
  CHECK_EQ(stored, com::kControlClsid);
  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);

  ComPtr<IOleObject> loaded;
  if (CHECK(SUCCEEDED(::OleLoad(storage.Get(), IID_IOleObject, &site,
                                reinterpret_cast<void**>(loaded.GetAddressOf()))))) {
    SIZEL got{};
    loaded->GetExtent(DVASPECT_CONTENT, &got);
    CHECK(got.cx == 2000 && got.cy == 1000);
    loaded->Close(OLECLOSE_NOSAVE);
    loaded->SetClientSite(nullptr);
  }
}

void CheckPersistence() {
  BeginSection("container: persistence");
  ComPtr<IOleObject> object = CreateOleControl();
  ComPtr<IPersistStreamInit> persist;
  if (!CHECK(object != nullptr && SUCCEEDED(object.As(&persist)))) return;
  CHECK_HR(persist->InitNew(), S_OK);
  CHECK_HR(persist->IsDirty(), S_FALSE);
  SIZEL extent{1000, 500};
  CHECK_HR(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  CHECK_HR(persist->IsDirty(), S_OK);
  ULARGE_INTEGER max{};
  CHECK_HR(persist->GetSizeMax(&max), S_OK);
  CHECK_EQ(max.QuadPart, 12ULL);

  ComPtr<IStream> stream;
  ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  CHECK_HR(persist->Save(stream.Get(), TRUE), S_OK);
  CHECK_HR(persist->IsDirty(), S_FALSE);
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  CHECK_EQ(stat.cbSize.QuadPart, 12ULL);
  std::vector<std::uint8_t> bytes(12);
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(bytes.data(), 12, &read);
  // The version stamp 0x00010000 first, then the extent.
  CHECK(bytes == (std::vector<std::uint8_t>{0x00, 0x00, 0x01, 0x00, 0xE8, 0x03, 0x00, 0x00, 0xF4,
                                            0x01, 0x00, 0x00}));

  ComPtr<IOleObject> reloaded = CreateOleControl();
  ComPtr<IPersistStreamInit> reloadedPersist;
  reloaded.As(&reloadedPersist);
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  CHECK_HR(reloadedPersist->Load(stream.Get()), S_OK);
  SIZEL got{};
  reloaded->GetExtent(DVASPECT_CONTENT, &got);
  CHECK(got.cx == 1000 && got.cy == 500);
  // A stream cut short is refused.
  ComPtr<IStream> shortStream;
  ::CreateStreamOnHGlobal(nullptr, TRUE, &shortStream);
  shortStream->Write(bytes.data(), 8, nullptr);
  shortStream->Seek(start, STREAM_SEEK_SET, nullptr);
  CHECK(FAILED(reloadedPersist->Load(shortStream.Get())));

  // The property bag: the same three values by name.
  ComPtr<IPersistPropertyBag> bagPersist;
  if (!CHECK(SUCCEEDED(object.As(&bagPersist)))) return;
  MemoryBag bag;
  CHECK_HR(bagPersist->Save(&bag, TRUE, TRUE), S_OK);
  auto valueOf = [&](const wchar_t* name) -> long long {
    const auto found = bag.values.find(name);
    if (found == bag.values.end() || V_VT(&found->second) != VT_I4) return -1;
    return V_I4(&found->second);
  };
  CHECK_EQ(valueOf(L"_Version"), static_cast<long long>(id::kVersionStamp));
  CHECK_EQ(valueOf(L"_ExtentX"), 1000);
  CHECK_EQ(valueOf(L"_ExtentY"), 500);
  MemoryBag other;
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = VT_BSTR;  // a bag may hold text: it is read as a number
  V_BSTR(&v) = ::SysAllocString(L"300");
  other.Write(L"_ExtentX", &v);
  ::VariantClear(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = 200;
  other.Write(L"_ExtentY", &v);
  ComPtr<IOleObject> fromBag = CreateOleControl();
  ComPtr<IPersistPropertyBag> fromBagPersist;
  fromBag.As(&fromBagPersist);
  CHECK_HR(fromBagPersist->Load(&other, nullptr), S_OK);
  fromBag->GetExtent(DVASPECT_CONTENT, &got);
  CHECK(got.cx == 300 && got.cy == 200);
  // An empty bag leaves the defaults, which a new control has too.
  MemoryBag empty;
  SIZEL fresh{};
  reloaded.Reset();
  reloaded = CreateOleControl();
  reloaded->GetExtent(DVASPECT_CONTENT, &fresh);
  CHECK_HR(fromBagPersist->Load(&empty, nullptr), S_OK);
  fromBag->GetExtent(DVASPECT_CONTENT, &got);
  CHECK(got.cx == fresh.cx && got.cy == fresh.cy && fresh.cx > 0);
}

struct StaticSearch {
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK FindStatic(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<StaticSearch*>(param);
  wchar_t text[128] = {}, cls[32] = {};
  ::GetWindowTextW(window, text, 128);
  ::GetClassNameW(window, cls, 32);
  if (search->text == text && ::lstrcmpiW(cls, L"Static") == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindPageText(HWND parent) {
  StaticSearch search{Wide(id::kPropPageText)};
  ::EnumChildWindows(parent, &FindStatic, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CheckPropertyPage(HWND container) {
  BeginSection("container: property page");
  ComPtr<IOleObject> object = CreateOleControl();
  ComPtr<ISpecifyPropertyPages> specify;
  if (CHECK(object != nullptr && SUCCEEDED(object.As(&specify)))) {
    CAUUID pages{};
    CHECK_HR(specify->GetPages(&pages), S_OK);
    CHECK_EQ(pages.cElems, 1UL);
    if (pages.cElems == 1) CHECK_EQ(pages.pElems[0], com::kPropPageClsid);
    ::CoTaskMemFree(pages.pElems);
  }

  ComPtr<IPropertyPage> page;
  if (!CHECK(SUCCEEDED(::CoCreateInstance(com::kPropPageClsid, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_PPV_ARGS(&page))))) {
    return;
  }
  PageSite pageSite;
  CHECK_HR(page->SetPageSite(&pageSite), S_OK);
  PROPPAGEINFO info{};
  info.cb = sizeof info;
  CHECK_HR(page->GetPageInfo(&info), S_OK);
  CHECK_EQ(std::wstring(info.pszTitle != nullptr ? info.pszTitle : L""),
           Wide(id::kIdsTandrelPpgCaption.text));
  ::CoTaskMemFree(info.pszTitle);
  ::CoTaskMemFree(info.pszDocString);
  ::CoTaskMemFree(info.pszHelpFile);
  IUnknown* objects[] = {object.Get()};
  CHECK_HR(page->SetObjects(1, objects), S_OK);

  const RECT area{0, 0, info.size.cx, info.size.cy};
  CHECK_HR(page->Activate(container, &area, FALSE), S_OK);
  const HWND text = FindPageText(container);
  if (CHECK(text != nullptr)) {
    const HWND dialog = ::GetParent(text);
    CHECK(::GetParent(dialog) == container);
    CHECK((::GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD) != 0);
    RECT client{};
    ::GetClientRect(dialog, &client);
    CHECK(client.right == info.size.cx && client.bottom == info.size.cy);
    // The text where the template puts it, in the dialog's own units.
    const auto& r = id::kPropPageTextRect;
    RECT wanted{r.x, r.y, r.x + r.width, r.y + r.height};
    ::MapDialogRect(dialog, &wanted);
    RECT placed{};
    ::GetWindowRect(text, &placed);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    CHECK(::EqualRect(&placed, &wanted));
    RECT size{0, 0, id::kPropPageDialogWidth, id::kPropPageDialogHeight};
    ::MapDialogRect(dialog, &size);
    CHECK(size.right == info.size.cx && size.bottom == info.size.cy);
    CHECK_HR(page->Show(SW_SHOW), S_OK);
    CHECK(::IsWindowVisible(dialog));
    CHECK_HR(page->IsPageDirty(), S_FALSE);
    CHECK_HR(page->Apply(), S_OK);
    CHECK_HR(page->Deactivate(), S_OK);
    CHECK(!::IsWindow(dialog));
  }
  CHECK_HR(page->SetObjects(0, nullptr), S_OK);
  CHECK_HR(page->SetPageSite(nullptr), S_OK);
}

// The system's property frame, opened by the properties verb, shows the page; a helper thread
// finds it and closes the frame.
struct FrameWatch {
  DWORD process = 0;
  std::atomic<bool> sawPage{false};
};

BOOL CALLBACK CloseFrame(HWND window, LPARAM param) {
  auto* watch = reinterpret_cast<FrameWatch*>(param);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != watch->process || !::IsWindowVisible(window)) return TRUE;
  if (FindPageText(window) == nullptr) return TRUE;
  watch->sawPage = true;
  ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  return FALSE;
}

DWORD WINAPI WatchForFrame(LPVOID param) {
  auto* watch = static_cast<FrameWatch*>(param);
  for (int i = 0; i < 200 && !watch->sawPage; ++i) {
    ::Sleep(50);
    ::EnumWindows(&CloseFrame, reinterpret_cast<LPARAM>(watch));
  }
  return 0;
}

void CheckPropertyFrame(HWND container) {
  BeginSection("container: properties verb");
  const RECT position{0, 0, 50, 50};
  ContainerSite site(container, position, true);
  ComPtr<IOleObject> object = CreateOleControl();
  if (!CHECK(object != nullptr)) return;
  object->SetClientSite(&site);
  FrameWatch watch;
  watch.process = ::GetCurrentProcessId();
  const HANDLE watcher = ::CreateThread(nullptr, 0, &WatchForFrame, &watch, 0, nullptr);
  CHECK_HR(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, &site, 0, container, &position), S_OK);
  ::WaitForSingleObject(watcher, 15000);
  ::CloseHandle(watcher);
  CHECK(watch.sawPage);
  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);
}

}  // namespace

void CheckContainers() {
  const HWND container = MakeContainerWindow();
  BeginSection("container: window");
  if (!CHECK(container != nullptr)) return;
  PumpMessages();
  CheckWindowless(container);
  CheckWindowed(container);
  CheckOleCreate(container);
  CheckPersistence();
  CheckPropertyPage(container);
  CheckPropertyFrame(container);
  CheckAtlHost(container);
  ::DestroyWindow(container);
  PumpMessages();
}

}  // namespace tandrel::wintest
