#pragma once

#include <QIcon>
#include <QPixmap>

namespace trevasso::ui {

// The program's icon, drawn from its SVG.
QIcon ProgramIcon();
QPixmap ProgramPixmap(int size);

}  // namespace trevasso::ui
