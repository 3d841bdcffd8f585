#include "gui/dsp/wave_format_dlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/platform/prompt.h"

namespace {

constexpr uint32_t kStandardRates[3] = {11025, 22050, 44100};
constexpr int kOtherRate = 3;

}  // namespace

CWaveFormatDlg::CWaveFormatDlg(const Format& format, QWidget* parent) : QDialog(parent), result_(format) {
  setWindowTitle(QStringLiteral("ウェーブフォーマット"));
  auto group = [this](const QString& title, QRadioButton** buttons, std::initializer_list<QString> texts,
                      const char* name) {
    auto* box = new QGroupBox(title, this);
    auto* ids = new QButtonGroup(box);
    int i = 0;
    for (const QString& t : texts) {
      buttons[i] = new QRadioButton(t, box);
      buttons[i]->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(i));
      ids->addButton(buttons[i], i);
      ++i;
    }
    return box;
  };

  QGroupBox* rateBox = group(QStringLiteral("サンプリング周波数"), rates_,
                             {QStringLiteral("11025Hz"), QStringLiteral("22050Hz"), QStringLiteral("44100Hz"),
                              QStringLiteral("任意の周波数")},
                             "rate");
  rate_ = new QLineEdit(rateBox);
  rate_->setObjectName(QStringLiteral("rateHz"));
  rate_->setValidator(new QIntValidator(0, 999999, rate_));
  rate_->setMaximumWidth(80);
  auto* rateGrid = new QGridLayout(rateBox);
  for (int i = 0; i < 3; ++i) rateGrid->addWidget(rates_[i], i, 0, 1, 3);
  rateGrid->addWidget(rates_[kOtherRate], 3, 0);
  rateGrid->addWidget(rate_, 3, 1);
  rateGrid->addWidget(new QLabel(QStringLiteral("Hz"), rateBox), 3, 2);

  QGroupBox* bitsBox = group(QStringLiteral("ビット数"), bits_, {QStringLiteral("8 ﾋﾞｯﾄ"), QStringLiteral("16 ﾋﾞｯﾄ")}, "bits");
  auto* bitsLayout = new QVBoxLayout(bitsBox);
  for (QRadioButton* b : bits_) bitsLayout->addWidget(b);
  QGroupBox* channelBox = group(QStringLiteral("チャンネル数"), channels_,
                                {QStringLiteral("1ch(ﾓﾉﾗﾙ)"), QStringLiteral("2ch(ｽﾃﾚｵ)")}, "channels");
  auto* channelLayout = new QVBoxLayout(channelBox);
  for (QRadioButton* b : channels_) channelLayout->addWidget(b);

  int rateChoice = kOtherRate;
  for (int i = 0; i < 3; ++i) {
    if (format.rate == kStandardRates[i]) rateChoice = i;
  }
  rates_[rateChoice]->setChecked(true);
  if (rateChoice == kOtherRate) rate_->setText(QString::number(format.rate));
  bits_[format.bits == 8 ? 0 : 1]->setChecked(true);
  channels_[format.channels == 1 ? 0 : 1]->setChecked(true);
  for (QRadioButton* b : rates_) connect(b, &QRadioButton::toggled, this, &CWaveFormatDlg::EnableRateField);
  EnableRateField();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CWaveFormatDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CWaveFormatDlg::reject);

  auto* right = new QVBoxLayout;
  right->addWidget(bitsBox);
  right->addWidget(channelBox);
  auto* top = new QHBoxLayout;
  top->addWidget(rateBox);
  top->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
}

void CWaveFormatDlg::EnableRateField() { rate_->setEnabled(rates_[kOtherRate]->isChecked()); }

void CWaveFormatDlg::accept() {
  uint32_t rate = 0;
  for (int i = 0; i < 3; ++i) {
    if (rates_[i]->isChecked()) rate = kStandardRates[i];
  }
  if (rates_[kOtherRate]->isChecked()) {
    rate = rate_->text().toUInt();
    if (rate < kMinRateHz || rate > kMaxRateHz) {
      AppMessage("サンプリング周波数は、5000Hz～48000Hzの範囲で指定してください。", PromptButtons::Ok,
                 PromptIcon::Warning);
      rate_->setFocus();
      rate_->selectAll();
      return;
    }
  }
  result_.rate = rate;
  result_.bits = bits_[0]->isChecked() ? 8 : 16;
  result_.channels = channels_[0]->isChecked() ? 1 : 2;
  QDialog::accept();
}
