#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "logic/info_captions.h"
#include "test_audio.h"
#include "test_media.h"
#include "ui/program_files.h"
#include "widget_test_suites.h"
#include "window_harness.h"

namespace trevasso::tests {
namespace {

using namespace Qt::StringLiterals;
using ui::MessageIcon;

const QString kSplitOk = u"Splitted successfully"_s;

// The dialog's controls by name, for a test playing the user's part in it.
template <typename Control>
Control* In(QDialog& dialog, const QString& name) {
  auto* control = dialog.findChild<Control*>(name);
  if (control == nullptr) qWarning("no control %s in the dialog", qPrintable(name));
  return control;
}

// Column `column` of every row of `list`.
QStringList Column(const QTreeWidget* list, int column) {
  QStringList texts;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    texts.append(list->topLevelItem(i)->text(column));
  }
  return texts;
}

class CutterWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<WindowHarness> h_;

  QTreeWidget* Tasks() const { return h_->Find<QTreeWidget>(u"lvwTask"_s); }
  QPushButton* Button(const QString& name) const { return h_->Find<QPushButton>(name); }

  void Open(const QString& path) {
    h_->desktop.openAnswers.push_back(QStringList{path});
    Button(u"cmdSrc"_s)->click();
  }

  void ChooseOutputFolder(const QString& folder) {
    h_->desktop.folderAnswers.push_back(folder);
    Button(u"cmdDirS"_s)->click();
  }

  // Opens Add Sections and asks for the whole file in pieces of `fixed` ms.
  void AddFixed(const QString& fixed) {
    h_->desktop.onModal = [fixed](QDialog& dialog) {
      In<QRadioButton>(dialog, u"optSplit(0)"_s)->click();
      In<QLineEdit>(dialog, u"txtFixed"_s)->setText(fixed);
      In<QPushButton>(dialog, u"OKButton"_s)->click();
    };
    Button(u"cmdAddTask"_s)->click();
    h_->desktop.onModal = nullptr;
  }

  void TickRows(std::initializer_list<int> rows) {
    for (const int row : rows) Tasks()->topLevelItem(row - 1)->setCheckState(0, Qt::Checked);
  }

 private Q_SLOTS:
  void initTestCase() { QVERIFY2(Media().error.isEmpty(), qPrintable(Media().error)); }

  void init() {
    h_ = std::make_unique<WindowHarness>();
    QVERIFY(h_->exposed);
  }
  void cleanup() { h_.reset(); }

  void WindowShell() {
    ui::FrmQuorvane& window = *h_->window;
    QCOMPARE(window.windowTitle(), u"Pelluvex"_s);
    QCOMPARE(window.objectName(), u"frmQuorvane"_s);
    auto* picture = h_->Find<QWidget>(u"Picture1"_s);
    QCOMPARE(picture->size(), QSize(496, 418));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    auto* tabs = h_->Find<QTabWidget>(u"SSTab1"_s);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), u"MP3/WAV Cutter"_s);
    QCOMPARE(tabs->tabText(1), u"MP3/WAV Joiner"_s);
    const QRect placed = tabs->geometry();
    QCOMPARE(picture->width() - placed.right() - 1, placed.left());
    QCOMPARE(picture->height() - placed.bottom() - 1, placed.top());

    window.showMinimized();
    window.showNormal();
    QCOMPARE(tabs->geometry(), placed);

    const QStringList file = {u"&Open ..."_s, u"&Set Output Dir ..."_s, QString(), u"&Exit"_s};
    const QStringList help = {u"&Contents"_s, QString(), u"&Visit us on website"_s, QString(),
                              u"&About Pelluvex ..."_s};
    for (int i = 0; i < file.size(); ++i) {
      QCOMPARE(h_->Find<QAction>(u"mnuFileSub(%1)"_s.arg(i))->text(), file[i]);
    }
    for (int i = 0; i < help.size(); ++i) {
      QCOMPARE(h_->Find<QAction>(u"mnuHelpSub(%1)"_s.arg(i))->text(), help[i]);
    }
    QCOMPARE(h_->Find<QAction>(u"mnuHelpSub(0)"_s)->shortcut(), QKeySequence(Qt::Key_F1));
  }

  void HelpMenu() {
    h_->Find<QAction>(u"mnuHelpSub(0)"_s)->trigger();
    h_->Find<QAction>(u"mnuHelpSub(2)"_s)->trigger();
    QCOMPARE(h_->desktop.opened,
             QStringList({QCoreApplication::applicationDirPath() + u"/trevasso.chm"_s,
                          QCoreApplication::applicationDirPath() + u"/help/index.html"_s}));

    QSize client;
    h_->desktop.onModal = [&client](QDialog& about) {
      client = about.size();
      QCOMPARE(about.objectName(), u"dlgABout"_s);
      QCOMPARE(about.windowTitle(), u"About Pelluvex"_s);
      QCOMPARE(In<QLabel>(about, u"Label1"_s)->text(), u"Pelluvex"_s);
      QCOMPARE(In<QLabel>(about, u"lVer"_s)->text(), u"Version 1"_s);
      QCOMPARE(In<QLabel>(about, u"Label2"_s)->text(),
               u"Split MP3 and WAVE audio; Join splitted MP3 or WAVE audio back"_s);
      QVERIFY(!In<QLabel>(about, u"Picture1"_s)->pixmap().isNull());
      QVERIFY(about.findChildren<QPushButton*>().isEmpty());
      Q_EMIT In<QLabel>(about, u"Label3"_s)->linkActivated(ui::ProductWebAddress());
    };
    h_->Find<QAction>(u"mnuHelpSub(4)"_s)->trigger();
    QCOMPARE(h_->desktop.modalShown, QStringList{u"dlgABout"_s});
    QCOMPARE(client, QSize(291, 139));
    QCOMPARE(h_->desktop.opened.size(), 3);
    QCOMPARE(h_->desktop.opened.last(), ui::ProductWebAddress());
    QVERIFY(h_->desktop.messages.empty());
  }

  void FileMenuBringsTheCutterTabFirst() {
    auto* tabs = h_->Find<QTabWidget>(u"SSTab1"_s);
    tabs->setCurrentIndex(1);
    h_->desktop.openAnswers.push_back(std::nullopt);
    h_->Find<QAction>(u"mnuFileSub(0)"_s)->trigger();
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(h_->desktop.shownDialogs.size(), std::size_t{1});
    const ui::FileDialogState& dlg = h_->desktop.shownDialogs.back();
    QCOMPARE(dlg.objectName, u"dlg"_s);
    QVERIFY(dlg.filters.value(0).startsWith(u"MP3 and WAV Audio Files(*.mp3;*.wav) ("_s));
    QVERIFY(!dlg.mustExist);

    tabs->setCurrentIndex(1);
    h_->Find<QAction>(u"mnuFileSub(1)"_s)->trigger();
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(h_->desktop.foldersAsked, 1);
  }

  void OpeningShowsSizeAndTime() {
    Open(Media().wav);
    QCOMPARE(h_->Find<QLineEdit>(u"txtSource"_s)->text(), Media().wav);
    QCOMPARE(h_->Find<QLabel>(u"lblSize"_s)->text(), u"Size:     264,644 Bytes (258.44 KB)"_s);
    QCOMPARE(h_->Find<QLabel>(u"lblTime"_s)->text(), u"Time:     3,000 MS (3 Seconds)"_s);
    QCOMPARE(h_->window->dblFiletime(), 3000.0);
    QCOMPARE(h_->Find<QLineEdit>(u"txtDirS"_s)->text(), Media().folder + u'/');

    Open(Media().mp3);
    const double length = static_cast<double>(QFileInfo(Media().mp3).size());
    QCOMPARE(h_->Find<QLabel>(u"lblSize"_s)->text(), logic::SizeCaption(length, QLocale()));
    const QString time = h_->Find<QLabel>(u"lblTime"_s)->text();
    QVERIFY2(time.startsWith(u"Time:     3,0"_s) && time.endsWith(u" MS (3 Seconds)"_s),
             qPrintable(time));
    QVERIFY(h_->window->dblFiletime() > 3000 && h_->window->dblFiletime() < 3100);
    QVERIFY(h_->desktop.messages.empty());
  }

  void CancelledOpenMeasuresAgainAndResetsTheFolder() {
    h_->desktop.openAnswers.push_back(std::nullopt);
    Button(u"cmdSrc"_s)->click();
    QCOMPARE(h_->Find<QLineEdit>(u"txtSource"_s)->text(), QString());
    QCOMPARE(h_->Find<QLineEdit>(u"txtDirS"_s)->text(), QString());
    QCOMPARE(h_->Find<QLabel>(u"lblSize"_s)->text(), u"Size:"_s);

    Open(Media().wav);
    ChooseOutputFolder(u"/somewhere/else"_s);
    QCOMPARE(h_->Find<QLineEdit>(u"txtDirS"_s)->text(), u"/somewhere/else"_s);
    ChooseOutputFolder(u"   "_s);
    ChooseOutputFolder(QString());
    QCOMPARE(h_->Find<QLineEdit>(u"txtDirS"_s)->text(), u"/somewhere/else"_s);

    h_->desktop.openAnswers.push_back(std::nullopt);
    Button(u"cmdSrc"_s)->click();
    QCOMPARE(h_->Find<QLineEdit>(u"txtSource"_s)->text(), Media().wav);
    QCOMPARE(h_->Find<QLineEdit>(u"txtDirS"_s)->text(), Media().folder + u'/');
    QCOMPARE(h_->Find<QLabel>(u"lblTime"_s)->text(), u"Time:     3,000 MS (3 Seconds)"_s);
    QCOMPARE(h_->desktop.shownDialogs.back().FileName(), Media().wav);
  }

  void AddSectionsNeedsAPlayableFile() {
    Button(u"cmdAddTask"_s)->click();
    const QString empty = NewOutputFolder() + u"/empty.mp3"_s;
    WriteFileBytes(empty, QByteArray());
    Open(empty);
    Button(u"cmdAddTask"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(),
             QStringList({u"Please open a file first!"_s, u"Please open a file first!"_s}));
    QCOMPARE(h_->desktop.messages.front().icon, MessageIcon::Information);
    QVERIFY(h_->desktop.modalShown.isEmpty());
  }

  void AddSectionsByFixedLength() {
    Open(Media().wav);
    h_->desktop.onModal = [](QDialog& dialog) {
      QCOMPARE(dialog.objectName(), u"frmAdd"_s);
      QCOMPARE(dialog.windowTitle(), u"Add Sections"_s);
      QCOMPARE(dialog.size(), QSize(419, 353));
      QCOMPARE(In<QLabel>(dialog, u"Label7"_s)->text(), u"Time:     3,000 MS (3 Seconds)"_s);
      QVERIFY(In<QRadioButton>(dialog, u"optSMH(0)"_s)->isChecked());
      QVERIFY(In<QRadioButton>(dialog, u"optSplit(1)"_s)->isChecked());
      QVERIFY(!In<QLineEdit>(dialog, u"txtFixed"_s)->isEnabled());
      QVERIFY(In<QWidget>(dialog, u"frSE"_s)->isEnabled());
      auto* start = In<QSlider>(dialog, u"sldStart"_s);
      QCOMPARE(start->minimum(), 0);
      QCOMPARE(start->maximum(), 3000);
      QCOMPARE(In<QLineEdit>(dialog, u"txtStart(0)"_s)->text(), u"0"_s);
      QCOMPARE(In<QLabel>(dialog, u"Label5(0)"_s)->text(), u"1 MS"_s);
      QCOMPARE(In<QLabel>(dialog, u"lblStart(1)"_s)->text(), u"3000 MS"_s);

      In<QRadioButton>(dialog, u"optSplit(0)"_s)->click();
      QVERIFY(In<QLineEdit>(dialog, u"txtFixed"_s)->isEnabled());
      QVERIFY(!In<QWidget>(dialog, u"frSE"_s)->isEnabled());
      QVERIFY(In<QWidget>(dialog, u"Frame1"_s)->isEnabled());
      auto* fixed = In<QLineEdit>(dialog, u"txtFixed"_s);
      fixed->clear();
      QTest::keyClicks(fixed, u"1x0.0-0"_s);
      QCOMPARE(fixed->text(), u"1000"_s);
      In<QPushButton>(dialog, u"OKButton"_s)->click();
    };
    Button(u"cmdAddTask"_s)->click();
    QCOMPARE(h_->desktop.modalShown, QStringList{u"frmAdd"_s});
    QCOMPARE(Column(Tasks(), 0), QStringList({u"1"_s, u"2"_s, u"3"_s}));
    QCOMPARE(Column(Tasks(), 1), QStringList({u"MS"_s, u"MS"_s, u"MS"_s}));
    QCOMPARE(Column(Tasks(), 2), QStringList({u"1"_s, u"1,001"_s, u"2,001"_s}));
    QCOMPARE(Column(Tasks(), 3), QStringList({u"1,000"_s, u"2,000"_s, u"3,000"_s}));
    const QString f = Media().folder;
    QCOMPARE(Column(Tasks(), 4),
             QStringList({f + u"/tone_001.wav"_s, f + u"/tone_002.wav"_s, f + u"/tone_003.wav"_s}));
    QVERIFY(h_->desktop.messages.empty());
  }

  void AddSectionsByStartAndEnd() {
    Open(Media().wav);
    h_->desktop.onModal = [](QDialog& dialog) {
      auto* start = In<QSlider>(dialog, u"sldStart"_s);
      auto* end = In<QSlider>(dialog, u"sldEnd"_s);
      auto* startBox = In<QLineEdit>(dialog, u"txtStart(0)"_s);
      auto* endBox = In<QLineEdit>(dialog, u"txtStart(1)"_s);
      startBox->clear();
      QTest::keyClicks(startBox, u"5a00"_s);
      QCOMPARE(startBox->text(), u"500"_s);
      QCOMPARE(start->value(), 500);
      endBox->setText(u"1500"_s);
      endBox->setText(u"99999"_s);  // beyond the file: the slider stays
      QCOMPARE(end->value(), 1500);
      start->setValue(700);
      QCOMPARE(startBox->text(), u"700"_s);
      In<QPushButton>(dialog, u"OKButton"_s)->click();
    };
    Button(u"cmdAddTask"_s)->click();

    // In seconds the sliders count seconds; the row holds milliseconds.
    h_->desktop.onModal = [](QDialog& dialog) {
      In<QRadioButton>(dialog, u"optSMH(1)"_s)->click();
      auto* end = In<QSlider>(dialog, u"sldEnd"_s);
      QCOMPARE(end->maximum(), 3);
      QCOMPARE(In<QLabel>(dialog, u"Label5(1)"_s)->text(), u"0 S"_s);
      QCOMPARE(In<QLabel>(dialog, u"lblStart(1)"_s)->text(), u"3 S"_s);
      QCOMPARE(In<QLabel>(dialog, u"Label1(2)"_s)->text(), u"Mili Seconds"_s);
      In<QSlider>(dialog, u"sldStart"_s)->setValue(1);
      end->setValue(3);
      In<QPushButton>(dialog, u"OKButton"_s)->click();
    };
    Button(u"cmdAddTask"_s)->click();

    // Start at 0 is written as 1.
    h_->desktop.onModal = [](QDialog& dialog) {
      In<QSlider>(dialog, u"sldEnd"_s)->setValue(1);
      In<QPushButton>(dialog, u"OKButton"_s)->click();
    };
    Button(u"cmdAddTask"_s)->click();

    QCOMPARE(Column(Tasks(), 0), QStringList({u"1"_s, u"2"_s, u"3"_s}));
    QCOMPARE(Column(Tasks(), 2), QStringList({u"700"_s, u"1,000"_s, u"1"_s}));
    QCOMPARE(Column(Tasks(), 3), QStringList({u"1,500"_s, u"3,000"_s, u"1"_s}));
    QCOMPARE(Tasks()->topLevelItem(1)->text(4), Media().folder + u"/tone_002.wav"_s);
  }

  void AddSectionsRefusals() {
    Open(Media().wav);
    h_->desktop.onModal = [this](QDialog& dialog) {
      auto* ok = In<QPushButton>(dialog, u"OKButton"_s);
      ok->click();  // both sliders at 0
      In<QRadioButton>(dialog, u"optSplit(0)"_s)->click();
      auto* fixed = In<QLineEdit>(dialog, u"txtFixed"_s);
      for (const QString& value : {u"0"_s, QString(), u"3001"_s, u"0.5"_s}) {
        fixed->setText(value);
        ok->click();
      }
      QCOMPARE(dialog.result(), int{QDialog::Rejected});
      QCOMPARE(Tasks()->topLevelItemCount(), 0);
      In<QPushButton>(dialog, u"CancelButton"_s)->click();
    };
    Button(u"cmdAddTask"_s)->click();
    const QString tooShort =
        u"The time value is too short, if cut by the size,\r\n it will generate more than 1000 "
        u"files, \r\nPlease set a large value"_s;
    QCOMPARE(h_->desktop.MessageTexts(),
             QStringList(
                 {u"The end time value must be larger than the start time value!"_s,
                  u"Please enter a plus integer value!"_s, u"Please enter a plus integer value!"_s,
                  u"The time value could not be longer than the file's total time"_s, tooShort}));
    for (const StubDesktop::Message& message : h_->desktop.messages) {
      QCOMPARE(message.icon, MessageIcon::Critical);
    }
    QCOMPARE(Tasks()->topLevelItemCount(), 0);
  }

  void RemoveRenumbersAndRenames() {
    Button(u"cmdRemove"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList{u"No files to remove"_s});

    Open(Media().wav);
    AddFixed(u"600"_s);
    QCOMPARE(Tasks()->topLevelItemCount(), 5);
    TickRows({2, 4});
    Button(u"cmdRemove"_s)->click();
    QCOMPARE(Column(Tasks(), 0), QStringList({u"1"_s, u"2"_s, u"3"_s}));
    QCOMPARE(Column(Tasks(), 2), QStringList({u"1"_s, u"1,201"_s, u"2,401"_s}));
    const QString f = Media().folder;
    QCOMPARE(Column(Tasks(), 4),
             QStringList({f + u"/tone_001.wav"_s, f + u"/tone_002.wav"_s, f + u"/tone_003.wav"_s}));

    // Nothing ticked: nothing goes, but the names follow the current output folder.
    ChooseOutputFolder(u"/out"_s);
    QCOMPARE(Tasks()->topLevelItem(0)->text(4), f + u"/tone_001.wav"_s);
    Button(u"cmdRemove"_s)->click();
    QCOMPARE(Column(Tasks(), 4),
             QStringList({u"/out/tone_001.wav"_s, u"/out/tone_002.wav"_s, u"/out/tone_003.wav"_s}));

    Button(u"cmdClear"_s)->click();
    QCOMPARE(Tasks()->topLevelItemCount(), 0);
    QCOMPARE(h_->desktop.messages.size(), std::size_t{1});
  }

  void ModeSwitchEnablesOneSide() {
    auto* value = h_->Find<QLineEdit>(u"txtSizeVal"_s);
    auto* unit = h_->Find<QComboBox>(u"cboSize"_s);
    const QList<QWidget*> timeSide = {Button(u"cmdAddTask"_s), Button(u"cmdRemove"_s),
                                      Button(u"cmdClear"_s), Tasks()};
    const auto check = [&](bool byTime) {
      for (QWidget* control : timeSide) QCOMPARE(control->isEnabled(), byTime);
      QCOMPARE(value->isEnabled(), !byTime);
      QCOMPARE(unit->isEnabled(), !byTime);
    };
    QVERIFY(h_->Find<QRadioButton>(u"optSplit(0)"_s)->isChecked());
    QCOMPARE(value->text(), u"0"_s);
    QCOMPARE(unit->count(), 3);
    QCOMPARE(unit->itemText(0), u"Bytes (B)"_s);
    QCOMPARE(unit->itemText(1), u"Kilo Bytes (KB = 1024 B)"_s);
    QCOMPARE(unit->itemText(2), u"Mega Bytes (MB = 1024 KB)"_s);
    QCOMPARE(unit->currentIndex(), 0);
    check(true);
    h_->Find<QRadioButton>(u"optSplit(1)"_s)->click();
    check(false);
    value->clear();
    QTest::keyClicks(value, u"1a-.5"_s);
    QCOMPARE(value->text(), u"1.5"_s);
    h_->Find<QRadioButton>(u"optSplit(0)"_s)->click();
    check(true);
    QCOMPARE(value->text(), u"1.5"_s);
  }

  void SplitRefusals_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("bySize");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("message");
    QTest::newRow("no source") << false << false << QString() << 0
                               << u"Please open a file to split!"_s;
    QTest::newRow("no sections")
        << true << false << QString() << 0
        << u"Please add sections to split, press the \"Add Sections...\" button to add ..."_s;
    QTest::newRow("size 0") << true << true << u"0"_s << 0
                            << u"The size value must be larger than 0, please set it!"_s;
    QTest::newRow("size not a number") << true << true << u"1.2.3"_s << 1
                                       << u"The size value must be larger than 0, please set it!"_s;
    QTest::newRow("rounds to 0 bytes") << true << true << u"0.4"_s << 0
                                       << u"The size value must be larger than 0, please set it!"_s;
    QTest::newRow("more than 1000 pieces")
        << true << true << u"264"_s << 0
        << u"The size value is too small, if cut by this size, \r\nIt will generate more than "
           u"1000 files, please enter a larger value"_s;
    QTest::newRow("beyond 32 bits")
        << true << true << u"2048"_s << 2 << u"Error parameter invalid"_s;
  }
  void SplitRefusals() {
    QFETCH(bool, open);
    QFETCH(bool, bySize);
    QFETCH(QString, value);
    QFETCH(int, unit);
    QFETCH(QString, message);
    const QString output = NewOutputFolder();
    if (open) Open(Media().wav);
    ChooseOutputFolder(output);
    if (bySize) {
      h_->Find<QRadioButton>(u"optSplit(1)"_s)->click();
      h_->Find<QLineEdit>(u"txtSizeVal"_s)->setText(value);
      h_->Find<QComboBox>(u"cboSize"_s)->setCurrentIndex(unit);
    }
    auto bar = PaintRecorder::Value(h_->Find<QProgressBar>(u"ProgressBar1"_s));
    Button(u"cmdSplit"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList{message});
    QCOMPARE(h_->desktop.messages.front().icon, MessageIcon::Information);
    QVERIFY(bar->seen.isEmpty());
    QVERIFY(QDir(output).isEmpty());
  }

  void SplitByTime_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("extension");
    QTest::newRow("wave") << Media().wav << u"wav"_s;
    QTest::newRow("mp3") << Media().mp3 << u"mp3"_s;
  }
  void SplitByTime() {
    QFETCH(QString, source);
    QFETCH(QString, extension);
    Open(source);
    const QString output = NewOutputFolder();
    ChooseOutputFolder(output);
    AddFixed(u"1000"_s);
    // A last, shorter section follows when at least 2 ms are left after the full seconds.
    const int sections = h_->window->dblFiletime() - 3000 >= 2 ? 4 : 3;
    QCOMPARE(Tasks()->topLevelItemCount(), sections);
    const QStringList pieces = Column(Tasks(), 4);
    auto label = PaintRecorder::Text(h_->Find<QLabel>(u"lblPer"_s));
    auto bar = PaintRecorder::Value(h_->Find<QProgressBar>(u"ProgressBar1"_s));

    Button(u"cmdSplit"_s)->click();

    QCOMPARE(h_->desktop.MessageTexts(), QStringList{kSplitOk});
    QCOMPARE(h_->desktop.messages.front().icon, MessageIcon::Information);
    const QStringList progress = pieces.size() == 3
                                     ? QStringList{u"33"_s, u"66"_s, u"100"_s}
                                     : QStringList{u"25"_s, u"50"_s, u"75"_s, u"100"_s};
    QCOMPARE(label->seen, progress);
    // Until the first notification the bar shows what the last run left: 0 in a new window.
    QCOMPARE(bar->seen, QStringList{u"0"_s} + progress);
    QVERIFY(!h_->Find<QLabel>(u"lblPer"_s)->isVisible());
    QVERIFY(!h_->Find<QProgressBar>(u"ProgressBar1"_s)->isVisible());
    for (int i = 0; i < pieces.size(); ++i) {
      QCOMPARE(pieces[i], output + u"/tone_00%1.%2"_s.arg(i + 1).arg(extension));
      const QByteArray bytes = ReadFileBytes(pieces[i]);
      QVERIFY2(bytes.size() > 44, qPrintable(pieces[i]));
      if (extension == u"wav"_s) {
        QVERIFY(bytes.startsWith("RIFF"));
      } else {  // begins with an MPEG frame header
        QCOMPARE(quint8(bytes[0]), quint8(0xFF));
        QCOMPARE(quint8(bytes[1]) & 0xE0, 0xE0);
      }
    }
    // The run leaves every input as it was, so the same click can be repeated.
    QCOMPARE(Tasks()->topLevelItemCount(), pieces.size());
    QCOMPARE(h_->Find<QLineEdit>(u"txtSource"_s)->text(), source);
  }

  void SplitBySize() {
    Open(Media().wav);
    const QString output = NewOutputFolder();
    ChooseOutputFolder(output);
    h_->Find<QRadioButton>(u"optSplit(1)"_s)->click();
    h_->Find<QLineEdit>(u"txtSizeVal"_s)->setText(u"100"_s);
    h_->Find<QComboBox>(u"cboSize"_s)->setCurrentIndex(1);
    auto label = PaintRecorder::Text(h_->Find<QLabel>(u"lblPer"_s));

    Button(u"cmdSplit"_s)->click();

    QCOMPARE(h_->desktop.MessageTexts(), QStringList{kSplitOk});
    QCOMPARE(label->seen, QStringList({u"33"_s, u"66"_s, u"100"_s}));
    // 264,600 data bytes in pieces of 102,400, each under its own 44-byte header.
    const qint64 sizes[] = {102444, 102444, 59844};
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(QFileInfo(output + u"/tone_%1.wav"_s.arg(i + 1)).size(), sizes[i]);
    }
    QCOMPARE(QDir(output).entryList(QDir::Files).size(), 3);

    Open(Media().mp3);  // the output folder goes back to the source's folder
    ChooseOutputFolder(output);
    h_->Find<QLineEdit>(u"txtSizeVal"_s)->setText(u"16"_s);
    Button(u"cmdSplit"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList({kSplitOk, kSplitOk}));
    QVERIFY(QFileInfo(output + u"/tone_1.mp3"_s).size() >= 16384);
    QVERIFY(QFileInfo::exists(output + u"/tone_3.mp3"_s));
    QVERIFY(!h_->Find<QProgressBar>(u"ProgressBar1"_s)->isVisible());
  }

  void SplitShowsTheEngineOutcome() {
    // The window measures anything; the engine refuses what it cannot cut.
    const QString folder = NewOutputFolder();
    const QString text = folder + u"/notes.txt"_s;
    WriteFileBytes(text, QByteArray(5000, 'x'));
    Open(text);
    QCOMPARE(h_->window->dblFiletime(), 5.0);  // the engine's "not supported" answer
    AddFixed(u"2"_s);
    QCOMPARE(Column(Tasks(), 2), QStringList({u"1"_s, u"3"_s}));
    auto bar = PaintRecorder::Value(h_->Find<QProgressBar>(u"ProgressBar1"_s));
    Button(u"cmdSplit"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList{u"Error file not supported"_s});
    QVERIFY(!h_->Find<QProgressBar>(u"ProgressBar1"_s)->isVisible());
    QVERIFY(!h_->Find<QLabel>(u"lblPer"_s)->isVisible());

    // A source removed after its sections were listed is refused before the engine is called.
    QFile::remove(text);
    Button(u"cmdSplit"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts().last(), u"Please open a file to split!"_s);
  }
};

}  // namespace

std::unique_ptr<QObject> MakeCutterWindowTest() {
  return std::make_unique<CutterWindowTest>();
}

}  // namespace trevasso::tests

#include "cutter_window_test.moc"
