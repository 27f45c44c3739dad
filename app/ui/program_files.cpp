#include "ui/program_files.h"

#include <QCoreApplication>
#include <QUrl>

#include "logic/path_routines.h"

namespace trevasso::ui {

QString ProgramFilePath(const QString& name) {
  return logic::JoinPath(QCoreApplication::applicationDirPath(), name);
}

QString ProductWebAddress() {
  const QString address = QString::fromUtf16(kProductWebAddress);
  return QUrl(address).isRelative() ? ProgramFilePath(address) : address;
}

}  // namespace trevasso::ui
