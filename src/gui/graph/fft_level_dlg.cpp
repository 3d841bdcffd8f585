#include "gui/graph/fft_level_dlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/doc/wav_doc.h"
#include "core/platform/prompt.h"
#include "gui/realtime/panel_host.h"
#include "render/qt_convert.h"

namespace {

// An edit shows its float with six significant digits.
QString EditText(float value) { return QString::number(static_cast<double>(value), 'g', 6); }

}  // namespace

CFFTLevelDlg::CFFTLevelDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("FFTレベル設定"));

  mode_ = new QComboBox(this);
  mode_->setObjectName(QStringLiteral("adjustMode"));
  for (const char* label : kLevelAdjustModeLabels) mode_->addItem(QString::fromUtf8(label));
  frequency_ = new QLineEdit(this);
  frequency_->setObjectName(QStringLiteral("frequency"));
  level_ = new QLineEdit(this);
  level_->setObjectName(QStringLiteral("level"));
  offset_ = new QLineEdit(this);
  offset_->setObjectName(QStringLiteral("offset"));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("ｱｼﾞｬｽﾄﾓｰﾄﾞ"), this), 0, 0);
  grid->addWidget(mode_, 0, 1, 1, 2);
  int row = 1;
  auto addEdit = [&](const QString& label, QLineEdit* edit, const QString& unit) {
    grid->addWidget(new QLabel(label, this), row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(new QLabel(unit, this), row, 2);
    ++row;
  };
  addEdit(QStringLiteral("周波数"), frequency_, QStringLiteral("Hz"));
  addEdit(QStringLiteral("レベル"), level_, QStringLiteral("％"));
  addEdit(QStringLiteral("オフセット"), offset_, QStringLiteral("dB"));

  auto* notes = new QVBoxLayout;
  notes->setSpacing(0);
  for (const char* text : {"OKﾎﾞﾀﾝをｸﾘｯｸすると", "ｵｰﾄｱｼﾞｬｽﾄが有効となります", "", "設定内容はFFTのレベル軸がdB表示の",
                           "ときに有効になります。"}) {
    notes->addWidget(new QLabel(QString::fromUtf8(text), this));
  }

  confirm_ = new QPushButton(QStringLiteral("確定"), this);
  confirm_->setObjectName(QStringLiteral("confirm"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  buttons->addButton(confirm_, QDialogButtonBox::ApplyRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CFFTLevelDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CFFTLevelDlg::reject);
  connect(confirm_, &QPushButton::clicked, this, &CFFTLevelDlg::Apply);
  connect(mode_, &QComboBox::currentIndexChanged, this, &CFFTLevelDlg::OnModeChange);
  connect(frequency_, &QLineEdit::textChanged, this, &CFFTLevelDlg::OnModeChange);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(6);
  layout->addLayout(notes);
  layout->addSpacing(6);
  layout->addWidget(buttons);
}

void CFFTLevelDlg::Bind(CWavDoc* doc) {
  doc_ = doc;
  if (doc_) record_ = doc_->Settings();
  if (created_) WriteControls();
}

void CFFTLevelDlg::Show(QWidget* parentView) {
  if (created_) {
    update();
    raise();
    activateWindow();
    return;
  }
  if (parentView && parentWidget() != parentView) setParent(parentView, windowFlags() | Qt::Dialog);
  created_ = true;
  WriteControls();
  adjustSize();
  show();
}

void CFFTLevelDlg::Close() {
  if (!created_) return;
  hide();
  created_ = false;
  if (doc_) doc_->UpdateAllViews();
}

void CFFTLevelDlg::closeEvent(QCloseEvent* event) {
  Close();
  event->accept();
}

void CFFTLevelDlg::accept() {
  if (Apply()) Close();
}

void CFFTLevelDlg::reject() { Close(); }

void CFFTLevelDlg::WriteControls() {
  const FftLevelControls c = LevelControlsFromRecord(record_);
  mode_->setCurrentIndex(c.mode >= 0 && c.mode < mode_->count() ? c.mode : kLevelAdjustPeak);
  frequency_->setText(EditText(c.frequencyHz));
  level_->setText(EditText(c.levelPercent));
  offset_->setText(EditText(c.offsetDb));
  OnModeChange();
}

bool CFFTLevelDlg::ReadControls(FftLevelControls& c, bool report) {
  c.mode = mode_->currentIndex();
  for (auto [edit, value] : {std::pair{frequency_, &c.frequencyHz}, std::pair{level_, &c.levelPercent},
                             std::pair{offset_, &c.offsetDb}}) {
    const std::optional<float> v = ParseFloatEdit(ToUtf8(edit->text()));
    if (!v) {
      if (report) {
        AppMessage("数値を入力してください。");
        edit->setEnabled(true);
        edit->setFocus();
        edit->selectAll();
      }
      return false;
    }
    *value = *v;
  }
  return true;
}

void CFFTLevelDlg::OnModeChange() {
  const FftLevelEnabling e = LevelEditsEnabled(mode_->currentIndex());
  frequency_->setEnabled(e.frequency);
  level_->setEnabled(e.level);
}

void CFFTLevelDlg::SetReferencePoint(double frequencyHz, double levelPercent) {
  FftLevelControls c;
  if (ReadControls(c, false)) ApplyLevelControls(c, record_);
  frequency_->setText(EditText(static_cast<float>(frequencyHz)));
  level_->setText(EditText(static_cast<float>(levelPercent)));
}

void CFFTLevelDlg::SyncFromRecord(const AnalysisSettings& record) {
  TakeRunSettings(record, record_);
  if (created_) WriteControls();
}

bool CFFTLevelDlg::Apply() {
  FftLevelControls c;
  if (!ReadControls(c, true)) return false;
  if (!doc_) {
    ApplyLevelControls(c, record_);
    return true;
  }
  record_ = ConfirmedLevelRecord(doc_->Settings(), c);
  if (view_) view_->ApplyToDocument(record_, 1);
  else doc_->ApplySettings(record_, 1);
  return true;
}
