#include <QApplication>
#include <QLocale>
#include <QTest>

#include "widget_test_suites.h"

// Runs the window tests in turn, with English number formats; the exit code counts the failed
// test classes.
int main(int argc, char** argv) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  QApplication app(argc, argv);
  int failed = 0;
  for (const auto& make :
       {trevasso::tests::MakeCutterWindowTest, trevasso::tests::MakeJoinerWindowTest}) {
    const std::unique_ptr<QObject> suite = make();
    failed += QTest::qExec(suite.get(), argc, argv) != 0 ? 1 : 0;
  }
  return failed;
}
