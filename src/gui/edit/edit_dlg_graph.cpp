// The editing dialog's graphs: each buffer's wave box drawn into the back buffer of its
// frame (the selection in the box's selection colour), the selection being dragged as a
// grey rectangle combined by exclusive or (drawing it again removes it), and selecting with
// the mouse, with the graph scrolling while the pointer stays beyond the visible frames.
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "core/doc/box_layout.h"
#include "core/doc/wav_doc.h"
#include "core/graph/overview_logic.h"
#include "core/graph/page_drawing.h"
#include "gui/edit/edit_controls.h"
#include "gui/realtime/setting_panel.h"
#include "render/qt_device_context.h"

namespace {

// The selection's rectangle: red, green and blue 128, combined by exclusive or.
constexpr uint32_t kSelectionXorColor = 0x808080;

}  // namespace

DeviceMapping CEditDlg::Mapping(int b) const {
  DeviceMapping m;
  const CWaveBox* box = buffers_[b].Box();
  if (!box) return m;
  const Rect r = NormalizeRect(box->GetRect());
  m.windowOrgX = r.left;
  m.windowOrgY = r.bottom;  // the box's upper edge at the top of the frame
  m.windowExtX = std::max(r.Width(), 1);
  m.windowExtY = -std::max(r.Height(), 1);
  m.viewportExtX = std::max(ui_[b]->graph->width(), 1);
  m.viewportExtY = std::max(ui_[b]->graph->height(), 1);
  return m;
}

// The box fills its frame at the frame's resolution, so that labels have their size on
// the page; the plot keeps the document's label margins.
void CEditDlg::FitBox(int b) {
  CWaveBox* box = buffers_[b].Box();
  if (!box || !doc_) return;
  const QWidget* frame = ui_[b]->graph;
  const int32_t width = std::max(1, frame->width() * kLogicalUnitsPerInch / std::max(frame->logicalDpiX(), 1));
  const int32_t height = std::max(1, frame->height() * kLogicalUnitsPerInch / std::max(frame->logicalDpiY(), 1));
  const Rect whole{0, -height, width, 0};
  const Rect plot = ShrinkByTextMargins(whole, TextMarginsFor(EffectiveStringSize(doc_->GetStringSize())));
  box->SetRect(whole, &plot);
  box->SetPlotRect(plot);
  box->SetValidFlags(0);
}

template <typename Draw>
bool CEditDlg::OnGraph(int b, Draw draw) {
  QImage& image = ui_[b]->graph->BackBuffer();
  if (image.isNull() || !buffers_[b].Box() || !doc_) return false;
  {
    QPainter painter(&image);
    QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, Mapping(b));
    SelectDocumentFont(dc, doc_->GetDocumentFont());
    draw(dc);
  }
  ui_[b]->graph->update();
  return true;
}

void CEditDlg::PostRedraw(int b) { ui_[b]->redraw.start(); }

void CEditDlg::Redraw(int b) {
  Controls& c = *ui_[b];
  c.redraw.stop();
  c.selectionShown = false;
  CWaveBox* box = buffers_[b].Box();
  if (box) {
    SetScrollBar(b);
    OnGraph(b, [&](DeviceContext& dc) {
      box->SetValidFlags(0);
      box->Draw(dc, nullptr);
      uint32_t from, to;
      if ((dragBuffer_ == b + 1 || c.rectAfterDrag) && ShownRange(b, from, to)) {
        XorSelection(dc, b, from, to);
        c.selectionShown = true;
        c.shownA = from;
        c.shownB = to;
      }
    });
  } else if (!c.graph->BackBuffer().isNull()) {
    c.graph->BackBuffer().fill(palette().color(QPalette::Window));
    c.graph->update();
  }
  c.rectAfterDrag = false;
  RefreshTexts(b);
}

bool CEditDlg::ShownRange(int b, uint32_t& from, uint32_t& to) const {
  if (dragBuffer_ == b + 1) {
    from = anchor_;
    to = current_;
  } else {
    from = buffers_[b].Start();
    to = buffers_[b].End();
  }
  return from != to && buffers_[b].Wave().FrameCount() > 0;
}

void CEditDlg::XorSelection(DeviceContext& dc, int b, uint32_t from, uint32_t to) {
  CWaveBox* box = buffers_[b].Box();
  const Rect& plot = box->PlotRect();
  auto xOf = [&](uint32_t frame) {
    const int x = box->X().ValueToPixel(box->FrameToTime(frame));
    return std::clamp(x, plot.left, plot.right);
  };
  const int left = xOf(std::min(from, to));
  const int right = xOf(std::max(from, to));
  if (left == right) return;
  const Point corners[4] = {{left, plot.top}, {left, plot.bottom}, {right, plot.bottom}, {right, plot.top}};
  const Pen oldPen = dc.SelectPen({PenStyle::kNull, 0, 0});
  const Brush oldBrush = dc.SelectBrush({kSelectionXorColor, false});
  const int32_t oldRop = dc.SetROP2(kRopXorPen);
  dc.Polygon(corners, 4);
  dc.SetROP2(oldRop);
  dc.SelectBrush(oldBrush);
  dc.SelectPen(oldPen);
}

double CEditDlg::FrameAtDeviceX(int b, int x) const {
  const CWaveBox* box = buffers_[b].Box();
  if (!box) return 0.0;
  return FrameValueAt(*box, Mapping(b).DeviceToLogical(Point{x, 0}).x);
}

int CEditDlg::DeviceXOfFrame(int b, double frame) const {
  const CWaveBox* box = buffers_[b].Box();
  if (!box) return 0;
  return Mapping(b).LogicalToDevice(Point{box->X().ValueToPixel(box->FrameToTime(frame)), 0}).x;
}

// --- the mouse ---

void CEditDlg::OnPress(int b, QPoint device) {
  CWaveBox* box = buffers_[b].Box();
  const uint32_t n = buffers_[b].Wave().FrameCount();
  if (!box || n == 0 || dragBuffer_ != 0) return;
  if (ui_[b]->redraw.isActive()) Redraw(b);
  const double f = std::floor(FrameAtDeviceX(b, device.x()));
  anchor_ = static_cast<uint32_t>(std::clamp(f, 0.0, double(n - 1)));
  current_ = anchor_;
  dragBuffer_ = b + 1;
  lastDragX_ = device.x();
  // The old selection's rectangle goes; the drag's grows from the anchor.
  Controls& c = *ui_[b];
  OnGraph(b, [&](DeviceContext& dc) {
    if (c.selectionShown) XorSelection(dc, b, c.shownA, c.shownB);
    c.selectionShown = false;
  });
  RefreshTexts(b);
}

bool CEditDlg::DragTo(int b, int x) {
  CWaveBox* box = buffers_[b].Box();
  const uint32_t n = buffers_[b].Wave().FrameCount();
  if (!box || n == 0) return false;
  auto visible = [&](uint32_t& first, uint32_t& last) {
    first = static_cast<uint32_t>(std::clamp<int64_t>(box->TimeToFrame(box->X().ValueStart()), 0, n - 1));
    last = static_cast<uint32_t>(std::clamp<int64_t>(box->TimeToFrame(box->X().ValueEnd()), first, n - 1));
  };
  uint32_t first, last;
  visible(first, last);
  const double f = std::floor(FrameAtDeviceX(b, x));
  const bool outside = f < first || f > last;
  if (outside) {
    // One step of the scroll bar in the pointer's direction.
    ScrollInfo info;
    box->GetXScrollInfo(info);
    const int64_t line = ScrollStepsFor(info).line;
    const int64_t start = f < first ? std::max<int64_t>(0, int64_t{first} - line) : int64_t{first} + line;
    if ((f < first && first > 0) || (f > last && last < n - 1)) {
      box->SetXRange(box->FrameToTime(double(start)), box->FrameToTime(double(start) + info.page));
      box->SetValidFlags(0);
      visible(first, last);
    }
  }
  current_ = static_cast<uint32_t>(std::clamp(f, double(first), double(last)));
  // A scroll (or any pending change) redraws everything; otherwise the rectangle moves.
  Controls& c = *ui_[b];
  if (outside || c.redraw.isActive()) {
    Redraw(b);
  } else {
    OnGraph(b, [&](DeviceContext& dc) {
      if (c.selectionShown) XorSelection(dc, b, c.shownA, c.shownB);
      c.selectionShown = false;
      uint32_t from, to;
      if (ShownRange(b, from, to)) {
        XorSelection(dc, b, from, to);
        c.selectionShown = true;
        c.shownA = from;
        c.shownB = to;
      }
    });
    RefreshTexts(b);
  }
  return outside;
}

void CEditDlg::OnMove(int b, QPoint device) {
  if (dragBuffer_ != b + 1) return;
  lastDragX_ = device.x();
  if (DragTo(b, device.x())) {
    if (!autoScroll_.isActive()) autoScroll_.start();
  } else {
    autoScroll_.stop();
  }
}

void CEditDlg::OnAutoScroll() {
  if (dragBuffer_ == 0 || !DragTo(dragBuffer_ - 1, lastDragX_)) autoScroll_.stop();
}

void CEditDlg::OnRelease(int b, QPoint) {
  if (dragBuffer_ != b + 1) return;
  autoScroll_.stop();
  dragBuffer_ = 0;
  const uint32_t n = buffers_[b].Wave().FrameCount();
  current_ = std::min(current_, n ? n - 1 : 0);
  buffers_[b].SetSelection(std::min(anchor_, current_), std::max(anchor_, current_));
  // The graph shows the new selection, with the rectangle over it.
  ui_[b]->rectAfterDrag = true;
  Redraw(b);
}
