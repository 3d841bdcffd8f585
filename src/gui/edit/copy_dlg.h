#pragma once
// CCopyDlg ("データコピー"): copying one buffer's selection into the other: over the
// destination's selection (chosen each time), or inserted at its start or its end, with or
// without smoothing.
#include <QDialog>
#include <string>

class QButtonGroup;
class QCheckBox;

class CCopyDlg : public QDialog {
  Q_OBJECT
 public:
  CCopyDlg(const std::string& source, const std::string& dest, bool smoothing, QWidget* parent = nullptr);
  // kOverlayOverwrite, kOverlayInsertAtFirst or kOverlayInsertAtLast.
  int Mode() const;
  bool Smoothing() const;

 private:
  QButtonGroup* modes_ = nullptr;
  QCheckBox* smoothing_ = nullptr;
};
