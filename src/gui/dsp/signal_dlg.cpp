#include "gui/dsp/signal_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <limits>

#include "gui/dsp/int_field.h"
#include "gui/dsp/signal_sketch.h"
#include "render/qt_convert.h"

namespace {

const QColor kSketchBackground(255, 255, 240);
const QColor kSketchFrame(128, 128, 128);
const QColor kSketchLine(0, 0, 160);
const QColor kSketchGuide(200, 200, 200);
constexpr int kSketchWidthPx = 150;
constexpr int kSketchHeightPx = 56;
constexpr int kSketchInsetPx = 4;

// A sweep end: any whole number can be typed (it is limited on leaving the field), the
// arrows keep it between 1 Hz and the Nyquist frequency, an emptied field becomes 1.
class SweepSpin : public QSpinBox {
 public:
  SweepSpin(int nyquistHz, QWidget* parent) : QSpinBox(parent), nyquistHz_(nyquistHz) {
    setRange(std::numeric_limits<int>::min() + 1, std::numeric_limits<int>::max());
    setSuffix(QString());
    setMinimumWidth(90);
    setKeyboardTracking(false);
  }
  void stepBy(int steps) override { setValue(std::clamp(value() + steps, 1, std::max(nyquistHz_, 1))); }
  void fixup(QString& input) const override {
    if (input.trimmed().isEmpty()) input = QStringLiteral("1");
  }

 protected:
  StepEnabled stepEnabled() const override {
    StepEnabled e = StepNone;
    if (value() > 1) e |= StepDownEnabled;
    if (value() < nyquistHz_) e |= StepUpEnabled;
    return e;
  }

 private:
  int nyquistHz_;
};

// One of the two sketches: a polyline in a unit square, y upward, with a faint middle line.
class PatternView : public QWidget {
 public:
  PatternView(std::function<std::vector<SketchPoint>()> points, QWidget* parent)
      : QWidget(parent), points_(std::move(points)) {
    setFixedSize(kSketchWidthPx, kSketchHeightPx);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(r, kSketchBackground);
    p.setPen(kSketchFrame);
    p.drawRect(r);
    const QRectF plot = QRectF(r).adjusted(kSketchInsetPx, kSketchInsetPx, -kSketchInsetPx, -kSketchInsetPx);
    p.setPen(QPen(kSketchGuide, 1, Qt::DotLine));
    p.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.right(), plot.bottom()));
    const std::vector<SketchPoint> points = points_();
    if (points.empty()) return;
    QPainterPath path;
    for (size_t i = 0; i < points.size(); ++i) {
      const QPointF at(plot.left() + points[i].x * plot.width(), plot.bottom() - points[i].y * plot.height());
      if (i == 0) path.moveTo(at);
      else path.lineTo(at);
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kSketchLine, 1.5));
    p.drawPath(path);
  }

 private:
  std::function<std::vector<SketchPoint>()> points_;
};

// "label [field] unit" in one row.
QHBoxLayout* Row(QWidget* parent, const QString& label, QWidget* field, const QString& unit) {
  auto* row = new QHBoxLayout;
  if (!label.isEmpty()) row->addWidget(new QLabel(label, parent));
  row->addWidget(field);
  if (!unit.isEmpty()) row->addWidget(new QLabel(unit, parent));
  row->addStretch(1);
  return row;
}

}  // namespace

CSignalDlg::CSignalDlg(const SignalComponent& component, int durationMs, int nyquistHz, QWidget* parent)
    : QDialog(parent), result_(component), durationMs_(durationMs), nyquistHz_(nyquistHz) {
  setWindowTitle(QStringLiteral("信号の設定"));
  const SignalComponent& c = component;

  name_ = new QLineEdit(FromUtf8(c.name), this);
  name_->setObjectName(QStringLiteral("name"));

  auto* waveBox = new QGroupBox(QStringLiteral("波形"), this);
  sine_ = new QRadioButton(QStringLiteral("正弦波"), waveBox);
  square_ = new QRadioButton(QStringLiteral("方形波"), waveBox);
  noise_ = new QRadioButton(QStringLiteral("ホワイトノイズ"), waveBox);
  sine_->setObjectName(QStringLiteral("sine"));
  square_->setObjectName(QStringLiteral("square"));
  noise_->setObjectName(QStringLiteral("noise"));
  auto* waves = new QButtonGroup(this);
  auto* waveLayout = new QVBoxLayout(waveBox);
  for (QRadioButton* b : {sine_, square_, noise_}) {
    waves->addButton(b);
    waveLayout->addWidget(b);
  }
  (c.type == SignalType::kSquare ? square_ : c.type == SignalType::kNoise ? noise_ : sine_)->setChecked(true);

  baseHz_ = NumberField(c.baseHz, "baseHz", this);
  level_ = NumberField(c.levelRatio, "level", this);
  duty_ = NumberField(c.dutyPercent, "duty", this);
  fadeIn_ = NumberField(c.fadeInMs, "fadeIn", this);
  fadeOut_ = NumberField(c.fadeOutMs, "fadeOut", this);
  am_ = new QCheckBox(QStringLiteral("振幅変調"), this);
  am_->setObjectName(QStringLiteral("am"));
  am_->setChecked(c.amOn);
  amHz_ = NumberField(c.amHz, "amHz", this);
  amDepth_ = NumberField(c.amDepthPercent, "amDepth", this);
  startHz_ = new SweepSpin(nyquistHz_, this);
  endHz_ = new SweepSpin(nyquistHz_, this);
  startHz_->setObjectName(QStringLiteral("startHz"));
  endHz_->setObjectName(QStringLiteral("endHz"));
  startHz_->setValue(c.startHz);
  endHz_->setValue(c.endHz);
  constant_ = new QPushButton(QStringLiteral("周波数一定"), this);
  constant_->setObjectName(QStringLiteral("constant"));
  constant_->setAutoDefault(false);
  log_ = new QCheckBox(QStringLiteral("周波数対数軸"), this);
  log_->setObjectName(QStringLiteral("log"));
  log_->setChecked(c.logSweep);
  fm_ = new QCheckBox(QStringLiteral("周波数変調"), this);
  fm_->setObjectName(QStringLiteral("fm"));
  fm_->setChecked(c.fmOn);
  fmHz_ = NumberField(c.fmHz, "fmHz", this);
  fmBand_ = NumberField(c.fmBandHz, "fmBand", this);
  faderPattern_ = new PatternView([this] { return FaderPattern(Current(), durationMs_); }, this);
  faderPattern_->setObjectName(QStringLiteral("faderPattern"));
  frequencyPattern_ = new PatternView([this] { return FrequencyPattern(Current()); }, this);
  frequencyPattern_->setObjectName(QStringLiteral("frequencyPattern"));

  // The waveform and the values every waveform has.
  auto* basics = new QGridLayout;
  basics->addWidget(new QLabel(QStringLiteral("基本周波数"), this), 0, 0);
  basics->addLayout(Row(this, {}, baseHz_, QStringLiteral("Hz")), 0, 1);
  basics->addWidget(new QLabel(QStringLiteral("レベル比"), this), 1, 0);
  basics->addLayout(Row(this, {}, level_, {}), 1, 1);
  basics->addWidget(new QLabel(QStringLiteral("デューティ"), this), 2, 0);
  basics->addLayout(Row(this, {}, duty_, QStringLiteral("%")), 2, 1);
  basics->setColumnStretch(2, 1);

  auto* fadeBox = new QGroupBox(QStringLiteral("フェーダパターン"), this);
  auto* fadeGrid = new QGridLayout(fadeBox);
  fadeGrid->addWidget(new QLabel(QStringLiteral("フェードイン"), fadeBox), 0, 0);
  fadeGrid->addLayout(Row(fadeBox, {}, fadeIn_, QStringLiteral("ms")), 0, 1);
  fadeGrid->addWidget(new QLabel(QStringLiteral("フェードアウト"), fadeBox), 1, 0);
  fadeGrid->addLayout(Row(fadeBox, {}, fadeOut_, QStringLiteral("ms")), 1, 1);
  fadeGrid->addWidget(faderPattern_, 0, 2, 2, 1, Qt::AlignRight);
  fadeGrid->setColumnStretch(1, 1);

  auto* amBox = new QGroupBox(this);
  auto* amLayout = new QHBoxLayout(amBox);
  amLayout->addWidget(am_);
  amLayout->addSpacing(12);
  amLayout->addLayout(Row(amBox, QStringLiteral("変調波周波数"), amHz_, QStringLiteral("Hz")));
  amLayout->addSpacing(12);
  amLayout->addLayout(Row(amBox, QStringLiteral("変調率"), amDepth_, QStringLiteral("%")));
  amLayout->addStretch(1);

  auto* sweepBox = new QGroupBox(QStringLiteral("周波数遷移パターン"), this);
  auto* sweepGrid = new QGridLayout(sweepBox);
  auto* ends = new QHBoxLayout;
  ends->addWidget(startHz_);
  ends->addWidget(new QLabel(QStringLiteral("Hz ～"), sweepBox));
  ends->addWidget(endHz_);
  ends->addWidget(new QLabel(QStringLiteral("Hz"), sweepBox));
  ends->addStretch(1);
  sweepGrid->addLayout(ends, 0, 0, 1, 2);
  sweepGrid->addWidget(constant_, 1, 0);
  sweepGrid->addWidget(log_, 1, 1);
  sweepGrid->addWidget(frequencyPattern_, 0, 2, 2, 1, Qt::AlignRight);
  sweepGrid->setColumnStretch(1, 1);

  auto* fmBox = new QGroupBox(this);
  auto* fmLayout = new QHBoxLayout(fmBox);
  fmLayout->addWidget(fm_);
  fmLayout->addSpacing(12);
  fmLayout->addLayout(Row(fmBox, QStringLiteral("変調波周波数"), fmHz_, QStringLiteral("Hz")));
  fmLayout->addSpacing(12);
  fmLayout->addLayout(Row(fmBox, QStringLiteral("周波数帯域"), fmBand_, QStringLiteral("Hz")));
  fmLayout->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CSignalDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSignalDlg::reject);

  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel(QStringLiteral("信号名"), this));
  nameRow->addWidget(name_, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(waveBox);
  top->addLayout(basics, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(nameRow);
  layout->addLayout(top);
  layout->addWidget(fadeBox);
  layout->addWidget(amBox);
  layout->addWidget(sweepBox);
  layout->addWidget(fmBox);
  layout->addWidget(buttons);

  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{sine_, square_, noise_, am_, fm_}) {
    connect(b, &QAbstractButton::clicked, this, &CSignalDlg::UpdateEnabling);
  }
  connect(log_, &QCheckBox::toggled, this, &CSignalDlg::Redraw);
  connect(constant_, &QPushButton::clicked, this, &CSignalDlg::ConstantFrequency);
  connect(fadeIn_, &QLineEdit::editingFinished, this, [this] { ApplyFade(FadeField::kIn); });
  connect(fadeOut_, &QLineEdit::editingFinished, this, [this] { ApplyFade(FadeField::kOut); });
  for (QLineEdit* e : {amDepth_, fmBand_}) connect(e, &QLineEdit::textChanged, this, &CSignalDlg::Redraw);
  for (QSpinBox* s : {startHz_, endHz_}) {
    connect(s, &QSpinBox::editingFinished, this, [this, s] { LimitSweepField(s); });
    connect(s, &QSpinBox::valueChanged, this, &CSignalDlg::Redraw);
  }
  UpdateEnabling();
  name_->setFocus();
  name_->selectAll();
}

SignalType CSignalDlg::Type() const {
  if (square_->isChecked()) return SignalType::kSquare;
  if (noise_->isChecked()) return SignalType::kNoise;
  return SignalType::kSine;
}

SignalComponent CSignalDlg::Current() const {
  SignalComponent c = result_;
  c.type = Type();
  c.baseHz = NumberOr(baseHz_, c.baseHz);
  c.levelRatio = NumberOr(level_, c.levelRatio);
  c.dutyPercent = NumberOr(duty_, c.dutyPercent);
  c.fadeInMs = NumberOr(fadeIn_, c.fadeInMs);
  c.fadeOutMs = NumberOr(fadeOut_, c.fadeOutMs);
  c.amOn = am_->isChecked();
  c.amHz = NumberOr(amHz_, c.amHz);
  c.amDepthPercent = NumberOr(amDepth_, c.amDepthPercent);
  c.startHz = startHz_->value();
  c.endHz = endHz_->value();
  c.logSweep = log_->isChecked();
  c.fmOn = fm_->isChecked();
  c.fmHz = NumberOr(fmHz_, c.fmHz);
  c.fmBandHz = NumberOr(fmBand_, c.fmBandHz);
  return c;
}

void CSignalDlg::UpdateEnabling() {
  const SignalEnabling e = EnablingFor(Type(), am_->isChecked(), fm_->isChecked());
  baseHz_->setEnabled(e.baseFrequency);
  duty_->setEnabled(e.duty);
  fadeIn_->setEnabled(e.fades);
  fadeOut_->setEnabled(e.fades);
  am_->setEnabled(e.amCheck);
  amHz_->setEnabled(e.amFields);
  amDepth_->setEnabled(e.amFields);
  for (QWidget* w : std::initializer_list<QWidget*>{startHz_, endHz_, constant_, log_}) w->setEnabled(e.sweep);
  fm_->setEnabled(e.fmCheck);
  fmHz_->setEnabled(e.fmFields);
  fmBand_->setEnabled(e.fmFields);
  Redraw();
}

void CSignalDlg::LimitSweepField(QSpinBox* field) {
  const int limited = LimitSweepHz(field->value(), nyquistHz_);
  if (limited != field->value()) field->setValue(limited);
  Redraw();
}

void CSignalDlg::ApplyFade(FadeField left) {
  bool inOk = false, outOk = false;
  int32_t in = fadeIn_->text().trimmed().toInt(&inOk);
  int32_t out = fadeOut_->text().trimmed().toInt(&outOk);
  if (!inOk || !outOk) return;  // OK says what is wrong with the field
  ApplyFadeRule(left, durationMs_, in, out);
  if (fadeIn_->text().trimmed() != QString::number(in)) fadeIn_->setText(QString::number(in));
  if (fadeOut_->text().trimmed() != QString::number(out)) fadeOut_->setText(QString::number(out));
  Redraw();
}

void CSignalDlg::ConstantFrequency() {
  if (Type() != SignalType::kSine) return;
  int32_t base = 0;
  if (!ReadIntField(baseHz_, base)) return;
  const int hz = std::clamp(base, 1, std::max(nyquistHz_, 1));
  startHz_->setValue(hz);
  endHz_->setValue(hz);
  fm_->setChecked(false);
  UpdateEnabling();
}

void CSignalDlg::Redraw() {
  faderPattern_->update();
  frequencyPattern_->update();
}

void CSignalDlg::accept() {
  SignalComponent c = result_;
  c.type = Type();
  if (!ReadIntField(baseHz_, c.baseHz) ||
      !ReadIntField(level_, 0, std::numeric_limits<int32_t>::max(), c.levelRatio) ||
      !ReadIntField(duty_, c.dutyPercent) || !ReadIntField(fadeIn_, c.fadeInMs) ||
      !ReadIntField(fadeOut_, c.fadeOutMs) || !ReadIntField(amHz_, c.amHz) ||
      !ReadIntField(amDepth_, c.amDepthPercent) || !ReadIntField(fmHz_, c.fmHz) ||
      !ReadIntField(fmBand_, c.fmBandHz)) {
    return;
  }
  // The fade rule holds also for a value typed just before OK; the sweep ends are the spin
  // positions, which stay within 1 .. Nyquist.
  ApplyFadeRule(FadeField::kIn, durationMs_, c.fadeInMs, c.fadeOutMs);
  const int top = std::max(nyquistHz_, 1);
  c.startHz = std::clamp(startHz_->value(), 1, top);
  c.endHz = std::clamp(endHz_->value(), 1, top);
  c.name = ToUtf8(name_->text());
  c.amOn = am_->isChecked();
  c.logSweep = log_->isChecked();
  c.fmOn = fm_->isChecked();
  result_ = c;
  QDialog::accept();
}
