#pragma once

#include <windows.h>

#include <string>

#include "desktop.h"
#include "logic/add_sections.h"
#include "logic/platform_facts.h"
#include "window_layout.h"

namespace trevasso::win32 {

// The Add Sections dialog: appends time sections to the main window's section list, either one
// section between two slider positions or the whole file in pieces of a fixed length. Each
// opening is a new dialog: start/end mode, millisecond unit, every box at "0". Its controls are
// its own children, found by their add::ControlId.
class FrmAdd {
 public:
  // `playTime` is the opened source's play time in milliseconds and `timeCaption` the main
  // window's caption of it; rows go to `lvwTask`.
  FrmAdd(Desktop& desktop, const WindowLayout& layout, double playTime,
         const std::wstring& timeCaption, HWND lvwTask, const logic::PlatformFacts& facts,
         HWND owner);
  ~FrmAdd();
  FrmAdd(const FrmAdd&) = delete;
  FrmAdd& operator=(const FrmAdd&) = delete;

  // Hidden until run modally; gone once OK succeeds, Cancel is chosen or the dialog is closed.
  HWND window() const { return window_; }

  // Sets both sliders to the range the opener allows, after the dialog's own start-up settings.
  void SetSliderRange(int minimum, int maximum);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  void OnCommand(int id, int code, HWND control);
  void optSMH_Click(int index);
  void optSplit_Click(int index);
  void OKButton_Click();
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }
  HWND Make(const wchar_t* className, const std::wstring& text, DWORD style, int id,
            const TwipsRect& place, DWORD exStyle = 0);

  Desktop& desktop_;
  const WindowLayout& layout_;
  const double playTime_;
  HWND lvwTask_;
  const logic::PlatformFacts facts_;
  HWND window_ = nullptr;
  logic::SliderUnit unit_ = logic::SliderUnit::MilliSeconds;
};

}  // namespace trevasso::win32
