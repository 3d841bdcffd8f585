#include "gui/edit/level_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui/edit/edit_texts.h"
#include "gui/platform/dialog_parts.h"

namespace {

constexpr int kMinPercent = 1;
constexpr int kMaxPercent = 10000;
constexpr int kStartPercent = 100;
const QColor kBarColor(255, 128, 128);

}  // namespace

// The two bars: the peak before and after, each on a white ground with its height in
// proportion to full scale, "over" above a bar that reaches it and "zero" below an empty one.
class LevelBars : public QWidget {
 public:
  LevelBars(int peak, QWidget* parent) : QWidget(parent), peak_(peak) {
    setMinimumSize(150, 150);
    setObjectName(QStringLiteral("levelBars"));
  }
  void SetPercent(int percent) {
    percent_ = percent;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const int textHeight = fontMetrics().height();
    const int columnWidth = width() / 2;
    const int64_t values[2] = {peak_, PeakAfterLevel(peak_, percent_)};
    const QString captions[2] = {QStringLiteral("変換前"), QStringLiteral("変換後")};
    for (int i = 0; i < 2; ++i) {
      const QRect column(i * columnWidth + 8, 0, columnWidth - 16, height());
      const QRect bar = column.adjusted(0, 2 * textHeight, 0, -2 * textHeight);
      p.fillRect(bar, Qt::white);
      p.setPen(Qt::black);
      p.drawRect(bar.adjusted(0, 0, -1, -1));
      const int h = LevelBarHeight(values[i], bar.height());
      p.fillRect(QRect(bar.left() + 1, bar.bottom() - h + 1, bar.width() - 2, h), kBarColor);
      p.drawText(QRect(column.left(), 0, column.width(), textHeight), Qt::AlignCenter, captions[i]);
      if (values[i] >= 32768) {
        p.drawText(QRect(column.left(), textHeight, column.width(), textHeight), Qt::AlignCenter,
                   QStringLiteral("over"));
      }
      if (values[i] <= 0) {
        p.drawText(QRect(column.left(), bar.bottom() + 1, column.width(), textHeight), Qt::AlignCenter,
                   QStringLiteral("zero"));
      }
    }
  }

 private:
  int peak_;
  int percent_ = kStartPercent;
};

CLevelDlg::CLevelDlg(int peak, bool smoothing, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("レベル変換"));
  percent_ = new QSpinBox(this);
  percent_->setObjectName(QStringLiteral("percent"));
  percent_->setRange(kMinPercent, kMaxPercent);
  percent_->setValue(kStartPercent);
  smoothing_ = new QCheckBox(QStringLiteral("スムージング"), this);
  smoothing_->setObjectName(QStringLiteral("smoothing"));
  smoothing_->setChecked(smoothing);
  bars_ = new LevelBars(peak, this);
  connect(percent_, &QSpinBox::valueChanged, this, [this](int v) { bars_->SetPercent(v); });

  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("伸縮率"), this));
  row->addWidget(percent_);
  row->addWidget(new QLabel(QStringLiteral("%"), this));
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(smoothing_);
  layout->addWidget(bars_, 1);
  layout->addWidget(OkCancelButtons(this));
}

int CLevelDlg::Percent() const { return percent_->value(); }
bool CLevelDlg::Smoothing() const { return smoothing_->isChecked(); }
