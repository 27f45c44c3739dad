#pragma once

#include <QString>

namespace trevasso::logic {

// The one path separator the program's path routines know.
inline constexpr char16_t kPathSeparator = u'/';

// `text` without leading and trailing blanks (spaces only; tabs and line breaks stay).
QString TrimBlanks(const QString& text);

// The folder part of `path`, up to and including its last separator ("/music/a.mp3" gives
// "/music/"); empty when the path holds no separator.
QString GetFolderPart(const QString& path);

// `name` in `folder`: the folder is trimmed of blanks first; an empty folder gives the name alone,
// a folder ending with the separator is followed by the name directly, any other folder by one
// separator and the name. The name is taken as it is.
QString JoinPath(const QString& folder, const QString& name);

// Where the folder picker opens: the output folder when it is an existing folder, else the
// folder of the source file when that exists, else `home`. Never a folder that is not there, so
// the picker has nothing to pre-type that Enter would refuse.
QString FolderPickerStart(const QString& outputFolder, const QString& source, const QString& home);

}  // namespace trevasso::logic
