#include "ui/frm_add.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include "ui/list_views.h"
#include "ui/logic_edge.h"
#include "ui/main_title.h"
#include "ui/placement.h"
#include "ui/typing_filter.h"

namespace trevasso::ui {

using namespace Qt::StringLiterals;

namespace {

// Client area of 6285 x 5295 twips at 15 twips per pixel.
constexpr QSize kClientSize(419, 353);

}  // namespace

FrmAdd::FrmAdd(Desktop& desktop, double playTime, const QString& timeCaption, QTreeWidget& lvwTask,
               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      desktop_(desktop),
      playTime_(playTime),
      lvwTask_(lvwTask) {
  setObjectName(u"frmAdd"_s);
  setWindowTitle(u"Add Sections"_s);
  const Placement at(*this);
  setFixedSize(at.Size(kClientSize));

  at.Place<QLabel>(this, u"Label7"_s, QRect(10, 8, 399, 18), timeCaption);

  auto* frame1 = at.Place<QFrame>(this, u"Frame1"_s, QRect(10, 30, 399, 50));
  frame1->setFrameShape(QFrame::StyledPanel);
  auto* unitGroup = new QButtonGroup(this);
  const QString unitCaptions[] = {u"Mili Seconds (MS)"_s, u"Seconds (S = 1000 MS)"_s,
                                  u"Minutes (M = 60 S)"_s};
  const QRect unitPlaces[] = {QRect(8, 4, 180, 20), QRect(200, 4, 190, 20), QRect(8, 26, 180, 20)};
  for (int i = 0; i < 3; ++i) {
    optSMH_[i] =
        at.Place<QRadioButton>(frame1, Indexed(u"optSMH"_s, i), unitPlaces[i], unitCaptions[i]);
    unitGroup->addButton(optSMH_[i], i);
  }

  auto* modeGroup = new QButtonGroup(this);
  optSplit_[1] =
      at.Place<QRadioButton>(this, Indexed(u"optSplit"_s, 1), QRect(10, 86, 399, 20),
                             u"Add a task with Start Time and End Time as the following"_s);
  frSE_ = at.Place<QFrame>(this, u"frSE"_s, QRect(10, 108, 399, 146));
  static_cast<QFrame*>(frSE_)->setFrameShape(QFrame::StyledPanel);
  const QString edgeNames[] = {u"Start Time"_s, u"End Time"_s};
  for (int i = 0; i < 2; ++i) {
    const int top = 6 + 70 * i;
    at.Place<QLabel>(frSE_, i == 0 ? Indexed(u"Label1"_s, 0) : u"Label2"_s,
                     QRect(10, top + 2, 74, 20), edgeNames[i]);
    txtStart_[i] =
        at.Place<QLineEdit>(frSE_, Indexed(u"txtStart"_s, i), QRect(86, top, 100, 24), u"0"_s);
    txtStart_[i]->installEventFilter(new TypingFilter(false, txtStart_[i]));
    at.Place<QLabel>(frSE_, Indexed(u"Label1"_s, i + 1), QRect(194, top + 2, 100, 20),
                     u"Mili Seconds"_s);
    auto* slider = at.Place<QSlider>(frSE_, i == 0 ? u"sldStart"_s : u"sldEnd"_s,
                                     QRect(10, top + 28, 379, 20), Qt::Horizontal);
    (i == 0 ? sldStart_ : sldEnd_) = slider;
    Label5_[i] =
        at.Place<QLabel>(frSE_, Indexed(u"Label5"_s, i), QRect(10, top + 48, 180, 16), u"0"_s);
    lblStart_[i] =
        at.Place<QLabel>(frSE_, Indexed(u"lblStart"_s, i), QRect(209, top + 48, 180, 16), u"0"_s);
    lblStart_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CoupleSlider(slider, txtStart_[i]);
  }

  optSplit_[0] = at.Place<QRadioButton>(this, Indexed(u"optSplit"_s, 0), QRect(10, 262, 399, 20),
                                        u"Split the whole file by Fixed Time"_s);
  at.Place<QLabel>(this, u"Label4"_s, QRect(30, 288, 80, 20), u"Time Value"_s);
  txtFixed_ = at.Place<QLineEdit>(this, u"txtFixed"_s, QRect(112, 286, 100, 24), u"0"_s);
  txtFixed_->installEventFilter(new TypingFilter(false, txtFixed_));
  at.Place<QLabel>(this, u"Label3"_s, QRect(218, 288, 30, 20), u"MS"_s);
  for (int i = 0; i < 2; ++i) modeGroup->addButton(optSplit_[i], i);

  auto* ok = at.Place<QPushButton>(this, u"OKButton"_s, QRect(225, 316, 88, 28), u"OK"_s);
  ok->setDefault(true);
  auto* cancel =
      at.Place<QPushButton>(this, u"CancelButton"_s, QRect(321, 316, 88, 28), u"Cancel"_s);

  connect(unitGroup, &QButtonGroup::idClicked, this, [this](int id) { optSMH_Click(id); });
  connect(modeGroup, &QButtonGroup::idClicked, this, [this](int id) { optSplit_Click(id); });
  connect(ok, &QPushButton::clicked, this, [this] { OKButton_Click(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Start-up: millisecond unit, start/end mode, the boxes at "0".
  optSMH_[0]->setChecked(true);
  {
    const QSignalBlocker blockStart(sldStart_);
    const QSignalBlocker blockEnd(sldEnd_);
    optSMH_Click(0);
  }
  optSplit_[1]->setChecked(true);
  optSplit_Click(1);
}

void FrmAdd::SetSliderRange(int minimum, int maximum) {
  for (QSlider* slider : {sldStart_, sldEnd_}) {
    // Before the dialog shows, the sliders rest at their minimum under boxes that read "0".
    const QSignalBlocker block(slider);
    slider->setRange(minimum, maximum);
    slider->setValue(minimum);
  }
}

void FrmAdd::CoupleSlider(QSlider* slider, QLineEdit* box) {
  connect(slider, &QSlider::valueChanged, box, [box](int value) {
    bool ok = false;
    if (box->text().toInt(&ok) != value || !ok) box->setText(QString::number(value));
  });
  connect(box, &QLineEdit::textChanged, slider, [slider](const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    // A value the slider cannot take leaves it where it is.
    if (ok && value >= slider->minimum() && value <= slider->maximum()) slider->setValue(value);
  });
}

void FrmAdd::optSMH_Click(int index) {
  unit_ = static_cast<logic::SliderUnit>(index);
  const logic::SliderRange range = logic::UnitRange(unit_, playTime_);
  for (int i = 0; i < 2; ++i) {
    QSlider* slider = i == 0 ? sldStart_ : sldEnd_;
    slider->setMaximum(range.maximum);
    if (range.minimum) slider->setMinimum(*range.minimum);
    Label5_[i]->setText(FromUtf8(range.lowerCaption));
    lblStart_[i]->setText(FromUtf8(range.upperCaption));
  }
}

void FrmAdd::optSplit_Click(int index) {
  const bool fixedLength = index == 0;
  txtFixed_->setEnabled(fixedLength);
  frSE_->setEnabled(!fixedLength);
}

void FrmAdd::OKButton_Click() {
  const bool fixedLength = optSplit_[0]->isChecked();
  const logic::AddResult result =
      fixedLength ? logic::FixedLengthSections(ToUtf8(txtFixed_->text()), playTime_)
                  : logic::StartEndSection(sldStart_->value(), sldEnd_->value(), unit_, playTime_);
  if (result.refusal != logic::AddRefusal::None) {
    desktop_.ShowMessage(this, MessageIcon::Critical,
                         FromUtf8(logic::RefusalMessage(result.refusal)));
    if (fixedLength) txtFixed_->setFocus();
    return;
  }
  for (const logic::Section& section : result.sections) {
    AppendTaskRow(lvwTask_, section, locale());
  }
  accept();
}

}  // namespace trevasso::ui
