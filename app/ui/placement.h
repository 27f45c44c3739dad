#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <utility>

namespace trevasso::ui {

// Makes a control named `name` on `parent` at a fixed place, as the windows lay out their
// controls: `args` are the control's own constructor arguments before its parent.
template <typename Control, typename... Args>
Control* Place(QWidget* parent, const QString& name, const QRect& geometry, Args&&... args) {
  auto* control = new Control(std::forward<Args>(args)..., parent);
  control->setObjectName(name);
  control->setGeometry(geometry);
  return control;
}

// The name of member `index` of an indexed group of controls: "optSplit(0)".
inline QString Indexed(const QString& group, int index) {
  return group + u'(' + QString::number(index) + u')';
}

}  // namespace trevasso::ui
