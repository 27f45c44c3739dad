// The control object's automation side: interfaces, IDispatch over CTandrelCtrl, class
// information, the event connection point, the property page list and persistence. The
// container side (embedding, activation, drawing) is in tandrel_control_ole.cpp.
#include "tandrel_control.h"

#include <new>

#include "com_identity.h"
#include "dispatch_adapter.h"
#include "list_enumerator.h"

namespace tandrel::com {
namespace {

// In a storage the state is the stream form, in a stream of this name.
constexpr const wchar_t* kContentsStream = L"Contents";

}  // namespace

HRESULT TandrelControl::Create(REFIID iid, void** out) {
  auto* control = new (std::nothrow) TandrelControl;
  if (control == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = control->QueryInterface(iid, out);
  control->Release();
  return hr;
}

TandrelControl::TandrelControl() : events_(*this, ctrl_) {}

TandrelControl::~TandrelControl() {
  InPlaceDeactivate();
  if (dispatchInfo_ != nullptr) dispatchInfo_->Release();
  if (clientSite_ != nullptr) clientSite_->Release();
  if (oleAdvise_ != nullptr) oleAdvise_->Release();
  if (viewSink_ != nullptr) viewSink_->Release();
}

HRESULT TandrelControl::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, kDispatchIid)) {
    *out = static_cast<IDispatch*>(this);
  } else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
    *out = static_cast<IProvideClassInfo2*>(this);
  } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
    *out = static_cast<IConnectionPointContainer*>(this);
  } else if (IsEqualIID(iid, IID_ISpecifyPropertyPages)) {
    *out = static_cast<ISpecifyPropertyPages*>(this);
  } else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit)) {
    *out = static_cast<IPersistStreamInit*>(this);
  } else if (IsEqualIID(iid, IID_IPersistPropertyBag)) {
    *out = static_cast<IPersistPropertyBag*>(this);
  } else if (IsEqualIID(iid, IID_IPersistStorage)) {
    *out = static_cast<IPersistStorage*>(this);
  } else if (IsEqualIID(iid, IID_IOleObject)) {
    *out = static_cast<IOleObject*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject) ||
             IsEqualIID(iid, IID_IOleInPlaceObjectWindowless)) {
    *out = static_cast<IOleInPlaceObjectWindowless*>(this);
  } else if (IsEqualIID(iid, IID_IOleControl)) {
    *out = static_cast<IOleControl*>(this);
  } else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2) ||
             IsEqualIID(iid, IID_IViewObjectEx)) {
    *out = static_cast<IViewObjectEx*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

// --- IDispatch -----------------------------------------------------------------------------------

HRESULT TandrelControl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT TandrelControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  if (dispatchInfo_ == nullptr) {
    const HRESULT hr = LoadModuleTypeInfo(kDispatchIid, &dispatchInfo_);
    if (FAILED(hr)) return hr;
  }
  dispatchInfo_->AddRef();
  *info = dispatchInfo_;
  return S_OK;
}

HRESULT TandrelControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return GetMethodIds(ctrl_, names, count, ids);
}

HRESULT TandrelControl::Invoke(DISPID dispid, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argErr) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  // Held for the whole call: an event handler may release the container's last reference.
  AddRef();
  const HRESULT hr = InvokeMethod(ctrl_, dispid, lcid, flags, params, result, exception, argErr);
  Release();
  return hr;
}

// --- IProvideClassInfo2 --------------------------------------------------------------------------

HRESULT TandrelControl::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  return LoadModuleTypeInfo(kControlClsid, info);
}

HRESULT TandrelControl::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = kEventsIid;
  return S_OK;
}

// --- IConnectionPointContainer -------------------------------------------------------------------

HRESULT TandrelControl::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    *out = new ConnectionPointEnumerator({&events_});
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT TandrelControl::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, kEventsIid)) return CONNECT_E_NOCONNECTION;
  events_.AddRef();
  *out = &events_;
  return S_OK;
}

// --- ISpecifyPropertyPages -----------------------------------------------------------------------

HRESULT TandrelControl::GetPages(CAUUID* pages) {
  if (pages == nullptr) return E_POINTER;
  pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(GUID)));
  if (pages->pElems == nullptr) {
    pages->cElems = 0;
    return E_OUTOFMEMORY;
  }
  pages->cElems = 1;
  pages->pElems[0] = kPropPageClsid;
  return S_OK;
}

// --- IPersistStreamInit, IPersistPropertyBag, IPersistStorage
// -------------------------------------

HRESULT TandrelControl::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = kControlClsid;
  return S_OK;
}

HRESULT TandrelControl::IsDirty() {
  return dirty_ ? S_OK : S_FALSE;
}

HRESULT TandrelControl::Load(LPSTREAM stream) {
  const HRESULT hr = LoadState(stream, state_);
  if (SUCCEEDED(hr)) dirty_ = false;
  return hr;
}

HRESULT TandrelControl::Save(LPSTREAM stream, BOOL clearDirty) {
  const HRESULT hr = SaveState(state_, stream);
  if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
  return hr;
}

HRESULT TandrelControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = kStateStreamSize;
  return S_OK;
}

HRESULT TandrelControl::InitNew() {
  state_ = PersistentState{};
  dirty_ = false;
  return S_OK;
}

HRESULT TandrelControl::Load(IPropertyBag* bag, IErrorLog* log) {
  const HRESULT hr = LoadState(bag, log, state_);
  if (SUCCEEDED(hr)) dirty_ = false;
  return hr;
}

HRESULT TandrelControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  const HRESULT hr = SaveState(state_, bag);
  if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
  return hr;
}

HRESULT TandrelControl::InitNew(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  return InitNew();
}

HRESULT TandrelControl::Load(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  IStream* stream = nullptr;
  HRESULT hr =
      storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
  if (FAILED(hr)) return hr;
  hr = Load(stream);
  stream->Release();
  return hr;
}

HRESULT TandrelControl::Save(IStorage* storage, BOOL) {
  if (storage == nullptr) return E_POINTER;
  IStream* stream = nullptr;
  HRESULT hr = storage->CreateStream(
      kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
  if (FAILED(hr)) return hr;
  hr = Save(stream, TRUE);
  stream->Release();
  return hr;
}

HRESULT TandrelControl::SaveCompleted(IStorage*) {
  return S_OK;
}

HRESULT TandrelControl::HandsOffStorage() {
  // Nothing of the storage is kept between calls.
  return S_OK;
}

void TandrelControl::SetDirty() {
  dirty_ = true;
}

}  // namespace tandrel::com
