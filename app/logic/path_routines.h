#pragma once

#include <functional>
#include <string>

#include "logic/platform_facts.h"

namespace trevasso::logic {

// `text` without leading and trailing blanks (spaces only; tabs and line breaks stay).
std::string TrimBlanks(const std::string& text);

// The folder part of `path`, up to and including its last separator ("/music/a.mp3" gives
// "/music/"); empty when the path holds no separator.
std::string GetFolderPart(const std::string& path, const PlatformFacts& facts);

// `name` in `folder`: the folder is trimmed of blanks first; an empty folder gives the name alone,
// a folder ending with the separator is followed by the name directly, any other folder by one
// separator and the name. The name is taken as it is.
std::string JoinPath(const std::string& folder, const std::string& name,
                     const PlatformFacts& facts);

// Whether a path names an existing folder; the program asks its own file system.
using IsFolder = std::function<bool(const std::string& path)>;

// Where the folder picker opens: the output folder when it is an existing folder, else the
// folder of the source file when that exists, else `home`. Never a folder that is not there, so
// the picker has nothing to pre-type that Enter would refuse.
std::string FolderPickerStart(const std::string& outputFolder, const std::string& source,
                              const std::string& home, const PlatformFacts& facts,
                              const IsFolder& isFolder);

}  // namespace trevasso::logic
