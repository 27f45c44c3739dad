// Renders the main window (both tabs, with a file opened and sections and files listed), the Add
// Sections dialog and the About box to PNG files, for a look at the layout.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <cstdio>

#include "stub_desktop.h"
#include "test_media.h"
#include "ui/frm_quorvane.h"

using namespace Qt::StringLiterals;
using trevasso::tests::Media;

namespace {

bool Save(QWidget& widget, const QString& path) {
  const bool saved = widget.grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"screenshots"_s;
  QDir().mkpath(folder);
  if (!Media().error.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(Media().error));
    return 1;
  }
  const auto out = [&](const QString& name) { return folder + u'/' + name; };
  bool ok = true;

  trevasso::tests::StubDesktop desktop;
  trevasso::ui::FrmQuorvane window(desktop);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  const auto click = [&](const QString& name) { window.findChild<QPushButton*>(name)->click(); };

  desktop.openAnswers.push_back(QStringList{Media().mp3});
  click(u"cmdSrc"_s);
  desktop.onModal = [&](QDialog& dialog) {
    dialog.show();
    QTest::qWait(50);
    ok = Save(dialog, out(u"add_sections.png"_s)) && ok;
    dialog.findChild<QRadioButton*>(u"optSplit(0)"_s)->click();
    dialog.findChild<QLineEdit*>(u"txtFixed"_s)->setText(u"700"_s);
    ok = Save(dialog, out(u"add_sections_fixed.png"_s)) && ok;
    dialog.findChild<QPushButton*>(u"OKButton"_s)->click();
  };
  click(u"cmdAddTask"_s);
  QTest::qWait(50);
  ok = Save(window, out(u"cutter.png"_s)) && ok;

  // The progress display as it looks while a run is under way.
  window.findChild<QProgressBar*>(u"ProgressBar1"_s)->setValue(66);
  window.findChild<QProgressBar*>(u"ProgressBar1"_s)->show();
  window.findChild<QLabel*>(u"lblPer"_s)->setText(u"66"_s);
  window.findChild<QLabel*>(u"lblPer"_s)->show();
  ok = Save(window, out(u"cutter_running.png"_s)) && ok;
  window.findChild<QProgressBar*>(u"ProgressBar1"_s)->hide();
  window.findChild<QLabel*>(u"lblPer"_s)->hide();

  window.findChild<QRadioButton*>(u"optSplit(1)"_s)->click();
  window.findChild<QComboBox*>(u"cboSize"_s)->setCurrentIndex(2);
  window.findChild<QLineEdit*>(u"txtSizeVal"_s)->setText(u"1.5"_s);
  ok = Save(window, out(u"cutter_by_size.png"_s)) && ok;

  desktop.openAnswers.push_back(QStringList{Media().mp3, Media().mp3b, Media().mp3c});
  click(u"cmdAddJoin"_s);
  desktop.openAnswers.push_back(QStringList{Media().folder + u"/joined.mp3"_s});
  click(u"cmdDirJ"_s);
  window.findChild<QTabWidget*>(u"SSTab1"_s)->setCurrentIndex(1);
  QTest::qWait(50);
  ok = Save(window, out(u"joiner.png"_s)) && ok;

  desktop.onModal = [&](QDialog& about) {
    about.show();
    QTest::qWait(50);
    ok = Save(about, out(u"about.png"_s)) && ok;
    about.close();
  };
  window.findChild<QAction*>(u"mnuHelpSub(4)"_s)->trigger();
  return ok ? 0 : 1;
}
