#pragma once

#include <QString>

namespace trevasso::ui {

// The program's title: the main window's caption and the title of every message box.
inline const QString kMainTitle = QStringLiteral("Pelluvex");

}  // namespace trevasso::ui
