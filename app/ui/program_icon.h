#pragma once

#include <QIcon>
#include <QPixmap>

namespace trevasso::ui {

// The program's icon, drawn from its SVG; the pixmap is `size` logical pixels square, drawn
// sharp for a screen of `devicePixelRatio`.
QIcon ProgramIcon();
QPixmap ProgramPixmap(int size, qreal devicePixelRatio = 1);

}  // namespace trevasso::ui
