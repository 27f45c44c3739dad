#include "logic/task_names.h"

#include "logic/path_routines.h"

namespace trevasso::logic {

using namespace Qt::StringLiterals;

QString TaskFileName(const QString& source, const QString& outputFolder, int number) {
  const QString src = TrimBlanks(source);
  const qsizetype separator = src.lastIndexOf(kPathSeparator);
  const qsizetype point = src.lastIndexOf(u'.');
  const QString fileName = src.mid(separator + 1);
  QString base = fileName;
  QString extension;
  if (point > separator) {
    base = src.mid(separator + 1, point - separator - 1);
    extension = src.mid(point);
  }
  const QString numbered = QString::number(number).rightJustified(3, u'0');
  return JoinPath(outputFolder, base + u"_"_s + numbered + extension);
}

}  // namespace trevasso::logic
