#include "gui/graph/color_scheme_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "render/qt_convert.h"
#include "render/qt_device_context.h"

namespace {

constexpr QSize kColorButtonSize(28, 20);
constexpr QSize kSampleMinimumSize(360, 220);

// A colour button with its label beside it.
QWidget* ButtonWithLabel(QWidget* parent, QPushButton* button, const char* label) {
  auto* row = new QWidget(parent);
  auto* h = new QHBoxLayout(row);
  h->setContentsMargins(0, 0, 0, 0);
  h->addWidget(button);
  h->addWidget(new QLabel(QString::fromUtf8(label), row));
  h->addStretch();
  return row;
}

Rect RectOf(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

}  // namespace

CColorSchemeDlg::CColorSchemeDlg(CustomColors& customColors, QWidget* parent)
    : QDialog(parent), customColors_(customColors), chooser_(ChooseColor) {
  setWindowTitle(QStringLiteral("配色"));
  sampleTimer_.setSingleShot(true);
  sampleTimer_.setInterval(kSampleDelayMs);
  connect(&sampleTimer_, &QTimer::timeout, this, &CColorSchemeDlg::DrawSampleNow);

  target_ = new QComboBox(this);
  target_->setObjectName(QStringLiteral("target"));
  for (const ColorTarget& t : kColorTargets) target_->addItem(QString::fromUtf8(t.label));
  connect(target_, &QComboBox::activated, this, &CColorSchemeDlg::SelectTarget);

  std::array<QWidget*, kEditableColorCount> rows{};
  for (int i = 0; i < kEditableColorCount; ++i) {
    auto* b = new QPushButton(this);
    b->setObjectName(QStringLiteral("color%1").arg(kEditableColors[i].controlId));
    b->setFixedSize(kColorButtonSize);
    b->setToolTip(QString::fromUtf8(kEditableColors[i].label));
    connect(b, &QPushButton::clicked, this, [this, i] { ChangeColor(i); });
    buttons_[i] = b;
    rows[i] = ButtonWithLabel(this, b, kEditableColors[i].label);
  }

  // The sample's control paints nothing itself: the dialog draws the sample where it lies,
  // so that the leader lines can run across it and the dialog alike.
  sampleControl_ = new QWidget(this);
  sampleControl_->setObjectName(QStringLiteral("sample"));
  sampleControl_->setMinimumSize(kSampleMinimumSize);
  sampleControl_->setAttribute(Qt::WA_TransparentForMouseEvents);

  // Buttons whose lines leave their lower edge sit above the sample, the others below it,
  // each roughly above or below the part it colours.
  auto* above = new QGridLayout;
  auto* below = new QGridLayout;
  int aboveColumn = 0, belowColumn = 0;
  for (int i = 0; i < kEditableColorCount; ++i) {
    if (kEditableColors[i].edge == ButtonEdge::kLower) above->addWidget(rows[i], 0, aboveColumn++);
    else below->addWidget(rows[i], 0, belowColumn++);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CColorSchemeDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CColorSchemeDlg::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(target_);
  layout->addSpacing(8);
  layout->addLayout(above);
  layout->addSpacing(12);
  layout->addWidget(sampleControl_, 1);
  layout->addSpacing(12);
  layout->addLayout(below);
  layout->addSpacing(8);
  layout->addWidget(buttons);

  SelectTarget(editor_.Target());
}

void CColorSchemeDlg::SetSchemes(const ColorSets& sets, int boxKind) {
  editor_.SetSchemes(sets, boxKind);
  SelectTarget(editor_.Target());
}

void CColorSchemeDlg::SelectTarget(int index) {
  editor_.SelectTarget(index);
  if (target_->currentIndex() != editor_.Target()) target_->setCurrentIndex(editor_.Target());
  ShowWorkingColors();
  PostSampleRedraw();
}

void CColorSchemeDlg::ShowWorkingColors() {
  for (int i = 0; i < kEditableColorCount; ++i)
    buttons_[i]->setIcon(ColorSwatch(editor_.Working()[kEditableColors[i].color]));
}

void CColorSchemeDlg::ChangeColor(int button) {
  if (button < 0 || button >= kEditableColorCount) return;
  const ColorIndex color = kEditableColors[button].color;
  const std::optional<uint32_t> chosen = chooser_(this, editor_.Working()[color], customColors_);
  if (!chosen) return;
  editor_.SetWorkingColor(color, *chosen);
  ShowWorkingColors();
  PostSampleRedraw();
}

void CColorSchemeDlg::accept() {
  editor_.ApplyWorking();
  QDialog::accept();
}

// --- the sample ---

void CColorSchemeDlg::PostSampleRedraw() { sampleTimer_.start(); }

void CColorSchemeDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  PostSampleRedraw();
}

void CColorSchemeDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  PostSampleRedraw();
}

void CColorSchemeDlg::DrawSampleNow() {
  sampleTimer_.stop();
  const QSize size = sampleControl_->size().expandedTo(QSize(1, 1));
  sample_ = QImage(size, QImage::Format_RGB32);
  {
    QPainter p(&sample_);
    QtDeviceContext dc(p, QtDeviceContext::Surface::kScreen, ColorSampleMapping(size.width(), size.height()));
    DrawColorSample(dc, editor_.Working());
  }
  // The anchors in the dialog's pixels.
  const DeviceMapping toControl = ColorSampleMapping(size.width(), size.height());
  const std::array<Point, kEditableColorCount> anchors = ColorSampleAnchors();
  const QPoint origin = sampleControl_->geometry().topLeft();
  for (int i = 0; i < kEditableColorCount; ++i) {
    const Point a = toControl.LogicalToDevice(anchors[i]);
    const QRect button(buttons_[i]->mapTo(this, QPoint(0, 0)), buttons_[i]->size());
    leaders_[i] = LeaderLineTo({a.x + origin.x(), a.y + origin.y()}, RectOf(button), kEditableColors[i].edge);
  }
  update();
}

void CColorSchemeDlg::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (sample_.isNull()) return;
  QPainter p(this);
  p.drawImage(sampleControl_->geometry().topLeft(), sample_);
  // The lines in the dialog's default pen, in its own pixels.
  QtDeviceContext dc(p, QtDeviceContext::Surface::kScreen, DeviceMapping{});
  dc.SelectPen({PenStyle::kSolid, 0, ColorRefFrom(palette().color(QPalette::WindowText))});
  dc.SelectBrush({ColorRefFrom(palette().color(QPalette::Window)), false});
  for (const LeaderLine& line : leaders_) DrawLeaderLine(dc, line);
}
