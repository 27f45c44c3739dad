#include "tandrel_client.h"

#include <oleauto.h>

#include <vector>

#include "com_identity.h"
#include "tandrel/tandrel_ctrl.h"

namespace trevasso::win32 {

// The event sink: an IDispatch of our own, as containers hand to the control's connection point.
class TandrelClient::Sink final : public IDispatch {
 public:
  explicit Sink(EventHandler onEvent) : onEvent_(std::move(onEvent)) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
                       IsEqualIID(iid, tandrel::com::kEventsIid);
    *out = known ? static_cast<IDispatch*>(this) : nullptr;
    if (known) AddRef();
    return known ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (params == nullptr || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    ::VariantInit(&value);
    if (FAILED(::VariantChangeType(&value, &params->rgvarg[0], 0, VT_I2)))
      return DISP_E_TYPEMISMATCH;
    if (onEvent_) onEvent_(dispid, V_I2(&value));
    return S_OK;
  }

 private:
  EventHandler onEvent_;
  ULONG references_ = 1;
};

namespace {

VARIANT Str(BSTR text) {
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = text;
  return v;
}

VARIANT RefStr(BSTR* text) {
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&v) = text;
  return v;
}

VARIANT RefShort(SHORT* value) {
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_I2;
  V_I2REF(&v) = value;
  return v;
}

VARIANT Long(LONG value) {
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

// A BSTR that frees itself.
class Bstr {
 public:
  explicit Bstr(const std::wstring& text)
      : text_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { ::SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return text_; }
  BSTR* address() { return &text_; }

 private:
  BSTR text_;
};

std::int16_t ResultCode(VARIANT result) {
  VARIANT code;
  ::VariantInit(&code);
  const bool ok =
      V_VT(&result) != VT_EMPTY && SUCCEEDED(::VariantChangeType(&code, &result, 0, VT_I2));
  ::VariantClear(&result);
  return ok ? V_I2(&code) : std::int16_t{-1};
}

std::int32_t LongResult(VARIANT result) {
  VARIANT value;
  ::VariantInit(&value);
  const bool ok =
      V_VT(&result) != VT_EMPTY && SUCCEEDED(::VariantChangeType(&value, &result, 0, VT_I4));
  ::VariantClear(&result);
  return ok ? V_I4(&value) : 0;
}

}  // namespace

TandrelClient::TandrelClient(EventHandler onEvent) : sink_(new Sink(std::move(onEvent))) {
  if (FAILED(::CoCreateInstance(tandrel::com::kControlClsid, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(&control_)))) {
    control_ = nullptr;
    return;
  }
  IConnectionPointContainer* points = nullptr;
  if (SUCCEEDED(control_->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&points)))) {
    if (SUCCEEDED(points->FindConnectionPoint(tandrel::com::kEventsIid, &point_)) &&
        FAILED(point_->Advise(sink_, &cookie_))) {
      cookie_ = 0;
    }
    points->Release();
  }
}

TandrelClient::~TandrelClient() {
  if (point_ != nullptr) {
    if (cookie_ != 0) point_->Unadvise(cookie_);
    point_->Release();
  }
  if (control_ != nullptr) control_->Release();
  sink_->Release();
}

VARIANT TandrelClient::Invoke(DISPID dispid, VARIANT* args, UINT count) {
  VARIANT result;
  ::VariantInit(&result);
  if (control_ == nullptr) return result;
  // The wire takes the arguments last first.
  std::vector<VARIANT> wire(args, args + count);
  for (UINT i = 0; i < count; ++i) wire[i] = args[count - 1 - i];
  DISPPARAMS params{wire.data(), nullptr, count, 0};
  if (FAILED(control_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                              &result, nullptr, nullptr))) {
    ::VariantClear(&result);
  }
  return result;
}

std::int16_t TandrelClient::Join(const std::wstring& saveFileName, const std::wstring& filesToJoin,
                                 std::int16_t filesCount) {
  Bstr save(saveFileName), list(filesToJoin);
  SHORT count = filesCount;
  VARIANT args[] = {Str(save.get()), RefStr(list.address()), RefShort(&count)};
  return ResultCode(Invoke(tandrel::CTandrelCtrl::kDispJoin, args, 3));
}

std::int16_t TandrelClient::CutByTime(const std::wstring& openFileName,
                                      const std::wstring& cutTimeInfo, std::int16_t filesCount) {
  Bstr source(openFileName), list(cutTimeInfo);
  SHORT count = filesCount;
  VARIANT args[] = {Str(source.get()), RefStr(list.address()), RefShort(&count)};
  return ResultCode(Invoke(tandrel::CTandrelCtrl::kDispCutByTime, args, 3));
}

std::int16_t TandrelClient::CutBySize(const std::wstring& openFileName, std::int32_t fileSize,
                                      const std::wstring& savePath) {
  Bstr source(openFileName), folder(savePath);
  VARIANT args[] = {Str(source.get()), Long(fileSize), Str(folder.get())};
  return ResultCode(Invoke(tandrel::CTandrelCtrl::kDispCutBySize, args, 3));
}

std::int32_t TandrelClient::GetFileSize(const std::wstring& fileName) {
  Bstr name(fileName);
  VARIANT args[] = {Str(name.get())};
  return LongResult(Invoke(tandrel::CTandrelCtrl::kDispGetFileSize, args, 1));
}

std::int32_t TandrelClient::GetPlayTime(const std::wstring& fileName) {
  Bstr name(fileName);
  VARIANT args[] = {Str(name.get())};
  return LongResult(Invoke(tandrel::CTandrelCtrl::kDispGetPlayTime, args, 1));
}

}  // namespace trevasso::win32
