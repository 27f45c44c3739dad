// Writes the control module's type-library source (Tandrel.idl), its resource script
// (Tandrel.rc) and its toolbox picture (Tandrel.bmp) from the identity table, so that every
// identifier, name and text of the module comes from identity.h alone. Runs on the build machine:
//
//   identity_writer OUTPUT_FOLDER
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "identity.h"

namespace id = tandrel::identity;

namespace {

// A GUID as the uuid() attribute wants it: without the braces.
std::string_view Bare(std::string_view guidText) {
  return guidText.substr(1, guidText.size() - 2);
}

// A C string literal for the IDL and resource compilers.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string_view IdlType(tandrel::VarType type) {
  switch (type) {
    case tandrel::VarType::Short:
      return "short";
    case tandrel::VarType::Long:
      return "long";
    case tandrel::VarType::String:
      return "BSTR";
    default:
      return "VARIANT";
  }
}

std::string TypeLibrarySource() {
  std::ostringstream idl;
  idl << "// Made by identity_writer from the control's identity table; not edited by hand.\n"
      << "import \"oaidl.idl\";\n\n";
  idl << "[\n  uuid(" << Bare(id::kLibIdText) << "),\n  version(" << id::kTypeLibMajor << "."
      << id::kTypeLibMinor << "),\n  lcid(" << Hex(id::kTypeLibLocale, 4) << "),\n  helpstring("
      << Quoted(id::kTypeLibHelpString) << "),\n  helpfile(" << Quoted(id::kTypeLibHelpFile) << ")"
      << ((id::kLibFlagControl != 0) ? ",\n  control" : "") << "\n]\n";
  idl << "library " << id::kTypeLibName << "\n{\n  importlib(" << Quoted(id::kTypeLibImport)
      << ");\n\n";

  idl << "  [\n    uuid(" << Bare(id::kDispatchIidText) << "),\n    helpstring("
      << Quoted(id::kDispatchHelpString) << ")"
      << ((id::kDispatchTypeFlags & id::kTypeFlagHidden) != 0 ? ",\n    hidden" : "") << "\n  ]\n";
  idl << "  dispinterface " << id::kDispatchName << "\n  {\n  properties:\n  methods:\n";
  for (const auto& method : id::kMethods) {
    idl << "    [id(" << method.dispid << ")] " << IdlType(method.result) << " " << method.name
        << "(";
    for (std::size_t i = 0; i < method.params.size(); ++i) {
      idl << (i > 0 ? ", " : "") << IdlType(method.params[i].type) << " " << method.params[i].name;
    }
    idl << ");\n";
  }
  idl << "  };\n\n";

  idl << "  [\n    uuid(" << Bare(id::kEventsIidText) << "),\n    helpstring("
      << Quoted(id::kEventsHelpString) << ")\n  ]\n";
  idl << "  dispinterface " << id::kEventsName << "\n  {\n  properties:\n  methods:\n";
  for (const auto& event : id::kEvents) {
    idl << "    [id(" << event.dispid << ")] void " << event.name << "(short " << event.param
        << ");\n";
  }
  idl << "  };\n\n";

  idl << "  [\n    uuid(" << Bare(id::kControlClsidText) << "),\n    helpstring("
      << Quoted(id::kControlHelpString) << ")"
      << ((id::kControlTypeFlags & id::kTypeFlagControl) != 0 ? ",\n    control" : "")
      << ((id::kControlTypeFlags & id::kTypeFlagCanCreate) == 0 ? ",\n    noncreatable" : "")
      << "\n  ]\n";
  idl << "  coclass " << id::kControlClassName << "\n  {\n    [default] dispinterface "
      << id::kDispatchName << ";\n    [default, source] dispinterface " << id::kEventsName
      << ";\n  };\n};\n";
  return idl.str();
}

// Version-block language and character set: English (United States), Unicode.
constexpr std::string_view kVersionBlockName = "040904B0";
constexpr std::string_view kVersionTranslation = "0x409, 1200";

std::string ResourceScript(const std::string& folder) {
  const auto& v = id::kVersion;
  std::ostringstream rc;
  rc << "// Made by identity_writer from the control's identity table; not edited by hand.\n\n";
  rc << id::kTypeLibResource << " TYPELIB " << Quoted(folder + "/Tandrel.tlb") << "\n";
  rc << id::kToolboxBitmapResource << " BITMAP " << Quoted(folder + "/Tandrel.bmp") << "\n\n";

  rc << "STRINGTABLE\nBEGIN\n";
  for (const auto& s : {id::kIdsTandrel, id::kIdsTandrelPpg, id::kIdsTandrelPpgCaption}) {
    rc << "  " << s.id << ", " << Quoted(s.text) << "\n";
  }
  rc << "END\n\n";

  // A child window (WS_CHILD) with one static text that has no identifier of its own.
  const auto& t = id::kPropPageTextRect;
  rc << id::kPropPageDialogResource << " DIALOG 0, 0, " << id::kPropPageDialogWidth << ", "
     << id::kPropPageDialogHeight << "\nSTYLE 0x40000000\nFONT " << id::kPropPageDialogFontPoints
     << ", " << Quoted(id::kPropPageDialogFont) << "\nBEGIN\n  LTEXT " << Quoted(id::kPropPageText)
     << ", -1, " << t.x << ", " << t.y << ", " << t.width << ", " << t.height << "\nEND\n\n";

  // File flags none; FILEOS VOS_NT_WINDOWS32; FILETYPE VFT_DLL.
  rc << "1 VERSIONINFO\nFILEVERSION " << v[0] << "," << v[1] << "," << v[2] << "," << v[3]
     << "\nPRODUCTVERSION " << v[0] << "," << v[1] << "," << v[2] << "," << v[3]
     << "\nFILEFLAGSMASK 0x3F\nFILEFLAGS 0x0\nFILEOS 0x40004\nFILETYPE 0x2\nFILESUBTYPE 0x0\n";
  rc << "BEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK " << Quoted(kVersionBlockName)
     << "\n    BEGIN\n";
  const std::array<std::pair<std::string_view, std::string_view>, 6> strings = {{
      {"FileDescription", id::kFileDescription},
      {"FileVersion", id::kVersionText},
      {"InternalName", id::kInternalName},
      {"OriginalFilename", id::kModuleFileName},
      {"ProductName", id::kProductName},
      {"ProductVersion", id::kVersionText},
  }};
  for (const auto& [name, value] : strings) {
    rc << "      VALUE " << Quoted(name) << ", " << Quoted(value) << "\n";
  }
  // Present with an empty value: its presence is what marks a self-registering module.
  rc << "      VALUE " << Quoted(id::kSelfRegisterEntry) << ", \"\\0\"\n";
  rc << "    END\n  END\n  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", "
     << kVersionTranslation << "\n  END\nEND\n";
  return rc.str();
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The toolbox picture: the control's own design-time drawing in small, a white rectangle holding
// a black ellipse, on the toolbox's grey.
std::vector<std::uint8_t> ToolboxBitmap() {
  constexpr int kWidth = id::kToolboxBitmapWidth;
  constexpr int kHeight = id::kToolboxBitmapHeight;
  static_assert(id::kToolboxBitmapColours == 16, "the picture is written with 4 bits per pixel");
  // The 16 colours of the standard VGA palette, as blue, green, red.
  constexpr std::array<std::uint32_t, 16> kPalette = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  constexpr std::uint8_t kBlack = 0, kGrey = 7, kWhite = 15;

  // Is the centre of pixel (x, y), y from the top, inside the ellipse inscribed in the pixels
  // 1 to 14 across and 1 to 13 down?
  auto inside = [](int x, int y) {
    const double dx = (x + 0.5 - 8.0) / 7.0, dy = (y + 0.5 - 7.5) / 6.5;
    return dx * dx + dy * dy <= 1.0;
  };
  std::array<std::array<std::uint8_t, kWidth>, kHeight> pixels{};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t colour =
          (x == 0 || y == 0 || x == kWidth - 1 || y == kHeight - 1) ? kGrey : kWhite;
      const bool edge = inside(x, y) && (!inside(x - 1, y) || !inside(x + 1, y) ||
                                         !inside(x, y - 1) || !inside(x, y + 1));
      if (edge) colour = kBlack;
      pixels[y][x] = colour;
    }
  }

  constexpr std::uint32_t kRowBytes = (kWidth * 4 + 31) / 32 * 4;
  constexpr std::uint32_t kPixelOffset = 14 + 40 + 16 * 4;
  constexpr std::uint32_t kFileSize = kPixelOffset + kRowBytes * kHeight;
  std::vector<std::uint8_t> bmp;
  bmp.push_back('B');
  bmp.push_back('M');
  PutLe(bmp, kFileSize, 4);
  PutLe(bmp, 0, 4);
  PutLe(bmp, kPixelOffset, 4);
  PutLe(bmp, 40, 4);  // BITMAPINFOHEADER
  PutLe(bmp, kWidth, 4);
  PutLe(bmp, kHeight, 4);  // positive: rows bottom-up
  PutLe(bmp, 1, 2);
  PutLe(bmp, 4, 2);
  PutLe(bmp, 0, 4);  // BI_RGB
  PutLe(bmp, kRowBytes * kHeight, 4);
  PutLe(bmp, 3780, 4);  // 96 dots per inch
  PutLe(bmp, 3780, 4);
  PutLe(bmp, 16, 4);
  PutLe(bmp, 0, 4);
  for (const std::uint32_t colour : kPalette) PutLe(bmp, colour, 4);
  for (int y = kHeight - 1; y >= 0; --y) {
    std::uint32_t written = 0;
    for (int x = 0; x < kWidth; x += 2, ++written) {
      bmp.push_back(static_cast<std::uint8_t>(pixels[y][x] << 4 | pixels[y][x + 1]));
    }
    for (; written < kRowBytes; ++written) bmp.push_back(0);
  }
  return bmp;
}

bool WriteWhole(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::cerr << "identity_writer: cannot write " << path << "\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: identity_writer OUTPUT_FOLDER\n";
    return 2;
  }
  const std::string folder = argv[1];
  const auto bmp = ToolboxBitmap();
  const bool ok =
      WriteWhole(folder + "/Tandrel.idl", TypeLibrarySource()) &&
      WriteWhole(folder + "/Tandrel.rc", ResourceScript(folder)) &&
      WriteWhole(folder + "/Tandrel.bmp",
                 std::string_view(reinterpret_cast<const char*>(bmp.data()), bmp.size()));
  return ok ? 0 : 1;
}
