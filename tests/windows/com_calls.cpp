#include "test_client.h"

namespace tandrel::wintest {
namespace {

DWORD callingThread = 0;  // while a call is inside Invoke

std::wstring TextOf(const VARIANT& v) {
  const bool text = V_VT(&v) == VT_BSTR && V_BSTR(&v) != nullptr;
  return text ? std::wstring(V_BSTR(&v), ::SysStringLen(V_BSTR(&v))) : std::wstring();
}

ComPtr<IConnectionPoint> EventPoint(IUnknown* control) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&container)))) {
    container->FindConnectionPoint(com::kEventsIid, &point);
  }
  return point;
}

}  // namespace

Outcome Call(IDispatch* control, DISPID dispid, std::vector<VARIANT> args, Pass pass, WORD flags) {
  const std::vector<VARIANT> given = args;  // types, numbers and BSTR pointers
  std::vector<std::wstring> texts;
  for (const VARIANT& arg : args) texts.push_back(TextOf(arg));
  std::vector<VARIANT> wire;
  for (auto arg = args.rbegin(); arg != args.rend(); ++arg) {
    VARIANT v = *arg;
    if (pass == Pass::Ref) {
      V_VT(&v) = VT_BYREF | V_VT(&*arg);
      V_BYREF(&v) = &V_I8(&*arg);  // the value's own storage
    } else if (pass == Pass::VariantRef) {
      V_VT(&v) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&v) = &*arg;
    }
    wire.push_back(v);
  }
  DISPPARAMS params{wire.data(), nullptr, static_cast<UINT>(wire.size()), 0};
  VARIANT result;
  ::VariantInit(&result);
  Outcome outcome;
  callingThread = ::GetCurrentThreadId();
  outcome.hr = control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result,
                               nullptr, &outcome.argErr);
  callingThread = 0;
  if (V_VT(&result) == VT_I2) outcome.value = V_I2(&result);
  if (V_VT(&result) == VT_I4) outcome.value = V_I4(&result);
  ::VariantClear(&result);
  for (std::size_t i = 0; i < args.size(); ++i) {
    outcome.untouched = outcome.untouched &&
                        std::memcmp(&args[i], &given[i], sizeof(VARIANT)) == 0 &&
                        TextOf(args[i]) == texts[i];
    ::VariantClear(&args[i]);
  }
  return outcome;
}

VARIANT Str(std::wstring_view text) {
  return Var(VT_BSTR, ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

HRESULT EventSink::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
      !(answersEventIid_ && IsEqualIID(iid, com::kEventsIid))) {
    return E_NOINTERFACE;
  }
  *out = static_cast<IDispatch*>(this);
  return S_OK;
}

HRESULT EventSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                          EXCEPINFO*, UINT*) {
  std::string name = "?";
  for (const auto& event : id::kEvents) {
    if (event.dispid == dispid) name = event.name;
  }
  const bool oneShort = params != nullptr && params->cArgs == 1 && V_VT(params->rgvarg) == VT_I2;
  events += (events.empty() ? "" : " ") + name + "(" +
            (oneShort ? std::to_string(V_I2(params->rgvarg)) : "?") + ")";
  synchronous = synchronous && ::GetCurrentThreadId() == callingThread;
  return S_OK;
}

DWORD Advise(IUnknown* control, IUnknown* sink) {
  DWORD cookie = 0;
  const auto point = EventPoint(control);
  return point && SUCCEEDED(point->Advise(sink, &cookie)) ? cookie : 0;
}

HRESULT Unadvise(IUnknown* control, DWORD cookie) {
  const auto point = EventPoint(control);
  return point ? point->Unadvise(cookie) : E_NOINTERFACE;
}

ComPtr<IDispatch> CreateControl() {
  CLSID clsid{};
  ComPtr<IDispatch> control;
  if (SUCCEEDED(::CLSIDFromProgID(Wide(id::kControlProgId).c_str(), &clsid))) {
    ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control));
  }
  return control;
}

}  // namespace tandrel::wintest
