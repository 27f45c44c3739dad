#pragma once

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/desktop.h"

namespace trevasso::tests {

// A desktop that shows nothing: it records every message, dialog and opened document, and
// answers the dialogs from queues the test fills.
class StubDesktop final : public ui::Desktop {
 public:
  struct Message {
    ui::MessageIcon icon;
    QString text;
  };

  void ShowMessage(QWidget*, ui::MessageIcon icon, const QString& text) override {
    messages.push_back({icon, text});
  }

  bool ShowOpenDialog(QWidget*, ui::FileDialogState& dialog) override {
    shownDialogs.push_back(dialog);
    if (openAnswers.empty()) return false;
    const std::optional<QStringList> answer = openAnswers.front();
    openAnswers.pop_front();
    if (!answer) return false;
    dialog.fileNames = *answer;
    return true;
  }

  QString BrowseForFolder(QWidget*) override {
    ++foldersAsked;
    if (folderAnswers.empty()) return QString();
    const QString answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
  }

  void ShellOpen(const QString& target) override { opened.append(target); }

  int RunModal(QDialog& dialog) override {
    modalShown.append(dialog.objectName());
    if (onModal) {
      onModal(dialog);
    } else {
      dialog.reject();
    }
    return dialog.result();
  }

  // The texts of the messages shown so far, in order.
  QStringList MessageTexts() const {
    QStringList texts;
    for (const Message& m : messages) texts.append(m.text);
    return texts;
  }

  std::vector<Message> messages;
  // Answers of the open-file dialogs in turn: the chosen full paths, or nullopt for Cancel.
  std::deque<std::optional<QStringList>> openAnswers;
  // The dialogs as they were when shown.
  std::vector<ui::FileDialogState> shownDialogs;
  std::deque<QString> folderAnswers;
  int foldersAsked = 0;
  QStringList opened;
  QStringList modalShown;
  // Plays the user's part in a modal dialog (closing it or not); without it, Cancel.
  std::function<void(QDialog&)> onModal;
};

}  // namespace trevasso::tests
