#include "gui/graph/settings_3d_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui/graph/color_chooser.h"
#include "render/qt_convert.h"

C3DSettingsDlg::C3DSettingsDlg(const Values& values, QWidget* parent)
    : QDialog(parent), values_(values) {
  setWindowTitle(QStringLiteral("3D-FFT表示設定"));
  auto spin = [this](const char* name, int lo, int hi, int value) {
    auto* s = new QSpinBox(this);
    s->setObjectName(QString::fromLatin1(name));
    // The up-down ranges also bound what can be typed, so a pitch of 0 cannot arrive.
    s->setRange(lo, hi);
    s->setValue(std::clamp(value, lo, hi));
    return s;
  };
  slantX_ = spin("slantX", 0, 60, values_.slantXPercent);
  slantY_ = spin("slantY", 30, 90, values_.slantYPercent);
  pitch_ = spin("depthPitch", 5, 50, values_.depthPitch);

  fill_ = new QPushButton(QStringLiteral("塗りつぶし"), this);
  fill_->setObjectName(QStringLiteral("fill"));
  connect(fill_, &QPushButton::clicked, this, &C3DSettingsDlg::ChooseFill);
  ShowFill();

  auto* grid = new QGridLayout;
  int row = 0;
  auto add = [&](const QString& label, QSpinBox* box, const QString& unit) {
    grid->addWidget(new QLabel(label, this), row, 0);
    grid->addWidget(box, row, 1);
    grid->addWidget(new QLabel(unit, this), row, 2);
    ++row;
  };
  add(QStringLiteral("傾きX軸比率"), slantX_, QStringLiteral("％"));
  add(QStringLiteral("傾きY軸比率"), slantY_, QStringLiteral("％"));
  add(QStringLiteral("Z軸ピッチ"), pitch_, QStringLiteral("×0.1mm"));
  grid->addWidget(fill_, row, 0, 1, 3);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &C3DSettingsDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &C3DSettingsDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  slantX_->setFocus();
}

void C3DSettingsDlg::ShowFill() {
  fill_->setIcon(ColorSwatch(values_.fillColor));
}

void C3DSettingsDlg::ChooseFill() {
  if (std::optional<uint32_t> chosen = ChooseColor(this, values_.fillColor, values_.userColors)) {
    values_.fillColor = *chosen;
    ShowFill();
  }
}

void C3DSettingsDlg::accept() {
  values_.slantXPercent = slantX_->value();
  values_.slantYPercent = slantY_->value();
  values_.depthPitch = pitch_->value();
  QDialog::accept();
}
