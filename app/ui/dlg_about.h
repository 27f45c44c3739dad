#pragma once

#include <QDialog>

#include "ui/desktop.h"

namespace trevasso::ui {

// The About box: icon, name, version, what the program does and a link to the product's web
// page. It has no buttons; the close box closes it.
class DlgAbout : public QDialog {
  Q_OBJECT

 public:
  explicit DlgAbout(Desktop& desktop, QWidget* parent = nullptr);
};

}  // namespace trevasso::ui
