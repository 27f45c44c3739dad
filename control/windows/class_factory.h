#pragma once

#include <unknwn.h>

#include "module.h"

namespace tandrel::com {

// The class factory of one class: makes a new object per request; no aggregation.
class ClassFactory final : public IClassFactory, private ModuleObject {
 public:
  // Makes a new object and asks it for `iid`.
  using Creator = HRESULT (*)(REFIID iid, void** out);

  explicit ClassFactory(Creator creator) : creator_(creator) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  Creator creator_;
};

}  // namespace tandrel::com
