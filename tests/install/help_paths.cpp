// Prints, one a line, the path the desktop program opens for its help file and for its HTML help,
// as resolved from the folder this program runs in, and the web address it opens.
#include <QCoreApplication>
#include <cstdio>

#include "ui/program_files.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  using namespace trevasso::ui;
  std::printf("%s\n%s\n%s\n", qPrintable(ProgramFilePath(QString::fromUtf16(kHelpFileName))),
              qPrintable(ProgramFilePath(QString::fromUtf16(kHtmlHelpFileName))),
              qPrintable(ProductWebAddress()));
  return 0;
}
