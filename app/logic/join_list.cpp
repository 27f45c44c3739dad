#include "logic/join_list.h"

#include "logic/path_routines.h"

namespace trevasso::logic {

using namespace Qt::StringLiterals;

std::int16_t CheckJoinFormats(const QStringList& fileNames) {
  QString last;
  for (const QString& name : fileNames) {
    const QString extension = name.mid(name.lastIndexOf(u'.') + 1).toLower();
    if (extension != u"mp3"_s && extension != u"wav"_s) return kJoinFormatsOther;
    if (!last.isEmpty() && last != extension) return kJoinFormatsMixed;
    last = extension;
  }
  return kJoinFormatsSame;
}

QString BuildJoinList(const QStringList& fileNames) {
  QStringList trimmed;
  trimmed.reserve(fileNames.size());
  for (const QString& name : fileNames) trimmed.append(TrimBlanks(name));
  return trimmed.join(u'|');
}

}  // namespace trevasso::logic
