#pragma once
// CSignalDlg ("信号の設定"): one component of the wave generator - its name, waveform,
// frequencies, level ratio, duty, fades, sweep and modulation, with sketches of its envelope
// and frequency course. It opens on a component, the duration of one repetition (the limit
// of the fades) and the Nyquist frequency (the limit of the sweep), and yields the edited
// component on OK. A field that does not hold a whole number keeps the dialog open with a
// message.
#include <QDialog>

#include "core/dsp/generator.h"

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

class CSignalDlg : public QDialog {
  Q_OBJECT
 public:
  CSignalDlg(const SignalComponent& component, int durationMs, int nyquistHz, QWidget* parent = nullptr);
  const SignalComponent& Result() const { return result_; }

  // The component as the fields describe it now (the sketches draw it).
  SignalComponent Current() const;

  void accept() override;

 private:
  void UpdateEnabling();
  void LimitSweepField(QSpinBox* field);
  void ApplyFade(FadeField left);
  void ConstantFrequency();
  void Redraw();
  SignalType Type() const;

  SignalComponent result_;
  int durationMs_;
  int nyquistHz_;
  QLineEdit* name_ = nullptr;
  QRadioButton* sine_ = nullptr;
  QRadioButton* square_ = nullptr;
  QRadioButton* noise_ = nullptr;
  QLineEdit* baseHz_ = nullptr;
  QLineEdit* level_ = nullptr;
  QLineEdit* duty_ = nullptr;
  QLineEdit* fadeIn_ = nullptr;
  QLineEdit* fadeOut_ = nullptr;
  QCheckBox* am_ = nullptr;
  QLineEdit* amHz_ = nullptr;
  QLineEdit* amDepth_ = nullptr;
  QSpinBox* startHz_ = nullptr;
  QSpinBox* endHz_ = nullptr;
  QPushButton* constant_ = nullptr;
  QCheckBox* log_ = nullptr;
  QCheckBox* fm_ = nullptr;
  QLineEdit* fmHz_ = nullptr;
  QLineEdit* fmBand_ = nullptr;
  QWidget* faderPattern_ = nullptr;
  QWidget* frequencyPattern_ = nullptr;
};
