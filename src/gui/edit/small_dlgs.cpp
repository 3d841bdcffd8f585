// The mix, copy and echo dialogs of the editing dialog.
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/wave/wave.h"
#include "gui/edit/copy_dlg.h"
#include "gui/edit/delay_dlg.h"
#include "gui/edit/edit_texts.h"
#include "gui/edit/mix_dlg.h"
#include "gui/platform/dialog_parts.h"

namespace {

constexpr int kMaxDelayMs = 10000;
constexpr int kMaxResidualPercent = 100;

// Source and destination, one line each.
QFormLayout* SourceAndDest(QWidget* dialog, const char* sourceLabel, const std::string& source,
                           const char* destLabel, const std::string& dest) {
  auto* form = new QFormLayout;
  auto* from = new QLabel(QString::fromStdString(source), dialog);
  from->setObjectName(QStringLiteral("source"));
  auto* to = new QLabel(QString::fromStdString(dest), dialog);
  to->setObjectName(QStringLiteral("dest"));
  form->addRow(QString::fromUtf8(sourceLabel), from);
  form->addRow(QString::fromUtf8(destLabel), to);
  return form;
}

QCheckBox* SmoothingBox(QWidget* dialog, bool smoothing) {
  auto* box = new QCheckBox(QStringLiteral("スムージング"), dialog);
  box->setObjectName(QStringLiteral("smoothing"));
  box->setChecked(smoothing);
  return box;
}

QRadioButton* Radio(QWidget* parent, const char* text, const char* name) {
  auto* r = new QRadioButton(QString::fromUtf8(text), parent);
  r->setObjectName(QString::fromLatin1(name));
  return r;
}

}  // namespace

// --- mix ---

CMixDlg::CMixDlg(const std::string& source, const std::string& dest, bool smoothing, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("データ合成"));
  auto* how = new QGroupBox(QStringLiteral("合成方法"), this);
  add_ = Radio(how, "加算", "add");
  average_ = Radio(how, "平均", "average");
  add_->setChecked(true);
  auto* howLayout = new QHBoxLayout(how);
  howLayout->addWidget(add_);
  howLayout->addWidget(average_);
  smoothing_ = SmoothingBox(this, smoothing);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(SourceAndDest(this, "合成元：", source, "合成先：", dest));
  layout->addWidget(how);
  layout->addWidget(smoothing_);
  layout->addWidget(OkCancelButtons(this));
}

bool CMixDlg::Average() const { return average_->isChecked(); }
bool CMixDlg::Smoothing() const { return smoothing_->isChecked(); }

// --- copy ---

CCopyDlg::CCopyDlg(const std::string& source, const std::string& dest, bool smoothing, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("データコピー"));
  auto* how = new QGroupBox(QStringLiteral("コピー方法"), this);
  modes_ = new QButtonGroup(this);
  modes_->addButton(Radio(how, "コピー先の選択範囲に上書き", "overwrite"), kOverlayOverwrite);
  modes_->addButton(Radio(how, "コピー先の選択始点へ挿入", "insertAtStart"), kOverlayInsertAtFirst);
  modes_->addButton(Radio(how, "コピー先の選択終点へ挿入", "insertAtEnd"), kOverlayInsertAtLast);
  modes_->button(kOverlayOverwrite)->setChecked(true);
  auto* howLayout = new QVBoxLayout(how);
  for (QAbstractButton* b : modes_->buttons()) howLayout->addWidget(b);
  smoothing_ = SmoothingBox(this, smoothing);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(SourceAndDest(this, "コピー元：", source, "コピー先：", dest));
  layout->addWidget(how);
  layout->addWidget(smoothing_);
  layout->addWidget(OkCancelButtons(this));
}

int CCopyDlg::Mode() const { return modes_->checkedId(); }
bool CCopyDlg::Smoothing() const { return smoothing_->isChecked(); }

// --- echo ---

CDelayDlg::CDelayDlg(int delayMs, int residualPercent, int selector, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ディレイ（エコー）"));
  delay_ = new QSpinBox(this);
  delay_->setObjectName(QStringLiteral("delay"));
  delay_->setRange(0, kMaxDelayMs);
  delay_->setValue(delayMs);
  delay_->setSuffix(QStringLiteral(" msec"));
  residual_ = new QSpinBox(this);
  residual_->setObjectName(QStringLiteral("residual"));
  residual_->setRange(0, kMaxResidualPercent);
  residual_->setValue(residualPercent);
  residual_->setSuffix(QStringLiteral(" %"));
  auto* channel = new QLabel(QStringLiteral("対象チャンネル：") + QString::fromUtf8(ChannelName(selector)), this);
  channel->setObjectName(QStringLiteral("channel"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("遅延時間"), delay_);
  form->addRow(QStringLiteral("残音ﾚﾍﾞﾙ"), residual_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(channel);
  layout->addWidget(OkCancelButtons(this));
}

int CDelayDlg::DelayMs() const { return delay_->value(); }
int CDelayDlg::ResidualPercent() const { return residual_->value(); }
