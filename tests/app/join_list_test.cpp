#include "logic/join_list.h"

#include <QTest>

#include "logic_test_suites.h"

namespace trevasso::tests {
namespace {

using namespace Qt::StringLiterals;
using namespace trevasso::logic;

class JoinListTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void CheckJoinFormats_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("result");
    QTest::newRow("mp3 only") << QStringList{u"/a.mp3"_s, u"/b.mp3"_s, u"/c.mp3"_s} << 0;
    QTest::newRow("wav only") << QStringList{u"/a.wav"_s, u"/b.wav"_s} << 0;
    QTest::newRow("empty list") << QStringList{} << 0;
    QTest::newRow("mixed") << QStringList{u"/x.mp3"_s, u"/y.wav"_s} << 2;
    QTest::newRow("mixed before other") << QStringList{u"/a.mp3"_s, u"/b.wav"_s, u"/c.ogg"_s} << 2;
    QTest::newRow("other before mixed") << QStringList{u"/a.mp3"_s, u"/c.ogg"_s, u"/b.wav"_s} << 3;
    QTest::newRow("upper-case mp3 is mp3") << QStringList{u"/x.MP3"_s, u"/y.mp3"_s} << 0;
    QTest::newRow("mixed-case wav is wav") << QStringList{u"/x.Wav"_s, u"/y.WAV"_s} << 0;
    QTest::newRow("mixed, any case") << QStringList{u"/x.MP3"_s, u"/y.wav"_s} << 2;
    QTest::newRow("no point") << QStringList{u"/a.mp3"_s, u"/music/mp3"_s} << 3;
    QTest::newRow("point only in a folder") << QStringList{u"/my.mp3/track"_s} << 3;
    QTest::newRow("ends with a point") << QStringList{u"/a."_s} << 3;
    QTest::newRow("trailing blank is part of the name") << QStringList{u"/a.mp3 "_s} << 3;
  }
  void CheckJoinFormats() {
    QFETCH(QStringList, names);
    QFETCH(int, result);
    QCOMPARE(int{logic::CheckJoinFormats(names)}, result);
  }

  void JoinListStripsNamesAndSeparatesThem() {
    QCOMPARE(BuildJoinList({u"  /music/a.mp3"_s, u"/music/b c.mp3 "_s, u"/c.mp3"_s}),
             u"/music/a.mp3|/music/b c.mp3|/c.mp3"_s);
    QCOMPARE(BuildJoinList({u"/a.wav"_s}), u"/a.wav"_s);
    QCOMPARE(BuildJoinList({}), QString());
  }
};

}  // namespace

std::unique_ptr<QObject> MakeJoinListTest() {
  return std::make_unique<JoinListTest>();
}

}  // namespace trevasso::tests

#include "join_list_test.moc"
