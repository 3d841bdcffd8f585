// The settings panel's mini overview: drawing the box into the back buffer, the XOR band,
// cross-hair and run position line, scrolling and zooming its time axis, and the mouse.
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>

#include <cstdlib>

#include "core/doc/wav_doc.h"
#include "core/graph/wave_box.h"
#include "core/realtime/recording_plan.h"
#include "gui/realtime/setting_panel.h"
#include "render/qt_convert.h"
#include "render/qt_device_context.h"

namespace {

constexpr int kOverviewWidthPx = 400;
constexpr int kOverviewHeightPx = 120;

}  // namespace

// --- the overview control ---

COverviewView::COverviewView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(kOverviewWidthPx, kOverviewHeightPx);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setCursor(Qt::CrossCursor);
  setMouseTracking(true);
}

void COverviewView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!image_.isNull()) p.drawImage(0, 0, image_);
}

void COverviewView::resizeEvent(QResizeEvent*) {
  image_ = QImage(size(), QImage::Format_RGB32);
  image_.fill(ColorFromRef(kOverviewColorsFftArea[kColorFrameBack]));
  emit Resized();
}

void COverviewView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit Pressed(e->position().toPoint());
}

void COverviewView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit Pressed(e->position().toPoint());
}

void COverviewView::mouseMoveEvent(QMouseEvent* e) { emit Moved(e->position().toPoint()); }

void COverviewView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit Released(e->position().toPoint());
}

// --- the run and redrawing ---

void CSettingPanel::Update(bool first) {
  if (!doc_) return;
  if (doc_->RunPhase() == kRunIdle) {
    pending_.record = doc_->Settings();
    PostRedraw();
    return;
  }
  int x = -1;
  if (miniBox_) {
    const double t = miniBox_->FrameToTime(doc_->Settings().currentPosition);
    const CCordConv& axis = miniBox_->X();
    if (t >= axis.ValueStart() && t <= axis.ValueEnd()) x = axis.ValueToPixel(t);
  }
  const bool drawn = miniBox_ && OnOverview([&](DeviceContext& dc) {
    if (cursorLineX_ >= 0) DrawCursorLine(dc, cursorLineX_);
    cursorLineX_ = -1;
    pending_.record = doc_->Settings();
    if (first) recordedSoFar_ = pending_.record.fftRangeEnd;
    if (doc_->RunPhase() == kRunRecording && !first)
      recordedSoFar_ = miniBox_->DrawNewSamples(dc, recordedSoFar_, pending_.record.fftRangeEnd);
    if (x >= 0) {
      DrawCursorLine(dc, x);
      cursorLineX_ = x;
    }
  });
  if (!drawn) {
    pending_.record = doc_->Settings();
    if (first) recordedSoFar_ = pending_.record.fftRangeEnd;
  }
  RefreshControls();
  texts_[1]->setText(QString::fromStdString(doc_->StatusText()));
  texts_[2]->clear();
}

DeviceMapping CSettingPanel::OverviewMapping() const {
  DeviceMapping m;
  if (!miniBox_) return m;
  const Rect r = NormalizeRect(miniBox_->GetRect());
  m.windowOrgX = r.left;
  m.windowOrgY = r.bottom;  // the box's upper edge at the top of the control
  m.windowExtX = std::max(r.Width(), 1);
  m.windowExtY = -std::max(r.Height(), 1);
  m.viewportExtX = std::max(overview_->width(), 1);
  m.viewportExtY = std::max(overview_->height(), 1);
  return m;
}

template <typename Draw>
bool CSettingPanel::OnOverview(Draw draw) {
  QImage& image = overview_->BackBuffer();
  if (image.isNull() || !miniBox_ || !doc_) return false;
  {
    QPainter painter(&image);
    QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, OverviewMapping());
    SelectDocumentFont(dc, doc_->GetDocumentFont());
    draw(dc);
  }
  overview_->update();
  return true;
}

void CSettingPanel::Redraw() {
  redrawTimer_.stop();
  if (!created_) return;
  ReadControls();
  crossHairShown_ = 0;
  if (miniBox_ && doc_) {
    SetScrollBarFromBox();
    OnOverview([&](DeviceContext& dc) {
      miniBox_->SetValidFlags(0);
      miniBox_->Draw(dc, nullptr);
      // A band being dragged stays on screen.
      bandShown_ = 0;
      if (dragging_ && mode_ == kModeFftArea && bandEnd_ != bandStart_) {
        DrawBand(dc);
        bandShown_ = 1;
      }
    });
    // While the user places the marker, it stays where the pointer is.
    if (!(dragging_ && mode_ == kModeTriggerLevel)) {
      ComputeTriggerPoint();
      markerX_ = triggerPointX_;
      markerY_ = triggerPointY_;
    }
    if (mode_ == kModeTriggerLevel && pending_.record.triggerOn && markerX_ >= 0)
      SetCrossHairAt(markerX_, markerY_);
  } else {
    QImage& image = overview_->BackBuffer();
    if (!image.isNull()) image.fill(palette().color(QPalette::Window));
    overview_->update();
  }
  ShowTexts();
  cursorLineX_ = -1;
  RefreshControls();
}

void CSettingPanel::ComputeTriggerPoint() {
  if (!miniBox_ || mode_ != kModeTriggerLevel) {
    triggerPointX_ = triggerPointY_ = -1;
    return;
  }
  const Rect& plot = miniBox_->PlotRect();
  triggerPointX_ = TriggerPointX(plot.left, plot.right, pending_.record.blockSize,
                                 pending_.record.triggerDelayFrames);
  triggerPointY_ = miniBox_->Y().ValueToPixel(pending_.record.triggerLevel);
}

void CSettingPanel::ShowTexts() {
  PanelTexts t;
  const AnalysisSettings& s = pending_.record;
  if (mode_ == kModeTriggerLevel) {
    double level = s.triggerLevel;
    uint32_t delay = static_cast<uint32_t>(std::max(0, s.triggerDelayFrames));
    if (miniBox_ && markerX_ >= 0) {
      const Rect& plot = miniBox_->PlotRect();
      level = miniBox_->Y().PixelToValue(markerY_);
      delay = DelayAtX(markerX_, plot.left, plot.right, s.blockSize);
    }
    t = TriggerLevelTexts(s.triggerOn != 0, s.triggerChannel, level * 0.01, delay);
  } else {
    const bool needsNewBuffer = doc_ && RecordingNeedsNewBuffer(doc_->Wave(), s);
    t = FftAreaTexts(realTimeChoice_, bandStart_, bandEnd_, s, needsNewBuffer);
  }
  texts_[0]->setText(QString::fromStdString(t.line1));
  texts_[1]->setText(QString::fromStdString(t.line2));
  texts_[2]->setText(QString::fromStdString(t.line3));
}

void CSettingPanel::SetScrollBarFromBox() {
  if (!miniBox_) return;
  ScrollInfo info;
  miniBox_->GetXScrollInfo(info);
  const ScrollSteps steps = ScrollStepsFor(info);
  const QSignalBlocker block(scroll_);
  scroll_->setRange(steps.minimum, steps.maximumPosition);
  scroll_->setPageStep(steps.page);
  scroll_->setSingleStep(steps.line);
  scroll_->setValue(info.position);
}

// --- XOR drawings ---

void CSettingPanel::DrawBand(DeviceContext& dc) {
  const Rect& box = miniBox_->GetRect();
  const Point corners[4] = {{bandLeft_, box.top}, {bandLeft_, box.bottom}, {bandRight_, box.bottom},
                            {bandRight_, box.top}};
  const Pen oldPen = dc.SelectPen({PenStyle::kNull, 0, 0});
  const Brush oldBrush = dc.SelectBrush({kBandXorColor, false});
  const int32_t oldRop = dc.SetROP2(kRopXorPen);
  dc.Polygon(corners, 4);
  dc.SetROP2(oldRop);
  dc.SelectBrush(oldBrush);
  dc.SelectPen(oldPen);
}

void CSettingPanel::DrawCrossHair(DeviceContext& dc) {
  const Pen oldPen = dc.SelectPen({PenStyle::kSolid, 0, kCrossHairXorColor});
  const int32_t oldRop = dc.SetROP2(kRopXorPen);
  const auto& l = crossHairLines_;
  dc.MoveTo(l[0], l[1]);
  dc.LineTo(l[2], l[3]);
  dc.MoveTo(l[4], l[5]);
  dc.LineTo(l[6], l[7]);
  dc.SetROP2(oldRop);
  dc.SelectPen(oldPen);
}

// Moves the cross-hair to (x, y), or hides it when x is negative.
void CSettingPanel::SetCrossHairAt(int x, int y) {
  OnOverview([&](DeviceContext& dc) {
    if (crossHairShown_) DrawCrossHair(dc);
    crossHairShown_ = 0;
    if (x < 0) return;
    const Rect& plot = miniBox_->PlotRect();
    crossHairLines_ = {plot.left, y, plot.right, y, x, plot.top, x, plot.bottom};
    DrawCrossHair(dc);
    crossHairShown_ = 1;
  });
}

void CSettingPanel::DrawCursorLine(DeviceContext& dc, int x) {
  const Rect& plot = miniBox_->PlotRect();
  const Pen oldPen = dc.SelectPen({PenStyle::kSolid, 0, kCursorLineXorColor});
  const int32_t oldRop = dc.SetROP2(kRopXorPen);
  dc.MoveTo(x, plot.top);
  dc.LineTo(x, plot.bottom);
  dc.SetROP2(oldRop);
  dc.SelectPen(oldPen);
}

void CSettingPanel::OnScroll(int position) {
  if (!miniBox_) return;
  ScrollInfo info;
  miniBox_->GetXScrollInfo(info);
  PostRedraw();
  miniBox_->SetXRange(miniBox_->FrameToTime(position), miniBox_->FrameToTime(double(position) + info.page));
  SetScrollBarFromBox();
}

void CSettingPanel::OnZoom(int position) {
  if (position == kZoomMiddle) return;
  if (miniBox_) {
    bool changed = false;
    for (int i = 0; i < std::abs(position - kZoomMiddle); ++i)
      changed = miniBox_->ZoomX(position > kZoomMiddle ? 1 : 0) != 0 || changed;
    if (changed) {
      miniBox_->X().CalcTickStep(0, 0);
      PostRedraw();
    }
  }
  {
    const QSignalBlocker block(zoom_);
    zoom_->setValue(kZoomMiddle);
  }
  SetScrollBarFromBox();
}

// --- the mouse on the overview ---

Point CSettingPanel::ToLogical(QPoint device) const {
  return OverviewMapping().DeviceToLogical(Point{device.x(), device.y()});
}

bool CSettingPanel::InsidePlot(Point p) const { return miniBox_ && miniBox_->PlotRect().Contains(p); }

void CSettingPanel::OnPress(QPoint device) {
  if (!miniBox_ || !doc_) return;
  const Point p = ToLogical(device);
  if (!InsidePlot(p)) return;
  frameCount_ = doc_->Wave().FrameCount();
  const uint32_t n = pending_.record.blockSize;
  if (mode_ == kModeFftArea) {
    bandStart_ = BandStartAt(FrameValueAt(*miniBox_, p.x), n, frameCount_);
    bandEnd_ = n ? bandStart_ + n - 1 : bandStart_;
    OnOverview([&](DeviceContext& dc) {
      if (bandShown_) DrawBand(dc);
      bandLeft_ = miniBox_->X().ValueToPixel(miniBox_->FrameToTime(bandStart_));
      bandRight_ = miniBox_->X().ValueToPixel(miniBox_->FrameToTime(bandEnd_));
      DrawBand(dc);
      bandShown_ = 1;
    });
  } else {
    markerX_ = p.x;
    markerY_ = p.y;
    SetCrossHairAt(p.x, p.y);
  }
  dragging_ = 1;
  ShowTexts();
}

void CSettingPanel::OnMove(QPoint device) {
  if (!dragging_ || !miniBox_ || !doc_) return;
  const Point p = ToLogical(device);
  if (mode_ == kModeFftArea) {
    const std::optional<uint32_t> end =
        BandEndAt(bandStart_, FrameValueAt(*miniBox_, p.x), pending_.record.blockSize, frameCount_);
    OnOverview([&](DeviceContext& dc) {
      if (bandShown_) DrawBand(dc);
      bandShown_ = 0;
      if (!end) return;
      bandLeft_ = miniBox_->X().ValueToPixel(miniBox_->FrameToTime(bandStart_));
      bandRight_ = miniBox_->X().ValueToPixel(miniBox_->FrameToTime(*end));
      DrawBand(dc);
      bandShown_ = 1;
    });
    bandEnd_ = end ? *end : bandStart_;
  } else if (InsidePlot(p)) {
    markerX_ = p.x;
    markerY_ = p.y;
    SetCrossHairAt(p.x, p.y);
  } else {
    markerX_ = triggerPointX_;
    markerY_ = triggerPointY_;
    SetCrossHairAt(-1, -1);
  }
  ShowTexts();
}

void CSettingPanel::OnRelease(QPoint device) {
  if (!dragging_ || !miniBox_ || !doc_) return;
  const Point p = ToLogical(device);
  AnalysisSettings& s = pending_.record;
  if (mode_ == kModeFftArea) {
    const std::optional<uint32_t> end = BandEndAt(bandStart_, FrameValueAt(*miniBox_, p.x), s.blockSize, frameCount_);
    if (end) {
      s.fftRangeStart = bandStart_;
      s.fftRangeEnd = *end;
    }
    OnOverview([&](DeviceContext& dc) {
      if (bandShown_) DrawBand(dc);
    });
    bandShown_ = 0;
  } else {
    if (InsidePlot(p)) {
      markerX_ = p.x;
      markerY_ = p.y;
      const Rect& plot = miniBox_->PlotRect();
      s.triggerLevel = miniBox_->Y().PixelToValue(p.y);
      s.triggerDelayFrames = static_cast<int32_t>(DelayAtX(p.x, plot.left, plot.right, s.blockSize));
    }
    SetCrossHairAt(-1, -1);
  }
  dragging_ = 0;
  // The band and the marker return to what the record holds; the redraw shows the result.
  bandStart_ = s.fftRangeStart;
  bandEnd_ = s.fftRangeEnd;
  ShowTexts();
  PostRedraw();
}
