#include "typing_filter.h"

#include <commctrl.h>

#include "logic/number_mask.h"

namespace trevasso::win32 {

namespace {

LRESULT CALLBACK TypingProc(HWND box, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR point) {
  if (message == WM_CHAR && w >= 0x20 &&
      !logic::AcceptsTypedCharacter(static_cast<char32_t>(w), point != 0)) {
    return 0;
  }
  return ::DefSubclassProc(box, message, w, l);
}

}  // namespace

void FilterTyping(HWND box, bool allowPoint) {
  ::SetWindowSubclass(box, TypingProc, 1, allowPoint ? 1 : 0);
}

}  // namespace trevasso::win32
