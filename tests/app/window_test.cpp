// The main window under the offscreen platform, on a stub desktop, with real audio files.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <optional>
#include <random>

#include "logic/info_captions.h"
#include "ui/frm_quorvane.h"
#include "ui/logic_edge.h"
#include "ui/qt_desktop.h"

namespace {

using namespace Qt::StringLiterals;
using namespace trevasso;

// A desktop that shows nothing: it records messages (a critical one marked "(x) ") and answers the
// dialogs from queues the test fills (an empty answer: Cancel).
struct StubDesktop final : ui::Desktop {
  void ShowMessage(QWidget*, ui::MessageIcon icon, const QString& text) override {
    messages.append(icon == ui::MessageIcon::Critical ? u"(x) "_s + text : text);
  }
  bool ShowOpenDialog(QWidget*, ui::FileDialogState& dialog) override {
    const QStringList answer = openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
    if (!answer.isEmpty()) dialog.fileNames = answer;
    return !answer.isEmpty();
  }
  QString BrowseForFolder(QWidget*, const QString& start) override {
    opened.append(u"picker "_s + start);
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
  }
  void ShellOpen(const QString& target) override { opened.append(target); }
  bool HasViewerFor(const QString&) override { return helpViewer; }
  int RunModal(QDialog& dialog) override {  // `onModal` plays the user; without it, Cancel
    onModal ? onModal(dialog) : dialog.reject();
    return dialog.result();
  }
  QStringList messages, folderAnswers;
  QStringList opened;  // what was handed to the desktop, and where the folder picker started
  bool helpViewer = false;
  QList<QStringList> openAnswers;
  std::function<void(QDialog&)> onModal;
};

// A control by its name; a test that names a missing one stops at once.
template <typename Control = QObject>
Control* In(QObject& parent, const QString& name) {
  auto* control = parent.findChild<Control*>(name);
  if (control == nullptr) qFatal("no control %s", qPrintable(name));
  return control;
}

// The control a step names, and "property" of "name:property" or else what a user sees.
std::pair<QObject*, QByteArray> Property(QObject& parent, const QString& step) {
  const QString name = step.section(u'=', 0, 0).remove(u'+');
  QObject* c = In(parent, name.section(u':', 0, 0));
  if (name.contains(u':')) return {c, name.section(u':', 1).toLatin1()};
  if (c->inherits("QAbstractSlider") || c->inherits("QProgressBar")) return {c, "value"};
  if (c->inherits("QComboBox") || c->inherits("QTabWidget")) return {c, "currentIndex"};
  return {c, c->inherits("QRadioButton") ? "checked" : "text"};
}

// What the controls named in `names` (separated by blanks) show, joined by "|".
QString Shown(QObject& parent, const QString& names) {
  QStringList shown;
  for (const QString& name : names.split(u' ')) {
    const auto [control, property] = Property(parent, name);
    shown.append(control->property(property.constData()).toString());
  }
  return shown.join(u'|');
}

// Plays the user's part in blank-separated steps: "name" clicks a button or triggers a menu
// entry, "name=value" writes the control's property, "name+=text" types the text into it.
void Act(QObject& parent, const QString& steps) {
  for (const QString& step : steps.split(u' ')) {
    const auto [control, property] = Property(parent, step);
    if (step.contains(u"+="_s)) {
      QTest::keyClicks(qobject_cast<QWidget*>(control), step.section(u'=', 1));
    } else if (step.contains(u'=')) {
      control->setProperty(property.constData(), step.section(u'=', 1));
    } else {
      QMetaObject::invokeMethod(control, control->inherits("QAction") ? "trigger" : "click");
    }
  }
}

// What a label or a progress bar showed each time it was painted (repeats and empty texts left
// out), so a test sees the progress the user saw while the engine held the thread.
struct PaintRecorder : QObject {
  PaintRecorder(QObject& w, const QString& name) { In(w, name)->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool paint = event->type() == QEvent::Paint;
    const QString now = paint ? Shown(*watched->parent(), watched->objectName()) : QString();
    if (!now.isEmpty() && seen.value(seen.size() - 1) != now) seen.append(now);
    return false;
  }
  QStringList seen;
};

// A list's column joined by "|"; column -1: "x" for a ticked row, "-" for another.
QString Column(QTreeWidget* list, int column) {
  QStringList texts;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = list->topLevelItem(i);
    texts.append(column >= 0 ? row->text(column) : row->checkState(0) ? u"x"_s : u"-"_s);
  }
  return texts.join(u'|');
}

void Tick(QTreeWidget* list, std::initializer_list<int> rows) {
  for (const int row : rows) list->topLevelItem(row - 1)->setCheckState(0, Qt::Checked);
}

// The files in `folder` joined by "|", a WAVE file with its size.
QString Listing(const QString& folder) {
  QStringList files;
  for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
    const bool wave = file.suffix() == u"wav"_s;
    files.append(file.fileName() + (wave ? u' ' + QString::number(file.size()) : QString()));
  }
  return files.join(u'|');
}

QString WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
  return path;
}

// Every file in `folder` with a digest of its bytes, joined by "|".
QString Contents(const QString& folder) {
  QStringList files;
  for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
    QFile file(info.filePath());
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
    files.append(info.fileName() + u' ' + QString::fromLatin1(digest));
  }
  return files.join(u'|');
}

// What `window` shows for each of `names` (blank-separated, joined by "|"): "title" its title,
// "name:tabs" the titles of a tab control, "name:headers" a list's column headers,
// "name:items" the entries of a list box, anything else as Shown() reads it.
QString CaptionsOf(QWidget& window, const QString& names) {
  QStringList shown;
  for (const QString& name : names.split(u' ')) {
    const QString kind = name.section(u':', 1);
    QObject* c = name == u"title"_s ? &window : In(window, name.section(u':', 0, 0));
    if (c == &window) {
      shown.append(window.windowTitle());
    } else if (auto* tabs = qobject_cast<QTabWidget*>(c); tabs && kind == u"tabs"_s) {
      for (int i = 0; i < tabs->count(); ++i) shown.append(tabs->tabText(i));
    } else if (auto* list = qobject_cast<QTreeWidget*>(c); list && kind == u"headers"_s) {
      for (int i = 0; i < list->columnCount(); ++i) shown.append(list->headerItem()->text(i));
    } else if (auto* box = qobject_cast<QComboBox*>(c); box && kind == u"items"_s) {
      for (int i = 0; i < box->count(); ++i) shown.append(box->itemText(i));
    } else {
      shown.append(Shown(window, name));
    }
  }
  return shown.join(u'|');
}

// The modal window that `show` opens on the real desktop, closed as soon as it is up: a message
// box as "title|icon|text|buttons", another window by its title.
QString ModalShown(const std::function<void()>& show) {
  QString seen;
  QTimer::singleShot(0, [&seen] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      const QString icon = box->icon() == QMessageBox::Critical      ? u"critical"_s
                           : box->icon() == QMessageBox::Information ? u"information"_s
                                                                     : u"other"_s;
      const bool ok = box->standardButtons() == QMessageBox::Ok;
      seen = QStringList{box->windowTitle(), icon, box->text(), ok ? u"OK"_s : u"?"_s}.join(u'|');
    } else if (modal != nullptr) {
      seen = modal->windowTitle();
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  });
  show();
  return seen;
}

// Every caption of `window` that is wider or taller than its control, by the font metrics
// against the geometry, and every control that reaches out of its parent, by name.
QStringList Clipped(QWidget& window) {
  QStringList clipped;
  for (QWidget* c : window.findChildren<QWidget*>()) {
    if (c->objectName().isEmpty() || c->objectName().startsWith(u"qt_"_s)) continue;
    const QFontMetrics fm(c->font());
    QSize text, room = c->contentsRect().size();
    if (auto* label = qobject_cast<QLabel*>(c); label && !label->text().isEmpty()) {
      text = label->wordWrap() || label->textFormat() == Qt::RichText
                 ? QSize(0, label->heightForWidth(room.width()))
                 : fm.size(Qt::TextSingleLine, label->text());
    } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
      QStyleOptionButton option;
      option.initFrom(button);
      const bool radio = qobject_cast<QRadioButton*>(c) != nullptr;
      room = c->style()
                 ->subElementRect(
                     radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents,
                     &option, button)
                 .size();
      text = fm.size(Qt::TextShowMnemonic, button->text());
    } else if (auto* list = qobject_cast<QTreeWidget*>(c)) {
      const QHeaderView* header = list->header();
      const int last = list->columnCount() - 1;
      for (int i = 0; i < last; ++i) {
        if (header->sectionSizeHint(i) > list->columnWidth(i))
          clipped.append(c->objectName() + u" column "_s + QString::number(i));
      }
      // The file name takes the rest of the row, and the header is tall enough for a caption
      // of two lines.
      const int rest = list->viewport()->width() - header->sectionPosition(last);
      if (list->isVisible() && list->columnWidth(last) != rest) {
        clipped.append(u"%1 file name %2 wide, not %3"_s.arg(c->objectName())
                           .arg(list->columnWidth(last))
                           .arg(rest));
      }
      if (header->height() < header->sizeHint().height())
        clipped.append(c->objectName() + u" header"_s);
    }
    if (text.width() > room.width() || text.height() > room.height()) {
      clipped.append(u"%1: %2x%3 in %4x%5"_s.arg(c->objectName())
                         .arg(text.width())
                         .arg(text.height())
                         .arg(room.width())
                         .arg(room.height()));
    }
    const QWidget* parent = c->parentWidget();
    if (c->isVisible() && parent && !parent->rect().contains(c->geometry()) &&
        !qobject_cast<const QTabWidget*>(parent) &&
        parent->objectName() != u"qt_tabwidget_stackedwidget"_s) {
      clipped.append(c->objectName() + u" out of "_s + parent->objectName());
    }
  }
  return clipped;
}

class WindowTest : public QObject {
  Q_OBJECT

  // tone.wav: 3,000 ms of 44.1 kHz mono (264,644 bytes); second.wav 1,000 ms; other.wav 1,000 ms
  // at 8 kHz; lame makes tone.mp3 of tone.wav, second.mp3 and third.mp3 of second.wav, and
  // other.mp3 (MPEG-2.5, 8 kHz) of other.wav.
  QTemporaryDir media_;
  const QString folder_ = media_.path(), wav_ = folder_ + u"/tone.wav"_s,
                wavb_ = folder_ + u"/second.wav"_s, wav8k_ = folder_ + u"/other.wav"_s,
                mp3_ = folder_ + u"/tone.mp3"_s, mp3b_ = folder_ + u"/second.mp3"_s,
                mp3c_ = folder_ + u"/third.mp3"_s, mp38k_ = folder_ + u"/other.mp3"_s;
  std::unique_ptr<StubDesktop> desk_;
  std::unique_ptr<ui::FrmQuorvane> w_;

  bool NewWindow() {
    w_.reset();
    desk_ = std::make_unique<StubDesktop>();
    w_ = std::make_unique<ui::FrmQuorvane>(*desk_);
    w_->show();
    return QTest::qWaitForWindowExposed(w_.get());
  }
  QTreeWidget* Tasks() { return In<QTreeWidget>(*w_, u"lvwTask"_s); }
  QTreeWidget* Files() { return In<QTreeWidget>(*w_, u"lvwJoin"_s); }
  void AddSections(const QString& steps) {
    desk_->onModal = [steps](QDialog& dialog) { Act(dialog, steps); };
    Act(*w_, u"cmdAddTask"_s);
  }

 private Q_SLOTS:
  void initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString sox = u"sox -n -b16 -c1 -r "_s, lame = TREVASSO_TEST_LAME u" --quiet -b 128 "_s;
    for (const QString& command : {sox + u"44100 "_s + wav_ + u" synth 3 sine 440"_s,
                                   sox + u"44100 "_s + wavb_ + u" synth 1 sine 440"_s,
                                   sox + u"8000 "_s + wav8k_ + u" synth 1 sine 440"_s,
                                   lame + wav_ + u' ' + mp3_, lame + wavb_ + u' ' + mp3b_,
                                   lame + wavb_ + u' ' + mp3c_, lame + wav8k_ + u' ' + mp38k_}) {
      QProcess process;
      process.startCommand(command);
      QVERIFY2(process.waitForFinished(60000) && process.exitCode() == 0, qPrintable(command));
    }
  }

  void init() { QVERIFY(NewWindow()); }
  // Fixed length, then start and end in milliseconds and in seconds (a start at 0 written as 1),
  // remove the ticked rows, clear, and switch to splitting by size.
  void AddRemoveClearAndModes() {
    desk_->openAnswers = {{wav_}};
    Act(*w_, u"cmdRemove cmdSrc"_s);
    AddSections(u"optSplit(0) txtFixed=3001 OKButton txtFixed=1000 OKButton"_s);
    AddSections(u"txtStart(0)= txtStart(0)+=5a00 txtStart(1)=1500 OKButton"_s);
    AddSections(u"optSMH(1) sldEnd=1 OKButton"_s);
    QCOMPARE(Column(Tasks(), 1) + u' ' + Column(Tasks(), 2) + u' ' + Column(Tasks(), 3),
             u"MS|MS|MS|MS|MS 1|1,001|2,001|500|1 1,000|2,000|3,000|1,500|1,000"_s);
    Tick(Tasks(), {2, 4});
    desk_->folderAnswers = {u"/out"_s};
    Act(*w_, u"cmdRemove cmdDirS cmdRemove"_s);  // then nothing ticked: nothing goes
    QCOMPARE(Column(Tasks(), 0) + u' ' + Column(Tasks(), 2) + u' ' + Column(Tasks(), 4),
             u"1|2|3 1|2,001|1 /out/tone_001.wav|/out/tone_002.wav|/out/tone_003.wav"_s);
    Act(*w_, u"cmdClear"_s);
    QCOMPARE(Tasks()->topLevelItemCount(), 0);
    QCOMPARE(desk_->messages,
             QStringList({u"No files to remove"_s,
                          u"(x) The time value could not be longer than the file's total time"_s}));
    const auto sides = u"cmdAddTask:enabled lvwTask:enabled txtSizeVal:enabled cboSize:enabled"_s;
    Act(*w_, u"optSplit(1) txtSizeVal= txtSizeVal+=1a-.5"_s);
    QCOMPARE(Shown(*w_, u"txtSizeVal "_s + sides), u"1.5|false|false|true|true"_s);
  }

  // Each in a new window: the progress on the label and the bar (from 0), then both hidden.
  void SplitAndJoin() {
    const QString join = u"SSTab1=1 cmdAddJoin cmdDirJ|cmdJoin ProgressBar2 lblJoinPer"_s;
    const std::tuple<QStringList, QString, QString, QString> cases[] = {
        {{wav_},  // 1 s of the WAVE source is 88,200 bytes
         u"cmdSrc cmdDirS cmdAddTask|cmdSplit ProgressBar1 lblPer"_s,
         u"33 66 100"_s,
         u"tone_001.wav 88244|tone_002.wav 88244|tone_003.wav 88244"_s},
        {{mp3_},
         u"cmdSrc cmdDirS optSplit(1) cboSize=1 txtSizeVal=20|cmdSplit ProgressBar1 lblPer"_s,
         u"33 66 100"_s,
         u"tone_1.mp3|tone_2.mp3|tone_3.mp3"_s},
        {{mp3_, mp3b_, mp3c_}, join, u"33 66 100"_s, u"j.mp3"_s},
        {{wav_, wavb_}, join, u"50 100"_s, u"j.wav 352844"_s}};  // the header and both samples
    for (const auto& [files, steps, progress, output] : cases) {
      QVERIFY(NewWindow());
      QTemporaryDir folder;
      desk_->folderAnswers = {folder.path()};
      desk_->openAnswers = {files, {folder.filePath(output.left(5))}};
      desk_->onModal = [](QDialog& d) { Act(d, u"optSplit(0) txtFixed=1000 OKButton"_s); };
      Act(*w_, steps.section(u'|', 0, 0));
      const QStringList run = steps.section(u'|', 1).split(u' ');
      PaintRecorder barSeen(*w_, run[1]), labelSeen(*w_, run[2]);
      Act(*w_, run[0]);
      QCOMPARE(desk_->messages, QStringList{run[0] == u"cmdJoin"_s ? u"Joinned successfully"_s
                                                                   : u"Splitted successfully"_s});
      QCOMPARE(labelSeen.seen.join(u' ') + u'|' + barSeen.seen.join(u' '),
               progress + u"|0 "_s + progress);
      QCOMPARE(Shown(*w_, run[1] + u":visible "_s + run[2] + u":visible"_s), u"false|false"_s);
      QCOMPARE(Listing(folder.path()), output);
    }
  }

  void JoinListRows() {
    QTemporaryDir folder;
    const QString junk = WriteFile(folder.filePath(u"junk.mp3"_s), QByteArray(4000, 'j'));
    desk_->openAnswers = {{mp3_}, {mp3b_, mp3_, junk, wav_}};
    Act(*w_, u"cmdMoveUp cmdAddJoin"_s);
    Files()->setCurrentItem(Files()->topLevelItem(0));
    // Duplicates and files without play time are skipped; new files go to the bottom.
    Act(*w_, u"cmdMoveDown cmdAddJoin"_s);
    Files()->setCurrentItem(Files()->topLevelItem(1));
    Tick(Files(), {1});
    Act(*w_, u"cmdMoveUp"_s);  // numbers and ticks stay with the positions
    QCOMPARE(Column(Files(), 0) + u' ' + Column(Files(), -1) + u' ' + Column(Files(), 3),
             u"1|2|3 x|-|- "_s + mp3b_ + u'|' + mp3_ + u'|' + wav_);
    Act(*w_, u"cmdRemoveJoin"_s);
    QCOMPARE(Column(Files(), 3), mp3_ + u'|' + wav_);
    Act(*w_, u"cmdClearJoin"_s);
    QCOMPARE(Files()->topLevelItemCount(), 0);
    QCOMPARE(desk_->messages,
             QStringList({u"There is no file for move up, Please add files first"_s,
                          u"The file is already at the bottom."_s}));
  }

  // Every message box of the windows, each row in a new window on a fresh folder "@" holding
  // copies cut.wav and cut.mp3 of tone.*, junk.wav and junk.mp3 (20 bytes that are no audio),
  // notes.txt, and a|b.mp3 (a copy of tone.mp3 whose name holds the list separator). `files`
  // answers the open dialogs in turn and `picker` the folder picker; `breaks` is overwritten
  // with junk before the last step, as a file that changed after it was listed. A critical box
  // is marked "(x) ". Whatever refuses or fails writes nothing and leaves every file as it was.
  // Then both icons as the desktop shows them: the program's title and one OK button.
  void Messages() {
    struct Row {
      QList<QStringList> files;
      QString steps, dialog, message, picker = u"@"_s, breaks = {};
    };
    const QString size = u"cmdSrc optSplit(1) txtSizeVal="_s;
    const QString join = u"cmdAddJoin cmdDirJ cmdJoin"_s;
    const QStringList cutWav{u"@/cut.wav"_s}, cutMp3{u"@/cut.mp3"_s};
    const QStringList outWav{u"@/j.wav"_s}, outMp3{u"@/j.mp3"_s}, twoMp3{u"@/cut.mp3"_s, mp3b_};
    const Row rows[] = {
        {{}, u"cmdAddTask"_s, {}, u"Please open a file first!"_s},
        {{}, u"cmdRemove"_s, {}, u"No files to remove"_s},
        {{}, u"cmdSplit"_s, {}, u"Please open a file to split!"_s},
        {{cutWav},
         u"cmdSrc cmdSplit"_s,
         {},
         u"Please add sections to split, press the \"Add Sections...\" button to add ..."_s},
        {{cutWav},
         size + u"0 cmdSplit"_s,
         {},
         u"The size value must be larger than 0, please set it!"_s},
        {{cutWav},
         size + u"100 cmdSplit"_s,
         {},  // 2,647 pieces
         u"The size value is too small, if cut by this size, \r\n"
         u"It will generate more than 1000 files, please enter a larger value"_s},
        {{cutWav}, size + u"2048 cboSize=2 cmdSplit"_s, {}, u"Error parameter invalid"_s},  // 2^31
        {{cutWav}, size + u"1 cboSize=2 cmdSplit"_s, {}, u"Error parameter invalid"_s},  // > file
        {{cutWav}, size + u"100 cboSize=1 cmdSplit"_s, {}, u"Splitted successfully"_s},
        {{cutWav},
         u"cmdSrc cmdDirS optSplit(1) txtSizeVal=100 cboSize=1 cmdSplit"_s,
         {},
         u"Error open file"_s,
         u"@/missing"_s},
        {{{u"@/junk.wav"_s}}, size + u"10 cmdSplit"_s, {}, u"File corrupted"_s},
        {{{u"@/junk.mp3"_s}}, size + u"10 cmdSplit"_s, {}, u"Error file not supported"_s},
        // Add Sections refuses OK.
        {{cutWav},
         u"cmdSrc cmdAddTask"_s,
         u"optSplit(0) OKButton"_s,
         u"(x) Please enter a plus integer value!"_s},
        {{cutWav},
         u"cmdSrc cmdAddTask"_s,
         u"optSplit(0) txtFixed=3001 OKButton"_s,
         u"(x) The time value could not be longer than the file's total time"_s},
        {{cutWav},
         u"cmdSrc cmdAddTask"_s,
         u"optSplit(0) txtFixed=2 OKButton"_s,  // 1,500
         u"(x) The time value is too short, if cut by the size,\r\n"
         u" it will generate more than 1000 files, \r\nPlease set a large value"_s},
        {{cutWav},
         u"cmdSrc cmdAddTask"_s,
         u"OKButton"_s,  // both sliders at the start
         u"(x) The end time value must be larger than the start time value!"_s},
        // Joiner.
        {{}, u"cmdMoveUp"_s, {}, u"There is no file for move up, Please add files first"_s},
        {{}, u"cmdMoveDown"_s, {}, u"There is no file for move down, Please add files first"_s},
        {{twoMp3}, u"cmdAddJoin cmdMoveUp"_s, {}, u"The file is already at the top."_s},
        {{cutMp3}, u"cmdAddJoin cmdMoveDown"_s, {}, u"The file is already at the bottom."_s},
        {{cutMp3, outMp3}, join, {}, u"Please add more than 2 files to join"_s},
        {{twoMp3},
         u"cmdAddJoin cmdJoin"_s,
         {},
         u"Please set a file name to save the joined file"_s},
        {{{u"@/cut.mp3"_s, u"@/cut.wav"_s}, outMp3},
         join,
         {},
         u"Please use only one format, can not join MP3 and WAV files together"_s},
        {{{u"@/cut.mp3"_s, u"@/notes.txt"_s}, outMp3},
         join,
         {},
         u"Please use only one format of MP3 or WAV files, can not support other formats!"_s},
        {{twoMp3, outMp3}, join, {}, u"Joinned successfully"_s},
        {{twoMp3, cutMp3}, join, {}, u"Error open file"_s},  // onto an input
        {{{u"@/cut.wav"_s, wavb_}, outWav}, join, {}, u"Error read file"_s, u"@"_s, u"@/cut.wav"_s},
        {{{u"@/cut.mp3"_s, mp38k_}, outMp3}, join, {}, u"Error file diff"_s},  // 44.1 and 8 kHz
        {{twoMp3, outMp3}, join, {}, u"Error file not supported"_s, u"@"_s, u"@/cut.mp3"_s},
        {{{u"@/cut.wav"_s, wav8k_}, outWav}, join, {}, u"Error WAV file diff"_s},
        {{{u"@/a|b.mp3"_s, mp3b_}, outMp3}, join, {}, u"Error parameter invalid"_s},
    };
    for (const Row& row : rows) {
      QVERIFY(NewWindow());
      QTemporaryDir dir;
      const QString at = dir.path();
      QVERIFY(QFile::copy(wav_, at + u"/cut.wav"_s) && QFile::copy(mp3_, at + u"/cut.mp3"_s) &&
              QFile::copy(mp3_, at + u"/a|b.mp3"_s));
      for (const char* junk : {"/junk.wav", "/junk.mp3"})
        WriteFile(at + QLatin1StringView(junk), QByteArray(20, 'j'));
      WriteFile(at + u"/notes.txt"_s, QByteArray(100, 't'));
      for (QStringList answer : row.files)
        desk_->openAnswers.append(answer.replaceInStrings(u"@"_s, at));
      desk_->folderAnswers = {QString(row.picker).replace(u'@', at)};
      if (!row.dialog.isEmpty()) desk_->onModal = [&row](QDialog& d) { Act(d, row.dialog); };
      QStringList steps = row.steps.split(u' ');
      const QString last = steps.takeLast();
      if (!steps.isEmpty()) Act(*w_, steps.join(u' '));
      if (!row.breaks.isEmpty()) WriteFile(QString(row.breaks).replace(u'@', at), "junk");
      const QString before = Contents(at);
      Act(*w_, last);
      QCOMPARE(desk_->messages, QStringList{row.message});
      if (!row.message.endsWith(u"successfully"_s)) QCOMPARE(Contents(at), before);
    }
    ui::QtDesktop desktop;
    for (const auto& [icon, shown] :
         {std::pair{ui::MessageIcon::Information, u"Pelluvex|information|Error open file|OK"_s},
          std::pair{ui::MessageIcon::Critical, u"Pelluvex|critical|Error open file|OK"_s}}) {
      const auto open = [&, icon] { desktop.ShowMessage(w_.get(), icon, u"Error open file"_s); };
      QCOMPARE(ModalShown(open), shown);
    }
  }

  // Every caption as the code writes it: window titles, labels, buttons, options, tab titles,
  // menu entries with their shortcuts, list headers, the size units; the main window before a
  // file is opened, the dialogs as they open on the 3,000 ms tone.wav; the folder picker's title.
  void Captions() {
    const std::tuple<QString, QString, QString> captions[] = {
        {u"frmQuorvane"_s, u"title SSTab1:tabs"_s, u"Pelluvex|MP3/WAV Cutter|MP3/WAV Joiner"_s},
        {u"frmQuorvane"_s, u"mnuFile:title mnuFileSub(0) mnuFileSub(1) mnuFileSub(3)"_s,
         u"&File|&Open ...|&Set Output Dir ...|&Exit"_s},
        {u"frmQuorvane"_s,
         u"mnuHelp:title mnuHelpSub(0) mnuHelpSub(0):shortcut mnuHelpSub(2) mnuHelpSub(4)"_s,
         u"&Help|&Contents|F1|&Visit us on website|&About Pelluvex ..."_s},
        {u"frmQuorvane"_s, u"Label1 cmdSrc lblSize lblTime Label5 cmdDirS"_s,
         u"Open File ( Only MP3 and WAV files are supported.)|...|Size:|Time:|"
         u"Set Output Dir for Saving the Splitted Files:|..."_s},
        {u"frmQuorvane"_s,
         u"optSplit(0):text cmdAddTask cmdRemove cmdClear optSplit(1):text Label3 cmdSplit"_s,
         u"Split by Time|&Add Sections ...|&Remove|&Clear All|Split by Size|Value:|"
         u"Start Splitting Now!!"_s},
        {u"frmQuorvane"_s, u"lvwTask:headers"_s, u"NO|Unit|Start Time|End Time|File Name"_s},
        {u"frmQuorvane"_s, u"cboSize:items"_s,
         u"Bytes (B)|Kilo Bytes (KB = 1024 B)|Mega Bytes (MB = 1024 KB)"_s},
        {u"frmQuorvane"_s, u"lvwJoin:headers"_s,
         u"NO|Play Time (MS)|File Size (Bytes)|File Name"_s},
        {u"frmQuorvane"_s,
         u"cmdAddJoin cmdRemoveJoin cmdClearJoin cmdMoveUp cmdMoveDown Label2 cmdDirJ cmdJoin"_s,
         u"&Add Files ...|&Remove|&Clear All|Move &Up|Move &Down|Save the Joined File to:|...|"
         u"Start Joining Now!!"_s},
        {u"frmQuorvane"_s, u"cmdSrc:accessibleName cmdDirS:accessibleName cmdDirJ:accessibleName"_s,
         u"Open source file|Choose output folder|Choose file to save the join to"_s},
        {u"frmAdd"_s, u"title Label7"_s, u"Add Sections|Time:     3,000 MS (3 Seconds)"_s},
        {u"frmAdd"_s, u"optSMH(0):text optSMH(1):text optSMH(2):text"_s,
         u"Mili Seconds (MS)|Seconds (S = 1000 MS)|Minutes (M = 60 S)"_s},
        {u"frmAdd"_s, u"optSplit(1):text Label1(0) Label1(1) Label5(0) lblStart(0)"_s,
         u"Add a task with Start Time and End Time as the following|Start Time|Mili Seconds|"
         u"1 MS|3000 MS"_s},
        {u"frmAdd"_s, u"Label2 Label1(2) Label5(1) lblStart(1)"_s,
         u"End Time|Mili Seconds|1 MS|3000 MS"_s},
        {u"frmAdd"_s, u"optSplit(0):text Label4 Label3 OKButton CancelButton"_s,
         u"Split the whole file by Fixed Time|Time Value|MS|OK|Cancel"_s},
        {u"dlgABout"_s, u"title Label1 lVer Label2"_s,
         u"About Pelluvex|Pelluvex|Version 1|"
         u"Split MP3 and WAVE audio; Join splitted MP3 or WAVE audio back"_s},
        {u"dlgABout"_s, u"Label3 Label3:toolTip"_s,
         u"<a href=\"https://tandrel.net/\" style=\"color:#0000ff\">https://tandrel.net/</a>|"
         u"https://tandrel.net/"_s},
    };
    QMap<QString, QString> seen;  // by window and names
    const auto read = [&](QWidget& window) {
      for (const auto& [name, names, expected] : captions) {
        if (name == window.objectName()) seen[name + u' ' + names] = CaptionsOf(window, names);
      }
    };
    read(*w_);
    desk_->openAnswers = {{wav_}};
    desk_->onModal = [&](QDialog& dialog) { read(dialog); };
    Act(*w_, u"cmdSrc cmdAddTask mnuHelpSub(4)"_s);
    for (const auto& [name, names, expected] : captions)
      QCOMPARE(seen.value(name + u' ' + names), expected);
    ui::QtDesktop desktop;
    QCOMPARE(ModalShown([&] { desktop.BrowseForFolder(w_.get(), folder_); }),
             u"Please locate a directory"_s);
  }

  // Help, web page and folder picker as handed to the desktop; Move on the current row, Delete,
  // drops; every button named for a screen reader.
  void ShellListsAndDrops() {
    Act(*w_, u"mnuHelpSub(0) mnuHelpSub(2) cmdDirS"_s);
    QCOMPARE(desk_->opened.value(0).section(u'/', -2), u"help/index.html"_s);
    QCOMPARE(desk_->opened.mid(1),
             QStringList({u"https://tandrel.net/"_s, u"picker "_s + QDir::homePath()}));
    const auto drop = [this](const QString& page, const QStringList& paths) {
      auto* data = new QMimeData;
      QList<QUrl> urls;
      for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
      data->setUrls(urls);
      QWidget* target = In<QWidget>(*w_, page);
      QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(target, &enter);
      QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(target, &event);
      delete data;
    };
    drop(u"SSTab1Tab0"_s, {folder_ + u"/notes.txt"_s, wav_, mp3_});
    QCOMPARE(Shown(*w_, u"txtSource txtDirS txtSource:toolTip"_s),
             wav_ + u'|' + folder_ + u"/|"_s + wav_);
    drop(u"SSTab1Tab1"_s, {mp3_, mp3b_, mp3_, wav_ + u"x"_s});
    QCOMPARE(Column(Files(), 3), mp3_ + u'|' + mp3b_);
    QCOMPARE(Files()->topLevelItem(1)->toolTip(3), mp3b_);
    Files()->setCurrentItem(Files()->topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
    Files()->clearSelection();
    Act(*w_, u"cmdMoveUp cmdMoveUp"_s);  // not selected, but current
    QCOMPARE(Column(Files(), 3), mp3b_ + u'|' + mp3_);
    Tick(Files(), {1});
    QTest::keyClick(Files(), Qt::Key_Delete);
    QCOMPARE(Column(Files(), 3), mp3_);
    QCOMPARE(desk_->messages, QStringList{u"The file is already at the top."_s});
    for (const QAbstractButton* button : w_->findChildren<QAbstractButton*>()) {
      if (button->objectName().startsWith(u"qt_"_s)) continue;  // the toolkit's own
      const QString name =
          QAccessible::queryAccessibleInterface(const_cast<QAbstractButton*>(button))
              ->text(QAccessible::Name);
      QVERIFY2(!name.isEmpty() && !name.startsWith(u'.'), qPrintable(button->objectName()));
    }
  }

  // What the desktop's file source hands the viewer rules: desktop entries in any letter case
  // and in subfolders, hidden files and folders and linked folders left out; bytes as stored.
  void DesktopFiles() {
    QTemporaryDir root;
    const QString apps = root.filePath(u"apps"_s);
    QByteArray junk(256, '\0');
    std::mt19937 random(99);
    for (char& c : junk) c = static_cast<char>(random() % 256);
    const auto write = [](const QString& path, const QByteArray& bytes) {
      QVERIFY(QDir().mkpath(QFileInfo(path).path()));
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    for (const char* name : {"a.desktop", "B.DESKTOP", ".c.desktop", ".hid/d.desktop",
                             "s/e.desktop", "f.txt", "g.desktop/x", "s/t/u.desktop"}) {
      write(apps + u'/' + QString::fromUtf8(name), junk);
    }
    write(root.filePath(u"l/k.desktop"_s), junk);
    QVERIFY(QFile::link(apps + u"/s"_s, apps + u"/link"_s));
    QVERIFY(QFile::link(root.filePath(u"l/k.desktop"_s), apps + u"/kl.desktop"_s));
    const ui::QtDesktopFiles files;
    QStringList found;
    for (const logic::DesktopEntryFile& entry : files.EntriesBelow(ui::ToUtf8(apps))) {
      QCOMPARE(ui::FromUtf8(entry.path), apps + u'/' + ui::FromUtf8(entry.relativePath));
      found.append(ui::FromUtf8(entry.relativePath));
    }
    found.sort();
    QCOMPARE(found, QStringList({u"B.DESKTOP"_s, u"a.desktop"_s, u"kl.desktop"_s, u"s/e.desktop"_s,
                                 u"s/t/u.desktop"_s}));
    QCOMPARE(files.ReadFile(ui::ToUtf8(apps + u"/s/e.desktop"_s)), junk.toStdString());
    QCOMPARE(files.ReadFile(ui::ToUtf8(apps + u"/none.desktop"_s)), std::nullopt);
    QCOMPARE(files.ReadFile(ui::ToUtf8(apps + u"/s"_s)), std::nullopt);
  }

  // Each window at 9, 11, 14 and 18 pt (18 pt: a 9 pt font on a screen of twice the density);
  // run again under QT_SCALE_FACTOR=2 by ctest.
  void Layout() {
    const QFont designFont = QApplication::font();
    for (const int points : {9, 11, 14, 18}) {
      QFont font = designFont;
      font.setPointSize(points);
      QApplication::setFont(font);
      QVERIFY(NewWindow());
      QStringList clipped;
      const QString at = u" at "_s + QString::number(points) + u" pt"_s;
      desk_->openAnswers = {{wav_}};
      desk_->onModal = [&](QDialog& d) {
        d.show();
        for (const QString& c : Clipped(d)) clipped.append(d.objectName() + u' ' + c + at);
        d.reject();
      };
      Act(*w_, u"cmdSrc cmdAddTask mnuHelpSub(4)"_s);
      for (const int tab : {0, 1}) {
        In<QTabWidget>(*w_, u"SSTab1"_s)->setCurrentIndex(tab);
        for (const QString& c : Clipped(*w_)) clipped.append(c + at);
      }
      clipped.removeDuplicates();
      QApplication::setFont(designFont);
      QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u"; "_s)));
    }
  }

  // Renders the windows to PNG, into $TREVASSO_SCREENSHOTS when set (render_screenshots.sh).
  // At 11 pt, the font of a stock GNOME desktop; a file name ends in $TREVASSO_SCREENSHOT_SUFFIX.
  void Screenshots() {
    QTemporaryDir scratch;
    const QString folder = qEnvironmentVariable("TREVASSO_SCREENSHOTS", scratch.path());
    const QString suffix = qEnvironmentVariable("TREVASSO_SCREENSHOT_SUFFIX");
    const QFont designFont = QApplication::font();
    QFont font = designFont;
    font.setPointSize(11);
    QApplication::setFont(font);
    QVERIFY(NewWindow());
    const auto save = [&folder, &suffix](QWidget& widget, QString name) {
      widget.show();
      QTest::qWait(100);
      name.replace(u".png"_s, suffix + u".png"_s);
      QVERIFY(QDir().mkpath(folder) && widget.grab().save(folder + u'/' + name));
    };
    desk_->onModal = [&](QDialog& dialog) {
      save(dialog, u"add_sections.png"_s);
      Act(dialog, u"optSplit(0) txtFixed=700 OKButton"_s);
    };
    desk_->openAnswers = {{mp3_}, {mp3_, mp3b_, mp3c_}, {folder_ + u"/joined.mp3"_s}};
    Act(*w_, u"cmdSrc cmdAddTask cmdAddJoin cmdDirJ"_s);  // a real MP3 and its captions
    const logic::PlatformFacts facts = ui::PlatformFactsOf(QLocale());
    QCOMPARE(Shown(*w_, u"lblSize lblTime"_s),
             ui::FromUtf8(logic::SizeCaption(double(QFileInfo(mp3_).size()), facts) + '|' +
                          logic::TimeCaption(w_->dblFiletime(), facts)));
    save(*w_, u"cutter.png"_s);
    Act(*w_, u"SSTab1=1"_s);
    save(*w_, u"joiner.png"_s);
    desk_->onModal = [&](QDialog& about) { save(about, u"about.png"_s); };
    Act(*w_, u"mnuHelpSub(4)"_s);
    QApplication::setFont(designFont);
  }
};

}  // namespace

QTEST_MAIN(WindowTest)
#include "window_test.moc"
