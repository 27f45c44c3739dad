#pragma once

#include <windows.h>

#include "desktop.h"
#include "window_layout.h"

namespace trevasso::win32 {

// The About box: the program's icon, name, version, what it does, and its web address as a
// link. It has no buttons; the close box closes it.
class DlgAbout {
 public:
  DlgAbout(Desktop& desktop, const WindowLayout& layout);
  ~DlgAbout();
  DlgAbout(const DlgAbout&) = delete;
  DlgAbout& operator=(const DlgAbout&) = delete;

  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT Handle(UINT message, WPARAM w, LPARAM l);

  Desktop& desktop_;
  HWND window_ = nullptr;
  HFONT nameFont_ = nullptr;
  HFONT linkFont_ = nullptr;
};

}  // namespace trevasso::win32
