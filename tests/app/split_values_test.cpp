#include <QTest>

#include "logic/piece_size.h"
#include "logic/section_list.h"
#include "logic_test_suites.h"

namespace trevasso::tests {
namespace {

using namespace Qt::StringLiterals;
using namespace trevasso::logic;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

class SplitValuesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SectionListJoinsRowsInOrder() {
    const std::vector<TaskRow> rows = {
        {u"1"_s, u"60,000"_s, u"/out/Song_001.mp3"_s},
        {u"60,001"_s, u"120,000"_s, u"  /out/Song_002.mp3 "_s},
        {u"61,234"_s, u"1,234,567"_s, u"/out/my song_003.mp3"_s},
    };
    QCOMPARE(BuildSectionList(rows, kEnglish),
             u"1;60000;/out/Song_001.mp3|60001;120000;/out/Song_002.mp3|"
             u"61234;1234567;/out/my song_003.mp3"_s);
  }

  void SectionListEdges() {
    QCOMPARE(BuildSectionList({}, kEnglish), QString());
    QCOMPARE(BuildSectionList({{u"1"_s, u"2"_s, u"a.wav"_s}}, kEnglish), u"1;2;a.wav"_s);
    QCOMPARE(BuildSectionList({{u"1.234"_s, u"5.678.901"_s, u"a.wav"_s}},
                              QLocale(QLocale::German, QLocale::Germany)),
             u"1234;5678901;a.wav"_s);
  }

  void PieceSize_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("fileLength");
    QTest::addColumn<PieceSizeCheck>("check");
    QTest::addColumn<int>("bytes");
    const auto kTooMany = PieceSizeCheck::TooManyPieces;
    const auto kNotPositive = PieceSizeCheck::NotPositive;
    QTest::newRow("start value 0") << u"0"_s << 0 << 1e6 << kNotPositive << 0;
    QTest::newRow("empty") << QString() << 0 << 1e6 << kNotPositive << 0;
    QTest::newRow("two points") << u"1.2.3"_s << 1 << 1e6 << kNotPositive << 0;
    QTest::newRow("point alone") << u"."_s << 1 << 1e6 << kNotPositive << 0;
    QTest::newRow("rounds to 0 bytes") << u"0.4"_s << 0 << 1e6 << kNotPositive << 0;
    QTest::newRow("2.5 bytes to even") << u"2.5"_s << 0 << 2.0 << PieceSizeCheck::Ok << 2;
    QTest::newRow("3.5 bytes to even") << u"3.5"_s << 0 << 2.0 << PieceSizeCheck::Ok << 4;
    QTest::newRow("1.5 KB") << u"1.5"_s << 1 << 1e6 << PieceSizeCheck::Ok << 1536;
    QTest::newRow("1 MB") << u"1"_s << 2 << 1e6 << PieceSizeCheck::Ok << 1048576;
    QTest::newRow("ratio 1000 passes") << u"10000"_s << 0 << 1e7 << PieceSizeCheck::Ok << 10000;
    QTest::newRow("ratio above 1000") << u"9999"_s << 0 << 1e7 << kTooMany << 0;
    QTest::newRow("largest 32-bit size")
        << u"2147483647"_s << 0 << 1e6 << PieceSizeCheck::Ok << 2147483647;
    QTest::newRow("2048 MB does not fit") << u"2048"_s << 2 << 1e6 << PieceSizeCheck::TooLarge << 0;
  }
  void PieceSize() {
    QFETCH(QString, value);
    QFETCH(int, unit);
    QFETCH(double, fileLength);
    QFETCH(PieceSizeCheck, check);
    QFETCH(int, bytes);
    const logic::PieceSize size = ComputePieceSize(value, static_cast<SizeUnit>(unit), fileLength);
    QCOMPARE(size.check, check);
    QCOMPARE(size.bytes, bytes);
  }

  void PieceSizeMessages() {
    QCOMPARE(PieceSizeMessage(PieceSizeCheck::NotPositive),
             u"The size value must be larger than 0, please set it!"_s);
    QCOMPARE(PieceSizeMessage(PieceSizeCheck::TooManyPieces),
             u"The size value is too small, if cut by this size, \r\nIt will generate more than "
             u"1000 files, please enter a larger value"_s);
  }
};

}  // namespace

std::unique_ptr<QObject> MakeSplitValuesTest() {
  return std::make_unique<SplitValuesTest>();
}

}  // namespace trevasso::tests

#include "split_values_test.moc"
