#pragma once

#include <QDialog>
#include <QLocale>

#include "logic/add_sections.h"
#include "ui/desktop.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;
class QTreeWidget;
class QWidget;

namespace trevasso::ui {

// The Add Sections dialog: appends time sections to the main window's section list, either one
// section between two slider positions or the whole file in pieces of a fixed length. Each
// opening is a new dialog: start/end mode, millisecond unit, every box at "0".
class FrmAdd : public QDialog {
  Q_OBJECT

 public:
  // `playTime` is the opened source's play time in milliseconds and `timeCaption` the main
  // window's caption of it; rows go to `lvwTask`.
  FrmAdd(Desktop& desktop, double playTime, const QString& timeCaption, QTreeWidget& lvwTask,
         QWidget* parent);

  // Sets both sliders to the range the opener allows, after the dialog's own start-up settings.
  void SetSliderRange(int minimum, int maximum);

 private:
  void optSMH_Click(int index);
  void optSplit_Click(int index);
  void OKButton_Click();
  // Keeps a text box showing its slider's position, and a slider following a valid typed value.
  void CoupleSlider(QSlider* slider, QLineEdit* box);

  Desktop& desktop_;
  const double playTime_;
  QTreeWidget& lvwTask_;
  logic::SliderUnit unit_ = logic::SliderUnit::MilliSeconds;

  QRadioButton* optSMH_[3] = {};
  QRadioButton* optSplit_[2] = {};
  QWidget* frSE_ = nullptr;
  QLineEdit* txtStart_[2] = {};
  QSlider* sldStart_ = nullptr;
  QSlider* sldEnd_ = nullptr;
  QLabel* Label5_[2] = {};
  QLabel* lblStart_[2] = {};
  QLineEdit* txtFixed_ = nullptr;
};

}  // namespace trevasso::ui
