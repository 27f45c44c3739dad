#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "test_audio.h"
#include "test_media.h"
#include "widget_test_suites.h"
#include "window_harness.h"

namespace trevasso::tests {
namespace {

using namespace Qt::StringLiterals;
using ui::MessageIcon;

const QString kJoinOk = u"Joinned successfully"_s;

class JoinerWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<WindowHarness> h_;

  QTreeWidget* Files() const { return h_->Find<QTreeWidget>(u"lvwJoin"_s); }
  QPushButton* Button(const QString& name) const { return h_->Find<QPushButton>(name); }

  QStringList Column(int column) const {
    QStringList texts;
    for (int i = 0; i < Files()->topLevelItemCount(); ++i) {
      texts.append(Files()->topLevelItem(i)->text(column));
    }
    return texts;
  }
  QList<int> TickedRows() const {
    QList<int> rows;
    for (int i = 0; i < Files()->topLevelItemCount(); ++i) {
      if (Files()->topLevelItem(i)->checkState(0) == Qt::Checked) rows.append(i + 1);
    }
    return rows;
  }

  void Add(const QStringList& paths) {
    h_->desktop.openAnswers.push_back(paths);
    Button(u"cmdAddJoin"_s)->click();
  }
  void SetOutput(const QString& path) {
    h_->desktop.openAnswers.push_back(QStringList{path});
    Button(u"cmdDirJ"_s)->click();
  }
  void Select(int row) { Files()->setCurrentItem(Files()->topLevelItem(row - 1)); }
  void Tick(int row) { Files()->topLevelItem(row - 1)->setCheckState(0, Qt::Checked); }

 private Q_SLOTS:
  void initTestCase() { QVERIFY2(Media().error.isEmpty(), qPrintable(Media().error)); }
  void init() {
    h_ = std::make_unique<WindowHarness>();
    QVERIFY(h_->exposed);
    h_->Find<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(1);
  }
  void cleanup() { h_.reset(); }

  void JoinTabAtStart() {
    const QStringList headers = {u"NO"_s, u"Play Time (MS)"_s, u"File Size (Bytes)"_s,
                                 u"File Name"_s};
    QCOMPARE(Files()->columnCount(), 4);
    for (int i = 0; i < 4; ++i) QCOMPARE(Files()->headerItem()->text(i), headers[i]);
    const struct {
      QString name;
      QString caption;
    } buttons[] = {{u"cmdAddJoin"_s, u"&Add Files ..."_s},  {u"cmdRemoveJoin"_s, u"&Remove"_s},
                   {u"cmdClearJoin"_s, u"&Clear All"_s},    {u"cmdMoveUp"_s, u"Move &Up"_s},
                   {u"cmdMoveDown"_s, u"Move &Down"_s},     {u"cmdDirJ"_s, u"..."_s},
                   {u"cmdJoin"_s, u"Start Joining Now!!"_s}};
    for (const auto& button : buttons) QCOMPARE(Button(button.name)->text(), button.caption);
    QCOMPARE(h_->Find<QLabel>(u"Label2"_s)->text(), u"Save the Joined File to:"_s);
    auto* output = h_->Find<QLineEdit>(u"txtSaveFileName"_s);
    QVERIFY(output->isReadOnly());
    QCOMPARE(output->font().families().value(0), u"Arial"_s);
    QVERIFY(h_->Find<QProgressBar>(u"ProgressBar2"_s)->isHidden());
    QVERIFY(h_->Find<QLabel>(u"lblJoinPer"_s)->isHidden());
    QCOMPARE(h_->Find<QLabel>(u"lblJoinPer"_s)->text(), QString());
  }

  void AddFilesSkipsDuplicatesAndUnplayableFiles() {
    const QString folder = NewOutputFolder();
    const QString junk = folder + u"/junk.mp3"_s;  // no MPEG frame: no play time
    WriteFileBytes(junk, QByteArray(4000, 'j'));
    const QString empty = folder + u"/empty.wav"_s;
    WriteFileBytes(empty, QByteArray());
    Add({Media().mp3, Media().mp3b, Media().mp3, junk, empty, folder + u"/missing.mp3"_s});

    QCOMPARE(Column(0), QStringList({u"1"_s, u"2"_s}));
    QCOMPARE(Column(3), QStringList({Media().mp3, Media().mp3b}));
    const QString size = QLocale().toString(QFileInfo(Media().mp3).size());
    QCOMPARE(Column(2).value(0), size);
    QVERIFY2(Column(1).value(0).startsWith(u"3,0"_s), qPrintable(Column(1).value(0)));
    QCOMPARE(Files()->topLevelItem(0)->textAlignment(1) & Qt::AlignRight, Qt::AlignRight);
    QVERIFY(TickedRows().isEmpty());
    const ui::FileDialogState& dlgJoin = h_->desktop.shownDialogs.back();
    QCOMPARE(dlgJoin.objectName, u"dlgJoin"_s);
    QVERIFY(dlgJoin.multiSelect);
    QVERIFY(dlgJoin.mustExist);

    // Each use starts without a name; a cancel or a listed file adds nothing.
    Add({Media().mp3});
    QVERIFY(h_->desktop.shownDialogs.back().fileNames.isEmpty());
    h_->desktop.openAnswers.push_back(std::nullopt);
    Button(u"cmdAddJoin"_s)->click();
    QCOMPARE(Column(3), QStringList({Media().mp3, Media().mp3b}));

    // Removed and added again, it goes to the bottom.
    Tick(1);
    Button(u"cmdRemoveJoin"_s)->click();
    Add({Media().mp3});
    QCOMPARE(Column(3), QStringList({Media().mp3b, Media().mp3}));
    QCOMPARE(Column(0), QStringList({u"1"_s, u"2"_s}));
    QVERIFY(h_->desktop.messages.empty());
  }

  void MoveRows() {
    Button(u"cmdMoveUp"_s)->click();
    Button(u"cmdMoveDown"_s)->click();
    Add({Media().mp3});
    Select(1);
    Button(u"cmdMoveUp"_s)->click();
    Button(u"cmdMoveDown"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(),
             QStringList({u"There is no file for move up, Please add files first"_s,
                          u"There is no file for move down, Please add files first"_s,
                          u"The file is already at the top."_s,
                          u"The file is already at the bottom."_s}));
    h_->desktop.messages.clear();

    Add({Media().mp3b, Media().mp3c});
    Files()->clearSelection();
    Button(u"cmdMoveUp"_s)->click();  // rows but no selection: nothing happens
    Button(u"cmdMoveDown"_s)->click();
    QCOMPARE(Column(3), QStringList({Media().mp3, Media().mp3b, Media().mp3c}));
    QVERIFY(h_->desktop.messages.empty());

    Select(2);
    Button(u"cmdMoveUp"_s)->click();
    QCOMPARE(Column(3), QStringList({Media().mp3b, Media().mp3, Media().mp3c}));
    QCOMPARE(Column(0), QStringList({u"1"_s, u"2"_s, u"3"_s}));
    QCOMPARE(Files()->selectedItems().value(0), Files()->topLevelItem(0));

    // The tick stays with the position, the file moves on.
    Tick(1);
    Button(u"cmdMoveDown"_s)->click();
    QCOMPARE(Column(3), QStringList({Media().mp3, Media().mp3b, Media().mp3c}));
    QCOMPARE(TickedRows(), QList<int>{1});
    QCOMPARE(Files()->selectedItems().value(0), Files()->topLevelItem(1));
    Select(3);
    Button(u"cmdMoveDown"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList{u"The file is already at the bottom."_s});
  }

  void RemoveTickedRowsAndClear() {
    Add({Media().mp3, Media().mp3b, Media().mp3c, Media().wav});
    Button(u"cmdRemoveJoin"_s)->click();  // nothing ticked: nothing removed, nothing said
    QCOMPARE(Files()->topLevelItemCount(), 4);
    Tick(1);
    Tick(3);
    Button(u"cmdRemoveJoin"_s)->click();
    QCOMPARE(Column(3), QStringList({Media().mp3b, Media().wav}));
    QCOMPARE(Column(0), QStringList({u"1"_s, u"2"_s}));
    Button(u"cmdClearJoin"_s)->click();
    QCOMPARE(Files()->topLevelItemCount(), 0);
    QVERIFY(h_->desktop.messages.empty());
  }

  void OutputFileDialogKeepsItsName() {
    auto* output = h_->Find<QLineEdit>(u"txtSaveFileName"_s);
    h_->desktop.openAnswers.push_back(std::nullopt);
    Button(u"cmdDirJ"_s)->click();
    QCOMPARE(output->text(), QString());
    const QString target = NewOutputFolder() + u"/not yet there.mp3"_s;
    SetOutput(target);
    QCOMPARE(output->text(), target);
    h_->desktop.openAnswers.push_back(std::nullopt);
    Button(u"cmdDirJ"_s)->click();
    QCOMPARE(output->text(), target);
    const ui::FileDialogState& dlgJoinJ = h_->desktop.shownDialogs.back();
    QCOMPARE(dlgJoinJ.objectName, u"dlgJoinJ"_s);
    QCOMPARE(dlgJoinJ.FileName(), target);
    QVERIFY(!dlgJoinJ.mustExist);
    QVERIFY(!dlgJoinJ.multiSelect);
  }

  void JoinRefusals_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");
    const QString out = u"/nowhere/joined.mp3"_s;
    QTest::newRow("one file") << QStringList{Media().mp3} << out
                              << u"Please add more than 2 files to join"_s;
    QTest::newRow("no output") << QStringList{Media().mp3, Media().mp3b} << QString()
                               << u"Please set a file name to save the joined file"_s;
    QTest::newRow("blank output") << QStringList{Media().mp3, Media().mp3b} << u"   "_s
                                  << u"Please set a file name to save the joined file"_s;
    QTest::newRow("mixed") << QStringList{Media().mp3, Media().wav} << out
                           << u"Please use only one format, can not join MP3 and WAV files "
                              u"together"_s;
  }
  void JoinRefusals() {
    QFETCH(QStringList, files);
    QFETCH(QString, output);
    QFETCH(QString, message);
    Add(files);
    if (!output.isEmpty()) SetOutput(output);
    auto bar = PaintRecorder::Value(h_->Find<QProgressBar>(u"ProgressBar2"_s));
    Button(u"cmdJoin"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList{message});
    QCOMPARE(h_->desktop.messages.front().icon, MessageIcon::Information);
    QVERIFY(bar->seen.isEmpty());
  }

  void OtherExtensionsAreRefused() {
    // The engine gives a play time (its "not supported" code) to any file, so it is listed.
    const QString text = NewOutputFolder() + u"/notes.txt"_s;
    WriteFileBytes(text, QByteArray(100, 't'));
    Add({Media().mp3, text});
    QCOMPARE(Files()->topLevelItemCount(), 2);
    SetOutput(NewOutputFolder() + u"/joined.mp3"_s);
    Button(u"cmdJoin"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(),
             QStringList{u"Please use only one format of MP3 or WAV files, can not support other "
                         u"formats!"_s});
  }

  void JoinFiles_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("progress");
    QTest::addColumn<qint64>("size");  // -1: larger than every input
    const QString folder = NewOutputFolder();
    QTest::newRow("three mp3") << QStringList{Media().mp3, Media().mp3b, Media().mp3c}
                               << folder + u"/joined.mp3"_s
                               << QStringList{u"33"_s, u"66"_s, u"100"_s} << qint64{-1};
    // 44 header bytes and the sample bytes of both.
    QTest::newRow("two wave") << QStringList{Media().wav, Media().wavb} << folder + u"/joined.wav"_s
                              << QStringList{u"50"_s, u"100"_s} << qint64{44 + 264600 + 88200};
  }
  void JoinFiles() {
    QFETCH(QStringList, files);
    QFETCH(QString, output);
    QFETCH(QStringList, progress);
    QFETCH(qint64, size);
    Add(files);
    SetOutput(output);
    auto label = PaintRecorder::Text(h_->Find<QLabel>(u"lblJoinPer"_s));
    auto bar = PaintRecorder::Value(h_->Find<QProgressBar>(u"ProgressBar2"_s));

    Button(u"cmdJoin"_s)->click();

    QCOMPARE(h_->desktop.MessageTexts(), QStringList{kJoinOk});
    QCOMPARE(h_->desktop.messages.front().icon, MessageIcon::Information);
    QCOMPARE(label->seen, progress);
    // Until the first notification the bar shows what the last run left: 0 in a new window.
    QCOMPARE(bar->seen, QStringList{u"0"_s} + progress);
    QVERIFY(!h_->Find<QProgressBar>(u"ProgressBar2"_s)->isVisible());
    QVERIFY(!h_->Find<QLabel>(u"lblJoinPer"_s)->isVisible());
    const qint64 written = QFileInfo(output).size();
    if (size >= 0) {
      QCOMPARE(written, size);
    } else {
      for (const QString& file : files) QVERIFY(written > QFileInfo(file).size());
    }
    // The list and the output name stay for another run.
    QCOMPARE(Column(3), files);
    QCOMPARE(h_->Find<QLineEdit>(u"txtSaveFileName"_s)->text(), output);
  }

  void UpperCaseExtensionsJoin() {
    const QString folder = NewOutputFolder();
    QFile::copy(Media().mp3, folder + u"/x.MP3"_s);
    QFile::copy(Media().mp3b, folder + u"/y.mp3"_s);
    Add({folder + u"/x.MP3"_s, folder + u"/y.mp3"_s});
    SetOutput(folder + u"/joined.mp3"_s);
    Button(u"cmdJoin"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList{kJoinOk});
  }

  void EngineRefusalsShowTheirMessage() {
    Add({Media().wav, Media().wav8k});
    SetOutput(NewOutputFolder() + u"/joined.wav"_s);
    Button(u"cmdJoin"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList{u"Error WAV file diff"_s});
    QVERIFY(!h_->Find<QProgressBar>(u"ProgressBar2"_s)->isVisible());
  }

  void JoinIntoAListedFileLeavesItUntouched() {
    const QString folder = NewOutputFolder();
    const QString first = folder + u"/first.mp3"_s;
    QFile::copy(Media().mp3, first);
    const QByteArray before = ReadFileBytes(first);
    Add({first, Media().mp3b});
    SetOutput(first);
    Button(u"cmdJoin"_s)->click();
    QCOMPARE(h_->desktop.MessageTexts(), QStringList{u"Error open file"_s});
    QVERIFY(ReadFileBytes(first) == before);
  }
};

}  // namespace

std::unique_ptr<QObject> MakeJoinerWindowTest() {
  return std::make_unique<JoinerWindowTest>();
}

}  // namespace trevasso::tests

#include "joiner_window_test.moc"
