#include "gui/textio/text_in_dlg.h"

#include "gui/dsp/wave_format_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/textio/text_in_values.h"
#include "gui/textio/text_file_dialog.h"
#include "render/qt_convert.h"

namespace {

// The format as the wave format dialog names its choices.
QString FormatText(uint32_t rateHz, int bits, int channels) {
  return QStringLiteral("%1Hz　%2 ﾋﾞｯﾄ　%3")
      .arg(rateHz)
      .arg(bits)
      .arg(channels == 1 ? QStringLiteral("1ch(ﾓﾉﾗﾙ)") : QStringLiteral("2ch(ｽﾃﾚｵ)"));
}

}  // namespace

CTextInDlg::CTextInDlg(const Values& values, QWidget* parent) : QDialog(parent), values_(values) {
  setWindowTitle(QStringLiteral("データテキスト入力"));
  auto edit = [this](const char* name, const std::string& text) {
    auto* e = new QLineEdit(FromUtf8(text), this);
    e->setObjectName(QString::fromLatin1(name));
    return e;
  };
  fileName_ = edit("fileName", values_.fileName);
  delimiter_ = edit("delimiter", values_.delimiter);
  frameCount_ = edit("frameCount", values_.frameCountText);
  duration_ = edit("duration", values_.durationText);
  frameCount_->setAlignment(Qt::AlignRight);
  duration_->setAlignment(Qt::AlignRight);
  // Only the user's typing makes the other edit follow; the dialog's own updates do not chain.
  connect(frameCount_, &QLineEdit::textEdited, this, &CTextInDlg::FrameCountEdited);
  connect(duration_, &QLineEdit::textEdited, this, &CTextInDlg::DurationEdited);
  connect(fileName_, &QLineEdit::textChanged, this, &CTextInDlg::UpdateOk);

  auto* browse = new QPushButton(QStringLiteral("参照"), this);
  browse->setObjectName(QStringLiteral("browse"));
  connect(browse, &QPushButton::clicked, this, &CTextInDlg::Browse);
  auto* formatButton = new QPushButton(QStringLiteral("ｳｪｰﾌﾞﾌｫｰﾏｯﾄの指定"), this);
  formatButton->setObjectName(QStringLiteral("format"));
  connect(formatButton, &QPushButton::clicked, this, &CTextInDlg::ChooseFormat);
  format_ = new QLabel(this);
  format_->setObjectName(QStringLiteral("formatShown"));
  format_->setText(FormatText(values_.rateHz, values_.bits, values_.channels));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("ファイル名"), this), 0, 0);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileName_, 1);
  fileRow->addWidget(browse);
  grid->addLayout(fileRow, 0, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("同一行内のセル区切り文字"), this), 1, 0);
  grid->addWidget(delimiter_, 1, 1, 1, 3);
  grid->addWidget(formatButton, 2, 0);
  grid->addWidget(format_, 2, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("サンプル数"), this), 3, 0);
  grid->addWidget(frameCount_, 3, 1);
  grid->addWidget(new QLabel(QStringLiteral("時間(sec)"), this), 3, 2);
  grid->addWidget(duration_, 3, 3);

  auto* notes = new QGroupBox(QStringLiteral("注意"), this);
  auto* noteText = new QLabel(QStringLiteral("各サンプルデータは改行文字で区切ってください。\n"
                                             "各行にはチャンネル数分のデータが必要です。\n"
                                             "各データは-100～100の範囲の実数で指定してください。\n"
                                             "OKボタンを押すと現在のウェーブデータは失われます。"),
                              notes);
  noteText->setObjectName(QStringLiteral("notes"));
  auto* noteLayout = new QVBoxLayout(notes);
  noteLayout->addWidget(noteText);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &CTextInDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CTextInDlg::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(notes);
  layout->addWidget(buttons);
  UpdateOk();

  initTimer_.setSingleShot(true);
  initTimer_.setInterval(kInitDelayMs);
  connect(&initTimer_, &QTimer::timeout, this, &CTextInDlg::Initialise);
  fileName_->setFocus();
}

WaveTextFormat CTextInDlg::Format() const {
  WaveTextFormat format;
  format.rateHz = values_.rateHz;
  format.bits = static_cast<uint16_t>(values_.bits);
  format.channels = static_cast<uint16_t>(values_.channels);
  format.frameCount = values_.frameCount > 0 ? static_cast<uint32_t>(values_.frameCount) : 0;
  return format;
}

void CTextInDlg::FlushTimers() {
  if (!initTimer_.isActive()) return;
  initTimer_.stop();
  Initialise();
}

void CTextInDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    initTimer_.start();
  }
}

void CTextInDlg::Initialise() {
  values_.frameCountText = FrameCountText(values_.frameCount);
  frameCount_->setText(FromUtf8(values_.frameCountText));
  FormatChanged();
}

void CTextInDlg::ChooseFormat() {
  CWaveFormatDlg::Format format;
  format.rate = values_.rateHz;
  format.bits = static_cast<uint16_t>(values_.bits);
  format.channels = static_cast<uint16_t>(values_.channels);
  CWaveFormatDlg dlg(format, this);
  if (dlg.exec() != QDialog::Accepted) return;
  values_.rateHz = dlg.Result().rate;
  values_.bits = static_cast<int16_t>(dlg.Result().bits);
  values_.channels = static_cast<int16_t>(dlg.Result().channels);
  FormatChanged();
}

void CTextInDlg::FormatChanged() {
  values_.rateHz = LimitTextInRate(values_.rateHz);
  values_.durationText = DurationText(values_.frameCount, values_.rateHz);
  duration_->setText(FromUtf8(values_.durationText));
  format_->setText(FormatText(values_.rateHz, values_.bits, values_.channels));
  UpdateOk();
}

void CTextInDlg::FrameCountEdited(const QString& text) {
  values_.frameCountText = ToUtf8(text);
  values_.frameCount = ParseFrameCountText(values_.frameCountText);
  values_.durationText = DurationText(values_.frameCount, values_.rateHz);
  duration_->setText(FromUtf8(values_.durationText));
  UpdateOk();
}

void CTextInDlg::DurationEdited(const QString& text) {
  values_.durationText = ToUtf8(text);
  values_.frameCount = FramesForDuration(ParseDurationText(values_.durationText), values_.rateHz);
  values_.frameCountText = FrameCountText(values_.frameCount);
  frameCount_->setText(FromUtf8(values_.frameCountText));
  UpdateOk();
}

void CTextInDlg::Browse() {
  const QString path = BrowseTextFile(this, false, fileName_->text());
  if (!path.isEmpty()) fileName_->setText(path);
}

void CTextInDlg::UpdateOk() {
  // Nothing can be read without a file, or into no frames.
  ok_->setEnabled(!fileName_->text().trimmed().isEmpty() && values_.frameCount > 0);
}

void CTextInDlg::accept() {
  values_.fileName = ToUtf8(fileName_->text().trimmed());
  values_.delimiter = ToUtf8(delimiter_->text());
  if (values_.fileName.empty() || values_.frameCount <= 0) return;
  QDialog::accept();
}
