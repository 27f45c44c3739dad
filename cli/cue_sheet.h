#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/section_plan.h"

namespace tandrel::cli {

struct CueTrack {
  int number = 0;          // the track's place in the sheet, from 1
  std::string title;       // its TITLE, empty when it has none
  std::string performer;   // its PERFORMER, else the sheet's, else empty
  std::int64_t start = 0;  // INDEX 01 in real ms (75 CD frames to the second, rounded down)
};

// The tracks of one FILE entry, in sheet order.
struct CueFile {
  std::string name;  // as the sheet spells it, relative to the sheet's folder unless absolute
  std::vector<CueTrack> tracks;
};

struct CueSheet {
  std::string title;      // the disc's TITLE
  std::string performer;  // the disc's PERFORMER
  std::vector<CueFile> files;
};

// Reads a sheet (a leading UTF-8 byte-order mark and CR LF line ends allowed; \" and \\ inside
// quoted text stand for " and \). Throws UsageError with the reason: a sheet the parser cannot
// read ("line N: syntax error"), tracks of one file that do not start in increasing order, or a
// sheet without tracks.
CueSheet ParseCueSheet(std::string_view text);

// One piece per track: from its INDEX 01 to the next track's INDEX 01, the last one to the end of
// the file. Numbered, titled and credited by the tracks.
std::vector<TimeSection> TrackSections(const CueFile& file);

}  // namespace tandrel::cli
