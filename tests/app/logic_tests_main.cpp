#include <QCoreApplication>
#include <QTest>
#include <memory>
#include <vector>

#include "logic_test_suites.h"

// Runs every logic test class in turn; the exit code counts the failed ones.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<std::unique_ptr<QObject>> suites = trevasso::tests::MakeLogicSuites();
  int failed = 0;
  for (const auto& suite : suites) failed += QTest::qExec(suite.get(), argc, argv) != 0 ? 1 : 0;
  return failed;
}
