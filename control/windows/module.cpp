// The control module's entry points: loading, the class factories of its two classes, and
// registering and unregistering itself.
#include "module.h"

#include <olectl.h>
#include <windows.h>

#include <cwchar>
#include <new>

#include "class_factory.h"
#include "com_identity.h"
#include "control_window.h"
#include "property_page.h"
#include "registration.h"
#include "tandrel_control.h"

namespace tandrel::com {
namespace {

HINSTANCE instance = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

}  // namespace

HINSTANCE ModuleInstance() {
  return instance;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void AddModuleObject() {
  ++liveObjects;
}

void ReleaseModuleObject() {
  --liveObjects;
}

void LockModule(bool lock) {
  if (lock) {
    ++serverLocks;
  } else {
    --serverLocks;
  }
}

bool ModuleInUse() {
  return liveObjects.load() > 0 || serverLocks.load() > 0;
}

HRESULT LoadModuleTypeLib(ITypeLib** lib) {
  const std::wstring path = ModulePath();
  if (path.empty()) return E_UNEXPECTED;
  return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib);
}

HRESULT LoadModuleTypeInfo(REFGUID guid, ITypeInfo** info) {
  *info = nullptr;
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadModuleTypeLib(&lib);
  if (SUCCEEDED(hr)) {
    hr = lib->GetTypeInfoOfGuid(guid, info);
    lib->Release();
  }
  return hr;
}

std::wstring ResourceText(std::uint16_t id) {
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

LPOLESTR ResourceTaskText(std::uint16_t id) {
  const std::wstring text = ResourceText(id);
  if (text.empty()) return nullptr;
  auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (copy == nullptr) return nullptr;
  std::wmemcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace tandrel::com

using namespace tandrel::com;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    instance = module;
    ::DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary; at process exit the window class goes with the process.
    UnregisterControlWindowClass();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  ClassFactory::Creator creator = nullptr;
  if (IsEqualCLSID(clsid, kControlClsid)) creator = &TandrelControl::Create;
  if (IsEqualCLSID(clsid, kPropPageClsid)) creator = &CTandrelPropPage::Create;
  if (creator == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ClassFactory(creator);
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

STDAPI DllCanUnloadNow() {
  return ModuleInUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() {
  return RegisterServer();
}

STDAPI DllUnregisterServer() {
  return UnregisterServer();
}

}  // extern "C"
