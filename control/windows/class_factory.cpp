#include "class_factory.h"

namespace tandrel::com {

HRESULT ClassFactory::QueryInterface(REFIID iid, void** out) {
  return QueryOneInterface(static_cast<IClassFactory*>(this), IID_IClassFactory, iid, out);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return creator_(iid, out);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  LockModule(lock != FALSE);
  return S_OK;
}

}  // namespace tandrel::com
