#include "ui/program_icon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

const QString kIconResource = u":/trevasso/trevasso.svg"_s;

}  // namespace

QPixmap ProgramPixmap(int size, qreal devicePixelRatio) {
  const int pixels = qRound(size * devicePixelRatio);
  QPixmap pixmap(pixels, pixels);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QSvgRenderer renderer(kIconResource);
  QPainter painter(&pixmap);
  renderer.render(&painter, QRectF(0, 0, size, size));
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}

}  // namespace trevasso::ui
