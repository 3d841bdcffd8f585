#pragma once
// CLevelDlg ("レベル変換"): the percentage of a level change (1 to 10000, starting at 100)
// and the smoothing choice, with bars of the selection's peak before and after.
#include <QDialog>

class QCheckBox;
class QSpinBox;
class LevelBars;

class CLevelDlg : public QDialog {
  Q_OBJECT
 public:
  // peak: the selection's largest magnitude on the 16-bit scale.
  CLevelDlg(int peak, bool smoothing, QWidget* parent = nullptr);
  int Percent() const;
  bool Smoothing() const;

 private:
  QSpinBox* percent_ = nullptr;
  QCheckBox* smoothing_ = nullptr;
  LevelBars* bars_ = nullptr;
};
