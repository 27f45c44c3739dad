// What regsvr32 leaves in the registry, and the type library, registered and in the module file.
#include <sstream>

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

void DumpKey(HKEY parent, const std::wstring& path, const std::wstring& shown, std::string& out) {
  HKEY key = nullptr;
  const bool open = ::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
  out += Narrow(shown) + (open ? "\n" : ": absent\n");
  if (!open) return;
  wchar_t name[256];
  BYTE data[2048];
  DWORD nameLength = 256, dataSize = sizeof data, type = 0;
  for (DWORD i = 0;
       ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize) == ERROR_SUCCESS;
       ++i, nameLength = 256, dataSize = sizeof data) {
    out += "  [" + Narrow(name) + "] type " + std::to_string(type) + ":";
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
  std::string out = text != nullptr ? Narrow({text, ::SysStringLen(text)}) : "";
  ::SysFreeString(text);
  return out;
}

std::string GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return Narrow(text);
}

// Its parts, separated by spaces, as one line.
template <class... T>
std::string Line(const T&... parts) {
  std::ostringstream out;
  ((out << ' ' << parts), ...);
  out << '\n';
  return out.str().substr(1);
}

// A type as text: GUID, kind, the flags a container looks at, name and help; each type it
// implements with its flags; each member as "DISPID Name param VT ... : VT".
std::string Layout(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  BSTR typeName = nullptr, help = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return "no attributes\n";
  info->GetDocumentation(MEMBERID_NIL, &typeName, &help, nullptr, nullptr);
  std::string out =
      Line(GuidText(attr->guid), attr->typekind,
           attr->wTypeFlags & (TYPEFLAG_FHIDDEN | TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL),
           Text(typeName), Text(help));
  for (UINT i = 0; i < attr->cImplTypes; ++i) {
    INT flags = 0;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> base;
    BSTR name = nullptr;
    info->GetImplTypeFlags(i, &flags);
    if (SUCCEEDED(info->GetRefTypeOfImplType(i, &ref)) &&
        SUCCEEDED(info->GetRefTypeInfo(ref, &base)))
      base->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    out += Line("implements", Text(name), flags);
  }
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    BSTR names[8] = {};
    UINT count = 0;
    info->GetNames(f->memid, names, 8, &count);
    out += std::to_string(f->memid) + " " + Text(names[0]);
    for (SHORT p = 0; p < f->cParams; ++p) {
      out += " " + Text(names[p + 1]) + " " + std::to_string(f->lprgelemdescParam[p].tdesc.vt);
    }
    out += Line("", ":", f->elemdescFunc.tdesc.vt);
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  return out;
}

// The library as text: its attributes, then each of its types in order.
void CheckTypeLibrary(ITypeLib* lib, SYSKIND sysKind) {
  TLIBATTR* attr = nullptr;
  BSTR name = nullptr, help = nullptr, file = nullptr;
  if (!CHECK(SUCCEEDED(lib->GetLibAttr(&attr)))) return;
  lib->GetDocumentation(-1, &name, &help, nullptr, &file);
  const std::string helpFile = Text(file);  // named relative to the registered help folder
  std::string got = Line(GuidText(attr->guid), attr->lcid, attr->wMajorVerNum, attr->wMinorVerNum,
                         attr->syskind, attr->wLibFlags & LIBFLAG_FCONTROL, Text(name), Text(help),
                         helpFile.substr(helpFile.rfind('\\') + 1));
  lib->ReleaseTLibAttr(attr);
  for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
    ComPtr<ITypeInfo> info;
    got += SUCCEEDED(lib->GetTypeInfo(i, &info)) ? Layout(info.Get()) : "no type\n";
  }
  std::string want =
      Line(id::kLibIdText, id::kTypeLibLocale, id::kTypeLibMajor, id::kTypeLibMinor, sysKind,
           id::kLibFlagControl, id::kTypeLibName, id::kTypeLibHelpString, id::kTypeLibHelpFile) +
      Line(id::kDispatchIidText, TKIND_DISPATCH, id::kDispatchTypeFlags, id::kDispatchName,
           id::kDispatchHelpString) +
      Line("implements IDispatch 0");  // from the imported automation library
  for (const auto& m : id::kMethods) {
    want += std::to_string(m.dispid) + " " + std::string(m.name);
    for (const auto& p : m.params)
      want += " " + std::string(p.name) + " " + std::to_string(static_cast<int>(p.type));
    want += Line("", ":", static_cast<int>(m.result));
  }
  want += Line(id::kEventsIidText, TKIND_DISPATCH, 0, id::kEventsName, id::kEventsHelpString) +
          Line("implements IDispatch 0");
  for (const auto& e : id::kEvents) want += Line(e.dispid, e.name, e.param, VT_I2, ":", VT_VOID);
  CHECK_EQ(got,
           want +
               Line(id::kControlClsidText, TKIND_COCLASS, id::kControlTypeFlags,
                    id::kControlClassName, id::kControlHelpString) +
               Line("implements", id::kDispatchName, IMPLTYPEFLAG_FDEFAULT) +
               Line("implements", id::kEventsName, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE));
}

}  // namespace

void CheckRegistered(const std::wstring& ocx) {
  const std::wstring entries[][3] = {
      {kControlKey, L"", Wide(id::kIdsTandrel.text)},
      {kControlKey + L"\\ProgID", L"", kProgIdKey},
      {kControlKey + L"\\InprocServer32", L"", ocx},
      {kControlKey + L"\\InprocServer32", L"ThreadingModel", Wide(id::kThreadingModel)},
      {kControlKey + L"\\ToolboxBitmap32", L"", ocx + L", 1"},
      {kControlKey + L"\\MiscStatus\\1", L"", std::to_wstring(id::kMiscStatus)},
      {kControlKey + L"\\TypeLib", L"", Wide(id::kLibIdText)},
      {kControlKey + L"\\Version", L"", kTypeLibVersion},
      {kProgIdKey, L"", Wide(id::kIdsTandrel.text)},
      {kProgIdKey + L"\\CLSID", L"", Wide(id::kControlClsidText)},
      {kPageKey, L"", Wide(id::kIdsTandrelPpg.text)},
      {kTypeLibKey + L"\\" + kTypeLibVersion, L"", Wide(id::kTypeLibHelpString)},
      {kTypeLibKey + L"\\" + kTypeLibVersion + L"\\409\\win64", L"", ocx},  // locale in hex
      {kDispatchKey + L"\\TypeLib", L"", Wide(id::kLibIdText)},
  };
  for (const auto& [key, name, data] : entries) {
    wchar_t value[1024] = L"<missing>";
    DWORD size = sizeof value;
    ::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name.empty() ? nullptr : name.c_str(),
                   RRF_RT_REG_SZ, nullptr, value, &size);
    RecordEqual(Narrow(value), Narrow(data), Narrow(L"HKCR\\" + key + L" [" + name + L"]"),
                __LINE__);
  }
  // The key marking a control.
  CHECK(RegistrySnapshot().find("\n" + Narrow(kControlKey) + "\\Control\n") != std::string::npos);
  ComPtr<ITypeLib> lib;
  if (CHECK(SUCCEEDED(::LoadRegTypeLib(com::kLibId, id::kTypeLibMajor, id::kTypeLibMinor,
                                       id::kTypeLibLocale, &lib))))
    CheckTypeLibrary(lib.Get(), SYS_WIN64);
}

void CheckUnregistered() {
  std::string absent;
  for (const std::wstring& key : kModuleKeys) absent += Narrow(key) + ": absent\n";
  CHECK_EQ(RegistrySnapshot(), absent);
}

std::string RegistrySnapshot() {
  std::string out;
  for (const std::wstring& key : kModuleKeys) DumpKey(HKEY_CLASSES_ROOT, key, key, out);
  return out;
}

void CheckModuleTypeLibrary(const std::wstring& ocx) {
  ComPtr<ITypeLib> lib;
  if (CHECK(SUCCEEDED(::LoadTypeLibEx(ocx.c_str(), REGKIND_NONE, &lib))))
    CheckTypeLibrary(lib.Get(), SYS_WIN32);
}

}  // namespace tandrel::wintest
