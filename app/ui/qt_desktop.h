#pragma once

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

}  // namespace trevasso::ui
