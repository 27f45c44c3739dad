// What regsvr32 leaves in the registry, the registered type library, and the module file itself.
#include <windows.h>
// after windows.h, which it needs
#include <dbghelp.h>
#include <olectl.h>

#include <set>

#include "test_client.h"

namespace tandrel::wintest {
namespace {

const std::wstring kControlKey = L"CLSID\\" + Wide(id::kControlClsidText);
const std::wstring kPageKey = L"CLSID\\" + Wide(id::kPropPageClsidText);
const std::wstring kProgIdKey = Wide(id::kControlProgId);
const std::wstring kTypeLibKey = L"TypeLib\\" + Wide(id::kLibIdText);
const std::wstring kTypeLibVersion =
    std::to_wstring(id::kTypeLibMajor) + L"." + std::to_wstring(id::kTypeLibMinor);
const std::wstring kDispatchKey = L"Interface\\" + Wide(id::kDispatchIidText);
const std::wstring kEventsKey = L"Interface\\" + Wide(id::kEventsIidText);
// Every key the registration writes or has the system write.
const std::wstring kModuleKeys[] = {kControlKey, kPageKey,     kProgIdKey,
                                    kTypeLibKey, kDispatchKey, kEventsKey};

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(handle);
  return true;
}

std::wstring StringValue(const std::wstring& key, const wchar_t* name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  return ::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data,
                        &size) == ERROR_SUCCESS
             ? data
             : L"<missing>";
}

void DumpKey(HKEY parent, const std::wstring& path, const std::wstring& shown, std::string& out) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    out += Utf8(shown) + ": absent\n";
    return;
  }
  out += Utf8(shown) + "\n";
  wchar_t name[256];
  BYTE data[2048];
  DWORD nameLength = 256, dataSize = sizeof data, type = 0;
  for (DWORD i = 0;
       ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize) == ERROR_SUCCESS;
       ++i, nameLength = 256, dataSize = sizeof data) {
    out += "  [" + Utf8(name) + "] type " + std::to_string(type) + ":";
    for (DWORD b = 0; b < dataSize; ++b) out += " " + std::to_string(data[b]);
    out += "\n";
  }
  for (DWORD i = 0; nameLength = 256, ::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr,
                                                      nullptr, nullptr) == ERROR_SUCCESS;
       ++i) {
    DumpKey(key, name, shown + L"\\" + name, out);
  }
  ::RegCloseKey(key);
}

std::string Text(BSTR text) {
  return text != nullptr ? Utf8(std::wstring_view(text, ::SysStringLen(text))) : std::string();
}

// A type as text: kind, flags within `mask`, name, help, property count; each type it implements
// with its flags; each member as "DISPID Name(param VT, ...) VT", marked unless a plain method.
std::string Layout(ITypeInfo* info, WORD mask) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return "no attributes";
  BSTR typeName = nullptr, help = nullptr;
  info->GetDocumentation(MEMBERID_NIL, &typeName, &help, nullptr, nullptr);
  std::string out = std::to_string(attr->typekind) + " " + std::to_string(attr->wTypeFlags & mask) +
                    " " + Text(typeName) + " \"" + Text(help) + "\" " +
                    std::to_string(attr->cVars) + "\n";
  ::SysFreeString(typeName);
  ::SysFreeString(help);
  for (UINT i = 0; i < attr->cImplTypes; ++i) {
    INT flags = 0;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> base;
    BSTR name = nullptr;
    if (SUCCEEDED(info->GetImplTypeFlags(i, &flags)) &&
        SUCCEEDED(info->GetRefTypeOfImplType(i, &ref)) &&
        SUCCEEDED(info->GetRefTypeInfo(ref, &base))) {
      base->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    }
    out += "implements " + Text(name) + " " + std::to_string(flags) + "\n";
    ::SysFreeString(name);
  }
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    BSTR names[8] = {};
    UINT count = 0;
    info->GetNames(f->memid, names, 8, &count);
    out += std::to_string(f->memid) + " " + Text(names[0]) + "(";
    for (SHORT p = 0; p < f->cParams; ++p) {
      out += (p > 0 ? ", " : "") + Text(names[p + 1]) + " " +
             std::to_string(f->lprgelemdescParam[p].tdesc.vt);
    }
    out += ") " + std::to_string(f->elemdescFunc.tdesc.vt);
    if (f->funckind != FUNC_DISPATCH || f->invkind != INVOKE_FUNC || f->cParamsOpt != 0) {
      out += " not a plain method";
    }
    out += "\n";
    for (BSTR& name : names) ::SysFreeString(name);
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  return out;
}

std::string Expected(TYPEKIND kind, WORD flags, std::string_view name, std::string_view help) {
  return std::to_string(kind) + " " + std::to_string(flags) + " " + std::string(name) + " \"" +
         std::string(help) + "\" 0\n";
}

void CheckTypeLibrary(ITypeLib* lib, SYSKIND sysKind) {
  TLIBATTR* attr = nullptr;
  BSTR name = nullptr, help = nullptr, file = nullptr;
  if (!CHECK(SUCCEEDED(lib->GetLibAttr(&attr)))) return;
  lib->GetDocumentation(-1, &name, &help, nullptr, &file);
  CHECK_EQ(attr->guid, com::kLibId);
  CHECK_EQ(attr->lcid, id::kTypeLibLocale);
  CHECK_EQ(attr->wMajorVerNum, id::kTypeLibMajor);
  CHECK_EQ(attr->wMinorVerNum, id::kTypeLibMinor);
  CHECK_EQ(attr->syskind, sysKind);
  CHECK_EQ(attr->wLibFlags & LIBFLAG_FCONTROL, id::kLibFlagControl);
  CHECK_EQ(lib->GetTypeInfoCount(), 3U);
  CHECK_EQ(Text(name), std::string(id::kTypeLibName));
  CHECK_EQ(Text(help), std::string(id::kTypeLibHelpString));
  // Named relative to the registered help folder.
  CHECK(Text(file).ends_with(id::kTypeLibHelpFile));
  lib->ReleaseTLibAttr(attr);
  ::SysFreeString(name);
  ::SysFreeString(help);
  ::SysFreeString(file);

  // IDispatch comes from the standard automation library the library imports.
  const std::string dispatchBase = "implements IDispatch 0\n";
  std::string methods, events;
  for (const auto& m : id::kMethods) {
    methods += std::to_string(m.dispid) + " " + std::string(m.name) + "(";
    for (const auto& p : m.params) {
      methods += std::string(&p == m.params.data() ? "" : ", ") + std::string(p.name) + " " +
                 std::to_string(static_cast<int>(p.type));
    }
    methods += ") " + std::to_string(static_cast<int>(m.result)) + "\n";
  }
  for (const auto& e : id::kEvents) {
    events += std::to_string(e.dispid) + " " + std::string(e.name) + "(" + std::string(e.param) +
              " " + std::to_string(VT_I2) + ") " + std::to_string(VT_VOID) + "\n";
  }
  const struct {
    GUID guid;
    WORD mask;
    std::string want;
  } types[] = {
      {com::kDispatchIid, TYPEFLAG_FHIDDEN,
       Expected(TKIND_DISPATCH, id::kDispatchTypeFlags, id::kDispatchName,
                id::kDispatchHelpString) +
           dispatchBase + methods},
      {com::kEventsIid, TYPEFLAG_FHIDDEN,
       Expected(TKIND_DISPATCH, 0, id::kEventsName, id::kEventsHelpString) + dispatchBase + events},
      {com::kControlClsid, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL,
       Expected(TKIND_COCLASS, id::kControlTypeFlags, id::kControlClassName,
                id::kControlHelpString) +
           "implements " + std::string(id::kDispatchName) + " " +
           std::to_string(IMPLTYPEFLAG_FDEFAULT) + "\nimplements " + std::string(id::kEventsName) +
           " " + std::to_string(IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) + "\n"},
  };
  for (const auto& type : types) {
    ComPtr<ITypeInfo> info;
    const std::string what = "type " + Describe(type.guid);
    if (Record(SUCCEEDED(lib->GetTypeInfoOfGuid(type.guid, &info)), what, __LINE__)) {
      RecordEqual(Layout(info.Get(), type.mask), type.want, what, __LINE__);
    }
  }
}

bool CreateVolatileKey(const std::wstring& key) {
  HKEY handle = nullptr;
  const bool ok = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                    KEY_WRITE, nullptr, &handle, nullptr) == ERROR_SUCCESS;
  if (ok) ::RegCloseKey(handle);
  return ok;
}

// With the module unregistered: the failure code of each step, provoked by a volatile key,
// which takes no lasting subkeys, where the step writes. Leaves nothing behind.
void CheckRegistrationFailures(const std::wstring& ocx) {
  BeginSection("registration failure codes");
  const HMODULE module = ::LoadLibraryW(ocx.c_str());
  if (!CHECK(module != nullptr)) return;
  const auto registerServer = Entry<HRESULT(STDAPICALLTYPE*)()>(module, "DllRegisterServer");
  const auto unregisterServer = Entry<HRESULT(STDAPICALLTYPE*)()>(module, "DllUnregisterServer");
  if (!CHECK(registerServer != nullptr && unregisterServer != nullptr)) return;
  // Nothing registered: there is no type library to unregister.
  CHECK_HR(unregisterServer(), id::kRegisterTypeLibFailed);
  // The type library fails, and the classes are then not tried.
  if (CHECK(CreateVolatileKey(kTypeLibKey))) {
    CHECK_HR(registerServer(), id::kRegisterTypeLibFailed);
    CHECK(!KeyExists(kControlKey) && !KeyExists(kProgIdKey));
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kTypeLibKey.c_str());
  }
  // The classes fail after the type library was registered.
  if (CHECK(CreateVolatileKey(kControlKey))) {
    CHECK_HR(registerServer(), id::kRegisterClassFailed);
    CHECK(KeyExists(kTypeLibKey + L"\\" + kTypeLibVersion));
    CHECK_HR(unregisterServer(), S_OK);
  }
  for (const std::wstring& key : kModuleKeys) CHECK(!KeyExists(key));
  ::FreeLibrary(module);
}

}  // namespace

void CheckRegistered(const std::wstring& ocx) {
  BeginSection("registry entries");
  const std::wstring threading = Wide(id::kThreadingModel), libId = Wide(id::kLibIdText);
  const std::wstring entries[][3] = {
      {kControlKey, L"", Wide(id::kIdsTandrel.text)},
      {kControlKey + L"\\ProgID", L"", kProgIdKey},
      {kControlKey + L"\\InprocServer32", L"", ocx},
      {kControlKey + L"\\InprocServer32", L"ThreadingModel", threading},
      {kControlKey + L"\\ToolboxBitmap32", L"", ocx + L", 1"},
      {kControlKey + L"\\MiscStatus\\1", L"", std::to_wstring(id::kMiscStatus)},
      {kControlKey + L"\\TypeLib", L"", libId},
      {kControlKey + L"\\Version", L"", kTypeLibVersion},
      {kProgIdKey, L"", Wide(id::kIdsTandrel.text)},
      {kProgIdKey + L"\\CLSID", L"", Wide(id::kControlClsidText)},
      {kPageKey, L"", Wide(id::kIdsTandrelPpg.text)},
      {kPageKey + L"\\InprocServer32", L"", ocx},
      {kPageKey + L"\\InprocServer32", L"ThreadingModel", threading},
      {kTypeLibKey + L"\\" + kTypeLibVersion, L"", Wide(id::kTypeLibHelpString)},
      {kTypeLibKey + L"\\" + kTypeLibVersion + L"\\409\\win64", L"", ocx},  // locale in hex
      {kDispatchKey, L"", Wide(id::kDispatchName)},
      {kDispatchKey + L"\\TypeLib", L"", libId},
      {kEventsKey, L"", Wide(id::kEventsName)},
      {kEventsKey + L"\\TypeLib", L"", libId},
  };
  for (const auto& [key, name, data] : entries) {
    RecordEqual(StringValue(key, name.empty() ? nullptr : name.c_str()), data,
                Utf8(L"HKCR\\" + key + L" [" + name + L"]"), __LINE__);
  }
  CHECK(KeyExists(kControlKey + L"\\Control"));

  BeginSection("registered type library");
  ComPtr<ITypeLib> lib;
  if (CHECK(SUCCEEDED(::LoadRegTypeLib(com::kLibId, id::kTypeLibMajor, id::kTypeLibMinor,
                                       id::kTypeLibLocale, &lib)))) {
    CheckTypeLibrary(lib.Get(), SYS_WIN64);
  }
}

void CheckUnregistered(const std::wstring& ocx) {
  BeginSection("unregistered");
  for (const std::wstring& key : kModuleKeys)
    Record(!KeyExists(key), Utf8(key + L" gone"), __LINE__);
  CheckRegistrationFailures(ocx);
}

std::string RegistrySnapshot() {
  std::string out;
  for (const std::wstring& key : kModuleKeys) DumpKey(HKEY_CLASSES_ROOT, key, key, out);
  return out;
}

void CheckModuleFile(const std::wstring& ocx, WORD machine) {
  BeginSection(machine == IMAGE_FILE_MACHINE_AMD64 ? "module file" : "module file (x86)");
  const HMODULE module = ::LoadLibraryExW(ocx.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!CHECK(module != nullptr)) return;
  // Mapped as an image without being run: the handle has its low bits set.
  auto* base = reinterpret_cast<BYTE*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3});
  CHECK_EQ(::ImageNtHeader(base)->FileHeader.Machine, machine);
  ULONG size = 0;
  const auto* exports = static_cast<const IMAGE_EXPORT_DIRECTORY*>(
      ::ImageDirectoryEntryToData(base, TRUE, IMAGE_DIRECTORY_ENTRY_EXPORT, &size));
  std::set<std::string> exported;
  for (DWORD i = 0; exports != nullptr && i < exports->NumberOfNames; ++i) {
    exported.insert(reinterpret_cast<const char*>(
        base + reinterpret_cast<const DWORD*>(base + exports->AddressOfNames)[i]));
  }
  CHECK(exported == (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                           "DllRegisterServer", "DllUnregisterServer"}));

  for (const auto& s : {id::kIdsTandrel, id::kIdsTandrelPpg, id::kIdsTandrelPpgCaption}) {
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module, s.id, reinterpret_cast<LPWSTR>(&text), 0);
    RecordEqual(length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : L"",
                Wide(s.text), "string " + std::to_string(s.id), __LINE__);
  }
  auto resource = [module](WORD id, const wchar_t* type) -> const void* {
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    return found != nullptr ? ::LockResource(::LoadResource(module, found)) : nullptr;
  };
  const auto* bitmap = static_cast<const BITMAPINFOHEADER*>(
      resource(id::kToolboxBitmapResource, MAKEINTRESOURCEW(2) /* RT_BITMAP */));
  CHECK(bitmap != nullptr && bitmap->biWidth == id::kToolboxBitmapWidth &&
        bitmap->biHeight == id::kToolboxBitmapHeight &&
        1 << bitmap->biBitCount == id::kToolboxBitmapColours);
  CHECK(resource(id::kPropPageDialogResource, MAKEINTRESOURCEW(5) /* RT_DIALOG */) != nullptr);
  ::FreeLibrary(module);

  std::vector<BYTE> block(::GetFileVersionInfoSizeW(ocx.c_str(), nullptr));
  if (!CHECK(
          !block.empty() &&
          ::GetFileVersionInfoW(ocx.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))) {
    return;
  }
  UINT length = 0;
  auto query = [&block, &length](const std::wstring& path) -> const void* {
    void* at = nullptr;
    return ::VerQueryValueW(block.data(), path.c_str(), &at, &length) ? at : nullptr;
  };
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
  const DWORD high = id::kVersion[0] << 16 | id::kVersion[1];
  const DWORD low = id::kVersion[2] << 16 | id::kVersion[3];
  CHECK(fixed != nullptr && fixed->dwFileVersionMS == high && fixed->dwFileVersionLS == low &&
        fixed->dwProductVersionMS == high && fixed->dwProductVersionLS == low &&
        fixed->dwFileType == VFT_DLL);
  const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
  wchar_t strings[40] = {};
  if (translation != nullptr) {
    ::swprintf(strings, 40, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
  }
  // The self-registering mark is there with an empty value.
  const std::pair<std::string_view, std::string_view> values[] = {
      {"FileDescription", id::kFileDescription},
      {"ProductName", id::kProductName},
      {"InternalName", id::kInternalName},
      {"FileVersion", id::kVersionText},
      {"ProductVersion", id::kVersionText},
      {"OriginalFilename", id::kModuleFileName},
      {id::kSelfRegisterEntry, ""}};
  for (const auto& [name, want] : values) {
    const auto* text = static_cast<const wchar_t*>(query(strings + Wide(name)));
    RecordEqual(text != nullptr ? std::wstring(text, wcsnlen(text, length)) : L"<missing>",
                Wide(want), name, __LINE__);
  }

  if (machine != IMAGE_FILE_MACHINE_AMD64) {  // not registered here: read from its resource
    ComPtr<ITypeLib> lib;
    if (CHECK(SUCCEEDED(::LoadTypeLibEx(ocx.c_str(), REGKIND_NONE, &lib)))) {
      CheckTypeLibrary(lib.Get(), SYS_WIN32);
    }
  }
}

}  // namespace tandrel::wintest
