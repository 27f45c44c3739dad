// The main window under the offscreen platform, on a stub desktop, with real audio files.
#include <QAction>
#include <QCoreApplication>
#include <QDataStream>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cmath>
#include <functional>

#include "logic/info_captions.h"
#include "ui/frm_quorvane.h"
#include "ui/program_files.h"

namespace {

using namespace Qt::StringLiterals;
using namespace trevasso;

// A desktop that shows nothing: it records messages (a critical one marked "(x) "), dialogs and
// opened documents, and answers the dialogs from queues the test fills (an empty answer: Cancel).
struct StubDesktop final : ui::Desktop {
  void ShowMessage(QWidget*, ui::MessageIcon icon, const QString& text) override {
    messages.append(icon == ui::MessageIcon::Critical ? u"(x) "_s + text : text);
  }
  bool ShowOpenDialog(QWidget*, ui::FileDialogState& dialog) override {
    shownDialogs.append(dialog);  // as it was when shown
    const QStringList answer = openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
    if (!answer.isEmpty()) dialog.fileNames = answer;
    return !answer.isEmpty();
  }
  QString BrowseForFolder(QWidget*) override {
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
  }
  void ShellOpen(const QString& target) override { opened.append(target); }
  int RunModal(QDialog& dialog) override {  // `onModal` plays the user; without it, Cancel
    modalShown.append(dialog.objectName());
    onModal ? onModal(dialog) : dialog.reject();
    return dialog.result();
  }
  QStringList messages, opened, modalShown, folderAnswers;
  QList<QStringList> openAnswers;
  QList<ui::FileDialogState> shownDialogs;
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

// A 440 Hz tone as a mono 16-bit PCM WAVE file: the 44-byte header, then the samples.
void WriteToneWave(const QString& path, int milliseconds, qint32 rate = 44100) {
  const qint32 samples = rate * milliseconds / 1000;
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QDataStream out(&file);
  out.setByteOrder(QDataStream::LittleEndian);
  out.writeRawData("RIFF", 4);
  out << 36 + 2 * samples;
  out.writeRawData("WAVEfmt ", 8);
  out << 16 << qint16(1) << qint16(1) << rate << 2 * rate << qint16(2) << qint16(16);
  out.writeRawData("data", 4);
  out << 2 * samples;
  for (qint32 i = 0; i < samples; ++i) out << qint16(12000 * std::sin(6.2832 * 440 * i / rate));
}

class WindowTest : public QObject {
  Q_OBJECT

  // tone.wav: 3,000 ms of 44.1 kHz mono (264,644 bytes); second.wav 1,000 ms; other.wav 1,000 ms
  // at 8 kHz; lame makes tone.mp3 of tone.wav, second.mp3 and third.mp3 of second.wav.
  QTemporaryDir media_;
  const QString folder_ = media_.path(), wav_ = folder_ + u"/tone.wav"_s,
                wavb_ = folder_ + u"/second.wav"_s, wav8k_ = folder_ + u"/other.wav"_s,
                mp3_ = folder_ + u"/tone.mp3"_s, mp3b_ = folder_ + u"/second.mp3"_s,
                mp3c_ = folder_ + u"/third.mp3"_s;
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
  // Answers the next file dialog with `paths` (none: Cancel), then takes `steps`.
  void Choose(const QStringList& paths, const QString& steps) {
    desk_->openAnswers.append(paths);
    Act(*w_, steps);
  }
  void AddSections(const QString& steps) {
    desk_->onModal = [steps](QDialog& dialog) { Act(dialog, steps); };
    Act(*w_, u"cmdAddTask"_s);
  }
  // A run that succeeds: `progress` on the label and the bar (from a new window's 0), then hidden.
  void Run(const QString& button, const QString& bar, const QString& label, const QString& progress,
           const QString& message) {
    PaintRecorder barSeen(*w_, bar), labelSeen(*w_, label);
    Act(*w_, button);
    QCOMPARE(desk_->messages, QStringList{message});
    QCOMPARE(labelSeen.seen.join(u' ') + u'|' + barSeen.seen.join(u' '),
             progress + u"|0 "_s + progress);
    QCOMPARE(Shown(*w_, bar + u":visible "_s + label + u":visible"_s), u"false|false"_s);
  }

 private Q_SLOTS:
  void initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    WriteToneWave(wav_, 3000);
    WriteToneWave(wavb_, 1000);
    WriteToneWave(wav8k_, 1000, 8000);
    for (const auto& [wav, mp3] :
         {std::pair{wav_, mp3_}, std::pair{wavb_, mp3b_}, std::pair{wavb_, mp3c_}}) {
      QProcess lame;
      lame.start(QStringLiteral(TREVASSO_TEST_LAME), {u"--quiet"_s, u"-b"_s, u"128"_s, wav, mp3});
      QVERIFY2(lame.waitForFinished(60000) && lame.exitCode() == 0, "lame " TREVASSO_TEST_LAME);
    }
  }

  void init() { QVERIFY(NewWindow()); }
  void OpenShowsCaptionsAndFolder() {
    Choose({}, u"SSTab1=1 mnuFileSub(0)"_s);  // the File menu brings the cutter tab first
    QCOMPARE(Shown(*w_, u"SSTab1 txtSource txtDirS lblSize"_s), u"0|||Size:"_s);
    Choose({wav_}, u"cmdSrc"_s);
    QCOMPARE(
        Shown(*w_, u"lblSize lblTime txtDirS"_s),
        u"Size:     264,644 Bytes (258.44 KB)|Time:     3,000 MS (3 Seconds)|"_s + folder_ + u'/');
    desk_->folderAnswers = {u"/else"_s, u"   "_s, QString()};
    Act(*w_, u"cmdDirS cmdDirS cmdDirS"_s);
    QCOMPARE(Shown(*w_, u"txtDirS"_s), u"/else"_s);
    Choose({}, u"cmdSrc"_s);  // measures the same file again and resets the folder
    QCOMPARE(Shown(*w_, u"txtSource txtDirS"_s), wav_ + u'|' + folder_ + u'/');
    Choose({mp3_}, u"cmdSrc"_s);
    QVERIFY(w_->dblFiletime() > 3000 && w_->dblFiletime() < 3100);
    QCOMPARE(Shown(*w_, u"lblSize lblTime"_s),
             logic::SizeCaption(double(QFileInfo(mp3_).size()), QLocale()) + u'|' +
                 logic::TimeCaption(w_->dblFiletime(), QLocale()));
  }

  void AddSectionsBothWays() {
    QTemporaryDir folder;
    Choose({WriteFile(folder.filePath(u"empty.mp3"_s), {})}, u"cmdAddTask cmdSrc cmdAddTask"_s);
    Choose({wav_}, u"cmdSrc"_s);
    AddSections(
        u"OKButton optSplit(0) txtFixed=0 OKButton txtFixed= OKButton txtFixed=3001 "
        u"OKButton txtFixed=0.5 OKButton CancelButton"_s);
    QCOMPARE(desk_->messages,
             QStringList({u"Please open a file first!"_s, u"Please open a file first!"_s,
                          u"(x) The end time value must be larger than the start time value!"_s,
                          u"(x) Please enter a plus integer value!"_s,
                          u"(x) Please enter a plus integer value!"_s,
                          u"(x) The time value could not be longer than the file's total time"_s,
                          u"(x) The time value is too short, if cut by the size,\r\n it will "
                          u"generate more than 1000 files, \r\nPlease set a large value"_s}));
    desk_->onModal = [](QDialog& d) {
      QCOMPARE(d.size(), QSize(419, 353));
      QCOMPARE(Shown(d, u"Label7 sldStart:maximum lblStart(1) txtFixed:enabled"_s),
               u"Time:     3,000 MS (3 Seconds)|3000|3000 MS|false"_s);
      Act(d, u"optSplit(0) txtFixed= txtFixed+=1x0.0-0"_s);
      QCOMPARE(Shown(d, u"txtFixed frSE:enabled"_s), u"1000|false"_s);
      Act(d, u"OKButton"_s);
    };
    Act(*w_, u"cmdAddTask"_s);
    // The boxes move the sliders, which make the row; an end beyond the file moves nothing.
    AddSections(u"txtStart(0)= txtStart(0)+=5a00 txtStart(1)=1500 txtStart(1)=99999 OKButton"_s);
    AddSections(u"optSMH(1) sldStart=1 sldEnd=3 OKButton"_s);  // in seconds
    AddSections(u"sldEnd=1 OKButton"_s);                       // a start at 0 is written as 1
    QCOMPARE(desk_->modalShown, QStringList(5, u"frmAdd"_s));
    QCOMPARE(Column(Tasks(), 0) + u' ' + Column(Tasks(), 1), u"1|2|3|4|5|6 MS|MS|MS|MS|MS|MS"_s);
    QCOMPARE(Column(Tasks(), 2), u"1|1,001|2,001|500|1,000|1"_s);
    QCOMPARE(Column(Tasks(), 3), u"1,000|2,000|3,000|1,500|3,000|1"_s);
    QCOMPARE(desk_->messages.size(), 7);
  }

  void RemoveClearAndModes() {
    Choose({wav_}, u"cmdRemove cmdSrc"_s);
    AddSections(u"optSplit(0) txtFixed=600 OKButton"_s);
    Tick(Tasks(), {2, 4});
    Act(*w_, u"cmdRemove"_s);
    QCOMPARE(Column(Tasks(), 0) + u' ' + Column(Tasks(), 2), u"1|2|3 1|1,201|2,401"_s);
    desk_->folderAnswers = {u"/out"_s};  // nothing ticked: nothing goes, the names follow
    Act(*w_, u"cmdDirS cmdRemove"_s);
    QCOMPARE(Column(Tasks(), 4), u"/out/tone_001.wav|/out/tone_002.wav|/out/tone_003.wav"_s);
    Act(*w_, u"cmdClear"_s);
    QCOMPARE(Tasks()->topLevelItemCount(), 0);
    QCOMPARE(desk_->messages, QStringList{u"No files to remove"_s});
    const auto sides =
        u" cmdAddTask:enabled cmdRemove:enabled cmdClear:enabled lvwTask:enabled "
        u"txtSizeVal:enabled cboSize:enabled"_s;
    QCOMPARE(Shown(*w_, u"txtSizeVal cboSize"_s + sides), u"0|0|true|true|true|true|false|false"_s);
    Act(*w_, u"optSplit(1) txtSizeVal= txtSizeVal+=1a-.5"_s);
    QCOMPARE(Shown(*w_, sides.mid(1)), u"false|false|false|false|true|true"_s);
    Act(*w_, u"optSplit(0)"_s);
    QCOMPARE(Shown(*w_, u"txtSizeVal"_s + sides), u"1.5|true|true|true|true|false|false"_s);
  }

  // Each in a new window: the message, no output, and no progress unless the engine ran.
  void SplitAndJoinRefusals() {
    QTemporaryDir folder;
    const QString text = WriteFile(folder.filePath(u"notes.txt"_s), QByteArray(100, 't'));
    const QString first = folder.filePath(u"first.mp3"_s), out = folder.filePath(u"j.mp3"_s);
    QFile::copy(mp3_, first);
    const QString bySize = u"cmdSrc cmdDirS optSplit(1) "_s, join = u"cmdAddJoin cmdDirJ cmdJoin"_s;
    const QString noName = u"Please set a file name to save the joined file"_s;
    const QString notPositive = u"The size value must be larger than 0, please set it!"_s;
    const QString mixed = u"Please use only one format, can not join MP3 and WAV files together"_s;
    const std::tuple<QList<QStringList>, QString, QString> cases[] = {
        {{}, u"cmdDirS cmdSplit"_s, u"Please open a file to split!"_s},
        {{{wav_}},
         u"cmdSrc cmdDirS cmdSplit"_s,
         u"Please add sections to split, press the \"Add Sections...\" button to add ..."_s},
        {{{wav_}}, bySize + u"cmdSplit"_s, notPositive},
        {{{wav_}},
         bySize + u"txtSizeVal=264 cmdSplit"_s,
         u"The size value is too small, if cut by this size, \r\nIt will generate more than 1000 "
         u"files, please enter a larger value"_s},
        {{{wav_}}, bySize + u"txtSizeVal=2048 cboSize=2 cmdSplit"_s, u"Error parameter invalid"_s},
        {{{mp3_}, {out}}, join, u"Please add more than 2 files to join"_s},
        {{{mp3_, mp3b_}}, join, noName},
        {{{mp3_, mp3b_}, {u"   "_s}}, join, noName},
        {{{mp3_, wav_}, {out}}, join, mixed},
        {{{mp3_, text}, {out}},  // the engine gives any file a play time
         join,
         u"Please use only one format of MP3 or WAV files, can not support other formats!"_s},
        {{{wav_, wav8k_}, {out}}, join, u"Error WAV file diff"_s},  // refused by the engine
        {{{first, mp3b_}, {first}}, join, u"Error open file"_s}};
    for (const auto& [answers, steps, message] : cases) {
      QVERIFY(NewWindow());
      QTemporaryDir output;
      desk_->folderAnswers = {output.path()};
      desk_->openAnswers = answers;
      PaintRecorder cut(*w_, u"ProgressBar1"_s), joined(*w_, u"ProgressBar2"_s);
      Act(*w_, steps == join ? u"SSTab1=1 "_s + join : steps);
      QCOMPARE(desk_->messages, QStringList{message});
      const bool engineRan = steps == join && message.startsWith(u"Error"_s);
      QCOMPARE(cut.seen + joined.seen, engineRan ? QStringList{u"0"_s} : QStringList());
      QCOMPARE(Listing(output.path()) + Listing(folder.path()), u"first.mp3|notes.txt"_s);
    }
    QFile copy(first), original(mp3_);  // the listed output is left as it was
    QVERIFY(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original.readAll());
  }

  void Split_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("steps");  // a section length in ms, or how to split by size
    QTest::addColumn<QString>("pieces");
    QTest::addColumn<QString>("progress");
    // 1 s of the WAVE source is 88,200 bytes; by size, 102,400 bytes of its 264,600.
    const QString size = u"optSplit(1) cboSize=1 txtSizeVal="_s;
    QTest::newRow("wave by time") << wav_ << u"1000"_s
                                  << u"tone_001.wav 88244|tone_002.wav 88244|tone_003.wav 88244"_s
                                  << u"33 66 100"_s;
    QTest::newRow("mp3 by time") << mp3_ << u"2000"_s << u"tone_001.mp3|tone_002.mp3"_s
                                 << u"50 100"_s;
    QTest::newRow("wave by size") << wav_ << size + u"100"_s
                                  << u"tone_1.wav 102444|tone_2.wav 102444|tone_3.wav 59844"_s
                                  << u"33 66 100"_s;
    QTest::newRow("mp3 by size") << mp3_ << size + u"20"_s << u"tone_1.mp3|tone_2.mp3|tone_3.mp3"_s
                                 << u"33 66 100"_s;
  }

  void Split() {
    QFETCH(QString, source);
    QFETCH(QString, steps);
    QFETCH(QString, pieces);
    QFETCH(QString, progress);
    QTemporaryDir output;
    desk_->folderAnswers = {output.path()};
    Choose({source}, u"cmdSrc cmdDirS"_s);
    const bool bySize = steps.startsWith(u"opt"_s);
    if (bySize) Act(*w_, steps);
    if (!bySize) AddSections(u"optSplit(0) txtFixed="_s + steps + u" OKButton"_s);
    Run(u"cmdSplit"_s, u"ProgressBar1"_s, u"lblPer"_s, progress, u"Splitted successfully"_s);
    QCOMPARE(Listing(output.path()), pieces);
    QCOMPARE(Shown(*w_, u"txtSource"_s), source);  // the run leaves the inputs as they were
    QCOMPARE(Tasks()->topLevelItemCount(), bySize ? 0 : pieces.count(u'|') + 1);
  }

  void AddRemoveAndClearFiles() {
    QTemporaryDir folder;
    const QString junk = WriteFile(folder.filePath(u"junk.mp3"_s), QByteArray(4000, 'j'));
    const QString empty = WriteFile(folder.filePath(u"empty.wav"_s), {});
    // Duplicates, files without play time and missing ones are skipped.
    Choose({mp3_, mp3b_, mp3_, junk, empty, folder.filePath(u"missing.mp3"_s)}, u"cmdAddJoin"_s);
    QCOMPARE(Column(Files(), 0) + u' ' + Column(Files(), -1), u"1|2 -|-"_s);
    QCOMPARE(Column(Files(), 3), mp3_ + u'|' + mp3b_);
    QCOMPARE(Files()->topLevelItem(0)->text(2), QLocale().toString(QFileInfo(mp3_).size()));
    QVERIFY(Files()->topLevelItem(0)->text(1).startsWith(u"3,0"_s));
    QVERIFY(desk_->shownDialogs.back().multiSelect && desk_->shownDialogs.back().mustExist);
    Choose({mp3_}, u"cmdAddJoin"_s);  // each use starts without a name; a listed file is skipped
    QVERIFY(desk_->shownDialogs.back().fileNames.isEmpty());
    Tick(Files(), {1});
    Choose({mp3_}, u"cmdRemoveJoin cmdAddJoin"_s);         // removed and added again: at the bottom
    Choose({mp3c_, wav_}, u"cmdAddJoin cmdRemoveJoin"_s);  // nothing ticked: nothing goes
    Tick(Files(), {1, 3});
    Act(*w_, u"cmdRemoveJoin"_s);
    QCOMPARE(Column(Files(), 0) + u' ' + Column(Files(), 3), u"1|2 "_s + mp3_ + u'|' + wav_);
    Act(*w_, u"cmdClearJoin"_s);
    QCOMPARE(Files()->topLevelItemCount(), 0);
    QVERIFY(desk_->messages.isEmpty());
  }

  void MoveRows() {
    Choose({mp3_}, u"cmdMoveUp cmdMoveDown cmdAddJoin"_s);
    Files()->setCurrentItem(Files()->topLevelItem(0));
    Act(*w_, u"cmdMoveUp cmdMoveDown"_s);
    QCOMPARE(desk_->messages,
             QStringList({u"There is no file for move up, Please add files first"_s,
                          u"There is no file for move down, Please add files first"_s,
                          u"The file is already at the top."_s,
                          u"The file is already at the bottom."_s}));
    Choose({mp3b_, wav_}, u"cmdAddJoin"_s);
    Files()->clearSelection();
    Act(*w_, u"cmdMoveUp cmdMoveDown"_s);  // rows but no selection: nothing happens
    const QString rows = Column(Files(), 3);
    Files()->setCurrentItem(Files()->topLevelItem(1));
    Tick(Files(), {1});
    Act(*w_, u"cmdMoveUp"_s);
    QCOMPARE(rows, mp3_ + u'|' + mp3b_ + u'|' + wav_);
    QCOMPARE(Column(Files(), 3), mp3b_ + u'|' + mp3_ + u'|' + wav_);
    // Numbers and ticks stay with the positions; the selection follows the file.
    QCOMPARE(Column(Files(), 0) + u' ' + Column(Files(), -1), u"1|2|3 x|-|-"_s);
    QCOMPARE(Files()->selectedItems().value(0), Files()->topLevelItem(0));
    Act(*w_, u"cmdMoveDown"_s);
    QCOMPARE(Column(Files(), 3), rows);
    QCOMPARE(desk_->messages.size(), 4);
  }

  void Join_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("progress");
    QFile::copy(mp3_, folder_ + u"/x.MP3"_s);
    QTest::newRow("three mp3") << QStringList{mp3_, mp3b_, mp3c_} << u"j.mp3"_s << u"33 66 100"_s;
    // The header and the sample bytes of both.
    QTest::newRow("two wave") << QStringList{wav_, wavb_} << u"j.wav 352844"_s << u"50 100"_s;
    QTest::newRow("upper-case mp3")
        << QStringList{folder_ + u"/x.MP3"_s, mp3b_} << u"j.mp3"_s << u"50 100"_s;
  }

  void Join() {
    QFETCH(QStringList, files);
    QFETCH(QString, output);
    QFETCH(QString, progress);
    QTemporaryDir folder;
    const QString path = folder.filePath(output.left(5));
    // The output need not exist; a cancel leaves the name the dialog returned last.
    desk_->openAnswers = {files, {path}, {}};
    Act(*w_, u"SSTab1=1 cmdAddJoin cmdDirJ cmdDirJ"_s);
    QVERIFY(!desk_->shownDialogs.back().mustExist && !desk_->shownDialogs.back().multiSelect);
    Run(u"cmdJoin"_s, u"ProgressBar2"_s, u"lblJoinPer"_s, progress, u"Joinned successfully"_s);
    QCOMPARE(Listing(folder.path()), output);
    for (const QString& file : files) QVERIFY(QFileInfo(path).size() > QFileInfo(file).size());
    QCOMPARE(Column(Files(), 3) + u'|' + Shown(*w_, u"txtSaveFileName txtSaveFileName:readOnly"_s),
             files.join(u'|') + u'|' + path + u"|true"_s);  // kept for another run
  }

  // Renders the windows to PNG, into $TREVASSO_SCREENSHOTS when set (render_screenshots.sh), and
  // checks the main window's size, the help and the About box on the way.
  void WindowsHelpAndAbout() {
    QCOMPARE(In<QWidget>(*w_, u"Picture1"_s)->size(), QSize(496, 418));
    QCOMPARE(w_->minimumSize(), w_->maximumSize());
    QCOMPARE(In<QAction>(*w_, u"mnuHelpSub(0)"_s)->shortcut(), QKeySequence(Qt::Key_F1));
    QTemporaryDir scratch;
    const QString folder = qEnvironmentVariable("TREVASSO_SCREENSHOTS", scratch.path());
    const auto save = [&folder](QWidget& widget, const QString& name) {
      widget.show();
      QTest::qWait(50);
      QVERIFY(QDir().mkpath(folder) && widget.grab().save(folder + u'/' + name));
    };
    desk_->onModal = [&](QDialog& dialog) {
      save(dialog, u"add_sections.png"_s);
      Act(dialog, u"optSplit(0) txtFixed=700 OKButton"_s);
    };
    desk_->openAnswers = {{mp3_}, {mp3_, mp3b_, mp3c_}, {folder_ + u"/joined.mp3"_s}};
    Act(*w_, u"cmdSrc cmdAddTask cmdAddJoin cmdDirJ"_s);
    save(*w_, u"cutter.png"_s);
    Act(*w_, u"SSTab1=1"_s);
    save(*w_, u"joiner.png"_s);
    desk_->onModal = [&](QDialog& about) {
      QCOMPARE(about.size(), QSize(291, 139));
      QVERIFY(!In<QLabel>(about, u"Picture1"_s)->pixmap().isNull());
      Q_EMIT In<QLabel>(about, u"Label3"_s)->linkActivated(ui::ProductWebAddress());
      save(about, u"about.png"_s);
    };
    Act(*w_, u"mnuHelpSub(0) mnuHelpSub(2) mnuHelpSub(4)"_s);
    const QString dir = QCoreApplication::applicationDirPath();
    QCOMPARE(desk_->opened, QStringList({dir + u"/trevasso.chm"_s, dir + u"/help/index.html"_s,
                                         ui::ProductWebAddress()}));
  }
};

}  // namespace

QTEST_MAIN(WindowTest)
#include "window_test.moc"
