#include "dispatch_adapter.h"

#include <ole2.h>

#include <climits>
#include <new>
#include <vector>

#include "identity.h"

namespace tandrel::com {
namespace {

const identity::MethodInfo* FindMethod(DISPID dispid) {
  for (const auto& method : identity::kMethods) {
    if (method.dispid == dispid) return &method;
  }
  return nullptr;
}

VARTYPE ComType(VarType type) {
  switch (type) {
    case VarType::Short:
      return VT_I2;
    case VarType::Long:
      return VT_I4;
    default:
      return VT_BSTR;
  }
}

std::string BstrText(BSTR text) {
  return AnsiText(text, text != nullptr ? ::SysStringLen(text) : 0);
}

// One argument as the control takes it, or the automation error for it.
HRESULT ReadArgument(const VARIANT& arg, VarType declared, LCID lcid, Variant& out) {
  const VARTYPE vt = V_VT(&arg);
  if (vt == (VT_BYREF | VT_VARIANT)) {
    // One level of indirection only, as automation allows.
    const VARIANT* inner = V_VARIANTREF(&arg);
    if (inner == nullptr || V_VT(inner) == (VT_BYREF | VT_VARIANT)) return DISP_E_TYPEMISMATCH;
    return ReadArgument(*inner, declared, lcid, out);
  }
  if ((vt & VT_BYREF) != 0 && V_BYREF(&arg) == nullptr) return DISP_E_TYPEMISMATCH;
  switch (vt) {
    case VT_EMPTY:
      out = Variant();
      return S_OK;
    case VT_I2:
      out = Variant(std::int16_t{V_I2(&arg)});
      return S_OK;
    case VT_I2 | VT_BYREF:
      out = Variant(std::int16_t{*V_I2REF(&arg)});
      return S_OK;
    case VT_I4:
      out = Variant(static_cast<std::int32_t>(V_I4(&arg)));
      return S_OK;
    case VT_I4 | VT_BYREF:
      out = Variant(static_cast<std::int32_t>(*V_I4REF(&arg)));
      return S_OK;
    case VT_R8:
      out = Variant(V_R8(&arg));
      return S_OK;
    case VT_R8 | VT_BYREF:
      out = Variant(*V_R8REF(&arg));
      return S_OK;
    case VT_BOOL:
      out = Variant(V_BOOL(&arg) != VARIANT_FALSE);
      return S_OK;
    case VT_BOOL | VT_BYREF:
      out = Variant(*V_BOOLREF(&arg) != VARIANT_FALSE);
      return S_OK;
    case VT_BSTR:
      out = Variant(BstrText(V_BSTR(&arg)));
      return S_OK;
    case VT_BSTR | VT_BYREF:
      out = Variant(BstrText(*V_BSTRREF(&arg)));
      return S_OK;
    default:
      break;
  }
  VARIANT converted;
  ::VariantInit(&converted);
  HRESULT hr =
      ::VariantChangeTypeEx(&converted, const_cast<VARIANT*>(&arg), lcid, 0, ComType(declared));
  if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
  hr = ReadArgument(converted, declared, lcid, out);
  ::VariantClear(&converted);
  return hr;
}

void WriteResult(const Variant& value, VARIANT* result) {
  ::VariantInit(result);
  if (value.Type() == VarType::Short) {
    V_VT(result) = VT_I2;
    V_I2(result) = value.ShortValue();
  } else {
    V_VT(result) = VT_I4;
    V_I4(result) = value.LongValue();
  }
}

}  // namespace

std::string AnsiText(const wchar_t* text, std::size_t length) {
  if (text == nullptr || length == 0) return {};
  const int wide = static_cast<int>(std::min<std::size_t>(length, INT_MAX));
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, wide, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

HRESULT GetMethodIds(const CTandrelCtrl& ctrl, const LPOLESTR* names, UINT count, DISPID* ids) {
  if (names == nullptr || ids == nullptr) return E_POINTER;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 0) return S_OK;
  if (names[0] == nullptr) return DISP_E_UNKNOWNNAME;
  // Method names are ASCII; anything else can only fail to match.
  std::string name;
  for (const wchar_t* c = names[0]; *c != L'\0'; ++c) {
    name += *c < 0x80 ? static_cast<char>(*c) : '\x7F';
  }
  int dispid = 0;
  if (ctrl.GetIDsOfNames(name, dispid) != DispatchStatus::Ok) return DISP_E_UNKNOWNNAME;
  ids[0] = dispid;
  return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT InvokeMethod(CTandrelCtrl& ctrl, DISPID dispid, LCID lcid, WORD flags,
                     const DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                     UINT* argErr) {
  const identity::MethodInfo* method = FindMethod(dispid);
  if (method == nullptr || (flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
  if (params == nullptr) return E_INVALIDARG;
  if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
  const UINT count = params->cArgs;
  if (count != method->params.size()) return DISP_E_BADPARAMCOUNT;
  if (count > 0 && params->rgvarg == nullptr) return E_INVALIDARG;
  // Declaration order i is wire position count - 1 - i, both ways.
  auto wire = [count](UINT i) { return count - 1 - i; };
  try {
    std::vector<Variant> args(count);
    for (UINT i = 0; i < count; ++i) {
      const HRESULT hr =
          ReadArgument(params->rgvarg[wire(i)], method->params[i].type, lcid, args[i]);
      if (FAILED(hr)) {
        if (argErr != nullptr) *argErr = wire(i);
        return hr;
      }
    }
    const DispatchResult outcome = ctrl.Invoke(dispid, args);
    switch (outcome.status) {
      case DispatchStatus::Ok:
        break;
      case DispatchStatus::TypeMismatch:
      case DispatchStatus::Overflow:
        if (argErr != nullptr) *argErr = wire(outcome.argError);
        return static_cast<HRESULT>(outcome.status);
      case DispatchStatus::Exception:
        if (exception != nullptr) {
          *exception = EXCEPINFO{};
          exception->scode = E_OUTOFMEMORY;
        }
        return DISP_E_EXCEPTION;
      default:
        return static_cast<HRESULT>(outcome.status);
    }
    if (result != nullptr) WriteResult(outcome.result, result);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace tandrel::com
