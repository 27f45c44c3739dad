#pragma once

#include <windows.h>

namespace tandrel::com {

// DllRegisterServer: registers the type library from the module's own resource (failure:
// SELFREG_E_TYPELIB), then the entries of both classes under HKEY_CLASSES_ROOT (failure of any:
// SELFREG_E_CLASS). Nothing is rolled back on a failure.
HRESULT RegisterServer();

// DllUnregisterServer: unregisters the type library's version (failure: SELFREG_E_TYPELIB), then
// removes the control's CLSID and ProgID keys and the page's CLSID key (failure:
// SELFREG_E_CLASS). A class key that is already gone is no failure.
HRESULT UnregisterServer();

}  // namespace tandrel::com
