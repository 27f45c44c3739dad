#include "ui/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "logic/path_routines.h"
#include "ui/logic_edge.h"

#ifndef TREVASSO_DATA_FROM_BIN
#define TREVASSO_DATA_FROM_BIN u"../share/trevasso"
#endif

namespace trevasso::ui {

QString ProgramFilePath(const QString& name) {
  const logic::PlatformFacts facts = PlatformFactsOf(QLocale());
  const std::string programFolder = ToUtf8(QCoreApplication::applicationDirPath());
  const QString beside = FromUtf8(logic::JoinPath(programFolder, ToUtf8(name), facts));
  // Installed, the program's files are not in bin but in its data folder, at this place from bin.
  const QString dataFolder = QDir::cleanPath(FromUtf8(
      logic::JoinPath(programFolder, ToUtf8(QString::fromUtf16(TREVASSO_DATA_FROM_BIN)), facts)));
  const QString installed = FromUtf8(logic::JoinPath(ToUtf8(dataFolder), ToUtf8(name), facts));
  return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

QString ProductWebAddress() {
  return QString::fromUtf16(kProductWebAddress);
}

}  // namespace trevasso::ui
