#pragma once

#include <QMainWindow>
#include <cstdint>
#include <span>
#include <string>

#include "logic/join_list.h"
#include "logic/notice.h"
#include "logic/platform_facts.h"
#include "tandrel/tandrel_ctrl.h"
#include "ui/desktop.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace trevasso::ui {

// The main window: two tabs, the cutter (a source file cut by time sections or by size) and the
// joiner (files joined in list order), the File and Help menus, and the one engine control
// Tandrel1 through which every cut, join and measurement goes.
class FrmQuorvane : public QMainWindow {
  Q_OBJECT

 public:
  explicit FrmQuorvane(Desktop& desktop, QWidget* parent = nullptr);
  ~FrmQuorvane() override;

  // The play time of the opened source in milliseconds; 0 until a file is opened.
  double dblFiletime() const { return dblFiletime_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Window shell.
  void BuildMenus();
  void ApplyResizeRule();
  void mnuFileSub_Click(int index);
  void mnuHelpSub_Click(int index);
  // The help file where the desktop can show it, else the HTML help.
  void OpenHelp();
  void OpenProgramFile(const QString& name);

  // Cutter tab: source file and information.
  void BuildCutterTab(QWidget* page);
  void cmdSrc_Click();
  // Takes `path` as the chosen source, as a choice in the open dialog would.
  void OpenSource(const QString& path);
  void cmdDirS_Click();
  void ShowFileInfo();
  // Cutter tab: section list.
  void cmdAddTask_Click();
  void cmdRemove_Click();
  void cmdClear_Click();
  void optSplit_Click(int index);
  void RefreshTaskNames();
  // Cutter tab: split run.
  void cmdSplit_Click();
  void Tandrel1_Cut(std::int16_t percent);

  // Joiner tab: join list.
  void BuildJoinerTab(QWidget* page);
  void cmdAddJoin_Click();
  void AddJoinFile(const QString& path);
  void RenumberJoinList();
  void SwapJoinRows(int target, int source);
  void cmdRemoveJoin_Click();
  void cmdClearJoin_Click();
  void cmdMoveUp_Click();
  void cmdMoveDown_Click();
  void MoveJoinFile(logic::JoinMove move);
  // The row the move buttons act on, 1-based: the current row, which carries the focus frame
  // whether or not it is selected; the first row while there is none.
  int MovePosition() const;
  void cmdDirJ_Click();
  // Files dropped on a tab: MP3 and WAV files only; the cutter opens the first, the joiner adds
  // them all.
  bool AcceptsDrop(QObject* watched, QEvent* event);
  // Joiner tab: join run.
  void cmdJoin_Click();
  void Tandrel1_Join(std::int16_t percent);

  // The engine, called by dispatch identifier.
  tandrel::Variant Invoke(int dispid, std::span<const tandrel::Variant> args);
  std::int16_t InvokeForResultCode(int dispid, std::span<const tandrel::Variant> args);
  std::int32_t GetPlayTime(const QString& path);
  std::int32_t GetFileSize(const QString& path);
  void OnEngineEvent(int dispid, std::int16_t value);

  void Say(const QString& text);
  void ShowNotice(const logic::Notice& notice);
  // The facts the logic needs of this window's locale and of Qt's paths.
  logic::PlatformFacts Facts() const;
  // Shows a run's progress bar and label and lets the window draw them before the engine takes
  // the thread.
  void ShowProgress(QProgressBar* bar, QLabel* label);
  // Moves a bar and its label to `percent` and draws both at once; from 100 on, hides them.
  static void MoveProgress(QProgressBar* bar, QLabel* label, std::int16_t percent);

  Desktop& desktop_;
  tandrel::CTandrelCtrl Tandrel1_;
  std::uint32_t eventCookie_ = 0;
  double dblFiletime_ = 0;
  bool centred_ = false;

  QWidget* Picture1_ = nullptr;
  QTabWidget* SSTab1_ = nullptr;
  QWidget* cutterPage_ = nullptr;
  QWidget* joinerPage_ = nullptr;

  // The open-file dialogs, each keeping its settings between uses.
  FileDialogState dlg_;
  FileDialogState dlgJoin_;
  FileDialogState dlgJoinJ_;

  QLineEdit* txtSource_ = nullptr;
  QLabel* lblSize_ = nullptr;
  QLabel* lblTime_ = nullptr;
  QLineEdit* txtDirS_ = nullptr;
  QRadioButton* optSplit_[2] = {};
  QTreeWidget* lvwTask_ = nullptr;
  QLineEdit* txtSizeVal_ = nullptr;
  QComboBox* cboSize_ = nullptr;
  QPushButton* cmdAddTask_ = nullptr;
  QPushButton* cmdRemove_ = nullptr;
  QPushButton* cmdClear_ = nullptr;
  QProgressBar* ProgressBar1_ = nullptr;
  QLabel* lblPer_ = nullptr;

  QTreeWidget* lvwJoin_ = nullptr;
  QLineEdit* txtSaveFileName_ = nullptr;
  QProgressBar* ProgressBar2_ = nullptr;
  QLabel* lblJoinPer_ = nullptr;
};

}  // namespace trevasso::ui
