#include "ui/placement.h"

#include <QFontMetricsF>
#include <QLineEdit>

namespace trevasso::ui {

logic::FontBase MeasureFont(const QFont& font) {
  const QFontMetricsF metrics(font);
  const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  return {metrics.horizontalAdvance(letters) / letters.size(), metrics.height()};
}

Placement::Placement(const QWidget& window)
    : scale_(logic::LayoutScale::Between(logic::kDesignFont, MeasureFont(window.font()))) {}

void ShowWholeTextAsToolTip(QLineEdit& box) {
  QObject::connect(&box, &QLineEdit::textChanged, &box, &QLineEdit::setToolTip);
}

}  // namespace trevasso::ui
