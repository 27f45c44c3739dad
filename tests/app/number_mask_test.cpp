#include "logic/number_mask.h"

#include <QTest>

#include "logic_test_suites.h"

namespace trevasso::tests {
namespace {

using namespace Qt::StringLiterals;
using namespace trevasso::logic;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

class NumberMaskTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void RoundHalfEvenGoesToTheEvenNeighbour_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("2.5001") << 2.5001 << 3.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("1572864.5") << 1572864.5 << 1572864.0;
  }
  void RoundHalfEvenGoesToTheEvenNeighbour() {
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(RoundHalfEven(value), rounded);
  }

  void GroupedMaskGroupsThousandsAndHidesZero_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero is empty") << 0.0 << kEnglish << QString();
    QTest::newRow("below half rounds to empty") << 0.4 << kEnglish << QString();
    QTest::newRow("1") << 1.0 << kEnglish << u"1"_s;
    QTest::newRow("999") << 999.0 << kEnglish << u"999"_s;
    QTest::newRow("1000") << 1000.0 << kEnglish << u"1,000"_s;
    QTest::newRow("60000") << 60000.0 << kEnglish << u"60,000"_s;
    QTest::newRow("1234567") << 1234567.0 << kEnglish << u"1,234,567"_s;
    QTest::newRow("4294967295") << 4294967295.0 << kEnglish << u"4,294,967,295"_s;
    QTest::newRow("rounds half away") << 1234.5 << kEnglish << u"1,235"_s;
    QTest::newRow("negative") << -1234.0 << kEnglish << u"-1,234"_s;
    QTest::newRow("german separator") << 1234567.0 << kGerman << u"1.234.567"_s;
  }
  void GroupedMaskGroupsThousandsAndHidesZero() {
    QFETCH(double, value);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(FormatGrouped(value, locale), text);
  }

  void TwoDecimalMaskAlwaysWritesThePoint_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.5") << 1.5 << kEnglish << u"1.5"_s;
    QTest::newRow("whole keeps the point") << 2.0 << kEnglish << u"2."_s;
    QTest::newRow("1024") << 1024.0 << kEnglish << u"1024."_s;
    QTest::newRow("no grouping") << 4882.8125 << kEnglish << u"4882.81"_s;
    QTest::newRow("rounded up") << 1205.6259765625 << kEnglish << u"1205.63"_s;
    QTest::newRow("no leading zero") << 0.25 << kEnglish << u".25"_s;
    QTest::newRow("inner zero kept") << 1.05 << kEnglish << u"1.05"_s;
    QTest::newRow("rounds to whole") << 1.0009765625 << kEnglish << u"1."_s;
    QTest::newRow("german point") << 1.5 << kGerman << u"1,5"_s;
  }
  void TwoDecimalMaskAlwaysWritesThePoint() {
    QFETCH(double, value);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(FormatTwoDecimals(value, locale), text);
  }

  void TypedNumbersTakeDigitsAndOnePoint_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << u"3000"_s << true << 3000.0;
    QTest::newRow("leading zeros") << u"007"_s << true << 7.0;
    QTest::newRow("fraction") << u"1.5"_s << true << 1.5;
    QTest::newRow("point first") << u".5"_s << true << 0.5;
    QTest::newRow("point last") << u"5."_s << true << 5.0;
    QTest::newRow("zero") << u"0"_s << true << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("point alone") << u"."_s << false << 0.0;
    QTest::newRow("two points") << u"1.2.3"_s << false << 0.0;
    QTest::newRow("minus") << u"-1"_s << false << 0.0;
    QTest::newRow("blank") << u" 1"_s << false << 0.0;
    QTest::newRow("exponent") << u"1e3"_s << false << 0.0;
  }
  void TypedNumbersTakeDigitsAndOnePoint() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::optional<double> read = ParseTypedNumber(text);
    QCOMPARE(read.has_value(), valid);
    if (valid) QCOMPARE(*read, value);
  }
};

}  // namespace

std::unique_ptr<QObject> MakeNumberMaskTest() {
  return std::make_unique<NumberMaskTest>();
}

}  // namespace trevasso::tests

#include "number_mask_test.moc"
