#include "gui/dsp/filter_dlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

#include "core/wave/wave.h"
#include "gui/dsp/filter_band.h"
#include "render/qt_convert.h"
#include "render/qt_font.h"

namespace {

const QColor kBackground(192, 192, 192);
const QColor kGrid(128, 255, 128);
const QColor kIdeal(128, 0, 0);
const QColor kBand(192, 255, 255);  // combined with the picture by exclusive or
constexpr int kRedrawDelayMs = 50;
constexpr int kDragThresholdPx = 4;
constexpr int kLineInsetPx = 3;  // the ideal line's distance from the top and the bottom

}  // namespace

// The drawn characteristic (control 1109): the plot inside margins for the level labels on
// the left and the frequency labels below.
class FilterGraph : public QWidget {
 public:
  FilterGraph(CFilterDlg& dlg, const QFont& font) : QWidget(&dlg), dlg_(dlg), font_(font) {
    setObjectName(QStringLiteral("characteristic"));
    setMinimumSize(420, 180);
    setCursor(Qt::CrossCursor);
  }

  QRect Plot() const {
    const QFontMetrics m(font_);
    const int left = m.horizontalAdvance(QStringLiteral("-000")) + 8;
    return QRect(left, 6, width() - left - 14, height() - 6 - m.height() - 6);
  }
  LogFrequencyAxis Axis() const { return LogFrequencyAxis(Plot().width(), dlg_.nyquistHz_); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter p(&image);
    p.setFont(font_);
    const QRect plot = Plot();
    const LogFrequencyAxis axis = Axis();
    const QFontMetrics m(font_);

    p.setPen(kGrid);
    for (int hz : axis.GridFrequencies()) {
      const int x = plot.left() + static_cast<int>(axis.X(hz) + 0.5);
      p.drawLine(x, plot.top(), x, plot.bottom());
    }
    p.setPen(Qt::black);
    p.drawRect(plot);
    for (const auto& d : axis.Decades()) {
      const int x = plot.left() + static_cast<int>(axis.X(d.hz) + 0.5);
      const QString label = FromUtf8(d.label);
      p.drawText(x - m.horizontalAdvance(label) / 2, plot.bottom() + 4 + m.ascent(), label);
    }
    const int top = plot.top() + kLineInsetPx;
    const int bottom = plot.bottom() - kLineInsetPx;
    p.drawText(plot.left() - 4 - m.horizontalAdvance(QStringLiteral("0")), top + m.ascent() / 2,
               QStringLiteral("0"));
    const QString floor = QStringLiteral("-%1").arg(dlg_.attenuation_->value());
    p.drawText(plot.left() - 4 - m.horizontalAdvance(floor), bottom + m.ascent() / 2, floor);

    // The ideal characteristic: high inside the band for pass, low for stop.
    const FilterEdges e = ReadEdges(ToUtf8(dlg_.low_->text()), ToUtf8(dlg_.high_->text()), dlg_.nyquistHz_);
    const auto xOf = [&](int hz) {
      return plot.left() + std::clamp(static_cast<int>(axis.X(hz) + 0.5), 0, plot.width());
    };
    const int xa = e.lowHz <= 0 ? plot.left() : xOf(e.lowHz);
    const int xb = e.highHz >= dlg_.nyquistHz_ ? plot.right() : xOf(e.highHz);
    const bool stop = dlg_.stop_->isChecked();
    const int inside = stop ? bottom : top;
    const int outside = stop ? top : bottom;
    QPolygon line;
    if (e.lowHz > 0) line << QPoint(plot.left(), outside) << QPoint(xa, outside);
    line << QPoint(xa, inside) << QPoint(xb, inside);
    if (e.highHz < dlg_.nyquistHz_) line << QPoint(xb, outside) << QPoint(plot.right(), outside);
    p.setPen(QPen(kIdeal, 2));
    p.drawPolyline(line);

    if (dragging_) {
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      const int x0 = std::clamp(pressX_, plot.left(), plot.right());
      const int x1 = std::clamp(currentX_, plot.left(), plot.right());
      p.fillRect(QRect(QPoint(std::min(x0, x1), plot.top() + 1), QPoint(std::max(x0, x1), plot.bottom() - 1)),
                 kBand);
    }
    p.end();
    QPainter(this).drawImage(0, 0, image);
  }

  void mousePressEvent(QMouseEvent* event) override {
    const QRect plot = Plot();
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !plot.contains(pos)) return;
    pressing_ = true;
    dragging_ = false;
    pressX_ = pos.x();
    pressHz_ = Axis().FrequencyAt(pos.x() - plot.left());
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (!pressing_) return;
    const int x = event->position().toPoint().x();
    if (!dragging_ && std::abs(x - pressX_) < kDragThresholdPx) return;
    dragging_ = true;
    currentX_ = x;
    const QRect plot = Plot();
    if (x > plot.right()) currentHz_ = dlg_.nyquistHz_;
    else if (x < plot.left()) currentHz_ = 0;
    else currentHz_ = Axis().FrequencyAt(x - plot.left());
    dlg_.band_->setText(FromUtf8(BandText(std::min(pressHz_, currentHz_), std::max(pressHz_, currentHz_),
                                          dlg_.nyquistHz_)));
    update();
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (!pressing_ || event->button() != Qt::LeftButton) return;
    pressing_ = false;
    if (!dragging_) return;
    dragging_ = false;
    dlg_.band_->clear();
    dlg_.SetBand(std::min(pressHz_, currentHz_), std::max(pressHz_, currentHz_));
  }

 private:
  CFilterDlg& dlg_;
  QFont font_;
  bool pressing_ = false;
  bool dragging_ = false;
  int pressX_ = 0;
  int currentX_ = 0;
  int pressHz_ = 0;
  int currentHz_ = 0;
};

CFilterDlg::CFilterDlg(const Settings& settings, const CWave& wave, const DocumentFont& font, QWidget* parent)
    : QDialog(parent), nyquistHz_(static_cast<int>(wave.Rate() / 2)), mono_(wave.Channels() < 2) {
  setWindowTitle(QStringLiteral("フィルタの設定"));
  const double pixelsPerUnit = logicalDpiY() / 254.0;
  graph_ = new FilterGraph(*this, FontFromLogFont(font.logFont, pixelsPerUnit));
  kind_ = new QLabel(this);
  band_ = new QLabel(this);
  band_->setObjectName(QStringLiteral("band"));
  band_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  low_ = new QLineEdit(FromUtf8(LowEdgeText(settings.lowHz)), this);
  low_->setObjectName(QStringLiteral("lowEdge"));
  high_ = new QLineEdit(FromUtf8(HighEdgeText(settings.highHz, nyquistHz_)), this);
  high_->setObjectName(QStringLiteral("highEdge"));
  for (QLineEdit* e : {low_, high_}) {
    e->setMaximumWidth(90);
    connect(e, &QLineEdit::editingFinished, this, &CFilterDlg::NormaliseEdges);
  }
  pass_ = new QRadioButton(QStringLiteral("通過"), this);
  stop_ = new QRadioButton(QStringLiteral("阻止"), this);
  pass_->setObjectName(QStringLiteral("pass"));
  stop_->setObjectName(QStringLiteral("stop"));
  (settings.stop ? stop_ : pass_)->setChecked(true);
  auto* kinds = new QButtonGroup(this);
  kinds->addButton(pass_);
  kinds->addButton(stop_);
  connect(pass_, &QRadioButton::toggled, this, [this] {
    ShowKind();
    ScheduleRedraw();
  });

  order_ = new QSpinBox(this);
  order_->setObjectName(QStringLiteral("order"));
  order_->setRange(kMinFilterOrder, kMaxFilterOrder);
  order_->setValue(std::clamp(settings.order, kMinFilterOrder, kMaxFilterOrder));
  attenuation_ = new QSpinBox(this);
  attenuation_->setObjectName(QStringLiteral("attenuation"));
  attenuation_->setRange(-999, 999);
  attenuation_->setValue(settings.attenuationDb);
  connect(attenuation_, &QSpinBox::editingFinished, this, &CFilterDlg::ScheduleRedraw);

  channels_ = new QListWidget(this);
  channels_->setObjectName(QStringLiteral("channels"));
  if (mono_) {
    channels_->addItem(QStringLiteral("モノラル"));
  } else {
    channels_->addItems({QStringLiteral("両チャンネル"), QStringLiteral("左チャンネル"), QStringLiteral("右チャンネル")});
  }
  channels_->setCurrentRow(0);
  channels_->setMaximumHeight(channels_->sizeHintForRow(0) * 3 + 2 * channels_->frameWidth() + 4);

  redraw_ = new QTimer(this);
  redraw_->setSingleShot(true);
  redraw_->setInterval(kRedrawDelayMs);
  connect(redraw_, &QTimer::timeout, graph_, qOverload<>(&QWidget::update));

  auto* head = new QHBoxLayout;
  head->addWidget(kind_);
  head->addWidget(band_, 1);

  auto* fields = new QGridLayout;
  auto* edges = new QHBoxLayout;
  edges->addWidget(low_);
  edges->addWidget(new QLabel(QStringLiteral("Hz ～"), this));
  edges->addWidget(high_);
  edges->addWidget(new QLabel(QStringLiteral("Hz"), this));
  edges->addStretch(1);
  fields->addWidget(new QLabel(QStringLiteral("周波数範囲"), this), 0, 0);
  fields->addLayout(edges, 0, 1);
  auto* kindRow = new QHBoxLayout;
  kindRow->addWidget(pass_);
  kindRow->addWidget(stop_);
  kindRow->addStretch(1);
  fields->addLayout(kindRow, 1, 1);
  auto* numbers = new QHBoxLayout;
  numbers->addWidget(order_);
  numbers->addSpacing(16);
  numbers->addWidget(new QLabel(QStringLiteral("減衰量"), this));
  numbers->addWidget(attenuation_);
  numbers->addWidget(new QLabel(QStringLiteral("dB"), this));
  numbers->addStretch(1);
  fields->addWidget(new QLabel(QStringLiteral("次数"), this), 2, 0);
  fields->addLayout(numbers, 2, 1);
  fields->addWidget(new QLabel(QStringLiteral("対象チャンネル"), this), 3, 0, Qt::AlignTop);
  fields->addWidget(channels_, 3, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CFilterDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CFilterDlg::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(head);
  layout->addWidget(graph_, 1);
  layout->addLayout(fields);
  layout->addWidget(new QLabel(QStringLiteral("注意：フィルタ特性グラフは実際とは多少異なります。"), this));
  layout->addWidget(buttons);
  ShowKind();
  NormaliseEdges();
  low_->setFocus();
}

void CFilterDlg::ShowKind() { kind_->setText(stop_->isChecked() ? QStringLiteral("阻止範囲") : QStringLiteral("通過範囲")); }

void CFilterDlg::ScheduleRedraw() { redraw_->start(); }

void CFilterDlg::NormaliseEdges() {
  const FilterEdges e = ReadEdges(ToUtf8(low_->text()), ToUtf8(high_->text()), nyquistHz_);
  low_->setText(FromUtf8(LowEdgeText(e.lowHz)));
  high_->setText(FromUtf8(HighEdgeText(e.highHz, nyquistHz_)));
  ScheduleRedraw();
}

void CFilterDlg::SetBand(int fromHz, int toHz) {
  if (fromHz > toHz) std::swap(fromHz, toHz);
  low_->setText(FromUtf8(LowEdgeText(fromHz)));
  high_->setText(FromUtf8(HighEdgeText(toHz, nyquistHz_)));
  ScheduleRedraw();
}

void CFilterDlg::accept() {
  const FilterEdges e = ReadEdges(ToUtf8(low_->text()), ToUtf8(high_->text()), nyquistHz_);
  const FilterChoice choice = ChooseFilter(e, stop_->isChecked(), nyquistHz_);
  const bool channelChosen = !channels_->selectedItems().isEmpty();
  if (!choice.valid || !channelChosen) {
    QDialog::reject();
    return;
  }
  result_.type = choice.type;
  result_.f1KHz = choice.f1KHz;
  result_.f2KHz = choice.f2KHz;
  result_.attenuationDb = attenuation_->value();
  result_.order = order_->value();
  result_.channels = mono_ ? 1 : channels_->currentRow();
  QDialog::accept();
}
