#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class QLineEdit;
#include <utility>

#include "logic/layout_scale.h"
#include "ui/logic_edge.h"

namespace trevasso::ui {

// What `font` measures on the screen, for scaling the design geometry to it.
logic::FontBase MeasureFont(const QFont& font);

// Places the controls of one window at the rectangles drawn for the design font, scaled to the
// font the window actually has, so that captions fit at any font size.
class Placement {
 public:
  // Measures the font of `window` (the application's font unless the window sets its own).
  explicit Placement(const QWidget& window);

  const logic::LayoutScale& Scale() const { return scale_; }
  QRect Rect(const QRect& design) const { return ToQt(scale_.Rect(ToLogic(design))); }
  QSize Size(const QSize& design) const { return ToQt(scale_.Size(ToLogic(design))); }

  // Makes a control named `name` on `parent` at the scaled `design` rectangle: `args` are the
  // control's own constructor arguments before its parent.
  template <typename Control, typename... Args>
  Control* Place(QWidget* parent, const QString& name, const QRect& design, Args&&... args) const {
    auto* control = new Control(std::forward<Args>(args)..., parent);
    control->setObjectName(name);
    control->setGeometry(Rect(design));
    return control;
  }

 private:
  logic::LayoutScale scale_;
};

// Keeps the tooltip of a box showing its whole text, for a path wider than the box.
void ShowWholeTextAsToolTip(QLineEdit& box);

// The name of member `index` of an indexed group of controls: "optSplit(0)".
inline QString Indexed(const QString& group, int index) {
  return group + u'(' + QString::number(index) + u')';
}

}  // namespace trevasso::ui
