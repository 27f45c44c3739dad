#include "frm_quorvane.h"

#include <commctrl.h>

#include <algorithm>

#include "control_ids.h"
#include "dlg_about.h"
#include "logic/open_file_filter.h"
#include "logic/path_routines.h"
#include "program_files.h"
#include "tandrel/tandrel_ctrl.h"
#include "text_edge.h"

namespace trevasso::win32 {

using namespace quorvane;

namespace {

constexpr wchar_t kClassName[] = L"frmQuorvane";
// Client area of 7440 x 6270 twips.
constexpr int kClientWidth = 7440;
constexpr int kClientHeight = 6270;
// Where the tab control sits inside Picture1; the same margin is kept right and below.
constexpr int kTabOffset = 90;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

void RegisterWindowClass(WNDPROC procedure) {
  static const bool registered =
      RegisterFormClass(kClassName, procedure, LoadProgramIcon(32), LoadProgramIcon(16));
  (void)registered;
}

}  // namespace

FrmQuorvane::FrmQuorvane(Desktop& desktop, const WindowLayout& layout)
    : desktop_(desktop),
      layout_(layout),
      facts_(UserFacts()),
      Tandrel1_([this](DISPID event, std::int16_t value) { OnEngineEvent(event, value); }) {
  RegisterWindowClass(&FrmQuorvane::WindowProc);
  dblFiletime_ = 0;
  const SIZE outer = layout_.WindowSize(kClientWidth, kClientHeight, kStyle, 0, true);
  window_ = ::CreateWindowExW(0, kClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx,
                              outer.cy, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  BuildMenus();

  const TwipsRect client{0, 0, kClientWidth, kClientHeight};
  HWND picture =
      Make(window_, PanelClass(), L"", WS_CLIPCHILDREN, Picture1, client, WS_EX_CONTROLPARENT);
  HWND tabs =
      Make(picture, WC_TABCONTROLW, L"", WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, SSTab1,
           {kTabOffset, kTabOffset, kClientWidth - 2 * kTabOffset, kClientHeight - 2 * kTabOffset});
  const wchar_t* captions[] = {L"MP3/WAV Cutter", L"MP3/WAV Joiner"};
  for (int i = 0; i < 2; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    TabCtrl_InsertItem(tabs, i, &item);
    pages_[i] =
        ::CreateWindowExW(WS_EX_CONTROLPARENT, PanelClass(), L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                          0, 0, tabs, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  }
  BuildCutterTab(pages_[0]);
  BuildJoinerTab(pages_[1]);
  ApplyResizeRule();
  ShowTab(0);

  ::SetWindowTextW(window_, L"Pelluvex");
  CentreOnScreen(window_);
}

FrmQuorvane::~FrmQuorvane() {
  if (::IsWindow(window_)) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
  if (accelerators_ != nullptr) ::DestroyAcceleratorTable(accelerators_);
}

HWND FrmQuorvane::Make(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
                       int id, const TwipsRect& place, DWORD exStyle) {
  HWND control = layout_.Make(parent, className, text, style, id, place, exStyle);
  controls_[id] = control;
  return control;
}

HWND FrmQuorvane::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

std::wstring FrmQuorvane::Text(int id) const {
  return WindowText(Control(id));
}

void FrmQuorvane::SetText(int id, const std::wstring& text) {
  ::SetWindowTextW(Control(id), text.c_str());
}

LRESULT CALLBACK FrmQuorvane::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DispatchToForm(window, message, w, l, &FrmQuorvane::window_, &FrmQuorvane::Handle);
}

LRESULT FrmQuorvane::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      ApplyResizeRule();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(w), HIWORD(w));
      return 0;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<const NMHDR*>(l));
      return 0;
    case WM_CLOSE:
      ::DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window_, message, w, l);
  }
}

void FrmQuorvane::OnCommand(int id, int code) {
  if (id >= mnuFileSub && id < mnuFileSub + 4) return mnuFileSub_Click(id - mnuFileSub);
  if (id >= mnuHelpSub && id < mnuHelpSub + 5) return mnuHelpSub_Click(id - mnuHelpSub);
  if (code != BN_CLICKED) return;
  switch (id) {
    case cmdSrc:
      return cmdSrc_Click();
    case cmdDirS:
      return cmdDirS_Click();
    case cmdAddTask:
      return cmdAddTask_Click();
    case cmdRemove:
      return cmdRemove_Click();
    case cmdClear:
      return cmdClear_Click();
    case optSplit:
      return optSplit_Click(0);
    case optSplit + 1:
      return optSplit_Click(1);
    case cmdSplit:
      return cmdSplit_Click();
    case cmdAddJoin:
      return cmdAddJoin_Click();
    case cmdRemoveJoin:
      return cmdRemoveJoin_Click();
    case cmdClearJoin:
      return cmdClearJoin_Click();
    case cmdMoveUp:
      return MoveJoinFile(logic::JoinMove::Up);
    case cmdMoveDown:
      return MoveJoinFile(logic::JoinMove::Down);
    case cmdDirJ:
      return cmdDirJ_Click();
    case cmdJoin:
      return cmdJoin_Click();
    default:
      return;
  }
}

void FrmQuorvane::OnNotify(const NMHDR& header) {
  if (header.idFrom == SSTab1 && header.code == TCN_SELCHANGE) {
    ShowTab(TabCtrl_GetCurSel(header.hwndFrom));
  }
  // Delete on a list removes its ticked rows, as its Remove button does.
  if (header.code == LVN_KEYDOWN &&
      reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) {
    if (header.idFrom == lvwTask) cmdRemove_Click();
    if (header.idFrom == lvwJoin) cmdRemoveJoin_Click();
  }
}

void FrmQuorvane::BuildMenus() {
  struct Group {
    const wchar_t* caption;
    int first;
    std::vector<const wchar_t*> entries;
  };
  const Group groups[] = {
      {L"&File", mnuFileSub, {L"&Open ...", L"&Set Output Dir ...", L"-", L"&Exit"}},
      {L"&Help",
       mnuHelpSub,
       {L"&Contents\tF1", L"-", L"&Visit us on website", L"-", L"&About Pelluvex ..."}},
  };
  HMENU bar = ::CreateMenu();
  for (const Group& group : groups) {
    HMENU menu = ::CreatePopupMenu();
    for (std::size_t i = 0; i < group.entries.size(); ++i) {
      const bool separator = std::wstring(group.entries[i]) == L"-";
      ::AppendMenuW(menu, separator ? MF_SEPARATOR : MF_STRING,
                    static_cast<UINT_PTR>(group.first + static_cast<int>(i)),
                    separator ? nullptr : group.entries[i]);
    }
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), group.caption);
  }
  ::SetMenu(window_, bar);
  ACCEL help{FVIRTKEY, VK_F1, static_cast<WORD>(mnuHelpSub + 0)};
  accelerators_ = ::CreateAcceleratorTableW(&help, 1);
}

void FrmQuorvane::ApplyResizeRule() {
  HWND picture = Control(Picture1);
  HWND tabs = Control(SSTab1);
  if (picture == nullptr || tabs == nullptr) return;
  RECT client{};
  ::GetClientRect(window_, &client);
  ::MoveWindow(picture, 0, 0, client.right, client.bottom, TRUE);
  // Same margin right as left and below as above. While minimised the client area is empty and
  // the sizes negative; a size that cannot be set keeps its old value.
  RECT place{};
  ::GetWindowRect(tabs, &place);
  ::MapWindowPoints(nullptr, picture, reinterpret_cast<POINT*>(&place), 2);
  const int width = client.right - 2 * place.left;
  const int height = client.bottom - 2 * place.top;
  ::SetWindowPos(tabs, nullptr, 0, 0, width >= 0 ? width : place.right - place.left,
                 height >= 0 ? height : place.bottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT pageArea{};
  ::GetClientRect(tabs, &pageArea);
  TabCtrl_AdjustRect(tabs, FALSE, &pageArea);
  for (HWND page : pages_) {
    ::MoveWindow(page, pageArea.left, pageArea.top, pageArea.right - pageArea.left,
                 pageArea.bottom - pageArea.top, TRUE);
  }
}

void FrmQuorvane::ShowTab(int index) {
  TabCtrl_SetCurSel(Control(SSTab1), index);
  ::ShowWindow(pages_[index], SW_SHOW);
  ::ShowWindow(pages_[1 - index], SW_HIDE);
}

void FrmQuorvane::mnuFileSub_Click(int index) {
  switch (index) {
    case 0:
      ShowTab(0);
      cmdSrc_Click();
      break;
    case 1:
      ShowTab(0);
      cmdDirS_Click();
      break;
    case 3:
      ::SendMessageW(window_, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

void FrmQuorvane::mnuHelpSub_Click(int index) {
  switch (index) {
    case 0:
      OpenProgramFile(HelpFileName());
      break;
    case 2:
      desktop_.ShellOpen(kProductWebAddress);
      break;
    case 4: {
      DlgAbout about(desktop_, layout_);
      desktop_.RunModal(about.window(), window_);
      break;
    }
    default:
      break;
  }
}

void FrmQuorvane::OpenProgramFile(const std::wstring& name) {
  desktop_.ShellOpen(FromUtf8(logic::JoinPath(ToUtf8(ProgramFolder()), ToUtf8(name), facts_)));
}

void FrmQuorvane::OnEngineEvent(DISPID event, std::int16_t value) {
  // StatusChange has no handler: the result code that follows it says the same.
  if (event == tandrel::CTandrelCtrl::kEventCut) Tandrel1_Cut(value);
  if (event == tandrel::CTandrelCtrl::kEventJoin) Tandrel1_Join(value);
}

void FrmQuorvane::Say(const std::string& text) {
  ShowNotice({logic::NoticeIcon::Information, text});
}

void FrmQuorvane::ShowNotice(const logic::Notice& notice) {
  desktop_.ShowMessage(window_, notice);
}

void FrmQuorvane::ShowProgress(int bar, int label) {
  ::ShowWindow(Control(bar), SW_SHOW);
  ::ShowWindow(Control(label), SW_SHOW);
  // Draw them now; input waits until the run is over.
  ::UpdateWindow(window_);
}

void FrmQuorvane::MoveProgress(int bar, int label, std::int16_t percent) {
  // A size cut of an MP3 source estimates its piece count and may end above 100.
  const int shown = std::clamp<int>(percent, 0, 100);
  SetText(label, std::to_wstring(std::min<int>(percent, 100)));
  ::SendMessageW(Control(bar), PBM_SETPOS, static_cast<WPARAM>(shown), 0);
  // The engine holds the thread until the run ends, so draw now.
  ::UpdateWindow(Control(label));
  ::UpdateWindow(Control(bar));
  if (percent >= 100) {
    ::ShowWindow(Control(label), SW_HIDE);
    ::ShowWindow(Control(bar), SW_HIDE);
  }
}

}  // namespace trevasso::win32
