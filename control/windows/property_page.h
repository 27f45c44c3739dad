#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "module.h"

namespace tandrel::com {

// The control's one property page, captioned "General": a dialog that says the control has no
// property. It exchanges no data, so it is never dirty and applying it changes nothing.
class CTandrelPropPage final : public IPropertyPage, private ModuleObject {
 public:
  static HRESULT Create(REFIID iid, void** out);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE Show(UINT command) override;
  HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
  HRESULT STDMETHODCALLTYPE IsPageDirty() override;
  HRESULT STDMETHODCALLTYPE Apply() override;
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpFolder) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

 private:
  CTandrelPropPage() = default;
  ~CTandrelPropPage() override;
  void ReleaseObjects();

  IPropertyPageSite* site_ = nullptr;
  std::vector<IUnknown*> objects_;  // one reference each
  HWND dialog_ = nullptr;
};

}  // namespace tandrel::com
