#pragma once

#include <windows.h>

namespace trevasso::win32 {

// Lets only the characters a number box takes reach `box`: digits, Backspace, and the point where
// `allowPoint`. Control keys (copy, paste, select all) pass, so pasted text is not judged here.
void FilterTyping(HWND box, bool allowPoint);

}  // namespace trevasso::win32
