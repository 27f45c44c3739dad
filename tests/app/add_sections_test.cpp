#include "logic/add_sections.h"

#include <QStringList>
#include <QTest>

#include "logic_test_suites.h"

namespace trevasso::tests {
namespace {

using namespace Qt::StringLiterals;
using namespace trevasso::logic;

// "start-end" for each section, so a mismatch shows which row differs.
QStringList Describe(const std::vector<Section>& sections) {
  QStringList rows;
  for (const Section& s : sections) {
    rows.append(QString::number(s.start, 'f', 0) + u'-' + QString::number(s.end, 'f', 0));
  }
  return rows;
}

class AddSectionsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void FixedLengthRows_data() {
    QTest::addColumn<double>("playTime");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("remainder piece")
        << 10000.0 << u"3000"_s
        << QStringList{u"1-3000"_s, u"3001-6000"_s, u"6001-9000"_s, u"9001-10000"_s};
    QTest::newRow("1 ms left over is dropped")
        << 9001.0 << u"3000"_s << QStringList{u"1-3000"_s, u"3001-6000"_s, u"6001-9000"_s};
    QTest::newRow("2 ms left over make a piece")
        << 9002.0 << u"3000"_s
        << QStringList{u"1-3000"_s, u"3001-6000"_s, u"6001-9000"_s, u"9001-9002"_s};
    QTest::newRow("length equal to the file") << 4321.0 << u"4321"_s << QStringList{u"1-4321"_s};
    QTest::newRow("exact pieces") << 6000.0 << u"3000"_s
                                  << QStringList{u"1-3000"_s, u"3001-6000"_s};
  }
  void FixedLengthRows() {
    QFETCH(double, playTime);
    QFETCH(QString, fixed);
    QFETCH(QStringList, rows);
    const AddResult result = FixedLengthSections(fixed, playTime);
    QCOMPARE(result.refusal, AddRefusal::None);
    QCOMPARE(Describe(result.sections), rows);
  }

  void ThousandFullPiecesPassAndTheRemainderIsExtra() {
    const AddResult exact = FixedLengthSections(u"1000"_s, 1000000);
    QCOMPARE(exact.refusal, AddRefusal::None);
    QCOMPARE(exact.sections.size(), std::size_t{1000});
    QCOMPARE(exact.sections.back(), (Section{999001, 1000000}));

    const AddResult withRest = FixedLengthSections(u"1000"_s, 1000005);
    QCOMPARE(withRest.refusal, AddRefusal::None);
    QCOMPARE(withRest.sections.size(), std::size_t{1001});
    QCOMPARE(withRest.sections.back(), (Section{1000001, 1000005}));
  }

  void FixedLengthRefusals_data() {
    QTest::addColumn<double>("playTime");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<AddRefusal>("refusal");
    QTest::newRow("zero") << 10000.0 << u"0"_s << AddRefusal::NotPositive;
    QTest::newRow("empty") << 10000.0 << QString() << AddRefusal::NotPositive;
    QTest::newRow("not a number") << 10000.0 << u"1.2.3"_s << AddRefusal::NotPositive;
    QTest::newRow("longer than the file") << 10000.0 << u"10001"_s << AddRefusal::LongerThanFile;
    QTest::newRow("1001 pieces") << 1000000.0 << u"999"_s << AddRefusal::TooManyPieces;
    QTest::newRow("rounds to nothing") << 10000.0 << u"0.5"_s << AddRefusal::TooManyPieces;
  }
  void FixedLengthRefusals() {
    QFETCH(double, playTime);
    QFETCH(QString, fixed);
    QFETCH(AddRefusal, refusal);
    const AddResult result = FixedLengthSections(fixed, playTime);
    QCOMPARE(result.refusal, refusal);
    QVERIFY(result.sections.empty());
  }

  void RefusalMessages() {
    QCOMPARE(RefusalMessage(AddRefusal::NotPositive), u"Please enter a plus integer value!"_s);
    QCOMPARE(RefusalMessage(AddRefusal::LongerThanFile),
             u"The time value could not be longer than the file's total time"_s);
    QCOMPARE(RefusalMessage(AddRefusal::TooManyPieces),
             u"The time value is too short, if cut by the size,\r\n it will generate more than "
             u"1000 files, \r\nPlease set a large value"_s);
    QCOMPARE(RefusalMessage(AddRefusal::EndNotAfterStart),
             u"The end time value must be larger than the start time value!"_s);
    QVERIFY(RefusalMessage(AddRefusal::None).isEmpty());
  }

  void StartEndSection_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("playTime");
    QTest::addColumn<QStringList>("rows");
    const QStringList refused;
    QTest::newRow("start 0 becomes 1") << 0 << 1 << 0 << 5000.0 << QStringList{u"1-1"_s};
    QTest::newRow("milliseconds as they are")
        << 250 << 4000 << 0 << 5000.0 << QStringList{u"250-4000"_s};
    QTest::newRow("same position") << 7 << 7 << 0 << 5000.0 << refused;
    QTest::newRow("reversed") << 8 << 7 << 0 << 5000.0 << refused;
    QTest::newRow("seconds") << 1 << 2 << 1 << 2500.0 << QStringList{u"1000-2000"_s};
    QTest::newRow("seconds, end clamped") << 0 << 4 << 1 << 3500.0 << QStringList{u"1-3500"_s};
    QTest::newRow("minutes") << 1 << 3 << 2 << 183000.0 << QStringList{u"60000-180000"_s};
    QTest::newRow("minutes, end clamped") << 0 << 2 << 2 << 90000.0 << QStringList{u"1-90000"_s};
    QTest::newRow("minutes, same position") << 2 << 2 << 2 << 183000.0 << refused;
  }
  void StartEndSection() {
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, unit);
    QFETCH(double, playTime);
    QFETCH(QStringList, rows);
    const AddResult result =
        logic::StartEndSection(start, end, static_cast<SliderUnit>(unit), playTime);
    QCOMPARE(result.refusal, rows.isEmpty() ? AddRefusal::EndNotAfterStart : AddRefusal::None);
    QCOMPARE(Describe(result.sections), rows);
  }

  void UnitRanges_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("playTime");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("minimum");  // -1: left as it is
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("upper");
    QTest::newRow("milliseconds") << 0 << 183000.0 << 183000 << 1 << u"1 MS"_s << u"183000 MS"_s;
    QTest::newRow("seconds, 2.5 to even") << 1 << 2500.0 << 2 << -1 << u"0 S"_s << u"2 S"_s;
    QTest::newRow("seconds, 3.5 to even") << 1 << 3500.0 << 4 << -1 << u"0 S"_s << u"4 S"_s;
    QTest::newRow("minutes") << 2 << 183000.0 << 3 << -1 << u"0 M"_s << u"3 M"_s;
    QTest::newRow("minutes, 1.5 to even") << 2 << 90000.0 << 2 << -1 << u"0 M"_s << u"2 M"_s;
    QTest::newRow("minutes, under half") << 2 << 29000.0 << 0 << -1 << u"0 M"_s << u"0 M"_s;
  }
  void UnitRanges() {
    QFETCH(int, unit);
    QFETCH(double, playTime);
    QFETCH(int, maximum);
    QFETCH(int, minimum);
    QFETCH(QString, lower);
    QFETCH(QString, upper);
    const SliderRange range = UnitRange(static_cast<SliderUnit>(unit), playTime);
    QCOMPARE(range.maximum, maximum);
    QCOMPARE(range.minimum.value_or(-1), minimum);
    QCOMPARE(range.lowerCaption, lower);
    QCOMPARE(range.upperCaption, upper);
  }
};

}  // namespace

std::unique_ptr<QObject> MakeAddSectionsTest() {
  return std::make_unique<AddSectionsTest>();
}

}  // namespace trevasso::tests

#include "add_sections_test.moc"
