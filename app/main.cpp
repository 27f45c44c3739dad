#include <QApplication>

#include "ui/frm_quorvane.h"
#include "ui/qt_desktop.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  trevasso::ui::QtDesktop desktop;
  trevasso::ui::FrmQuorvane frmQuorvane(desktop);
  frmQuorvane.show();
  return app.exec();
}
