#include "gui/platform/dialog_parts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

namespace {

constexpr int kZoomArrowsWidthPx = 34;  // the arrows and the frame of the zoom spin

}  // namespace

ZoomSpin::ZoomSpin(QWidget* parent) : QSpinBox(parent) {
  lineEdit()->setReadOnly(true);
  setRange(0, 2 * kMiddle);
  setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("100")) + kZoomArrowsWidthPx);
  setValue(kMiddle);
}
