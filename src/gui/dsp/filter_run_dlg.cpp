#include "gui/dsp/filter_run_dlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/platform/work_progress.h"
#include "core/wave/wave.h"
#include "render/qt_convert.h"

namespace {
constexpr int kProgressIntervalMs = 100;
}

// The frame reached, and the cancel flag that the button raises while events are pumped.
class CFilterRunDlg::Progress : public PumpingProgress {};

CFilterRunDlg::CFilterRunDlg(QWidget* parent) : QDialog(parent), progress_(std::make_unique<Progress>()) {
  setWindowTitle(QStringLiteral("フィルタ実行"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  status_->setMinimumWidth(280);
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  bar_->setRange(0, 1);
  bar_->setValue(0);
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  connect(cancel, &QPushButton::clicked, this, &CFilterRunDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(bar_);
  layout->addWidget(cancel, 0, Qt::AlignHCenter);

  startTimer_ = new QTimer(this);
  startTimer_->setSingleShot(true);
  connect(startTimer_, &QTimer::timeout, this, &CFilterRunDlg::Start);
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(kProgressIntervalMs);
  connect(progressTimer_, &QTimer::timeout, this, &CFilterRunDlg::ShowProgress);
}

CFilterRunDlg::~CFilterRunDlg() = default;

bool CFilterRunDlg::SetFilter(FilterType type, int order, double f1KHz, double f2KHz, double attenuationDb,
                              CWave* wave, int channels) {
  const bool ok = run_.SetFilter(type, order, f1KHz, f2KHz, attenuationDb, wave, channels);
  status_->setText(FromUtf8(FirstStage()));
  return ok;
}

void CFilterRunDlg::SetConversion(uint32_t rate, uint16_t bits, uint16_t channels, bool subtract) {
  run_.SetConversion(rate, bits, channels, subtract);
  status_->setText(FromUtf8(FirstStage()));
}

void CFilterRunDlg::SetWave(CWave* wave) {
  run_.SetWave(wave);
  status_->setText(FromUtf8(FirstStage()));
}

const char* CFilterRunDlg::FirstStage() const {
  const CWave* wave = run_.Wave();
  if (run_.HasFilter() && wave) {
    if (wave->Channels() < 2) return kStatusFilterMono;
    return run_.Channels() == kFilterRight ? kStatusFilterRight : kStatusFilterLeft;
  }
  return run_.HasConversion() ? kStatusConversion : "";
}

uint32_t CFilterRunDlg::Position() const { return progress_->Position(); }

void CFilterRunDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  startTimer_->start(startDelayMs_);
}

void CFilterRunDlg::Start() {
  const uint32_t frames = run_.Wave() ? run_.Wave()->FrameCount() : 0;
  divisor_ = ProgressDivisor(frames);
  bar_->setRange(0, static_cast<int>(frames / divisor_));
  bar_->setValue(0);
  progressTimer_->start();
  running_ = true;
  outcome_ = run_.Run(progress_.get(), [this](const char* stage) { status_->setText(FromUtf8(stage)); });
  running_ = false;
  progressTimer_->stop();
  QDialog::accept();
}

void CFilterRunDlg::ShowProgress() { bar_->setValue(static_cast<int>(progress_->Position() / divisor_)); }

void CFilterRunDlg::reject() {
  // Only the work ends the dialog; before it has started, cancelling ends it at once.
  progress_->Cancel();
  if (!running_) {
    startTimer_->stop();
    outcome_ = FilterRun::Result::kCancelled;
    QDialog::accept();
  }
}

void CFilterRunDlg::closeEvent(QCloseEvent* event) {
  event->ignore();
  reject();
}
