#include "core/graph/box.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

#include "core/io/archive.h"
#include "core/graph/label_memory.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

namespace {

// A point buffer larger than this is refused like a failed allocation.
constexpr size_t kMaxPointCount = size_t{1} << 26;
// Tick walks stop after this many ticks whatever the axis says.
// The scale's layout, in logical units.
constexpr int kLabelGuard = 10;  // space kept free between a label and its neighbours
constexpr int kXLabelDrop = 20;  // X labels hang this far below the axis, where tick marks end

enum Outcode : int { kRightOf = 1, kLeftOf = 2, kBeyondBottom = 4, kBeforeTop = 8 };

int OutcodeOf(Point p, const Rect& c) {
  int code = 0;
  if (p.x > c.right) code |= kRightOf;
  else if (p.x < c.left) code |= kLeftOf;
  if (p.y > c.bottom) code |= kBeyondBottom;
  else if (p.y < c.top) code |= kBeforeTop;
  return code;
}

int32_t Clamp32(int32_t v, int32_t lo, int32_t hi) { return std::max(lo, std::min(v, hi)); }

}  // namespace

bool ClipSegment(Point& a, Point& b, const Rect& c) {
  if (a.x == b.x) {  // vertical: clamp directly
    if (a.x < c.left || a.x > c.right) return false;
    if ((a.y < c.top && b.y < c.top) || (a.y > c.bottom && b.y > c.bottom)) return false;
    a.y = Clamp32(a.y, c.top, c.bottom);
    b.y = Clamp32(b.y, c.top, c.bottom);
    return true;
  }
  if (a.y == b.y) {  // horizontal
    if (a.y < c.top || a.y > c.bottom) return false;
    if ((a.x < c.left && b.x < c.left) || (a.x > c.right && b.x > c.right)) return false;
    a.x = Clamp32(a.x, c.left, c.right);
    b.x = Clamp32(b.x, c.left, c.right);
    return true;
  }
  int codeA = OutcodeOf(a, c);
  int codeB = OutcodeOf(b, c);
  // Each pass moves one end onto an edge; integer rounding may need a further pass.
  for (int pass = 0; pass < 8; ++pass) {
    if ((codeA | codeB) == 0) return true;
    if (codeA & codeB) return false;
    int code = codeA ? codeA : codeB;
    const int64_t x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
    int64_t x = 0, y = 0;
    if (code & kRightOf) {
      x = c.right;
      y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    } else if (code & kLeftOf) {
      x = c.left;
      y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    } else if (code & kBeyondBottom) {
      y = c.bottom;
      x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
    } else {
      y = c.top;
      x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
    }
    Point p{static_cast<int32_t>(x), static_cast<int32_t>(y)};
    if (code == codeA) {
      a = p;
      codeA = OutcodeOf(a, c);
    } else {
      b = p;
      codeB = OutcodeOf(b, c);
    }
  }
  return (codeA | codeB) == 0;
}

CBox::CBox() = default;

CBox::~CBox() { UnlockPoints(); }

void CBox::Serialize(CArchive& ar) {
  const auto channelBeforeLoad = channel_;
  ar.Field(channel_);
  for (Rect* r : {&boxRect_, &plotRect_}) {
    ar.Field(r->top);
    ar.Field(r->bottom);
    ar.Field(r->left);
    ar.Field(r->right);
  }
  for (uint32_t& c : colors_) ar.Field(c);
  x_.Serialize(ar);
  y_.Serialize(ar);
  for (double& d : reserved_) ar.Field(d);
  ar.Field(gridShown_);
  ar.Field(reservedInt_);
  ar.Field(markValue_);
  ar.Field(markLevel_);
  ar.Field(peakSearch_);
  ar.Field(crossHair_);
  ar.Field(markShown_);
  if (ar.IsLoading()) {
    validFlags_ = 0;
    // A channel selector outside 0..3 gives way to the one of the box's slot. Rectangles
    // far off any page or marks that are no numbers cannot come from a box: the record is
    // corrupt.
    if (channel_ < kChannelNone || channel_ > kChannelBoth) channel_ = channelBeforeLoad;
    bool sane = std::isfinite(markValue_) && std::isfinite(markLevel_);
    for (const Rect* r : {&boxRect_, &plotRect_}) {
      for (int32_t v : {r->left, r->top, r->right, r->bottom}) sane = sane && std::abs(v) <= kMaxStoredCoordinate;
    }
    if (!sane) ar.Fail();
  }
}

void CBox::GetPlotRect(Rect& out) const { out = plotRect_; }

int CBox::IsNearTop(int /*x*/, int y) const {
  return std::abs(int64_t{y} - plotRect_.top) <= std::abs(int64_t{y} - plotRect_.bottom) ? 1 : 0;
}

int CBox::GetCursorLines(Point points[4]) const {
  for (int i = 0; i < 4; ++i) points[i] = Point{};
  if (markValue_ < 0) return 0;
  int x = x_.ValueToPixel(markValue_);
  points[0] = {x, plotRect_.top};
  points[1] = {x, plotRect_.bottom};
  int y = y_.ValueToPixel(markLevel_);
  points[2] = {plotRect_.left, y};
  points[3] = {plotRect_.right, y};
  return 1;
}

void CBox::Recalc(int, int) {}

void CBox::Redraw(DeviceContext& dc, const Rect* clip) { Draw(dc, clip); }

uint32_t CBox::DrawNewSamples(DeviceContext&, uint32_t, uint32_t) { return 0; }

int CBox::CanPeakSearch() const { return 0; }
void CBox::SetLevelMode(int) {}
void CBox::ApplyLevelReference() {}
double CBox::GetLevelAtMark(int) { return 0.0; }

void CBox::GetXTickStart(double& value, int& yUpper, int& yLower) {
  value = x_.PixelToValue(x_.GetPixelStartClamped(nullptr) - 1);
  yLower = y_.GetPixelStartClamped(nullptr);
  yUpper = y_.GetPixelEndClamped(nullptr);
}

void CBox::ToggleLogLevel() {}
void CBox::ToggleLogFrequency() {}
int CBox::CanLogLevel() const { return 0; }
int CBox::CanLogFrequency() const { return 0; }
int CBox::IsLogLevel() const { return 0; }
int CBox::IsLogFrequency() const { return 0; }
void CBox::UpdateData(int, int, int) {}
void CBox::AnalyseBlock(uint32_t, int, int) {}

void CBox::Draw(DeviceContext& dc, const Rect* clip) {
  dc.SetBkColor(colors_[kColorFrameBack]);
  constexpr uint16_t kAllLayers = kValidLabels | kValidFrame | kValidData;
  if ((validFlags_ & kAllLayers) == kAllLayers) return;
  if (!(validFlags_ & kValidFrame)) {
    validFlags_ &= static_cast<uint16_t>(~(kValidLabels | kMarkLineShown));
    DrawFrame(dc, clip);
  } else {
    DrawCursor(dc, clip, 1);
    EraseData(dc, clip);
  }
  DrawScale(dc, clip);
  DrawData(dc, clip);
  DrawCursor(dc, clip, 0);
  validFlags_ |= kAllLayers;
  if (!dc.IsPrinting() && !dc.RecordsVectorOutput()) DrawActiveBorder(dc, clip);
}

void CBox::TraceRect(DeviceContext& dc, const Rect& r, const Rect& clip) {
  MoveTo(dc, {r.left, r.top}, clip);
  LineTo(dc, {r.left, r.bottom}, clip);
  LineTo(dc, {r.right, r.bottom}, clip);
  LineTo(dc, {r.right, r.top}, clip);
  LineTo(dc, {r.left, r.top}, clip);
}

void CBox::DrawActiveBorder(DeviceContext& dc, const Rect* clip) {
  Pen old = dc.SelectPen({PenStyle::kSolid, 3, active_ ? kActiveBorderColor : colors_[kColorFrameBack]});
  TraceRect(dc, boxRect_, ClipOr(clip, boxRect_));
  dc.SelectPen(old);
}

void CBox::DrawFrame(DeviceContext& dc, const Rect* clip) {
  Rect area = ClipOr(clip, boxRect_);
  Rect outer;
  if (!IntersectRect(outer, area, boxRect_)) return;
  dc.FillSolidRect(outer, colors_[kColorFrameBack]);
  Rect inner;
  if (!IntersectRect(inner, area, plotRect_)) return;
  dc.FillSolidRect(inner, colors_[kColorGraphBack]);
  Pen old = dc.SelectPen({PenStyle::kSolid, 1, colors_[kColorFrame]});
  TraceRect(dc, boxRect_, inner);
  dc.SelectPen({PenStyle::kSolid, 1, colors_[kColorScale]});
  TraceRect(dc, plotRect_, inner);
  dc.SelectPen(old);
  validFlags_ |= kValidFrame;
}

void CBox::DrawScale(DeviceContext& dc, const Rect* clip) { DrawScaleWalk(dc, clip, ScaleGeometry{}); }

void CBox::DrawScaleWalk(DeviceContext& dc, const Rect* clip, const ScaleGeometry& g) {
  if (PlotTooSmall()) return;
  Rect area;
  if (!IntersectRect(area, ClipOr(clip, boxRect_), boxRect_)) return;

  Pen oldPen = dc.SelectPen({PenStyle::kSolid, 1, colors_[kColorScale]});
  dc.SetBkColor(colors_[kColorFrameBack]);
  const StringSize cell = LabelCell();
  const bool labels = !(plotRect_ == boxRect_) && !(validFlags_ & kValidLabels);

  // X axis: labels centred under the ticks, with a short tick mark above each label.
  dc.SetTextAlign(kAlignCenter | kAlignTop);
  double start = 0;
  int yUpper = 0, yLower = 0;
  GetXTickStart(start, yUpper, yLower);
  {
    LabelMemory memory;
    for (const AxisTick& t : AxisTicks(x_, start, true)) {
      const int x = t.coordinate;
      if (gridShown_) {
        MoveTo(dc, {x, yLower}, area);
        if (g.backWall) {
          LineTo(dc, {x + g.depth.x, yLower + g.depth.y}, area);
          LineTo(dc, {x + g.depth.x, yUpper + g.depth.y}, area);
        } else {
          LineTo(dc, {x, yUpper}, area);
        }
      }
      if (!labels) continue;
      const Rect test{x - cell.width / 2 - kLabelGuard, yLower - cell.height, x + cell.width / 2 + kLabelGuard,
                      yLower};
      if (!memory.IsFree(test)) continue;
      dc.TextOutClipped(x - g.labelSlant, yLower - kXLabelDrop, area, t.label);
      MoveTo(dc, {x - g.labelSlant / 4, yLower - g.xTickMarkStart}, area);
      LineTo(dc, {x - g.labelSlant, yLower - kXLabelDrop}, area);
      memory.Remember(test);
    }
  }

  // Y axis: labels right-aligned left of the plot, centred on the ticks.
  dc.SetTextAlign(kAlignRight | kAlignTop);
  start = y_.PixelToValue(y_.GetPixelStartClamped(nullptr) - 1);
  const int xLeft = x_.GetPixelStartClamped(nullptr);
  const int xRight = x_.GetPixelEndClamped(nullptr);
  {
    LabelMemory memory;
    for (const AxisTick& t : AxisTicks(y_, start, false)) {
      const int y = t.coordinate;
      if (gridShown_) {
        MoveTo(dc, {xLeft, y}, area);
        if (g.backWall) {
          LineTo(dc, {xLeft + g.depth.x, y + g.depth.y}, area);
          LineTo(dc, {xRight + g.depth.x, y + g.depth.y}, area);
        } else {
          LineTo(dc, {xRight, y}, area);
        }
      }
      if (!labels) continue;
      const Rect test{xLeft - cell.width, y - cell.height / 2 - kLabelGuard, xLeft, y + cell.height / 2 + kLabelGuard};
      if (!memory.IsFree(test)) continue;
      dc.TextOutClipped(xLeft - g.yLabelGap, y + cell.height / 2, area, t.label);
      memory.Remember(test);
    }
  }
  dc.SelectPen(oldPen);
}

int CBox::DrawCursor(DeviceContext& dc, const Rect* clip, int erase) {
  if (!IsMarkVisible()) {
    validFlags_ &= static_cast<uint16_t>(~kMarkLineShown);
    return 0;
  }
  const bool shown = (validFlags_ & kMarkLineShown) != 0;
  if (erase ? !shown : shown) return 0;
  Point lines[4];
  GetCursorLines(lines);
  const Rect area = ClipOr(clip, plotRect_);
  Pen oldPen = dc.SelectPen({PenStyle::kSolid, 1, colors_[kColorMark]});
  int32_t oldRop = dc.SetROP2(kRopXorPen);
  MoveTo(dc, lines[0], area);
  LineTo(dc, lines[1], area);
  if (crossHair_) {
    MoveTo(dc, lines[2], area);
    LineTo(dc, lines[3], area);
  }
  dc.SetROP2(oldRop);
  dc.SelectPen(oldPen);
  validFlags_ ^= kMarkLineShown;
  return 1;
}

double CBox::PixelToMarkValue(int, int, int x, int) { return x_.PixelToValue(x); }

void CBox::DrawPolyline(DeviceContext& dc, int row, const Rect* clip, int style) {
  Rect area;
  if (!IntersectRect(area, ClipOr(clip, plotRect_), plotRect_)) return;
  const Point* points = GetPoints(row);
  if (!points) return;
  const int count = std::min(pointsInUse_, pointColumns_);
  auto colorAt = [&](int index) -> uint32_t {
    switch (style) {
      case kPolylineErase:
        return colors_[kColorGraphBack];
      case kPolylineArea:
        return colors_[kColorArea];
      case kPolylineSelection:
        return index > selectionFirst_ && index <= selectionLast_ ? colors_[kColorArea]
                                                                  : colors_[kColorGraph];
      default:
        return colors_[kColorGraph];
    }
  };
  if (count > 0) {
    uint32_t color = colorAt(0);
    Pen oldPen = dc.SelectPen({PenStyle::kSolid, 1, color});
    MoveTo(dc, points[0], area);
    for (int i = 1; i < count; ++i) {
      uint32_t c = colorAt(i);
      if (c != color) {
        color = c;
        dc.SelectPen({PenStyle::kSolid, 1, color});
      }
      if (!(points[i] == points[i - 1])) LineTo(dc, points[i], area);
    }
    dc.SelectPen(oldPen);
  }
  UnlockPoints();
}

void CBox::SetSource(CWave* wave, AnalysisContext* settings, int channel) {
  if (!wave) return;
  wave_ = wave;
  settings_ = settings;
  if ((channel & 0xFFFF) == 0)
    channel_ = wave->Channels() == 1 ? kChannelBoth : kChannelLeft;
  else
    channel_ = static_cast<int16_t>(channel);
}

void CBox::SetRect(const Rect& box, const Rect* plot) {
  boxRect_ = box;
  plotRect_ = plot ? *plot : box;
}

void CBox::SetXRange(double start, double end) {
  x_.SetRange(plotRect_.left, plotRect_.right, start, end);
  x_.CalcTickStep(0, 0);
}

void CBox::SetYRange(double start, double end) {
  y_.SetRange(plotRect_.top, plotRect_.bottom, start, end);
  y_.CalcTickStep(0, 0);
}

Point* CBox::GetPoints(int row) {
  if (points_.empty() || row < 0 || row >= pointRows_) return nullptr;
  pointsLocked_ = true;
  return points_.data() + size_t(row) * size_t(pointColumns_);
}

int CBox::IsGraphBox() const { return 1; }
int CBox::CanAutoRangeY() const { return 1; }
int CBox::HasScale() const { return 1; }
double CBox::GetValueAtMark(double) { return y_.ValueStart(); }

int CBox::AllocPoints(int rows, int columns) {
  UnlockPoints();
  if (rows <= 0 || columns <= 0) {
    pointsInUse_ = 0;
    return 0;
  }
  const size_t needed = size_t(rows) * size_t(columns);
  if (needed > kMaxPointCount) {
    points_ = {};
    pointRows_ = pointColumns_ = pointsInUse_ = 0;
    return 0;
  }
  if (points_.size() < needed) {
    try {
      points_.resize(needed);
    } catch (const std::bad_alloc&) {
      points_ = {};
      pointRows_ = pointColumns_ = pointsInUse_ = 0;
      return 0;
    }
  }
  pointRows_ = rows;
  pointColumns_ = columns;
  pointsInUse_ = columns;
  return 1;
}

int CBox::IsMarkVisible() const {
  return markShown_ && markValue_ >= 0 && markValue_ >= x_.ValueStart() &&
                 markValue_ <= x_.ValueEnd()
             ? 1
             : 0;
}

void CBox::SetActive(int active) {
  if ((active != 0) != (active_ != 0)) {
    // The 3-unit border reaches past the box edges.
    Rect border{boxRect_.left - 2, boxRect_.top - 2, boxRect_.right + 2, boxRect_.bottom + 2};
    invalidRect_ = invalidPending_ ? UnionRect(invalidRect_, border) : border;
    invalidPending_ = 1;
  }
  active_ = active;
}

int CBox::TakeInvalidRect(Rect& out) {
  out = invalidRect_;
  int pending = invalidPending_;
  invalidPending_ = 0;
  invalidRect_ = Rect{};
  return pending;
}

void CBox::MoveTo(DeviceContext&, Point p, const Rect&) { penPosition_ = p; }

void CBox::LineTo(DeviceContext& dc, Point p, const Rect& clip) {
  Point a = penPosition_;
  Point b = p;
  if (ClipSegment(a, b, clip)) {
    dc.MoveTo(a.x, a.y);
    dc.LineTo(b.x, b.y);
  }
  penPosition_ = p;
}

void CBox::PlotPoint(DeviceContext& dc, Point p, const Rect& clip) {
  if (p.x >= clip.left && p.x <= clip.right && p.y >= clip.top && p.y <= clip.bottom)
    dc.SetPixel(p.x, p.y, colors_[kColorArea]);
  penPosition_ = p;
}

void CBox::Polygon(DeviceContext& dc, const Point* points, int count) { dc.Polygon(points, count); }

int CBox::SetMark(DeviceContext& dc, int deviceX, int deviceY) {
  Point left = dc.DPtoLP(Point{deviceX - 3, deviceY});
  Point centre = dc.DPtoLP(Point{deviceX, deviceY});
  Point right = dc.DPtoLP(Point{deviceX + 3, deviceY});
  int side = peakSearch_ ? IsNearTop(centre.x, centre.y) : -1;
  markValue_ = PixelToMarkValue(left.x, right.x, centre.x, side);
  markLevel_ = GetValueAtMark(markValue_);
  return side;
}

Rect CBox::SetPlotRect(const Rect& plot) {
  // The information box has no plot: its plot rectangle stays empty whatever the layout.
  if (!IsGraphBox()) return boxRect_;
  plotRect_ = plot;
  PlotRectMoved();
  SetXRange(x_.ValueStart(), x_.ValueEnd());
  SetYRange(y_.ValueStart(), y_.ValueEnd());
  return boxRect_;
}

StringSize CBox::LabelCell() const {
  if (settings_ && settings_->stringSize) return *settings_->stringSize;
  return StringSize{};
}

const LogFont* CBox::DocumentLogFont() const {
  if (settings_ && settings_->font) return &settings_->font->logFont;
  return nullptr;
}

std::string CBox::ChannelTitle() const {
  switch (channel_) {
    case kChannelLeft:
      return "L-ch";
    case kChannelRight:
      return "R-ch";
    default:
      return wave_ && wave_->Channels() == 1 ? "Mono" : "L+R";
  }
}

namespace {

// The x of segment a-b at height y (a.y != b.y), rounded toward zero.
int32_t XAtHeight(Point a, Point b, int32_t y) {
  return static_cast<int32_t>(a.x + (int64_t{b.x} - a.x) * (int64_t{y} - a.y) / (int64_t{b.y} - a.y));
}

// The y of segment a-b at x (a.x != b.x), rounded toward zero.
int32_t YAtX(Point a, Point b, int32_t x) {
  return static_cast<int32_t>(a.y + (int64_t{b.y} - a.y) * (int64_t{x} - a.x) / (int64_t{b.x} - a.x));
}

void AppendDistinct(std::vector<Point>& out, Point p) {
  if (out.empty() || !(out.back() == p)) out.push_back(p);
}

}  // namespace

int CBox::ClipPolygon(const Point* curve, int count, const Rect& clip, std::vector<Point>& outline) {
  outline.clear();
  if (!curve || count <= 0 || clip.right < clip.left || clip.bottom < clip.top) return 0;

  // The part of the curve between the left and right edges.
  std::vector<Point> inside;
  inside.reserve(static_cast<size_t>(count) + 2);
  if (count == 1) {
    if (curve[0].x >= clip.left && curve[0].x <= clip.right) inside.push_back(curve[0]);
  }
  for (int i = 1; i < count; ++i) {
    Point a = curve[i - 1];
    Point b = curve[i];
    if (b.x < clip.left || a.x > clip.right) continue;
    if (a.x < clip.left) a = {clip.left, YAtX(a, b, clip.left)};
    if (b.x > clip.right) b = {clip.right, YAtX(a, b, clip.right)};
    AppendDistinct(inside, a);
    AppendDistinct(inside, b);
  }
  if (inside.empty()) return 0;

  // Held between the lower and upper edge, with a corner wherever the curve crosses one.
  auto held = [&](Point p) { return Point{p.x, std::clamp(p.y, clip.top, clip.bottom)}; };
  outline.push_back({inside.front().x, clip.top});
  AppendDistinct(outline, held(inside.front()));
  bool above = inside.front().y > clip.top;
  for (size_t i = 1; i < inside.size(); ++i) {
    const Point a = inside[i - 1];
    const Point b = inside[i];
    const int32_t levels[2] = {a.y < b.y ? clip.top : clip.bottom, a.y < b.y ? clip.bottom : clip.top};
    for (int32_t level : levels) {
      if ((a.y < level && level < b.y) || (b.y < level && level < a.y))
        AppendDistinct(outline, {XAtHeight(a, b, level), level});
    }
    AppendDistinct(outline, held(b));
    above = above || b.y > clip.top;
  }
  if (!above) {
    outline.clear();
    return 0;
  }
  AppendDistinct(outline, {inside.back().x, clip.top});
  return static_cast<int>(outline.size());
}
