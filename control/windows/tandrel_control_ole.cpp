// The control object towards its container: embedding (IOleObject), in-place activation,
// windowless where the container allows it (IOleInPlaceObjectWindowless), IOleControl, and the
// design-time picture (IViewObjectEx).
#include <olectl.h>

#include <cwchar>

#include "com_identity.h"
#include "control_window.h"
#include "tandrel_control.h"

namespace tandrel::com {
namespace {

template <class T>
void Replace(T*& held, T* next) {
  if (next != nullptr) next->AddRef();
  if (held != nullptr) held->Release();
  held = next;
}

template <class T>
void ReleaseAndClear(T*& held) {
  if (held != nullptr) held->Release();
  held = nullptr;
}

// The user type name from the module's string resource, in task memory.
LPOLESTR ResourceUserType() {
  return ResourceTaskText(identity::kIdsTandrel.id);
}

}  // namespace

// --- IOleObject ----------------------------------------------------------------------------------

HRESULT TandrelControl::SetClientSite(IOleClientSite* site) {
  if (site == nullptr) InPlaceDeactivate();
  Replace(clientSite_, site);
  return S_OK;
}

HRESULT TandrelControl::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = clientSite_;
  if (clientSite_ != nullptr) clientSite_->AddRef();
  return S_OK;
}

HRESULT TandrelControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
  return S_OK;
}

HRESULT TandrelControl::Close(DWORD saveOption) {
  InPlaceDeactivate();
  if (dirty_ && clientSite_ != nullptr && saveOption == OLECLOSE_SAVEIFDIRTY) {
    clientSite_->SaveObject();
  }
  if (oleAdvise_ != nullptr) oleAdvise_->SendOnClose();
  return S_OK;
}

HRESULT TandrelControl::SetMoniker(DWORD, IMoniker*) {
  return E_NOTIMPL;
}

HRESULT TandrelControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT TandrelControl::InitFromData(IDataObject*, BOOL, DWORD) {
  return E_NOTIMPL;
}

HRESULT TandrelControl::GetClipboardData(DWORD, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT TandrelControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT) {
  if (clientSite_ == nullptr && site != nullptr) Replace(clientSite_, site);
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: {
      // The control has no user interface to activate: every showing verb activates in place.
      const HRESULT hr = ActivateInPlace();
      if (SUCCEEDED(hr) && verb == OLEIVERB_SHOW && clientSite_ != nullptr) {
        clientSite_->ShowObject();
      }
      return hr;
    }
    case OLEIVERB_HIDE:
      if (window_ != nullptr) ::ShowWindow(window_, SW_HIDE);
      return S_OK;
    case OLEIVERB_PROPERTIES: {
      IUnknown* self = static_cast<IDispatch*>(this);
      CLSID page = kPropPageClsid;
      LPOLESTR caption = ResourceUserType();
      const HRESULT hr = ::OleCreatePropertyFrame(parent, 0, 0, caption, 1, &self, 1, &page,
                                                  LOCALE_USER_DEFAULT, 0, nullptr);
      ::CoTaskMemFree(caption);
      return hr;
    }
    case OLEIVERB_OPEN:
      return E_NOTIMPL;
    default:
      return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
  }
}

HRESULT TandrelControl::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  return ::OleRegEnumVerbs(kControlClsid, verbs);
}

HRESULT TandrelControl::Update() {
  return S_OK;
}

HRESULT TandrelControl::IsUpToDate() {
  return S_OK;
}

HRESULT TandrelControl::GetUserClassID(CLSID* clsid) {
  return GetClassID(clsid);
}

HRESULT TandrelControl::GetUserType(DWORD form, LPOLESTR* name) {
  if (name == nullptr) return E_POINTER;
  if (SUCCEEDED(::OleRegGetUserType(kControlClsid, form, name))) return S_OK;
  *name = ResourceUserType();
  return *name != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT TandrelControl::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size->cx != state_.extent.cx || size->cy != state_.extent.cy) SetDirty();
  state_.extent = *size;
  return S_OK;
}

HRESULT TandrelControl::GetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = state_.extent;
  return S_OK;
}

HRESULT TandrelControl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (oleAdvise_ == nullptr) {
    const HRESULT hr = ::CreateOleAdviseHolder(&oleAdvise_);
    if (FAILED(hr)) return hr;
  }
  return oleAdvise_->Advise(sink, connection);
}

HRESULT TandrelControl::Unadvise(DWORD connection) {
  if (oleAdvise_ == nullptr) return OLE_E_NOCONNECTION;
  return oleAdvise_->Unadvise(connection);
}

HRESULT TandrelControl::EnumAdvise(IEnumSTATDATA** advises) {
  if (advises == nullptr) return E_POINTER;
  *advises = nullptr;
  if (oleAdvise_ == nullptr) return S_OK;
  return oleAdvise_->EnumAdvise(advises);
}

HRESULT TandrelControl::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? identity::kMiscStatus : 0;
  return S_OK;
}

HRESULT TandrelControl::SetColorScheme(LOGPALETTE*) {
  return E_NOTIMPL;
}

// --- In-place activation -------------------------------------------------------------------------

HRESULT TandrelControl::ActivateInPlace() {
  if (inPlaceSite_ != nullptr) return S_OK;
  if (clientSite_ == nullptr) return E_UNEXPECTED;
  IOleInPlaceSite* site = nullptr;
  if (FAILED(clientSite_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) {
    return E_NOINTERFACE;
  }
  if (site->CanInPlaceActivate() != S_OK) {
    site->Release();
    return E_FAIL;
  }
  // Windowless whenever the site can host that; a plain site gets a child window.
  bool windowless = false;
  HRESULT hr = S_OK;
  IOleInPlaceSiteWindowless* windowlessSite = nullptr;
  if (SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                     reinterpret_cast<void**>(&windowlessSite)))) {
    windowless = windowlessSite->CanWindowlessActivate() == S_OK;
    BOOL noRedraw = FALSE;
    hr = windowlessSite->OnInPlaceActivateEx(&noRedraw, windowless ? ACTIVATE_WINDOWLESS : 0);
    windowlessSite->Release();
  } else {
    hr = site->OnInPlaceActivate();
  }
  if (FAILED(hr)) {
    site->Release();
    return hr;
  }

  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = nullptr;
  RECT position{};
  RECT clip{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.cb = sizeof frameInfo;
  hr = site->GetWindowContext(&frame, &document, &position, &clip, &frameInfo);
  ReleaseAndClear(frame);
  ReleaseAndClear(document);
  if (SUCCEEDED(hr) && !windowless) {
    HWND parent = nullptr;
    site->GetWindow(&parent);
    window_ = CreateControlWindow(parent, position);
    if (window_ == nullptr) hr = E_FAIL;
  }
  if (FAILED(hr)) {
    site->OnInPlaceDeactivate();
    site->Release();
    return hr;
  }
  inPlaceSite_ = site;
  windowless_ = windowless;
  position_ = position;
  return S_OK;
}

HRESULT TandrelControl::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT TandrelControl::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}

HRESULT TandrelControl::InPlaceDeactivate() {
  if (inPlaceSite_ == nullptr) return S_OK;
  if (window_ != nullptr) ::DestroyWindow(window_);
  window_ = nullptr;
  IOleInPlaceSiteEx* site = nullptr;
  if (SUCCEEDED(
          inPlaceSite_->QueryInterface(IID_IOleInPlaceSiteEx, reinterpret_cast<void**>(&site)))) {
    site->OnInPlaceDeactivateEx(TRUE);
    site->Release();
  } else {
    inPlaceSite_->OnInPlaceDeactivate();
  }
  ReleaseAndClear(inPlaceSite_);
  windowless_ = false;
  return S_OK;
}

HRESULT TandrelControl::UIDeactivate() {
  return S_OK;
}

HRESULT TandrelControl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) return E_POINTER;
  position_ = *position;
  if (window_ != nullptr) {
    ::MoveWindow(window_, position_.left, position_.top, position_.right - position_.left,
                 position_.bottom - position_.top, TRUE);
  }
  return S_OK;
}

HRESULT TandrelControl::ReactivateAndUndo() {
  return E_NOTIMPL;
}

HRESULT TandrelControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  // No input: every message goes to the container's default handling.
  if (result != nullptr) *result = 0;
  return S_FALSE;
}

HRESULT TandrelControl::GetDropTarget(IDropTarget** target) {
  if (target != nullptr) *target = nullptr;
  return E_NOTIMPL;
}

// --- IOleControl ---------------------------------------------------------------------------------

HRESULT TandrelControl::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  // No mnemonics, no accelerators.
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT TandrelControl::OnMnemonic(MSG*) {
  return E_NOTIMPL;
}

HRESULT TandrelControl::OnAmbientPropertyChange(DISPID) {
  return S_OK;
}

HRESULT TandrelControl::FreezeEvents(BOOL freeze) {
  events_.Freeze(freeze != FALSE);
  return S_OK;
}

// --- IViewObjectEx -------------------------------------------------------------------------------

HRESULT TandrelControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                             LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                             ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (dc == nullptr) return E_INVALIDARG;
  RECT area;
  if (bounds != nullptr) {
    area = RECT{bounds->left, bounds->top, bounds->right, bounds->bottom};
  } else if (inPlaceSite_ != nullptr && windowless_) {
    // A windowless control draws where it sits in the container's device context.
    area = position_;
  } else {
    return E_INVALIDARG;
  }
  DrawDesignPicture(dc, area);
  return S_OK;
}

HRESULT TandrelControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                    LOGPALETTE** colours) {
  if (colours != nullptr) *colours = nullptr;
  return S_FALSE;
}

HRESULT TandrelControl::Freeze(DWORD, LONG, void*, DWORD*) {
  return E_NOTIMPL;
}

HRESULT TandrelControl::Unfreeze(DWORD) {
  return E_NOTIMPL;
}

HRESULT TandrelControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  Replace(viewSink_, sink);
  viewAspects_ = aspects;
  viewFlags_ = flags;
  if (viewSink_ != nullptr && (flags & ADVF_PRIMEFIRST) != 0) {
    viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
  }
  return S_OK;
}

HRESULT TandrelControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = viewAspects_;
  if (flags != nullptr) *flags = viewFlags_;
  if (sink != nullptr) {
    *sink = viewSink_;
    if (viewSink_ != nullptr) viewSink_->AddRef();
  }
  return S_OK;
}

HRESULT TandrelControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

HRESULT TandrelControl::GetRect(DWORD aspect, LPRECTL rect) {
  if (rect == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (inPlaceSite_ == nullptr) return E_UNEXPECTED;
  *rect = RECTL{position_.left, position_.top, position_.right, position_.bottom};
  return S_OK;
}

HRESULT TandrelControl::GetViewStatus(DWORD* status) {
  if (status == nullptr) return E_POINTER;
  // The picture covers its whole rectangle, on white.
  *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
  return S_OK;
}

HRESULT TandrelControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG,
                                      DWORD* hitResult) {
  if (bounds == nullptr || hitResult == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *hitResult = ::PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT TandrelControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG,
                                     DWORD* hitResult) {
  if (bounds == nullptr || location == nullptr || hitResult == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  RECT overlap;
  *hitResult = ::IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT TandrelControl::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*,
                                         LPSIZEL) {
  return E_NOTIMPL;
}

}  // namespace tandrel::com
