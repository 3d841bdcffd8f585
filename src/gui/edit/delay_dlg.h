#pragma once
// CDelayDlg ("ディレイ（エコー）"): the echo's delay ("遅延時間", 0 to 10000 ms) and residual
// level ("残音ﾚﾍﾞﾙ", 0 to 100 %), for the channel named in the dialog.
#include <QDialog>

class QSpinBox;

class CDelayDlg : public QDialog {
  Q_OBJECT
 public:
  CDelayDlg(int delayMs, int residualPercent, int selector, QWidget* parent = nullptr);
  int DelayMs() const;
  int ResidualPercent() const;

 private:
  QSpinBox* delay_ = nullptr;
  QSpinBox* residual_ = nullptr;
};
