#pragma once
// CRecordSettingsDlg ("録音設定"): rate, width, channels, length and continuous mode of a
// recording, on a copy of the settings panel's record. The status line tells whether the
// recording will be written into the FFT range of the document's wave.
#include <QDialog>

#include "core/realtime/analysis_settings.h"
#include "core/realtime/recording_plan.h"

class CWave;
class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

class CRecordSettingsDlg : public QDialog {
  Q_OBJECT
 public:
  CRecordSettingsDlg(const AnalysisSettings& record, const CWave& wave, QWidget* parent = nullptr);
  const AnalysisSettings& Record() const { return record_; }
  QString StatusText() const;

  void accept() override;

 private:
  RecordingChoice ReadChoice() const;
  void ShowChoice(const RecordingChoice& c);
  void RememberOpened(const RecordingChoice& c);
  void RefreshStatus();
  void Reset();

  AnalysisSettings record_;
  const CWave& wave_;
  float openedSeconds_ = 0;
  QButtonGroup* rate_ = nullptr;
  QButtonGroup* bits_ = nullptr;
  QButtonGroup* channels_ = nullptr;
  QLineEdit* anyRate_ = nullptr;
  QCheckBox* continuous_ = nullptr;
  QDoubleSpinBox* seconds_ = nullptr;
  QLabel* status_ = nullptr;
};
