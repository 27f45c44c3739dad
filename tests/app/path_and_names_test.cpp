#include <QRegularExpression>
#include <QTest>

#include "logic/open_file_filter.h"
#include "logic/path_routines.h"
#include "logic/task_names.h"
#include "logic_test_suites.h"

namespace trevasso::tests {
namespace {

using namespace Qt::StringLiterals;
using namespace trevasso::logic;

class PathAndNamesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void JoinPath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("adds one separator")
        << u"/opt/prog"_s << u"trevasso.chm"_s << u"/opt/prog/trevasso.chm"_s;
    QTest::newRow("root") << u"/"_s << u"a.chm"_s << u"/a.chm"_s;
    QTest::newRow("trailing separator") << u"/music/"_s << u"a.mp3"_s << u"/music/a.mp3"_s;
    QTest::newRow("blank folder") << u"  "_s << u"a.chm"_s << u"a.chm"_s;
    QTest::newRow("empty folder") << QString() << u"a.chm"_s << u"a.chm"_s;
    QTest::newRow("folder trimmed") << u" /opt/prog "_s << u"a"_s << u"/opt/prog/a"_s;
    QTest::newRow("name kept as is") << u"/opt"_s << u" a "_s << u"/opt/ a "_s;
  }
  void JoinPath() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(logic::JoinPath(folder, name), path);
  }

  void GetFolderPart_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("file") << u"/music/a.mp3"_s << u"/music/"_s;
    QTest::newRow("bare name") << u"a.mp3"_s << QString();
    QTest::newRow("folder with separator") << u"/x/"_s << u"/x/"_s;
    QTest::newRow("root file") << u"/a.mp3"_s << u"/"_s;
    QTest::newRow("empty") << QString() << QString();
  }
  void GetFolderPart() {
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(logic::GetFolderPart(path), folder);
  }

  void TaskFileName_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("chosen folder")
        << u"/music/Song.mp3"_s << u"/out"_s << 1 << u"/out/Song_001.mp3"_s;
    QTest::newRow("second") << u"/music/Song.mp3"_s << u"/out"_s << 2 << u"/out/Song_002.mp3"_s;
    QTest::newRow("source folder")
        << u"/music/Song.mp3"_s << u"/music/"_s << 1 << u"/music/Song_001.mp3"_s;
    QTest::newRow("no folder") << u"/music/Song.mp3"_s << QString() << 1 << u"Song_001.mp3"_s;
    QTest::newRow("tenth") << u"/music/Song.mp3"_s << u"/out"_s << 10 << u"/out/Song_010.mp3"_s;
    QTest::newRow("thousandth") << u"/music/Song.mp3"_s << u"/out"_s << 1000
                                << u"/out/Song_1000.mp3"_s;
    QTest::newRow("points in the name")
        << u"/music/my.song.mp3"_s << u"/out"_s << 1 << u"/out/my.song_001.mp3"_s;
    QTest::newRow("upper-case extension")
        << u"/music/Song.WAV"_s << u"/out"_s << 3 << u"/out/Song_003.WAV"_s;
    QTest::newRow("source trimmed")
        << u"  /music/Song.mp3 "_s << u"/out"_s << 1 << u"/out/Song_001.mp3"_s;
    QTest::newRow("no extension") << u"/music/Song"_s << u"/out"_s << 1 << u"/out/Song_001"_s;
    QTest::newRow("point only in a folder")
        << u"/mu.sic/Song"_s << u"/out"_s << 1 << u"/out/Song_001"_s;
    QTest::newRow("bare source name") << u"Song.mp3"_s << QString() << 1 << u"Song_001.mp3"_s;
  }
  void TaskFileName() {
    QFETCH(QString, source);
    QFETCH(QString, folder);
    QFETCH(int, number);
    QFETCH(QString, name);
    QCOMPARE(logic::TaskFileName(source, folder, number), name);
  }

  // The dialogs' patterns must find upper- and mixed-case names on a case-sensitive disk.
  void FiltersMatchExtensionsInAnyCase_data() {
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("matches");
    QTest::newRow("both: mp3") << 0 << u"a.mp3"_s << true;
    QTest::newRow("both: MP3") << 0 << u"a.MP3"_s << true;
    QTest::newRow("both: Wav") << 0 << u"a.Wav"_s << true;
    QTest::newRow("both: ogg") << 0 << u"a.ogg"_s << false;
    QTest::newRow("mp3: Mp3") << 1 << u"a.Mp3"_s << true;
    QTest::newRow("mp3: wav") << 1 << u"a.wav"_s << false;
    QTest::newRow("wav: WAV") << 2 << u"a.WAV"_s << true;
    QTest::newRow("wav: mp3") << 2 << u"a.mp3"_s << false;
  }
  void FiltersMatchExtensionsInAnyCase() {
    QFETCH(int, filter);
    QFETCH(QString, file);
    QFETCH(bool, matches);
    const QString entry = AudioFileFilters().at(filter);
    const qsizetype open = entry.lastIndexOf(u'(');
    const QStringList patterns = entry.mid(open + 1, entry.size() - open - 2).split(u' ');
    bool matched = false;
    for (const QString& pattern : patterns) {
      const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern));
      matched = matched || re.match(file).hasMatch();
    }
    QCOMPARE(matched, matches);
  }
};

}  // namespace

std::unique_ptr<QObject> MakePathAndNamesTest() {
  return std::make_unique<PathAndNamesTest>();
}

}  // namespace trevasso::tests

#include "path_and_names_test.moc"
