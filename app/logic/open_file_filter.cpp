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

QStringList DroppedAudioFiles(const QStringList& paths) {
  QStringList audio;
  for (const QString& path : paths) {
    const QString name = path.section(u'/', -1);
    if (name.endsWith(u".mp3"_s, Qt::CaseInsensitive) ||
        name.endsWith(u".wav"_s, Qt::CaseInsensitive)) {
      audio.append(path);
    }
  }
  return audio;
}

}  // namespace trevasso::logic
