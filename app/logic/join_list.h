#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

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
std::int16_t CheckJoinFormats(const QStringList& fileNames);

// The join list the engine takes: every name trimmed of blanks, joined by "|".
QString BuildJoinList(const QStringList& fileNames);

}  // namespace trevasso::logic
