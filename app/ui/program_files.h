#pragma once

#include <QString>

namespace trevasso::ui {

// The help file, opened from the program's own folder.
inline constexpr char16_t kHelpFileName[] = u"trevasso.chm";

// The product's web page, opened by "Visit us on website" and by the About box's link. No site
// is published yet, so it names the front page of the HTML help installed beside the program; a
// relative address is taken from the program's folder, an address with a scheme as it is.
inline constexpr char16_t kProductWebAddress[] = u"help/index.html";

// `name` in the folder that holds the running program; when that folder has no such file but the
// installed program's data folder (share/trevasso beside bin) has, the path there.
QString ProgramFilePath(const QString& name);

// kProductWebAddress made absolute.
QString ProductWebAddress();

}  // namespace trevasso::ui
