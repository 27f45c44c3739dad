#pragma once

// The test client of the Windows stage: counted checks, scratch files, and calls to the control
// made the way a container makes them. Each failure is printed where it happens, under the name
// of its section; the run ends with "N passed, N failed".

#include <ocidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "com_identity.h"
#include "identity.h"

namespace tandrel::wintest {

using Microsoft::WRL::ComPtr;
namespace id = identity;

void BeginSection(std::string_view name);
bool Record(bool ok, std::string_view what, int line, const std::string& detail = {});
std::string Utf8(std::wstring_view text);
std::string Ansi(std::wstring_view text);  // how a path reaches the engine
std::wstring Wide(std::string_view ascii);
std::string Describe(const std::string& v);
std::string Describe(const std::wstring& v);
std::string Describe(const GUID& v);
std::string Describe(long long v);  // and in hex

template <class A, class B>
bool RecordEqual(const A& got, const B& want, std::string_view what, int line) {
  const bool ok = got == want;
  return Record(ok, what, line, ok ? "" : "got " + Describe(got) + ", want " + Describe(A(want)));
}

// A fresh, empty folder of that name in the client's scratch folder.
std::wstring ScratchFolder(std::wstring_view name);
std::vector<std::uint8_t> ReadBytes(const std::wstring& path);  // empty when unreadable
// Every file of a folder by name, with its bytes.
std::map<std::wstring, std::vector<std::uint8_t>> Contents(const std::wstring& folder);

// How a container passes the arguments: as values, as references to values of their own type
// (VT_BYREF | type), or as references to VARIANTs holding them (VT_BYREF | VT_VARIANT).
enum class Pass { Value, Ref, VariantRef };

struct Outcome {
  HRESULT hr = E_FAIL;
  UINT argErr = 0xFFFFFFFF;
  long long value = -1;   // an I2 or I4 result
  bool untouched = true;  // every argument as it was given: type, number, BSTR pointer and text
};

// Invokes `dispid` with `args` in declaration order (sent last first) and frees them.
Outcome Call(IDispatch* control, DISPID dispid, std::vector<VARIANT> args, Pass pass = Pass::Value,
             WORD flags = DISPATCH_METHOD);

// A value, its bytes copied into the VARIANT: Var(VT_I2, short{2}), Var(VT_R8, 2.5).
template <class T>
VARIANT Var(VARTYPE type, T value) {
  static_assert(sizeof(T) <= 8);
  VARIANT v;
  ::VariantInit(&v);
  V_VT(&v) = type;
  std::memcpy(&V_I8(&v), &value, sizeof value);
  return v;
}
VARIANT Str(std::wstring_view text);  // a BSTR

// An event sink that writes down what it receives ("Join(50) StatusChange(4)") and whether all
// of it arrived during a call to the control, on the caller's thread. It lives on the stack.
class EventSink final : public IDispatch {
 public:
  // Whether it also answers to the event interface's IID: not every sink does.
  explicit EventSink(bool answersEventIid = true) : answersEventIid_(answersEventIid) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

  std::string events;
  bool synchronous = true;

 private:
  bool answersEventIid_;
};

// The sink advised on the control's event connection point: the cookie, or 0.
DWORD Advise(IUnknown* control, IUnknown* sink);
HRESULT Unadvise(IUnknown* control, DWORD cookie);

// A new control made through its ProgID, as a container makes it.
ComPtr<IDispatch> CreateControl();

// A function a module exports, by name.
template <class F>
F Entry(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The checks; `fixtures` is the folder of the real files.
void CheckRegistered(const std::wstring& ocx);
void CheckUnregistered(const std::wstring& ocx);
// Read without running it, so that the 32-bit module is checked too.
void CheckModuleFile(const std::wstring& ocx, WORD machine);
// Every key the registration writes, as text, to compare two registrations.
std::string RegistrySnapshot();
void CheckDispatch(const std::wstring& fixtures);
void CheckContainers(const std::wstring& fixtures);

}  // namespace tandrel::wintest

#define CHECK(cond) ::tandrel::wintest::Record(static_cast<bool>(cond), #cond, __LINE__)
#define CHECK_EQ(got, want) \
  ::tandrel::wintest::RecordEqual((got), (want), #got " == " #want, __LINE__)
// HRESULTs compared as numbers, printed in hex.
#define CHECK_HR(got, want)                                        \
  ::tandrel::wintest::RecordEqual(static_cast<std::uint32_t>(got), \
                                  static_cast<std::uint32_t>(want), #got " == " #want, __LINE__)
