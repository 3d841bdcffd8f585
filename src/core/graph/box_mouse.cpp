// The mouse interaction of the graph boxes: hit test, moving and sizing with a rubber band,
// the mark, the zoom band and the 3D slice selection. Points arrive in device coordinates
// (y downward); rectangles are compared in device coordinates too.
#include <cmath>
#include <cstdlib>

#include "core/graph/box.h"
#include "core/graph/fft3d_box.h"

namespace {

int g_mouseOperation = CBox::kMouseZoomBand;

// Corners are this long along each edge; the edge strips this wide (device pixels).
constexpr int kCornerLength = 12;
constexpr int kStripWidth = 4;
// A press moves more than this many pixels either way before a move or a zoom band starts.
constexpr int kDragThreshold = 3;
// The information box's smallest size while it is dragged, in device pixels.
constexpr int kInfoBoxLeast = 10;
// The invalid area after a move reaches this far beyond the box for its border and labels.
constexpr int kInvalidMargin = 10;

constexpr int kExtentFar = 1;   // right edge, or bottom edge (device)
constexpr int kExtentNear = 2;  // left edge, or top edge (device)
constexpr int kExtentBoth = 3;  // the whole box

// The cursor codes of a zoom band by its direction in device terms; a zero displacement
// counts as left or up.
int32_t BandDirection(int dx, int dy) {
  if (dx > 0) return dy > 0 ? 7 : 8;
  return dy > 0 ? 9 : 10;
}

// The cursor code after the mark was set with the given peak side (-1 none).
int32_t MarkCursor(int side) { return 12 + side; }

// A coordinate far outside any page still fits an int.
int ClampTrunc(double v) {
  constexpr double kLimit = double(1 << 30);
  if (!(v > -kLimit)) return -(1 << 30);
  if (v > kLimit) return 1 << 30;
  return static_cast<int>(std::trunc(v));
}

void ApplyExtent(int part, int delta, int origin, int least, int32_t& nearEdge, int32_t& farEdge) {
  switch (part) {
    case kExtentFar:
      farEdge += delta;
      if (farEdge < origin) farEdge = origin;
      if (farEdge - nearEdge < least) farEdge = nearEdge + least;
      break;
    case kExtentNear:
      nearEdge += delta;
      if (nearEdge < origin) nearEdge = origin;
      if (farEdge - nearEdge < least) nearEdge = farEdge - least;
      break;
    case kExtentBoth:
      nearEdge += delta;
      farEdge += delta;
      if (nearEdge < origin) {
        farEdge += origin - nearEdge;
        nearEdge = origin;
      }
      break;
    default:
      break;
  }
}

}  // namespace

void CBox::SetMouseOperation(int operation) { g_mouseOperation = operation; }
int CBox::GetMouseOperation() { return g_mouseOperation; }

int32_t CBox::HitTest(const Rect& b, const Rect& plot, Point p) {
  int vLow = b.top + kCornerLength, vHigh = b.bottom - kCornerLength;
  if (b.bottom - b.top < 2 * kCornerLength) vLow = vHigh = (b.top + b.bottom) / 2;
  int hLow = b.left + kCornerLength, hHigh = b.right - kCornerLength;
  if (b.right - b.left < 2 * kCornerLength) hLow = hHigh = (b.left + b.right) / 2;

  const bool inX = p.x >= b.left && p.x <= b.right;
  const bool inY = p.y >= b.top && p.y <= b.bottom;
  const bool left = inY && p.x >= b.left && p.x <= b.left + kStripWidth;
  const bool right = inY && p.x >= b.right - kStripWidth && p.x <= b.right;
  const bool top = inX && p.y >= b.top && p.y <= b.top + kStripWidth;
  const bool bottom = inX && p.y >= b.bottom - kStripWidth && p.y <= b.bottom;
  const bool alongV = p.y >= vLow && p.y <= vHigh;
  const bool alongH = p.x >= hLow && p.x <= hHigh;

  if (left && alongV) return kHitLeftEdge;
  if (right && alongV) return kHitRightEdge;
  if (top && alongH) return kHitTopEdge;
  if (bottom && alongH) return kHitBottomEdge;
  if (left && p.y > vHigh) return kHitBottomLeft;
  if (left && p.y < vLow) return kHitTopLeft;
  if (right && p.y > vHigh) return kHitBottomRight;
  if (right && p.y < vLow) return kHitTopRight;
  if (top && p.x < hLow) return kHitTopLeft;
  if (top && p.x > hHigh) return kHitTopRight;
  if (bottom && p.x < hLow) return kHitBottomLeft;
  if (bottom && p.x > hHigh) return kHitBottomRight;
  if (plot.Contains(p)) return kHitPlot;
  if (b.Contains(p)) return kHitMove;
  return 0;
}

void CBox::DrawBand(DeviceContext& dc, const Rect& device) {
  const Pen oldPen = dc.SelectPen({PenStyle::kSolid, 0, 0xFFFFFF});
  const int32_t oldRop = dc.SetROP2(kRopXorPen);
  const Point corners[4] = {dc.DPtoLP(Point{device.left, device.top}),
                            dc.DPtoLP(Point{device.right, device.top}),
                            dc.DPtoLP(Point{device.right, device.bottom}),
                            dc.DPtoLP(Point{device.left, device.bottom})};
  dc.MoveTo(corners[0].x, corners[0].y);
  for (int i = 1; i <= 4; ++i) dc.LineTo(corners[i % 4].x, corners[i % 4].y);
  dc.SetROP2(oldRop);
  dc.SelectPen(oldPen);
}

bool CBox::InShownPlot(const DeviceContext& dc, Point device) const {
  Rect shown;
  GetPlotRect(shown);
  return !shown.IsEmpty() && dc.LPtoDP(shown).Contains(device);
}

void CBox::SelectSliceAt(DeviceContext& dc, Point device, int release) {
  auto* waterfall = dynamic_cast<CFFT3DBox*>(this);
  if (!waterfall) return;
  const Point p = dc.DPtoLP(device);
  waterfall->FocusAt(dc, p.x, p.y, release);
}

int32_t CBox::OnLButtonDown(DeviceContext& dc, int x, int y) {
  const Point p{x, y};
  const Rect box = dc.LPtoDP(boxRect_);
  int32_t code = HitTest(box, dc.LPtoDP(plotRect_), p);
  if (code == 0) return 0;
  dragStart_ = p;
  dragRect_ = box;
  if ((code & kHitCursorMask) == (kHitMove & kHitCursorMask)) code |= kDragBelowThreshold;
  if (code & kHitInPlot) {
    switch (g_mouseOperation) {
      case kMouseMark:
        if (InShownPlot(dc, p)) {
          DrawCursor(dc, nullptr, 1);
          const int side = SetMark(dc, x, y);
          DrawCursor(dc, nullptr, 0);
          code = (code & ~kHitCursorMask) | MarkCursor(side);
        }
        break;
      case kMouseZoomBand:
        code |= kDragBelowThreshold;
        break;
      case kMouseSlice:
        SelectSliceAt(dc, p, 0);
        break;
      default:
        break;
    }
  }
  dragState_ = code;
  if (code & kHitSizeMask) DrawBand(dc, dragRect_);
  return code;
}

int32_t CBox::OnMouseMove(DeviceContext& dc, int x, int y) {
  const Point p{x, y};
  if (dragState_ == 0) return HitTest(dc.LPtoDP(boxRect_), dc.LPtoDP(plotRect_), p);
  auto code = [&] { return dragState_ & ~(kDragBelowThreshold | kDragBandShown); };
  const int dx = x - dragStart_.x;
  const int dy = y - dragStart_.y;
  const int operation = g_mouseOperation;

  if (dragState_ & kDragBelowThreshold) {
    if (std::abs(dx) <= kDragThreshold && std::abs(dy) <= kDragThreshold) return code();
    dragState_ &= ~kDragBelowThreshold;
    if ((dragState_ & kHitInPlot) && operation == kMouseZoomBand)
      dragRect_ = {dragStart_.x, dragStart_.y, x, y};
  }

  if (dragState_ & kHitSizeMask) {
    DrawBand(dc, dragRect_);
    dragRect_ = DragRect(dc, dragState_, dx, dy);
    DrawBand(dc, dragRect_);
    return code();
  }
  if (!(dragState_ & kHitInPlot)) return code();

  const bool inside = InShownPlot(dc, p);
  int32_t result = code() | (inside ? 0 : 1);
  switch (operation) {
    case kMouseZoomBand:
      if (dragState_ & kDragBandShown) {
        DrawBand(dc, dragRect_);
        dragState_ &= ~kDragBandShown;
      }
      if (inside) {
        dragRect_ = {dragStart_.x, dragStart_.y, x, y};
        DrawBand(dc, dragRect_);
        dragState_ |= kDragBandShown;
        result = (code() & ~kHitCursorMask) | BandDirection(dx, dy);
      }
      break;
    case kMouseMark:
      DrawCursor(dc, nullptr, 1);
      if (!inside) {
        markValue_ = -1.0;
      } else {
        const int side = SetMark(dc, x, y);
        DrawCursor(dc, nullptr, 0);
        result = (code() & ~kHitCursorMask) | MarkCursor(side);
      }
      break;
    case kMouseSlice:
      SelectSliceAt(dc, p, 0);
      break;
    default:
      break;
  }
  return result;
}

int32_t CBox::OnLButtonUp(DeviceContext& dc, int x, int y) {
  const Point p{x, y};
  const int32_t state = dragState_;
  int32_t result = 0;
  if (state & kHitSizeMask) {
    DrawBand(dc, dragRect_);
    // Edges the drag left where they were keep their logical values: converting them to
    // device pixels and back would move a box that was only clicked.
    const Rect before = dc.LPtoDP(boxRect_);
    if ((state & kDragBelowThreshold) || dragRect_ == before) {
      dragState_ = 0;
      return 0;
    }
    const Point a = dc.LPtoDP(Point{boxRect_.left, boxRect_.top});
    const Point b = dc.LPtoDP(Point{boxRect_.right, boxRect_.bottom});
    const bool xForward = a.x <= b.x;  // device x grows with logical x
    const bool yForward = a.y <= b.y;
    auto edge = [&](int32_t logical, int32_t oldDevice, int32_t newDevice, bool horizontal) {
      if (oldDevice == newDevice) return logical;
      return horizontal ? dc.DPtoLP(Point{newDevice, 0}).x : dc.DPtoLP(Point{0, newDevice}).y;
    };
    Rect target = boxRect_;
    target.left = edge(boxRect_.left, xForward ? before.left : before.right,
                       xForward ? dragRect_.left : dragRect_.right, true);
    target.right = edge(boxRect_.right, xForward ? before.right : before.left,
                        xForward ? dragRect_.right : dragRect_.left, true);
    target.top = edge(boxRect_.top, yForward ? before.top : before.bottom,
                      yForward ? dragRect_.top : dragRect_.bottom, false);
    target.bottom = edge(boxRect_.bottom, yForward ? before.bottom : before.top,
                         yForward ? dragRect_.bottom : dragRect_.top, false);
    // A moved box keeps its logical size.
    if (((state >> 8) & 3) == kExtentBoth) target.right = target.left + boxRect_.Width();
    if (((state >> 10) & 3) == kExtentBoth) target.bottom = target.top + boxRect_.Height();
    Rect changed = MoveBox(NormalizeRect(target));
    changed.right += kInvalidMargin;
    changed.top -= kInvalidMargin;
    invalidRect_ = invalidPending_ ? UnionRect(invalidRect_, changed) : changed;
    invalidPending_ = 1;
    validFlags_ = 0;
  } else if (state & kHitInPlot) {
    switch (g_mouseOperation) {
      case kMouseZoomBand:
        if (state & kDragBandShown) DrawBand(dc, dragRect_);
        if (!(state & kDragBelowThreshold) && InShownPlot(dc, p)) {
          ZoomToBand(dc.DPtoLP(dragStart_), dc.DPtoLP(p));
          invalidRect_ = invalidPending_ ? UnionRect(invalidRect_, boxRect_) : boxRect_;
          invalidPending_ = 1;
          validFlags_ = 0;
        }
        break;
      case kMouseMark:
        DrawCursor(dc, nullptr, 1);
        if (InShownPlot(dc, p)) {
          SetMark(dc, x, y);
          DrawCursor(dc, nullptr, 0);
          result |= kMarkChanged;
        } else {
          markValue_ = -1.0;
        }
        break;
      case kMouseSlice:
        SelectSliceAt(dc, p, 1);
        break;
      default:
        break;
    }
  }
  dragState_ = 0;
  return result | OnMouseMove(dc, x, y);
}

Rect CBox::DragRect(const DeviceContext& dc, int32_t code, int dx, int dy) const {
  Rect r = dc.LPtoDP(boxRect_);
  const Rect plot = dc.LPtoDP(plotRect_);
  int leastWidth = r.Width() - plot.Width();
  int leastHeight = r.Height() - plot.Height();
  if (GetKind() == kBoxInfo) leastWidth = leastHeight = kInfoBoxLeast;
  const Point origin = dc.LPtoDP(Point{0, 0});
  ApplyExtent((code >> 8) & 3, dx, origin.x, leastWidth, r.left, r.right);
  ApplyExtent((code >> 10) & 3, dy, origin.y, leastHeight, r.top, r.bottom);
  return r;
}

Rect CBox::MoveBox(const Rect& box) {
  const Rect old = boxRect_;
  const Rect plot{plotRect_.left + (box.left - old.left), box.top + (plotRect_.top - old.top),
                  plotRect_.right + (box.right - old.right),
                  box.bottom + (plotRect_.bottom - old.bottom)};
  SetRect(box, &plot);
  placedByUser_ = 1;
  if (GetKind() != kBoxInfo) {
    SetXRange(x_.ValueStart(), x_.ValueEnd());
    SetYRange(y_.ValueStart(), y_.ValueEnd());
  }
  return UnionRect(old, box);
}

void CBox::ZoomToBand(Point start, Point end) {
  // The band is taken relative to the plot shown (a 3D box's focus slice lies shifted from
  // the front rectangle the axes map onto).
  Rect shown;
  GetPlotRect(shown);
  Point shift{};
  if (!shown.IsEmpty()) shift = {shown.left - plotRect_.left, shown.top - plotRect_.top};
  const int x0 = start.x - shift.x, x1 = end.x - shift.x;
  const int y0 = start.y - shift.y, y1 = end.y - shift.y;

  int p0 = 0, p1 = 0;
  double vs = 0, ve = 0;
  x_.GetRange(p0, p1, vs, ve);
  bool zoomX = true;
  double a = 0, b = 0;
  if (x1 - x0 < 1) {
    zoomX = x1 != x0;  // a band without width says nothing about X
    if (zoomX) {
      const double h = double(p1 - p0) / std::abs(x1 - x0);
      a = x_.PixelToValue(ClampTrunc(p0 - h * (x1 - p0)));
      b = x_.PixelToValue(ClampTrunc(p1 + h * (p1 - x0)));
    }
  } else {
    a = x_.PixelToValue(x0);
    b = x_.PixelToValue(x1);
  }
  if (zoomX && LimitXRange(a, b)) {
    x_.SetRange(p0, p1, a, b);
    x_.CalcTickStep(0, 0);
  }

  y_.GetRange(p0, p1, vs, ve);
  bool zoomY = true;
  if (y1 - y0 < 0) {  // dragged visually downwards
    a = y_.PixelToValue(y1);
    b = y_.PixelToValue(y0);
  } else {
    zoomY = y1 != y0;
    if (zoomY) {
      const double k = double(p1 - p0) / std::abs(y1 - y0);
      a = y_.PixelToValue(ClampTrunc(p0 - k * (y0 - p0)));
      b = y_.PixelToValue(ClampTrunc(p1 + k * (p1 - y1)));
    }
  }
  if (zoomY && LimitYRange(a, b)) {
    y_.SetRange(p0, p1, a, b);
    y_.CalcTickStep(0, 0);
  }
}
