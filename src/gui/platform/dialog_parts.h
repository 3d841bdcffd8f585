#pragma once
// Pieces several dialogs share: the OK and Cancel row with the program's own Cancel text,
// and the zoom control.
#include <QSpinBox>

class QDialog;
class QDialogButtonBox;

// OK and "ｷｬﾝｾﾙ", wired to the dialog's accept and reject.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// The zoom control: up and down arrows beside their (read-only) value. Each step zooms
// once; the owner sets the value back to kMiddle.
class ZoomSpin : public QSpinBox {
 public:
  static constexpr int kMiddle = 50;
  explicit ZoomSpin(QWidget* parent);
};
