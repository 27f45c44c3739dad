#include "registration.h"

#include <ole2.h>
#include <olectl.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com_identity.h"
#include "module.h"

namespace tandrel::com {
namespace {

#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

// The identity's texts are plain ASCII.
std::wstring Wide(std::string_view text) {
  return std::wstring(text.begin(), text.end());
}

// One value under HKEY_CLASSES_ROOT: a string, or only the key itself.
struct RegistryEntry {
  std::wstring key;
  std::wstring name;  // empty: the key's default value
  std::optional<std::wstring> data;
};

std::wstring ControlKey() {
  return L"CLSID\\" + Wide(identity::kControlClsidText);
}

std::wstring PropPageKey() {
  return L"CLSID\\" + Wide(identity::kPropPageClsidText);
}

// Everything the two classes put in the registry (the type library registers itself).
std::vector<RegistryEntry> ClassEntries(const std::wstring& modulePath,
                                        const std::wstring& controlTypeName,
                                        const std::wstring& pageTypeName) {
  const std::wstring control = ControlKey();
  const std::wstring page = PropPageKey();
  const std::wstring progId = Wide(identity::kControlProgId);
  const std::wstring threading = Wide(identity::kThreadingModel);
  const std::wstring version =
      std::to_wstring(identity::kTypeLibMajor) + L"." + std::to_wstring(identity::kTypeLibMinor);
  return {
      {control, L"", controlTypeName},
      {control + L"\\ProgID", L"", progId},
      {control + L"\\InprocServer32", L"", modulePath},
      {control + L"\\InprocServer32", L"ThreadingModel", threading},
      {control + L"\\Control", L"", std::nullopt},
      {control + L"\\ToolboxBitmap32", L"",
       modulePath + L", " + std::to_wstring(identity::kToolboxBitmapResource)},
      // The flags of the content aspect (1); other aspects have none.
      {control + L"\\MiscStatus", L"", L"0"},
      {control + L"\\MiscStatus\\1", L"", std::to_wstring(identity::kMiscStatus)},
      {control + L"\\TypeLib", L"", Wide(identity::kLibIdText)},
      {control + L"\\Version", L"", version},
      {progId, L"", controlTypeName},
      {progId + L"\\CLSID", L"", Wide(identity::kControlClsidText)},
      {page, L"", pageTypeName},
      {page + L"\\InprocServer32", L"", modulePath},
      {page + L"\\InprocServer32", L"ThreadingModel", threading},
  };
}

bool Write(const RegistryEntry& entry) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LSTATUS status = ERROR_SUCCESS;
  if (entry.data) {
    const auto bytes = static_cast<DWORD>((entry.data->size() + 1) * sizeof(wchar_t));
    status = ::RegSetValueExW(key, entry.name.empty() ? nullptr : entry.name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(entry.data->c_str()), bytes);
  }
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

std::wstring FolderOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

HRESULT RegisterServer() {
  constexpr auto kTypeLibFailed = static_cast<HRESULT>(identity::kRegisterTypeLibFailed);
  constexpr auto kClassFailed = static_cast<HRESULT>(identity::kRegisterClassFailed);
  static_assert(kTypeLibFailed == SELFREG_E_TYPELIB && kClassFailed == SELFREG_E_CLASS);

  const std::wstring path = ModulePath();
  if (path.empty()) return kTypeLibFailed;
  ITypeLib* lib = nullptr;
  if (FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib))) return kTypeLibFailed;
  // The help file, should there be one, sits beside the module.
  std::wstring fullPath = path;
  std::wstring helpFolder = FolderOf(path);
  const HRESULT registered = ::RegisterTypeLib(lib, fullPath.data(), helpFolder.data());
  lib->Release();
  if (FAILED(registered)) return kTypeLibFailed;

  const std::wstring controlTypeName = ResourceText(identity::kIdsTandrel.id);
  const std::wstring pageTypeName = ResourceText(identity::kIdsTandrelPpg.id);
  if (controlTypeName.empty() || pageTypeName.empty()) return kClassFailed;
  for (const auto& entry : ClassEntries(path, controlTypeName, pageTypeName)) {
    if (!Write(entry)) return kClassFailed;
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  if (FAILED(::UnRegisterTypeLib(kLibId, identity::kTypeLibMajor, identity::kTypeLibMinor,
                                 identity::kTypeLibLocale, kSysKind))) {
    return static_cast<HRESULT>(identity::kRegisterTypeLibFailed);
  }
  for (const std::wstring& key : {ControlKey(), Wide(identity::kControlProgId), PropPageKey()}) {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
      return static_cast<HRESULT>(identity::kRegisterClassFailed);
    }
  }
  return S_OK;
}

}  // namespace tandrel::com
