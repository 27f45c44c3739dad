// The cutter tab of the main window: source file and information, the section list, the split run.
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <cmath>

#include "logic/cut_checks.h"
#include "logic/info_captions.h"
#include "logic/number_mask.h"
#include "logic/open_file_filter.h"
#include "logic/path_routines.h"
#include "logic/piece_size.h"
#include "logic/section_list.h"
#include "logic/task_names.h"
#include "tandrel/result_messages.h"
#include "tandrel/tandrel.h"
#include "ui/frm_add.h"
#include "ui/frm_quorvane.h"
#include "ui/list_views.h"
#include "ui/logic_edge.h"
#include "ui/placement.h"
#include "ui/typing_filter.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

std::string Narrow(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

// The file system's length of `path`; 0 for a file that cannot be found.
qint64 FileLength(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() ? info.size() : 0;
}

}  // namespace

void FrmQuorvane::BuildCutterTab(QWidget* page) {
  const Placement at(*this);
  at.Place<QLabel>(page, u"Label1"_s, QRect(10, 8, 456, 18),
                   u"Open File ( Only MP3 and WAV files are supported.)"_s);
  txtSource_ = at.Place<QLineEdit>(page, u"txtSource"_s, QRect(10, 27, 420, 24));
  txtSource_->setReadOnly(true);
  txtSource_->setAcceptDrops(false);  // a dropped file goes to the tab, not into the box
  ShowWholeTextAsToolTip(*txtSource_);
  auto* cmdSrc = at.Place<QPushButton>(page, u"cmdSrc"_s, QRect(436, 27, 30, 24), u"..."_s);
  cmdSrc->setAccessibleName(u"Open source file"_s);
  lblSize_ = at.Place<QLabel>(page, u"lblSize"_s, QRect(10, 55, 456, 18), u"Size:"_s);
  lblTime_ = at.Place<QLabel>(page, u"lblTime"_s, QRect(10, 73, 456, 18), u"Time:"_s);
  at.Place<QLabel>(page, u"Label5"_s, QRect(10, 95, 456, 18),
                   u"Set Output Dir for Saving the Splitted Files:"_s);
  txtDirS_ = at.Place<QLineEdit>(page, u"txtDirS"_s, QRect(10, 114, 420, 24));
  txtDirS_->setReadOnly(true);
  txtDirS_->setAcceptDrops(false);
  ShowWholeTextAsToolTip(*txtDirS_);
  auto* cmdDirS = at.Place<QPushButton>(page, u"cmdDirS"_s, QRect(436, 114, 30, 24), u"..."_s);
  cmdDirS->setAccessibleName(u"Choose output folder"_s);

  auto* splitGroup = new QButtonGroup(page);
  optSplit_[0] = at.Place<QRadioButton>(page, Indexed(u"optSplit"_s, 0), QRect(10, 146, 200, 20),
                                        u"Split by Time"_s);
  lvwTask_ = at.Place<QTreeWidget>(page, u"lvwTask"_s, QRect(10, 168, 348, 124));
  SetUpTaskList(*lvwTask_, at.Scale());
  lvwTask_->installEventFilter(this);
  cmdAddTask_ = at.Place<QPushButton>(page, u"cmdAddTask"_s, QRect(364, 168, 102, 28),
                                      u"&Add Sections ..."_s);
  cmdRemove_ = at.Place<QPushButton>(page, u"cmdRemove"_s, QRect(364, 201, 102, 28), u"&Remove"_s);
  cmdClear_ = at.Place<QPushButton>(page, u"cmdClear"_s, QRect(364, 234, 102, 28), u"&Clear All"_s);

  optSplit_[1] = at.Place<QRadioButton>(page, Indexed(u"optSplit"_s, 1), QRect(10, 301, 120, 20),
                                        u"Split by Size"_s);
  at.Place<QLabel>(page, u"Label3"_s, QRect(132, 301, 44, 20), u"Value:"_s);
  txtSizeVal_ = at.Place<QLineEdit>(page, u"txtSizeVal"_s, QRect(178, 299, 84, 24), u"0"_s);
  txtSizeVal_->installEventFilter(new TypingFilter(true, txtSizeVal_));
  cboSize_ = at.Place<QComboBox>(page, u"cboSize"_s, QRect(268, 299, 198, 24));
  cboSize_->addItems(
      {u"Bytes (B)"_s, u"Kilo Bytes (KB = 1024 B)"_s, u"Mega Bytes (MB = 1024 KB)"_s});
  cboSize_->setCurrentIndex(0);
  for (int i = 0; i < 2; ++i) splitGroup->addButton(optSplit_[i], i);
  optSplit_[0]->setChecked(true);

  auto* cmdSplit = at.Place<QPushButton>(page, u"cmdSplit"_s, QRect(10, 333, 170, 30),
                                         u"Start Splitting Now!!"_s);
  ProgressBar1_ = at.Place<QProgressBar>(page, u"ProgressBar1"_s, QRect(190, 337, 230, 22));
  ProgressBar1_->setRange(0, 100);
  ProgressBar1_->setValue(0);
  ProgressBar1_->setTextVisible(false);
  ProgressBar1_->hide();
  lblPer_ = at.Place<QLabel>(page, u"lblPer"_s, QRect(426, 339, 40, 18));
  lblPer_->hide();

  connect(cmdSrc, &QPushButton::clicked, this, [this] { cmdSrc_Click(); });
  connect(cmdDirS, &QPushButton::clicked, this, [this] { cmdDirS_Click(); });
  connect(cmdAddTask_, &QPushButton::clicked, this, [this] { cmdAddTask_Click(); });
  connect(cmdRemove_, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
  connect(cmdClear_, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
  connect(splitGroup, &QButtonGroup::idClicked, this, [this](int id) { optSplit_Click(id); });
  connect(cmdSplit, &QPushButton::clicked, this, [this] { cmdSplit_Click(); });

  dlg_.objectName = u"dlg"_s;
  dlg_.filters = FromUtf8(logic::AudioFileFilters());
  optSplit_Click(0);
}

void FrmQuorvane::cmdSrc_Click() {
  desktop_.ShowOpenDialog(this, dlg_);
  // After a cancel the dialog still holds the previous choice, which is measured again.
  if (!dlg_.FileName().isEmpty()) {
    txtSource_->setText(dlg_.FileName());
    ShowFileInfo();
  }
  txtDirS_->setText(FromUtf8(logic::GetFolderPart(ToUtf8(txtSource_->text()), Facts())));
}

void FrmQuorvane::OpenSource(const QString& path) {
  // The open dialog offers the dropped file next time, as if it had been chosen there.
  dlg_.fileNames = {path};
  const QString folder = FromUtf8(logic::GetFolderPart(ToUtf8(path), Facts()));
  dlg_.directory = folder;
  txtSource_->setText(path);
  ShowFileInfo();
  txtDirS_->setText(folder);
}

void FrmQuorvane::cmdDirS_Click() {
  const std::string start =
      logic::FolderPickerStart(ToUtf8(txtDirS_->text()), ToUtf8(txtSource_->text()),
                               ToUtf8(QDir::homePath()), Facts(), IsFolder);
  const QString folder = desktop_.BrowseForFolder(this, FromUtf8(start));
  if (!logic::TrimBlanks(ToUtf8(folder)).empty()) txtDirS_->setText(folder);
}

void FrmQuorvane::ShowFileInfo() {
  const double time = GetPlayTime(txtSource_->text());
  const double size = GetFileSize(txtSource_->text());
  dblFiletime_ = time;
  lblSize_->setText(FromUtf8(logic::SizeCaption(size, Facts())));
  lblTime_->setText(FromUtf8(logic::TimeCaption(time, Facts())));
}

void FrmQuorvane::cmdAddTask_Click() {
  const QString source = txtSource_->text();
  if (const auto refusal =
          logic::AddSectionsRefusal(ToUtf8(source), dblFiletime_, FileLength(source))) {
    ShowNotice(*refusal);
    return;
  }
  FrmAdd frmAdd(desktop_, dblFiletime_, lblTime_->text(), *lvwTask_, this);
  frmAdd.SetSliderRange(0, static_cast<int>(logic::RoundHalfEven(dblFiletime_)));
  desktop_.RunModal(frmAdd);
  RefreshTaskNames();
}

void FrmQuorvane::cmdRemove_Click() {
  if (const auto refusal =
          logic::RemoveSectionsRefusal(static_cast<std::size_t>(lvwTask_->topLevelItemCount()))) {
    ShowNotice(*refusal);
    return;
  }
  RemoveTickedRows(*lvwTask_);
  RefreshTaskNames();
}

void FrmQuorvane::cmdClear_Click() {
  lvwTask_->clear();
}

void FrmQuorvane::optSplit_Click(int) {
  const bool byTime = optSplit_[0]->isChecked();
  const bool bySize = optSplit_[1]->isChecked();
  cmdAddTask_->setEnabled(byTime);
  cmdRemove_->setEnabled(byTime);
  cmdClear_->setEnabled(byTime);
  lvwTask_->setEnabled(byTime);
  cboSize_->setEnabled(bySize);
  txtSizeVal_->setEnabled(bySize);
}

void FrmQuorvane::RefreshTaskNames() {
  for (int i = 0; i < lvwTask_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = lvwTask_->topLevelItem(i);
    row->setText(kTaskNo, QString::number(i + 1));
    SetPath(*row, kTaskFileName,
            FromUtf8(logic::TaskFileName(ToUtf8(txtSource_->text()), ToUtf8(txtDirS_->text()),
                                         i + 1, Facts())));
  }
}

void FrmQuorvane::cmdSplit_Click() {
  const QString source = txtSource_->text();
  const bool byTime = optSplit_[0]->isChecked();
  const int rows = lvwTask_->topLevelItemCount();
  if (const auto refusal = logic::SplitRefusal(ToUtf8(source), FileLength(source), byTime,
                                               static_cast<std::size_t>(rows))) {
    ShowNotice(*refusal);
    return;
  }
  std::int16_t result = 0;
  std::string openFileName = Narrow(source);
  if (byTime) {
    if (static_cast<std::size_t>(rows) > logic::kMaxSections) {
      Say(QString::fromUtf8(tandrel::SplitResultMessage(TANDREL_ERROR_INVALID_PARAMETER)));
      return;
    }
    std::string cutTimeInfo = logic::BuildSectionList(ReadTaskRows(*lvwTask_), Facts());
    auto filesCount = static_cast<std::int16_t>(rows);
    ShowProgress(ProgressBar1_, lblPer_);
    const tandrel::Variant args[] = {tandrel::Variant(openFileName),
                                     tandrel::Variant::Ref(&cutTimeInfo),
                                     tandrel::Variant::Ref(&filesCount)};
    result = InvokeForResultCode(tandrel::CTandrelCtrl::kDispCutByTime, args);
  } else {
    const logic::PieceSize size = logic::ComputePieceSize(ToUtf8(txtSizeVal_->text()),
                                                          logic::SizeUnit(cboSize_->currentIndex()),
                                                          static_cast<double>(FileLength(source)));
    if (size.check != logic::PieceSizeCheck::Ok) {
      Say(size.check == logic::PieceSizeCheck::TooLarge
              ? QString::fromUtf8(tandrel::SplitResultMessage(TANDREL_ERROR_INVALID_PARAMETER))
              : FromUtf8(logic::PieceSizeMessage(size.check)));
      txtSizeVal_->setFocus();
      return;
    }
    ShowProgress(ProgressBar1_, lblPer_);
    const tandrel::Variant args[] = {tandrel::Variant(openFileName), tandrel::Variant(size.bytes),
                                     tandrel::Variant(Narrow(txtDirS_->text()))};
    result = InvokeForResultCode(tandrel::CTandrelCtrl::kDispCutBySize, args);
  }
  if (const char* message = tandrel::SplitResultMessage(result)) Say(QString::fromUtf8(message));
  ProgressBar1_->hide();
  lblPer_->hide();
}

void FrmQuorvane::Tandrel1_Cut(std::int16_t percent) {
  MoveProgress(ProgressBar1_, lblPer_, percent);
}

}  // namespace trevasso::ui
