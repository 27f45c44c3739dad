#pragma once

// Identity of the control module: every name, identifier, number and text by which the component
// model knows it. The Linux library uses the method and event tables; the rest is what a Windows
// build of the module needs for its type library, resources and registration, kept here so that
// all of it lives in one place.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "guid.h"
#include "tandrel/tandrel_ctrl.h"
#include "tandrel/variant.h"

namespace tandrel::identity {

// --- Module file and its version block -----------------------------------------------------------

inline constexpr std::string_view kModuleFileName = "Tandrel.OCX";
inline constexpr std::array<std::uint16_t, 4> kVersion = {1, 0, 0, 4};  // file and product
inline constexpr std::string_view kVersionText = "1.0.0.4";
inline constexpr std::string_view kFileDescription = "Tandrel ActiveX Control Module";
inline constexpr std::string_view kProductName = "Tandrel ActiveX Control Module";
inline constexpr std::string_view kInternalName = "Tandrel";
// The version-block entry that marks the module as registering itself.
inline constexpr std::string_view kSelfRegisterEntry = "OLESelfRegister";

// --- Type library
// ---------------------------------------------------------------------------------

inline constexpr std::string_view kTypeLibName = "TANDRELLib";
inline constexpr std::string_view kLibIdText = "{F206DFE2-1F3D-432A-90B4-443BB1A24D29}";
inline constexpr Guid kLibId = ParseGuid(kLibIdText).value();
inline constexpr std::uint16_t kTypeLibMajor = 1;
inline constexpr std::uint16_t kTypeLibMinor = 0;
inline constexpr std::uint32_t kTypeLibLocale = 0x0409;
inline constexpr std::uint16_t kLibFlagControl = 0x2;  // LIBFLAG_FCONTROL: describes controls
inline constexpr std::string_view kTypeLibHelpString = "Tandrel ActiveX Control module";
inline constexpr std::string_view kTypeLibHelpFile = "Tandrel.hlp";
inline constexpr std::string_view kTypeLibImport = "stdole2.tlb";
inline constexpr std::uint16_t kTypeLibResource = 1;

// --- Interfaces and classes
// -----------------------------------------------------------------------

inline constexpr std::uint16_t kTypeFlagCanCreate = 0x2;  // TYPEFLAG_FCANCREATE
inline constexpr std::uint16_t kTypeFlagHidden = 0x10;    // TYPEFLAG_FHIDDEN
inline constexpr std::uint16_t kTypeFlagControl = 0x20;   // TYPEFLAG_FCONTROL

// The method interface (default interface of the control class).
inline constexpr std::string_view kDispatchName = "_DTandrel";
inline constexpr std::string_view kDispatchIidText = "{AF2B231F-9511-4DB7-AF3E-5684B6148F37}";
inline constexpr Guid kDispatchIid = ParseGuid(kDispatchIidText).value();
inline constexpr std::uint16_t kDispatchTypeFlags = kTypeFlagHidden;
inline constexpr std::string_view kDispatchHelpString = "Dispatch interface for Tandrel Control";

// The event interface (default source interface of the control class).
inline constexpr std::string_view kEventsName = "_DTandrelEvents";
inline constexpr std::string_view kEventsIidText = "{9CA6B2DE-D8CF-4DBD-8DE7-E133561F836F}";
inline constexpr Guid kEventsIid = ParseGuid(kEventsIidText).value();
inline constexpr std::string_view kEventsHelpString = "Event interface for Tandrel Control";

// The control class.
inline constexpr std::string_view kControlClassName = "Tandrel";  // coclass name
inline constexpr std::string_view kControlImplName = "CTandrelCtrl";
inline constexpr std::string_view kControlClsidText = "{375B44EE-F3C9-4A5B-9A06-530B9CC16461}";
inline constexpr Guid kControlClsid = ParseGuid(kControlClsidText).value();
inline constexpr std::uint16_t kControlTypeFlags = kTypeFlagCanCreate | kTypeFlagControl;
inline constexpr std::string_view kControlHelpString = "Tandrel Control";
inline constexpr std::string_view kControlProgId = "TANDREL.TandrelCtrl.1";
inline constexpr std::string_view kThreadingModel = "Apartment";

// The property page class.
inline constexpr std::string_view kPropPageImplName = "CTandrelPropPage";
inline constexpr std::string_view kPropPageClsidText = "{B8A31737-006E-4CA6-90A4-76240A1EEB5A}";
inline constexpr Guid kPropPageClsid = ParseGuid(kPropPageClsidText).value();
inline constexpr std::string_view kPropPageProgId = "TANDREL.TandrelPropPage.1";

// --- Resources
// ------------------------------------------------------------------------------------

struct StringResource {
  std::uint16_t id;
  std::string_view text;
};
inline constexpr StringResource kIdsTandrel = {1, "Tandrel Control"};  // user type name
inline constexpr StringResource kIdsTandrelPpg = {2, "Tandrel Property Page"};
inline constexpr StringResource kIdsTandrelPpgCaption = {200, "General"};

// Toolbox picture: bitmap resource 1, 16 x 15 pixels, 16 colours.
inline constexpr std::uint16_t kToolboxBitmapResource = 1;
inline constexpr int kToolboxBitmapWidth = 16;
inline constexpr int kToolboxBitmapHeight = 15;
inline constexpr int kToolboxBitmapColours = 16;

// The property page's dialog (resource 200), in dialog units: a child window holding one line
// of static text.
struct DialogRect {
  int x;
  int y;
  int width;
  int height;
};
inline constexpr std::uint16_t kPropPageDialogResource = 200;
inline constexpr int kPropPageDialogWidth = 250;
inline constexpr int kPropPageDialogHeight = 62;
inline constexpr std::string_view kPropPageDialogFont = "MS Sans Serif";
inline constexpr int kPropPageDialogFontPoints = 8;
inline constexpr std::string_view kPropPageText = "This control has no property.";
inline constexpr DialogRect kPropPageTextRect = {72, 27, 162, 16};

// --- Registration
// ---------------------------------------------------------------------------------

// Misc-status flags of the control: set client site first, invisible at run time, inside-out,
// cannot link inside, recompose on resize. Activate-when-visible (0x100) is deliberately absent.
inline constexpr std::uint32_t kOleMiscRecomposeOnResize = 0x1;
inline constexpr std::uint32_t kOleMiscCantLinkInside = 0x10;
inline constexpr std::uint32_t kOleMiscInsideOut = 0x80;
inline constexpr std::uint32_t kOleMiscInvisibleAtRuntime = 0x400;
inline constexpr std::uint32_t kOleMiscSetClientSiteFirst = 0x20000;
inline constexpr std::uint32_t kMiscStatus = kOleMiscSetClientSiteFirst |
                                             kOleMiscInvisibleAtRuntime | kOleMiscInsideOut |
                                             kOleMiscCantLinkInside | kOleMiscRecomposeOnResize;
static_assert(kMiscStatus == 0x20491);

// Results of registering and unregistering the module.
inline constexpr std::uint32_t kRegisterOk = 0;                      // S_OK
inline constexpr std::uint32_t kRegisterTypeLibFailed = 0x80040200;  // SELFREG_E_TYPELIB
inline constexpr std::uint32_t kRegisterClassFailed = 0x80040201;    // SELFREG_E_CLASS

// The control's whole persistent state: major 1, minor 0.
inline constexpr std::uint32_t kVersionStamp = 0x00010000;

// --- Methods and events
// ---------------------------------------------------------------------------

struct ParamInfo {
  std::string_view name;
  VarType type;
};

struct MethodInfo {
  int dispid;
  std::string_view name;
  VarType result;
  std::span<const ParamInfo> params;  // in declaration order, all input, none optional
};

inline constexpr std::array<ParamInfo, 3> kJoinParams = {{{"SaveFileName", VarType::String},
                                                          {"FilesToJoin", VarType::String},
                                                          {"FilesCount", VarType::Short}}};
inline constexpr std::array<ParamInfo, 3> kCutByTimeParams = {{{"OpenFileName", VarType::String},
                                                               {"CutTimeInfo", VarType::String},
                                                               {"FilesCount", VarType::Short}}};
inline constexpr std::array<ParamInfo, 3> kCutBySizeParams = {{{"OpenFileName", VarType::String},
                                                               {"FileSize", VarType::Long},
                                                               {"SavePath", VarType::String}}};
inline constexpr std::array<ParamInfo, 1> kFileNameParam = {{{"FileName", VarType::String}}};

// The methods of the dispatch interface, in declaration order (the DISPIDs follow it).
inline constexpr std::array<MethodInfo, 5> kMethods = {{
    {CTandrelCtrl::kDispJoin, "Join", VarType::Short, kJoinParams},
    {CTandrelCtrl::kDispCutByTime, "CutByTime", VarType::Short, kCutByTimeParams},
    {CTandrelCtrl::kDispCutBySize, "CutBySize", VarType::Short, kCutBySizeParams},
    {CTandrelCtrl::kDispGetFileSize, "GetFileSize", VarType::Long, kFileNameParam},
    {CTandrelCtrl::kDispGetPlayTime, "GetPlayTime", VarType::Long, kFileNameParam},
}};

struct EventInfo {
  int dispid;
  std::string_view name;
  std::string_view param;  // one short parameter
};

// The events of the event interface. The event Join and the method Join share a name and live on
// different interfaces.
inline constexpr std::array<EventInfo, 3> kEvents = {{
    {CTandrelCtrl::kEventStatusChange, "StatusChange", "status"},
    {CTandrelCtrl::kEventCut, "Cut", "percent"},
    {CTandrelCtrl::kEventJoin, "Join", "percent"},
}};

}  // namespace tandrel::identity
