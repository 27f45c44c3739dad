#include "module_file_checks.h"

#include <ocidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <set>
#include <vector>

#include "audio_files.h"
#include "com_identity.h"
#include "identity.h"
#include "test_tally.h"

namespace tandrel::wintest {
namespace {

namespace id = identity;
using Microsoft::WRL::ComPtr;

template <class T>
const T* At(const BYTE* base, DWORD rva) {
  return reinterpret_cast<const T*>(base + rva);
}

// A module mapped as an image without being run: its handle has its low bits set.
const BYTE* ImageBase(HMODULE module) {
  return reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3});
}

// A data directory of a 32-bit or a 64-bit image.
const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int which) {
  const BYTE* base = ImageBase(module);
  const auto* dos = At<IMAGE_DOS_HEADER>(base, 0);
  const auto offset = static_cast<DWORD>(dos->e_lfanew);
  if (At<IMAGE_NT_HEADERS32>(base, offset)->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    return At<IMAGE_NT_HEADERS32>(base, offset)->OptionalHeader.DataDirectory[which];
  }
  return At<IMAGE_NT_HEADERS64>(base, offset)->OptionalHeader.DataDirectory[which];
}

WORD Machine(HMODULE module) {
  const BYTE* base = ImageBase(module);
  return At<IMAGE_NT_HEADERS32>(base, static_cast<DWORD>(At<IMAGE_DOS_HEADER>(base, 0)->e_lfanew))
      ->FileHeader.Machine;
}

std::set<std::string> ExportedNames(HMODULE module) {
  const BYTE* base = ImageBase(module);
  const auto& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
  std::set<std::string> names;
  if (dir.VirtualAddress == 0) return names;
  const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(base, dir.VirtualAddress);
  const auto* nameRvas = At<DWORD>(base, exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(At<char>(base, nameRvas[i]));
  return names;
}

std::set<std::string> ImportedModules(HMODULE module) {
  const BYTE* base = ImageBase(module);
  const auto& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
  std::set<std::string> names;
  for (const auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(base, dir.VirtualAddress); entry->Name != 0;
       ++entry) {
    std::string name = At<char>(base, entry->Name);
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
      return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    names.insert(name);
  }
  return names;
}

std::wstring ResourceString(HMODULE module, UINT id) {
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

// Reads the words of a dialog template in order.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* at) : at_(at) {}
  WORD Word() {
    WORD w;
    std::memcpy(&w, at_, 2);
    at_ += 2;
    return w;
  }
  DWORD Dword() {
    DWORD d;
    std::memcpy(&d, at_, 4);
    at_ += 4;
    return d;
  }
  std::wstring String() {
    std::wstring s;
    for (WORD c = Word(); c != 0; c = Word()) s += static_cast<wchar_t>(c);
    return s;
  }
  // A name or an ordinal: 0xFFFF and a number, or a string.
  std::wstring NameOrOrdinal() {
    WORD first;
    std::memcpy(&first, at_, 2);
    if (first == 0xFFFF) {
      Word();
      return L"#" + std::to_wstring(Word());
    }
    return String();
  }
  void AlignDword(const BYTE* base) {
    while ((at_ - base) % 4 != 0) ++at_;
  }

 private:
  const BYTE* at_;
};

void CheckDialog(HMODULE module) {
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id::kPropPageDialogResource),
                                      MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  if (!CHECK(found != nullptr)) return;
  const auto* base = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
  TemplateReader read(base);
  const DWORD style = read.Dword();
  read.Dword();  // extended style
  const WORD items = read.Word();
  const short x = static_cast<short>(read.Word()), y = static_cast<short>(read.Word());
  const short cx = static_cast<short>(read.Word()), cy = static_cast<short>(read.Word());
  CHECK((style & WS_CHILD) != 0);
  CHECK((style & DS_SETFONT) != 0);
  CHECK_EQ(items, 1);
  CHECK_EQ(x, 0);
  CHECK_EQ(y, 0);
  CHECK_EQ(cx, id::kPropPageDialogWidth);
  CHECK_EQ(cy, id::kPropPageDialogHeight);
  read.NameOrOrdinal();  // menu
  read.NameOrOrdinal();  // class
  read.String();         // title
  CHECK_EQ(static_cast<int>(read.Word()), id::kPropPageDialogFontPoints);
  CHECK_EQ(read.String(), Wide(id::kPropPageDialogFont));
  read.AlignDword(base);
  read.Dword();  // item style
  read.Dword();  // item extended style
  const auto& r = id::kPropPageTextRect;
  CHECK_EQ(static_cast<short>(read.Word()), r.x);
  CHECK_EQ(static_cast<short>(read.Word()), r.y);
  CHECK_EQ(static_cast<short>(read.Word()), r.width);
  CHECK_EQ(static_cast<short>(read.Word()), r.height);
  read.Word();                                            // identifier
  CHECK_EQ(read.NameOrOrdinal(), std::wstring(L"#130"));  // the predefined static class
  CHECK_EQ(read.NameOrOrdinal(), Wide(id::kPropPageText));
}

void CheckVersionBlock(const std::wstring& ocxPath) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(ocxPath.c_str(), &ignored);
  if (!CHECK(size > 0)) return;
  std::vector<BYTE> block(size);
  if (!CHECK(::GetFileVersionInfoW(ocxPath.c_str(), 0, size, block.data()))) return;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (CHECK(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))) {
    const auto& v = id::kVersion;
    CHECK_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(v[0] << 16 | v[1]));
    CHECK_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(v[2] << 16 | v[3]));
    CHECK_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(v[0] << 16 | v[1]));
    CHECK_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(v[2] << 16 | v[3]));
    CHECK_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  }
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  if (!CHECK(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                              reinterpret_cast<void**>(&translation), &length) &&
             length >= sizeof(Translation))) {
    return;
  }
  wchar_t prefix[64];
  ::swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translation->language,
             translation->codePage);
  auto value = [&](std::wstring_view name) -> std::wstring {
    wchar_t* text = nullptr;
    UINT chars = 0;
    if (!::VerQueryValueW(block.data(), (prefix + std::wstring(name)).c_str(),
                          reinterpret_cast<void**>(&text), &chars)) {
      return L"<missing>";
    }
    return std::wstring(text, wcsnlen(text, chars));
  };
  CHECK_EQ(value(L"FileDescription"), Wide(id::kFileDescription));
  CHECK_EQ(value(L"ProductName"), Wide(id::kProductName));
  CHECK_EQ(value(L"InternalName"), Wide(id::kInternalName));
  CHECK_EQ(value(L"FileVersion"), Wide(id::kVersionText));
  CHECK_EQ(value(L"ProductVersion"), Wide(id::kVersionText));
  CHECK_EQ(value(L"OriginalFilename"), Wide(id::kModuleFileName));
  // Present, whatever its value: that marks the module as self-registering.
  CHECK(value(Wide(id::kSelfRegisterEntry)) != L"<missing>");
}

}  // namespace

void CheckModuleFile(const std::wstring& ocxPath, WORD machine) {
  BeginSection(machine == IMAGE_FILE_MACHINE_AMD64 ? "module file" : "module file (x86)");
  const HMODULE module = ::LoadLibraryExW(ocxPath.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!CHECK(module != nullptr)) return;
  CHECK_EQ(Machine(module), machine);
  CHECK(ExportedNames(module) ==
        (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                               "DllUnregisterServer"}));
  // Nothing but the system's own DLLs: no compiler runtime to ship beside the module.
  const std::set<std::string> system = {"advapi32.dll", "gdi32.dll", "kernel32.dll",
                                        "msvcrt.dll",   "ole32.dll", "oleaut32.dll",
                                        "user32.dll"};
  for (const std::string& imported : ImportedModules(module)) {
    Record(system.count(imported) == 1, ("imports only system DLLs: " + imported).c_str(), __FILE__,
           __LINE__, "");
  }

  CHECK_EQ(ResourceString(module, id::kIdsTandrel.id), Wide(id::kIdsTandrel.text));
  CHECK_EQ(ResourceString(module, id::kIdsTandrelPpg.id), Wide(id::kIdsTandrelPpg.text));
  CHECK_EQ(ResourceString(module, id::kIdsTandrelPpgCaption.id),
           Wide(id::kIdsTandrelPpgCaption.text));

  const HRSRC bitmap = ::FindResourceW(module, MAKEINTRESOURCEW(id::kToolboxBitmapResource),
                                       MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  if (CHECK(bitmap != nullptr)) {
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, bitmap)));
    CHECK_EQ(header->biWidth, id::kToolboxBitmapWidth);
    CHECK_EQ(header->biHeight, id::kToolboxBitmapHeight);
    CHECK_EQ(1 << header->biBitCount, id::kToolboxBitmapColours);
    CHECK(header->biClrUsed == 0 || header->biClrUsed == 16);
  }
  const HRSRC typeLib = ::FindResourceW(module, MAKEINTRESOURCEW(id::kTypeLibResource), L"TYPELIB");
  CHECK(typeLib != nullptr);

  CheckDialog(module);
  CheckVersionBlock(ocxPath);
  ::FreeLibrary(module);
}

void CheckModuleLifetime(const std::wstring& ocxPath) {
  BeginSection("class factories and unloading");
  const HMODULE module = ::LoadLibraryW(ocxPath.c_str());
  if (!CHECK(module != nullptr)) return;
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
  const auto getClassObject = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
  if (!CHECK(canUnload != nullptr && getClassObject != nullptr)) return;

  CHECK_HR(canUnload(), S_OK);
  {
    void* none = nullptr;
    CHECK_HR(getClassObject(IID_IDispatch, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
    CHECK(none == nullptr);
  }
  for (const GUID& clsid : {com::kControlClsid, com::kPropPageClsid}) {
    ComPtr<IClassFactory> factory;
    if (!CHECK(SUCCEEDED(getClassObject(clsid, IID_IClassFactory,
                                        reinterpret_cast<void**>(factory.GetAddressOf()))))) {
      continue;
    }
    CHECK_HR(canUnload(), S_FALSE);  // the factory itself keeps the module
    ComPtr<IUnknown> object;
    CHECK_HR(factory->CreateInstance(nullptr, IID_IUnknown,
                                     reinterpret_cast<void**>(object.GetAddressOf())),
             S_OK);
    ComPtr<IUnknown> aggregated;
    CHECK_HR(factory->CreateInstance(object.Get(), IID_IUnknown,
                                     reinterpret_cast<void**>(aggregated.GetAddressOf())),
             CLASS_E_NOAGGREGATION);
    ComPtr<IUnknown> unsupported;
    CHECK_HR(factory->CreateInstance(nullptr, IID_IStorage,
                                     reinterpret_cast<void**>(unsupported.GetAddressOf())),
             E_NOINTERFACE);
    CHECK_HR(factory->LockServer(TRUE), S_OK);
    object.Reset();
    factory.Reset();
    CHECK_HR(canUnload(), S_FALSE);  // the lock alone
    ComPtr<IClassFactory> again;
    getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(again.GetAddressOf()));
    if (again) again->LockServer(FALSE);
    again.Reset();
    CHECK_HR(canUnload(), S_OK);
  }
  ::FreeLibrary(module);
}

}  // namespace tandrel::wintest
