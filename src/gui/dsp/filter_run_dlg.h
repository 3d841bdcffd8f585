#pragma once
// CFilterRunDlg ("フィルタ実行"): runs a filter, a format conversion, or both, with a progress
// bar and a cancel button. Configure it with SetFilter (a filter job on a wave), SetWave (a
// conversion alone: no filter), SetConversion (a conversion after the filter), then exec():
// the work starts one second after the dialog is shown and the dialog closes with OK when
// it has ended, also after a cancel. The cancel button and Escape only ask the work to
// stop; a run that was cancelled or failed leaves the wave exactly as it was.
#include <QDialog>

#include "core/dsp/filter_run.h"

class CWave;
class QLabel;
class QProgressBar;
class QTimer;

class CFilterRunDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CFilterRunDlg(QWidget* parent = nullptr);
  ~CFilterRunDlg() override;

  // Designs the filter (frequencies in kHz, the attenuation in dB, channels 0 both, 1 left
  // or the only channel, 2 right) for the wave; false when no filter can be designed.
  bool SetFilter(FilterType type, int order, double f1KHz, double f2KHz, double attenuationDb, CWave* wave,
                 int channels);
  // Adds the format conversion, run after the filter.
  void SetConversion(uint32_t rate, uint16_t bits, uint16_t channels, bool subtract);
  // Sets the wave and drops the filter job.
  void SetWave(CWave* wave);

  // How the last run ended.
  FilterRun::Result Outcome() const { return outcome_; }
  // The delay between showing and starting (1000 ms; tests shorten it).
  void SetStartDelay(int ms) { startDelayMs_ = ms; }
  // The frame reached in the current stage, and the divisor of the bar.
  uint32_t Position() const;
  uint32_t Divisor() const { return divisor_; }
  bool Running() const { return running_; }

  // Asks the work to stop (the cancel button and Escape); the dialog closes when it has.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Start();
  void ShowProgress();
  const char* FirstStage() const;

  class Progress;
  std::unique_ptr<Progress> progress_;
  FilterRun run_;
  FilterRun::Result outcome_ = FilterRun::Result::kFailed;
  uint32_t divisor_ = 1;
  int startDelayMs_ = 1000;
  bool started_ = false;
  bool running_ = false;
  QLabel* status_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QTimer* startTimer_ = nullptr;
  QTimer* progressTimer_ = nullptr;
};
