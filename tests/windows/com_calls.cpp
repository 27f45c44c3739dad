#include "com_calls.h"

#include <ole2.h>

#include <sstream>

#include "com_identity.h"
#include "identity.h"
#include "tandrel/tandrel_ctrl.h"

namespace tandrel::wintest {
namespace {

bool insideCall = false;

VARIANT Empty() {
  VARIANT v;
  ::VariantInit(&v);
  return v;
}

}  // namespace

Args::~Args() {
  for (VARIANT& v : values_) {
    if ((V_VT(&v) & VT_BYREF) == 0) ::VariantClear(&v);
  }
  for (BSTR s : strings_) ::SysFreeString(s);
  for (VARIANT& v : variants_) ::VariantClear(&v);
}

Args& Args::Str(std::wstring_view text) {
  VARIANT v = Empty();
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  values_.push_back(v);
  return *this;
}

Args& Args::Short(short value) {
  VARIANT v = Empty();
  V_VT(&v) = VT_I2;
  V_I2(&v) = value;
  values_.push_back(v);
  return *this;
}

Args& Args::Long(long value) {
  VARIANT v = Empty();
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  values_.push_back(v);
  return *this;
}

Args& Args::Value(const VARIANT& value) {
  values_.push_back(value);
  return *this;
}

Args& Args::StrRef(std::wstring_view text) {
  strings_.push_back(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  stringsGiven_.emplace_back(strings_.back(), std::wstring(text));
  VARIANT v = Empty();
  V_VT(&v) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&v) = &strings_.back();
  values_.push_back(v);
  return *this;
}

Args& Args::ShortRef(short value) {
  shorts_.push_back(value);
  shortsGiven_.push_back(value);
  VARIANT v = Empty();
  V_VT(&v) = VT_BYREF | VT_I2;
  V_I2REF(&v) = &shorts_.back();
  values_.push_back(v);
  return *this;
}

Args& Args::LongRef(long value) {
  longs_.push_back(value);
  longsGiven_.push_back(value);
  VARIANT v = Empty();
  V_VT(&v) = VT_BYREF | VT_I4;
  V_I4REF(&v) = &longs_.back();
  values_.push_back(v);
  return *this;
}

Args& Args::VariantRef(const VARIANT& value) {
  variants_.push_back(value);
  VARIANT v = Empty();
  V_VT(&v) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&v) = &variants_.back();
  values_.push_back(v);
  return *this;
}

Args& Args::NullRef(VARTYPE type) {
  VARIANT v = Empty();
  V_VT(&v) = VT_BYREF | type;
  V_BYREF(&v) = nullptr;
  values_.push_back(v);
  return *this;
}

std::vector<VARIANT> Args::Wire() const {
  return std::vector<VARIANT>(values_.rbegin(), values_.rend());
}

bool Args::ReferencesUnchanged() const {
  for (std::size_t i = 0; i < stringsGiven_.size(); ++i) {
    const BSTR now = strings_[i];
    if (now != stringsGiven_[i].first) return false;
    if (std::wstring(now, ::SysStringLen(now)) != stringsGiven_[i].second) return false;
  }
  for (std::size_t i = 0; i < shortsGiven_.size(); ++i) {
    if (shorts_[i] != shortsGiven_[i]) return false;
  }
  for (std::size_t i = 0; i < longsGiven_.size(); ++i) {
    if (longs_[i] != longsGiven_[i]) return false;
  }
  return true;
}

CallResult Call(IDispatch* control, DISPID dispid, const Args& args, WORD flags) {
  std::vector<VARIANT> wire = args.Wire();
  DISPPARAMS params{wire.empty() ? nullptr : wire.data(), nullptr, static_cast<UINT>(wire.size()),
                    0};
  VARIANT result = Empty();
  CallResult outcome;
  insideCall = true;
  outcome.hr = control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result,
                               nullptr, &outcome.argErr);
  insideCall = false;
  outcome.type = V_VT(&result);
  if (V_VT(&result) == VT_I2) outcome.value = V_I2(&result);
  if (V_VT(&result) == VT_I4) outcome.value = V_I4(&result);
  ::VariantClear(&result);
  return outcome;
}

bool InsideCall() {
  return insideCall;
}

Bstr::Bstr(std::wstring_view text)
    : text_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

Bstr::~Bstr() {
  ::SysFreeString(text_);
}

ComPtr<EventRecorder> EventRecorder::Make(bool answersEventIid, bool answersDispatch) {
  ComPtr<EventRecorder> sink;
  sink.Attach(new EventRecorder(answersEventIid, answersDispatch));
  return sink;
}

HRESULT EventRecorder::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || (answersDispatch_ && IsEqualIID(iid, IID_IDispatch)) ||
      (answersEventIid_ && IsEqualIID(iid, com::kEventsIid))) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG EventRecorder::AddRef() {
  return ++references_;
}

ULONG EventRecorder::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT EventRecorder::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT EventRecorder::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return E_NOTIMPL;
}

HRESULT EventRecorder::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT EventRecorder::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                              EXCEPINFO*, UINT*) {
  short value = -32768;
  if (params != nullptr && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_I2) {
    value = V_I2(&params->rgvarg[0]);
  }
  events.push_back({dispid, value, InsideCall(), ::GetCurrentThreadId()});
  if (onEvent) onEvent(events.back());
  return S_OK;
}

DWORD Connect(IUnknown* control, IUnknown* sink, HRESULT* hr) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  HRESULT result = control->QueryInterface(IID_PPV_ARGS(&container));
  if (SUCCEEDED(result)) result = container->FindConnectionPoint(com::kEventsIid, &point);
  if (SUCCEEDED(result)) result = point->Advise(sink, &cookie);
  if (hr != nullptr) *hr = result;
  return SUCCEEDED(result) ? cookie : 0;
}

HRESULT Disconnect(IUnknown* control, DWORD cookie) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&container));
  if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(com::kEventsIid, &point);
  if (SUCCEEDED(hr)) hr = point->Unadvise(cookie);
  return hr;
}

ComPtr<IDispatch> CreateControl() {
  CLSID clsid{};
  const std::wstring progId(identity::kControlProgId.begin(), identity::kControlProgId.end());
  ComPtr<IDispatch> control;
  if (SUCCEEDED(::CLSIDFromProgID(progId.c_str(), &clsid))) {
    ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control));
  }
  return control;
}

Event StatusEvent(short value) {
  return {CTandrelCtrl::kEventStatusChange, value, true, 0};
}

Event CutEvent(short value) {
  return {CTandrelCtrl::kEventCut, value, true, 0};
}

Event JoinEvent(short value) {
  return {CTandrelCtrl::kEventJoin, value, true, 0};
}

std::string Describe(const std::vector<Event>& events) {
  std::ostringstream out;
  out << "[";
  for (const Event& e : events) {
    const char* name = e.dispid == CTandrelCtrl::kEventStatusChange ? "StatusChange"
                       : e.dispid == CTandrelCtrl::kEventCut        ? "Cut"
                       : e.dispid == CTandrelCtrl::kEventJoin       ? "Join"
                                                                    : "?";
    out << " " << name << "(" << e.value << ")";
  }
  out << " ]";
  return out.str();
}

}  // namespace tandrel::wintest
