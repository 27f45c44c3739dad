// The joiner tab of the main window: the join list and the join run.
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "logic/join_list.h"
#include "logic/number_mask.h"
#include "logic/open_file_filter.h"
#include "tandrel/result_messages.h"
#include "ui/frm_quorvane.h"
#include "ui/list_views.h"
#include "ui/logic_edge.h"
#include "ui/placement.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

std::string Narrow(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

}  // namespace

void FrmQuorvane::BuildJoinerTab(QWidget* page) {
  const Placement at(*this);
  lvwJoin_ = at.Place<QTreeWidget>(page, u"lvwJoin"_s, QRect(10, 10, 348, 244));
  SetUpJoinList(*lvwJoin_, at.Scale());
  lvwJoin_->installEventFilter(this);
  auto* cmdAddJoin =
      at.Place<QPushButton>(page, u"cmdAddJoin"_s, QRect(364, 10, 102, 28), u"&Add Files ..."_s);
  auto* cmdRemoveJoin =
      at.Place<QPushButton>(page, u"cmdRemoveJoin"_s, QRect(364, 43, 102, 28), u"&Remove"_s);
  auto* cmdClearJoin =
      at.Place<QPushButton>(page, u"cmdClearJoin"_s, QRect(364, 76, 102, 28), u"&Clear All"_s);
  auto* cmdMoveUp =
      at.Place<QPushButton>(page, u"cmdMoveUp"_s, QRect(364, 128, 102, 28), u"Move &Up"_s);
  auto* cmdMoveDown =
      at.Place<QPushButton>(page, u"cmdMoveDown"_s, QRect(364, 161, 102, 28), u"Move &Down"_s);

  at.Place<QLabel>(page, u"Label2"_s, QRect(10, 264, 420, 18), u"Save the Joined File to:"_s);
  txtSaveFileName_ = at.Place<QLineEdit>(page, u"txtSaveFileName"_s, QRect(10, 283, 420, 24));
  txtSaveFileName_->setReadOnly(true);
  txtSaveFileName_->setAcceptDrops(false);
  ShowWholeTextAsToolTip(*txtSaveFileName_);
  QFont arial = txtSaveFileName_->font();
  arial.setFamilies({u"Arial"_s, u"Liberation Sans"_s});
  txtSaveFileName_->setFont(arial);
  auto* cmdDirJ = at.Place<QPushButton>(page, u"cmdDirJ"_s, QRect(436, 283, 30, 24), u"..."_s);
  cmdDirJ->setAccessibleName(u"Choose file to save the join to"_s);

  auto* cmdJoin =
      at.Place<QPushButton>(page, u"cmdJoin"_s, QRect(10, 333, 170, 30), u"Start Joining Now!!"_s);
  ProgressBar2_ = at.Place<QProgressBar>(page, u"ProgressBar2"_s, QRect(190, 337, 230, 22));
  ProgressBar2_->setRange(0, 100);
  ProgressBar2_->setValue(0);
  ProgressBar2_->setTextVisible(false);
  ProgressBar2_->hide();
  lblJoinPer_ = at.Place<QLabel>(page, u"lblJoinPer"_s, QRect(426, 339, 40, 18));
  lblJoinPer_->hide();

  connect(cmdAddJoin, &QPushButton::clicked, this, [this] { cmdAddJoin_Click(); });
  connect(cmdRemoveJoin, &QPushButton::clicked, this, [this] { cmdRemoveJoin_Click(); });
  connect(cmdClearJoin, &QPushButton::clicked, this, [this] { cmdClearJoin_Click(); });
  connect(cmdMoveUp, &QPushButton::clicked, this, [this] { cmdMoveUp_Click(); });
  connect(cmdMoveDown, &QPushButton::clicked, this, [this] { cmdMoveDown_Click(); });
  connect(cmdDirJ, &QPushButton::clicked, this, [this] { cmdDirJ_Click(); });
  connect(cmdJoin, &QPushButton::clicked, this, [this] { cmdJoin_Click(); });

  dlgJoin_.objectName = u"dlgJoin"_s;
  dlgJoin_.filters = FromUtf8(logic::AudioFileFilters());
  dlgJoin_.multiSelect = true;
  dlgJoin_.mustExist = true;
  dlgJoinJ_.objectName = u"dlgJoinJ"_s;
  dlgJoinJ_.filters = FromUtf8(logic::AudioFileFilters());
}

void FrmQuorvane::cmdAddJoin_Click() {
  dlgJoin_.fileNames.clear();
  if (!desktop_.ShowOpenDialog(this, dlgJoin_)) return;
  for (const QString& path : dlgJoin_.fileNames) AddJoinFile(path);
  RenumberJoinList();
}

void FrmQuorvane::AddJoinFile(const QString& path) {
  const QFileInfo info(path);
  const qint64 length = info.isFile() ? info.size() : 0;
  if (length == 0) return;
  const std::int32_t playTime = GetPlayTime(path);
  if (playTime == 0) return;
  if (ColumnTexts(*lvwJoin_, kJoinFileName).contains(path)) return;
  AppendRow(*lvwJoin_,
            {QString(), FromUtf8(logic::FormatGrouped(playTime, Facts())),
             FromUtf8(logic::FormatGrouped(static_cast<double>(length), Facts())), path});
}

void FrmQuorvane::RenumberJoinList() {
  for (int i = 0; i < lvwJoin_->topLevelItemCount(); ++i) {
    lvwJoin_->topLevelItem(i)->setText(kJoinNo, QString::number(i + 1));
  }
}

void FrmQuorvane::SwapJoinRows(int target, int source) {
  QTreeWidgetItem* to = lvwJoin_->topLevelItem(target - 1);
  QTreeWidgetItem* from = lvwJoin_->topLevelItem(source - 1);
  if (to == nullptr || from == nullptr) return;
  // The numbers and the check boxes stay with the positions; the file moves.
  for (int column = kJoinPlayTime; column <= kJoinFileName; ++column) {
    const QString text = to->text(column);
    to->setText(column, from->text(column));
    from->setText(column, text);
  }
  SetPath(*to, kJoinFileName, to->text(kJoinFileName));
  SetPath(*from, kJoinFileName, from->text(kJoinFileName));
  lvwJoin_->setCurrentItem(to);
  lvwJoin_->setFocus();
}

void FrmQuorvane::cmdRemoveJoin_Click() {
  RemoveTickedRows(*lvwJoin_);
  RenumberJoinList();
  lvwJoin_->setFocus();
}

void FrmQuorvane::cmdClearJoin_Click() {
  lvwJoin_->clear();
}

void FrmQuorvane::cmdMoveUp_Click() {
  MoveJoinFile(logic::JoinMove::Up);
}

void FrmQuorvane::cmdMoveDown_Click() {
  MoveJoinFile(logic::JoinMove::Down);
}

void FrmQuorvane::MoveJoinFile(logic::JoinMove move) {
  const int position = MovePosition();
  const logic::JoinMoveTarget target =
      logic::MoveJoinFile(move, lvwJoin_->topLevelItemCount(), position);
  if (target.refusal) {
    ShowNotice(*target.refusal);
    return;
  }
  SwapJoinRows(target.position, position);
}

int FrmQuorvane::MovePosition() const {
  QTreeWidgetItem* current = lvwJoin_->currentItem();
  return current == nullptr ? 1 : lvwJoin_->indexOfTopLevelItem(current) + 1;
}

void FrmQuorvane::cmdDirJ_Click() {
  desktop_.ShowOpenDialog(this, dlgJoinJ_);
  if (!dlgJoinJ_.FileName().isEmpty()) txtSaveFileName_->setText(dlgJoinJ_.FileName());
}

void FrmQuorvane::cmdJoin_Click() {
  const std::vector<std::string> files = ToUtf8(ColumnTexts(*lvwJoin_, kJoinFileName));
  if (const auto refusal = logic::JoinRefusal(files, ToUtf8(txtSaveFileName_->text()))) {
    ShowNotice(*refusal);
    return;
  }
  ShowProgress(ProgressBar2_, lblJoinPer_);
  std::string filesToJoin = logic::BuildJoinList(files);
  auto filesCount = logic::JoinFilesCount(files.size());
  const tandrel::Variant args[] = {tandrel::Variant(Narrow(txtSaveFileName_->text())),
                                   tandrel::Variant::Ref(&filesToJoin),
                                   tandrel::Variant::Ref(&filesCount)};
  const std::int16_t result = InvokeForResultCode(tandrel::CTandrelCtrl::kDispJoin, args);
  if (const char* message = tandrel::JoinResultMessage(result)) Say(QString::fromUtf8(message));
  ProgressBar2_->hide();
  lblJoinPer_->hide();
}

void FrmQuorvane::Tandrel1_Join(std::int16_t percent) {
  MoveProgress(ProgressBar2_, lblJoinPer_, percent);
}

}  // namespace trevasso::ui
