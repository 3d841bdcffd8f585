#pragma once
// CTriggerDlg ("トリガ設定"): the trigger target, slope, level and delay of a copy of the
// settings panel's record. The level is edited on the level scale (full scale 10000) and the
// delay in frames, the units the trigger search uses.
#include <QDialog>

#include <vector>

#include "core/realtime/analysis_settings.h"
#include "core/realtime/recording_plan.h"

class CWave;
class QComboBox;
class QLineEdit;
class QRadioButton;

class CTriggerDlg : public QDialog {
  Q_OBJECT
 public:
  CTriggerDlg(const AnalysisSettings& record, const CWave& wave, QWidget* parent = nullptr);
  // The record with the dialog's values, valid after OK.
  const AnalysisSettings& Record() const { return record_; }

  void accept() override;

 private:
  AnalysisSettings record_;
  std::vector<TriggerTarget> targets_;
  QComboBox* target_ = nullptr;
  QRadioButton* rising_ = nullptr;
  QRadioButton* falling_ = nullptr;
  QLineEdit* level_ = nullptr;
  QLineEdit* delay_ = nullptr;
};
