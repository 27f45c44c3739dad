#include "registry_checks.h"

#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "audio_files.h"
#include "com_identity.h"
#include "identity.h"
#include "test_tally.h"

namespace tandrel::wintest {
namespace {

namespace id = identity;

const std::wstring kControlKey = L"CLSID\\" + Wide(id::kControlClsidText);
const std::wstring kPageKey = L"CLSID\\" + Wide(id::kPropPageClsidText);
const std::wstring kProgIdKey = Wide(id::kControlProgId);
const std::wstring kTypeLibKey = L"TypeLib\\" + Wide(id::kLibIdText);
const std::wstring kDispatchKey = L"Interface\\" + Wide(id::kDispatchIidText);
const std::wstring kEventsKey = L"Interface\\" + Wide(id::kEventsIidText);

// Every key the module's registration writes or has the system write.
std::vector<std::wstring> ModuleKeys() {
  return {kControlKey, kPageKey, kProgIdKey, kTypeLibKey, kDispatchKey, kEventsKey};
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(handle);
  return true;
}

// A string value, or nullopt when the key or the value is missing.
std::optional<std::wstring> StringValue(const std::wstring& key, const std::wstring& name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name.empty() ? nullptr : name.c_str(),
                     RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(data);
}

std::wstring TypeLibVersion() {
  return std::to_wstring(id::kTypeLibMajor) + L"." + std::to_wstring(id::kTypeLibMinor);
}

void DumpKey(HKEY parent, const std::wstring& path, const std::wstring& shown, std::string& out) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    out += Utf8(shown) + ": absent\n";
    return;
  }
  out += Utf8(shown) + "\n";
  std::vector<std::string> values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    BYTE data[2048];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    std::string text = "  [" + Utf8(name) + "] type " + std::to_string(type) + ": ";
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      text += Utf8(std::wstring(reinterpret_cast<const wchar_t*>(data), dataSize / 2));
    } else {
      for (DWORD b = 0; b < dataSize; ++b) text += std::to_string(data[b]) + " ";
    }
    values.push_back(text);
  }
  std::sort(values.begin(), values.end());
  for (const std::string& value : values) out += value + "\n";
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    subkeys.push_back(name);
  }
  std::sort(subkeys.begin(), subkeys.end());
  for (const std::wstring& subkey : subkeys) DumpKey(key, subkey, shown + L"\\" + subkey, out);
  ::RegCloseKey(key);
}

using RegisterFunction = HRESULT(STDAPICALLTYPE*)();

template <class F>
F Entry(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

bool CreateVolatileKey(const std::wstring& key) {
  HKEY handle = nullptr;
  const bool ok = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                    KEY_WRITE, nullptr, &handle, nullptr) == ERROR_SUCCESS;
  if (ok) ::RegCloseKey(handle);
  return ok;
}

bool NothingRegistered() {
  return std::none_of(ModuleKeys().begin(), ModuleKeys().end(), KeyExists);
}

}  // namespace

void CheckRegistered(const std::wstring& ocxPath) {
  BeginSection("registry entries");
  const std::wstring clsid = Wide(id::kControlClsidText);
  const std::wstring threading = Wide(id::kThreadingModel);
  struct Entry {
    std::wstring key;
    std::wstring name;
    std::wstring data;
  };
  const std::vector<Entry> expected = {
      {kControlKey, L"", Wide(id::kIdsTandrel.text)},
      {kControlKey + L"\\ProgID", L"", kProgIdKey},
      {kControlKey + L"\\InprocServer32", L"", ocxPath},
      {kControlKey + L"\\InprocServer32", L"ThreadingModel", threading},
      {kControlKey + L"\\ToolboxBitmap32", L"", ocxPath + L", 1"},
      {kControlKey + L"\\MiscStatus\\1", L"", std::to_wstring(0x20491)},
      {kControlKey + L"\\TypeLib", L"", Wide(id::kLibIdText)},
      {kControlKey + L"\\Version", L"", TypeLibVersion()},
      {kProgIdKey, L"", Wide(id::kIdsTandrel.text)},
      {kProgIdKey + L"\\CLSID", L"", clsid},
      {kPageKey, L"", Wide(id::kIdsTandrelPpg.text)},
      {kPageKey + L"\\InprocServer32", L"", ocxPath},
      {kPageKey + L"\\InprocServer32", L"ThreadingModel", threading},
      {kTypeLibKey + L"\\" + TypeLibVersion(), L"", Wide(id::kTypeLibHelpString)},
      {kDispatchKey, L"", Wide(id::kDispatchName)},
      {kDispatchKey + L"\\TypeLib", L"", Wide(id::kLibIdText)},
      {kEventsKey, L"", Wide(id::kEventsName)},
      {kEventsKey + L"\\TypeLib", L"", Wide(id::kLibIdText)},
  };
  for (const Entry& entry : expected) {
    const auto value = StringValue(entry.key, entry.name);
    const std::string what = Utf8(L"HKCR\\" + entry.key + L" [" + entry.name + L"]");
    RecordEqual(value.value_or(L"<missing>"), entry.data, what.c_str(), __FILE__, __LINE__);
  }
  CHECK(KeyExists(kControlKey + L"\\Control"));

  // The same entries as the system's own readers see them.
  DWORD misc = 0;
  CHECK_HR(::OleRegGetMiscStatus(com::kControlClsid, DVASPECT_CONTENT, &misc), S_OK);
  CHECK_EQ(misc, 0x20491UL);
  LPOLESTR userType = nullptr;
  CHECK_HR(::OleRegGetUserType(com::kControlClsid, USERCLASSTYPE_FULL, &userType), S_OK);
  CHECK_EQ(std::wstring(userType != nullptr ? userType : L""), Wide(id::kIdsTandrel.text));
  ::CoTaskMemFree(userType);
  CLSID fromProgId{};
  CHECK_HR(::CLSIDFromProgID(kProgIdKey.c_str(), &fromProgId), S_OK);
  CHECK_EQ(fromProgId, com::kControlClsid);
  LPOLESTR progId = nullptr;
  CHECK_HR(::ProgIDFromCLSID(com::kControlClsid, &progId), S_OK);
  CHECK_EQ(std::wstring(progId != nullptr ? progId : L""), kProgIdKey);
  ::CoTaskMemFree(progId);
  BSTR typeLibPath = nullptr;
  CHECK_HR(::QueryPathOfRegTypeLib(com::kLibId, id::kTypeLibMajor, id::kTypeLibMinor,
                                   id::kTypeLibLocale, &typeLibPath),
           S_OK);
  CHECK_EQ(std::wstring(typeLibPath != nullptr ? typeLibPath : L""), ocxPath);
  ::SysFreeString(typeLibPath);
}

void CheckUnregistered() {
  BeginSection("unregistered");
  for (const std::wstring& key : ModuleKeys()) {
    RecordEqual(KeyExists(key), false, Utf8(L"HKCR\\" + key + L" is gone").c_str(), __FILE__,
                __LINE__);
  }
  CLSID clsid{};
  CHECK(FAILED(::CLSIDFromProgID(kProgIdKey.c_str(), &clsid)));
  IUnknown* object = nullptr;
  CHECK_HR(::CoCreateInstance(com::kControlClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&object)),
           REGDB_E_CLASSNOTREG);
  ITypeLib* lib = nullptr;
  CHECK(FAILED(::LoadRegTypeLib(com::kLibId, id::kTypeLibMajor, id::kTypeLibMinor,
                                id::kTypeLibLocale, &lib)));
}

void CheckRegistrationFailures(const std::wstring& ocxPath) {
  BeginSection("registration failure codes");
  const HMODULE module = ::LoadLibraryW(ocxPath.c_str());
  if (!CHECK(module != nullptr)) return;
  const auto registerServer = Entry<RegisterFunction>(module, "DllRegisterServer");
  const auto unregisterServer = Entry<RegisterFunction>(module, "DllUnregisterServer");
  if (!CHECK(registerServer != nullptr && unregisterServer != nullptr)) return;
  constexpr HRESULT kTypeLibFailed = static_cast<HRESULT>(id::kRegisterTypeLibFailed);
  constexpr HRESULT kClassFailed = static_cast<HRESULT>(id::kRegisterClassFailed);

  // Nothing registered: there is no type library to unregister.
  CHECK_HR(unregisterServer(), kTypeLibFailed);

  // A volatile key takes no lasting subkeys: the type library cannot be registered under it,
  // and the classes are then not tried.
  if (CHECK(CreateVolatileKey(kTypeLibKey))) {
    CHECK_HR(registerServer(), kTypeLibFailed);
    CHECK(!KeyExists(kControlKey));
    CHECK(!KeyExists(kProgIdKey));
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kTypeLibKey.c_str());
  }

  // The same in the control's CLSID key: the type library is registered and stays so.
  if (CHECK(CreateVolatileKey(kControlKey))) {
    CHECK_HR(registerServer(), kClassFailed);
    CHECK(KeyExists(kTypeLibKey + L"\\" + TypeLibVersion()));
    CHECK_HR(unregisterServer(), S_OK);
  }
  CHECK(NothingRegistered());
  ::FreeLibrary(module);
}

std::string RegistrySnapshot() {
  std::string out;
  for (const std::wstring& key : ModuleKeys()) DumpKey(HKEY_CLASSES_ROOT, key, key, out);
  return out;
}

}  // namespace tandrel::wintest
