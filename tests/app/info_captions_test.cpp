#include "logic/info_captions.h"

#include <QTest>

#include "logic_test_suites.h"

namespace trevasso::tests {
namespace {

using namespace Qt::StringLiterals;
using namespace trevasso::logic;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

class InfoCaptionsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SizeCaption_data() {
    QTest::addColumn<double>("bytes");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("caption");
    QTest::newRow("0") << 0.0 << kEnglish << u"Size:      Bytes"_s;
    QTest::newRow("512") << 512.0 << kEnglish << u"Size:     512 Bytes"_s;
    QTest::newRow("1024 has no brackets") << 1024.0 << kEnglish << u"Size:     1,024 Bytes"_s;
    QTest::newRow("1025") << 1025.0 << kEnglish << u"Size:     1,025 Bytes (1. KB)"_s;
    QTest::newRow("1536") << 1536.0 << kEnglish << u"Size:     1,536 Bytes (1.5 KB)"_s;
    QTest::newRow("1048576 has no MB")
        << 1048576.0 << kEnglish << u"Size:     1,048,576 Bytes (1024. KB)"_s;
    QTest::newRow("1048577") << 1048577.0 << kEnglish
                             << u"Size:     1,048,577 Bytes (1024. KB ; 1. MB)"_s;
    QTest::newRow("5000000") << 5000000.0 << kEnglish
                             << u"Size:     5,000,000 Bytes (4882.81 KB ; 4.77 MB)"_s;
    QTest::newRow("german") << 1536.0 << QLocale(QLocale::German, QLocale::Germany)
                            << u"Size:     1.536 Bytes (1,5 KB)"_s;
  }
  void SizeCaption() {
    QFETCH(double, bytes);
    QFETCH(QLocale, locale);
    QFETCH(QString, caption);
    QCOMPARE(logic::SizeCaption(bytes, locale), caption);
  }

  void TimeCaption_data() {
    QTest::addColumn<double>("milliseconds");
    QTest::addColumn<QString>("caption");
    QTest::newRow("0") << 0.0 << u"Time:      MS"_s;
    QTest::newRow("1000 has no brackets") << 1000.0 << u"Time:     1,000 MS"_s;
    QTest::newRow("1500 rounds half up") << 1500.0 << u"Time:     1,500 MS (2 Seconds)"_s;
    QTest::newRow("60000 has no minutes") << 60000.0 << u"Time:     60,000 MS (60 Seconds)"_s;
    QTest::newRow("61234") << 61234.0
                           << u"Time:     61,234 MS (61 Seconds ; 1 Minutes and 1 Seconds)"_s;
    QTest::newRow("62500 rounds two ways")
        << 62500.0 << u"Time:     62,500 MS (63 Seconds ; 1 Minutes and 2 Seconds)"_s;
    QTest::newRow("63500 rounds both up")
        << 63500.0 << u"Time:     63,500 MS (64 Seconds ; 1 Minutes and 4 Seconds)"_s;
    QTest::newRow("one hour")
        << 3600000.0 << u"Time:     3,600,000 MS (3600 Seconds ; 60 Minutes and 0 Seconds)"_s;
    QTest::newRow("beyond 16-bit seconds")
        << 40000000.0 << u"Time:     40,000,000 MS (40000 Seconds ; 666 Minutes and 40 Seconds)"_s;
  }
  void TimeCaption() {
    QFETCH(double, milliseconds);
    QFETCH(QString, caption);
    QCOMPARE(logic::TimeCaption(milliseconds, kEnglish), caption);
  }
};

}  // namespace

std::unique_ptr<QObject> MakeInfoCaptionsTest() {
  return std::make_unique<InfoCaptionsTest>();
}

}  // namespace trevasso::tests

#include "info_captions_test.moc"
