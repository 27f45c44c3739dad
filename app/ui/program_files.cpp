#include "ui/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "logic/path_routines.h"

#ifndef TREVASSO_DATA_FROM_BIN
#define TREVASSO_DATA_FROM_BIN u"../share/trevasso"
#endif

namespace trevasso::ui {

QString ProgramFilePath(const QString& name) {
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QString beside = logic::JoinPath(programFolder, name);
  // Installed, the program's files are not in bin but in its data folder, at this place from bin.
  const QString installed = logic::JoinPath(
      QDir::cleanPath(logic::JoinPath(programFolder, QString::fromUtf16(TREVASSO_DATA_FROM_BIN))),
      name);
  return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

QString ProductWebAddress() {
  return QString::fromUtf16(kProductWebAddress);
}

}  // namespace trevasso::ui
