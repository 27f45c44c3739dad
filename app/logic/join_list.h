#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logic/notice.h"

namespace trevasso::logic {

// Outcome of CheckJoinFormats.
inline constexpr std::int16_t kJoinFormatsSame = 0;
inline constexpr std::int16_t kJoinFormatsMixed = 2;  // MP3 and WAV files together
inline constexpr std::int16_t kJoinFormatsOther = 3;  // a file that is neither
inline constexpr std::int16_t kJoinFormatsFailed = -1;

// Whether the files to join share one format, judged top to bottom by the text after the last
// "." of each name as given (a name without a point is its own extension). The first offending
// file decides: a.mp3, b.wav, c.ogg gives Mixed; a.mp3, c.ogg, b.wav gives Other. Letter case does
// not matter, as it does not to the engine: x.MP3 is an MP3 file.
std::int16_t CheckJoinFormats(const std::vector<std::string>& fileNames);

// The message a CheckJoinFormats outcome shows instead of joining; nothing for Same. An outcome
// it does not know is an unknown error.
std::optional<Notice> JoinFormatsRefusal(std::int16_t outcome);

// Why the joiner refuses to join `fileNames` (the join list, top to bottom) into
// `saveFileName`, checked in this order: fewer than two files, no name to save to (blanks
// only), then the formats as JoinFormatsRefusal says. Nothing when the join may run.
std::optional<Notice> JoinRefusal(const std::vector<std::string>& fileNames,
                                  const std::string& saveFileName);

// Which way a Move button moves the current file of the join list.
enum class JoinMove { Up, Down };

// Where the Move button moves the file at `position` (1-based) of a join list of `rows` files.
struct JoinMoveTarget {
  std::optional<Notice> refusal;  // an empty list, or a file already at that end
  int position = 0;               // the row it swaps with; set when not refused
};
JoinMoveTarget MoveJoinFile(JoinMove move, int rows, int position);

// The join list the engine takes: every name trimmed of blanks, joined by "|".
std::string BuildJoinList(const std::vector<std::string>& fileNames);

// The file count the engine takes beside the join list: a 16-bit number, so a longer list
// passes the largest count, which the engine refuses as an invalid parameter.
std::int16_t JoinFilesCount(std::size_t files);

}  // namespace trevasso::logic
