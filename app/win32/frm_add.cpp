#include "frm_add.h"

#include <commctrl.h>

#include <charconv>
#include <initializer_list>

#include "control_ids.h"
#include "list_view.h"
#include "logic/number_mask.h"
#include "text_edge.h"
#include "typing_filter.h"

namespace trevasso::win32 {

using namespace add;

namespace {

constexpr wchar_t kClassName[] = L"frmAdd";
// Client area of 6285 x 5295 twips.
constexpr int kClientWidth = 6285;
constexpr int kClientHeight = 5295;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// A whole number typed into a box, as the sliders take it.
bool ReadInt(const std::wstring& text, int& value) {
  const std::string narrow = ToUtf8(text);
  const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
  return error == std::errc() && end == narrow.data() + narrow.size() && !narrow.empty();
}

}  // namespace

FrmAdd::FrmAdd(Desktop& desktop, const WindowLayout& layout, double playTime,
               const std::wstring& timeCaption, HWND lvwTask, const logic::PlatformFacts& facts,
               HWND owner)
    : desktop_(desktop), layout_(layout), playTime_(playTime), lvwTask_(lvwTask), facts_(facts) {
  static const bool registered = RegisterFormClass(kClassName, &FrmAdd::WindowProc);
  (void)registered;
  const SIZE outer = layout_.WindowSize(kClientWidth, kClientHeight, kStyle, kExStyle, false);
  window_ = ::CreateWindowExW(kExStyle, kClassName, L"Add Sections", kStyle, 0, 0, outer.cx,
                              outer.cy, owner, nullptr, ::GetModuleHandleW(nullptr), this);

  Make(WC_STATICW, timeCaption, SS_NOPREFIX, Label7, At15(10, 8, 399, 18));
  Make(WC_BUTTONW, L"", BS_GROUPBOX, Frame1, At15(10, 26, 399, 54));
  const wchar_t* units[] = {L"Mili Seconds (MS)", L"Seconds (S = 1000 MS)", L"Minutes (M = 60 S)"};
  const TwipsRect unitPlaces[] = {At15(18, 38, 180, 20), At15(210, 38, 190, 20),
                                  At15(18, 58, 180, 20)};
  for (int i = 0; i < 3; ++i) {
    Make(WC_BUTTONW, units[i], WS_TABSTOP | BS_RADIOBUTTON | (i == 0 ? WS_GROUP : 0), optSMH + i,
         unitPlaces[i]);
  }

  Make(WC_BUTTONW, L"Add a task with Start Time and End Time as the following",
       WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, optSplit + 1, At15(10, 86, 399, 20));
  Make(WC_BUTTONW, L"", BS_GROUPBOX, frSE, At15(10, 104, 399, 150));
  const wchar_t* edges[] = {L"Start Time", L"End Time"};
  for (int i = 0; i < 2; ++i) {
    const int top = 108 + 6 + 70 * i;
    Make(WC_STATICW, edges[i], 0, i == 0 ? Label1 : Label2, At15(20, top + 4, 74, 20));
    FilterTyping(Make(WC_EDITW, L"0", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, txtStart + i,
                      At15(96, top, 100, 24), WS_EX_CLIENTEDGE),
                 false);
    Make(WC_STATICW, L"Mili Seconds", 0, Label1 + i + 1, At15(204, top + 4, 100, 20));
    Make(TRACKBAR_CLASSW, L"", WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, i == 0 ? sldStart : sldEnd,
         At15(20, top + 28, 379, 22));
    Make(WC_STATICW, L"0", 0, Label5 + i, At15(20, top + 50, 180, 16));
    Make(WC_STATICW, L"0", SS_RIGHT, lblStart + i, At15(219, top + 50, 180, 16));
  }

  Make(WC_BUTTONW, L"Split the whole file by Fixed Time", WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON,
       optSplit, At15(10, 262, 399, 20));
  Make(WC_STATICW, L"Time Value", 0, Label4, At15(30, 290, 80, 20));
  FilterTyping(Make(WC_EDITW, L"0", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, txtFixed,
                    At15(112, 286, 100, 24), WS_EX_CLIENTEDGE),
               false);
  Make(WC_STATICW, L"MS", 0, Label3, At15(218, 290, 30, 20));
  Make(WC_BUTTONW, L"OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, OKButton,
       At15(225, 316, 88, 28));
  Make(WC_BUTTONW, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, CancelButton, At15(321, 316, 88, 28));

  // Start-up: millisecond unit, start/end mode, the boxes at "0".
  optSMH_Click(0);
  optSplit_Click(1);
  CentreOnScreen(window_);
}

FrmAdd::~FrmAdd() {
  if (::IsWindow(window_)) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

HWND FrmAdd::Make(const wchar_t* className, const std::wstring& text, DWORD style, int id,
                  const TwipsRect& place, DWORD exStyle) {
  return layout_.Make(window_, className, text, style, id, place, exStyle);
}

void FrmAdd::SetSliderRange(int minimum, int maximum) {
  for (int id : {sldStart, sldEnd}) {
    ::SendMessageW(Item(id), TBM_SETRANGEMIN, FALSE, minimum);
    ::SendMessageW(Item(id), TBM_SETRANGEMAX, TRUE, maximum);
    ::SendMessageW(Item(id), TBM_SETPOS, TRUE, minimum);
  }
}

LRESULT CALLBACK FrmAdd::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DispatchToForm(window, message, w, l, &FrmAdd::window_, &FrmAdd::Handle);
}

LRESULT FrmAdd::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
      return 0;
    case WM_HSCROLL: {
      // A slider moved: its text box follows.
      auto* slider = reinterpret_cast<HWND>(l);
      const int index = ::GetDlgCtrlID(slider) == sldStart ? 0 : 1;
      const auto position = ::SendMessageW(slider, TBM_GETPOS, 0, 0);
      int typed = 0;
      if (!ReadInt(WindowText(Item(txtStart + index)), typed) || typed != position) {
        ::SetWindowTextW(Item(txtStart + index), std::to_wstring(position).c_str());
      }
      return 0;
    }
    case WM_CLOSE:
      ::DestroyWindow(window_);
      return 0;
    default:
      return ::DefWindowProcW(window_, message, w, l);
  }
}

void FrmAdd::OnCommand(int id, int code, HWND control) {
  if ((id == txtStart || id == txtStart + 1) && code == EN_CHANGE) {
    // A typed value the slider can take moves it; any other leaves it where it is.
    HWND slider = Item(id == txtStart ? sldStart : sldEnd);
    int value = 0;
    const auto minimum = ::SendMessageW(slider, TBM_GETRANGEMIN, 0, 0);
    const auto maximum = ::SendMessageW(slider, TBM_GETRANGEMAX, 0, 0);
    if (ReadInt(WindowText(control), value) && value >= minimum && value <= maximum) {
      ::SendMessageW(slider, TBM_SETPOS, TRUE, value);
    }
    return;
  }
  if (code != BN_CLICKED) return;
  if (id >= optSMH && id < optSMH + 3) return optSMH_Click(id - optSMH);
  if (id == optSplit || id == optSplit + 1) return optSplit_Click(id - optSplit);
  if (id == OKButton) return OKButton_Click();
  if (id == CancelButton) ::DestroyWindow(window_);
}

void FrmAdd::optSMH_Click(int index) {
  for (int i = 0; i < 3; ++i) {
    ::SendMessageW(Item(optSMH + i), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  unit_ = static_cast<logic::SliderUnit>(index);
  const logic::SliderRange range = logic::UnitRange(unit_, playTime_);
  for (int i = 0; i < 2; ++i) {
    HWND slider = Item(i == 0 ? sldStart : sldEnd);
    if (range.minimum) ::SendMessageW(slider, TBM_SETRANGEMIN, FALSE, *range.minimum);
    ::SendMessageW(slider, TBM_SETRANGEMAX, TRUE, range.maximum);
    ::SetWindowTextW(Item(Label5 + i), FromUtf8(range.lowerCaption).c_str());
    ::SetWindowTextW(Item(lblStart + i), FromUtf8(range.upperCaption).c_str());
  }
}

void FrmAdd::optSplit_Click(int index) {
  for (int i = 0; i < 2; ++i) {
    ::SendMessageW(Item(optSplit + i), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  const bool fixedLength = index == 0;
  ::EnableWindow(Item(txtFixed), fixedLength);
  for (int id : std::initializer_list<int>{frSE, Label1, Label2, Label1 + 1, Label1 + 2, txtStart,
                                           txtStart + 1, sldStart, sldEnd, Label5, Label5 + 1,
                                           lblStart, lblStart + 1}) {
    ::EnableWindow(Item(id), !fixedLength);
  }
}

void FrmAdd::OKButton_Click() {
  const bool fixedLength = ::SendMessageW(Item(optSplit), BM_GETCHECK, 0, 0) == BST_CHECKED;
  const auto start = static_cast<int>(::SendMessageW(Item(sldStart), TBM_GETPOS, 0, 0));
  const auto end = static_cast<int>(::SendMessageW(Item(sldEnd), TBM_GETPOS, 0, 0));
  const logic::AddResult result =
      fixedLength ? logic::FixedLengthSections(ToUtf8(WindowText(Item(txtFixed))), playTime_)
                  : logic::StartEndSection(start, end, unit_, playTime_);
  if (result.refusal != logic::AddRefusal::None) {
    desktop_.ShowMessage(window_,
                         {logic::NoticeIcon::Critical, logic::RefusalMessage(result.refusal)});
    if (fixedLength) ::SetFocus(Item(txtFixed));
    return;
  }
  for (const logic::Section& section : result.sections) {
    AppendRow(lvwTask_, {L"", L"MS", FromUtf8(logic::FormatGrouped(section.start, facts_)),
                         FromUtf8(logic::FormatGrouped(section.end, facts_)), L""});
  }
  ::DestroyWindow(window_);
}

}  // namespace trevasso::win32
