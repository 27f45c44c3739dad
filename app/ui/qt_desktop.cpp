#include "ui/qt_desktop.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QUrl>

#include "logic/mime_associations.h"
#include "ui/logic_edge.h"
#include "ui/main_title.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

void QtDesktop::ShowMessage(QWidget* owner, MessageIcon icon, const QString& text) {
  QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                  kMainTitle, text, QMessageBox::Ok, owner);
  box.exec();
}

bool QtDesktop::ShowOpenDialog(QWidget* owner, FileDialogState& state) {
  QFileDialog dialog(owner);
  dialog.setObjectName(state.objectName);
  // Qt's own dialog, so that the patterns, the hidden pattern details and typed names of new
  // files behave the same on every desktop.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (state.multiSelect) {
    dialog.setFileMode(QFileDialog::ExistingFiles);
  } else {
    dialog.setFileMode(state.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  }
  dialog.setNameFilters(state.filters);
  if (!state.selectedFilter.isEmpty()) dialog.selectNameFilter(state.selectedFilter);
  if (!state.directory.isEmpty()) dialog.setDirectory(state.directory);
  if (!state.multiSelect && !state.FileName().isEmpty()) dialog.selectFile(state.FileName());
  if (dialog.exec() != QDialog::Accepted) return false;
  state.fileNames = dialog.selectedFiles();
  state.directory = dialog.directory().absolutePath();
  state.selectedFilter = dialog.selectedNameFilter();
  return true;
}

QString QtDesktop::BrowseForFolder(QWidget* owner, const QString& start) {
  return QFileDialog::getExistingDirectory(owner, u"Please locate a directory"_s, start,
                                           QFileDialog::ShowDirsOnly);
}

void QtDesktop::ShellOpen(const QString& target) {
  const QUrl url = QUrl(target).scheme().size() > 1 ? QUrl(target) : QUrl::fromLocalFile(target);
  QDesktopServices::openUrl(url);
}

bool QtDesktop::HasViewerFor(const QString& path) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
  if (!type.isValid() || type.isDefault()) return false;
  // The lists in the order desktops read them: the user's and the system's configuration, then
  // those beside the installed applications.
  QStringList lists;
  for (const QString& folder :
       QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
    lists.append(folder + u"/mimeapps.list"_s);
  const QStringList applications =
      QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
  for (const QString& folder : applications) lists.append(folder + u"/mimeapps.list"_s);
  return logic::HasApplicationFor(ToUtf8(QStringList{type.name()} + type.aliases()), ToUtf8(lists),
                                  ToUtf8(applications), QtDesktopFiles());
}

std::vector<logic::DesktopEntryFile> QtDesktopFiles::EntriesBelow(const std::string& folder) const {
  std::vector<logic::DesktopEntryFile> entries;
  const QString root = FromUtf8(folder);
  QDirIterator it(root, {u"*.desktop"_s}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    entries.push_back({ToUtf8(path), ToUtf8(QDir(root).relativeFilePath(path))});
  }
  return entries;
}

std::optional<std::string> QtDesktopFiles::ReadFile(const std::string& path) const {
  QFile file(FromUtf8(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll().toStdString();
}

int QtDesktop::RunModal(QDialog& dialog) {
  return dialog.exec();
}

}  // namespace trevasso::ui
