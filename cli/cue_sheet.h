#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/section_plan.h"

namespace tandrel::cli {

struct CueTrack {
  int number = 0;          // from TRACK nn
  std::string title;       // the TITLE inside the track, empty when it has none
  std::int32_t start = 0;  // INDEX 01 in ms (75 CD frames to the second, rounded down)
};

// The tracks of one FILE entry, in sheet order.
struct CueFile {
  std::string name;  // as the sheet spells it, relative to the sheet's folder unless absolute
  std::vector<CueTrack> tracks;
};

// What a cut needs from a CUE sheet: its files and their audio tracks. Everything else (REM,
// PERFORMER, the disc's TITLE, INDEX 00 and other indexes, flags) is read past.
struct CueSheet {
  std::vector<CueFile> files;
};

// Reads a sheet (a leading UTF-8 byte-order mark and CR LF line ends allowed; keywords in any
// letter case). Throws UsageError("line N: ...") for a TRACK outside a FILE, a track without
// INDEX 01, an index that is no mm:ss:ff time, tracks of one file that do not start in
// increasing order, or a sheet without tracks.
CueSheet ParseCueSheet(std::string_view text);

// One piece per track: from its INDEX 01 to the next track's INDEX 01, the last one to the end of
// the file. Numbered by the track numbers and titled by the track titles.
std::vector<TimeSection> TrackSections(const CueFile& file);

}  // namespace tandrel::cli
