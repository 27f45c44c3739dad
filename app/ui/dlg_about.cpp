#include "ui/dlg_about.h"

#include <QLabel>
#include <algorithm>

#include "ui/placement.h"
#include "ui/program_files.h"
#include "ui/program_icon.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

// Client area of 4365 x 2085 twips at 15 twips per pixel.
constexpr QSize kClientSize(291, 139);
constexpr int kIconSize = 48;

}  // namespace

DlgAbout::DlgAbout(Desktop& desktop, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(u"dlgABout"_s);
  setWindowTitle(u"About Pelluvex"_s);
  setWindowIcon(ProgramIcon());
  const Placement at(*this);
  setFixedSize(at.Size(kClientSize));

  auto* picture = at.Place<QLabel>(this, u"Picture1"_s, QRect(14, 14, kIconSize, kIconSize));
  picture->setPixmap(
      ProgramPixmap(std::min(picture->width(), picture->height()), devicePixelRatioF()));
  auto* name = at.Place<QLabel>(this, u"Label1"_s, QRect(76, 12, 200, 22), u"Pelluvex"_s);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  name->setFont(bold);
  at.Place<QLabel>(this, u"lVer"_s, QRect(76, 36, 200, 18), u"Version 1"_s);
  auto* what = at.Place<QLabel>(this, u"Label2"_s, QRect(76, 58, 205, 44),
                             u"Split MP3 and WAVE audio; Join splitted MP3 or WAVE audio back"_s);
  what->setWordWrap(true);
  what->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const QString address = ProductWebAddress();
  auto* link = at.Place<QLabel>(
      this, u"Label3"_s, QRect(76, 110, 205, 18),
      u"<a href=\"%1\" style=\"color:#0000ff\">%1</a>"_s.arg(address.toHtmlEscaped()));
  link->setTextFormat(Qt::RichText);
  link->setToolTip(address);
  link->setAccessibleName(address);
  connect(link, &QLabel::linkActivated, this,
          [target = &desktop](const QString&) { target->ShellOpen(ProductWebAddress()); });
}

}  // namespace trevasso::ui
