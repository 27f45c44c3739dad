#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace trevasso::ui {

// One open-file dialog object. It keeps its settings and the names it returned last from one use
// to the next, as the program's dialogs do; the desktop shows it and writes the user's choice back.
struct FileDialogState {
  QString objectName;   // dlg, dlgJoin or dlgJoinJ
  QStringList filters;  // name filters, the first one chosen until the user picks another
  QString selectedFilter;
  QString directory;      // the folder it showed last
  QStringList fileNames;  // full paths returned last; at most one unless multiSelect
  bool multiSelect = false;
  bool mustExist = false;  // without it the user may type the name of a file not there yet

  QString FileName() const { return fileNames.value(0); }
};

enum class MessageIcon { Information, Critical };

// Everything the windows ask of the desktop: message boxes, file dialogs, the folder picker,
// opening a document, and running a dialog modally. Tests put a stub in its place and read
// what would have been shown.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // A modal box with the title "Pelluvex", `icon` and one OK button.
  virtual void ShowMessage(QWidget* owner, MessageIcon icon, const QString& text) = 0;

  // Shows `dialog` as an open-file dialog. On OK stores the chosen names, folder and filter in
  // it and returns true; on cancel leaves it as it was and returns false.
  virtual bool ShowOpenDialog(QWidget* owner, FileDialogState& dialog) = 0;

  // The folder picker titled "Please locate a directory", opened at the existing folder
  // `start`: the chosen folder as the system gives it, or "" when the user cancels or anything
  // fails.
  virtual QString BrowseForFolder(QWidget* owner, const QString& start) = 0;

  // Opens a document or a web address with the desktop's handler; the outcome is not examined.
  virtual void ShellOpen(const QString& target) = 0;

  // Whether the desktop has an application associated with documents of the kind of `path`.
  virtual bool HasViewerFor(const QString& path) = 0;

  // Shows `dialog` modally and returns its result once it has closed.
  virtual int RunModal(QDialog& dialog) = 0;
};

}  // namespace trevasso::ui
