#pragma once

#include <windows.h>

namespace tandrel::com {

// The control's picture, seen only at design time since the control is invisible at run time:
// the bounds filled with the stock white brush, then the ellipse inscribed in them drawn with the
// device context's current pen and brush.
void DrawDesignPicture(HDC dc, const RECT& bounds);

// A child window that shows the picture, for a container that cannot keep the control
// windowless. nullptr when it cannot be made.
HWND CreateControlWindow(HWND parent, const RECT& position);

// Forgets the window class when the module goes.
void UnregisterControlWindowClass();

}  // namespace tandrel::com
