#pragma once
// CMixDlg ("データ合成"): mixing one buffer's selection into the other's, by adding ("加算",
// chosen each time) or averaging ("平均"), with or without smoothing.
#include <QDialog>
#include <string>

class QCheckBox;
class QRadioButton;

class CMixDlg : public QDialog {
  Q_OBJECT
 public:
  // source and dest: the buffer names followed by their channel names.
  CMixDlg(const std::string& source, const std::string& dest, bool smoothing, QWidget* parent = nullptr);
  bool Average() const;
  bool Smoothing() const;

 private:
  QRadioButton* add_ = nullptr;
  QRadioButton* average_ = nullptr;
  QCheckBox* smoothing_ = nullptr;
};
