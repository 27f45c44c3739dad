#include "logic/path_routines.h"

#include <QFileInfo>

namespace trevasso::logic {

QString TrimBlanks(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first] == u' ') ++first;
  while (last > first && text[last - 1] == u' ') --last;
  return text.mid(first, last - first);
}

QString GetFolderPart(const QString& path) {
  const qsizetype separator = path.lastIndexOf(kPathSeparator);
  return separator < 0 ? QString() : path.left(separator + 1);
}

QString JoinPath(const QString& folder, const QString& name) {
  const QString trimmed = TrimBlanks(folder);
  if (trimmed.isEmpty()) return name;
  if (trimmed.endsWith(kPathSeparator)) return trimmed + name;
  return trimmed + kPathSeparator + name;
}

QString FolderPickerStart(const QString& outputFolder, const QString& source, const QString& home) {
  for (const QString& folder : {TrimBlanks(outputFolder), GetFolderPart(TrimBlanks(source))}) {
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  }
  return home;
}

}  // namespace trevasso::logic
