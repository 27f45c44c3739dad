#include "ui/typing_filter.h"

#include <QKeyEvent>

#include "logic/number_mask.h"

namespace trevasso::ui {

TypingFilter::TypingFilter(bool allowPoint, QObject* parent)
    : QObject(parent), allowPoint_(allowPoint) {}

bool TypingFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
  const QString text = key->text();
  if (text.isEmpty()) return false;
  for (const QChar c : text) {
    // Control characters (Enter, Escape, Delete) edit or leave the box rather than type into it.
    if (c.category() == QChar::Other_Control) continue;
    if (!logic::AcceptsTypedCharacter(c.unicode(), allowPoint_)) return true;
  }
  return false;
}

}  // namespace trevasso::ui
