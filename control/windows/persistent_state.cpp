#include "persistent_state.h"

#include <ole2.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "identity.h"

namespace tandrel::com {
namespace {

constexpr const wchar_t* kVersionName = L"_Version";
constexpr const wchar_t* kExtentXName = L"_ExtentX";
constexpr const wchar_t* kExtentYName = L"_ExtentY";

void PutLe32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLe32(const std::uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | std::uint32_t{at[3]} << 24;
}

HRESULT WriteLong(IPropertyBag* bag, const wchar_t* name, LONG value) {
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return bag->Write(name, &v);
}

// The bag's value as a VT_I4, when it has one.
bool ReadLong(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, LONG& value) {
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = VT_I4;
  if (FAILED(bag->Read(name, &v, log))) return false;
  const bool ok = SUCCEEDED(::VariantChangeType(&v, &v, 0, VT_I4));
  if (ok) value = V_I4(&v);
  ::VariantClear(&v);
  return ok;
}

}  // namespace

HRESULT SaveState(const PersistentState& state, IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  std::array<std::uint8_t, kStateStreamSize> bytes{};
  PutLe32(&bytes[0], identity::kVersionStamp);
  PutLe32(&bytes[4], static_cast<std::uint32_t>(state.extent.cx));
  PutLe32(&bytes[8], static_cast<std::uint32_t>(state.extent.cy));
  ULONG written = 0;
  const HRESULT hr = stream->Write(bytes.data(), kStateStreamSize, &written);
  if (FAILED(hr)) return hr;
  return written == kStateStreamSize ? S_OK : STG_E_WRITEFAULT;
}

HRESULT LoadState(IStream* stream, PersistentState& state) {
  if (stream == nullptr) return E_POINTER;
  std::array<std::uint8_t, kStateStreamSize> bytes{};
  ULONG read = 0;
  const HRESULT hr = stream->Read(bytes.data(), kStateStreamSize, &read);
  if (FAILED(hr)) return hr;
  if (read != kStateStreamSize) return STG_E_READFAULT;
  // The stamp says which layout follows; every version so far has this one.
  state.extent.cx = static_cast<LONG>(GetLe32(&bytes[4]));
  state.extent.cy = static_cast<LONG>(GetLe32(&bytes[8]));
  return S_OK;
}

HRESULT SaveState(const PersistentState& state, IPropertyBag* bag) {
  if (bag == nullptr) return E_POINTER;
  HRESULT hr = WriteLong(bag, kVersionName, static_cast<LONG>(identity::kVersionStamp));
  if (SUCCEEDED(hr)) hr = WriteLong(bag, kExtentXName, state.extent.cx);
  if (SUCCEEDED(hr)) hr = WriteLong(bag, kExtentYName, state.extent.cy);
  return hr;
}

HRESULT LoadState(IPropertyBag* bag, IErrorLog* log, PersistentState& state) {
  if (bag == nullptr) return E_POINTER;
  PersistentState loaded;
  LONG version = 0;
  ReadLong(bag, log, kVersionName, version);
  ReadLong(bag, log, kExtentXName, loaded.extent.cx);
  ReadLong(bag, log, kExtentYName, loaded.extent.cy);
  state = loaded;
  return S_OK;
}

}  // namespace tandrel::com
