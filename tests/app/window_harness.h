#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <functional>
#include <memory>

#include "stub_desktop.h"
#include "ui/frm_quorvane.h"

namespace trevasso::tests {

// The main window on the stub desktop, shown (so that it paints) under the offscreen platform.
struct WindowHarness {
  WindowHarness() : window(std::make_unique<ui::FrmQuorvane>(desktop)) {
    window->show();
    exposed = QTest::qWaitForWindowExposed(window.get());
  }

  template <typename Control>
  Control* Find(const QString& name) const {
    return window->findChild<Control*>(name);
  }

  StubDesktop desktop;
  std::unique_ptr<ui::FrmQuorvane> window;
  bool exposed = false;
};

// Records what a control showed each time it was painted (consecutive repeats and empty texts
// left out), so a test sees the progress the user saw while the engine held the thread.
class PaintRecorder : public QObject {
 public:
  PaintRecorder(QWidget* control, std::function<QString()> shown)
      : control_(control), shown_(std::move(shown)) {
    control_->installEventFilter(this);
  }
  ~PaintRecorder() override { control_->removeEventFilter(this); }

  static std::unique_ptr<PaintRecorder> Text(QLabel* label) {
    return std::make_unique<PaintRecorder>(label, [label] { return label->text(); });
  }
  static std::unique_ptr<PaintRecorder> Value(QProgressBar* bar) {
    return std::make_unique<PaintRecorder>(bar, [bar] { return QString::number(bar->value()); });
  }

  QStringList seen;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == control_ && event->type() == QEvent::Paint) {
      const QString now = shown_();
      if (!now.isEmpty() && (seen.isEmpty() || seen.last() != now)) seen.append(now);
    }
    return false;
  }

 private:
  QWidget* control_;
  std::function<QString()> shown_;
};

}  // namespace trevasso::tests
