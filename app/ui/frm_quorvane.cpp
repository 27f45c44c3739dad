#include "ui/frm_quorvane.h"

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

#include "logic/open_file_filter.h"
#include "ui/dlg_about.h"
#include "ui/logic_edge.h"
#include "ui/main_title.h"
#include "ui/placement.h"
#include "ui/program_files.h"
#include "ui/program_icon.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

// Client area of 7440 x 6270 twips at 15 twips per pixel, at the design font.
constexpr QSize kClientSize(496, 418);
// Where the tab control sits inside Picture1; the same margin is kept right and below.
constexpr QPoint kTabOffset(6, 6);

std::string Narrow(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

}  // namespace

FrmQuorvane::FrmQuorvane(Desktop& desktop, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      desktop_(desktop) {
  setObjectName(u"frmQuorvane"_s);
  setWindowIcon(ProgramIcon());
  dblFiletime_ = 0;

  Picture1_ = new QWidget(this);
  Picture1_->setObjectName(u"Picture1"_s);
  Picture1_->installEventFilter(this);
  setCentralWidget(Picture1_);
  const Placement at(*this);
  SSTab1_ = at.Place<QTabWidget>(Picture1_, u"SSTab1"_s,
                                 QRect(kTabOffset, kClientSize - QSize(2, 2) * kTabOffset.x()));
  auto* cutter = new QWidget;
  cutter->setObjectName(u"SSTab1Tab0"_s);
  auto* joiner = new QWidget;
  joiner->setObjectName(u"SSTab1Tab1"_s);
  SSTab1_->addTab(cutter, u"MP3/WAV Cutter"_s);
  SSTab1_->addTab(joiner, u"MP3/WAV Joiner"_s);
  BuildCutterTab(cutter);
  BuildJoinerTab(joiner);
  cutterPage_ = cutter;
  joinerPage_ = joiner;
  for (QWidget* page : {cutter, joiner}) {
    page->setAcceptDrops(true);
    page->installEventFilter(this);
  }
  BuildMenus();

  // The client area below the menu bar has the fixed size, grown with the font; the window
  // cannot be resized.
  const QSize client = at.Size(kClientSize);
  Picture1_->setFixedSize(client);
  setFixedSize(client.width(), client.height() + menuBar()->sizeHint().height());
  setWindowTitle(kMainTitle);

  eventCookie_ =
      Tandrel1_.Advise([this](int dispid, std::int16_t value) { OnEngineEvent(dispid, value); });
}

FrmQuorvane::~FrmQuorvane() {
  Tandrel1_.Unadvise(eventCookie_);
}

void FrmQuorvane::BuildMenus() {
  struct Entry {
    QString caption;
    QKeySequence shortcut;
  };
  const auto addGroup = [this](const QString& caption, const QString& name, const QString& group,
                               const std::vector<Entry>& entries, void (FrmQuorvane::*click)(int)) {
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
      const Entry& entry = entries[static_cast<std::size_t>(i)];
      QAction* action =
          entry.caption == u"-"_s ? menu->addSeparator() : menu->addAction(entry.caption);
      action->setObjectName(Indexed(group, i));
      action->setShortcut(entry.shortcut);
      connect(action, &QAction::triggered, this, [this, click, i] { (this->*click)(i); });
    }
  };
  addGroup(u"&File"_s, u"mnuFile"_s, u"mnuFileSub"_s,
           {{u"&Open ..."_s, {}}, {u"&Set Output Dir ..."_s, {}}, {u"-"_s, {}}, {u"&Exit"_s, {}}},
           &FrmQuorvane::mnuFileSub_Click);
  addGroup(u"&Help"_s, u"mnuHelp"_s, u"mnuHelpSub"_s,
           {{u"&Contents"_s, QKeySequence(Qt::Key_F1)},
            {u"-"_s, {}},
            {u"&Visit us on website"_s, {}},
            {u"-"_s, {}},
            {u"&About Pelluvex ..."_s, {}}},
           &FrmQuorvane::mnuHelpSub_Click);
}

void FrmQuorvane::mnuFileSub_Click(int index) {
  switch (index) {
    case 0:
      SSTab1_->setCurrentIndex(0);
      cmdSrc_Click();
      break;
    case 1:
      SSTab1_->setCurrentIndex(0);
      cmdDirS_Click();
      break;
    case 3:
      close();
      break;
    default:
      break;
  }
}

void FrmQuorvane::mnuHelpSub_Click(int index) {
  switch (index) {
    case 0:
      OpenHelp();
      break;
    case 2:
      desktop_.ShellOpen(ProductWebAddress());
      break;
    case 4: {
      DlgAbout about(desktop_);
      desktop_.RunModal(about);
      break;
    }
    default:
      break;
  }
}

void FrmQuorvane::OpenHelp() {
  // A stock desktop has no viewer for the compiled help and would silently do nothing with it;
  // there the same pages open from the HTML help in the browser.
  const QString helpFile = ProgramFilePath(QString::fromUtf16(kHelpFileName));
  if (QFileInfo::exists(helpFile) && desktop_.HasViewerFor(helpFile)) {
    OpenProgramFile(QString::fromUtf16(kHelpFileName));
  } else {
    OpenProgramFile(QString::fromUtf16(kHtmlHelpFileName));
  }
}

void FrmQuorvane::OpenProgramFile(const QString& name) {
  desktop_.ShellOpen(ProgramFilePath(name));
}

bool FrmQuorvane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Picture1_ && event->type() == QEvent::Resize) ApplyResizeRule();
  if ((watched == cutterPage_ || watched == joinerPage_) && AcceptsDrop(watched, event))
    return true;
  // Delete on a list removes its ticked rows, as its Remove button does.
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    if (watched == lvwTask_) {
      cmdRemove_Click();
      return true;
    }
    if (watched == lvwJoin_) {
      cmdRemoveJoin_Click();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool FrmQuorvane::AcceptsDrop(QObject* watched, QEvent* event) {
  const auto audioFiles = [](const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls()) {
      if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    return FromUtf8(logic::DroppedAudioFiles(ToUtf8(paths)));
  };
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (audioFiles(drag->mimeData()).isEmpty()) {
        drag->ignore();
      } else {
        drag->acceptProposedAction();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList files = audioFiles(drop->mimeData());
      if (files.isEmpty()) return false;
      drop->acceptProposedAction();
      if (watched == cutterPage_) {
        OpenSource(files.first());
      } else {
        for (const QString& path : files) AddJoinFile(path);
        RenumberJoinList();
      }
      return true;
    }
    default:
      return false;
  }
}

void FrmQuorvane::ApplyResizeRule() {
  // Same margin right as left and below as above. While minimised the client area may be empty
  // and the sizes negative; a size that cannot be set keeps its old value.
  const int width = Picture1_->width() - 2 * SSTab1_->x();
  const int height = Picture1_->height() - 2 * SSTab1_->y();
  SSTab1_->resize(width >= 0 ? width : SSTab1_->width(), height >= 0 ? height : SSTab1_->height());
}

void FrmQuorvane::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (const QScreen* display = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(display->availableGeometry().center());
    move(frame.topLeft());
  }
}

tandrel::Variant FrmQuorvane::Invoke(int dispid, std::span<const tandrel::Variant> args) {
  return Tandrel1_.Invoke(dispid, args).result;
}

std::int16_t FrmQuorvane::InvokeForResultCode(int dispid, std::span<const tandrel::Variant> args) {
  const tandrel::DispatchResult call = Tandrel1_.Invoke(dispid, args);
  // A call the control refused has no result code; -1 shows no message.
  if (call.status != tandrel::DispatchStatus::Ok) return -1;
  return call.result.ShortValue();
}

std::int32_t FrmQuorvane::GetPlayTime(const QString& path) {
  const tandrel::Variant args[] = {tandrel::Variant(Narrow(path))};
  return Invoke(tandrel::CTandrelCtrl::kDispGetPlayTime, args).LongValue();
}

std::int32_t FrmQuorvane::GetFileSize(const QString& path) {
  const tandrel::Variant args[] = {tandrel::Variant(Narrow(path))};
  return Invoke(tandrel::CTandrelCtrl::kDispGetFileSize, args).LongValue();
}

void FrmQuorvane::OnEngineEvent(int dispid, std::int16_t value) {
  // StatusChange has no handler: the result code that follows it says the same.
  if (dispid == tandrel::CTandrelCtrl::kEventCut) Tandrel1_Cut(value);
  if (dispid == tandrel::CTandrelCtrl::kEventJoin) Tandrel1_Join(value);
}

void FrmQuorvane::Say(const QString& text) {
  desktop_.ShowMessage(this, MessageIcon::Information, text);
}

void FrmQuorvane::ShowNotice(const logic::Notice& notice) {
  desktop_.ShowMessage(this, IconOf(notice.icon), FromUtf8(notice.text));
}

logic::PlatformFacts FrmQuorvane::Facts() const {
  return PlatformFactsOf(locale());
}

void FrmQuorvane::ShowProgress(QProgressBar* bar, QLabel* label) {
  bar->show();
  label->show();
  // Draw them now; input waits until the run is over.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void FrmQuorvane::MoveProgress(QProgressBar* bar, QLabel* label, std::int16_t percent) {
  // A size cut of an MP3 source estimates its piece count and may end above 100.
  const int shown = std::clamp<int>(percent, 0, 100);
  label->setText(QString::number(std::min<int>(percent, 100)));
  bar->setValue(shown);
  // The engine holds the thread until the run ends, so draw now rather than at the next turn
  // of the event loop.
  label->repaint();
  bar->repaint();
  if (percent >= 100) {
    label->hide();
    bar->hide();
  }
}

}  // namespace trevasso::ui
