#pragma once

#include <QString>

namespace trevasso::ui {

// The help file, opened from the program's own folder.
inline constexpr char16_t kHelpFileName[] = u"trevasso.chm";

// The front page of the HTML help, opened for help where the desktop has no viewer for the help
// file.
inline constexpr char16_t kHtmlHelpFileName[] = u"help/index.html";

// The product's web page, opened by "Visit us on website" and by the About box's link, and shown
// on the About box.
inline constexpr char16_t kProductWebAddress[] = u"https://tandrel.net/";

// `name` in the folder that holds the running program; when that folder has no such file but the
// installed program's data folder (share/trevasso beside bin) has, the path there.
QString ProgramFilePath(const QString& name);

QString ProductWebAddress();

}  // namespace trevasso::ui
