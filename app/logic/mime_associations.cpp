#include "logic/mime_associations.h"

#include <QDir>
#include <algorithm>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTextStream>

namespace trevasso::logic {

namespace {

using namespace Qt::StringLiterals;

// Calls `entry(group, key, value)` for every "key=value" line of a desktop-style file.
template <typename Entry>
void ReadKeyFile(const QString& path, Entry entry) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
  QTextStream in(&file);
  QString group;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.startsWith(u'[') && line.endsWith(u']')) {
      group = line.mid(1, line.size() - 2);
    } else if (const qsizetype equals = line.indexOf(u'='); equals > 0 && !line.startsWith(u'#')) {
      entry(group, line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
  }
}

QStringList ListValue(const QString& value) {
  return value.split(u';', Qt::SkipEmptyParts);
}

}  // namespace

bool HasApplicationFor(const QStringList& mimeTypes, const QStringList& mimeappsLists,
                       const QStringList& applicationFolders) {
  const auto wanted = [&mimeTypes](const QString& type) { return mimeTypes.contains(type); };
  QSet<QString> installed, handlers, removed;
  for (const QString& folder : applicationFolders) {
    QDirIterator it(folder, {u"*.desktop"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      // A desktop entry's id is its path below the folder with "-" for the separators.
      const QString id = QDir(folder).relativeFilePath(path).replace(u'/', u'-');
      bool declares = false, hidden = false;
      ReadKeyFile(path, [&](const QString& group, const QString& key, const QString& value) {
        if (group != u"Desktop Entry"_s) return;
        if (key == u"MimeType"_s) declares = std::ranges::any_of(ListValue(value), wanted);
        if (key == u"Hidden"_s) hidden = value == u"true"_s;
      });
      if (hidden) continue;
      installed.insert(id);
      if (declares) handlers.insert(id);
    }
  }
  for (const QString& list : mimeappsLists) {
    ReadKeyFile(list, [&](const QString& group, const QString& key, const QString& value) {
      if (!wanted(key)) return;
      for (const QString& id : ListValue(value)) {
        if (group == u"Removed Associations"_s) removed.insert(id);
        const bool named =
            group == u"Default Applications"_s || group == u"Added Associations"_s;
        if (named && installed.contains(id)) handlers.insert(id);
      }
    });
  }
  handlers.subtract(removed);
  return !handlers.isEmpty();
}

}  // namespace trevasso::logic
