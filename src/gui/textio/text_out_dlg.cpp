#include "gui/textio/text_out_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "core/textio/spectrum_box_source.h"
#include "core/textio/spectrum_text.h"
#include "core/textio/wave_text.h"
#include "gui/textio/text_file_dialog.h"
#include "render/qt_convert.h"
#include "render/qt_font.h"

namespace {

// The preview's font: the document font's face at a cell height of 12 pixels.
constexpr int32_t kPreviewFontHeight = 12;
// Space between preview lines beyond the height of "0000", in pixels.
constexpr int kPreviewLineGap = 3;

QString Description(CTextOutDlg::Mode mode) {
  if (mode == CTextOutDlg::Mode::kSpectrum) {
    return QStringLiteral("FFTの計算結果をテキストファイルに保存します。");
  }
  return QStringLiteral("ウェーブデータをテキストファイルに保存します。\n"
                        "保存するテキストファイルのサイズは、"
                        "ウェーブファイルへ保存するより数倍から数十倍"
                        "になりますので、容量に十分注意してください。");
}

}  // namespace

// The area of "出力イメージ": a white field with the beginning of the file, line by line,
// clipped to the field.
class CTextOutDlg::Preview : public QWidget {
 public:
  Preview(const DocumentFont& font, QWidget* parent) : QWidget(parent) {
    LogFont logFont = font.logFont;
    logFont.height = kPreviewFontHeight;
    logFont.width = 0;
    font_ = FontFromLogFont(logFont, 1.0);
    setObjectName(QStringLiteral("preview"));
    setMinimumSize(480, 240);
  }

  void SetText(const QString& text) {
    lines_ = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    update();
  }
  QString Text() const { return lines_.join(QLatin1Char('\n')); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QRect field = rect().adjusted(1, 1, -1, -1);
    p.fillRect(field, Qt::white);
    p.setClipRect(field);
    p.setFont(font_);
    p.setPen(Qt::black);
    const QFontMetrics metrics(font_);
    const int pitch = metrics.size(Qt::TextSingleLine, QStringLiteral("0000")).height() + kPreviewLineGap;
    int y = 2;
    for (const QString& line : lines_) {
      if (y > field.bottom()) break;
      p.drawText(2, y + metrics.ascent(), line);
      y += pitch;
    }
  }

 private:
  QFont font_;
  QStringList lines_;
};

CTextOutDlg::CTextOutDlg(const Values& values, QWidget* parent) : QDialog(parent), values_(values) {
  setWindowTitle(QStringLiteral("データテキスト出力"));
  values_.left = (values_.available & kLeftAvailable) != 0;
  values_.right = (values_.available & kRightAvailable) != 0;
  values_.mono = (values_.available & kMonoAvailable) != 0;
  const bool spectrum = values_.mode == Mode::kSpectrum;

  description_ = new QLabel(Description(values_.mode), this);
  description_->setObjectName(QStringLiteral("description"));
  description_->setWordWrap(true);

  auto check = [this](const char* name, const QString& text, bool on) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    connect(box, &QCheckBox::toggled, this, &CTextOutDlg::Changed);
    return box;
  };
  conditions_ = check("conditions", QStringLiteral("条件出力"), values_.options.conditions);
  names_ = check("columnNames", QStringLiteral("項目名出力"), values_.options.columnNames);
  step_ = check("stepColumn", spectrum ? QStringLiteral("周波数出力") : QStringLiteral("時間出力"),
                values_.options.stepColumn);
  left_ = check("left", QStringLiteral("Ｌチャンネル"), values_.left);
  right_ = check("right", QStringLiteral("Ｒチャンネル"), values_.right);
  mono_ = check("mono", QStringLiteral("Ｍチャンネル（合成波）"), values_.mono);
  // Enabled for the channels that have data once the dialog has been up for a moment.
  for (QCheckBox* box : {left_, right_, mono_}) box->setEnabled(false);

  delimiter_ = new QLineEdit(FromUtf8(values_.options.delimiter), this);
  delimiter_->setObjectName(QStringLiteral("delimiter"));
  connect(delimiter_, &QLineEdit::textChanged, this, &CTextOutDlg::Changed);
  fileName_ = new QLineEdit(FromUtf8(values_.fileName), this);
  fileName_->setObjectName(QStringLiteral("fileName"));
  auto* browse = new QPushButton(QStringLiteral("参照"), this);
  browse->setObjectName(QStringLiteral("browse"));
  connect(browse, &QPushButton::clicked, this, &CTextOutDlg::Browse);

  auto* items = new QGroupBox(QStringLiteral("出力項目"), this);
  auto* itemGrid = new QGridLayout(items);
  itemGrid->addWidget(conditions_, 0, 0);
  itemGrid->addWidget(names_, 0, 1);
  itemGrid->addWidget(step_, 0, 2);
  itemGrid->addWidget(left_, 1, 0);
  itemGrid->addWidget(right_, 1, 1);
  itemGrid->addWidget(mono_, 1, 2);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(QStringLiteral("同一行内のセル区切り文字"), this), 0, 0);
  fields->addWidget(delimiter_, 0, 1);
  fields->addWidget(new QLabel(QStringLiteral("ファイル名"), this), 1, 0);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileName_, 1);
  fileRow->addWidget(browse);
  fields->addLayout(fileRow, 1, 1);

  auto* image = new QGroupBox(QStringLiteral("出力イメージ"), this);
  preview_ = new Preview(values_.font, image);
  auto* imageLayout = new QVBoxLayout(image);
  imageLayout->addWidget(preview_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &CTextOutDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CTextOutDlg::reject);
  // A file name is needed before anything can be written.
  auto nameGiven = [this] { ok_->setEnabled(!fileName_->text().trimmed().isEmpty()); };
  connect(fileName_, &QLineEdit::textChanged, this, nameGiven);
  nameGiven();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(description_);
  layout->addWidget(items);
  layout->addLayout(fields);
  layout->addWidget(image, 1);
  layout->addWidget(buttons);

  enableTimer_.setSingleShot(true);
  enableTimer_.setInterval(kEnableDelayMs);
  connect(&enableTimer_, &QTimer::timeout, this, &CTextOutDlg::EnableChannels);
  previewTimer_.setSingleShot(true);
  previewTimer_.setInterval(kPreviewDelayMs);
  connect(&previewTimer_, &QTimer::timeout, this, &CTextOutDlg::RedrawPreview);
  fileName_->setFocus();
}

std::string CTextOutDlg::PreviewText(const Values& values) {
  if (!values.wave) return {};
  if (values.mode == Mode::kSpectrum) {
    SpectrumBoxSource boxes(*values.wave, values.spectrumLeft, values.spectrumRight,
                            values.spectrumMono);
    return FormatSpectrumText(boxes.Selected(values.left, values.right, values.mono),
                              values.options, kPreviewRows);
  }
  return FormatWaveText(*values.wave, {values.left, values.right, values.mono}, values.options,
                        kPreviewRows);
}

bool CTextOutDlg::WriteFile(const Values& values) {
  if (!values.wave || values.fileName.empty()) return false;
  if (values.mode == Mode::kSpectrum) {
    SpectrumBoxSource boxes(*values.wave, values.spectrumLeft, values.spectrumRight,
                            values.spectrumMono);
    return WriteSpectrumTextFile(values.fileName,
                                 boxes.Selected(values.left, values.right, values.mono),
                                 values.options);
  }
  return WriteWaveTextFile(values.fileName, *values.wave, {values.left, values.right, values.mono},
                           values.options);
}

QString CTextOutDlg::ShownPreview() const { return preview_->Text(); }

void CTextOutDlg::FlushTimers() {
  if (enableTimer_.isActive()) {
    enableTimer_.stop();
    EnableChannels();
  }
  if (previewTimer_.isActive()) {
    previewTimer_.stop();
    RedrawPreview();
  }
}

void CTextOutDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    enableTimer_.start();
    Changed();
  }
}

void CTextOutDlg::EnableChannels() {
  left_->setEnabled((values_.available & kLeftAvailable) != 0);
  right_->setEnabled((values_.available & kRightAvailable) != 0);
  mono_->setEnabled((values_.available & kMonoAvailable) != 0);
  step_->setText(values_.mode == Mode::kSpectrum ? QStringLiteral("周波数出力")
                                                 : QStringLiteral("時間出力"));
}

void CTextOutDlg::ReadControls() {
  values_.options.conditions = conditions_->isChecked();
  values_.options.columnNames = names_->isChecked();
  values_.options.stepColumn = step_->isChecked();
  values_.left = left_->isChecked();
  values_.right = right_->isChecked();
  values_.mono = mono_->isChecked();
  values_.options.delimiter = ToUtf8(delimiter_->text());
  values_.fileName = ToUtf8(fileName_->text().trimmed());
}

void CTextOutDlg::Changed() {
  ReadControls();
  previewTimer_.start();
}

void CTextOutDlg::RedrawPreview() { preview_->SetText(FromUtf8(PreviewText(values_))); }

void CTextOutDlg::Browse() {
  const QString path = BrowseTextFile(this, true, fileName_->text());
  if (!path.isEmpty()) fileName_->setText(path);
}

void CTextOutDlg::accept() {
  ReadControls();
  if (values_.fileName.empty()) return;
  QDialog::accept();
}
