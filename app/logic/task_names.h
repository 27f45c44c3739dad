#pragma once

#include <string>

#include "logic/platform_facts.h"

namespace trevasso::logic {

// The output path of the `number`-th (1-based) section of a time split of `source` into
// `outputFolder`: the source's base name, "_", the number in at least three digits, and the
// source's extension as written (".mp3", ".WAV"), joined to the folder with JoinPath.
// "/music/Song.mp3" into "/out" gives "/out/Song_001.mp3"; the thousandth is "Song_1000.mp3".
// The source is trimmed of blanks first. Its base name runs from the last separator to the last
// point; a name without a point (or with points only in folder names) is taken whole and its
// pieces get no extension.
std::string TaskFileName(const std::string& source, const std::string& outputFolder, int number,
                         const PlatformFacts& facts);

}  // namespace trevasso::logic
