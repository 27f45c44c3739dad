#include "type_library_checks.h"

#include <ole2.h>
#include <wrl/client.h>

#include <vector>

#include "audio_files.h"
#include "com_identity.h"
#include "identity.h"
#include "test_tally.h"

namespace tandrel::wintest {
namespace {

namespace id = identity;
using Microsoft::WRL::ComPtr;

// The standard automation library's LIBID, which stdole2.tlb carries.
constexpr GUID kStdOleLibId = {
    0x00020430, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

VARTYPE ComType(VarType type) {
  switch (type) {
    case VarType::Short:
      return VT_I2;
    case VarType::Long:
      return VT_I4;
    case VarType::String:
      return VT_BSTR;
    default:
      return VT_EMPTY;
  }
}

std::wstring Text(BSTR text) {
  return text != nullptr ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

struct Documentation {
  std::wstring name;
  std::wstring help;
  std::wstring helpFile;
};

Documentation DocumentationOf(ITypeInfo* info, MEMBERID member) {
  BSTR name = nullptr, help = nullptr, file = nullptr;
  DWORD context = 0;
  info->GetDocumentation(member, &name, &help, &context, &file);
  Documentation doc{Text(name), Text(help), Text(file)};
  ::SysFreeString(name);
  ::SysFreeString(help);
  ::SysFreeString(file);
  return doc;
}

// The names of a function and its parameters, as the library stores them.
std::vector<std::wstring> NamesOf(ITypeInfo* info, MEMBERID member) {
  BSTR names[8] = {};
  UINT count = 0;
  info->GetNames(member, names, 8, &count);
  std::vector<std::wstring> out;
  for (UINT i = 0; i < count; ++i) {
    out.push_back(Text(names[i]));
    ::SysFreeString(names[i]);
  }
  return out;
}

struct Member {
  MEMBERID dispid;
  std::wstring name;
  VARTYPE result;
  std::vector<std::pair<std::wstring, VARTYPE>> params;
};

// A dispinterface's members checked against the expected list, by DISPID.
void CheckMembers(ITypeInfo* info, const std::vector<Member>& expected) {
  TYPEATTR* attr = nullptr;
  if (!CHECK(SUCCEEDED(info->GetTypeAttr(&attr)))) return;
  CHECK_EQ(attr->cFuncs, expected.size());
  CHECK_EQ(attr->cVars, 0);
  const WORD functions = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (const Member& member : expected) {
    FUNCDESC* found = nullptr;
    for (WORD i = 0; i < functions && found == nullptr; ++i) {
      FUNCDESC* desc = nullptr;
      if (FAILED(info->GetFuncDesc(i, &desc))) continue;
      if (desc->memid == member.dispid) {
        found = desc;
      } else {
        info->ReleaseFuncDesc(desc);
      }
    }
    const std::string where = Utf8(member.name);
    if (!Record(found != nullptr, ("member " + where).c_str(), __FILE__, __LINE__, "")) continue;
    RecordEqual(found->funckind, FUNC_DISPATCH, (where + " is a dispatch member").c_str(), __FILE__,
                __LINE__);
    RecordEqual(found->invkind, INVOKE_FUNC, (where + " is a method").c_str(), __FILE__, __LINE__);
    RecordEqual(found->elemdescFunc.tdesc.vt, member.result, (where + " result").c_str(), __FILE__,
                __LINE__);
    RecordEqual(found->cParams, static_cast<SHORT>(member.params.size()),
                (where + " parameter count").c_str(), __FILE__, __LINE__);
    RecordEqual(found->cParamsOpt, 0, (where + " optional parameters").c_str(), __FILE__, __LINE__);
    const auto names = NamesOf(info, member.dispid);
    std::vector<std::wstring> expectedNames{member.name};
    for (std::size_t i = 0; i < member.params.size(); ++i) {
      expectedNames.push_back(member.params[i].first);
      if (static_cast<SHORT>(i) < found->cParams) {
        RecordEqual(found->lprgelemdescParam[i].tdesc.vt, member.params[i].second,
                    (where + " parameter " + Utf8(member.params[i].first)).c_str(), __FILE__,
                    __LINE__);
      }
    }
    bool sameNames = names == expectedNames;
    Record(sameNames, (where + " names").c_str(), __FILE__, __LINE__, "");
    info->ReleaseFuncDesc(found);
  }
}

void CheckContents(ITypeLib* lib, SYSKIND sysKind) {
  TLIBATTR* libAttr = nullptr;
  if (CHECK(SUCCEEDED(lib->GetLibAttr(&libAttr)))) {
    CHECK_EQ(libAttr->guid, com::kLibId);
    CHECK_EQ(libAttr->lcid, id::kTypeLibLocale);
    CHECK_EQ(libAttr->wMajorVerNum, id::kTypeLibMajor);
    CHECK_EQ(libAttr->wMinorVerNum, id::kTypeLibMinor);
    CHECK_EQ(libAttr->syskind, sysKind);
    CHECK_EQ(libAttr->wLibFlags & LIBFLAG_FCONTROL, id::kLibFlagControl);
    lib->ReleaseTLibAttr(libAttr);
  }
  {
    BSTR name = nullptr, help = nullptr, file = nullptr;
    DWORD context = 0;
    CHECK_HR(lib->GetDocumentation(-1, &name, &help, &context, &file), S_OK);
    CHECK_EQ(Text(name), Wide(id::kTypeLibName));
    CHECK_EQ(Text(help), Wide(id::kTypeLibHelpString));
    // The help file is named relative to the registered help folder.
    const std::wstring helpFile = Text(file);
    const std::wstring wanted = Wide(id::kTypeLibHelpFile);
    CHECK(helpFile.size() >= wanted.size() &&
          helpFile.compare(helpFile.size() - wanted.size(), wanted.size(), wanted) == 0);
    ::SysFreeString(name);
    ::SysFreeString(help);
    ::SysFreeString(file);
  }
  CHECK_EQ(lib->GetTypeInfoCount(), 3U);

  // The method interface: hidden, its five methods.
  ComPtr<ITypeInfo> dispatch;
  if (CHECK(SUCCEEDED(lib->GetTypeInfoOfGuid(com::kDispatchIid, &dispatch)))) {
    TYPEATTR* attr = nullptr;
    dispatch->GetTypeAttr(&attr);
    CHECK_EQ(attr->typekind, TKIND_DISPATCH);
    CHECK_EQ(attr->wTypeFlags & id::kTypeFlagHidden, id::kDispatchTypeFlags);
    dispatch->ReleaseTypeAttr(attr);
    const auto doc = DocumentationOf(dispatch.Get(), MEMBERID_NIL);
    CHECK_EQ(doc.name, Wide(id::kDispatchName));
    CHECK_EQ(doc.help, Wide(id::kDispatchHelpString));
    std::vector<Member> methods;
    for (const auto& method : id::kMethods) {
      Member m{method.dispid, Wide(method.name), ComType(method.result), {}};
      for (const auto& param : method.params)
        m.params.emplace_back(Wide(param.name), ComType(param.type));
      methods.push_back(m);
    }
    CheckMembers(dispatch.Get(), methods);

    // Its base is IDispatch, taken from the imported standard library.
    HREFTYPE base = 0;
    ComPtr<ITypeInfo> baseInfo;
    ComPtr<ITypeLib> baseLib;
    UINT index = 0;
    TLIBATTR* baseAttr = nullptr;
    if (CHECK(SUCCEEDED(dispatch->GetRefTypeOfImplType(0, &base))) &&
        CHECK(SUCCEEDED(dispatch->GetRefTypeInfo(base, &baseInfo))) &&
        CHECK(SUCCEEDED(baseInfo->GetContainingTypeLib(&baseLib, &index))) &&
        CHECK(SUCCEEDED(baseLib->GetLibAttr(&baseAttr)))) {
      CHECK_EQ(DocumentationOf(baseInfo.Get(), MEMBERID_NIL).name, std::wstring(L"IDispatch"));
      CHECK_EQ(baseAttr->guid, kStdOleLibId);
      baseLib->ReleaseTLibAttr(baseAttr);
    }
  }

  // The event interface: three events of one short each.
  ComPtr<ITypeInfo> events;
  if (CHECK(SUCCEEDED(lib->GetTypeInfoOfGuid(com::kEventsIid, &events)))) {
    TYPEATTR* attr = nullptr;
    events->GetTypeAttr(&attr);
    CHECK_EQ(attr->typekind, TKIND_DISPATCH);
    CHECK_EQ(attr->wTypeFlags & TYPEFLAG_FHIDDEN, 0);
    events->ReleaseTypeAttr(attr);
    const auto doc = DocumentationOf(events.Get(), MEMBERID_NIL);
    CHECK_EQ(doc.name, Wide(id::kEventsName));
    CHECK_EQ(doc.help, Wide(id::kEventsHelpString));
    std::vector<Member> members;
    for (const auto& event : id::kEvents) {
      members.push_back({event.dispid, Wide(event.name), VT_VOID, {{Wide(event.param), VT_I2}}});
    }
    CheckMembers(events.Get(), members);
  }

  // The control class: creatable, a control, default and default source interfaces.
  ComPtr<ITypeInfo> coclass;
  if (CHECK(SUCCEEDED(lib->GetTypeInfoOfGuid(com::kControlClsid, &coclass)))) {
    TYPEATTR* attr = nullptr;
    coclass->GetTypeAttr(&attr);
    CHECK_EQ(attr->typekind, TKIND_COCLASS);
    CHECK_EQ(attr->wTypeFlags & (TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL), id::kControlTypeFlags);
    CHECK_EQ(attr->cImplTypes, 2);
    const WORD implTypes = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    const auto doc = DocumentationOf(coclass.Get(), MEMBERID_NIL);
    CHECK_EQ(doc.name, Wide(id::kControlClassName));
    CHECK_EQ(doc.help, Wide(id::kControlHelpString));
    bool sawDispatch = false, sawEvents = false;
    for (UINT i = 0; i < implTypes; ++i) {
      INT flags = 0;
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> implemented;
      TYPEATTR* implAttr = nullptr;
      if (FAILED(coclass->GetImplTypeFlags(i, &flags)) ||
          FAILED(coclass->GetRefTypeOfImplType(i, &ref)) ||
          FAILED(coclass->GetRefTypeInfo(ref, &implemented)) ||
          FAILED(implemented->GetTypeAttr(&implAttr))) {
        continue;
      }
      if (IsEqualGUID(implAttr->guid, com::kDispatchIid)) {
        sawDispatch = true;
        CHECK_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
      }
      if (IsEqualGUID(implAttr->guid, com::kEventsIid)) {
        sawEvents = true;
        CHECK_EQ(flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
      }
      implemented->ReleaseTypeAttr(implAttr);
    }
    CHECK(sawDispatch);
    CHECK(sawEvents);
  }
}

}  // namespace

void CheckTypeLibrary(const std::wstring& ocxPath) {
  BeginSection("type library");
  ComPtr<ITypeLib> lib;
  if (!CHECK(SUCCEEDED(::LoadRegTypeLib(com::kLibId, id::kTypeLibMajor, id::kTypeLibMinor,
                                        id::kTypeLibLocale, &lib)))) {
    return;
  }
  CheckContents(lib.Get(), SYS_WIN64);

  // The library is type-library resource 1 of the module itself.
  ComPtr<ITypeLib> fromResource;
  TLIBATTR* resourceAttr = nullptr;
  if (CHECK(SUCCEEDED(::LoadTypeLibEx((ocxPath + L"\\1").c_str(), REGKIND_NONE, &fromResource))) &&
      CHECK(SUCCEEDED(fromResource->GetLibAttr(&resourceAttr)))) {
    CHECK_EQ(resourceAttr->guid, com::kLibId);
    fromResource->ReleaseTLibAttr(resourceAttr);
  }
}

void CheckX86TypeLibrary(const std::wstring& ocxPath) {
  BeginSection("type library (x86)");
  ComPtr<ITypeLib> lib;
  if (CHECK(SUCCEEDED(::LoadTypeLibEx(ocxPath.c_str(), REGKIND_NONE, &lib)))) {
    CheckContents(lib.Get(), SYS_WIN32);
  }
}

}  // namespace tandrel::wintest
