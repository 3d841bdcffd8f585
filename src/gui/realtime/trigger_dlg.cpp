#include "gui/realtime/trigger_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

#include "core/platform/prompt.h"

CTriggerDlg::CTriggerDlg(const AnalysisSettings& record, const CWave& wave, QWidget* parent)
    : QDialog(parent), record_(record), targets_(TriggerTargets(wave, record)) {
  setWindowTitle(QStringLiteral("トリガ設定"));

  target_ = new QComboBox(this);
  target_->setObjectName(QStringLiteral("triggerTarget"));
  for (const TriggerTarget& t : targets_) target_->addItem(QString::fromUtf8(t.label), t.channel);
  target_->setCurrentIndex(TriggerTargetIndex(targets_, record_.triggerChannel));

  auto* slopeBox = new QGroupBox(QStringLiteral("トリガスロープ"), this);
  rising_ = new QRadioButton(QStringLiteral("立上がり"), slopeBox);
  rising_->setObjectName(QStringLiteral("slopeRising"));
  falling_ = new QRadioButton(QStringLiteral("立下がり"), slopeBox);
  falling_->setObjectName(QStringLiteral("slopeFalling"));
  (record_.triggerSlope == 1 ? falling_ : rising_)->setChecked(true);
  auto* slopeLayout = new QHBoxLayout(slopeBox);
  slopeLayout->addWidget(rising_);
  slopeLayout->addWidget(falling_);

  level_ = new QLineEdit(this);
  level_->setObjectName(QStringLiteral("level"));
  level_->setText(QString::number(static_cast<double>(static_cast<float>(record_.triggerLevel)), 'g', 7));
  delay_ = new QLineEdit(this);
  delay_->setObjectName(QStringLiteral("delay"));
  delay_->setText(QString::number(record_.triggerDelayFrames));

  auto withUnit = [this](QWidget* edit, const QString& unit) {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(edit);
    h->addWidget(new QLabel(unit, row));
    return row;
  };

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("トリガ対象"), target_);
  form->addRow(QStringLiteral("トリガレベル"), withUnit(level_, QStringLiteral("(ﾌﾙｽｹｰﾙ=10000)")));
  form->addRow(QStringLiteral("ディレイ"), withUnit(delay_, QStringLiteral("ｻﾝﾌﾟﾙ")));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CTriggerDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CTriggerDlg::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(slopeBox);
  layout->addWidget(buttons);
}

void CTriggerDlg::accept() {
  bool ok = false;
  double level = level_->text().trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(level) || std::fabs(level) > std::numeric_limits<float>::max()) {
    AppMessage("数値を入力してください。");
    level_->setFocus();
    return;
  }
  int delay = delay_->text().trimmed().toInt(&ok);
  if (!ok) {
    AppMessage("整数を入力してください。");
    delay_->setFocus();
    return;
  }
  record_.triggerChannel = target_->currentData().toInt();
  record_.triggerSlope = falling_->isChecked() ? 1 : 0;
  record_.triggerLevel = static_cast<double>(static_cast<float>(level));
  record_.triggerDelayFrames = delay;
  QDialog::accept();
}
