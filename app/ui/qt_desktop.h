#pragma once

#include "logic/mime_associations.h"
#include "ui/desktop.h"

namespace trevasso::ui {

// The desktop as the user sees it: QMessageBox, QFileDialog, QDesktopServices.
class QtDesktop final : public Desktop {
 public:
  void ShowMessage(QWidget* owner, MessageIcon icon, const QString& text) override;
  bool ShowOpenDialog(QWidget* owner, FileDialogState& dialog) override;
  QString BrowseForFolder(QWidget* owner, const QString& start) override;
  void ShellOpen(const QString& target) override;
  bool HasViewerFor(const QString& path) override;
  int RunModal(QDialog& dialog) override;
};

// The desktop entries and mimeapps.list files of the local file system, for HasViewerFor.
class QtDesktopFiles final : public logic::DesktopFileSource {
 public:
  std::vector<logic::DesktopEntryFile> EntriesBelow(const std::string& folder) const override;
  std::optional<std::string> ReadFile(const std::string& path) const override;
};

}  // namespace trevasso::ui
