#pragma once

// The control module as a whole: its instance handle and path, what keeps it loaded, and its
// type library.

#include <oaidl.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace tandrel::com {

HINSTANCE ModuleInstance();
// The module's full path as the loader knows it.
std::wstring ModulePath();

// A string resource of the module; empty when it is missing.
std::wstring ResourceText(std::uint16_t id);
// The same in task memory, for the caller to free with CoTaskMemFree; nullptr when the resource
// is missing or memory runs out.
LPOLESTR ResourceTaskText(std::uint16_t id);

// QueryInterface of an object that offers one interface besides IUnknown.
template <typename Interface>
HRESULT QueryOneInterface(Interface* self, REFIID own, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, own)) {
    *out = self;
    self->AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

// Objects alive (controls, property pages, class factories, enumerators) and server locks: the
// module may be unloaded only when both are 0.
void AddModuleObject();
void ReleaseModuleObject();
void LockModule(bool lock);
bool ModuleInUse();

// The type library stored in the module as its type-library resource, and one of its types by
// GUID. Neither needs the library to be registered.
HRESULT LoadModuleTypeLib(ITypeLib** lib);
HRESULT LoadModuleTypeInfo(REFGUID guid, ITypeInfo** info);

// The reference count of one object, which also counts in the module while the object lives.
// Objects start with one reference, which their creator hands on or releases.
class ModuleObject {
 protected:
  ModuleObject() { AddModuleObject(); }
  virtual ~ModuleObject() { ReleaseModuleObject(); }
  ModuleObject(const ModuleObject&) = delete;
  ModuleObject& operator=(const ModuleObject&) = delete;

  ULONG AddReference() { return ++references_; }
  ULONG ReleaseReference() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace tandrel::com
