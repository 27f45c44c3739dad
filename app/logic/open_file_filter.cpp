#include "logic/open_file_filter.h"

namespace trevasso::logic {

using namespace Qt::StringLiterals;

QStringList AudioFileFilters() {
  return {
      u"MP3 and WAV Audio Files(*.mp3;*.wav) (*.[Mm][Pp]3 *.[Ww][Aa][Vv])"_s,
      u"MP3 Audio Files(*.mp3) (*.[Mm][Pp]3)"_s,
      u"WAV Audio Files(*.wav) (*.[Ww][Aa][Vv])"_s,
  };
}

}  // namespace trevasso::logic
