#pragma once

#include <QObject>

namespace trevasso::ui {

// Drops the characters a number box does not take before they reach it: every printable typed
// character but the digits, and the point where `allowPoint`. Backspace, keys that type nothing
// (arrows), control keys (Enter, Escape, Delete) and shortcuts such as copy and paste pass.
class TypingFilter : public QObject {
  Q_OBJECT

 public:
  TypingFilter(bool allowPoint, QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool allowPoint_;
};

}  // namespace trevasso::ui
