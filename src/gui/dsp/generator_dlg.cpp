#include "gui/dsp/generator_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "core/platform/prompt.h"
#include "core/wave/wave_device.h"
#include "gui/dsp/int_field.h"
#include "gui/dsp/signal_dlg.h"
#include "gui/dsp/wave_format_dlg.h"
#include "render/qt_convert.h"

namespace {

constexpr int kFillDelayMs = 50;
constexpr int kPlayWatchMs = 100;
constexpr const char* kCannotPlay = "テスト再生ができません。";

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

CGeneratorDlg::CGeneratorDlg(const GeneratorSettings& settings, WaveDevice* device, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("ウェーブジェネレータ"));
  testWave_.SetDevice(device);

  duration_ = NumberField(settings.durationMs, "duration", this);
  repetitions_ = NumberField(settings.repetitions, "repetitions", this);
  peak_ = NumberField(settings.peakPercent, "peak", this);
  total_ = new QLabel(this);
  total_->setObjectName(QStringLiteral("total"));
  total_->setMinimumWidth(110);
  format_ = new QLabel(this);
  format_->setObjectName(QStringLiteral("format"));

  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("list"));
  list_->setMinimumSize(460, 160);
  add_ = Button(QStringLiteral("合成信号の追加"), "add", this);
  edit_ = Button(QStringLiteral("合成信号の編集"), "edit", this);
  delete_ = Button(QStringLiteral("削除"), "delete", this);
  auto* formatButton = Button(QStringLiteral("ｳｪｰﾌﾞﾌｫｰﾏｯﾄの設定"), "formatButton", this);
  testPlay_ = Button(QStringLiteral("ﾃｽﾄ再生"), "testPlay", this);
  stop_ = Button(QStringLiteral("停止"), "stop", this);

  auto* times = new QGridLayout;
  times->addWidget(new QLabel(QStringLiteral("時間"), this), 0, 0);
  times->addWidget(duration_, 0, 1);
  times->addWidget(new QLabel(QStringLiteral("ms"), this), 0, 2);
  times->addWidget(new QLabel(QStringLiteral("繰り返し"), this), 0, 3);
  times->addWidget(repetitions_, 0, 4);
  times->addWidget(new QLabel(QStringLiteral("回"), this), 0, 5);
  times->addWidget(new QLabel(QStringLiteral("総時間"), this), 0, 6);
  times->addWidget(total_, 0, 7);
  times->addWidget(new QLabel(QStringLiteral("ピークレベル"), this), 1, 0);
  times->addWidget(peak_, 1, 1);
  times->addWidget(new QLabel(QStringLiteral("%"), this), 1, 2);
  times->setColumnStretch(8, 1);

  auto* listBox = new QGroupBox(QStringLiteral("信号リスト"), this);
  auto* listButtons = new QVBoxLayout;
  listButtons->addWidget(add_);
  listButtons->addWidget(edit_);
  listButtons->addWidget(delete_);
  listButtons->addStretch(1);
  auto* listLayout = new QHBoxLayout(listBox);
  listLayout->addWidget(list_, 1);
  listLayout->addLayout(listButtons);

  auto* formatRow = new QHBoxLayout;
  formatRow->addWidget(formatButton);
  formatRow->addWidget(format_, 1);
  formatRow->addWidget(testPlay_);
  formatRow->addWidget(stop_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CGeneratorDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CGeneratorDlg::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(times);
  layout->addWidget(listBox, 1);
  layout->addLayout(formatRow);
  layout->addWidget(buttons);

  connect(add_, &QPushButton::clicked, this, &CGeneratorDlg::AddComponent);
  connect(edit_, &QPushButton::clicked, this, &CGeneratorDlg::EditComponent);
  connect(delete_, &QPushButton::clicked, this, &CGeneratorDlg::DeleteComponent);
  connect(formatButton, &QPushButton::clicked, this, &CGeneratorDlg::ChooseFormat);
  connect(testPlay_, &QPushButton::clicked, this, &CGeneratorDlg::TestPlay);
  connect(stop_, &QPushButton::clicked, this, &CGeneratorDlg::StopTestPlay);
  connect(list_, &QListWidget::itemDoubleClicked, this, &CGeneratorDlg::EditComponent);
  connect(list_, &QListWidget::currentRowChanged, this, &CGeneratorDlg::UpdateButtons);
  auto* deleteKey = new QShortcut(QKeySequence(QKeySequence::Delete), list_);
  deleteKey->setContext(Qt::WidgetShortcut);
  connect(deleteKey, &QShortcut::activated, this, &CGeneratorDlg::DeleteComponent);
  for (QLineEdit* e : {duration_, repetitions_}) connect(e, &QLineEdit::editingFinished, this, &CGeneratorDlg::ShowTotal);

  fillTimer_ = new QTimer(this);
  fillTimer_->setSingleShot(true);
  fillTimer_->setInterval(kFillDelayMs);
  connect(fillTimer_, &QTimer::timeout, this, &CGeneratorDlg::FillList);
  playWatch_ = new QTimer(this);
  playWatch_->setInterval(kPlayWatchMs);
  connect(playWatch_, &QTimer::timeout, this, &CGeneratorDlg::UpdateButtons);

  ShowTotal();
  ShowFormat();
  UpdateButtons();
}

CGeneratorDlg::~CGeneratorDlg() { testWave_.Stop(); }

void CGeneratorDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!filled_) fillTimer_->start();
}

void CGeneratorDlg::FillList() {
  filled_ = true;
  const int row = list_->currentRow();
  list_->clear();
  for (const SignalComponent& c : settings_.components) list_->addItem(FromUtf8(ComponentSummary(c)));
  if (list_->count() > 0) list_->setCurrentRow(std::clamp(row, 0, list_->count() - 1));
  UpdateButtons();
}

void CGeneratorDlg::ShowTotal() {
  bool durationOk = false, repetitionsOk = false;
  const long long duration = duration_->text().trimmed().toInt(&durationOk);
  const long long repetitions = repetitions_->text().trimmed().toInt(&repetitionsOk);
  if (!durationOk || !repetitionsOk) return;
  total_->setText(QStringLiteral("%1 msec").arg(duration * repetitions));
}

void CGeneratorDlg::ShowFormat() {
  format_->setText(QStringLiteral("%1Hz  %2 ﾋﾞｯﾄ  %3ch")
                       .arg(settings_.rateHz)
                       .arg(settings_.bits)
                       .arg(settings_.channels));
}

void CGeneratorDlg::UpdateButtons() {
  const bool selected = list_->currentRow() >= 0 && list_->currentRow() < static_cast<int>(settings_.components.size());
  add_->setEnabled(settings_.components.size() < static_cast<size_t>(kMaxSignalComponents));
  edit_->setEnabled(selected);
  delete_->setEnabled(selected);
  testPlay_->setEnabled(!settings_.components.empty());
  const bool playing = testWave_.IsBusy();
  stop_->setEnabled(playing);
  if (!playing) playWatch_->stop();
}

int CGeneratorDlg::DurationForFades() const { return NumberOr(duration_, settings_.durationMs); }

void CGeneratorDlg::AddComponent() {
  if (settings_.components.size() >= static_cast<size_t>(kMaxSignalComponents)) return;
  CSignalDlg dlg(NewComponent(settings_.components), DurationForFades(), static_cast<int>(settings_.rateHz / 2), this);
  if (dlg.exec() != QDialog::Accepted) return;
  settings_.components.push_back(dlg.Result());
  list_->addItem(FromUtf8(ComponentSummary(dlg.Result())));
  list_->setCurrentRow(list_->count() - 1);
  UpdateButtons();
}

void CGeneratorDlg::EditComponent() {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(settings_.components.size())) return;
  CSignalDlg dlg(settings_.components[row], DurationForFades(), static_cast<int>(settings_.rateHz / 2), this);
  if (dlg.exec() != QDialog::Accepted) return;
  settings_.components[row] = dlg.Result();
  list_->item(row)->setText(FromUtf8(ComponentSummary(dlg.Result())));
}

void CGeneratorDlg::DeleteComponent() {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(settings_.components.size())) return;
  settings_.components.erase(settings_.components.begin() + row);
  FillList();
}

void CGeneratorDlg::ChooseFormat() {
  CWaveFormatDlg dlg({settings_.rateHz, settings_.bits, settings_.channels}, this);
  if (dlg.exec() != QDialog::Accepted) return;
  settings_.rateHz = dlg.Result().rate;
  settings_.bits = dlg.Result().bits;
  settings_.channels = dlg.Result().channels;
  ShowFormat();
}

bool CGeneratorDlg::TakeFields() {
  return ReadIntField(duration_, 1, kMaxDurationMs, settings_.durationMs) &&
         ReadIntField(repetitions_, 1, kMaxRepetitions, settings_.repetitions) &&
         ReadIntField(peak_, 0, 100, settings_.peakPercent);
}

void CGeneratorDlg::TestPlay() {
  if (settings_.components.empty() || !TakeFields()) return;
  testWave_.Stop();
  testWave_.SetFormat(settings_.rateHz, settings_.bits, settings_.channels);
  if (!testWave_.Allocate(settings_.rateHz)) {
    AppMessage(kCannotPlay, PromptButtons::Ok, PromptIcon::Warning);
    return;
  }
  testWave_.Generate(settings_);
  if (!testWave_.Play(0, 0)) {
    WaveDevice* device = testWave_.Device();
    const std::string why = device ? device->ErrorMessage(WaveDevice::kOutput) : std::string();
    AppMessage(why.empty() ? std::string(kCannotPlay) : std::string(kCannotPlay) + "\n" + why, PromptButtons::Ok,
               PromptIcon::Warning);
    return;
  }
  playWatch_->start();
  UpdateButtons();
}

void CGeneratorDlg::StopTestPlay() {
  testWave_.Stop();
  UpdateButtons();
}

void CGeneratorDlg::accept() {
  if (!TakeFields()) return;
  const std::string problem = GeneratorSettingsProblem(settings_);
  if (!problem.empty()) {
    AppMessage(problem, PromptButtons::Ok, PromptIcon::Warning);
    duration_->setFocus();
    return;
  }
  QDialog::accept();
}

void CGeneratorDlg::done(int result) {
  testWave_.Stop();
  QDialog::done(result);
}
