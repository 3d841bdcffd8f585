#include "gui/realtime/record_settings_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/platform/prompt.h"
#include "core/wave/wave.h"

namespace {

QGroupBox* RadioGroup(QWidget* parent, const QString& title, const QStringList& labels,
                      QButtonGroup*& group, const QString& objectPrefix) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(box);
  group = new QButtonGroup(box);
  for (int i = 0; i < labels.size(); ++i) {
    auto* b = new QRadioButton(labels[i], box);
    b->setObjectName(objectPrefix + QString::number(i));
    group->addButton(b, i);
    layout->addWidget(b);
  }
  return box;
}

}  // namespace

CRecordSettingsDlg::CRecordSettingsDlg(const AnalysisSettings& record, const CWave& wave,
                                       QWidget* parent)
    : QDialog(parent), record_(record), wave_(wave) {
  setWindowTitle(QStringLiteral("録音設定"));

  QGroupBox* rateBox = RadioGroup(this, QStringLiteral("サンプリング周波数"),
                                  {QStringLiteral("11025Hz"), QStringLiteral("22050Hz"),
                                   QStringLiteral("44100Hz"), QStringLiteral("任意の周波数")},
                                  rate_, QStringLiteral("rate"));
  anyRate_ = new QLineEdit(rateBox);
  anyRate_->setObjectName(QStringLiteral("anyRate"));
  auto* anyRow = new QHBoxLayout;
  anyRow->addSpacing(20);
  anyRow->addWidget(anyRate_);
  anyRow->addWidget(new QLabel(QStringLiteral("Hz"), rateBox));
  static_cast<QVBoxLayout*>(rateBox->layout())->addLayout(anyRow);

  QGroupBox* bitsBox = RadioGroup(this, QStringLiteral("データ長"),
                                  {QStringLiteral("８ﾋﾞｯﾄ"), QStringLiteral("16ﾋﾞｯﾄ")}, bits_,
                                  QStringLiteral("bits"));
  QGroupBox* channelBox = RadioGroup(this, QStringLiteral("チャンネル"),
                                     {QStringLiteral("ﾓﾉﾗﾙ"), QStringLiteral("ｽﾃﾚｵ")}, channels_,
                                     QStringLiteral("channels"));

  seconds_ = new QDoubleSpinBox(this);
  seconds_->setObjectName(QStringLiteral("seconds"));
  seconds_->setRange(0, 999);
  seconds_->setDecimals(3);
  seconds_->setSingleStep(1);
  continuous_ = new QCheckBox(QStringLiteral("連続録音"), this);
  continuous_->setObjectName(QStringLiteral("continuous"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  auto* reset = new QPushButton(QStringLiteral("ﾘｾｯﾄ"), this);
  reset->setObjectName(QStringLiteral("reset"));

  auto* lengthRow = new QHBoxLayout;
  lengthRow->addWidget(new QLabel(QStringLiteral("録音時間"), this));
  lengthRow->addWidget(seconds_);
  lengthRow->addWidget(new QLabel(QStringLiteral("秒"), this));
  lengthRow->addStretch();
  lengthRow->addWidget(continuous_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  buttons->addButton(reset, QDialogButtonBox::ResetRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CRecordSettingsDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CRecordSettingsDlg::reject);
  connect(reset, &QPushButton::clicked, this, &CRecordSettingsDlg::Reset);

  auto* grid = new QGridLayout;
  grid->addWidget(rateBox, 0, 0, 2, 1);
  grid->addWidget(bitsBox, 0, 1);
  grid->addWidget(channelBox, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(lengthRow);
  layout->addWidget(status_);
  layout->addWidget(buttons);

  RecordingChoice c = RecordingChoiceFrom(record_);
  ShowChoice(c);
  RememberOpened(c);
  RefreshStatus();

  auto refresh = [this] { RefreshStatus(); };
  connect(rate_, &QButtonGroup::idClicked, this, refresh);
  connect(bits_, &QButtonGroup::idClicked, this, refresh);
  connect(channels_, &QButtonGroup::idClicked, this, refresh);
  connect(continuous_, &QCheckBox::toggled, this, refresh);
  connect(seconds_, &QDoubleSpinBox::valueChanged, this, refresh);
  connect(anyRate_, &QLineEdit::textChanged, this, refresh);
}

RecordingChoice CRecordSettingsDlg::ReadChoice() const {
  RecordingChoice c;
  c.rateChoice = std::max(0, rate_->checkedId());
  c.anyRateHz = anyRate_->text().trimmed().toUInt();
  c.bitsChoice = std::max(0, bits_->checkedId());
  c.channelChoice = std::max(0, channels_->checkedId());
  c.continuous = continuous_->isChecked();
  c.seconds = static_cast<float>(seconds_->value());
  return c;
}

void CRecordSettingsDlg::ShowChoice(const RecordingChoice& c) {
  const QSignalBlocker b1(seconds_), b2(anyRate_), b3(continuous_);
  rate_->button(c.rateChoice)->setChecked(true);
  anyRate_->setText(c.rateChoice == 3 ? QString::number(c.anyRateHz) : QString());
  bits_->button(c.bitsChoice)->setChecked(true);
  channels_->button(c.channelChoice)->setChecked(true);
  continuous_->setChecked(c.continuous);
  seconds_->setValue(c.seconds);
}

void CRecordSettingsDlg::RememberOpened(const RecordingChoice&) {
  // What the spin box shows is what counts as unchanged: compare with its rounding.
  openedSeconds_ = static_cast<float>(seconds_->value());
}

void CRecordSettingsDlg::RefreshStatus() {
  RecordingChoice c = ReadChoice();
  AnalysisSettings scratch = record_;
  ApplyRecordingChoice(c, openedSeconds_, scratch);
  status_->setText(RecordingNeedsNewBuffer(wave_, scratch) ? QStringLiteral("選択領域へのはめ込み無効")
                                                           : QStringLiteral("選択領域へのはめ込み有効"));
  anyRate_->setEnabled(c.rateChoice == 3);
}

QString CRecordSettingsDlg::StatusText() const { return status_->text(); }

void CRecordSettingsDlg::Reset() {
  ResetRecordingToWave(wave_, record_);
  RecordingChoice c = RecordingChoiceFrom(record_);
  ShowChoice(c);
  RememberOpened(c);
  RefreshStatus();
}

void CRecordSettingsDlg::accept() {
  RecordingChoice c = ReadChoice();
  if (c.rateChoice == 3 && (c.anyRateHz < kMinRecordingRateHz || c.anyRateHz > kMaxRecordingRateHz)) {
    AppMessage("サンプリング周波数は、5000Hz～48000Hzの範囲で指定してください。");
    return;
  }
  ApplyRecordingChoice(c, openedSeconds_, record_);
  QDialog::accept();
}
