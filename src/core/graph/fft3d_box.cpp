#include "core/graph/fft3d_box.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/io/archive.h"
#include "core/realtime/analysis_settings.h"

namespace {

// Tick walks stop after this many ticks whatever the axis says.
// The scale's layout in logical units: slanted X tick marks start nearer the axis, and the
// Y labels keep clear of the left wall's grid lines.
constexpr int32_t kSlantedTickMarkStart = 5;
constexpr int32_t kYLabelGap = 6;
// A slice limit above this cannot come from a plot on a page.
constexpr int32_t kMostSlices = 1 << 20;
constexpr int32_t kReadOutFlags = 5;
// Bytes of the five counts after the stored slices.
constexpr uint64_t kCountBytes = 20;

// trunc(length x share) for a share made of whole per cents: a product that is whole in
// decimal (1000 x (1 - 0.70) = 300) must not come out one lower because 0.3 has no exact
// binary form.
int32_t TruncShare(int32_t length, double share) {
  const double v = double(length) * share;
  const double t = std::trunc(v + (v >= 0 ? 1e-7 : -1e-7));
  constexpr double kLimit = double(1 << 30);
  return static_cast<int32_t>(std::clamp(t, -kLimit, kLimit));
}

double ShareOfPercent(int32_t percent) { return std::clamp(percent, 0, 100) * 0.01; }

Rect Moved(const Rect& r, Point by) {
  return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

}  // namespace

CFFT3DBox::CFFT3DBox(const Fft3DSettings& settings) {
  slantX_ = ShareOfPercent(settings.slantXPercent);
  frontHeightShare_ = 1 - ShareOfPercent(settings.slantYPercent);
  if (settings.depthPitch > 0) depthPitch_ = settings.depthPitch;
  fillColor_ = settings.fillColor;
  CalcFrontRect();
}

CFFT3DBox::~CFFT3DBox() = default;

void CFFT3DBox::ApplySettings3D(const Fft3DSettings& settings) {
  slantX_ = ShareOfPercent(settings.slantXPercent);
  frontHeightShare_ = 1 - ShareOfPercent(settings.slantYPercent);
  if (settings.depthPitch > 0) depthPitch_ = settings.depthPitch;
  fillColor_ = settings.fillColor;
  CalcFrontRect();
  // The axes map onto the front rectangle, which has just moved.
  SetXRange(x_.ValueStart(), x_.ValueEnd());
  SetYRange(y_.ValueStart(), y_.ValueEnd());
  validFlags_ = 0;
}

int32_t CFFT3DBox::DepthWidth() const {
  return TruncShare(plotRect_.right - plotRect_.left, slantX_);
}

void CFFT3DBox::CalcFrontRect() {
  const Rect& p = plotRect_;
  const int32_t height = p.bottom - p.top;
  const int32_t frontHeight = TruncShare(height, frontHeightShare_);
  frontRect_ = {p.left, p.top, p.right - DepthWidth(), p.top + frontHeight};
  sliceLimit_ = depthPitch_ > 0 ? std::max(0, (height - frontHeight) / depthPitch_) : 0;
}

Point CFFT3DBox::SliceOffset(int32_t i) const {
  if (sliceLimit_ <= 0) return {};
  return {static_cast<int32_t>(int64_t{i} * DepthWidth() / sliceLimit_),
          static_cast<int32_t>(int64_t{i} * depthPitch_)};
}

Rect CFFT3DBox::SliceRect(int32_t i) const { return Moved(frontRect_, SliceOffset(i)); }

void CFFT3DBox::SetSource(CWave* wave, AnalysisContext* settings, int channel) {
  CFFTBox::SetSource(wave, settings, channel);
  CalcFrontRect();
}

void CFFT3DBox::SetRect(const Rect& box, const Rect* plot) {
  CBox::SetRect(box, plot);
  CalcFrontRect();
}

void CFFT3DBox::SetXRange(double start, double end) {
  x_.SetRange(frontRect_.left, frontRect_.right, start, end);
  x_.CalcTickStep(0, 0);
}

void CFFT3DBox::SetYRange(double start, double end) {
  y_.SetRange(frontRect_.top, frontRect_.bottom, start, end);
  y_.CalcTickStep(0, 0);
}

// --- the slice store ---

void CFFT3DBox::FreeStore() {
  store_ = {};
  bytesAllocated_ = 0;
  binsPerSlice_ = 0;
  capacity_ = 0;
  slicesStored_ = 0;
}

int CFFT3DBox::AllocSlices(int32_t bins, int32_t slices) {
  slices = std::min(slices, sliceLimit_);
  const uint64_t bytes = bins > 0 && slices > 0 ? uint64_t(bins) * uint64_t(slices) * 4 : 0;
  if (bytes == 0 || bytes > kMaxStoreBytes) {
    FreeStore();
    return 0;
  }
  if (bytes != uint64_t(bytesAllocated_) || store_.empty()) {
    FreeStore();
    try {
      store_.resize(static_cast<size_t>(bytes / 4));
    } catch (const std::bad_alloc&) {
      FreeStore();
      return 0;
    }
    bytesAllocated_ = static_cast<int32_t>(bytes);
  }
  slicesStored_ = 0;
  binsPerSlice_ = bins;
  capacity_ = slices;
  return 1;
}

int32_t CFFT3DBox::PushSlice(const float* spectrum) {
  if (!spectrum || slicesStored_ >= capacity_ || store_.empty()) return -1;
  float* slot = store_.data() + size_t(slicesStored_) * size_t(binsPerSlice_);
  const int32_t copied = std::min(binsPerSlice_, BinCount());
  std::memcpy(slot, spectrum, sizeof(float) * size_t(copied));
  std::fill(slot + copied, slot + binsPerSlice_, 0.0f);
  return ++slicesStored_;
}

float* CFFT3DBox::GetSlice(int32_t i) {
  if (store_.empty() || i < 0 || i >= capacity_) return nullptr;
  return store_.data() + size_t(i) * size_t(binsPerSlice_);
}

const float* CFFT3DBox::SliceLevels(int32_t i) const {
  if (store_.empty() || i < 0 || i >= capacity_ || i >= slicesStored_) return nullptr;
  if (binsPerSlice_ < BinCount()) return nullptr;  // a slice shorter than the spectrum
  return store_.data() + size_t(i) * size_t(binsPerSlice_);
}

void CFFT3DBox::SliceMinMax(int32_t firstBin, int32_t lastBin, double& minimum,
                            double& maximum) const {
  minimum = 0.0;
  maximum = 0.0;
  const int32_t first = std::max(firstBin, 0);
  const int32_t last = std::min(lastBin, BinCount() - 1);
  if (first > last) return;
  bool any = false;
  float lo = 0, hi = 0;
  for (int32_t i = 0; i < slicesStored_; ++i) {
    const float* v = SliceLevels(i);
    if (!v) continue;
    if (!any) {
      lo = hi = v[first];
      any = true;
    }
    for (int32_t k = first; k <= last; ++k) {
      lo = std::min(lo, v[k]);
      hi = std::max(hi, v[k]);
    }
  }
  if (!any) return;
  minimum = lo;
  maximum = hi;
}

void CFFT3DBox::LevelsInBins(int32_t first, int32_t last, double& minimum, double& maximum) {
  SliceMinMax(first, last, minimum, maximum);
}

const float* CFFT3DBox::MarkLevels() { return HasFocus() ? SliceLevels(dataFocus_) : nullptr; }

// --- analysis ---

void CFFT3DBox::Recalc(int ignored, int restart) {
  if (!AllocSlices(BinCount(), sliceLimit_)) slicesStored_ = sliceLimit_;
  CFFTBox::Recalc(ignored, restart);
}

void CFFT3DBox::AnalyseBlock(uint32_t startFrame, int restart, int reallocate) {
  if (!engine_ || !wave_ || !settings_) return;
  if (reallocate && !AllocSlices(BinCount(), sliceLimit_)) slicesStored_ = sliceLimit_;
  if (slicesStored_ >= sliceLimit_) return;  // full: nothing more to calculate
  const auto flags = static_cast<uint16_t>(settings_->record.fftFlags | (restart ? kFftRestart : 0));
  engine_->Calc(wave_, startFrame, flags);
  AfterCalc();
  if (!engine_->IsCalculated()) return;
  if (const float* spectrum = engine_->GetSpectrum()) {
    PushSlice(spectrum);
    validFlags_ &= static_cast<uint16_t>(~kValidData);
  }
  engine_->ReleaseSpectrum();
}

// --- geometry of the focus ---

void CFFT3DBox::GetPlotRect(Rect& out) const { out = HasFocus() ? SliceRect(dataFocus_) : Rect{}; }

int CFFT3DBox::IsNearTop(int, int y) const {
  Rect r;
  GetPlotRect(r);
  return std::abs(int64_t{y} - r.top) <= std::abs(int64_t{y} - r.bottom) ? 1 : 0;
}

int CFFT3DBox::GetCursorLines(Point points[4]) const {
  for (int i = 0; i < 4; ++i) points[i] = Point{};
  if (markValue_ < 0 || !HasFocus()) return 0;
  const Point o = SliceOffset(dataFocus_);
  const int x = x_.ValueToPixel(markValue_) + o.x;
  points[0] = {x, frontRect_.top + o.y};
  points[1] = {x, frontRect_.bottom + o.y};
  const int y = y_.ValueToPixel(markLevel_) + o.y;
  points[2] = {frontRect_.left + o.x, y};
  points[3] = {frontRect_.right + o.x, y};
  return 1;
}

double CFFT3DBox::PixelToMarkValue(int xLeft, int xRight, int x, int peakSide) {
  const int dx = HasFocus() ? SliceOffset(dataFocus_).x : 0;
  return CFFTBox::PixelToMarkValue(xLeft - dx, xRight - dx, x - dx, peakSide);
}

// --- drawing ---

void CFFT3DBox::DrawFrame(DeviceContext& dc, const Rect* clip) {
  CBox::DrawFrame(dc, clip);
  DrawTitle(dc, "3D-FFT ");
}

int32_t CFFT3DBox::LabelSlant() const {
  const double depthHeight = (1 - frontHeightShare_) * (plotRect_.bottom - plotRect_.top);
  if (!(depthHeight > 0)) return 0;
  const double h = (plotRect_.right - plotRect_.left) * slantX_ / depthHeight * 20;
  // A flat, wide waterfall leans its labels far: never further than keeps a label under
  // the plot's left edge inside the box.
  const int32_t room = std::max(0, plotRect_.left - boxRect_.left - LabelCell().width / 2);
  return static_cast<int32_t>(std::clamp(std::trunc(h), 0.0, double(room)));
}

void CFFT3DBox::DrawScale(DeviceContext& dc, const Rect* clip) {
  // Grid lines run back along the floor and the left wall and up and across the back wall;
  // the X labels and their tick marks continue the depth direction forward and down.
  ScaleGeometry g;
  g.backWall = true;
  g.depth = SliceOffset(SlicesOnThePlot());  // the depth of the whole waterfall
  g.labelSlant = LabelSlant();
  g.xTickMarkStart = kSlantedTickMarkStart;
  g.yLabelGap = kYLabelGap;
  DrawScaleWalk(dc, clip, g);
}

void CFFT3DBox::DrawSlice(DeviceContext& dc, int32_t i, int fill, const Rect* clip) {
  if (!engine_ || !engine_->IsCalculated()) return;
  if (PlotTooSmall()) return;
  Rect area;
  if (!IntersectRect(area, ClipOr(clip, plotRect_), plotRect_)) return;
  const float* values = SliceLevels(i);
  if (!values) return;
  const Point o = SliceOffset(i);
  Rect c;
  if (!IntersectRect(c, Moved(frontRect_, o), area)) return;
  int32_t first = 0, last = 0;
  if (!VisibleBins(first, last) || !AllocPoints(1, last - first + 1)) return;

  // One point per device column, at the column's first bin, with the column's highest level.
  Point* points = GetPoints(0);
  const bool logicalColumns = dc.RecordsVectorOutput();
  int kept = 0;
  int column = 0;
  bool lastColumn = false;
  for (int32_t k = first; k <= last; ++k) {
    const Point p{x_.ValueToPixel(BinToFreq(k)) + o.x, y_.ValueToPixel(values[k]) + o.y};
    const int col = logicalColumns ? p.x : dc.LPtoDP(p).x;
    if (kept > 0 && col == column) {
      points[kept - 1].y = std::max(points[kept - 1].y, p.y);
      continue;
    }
    if (lastColumn) break;  // one column beyond the right edge is enough
    points[kept++] = p;
    column = col;
    lastColumn = p.x > c.right;
  }
  SetPointsInUse(kept);

  if (fill && ClipPolygon(points, kept, c, outline_) > 2) {
    const Pen oldPen = dc.SelectPen({PenStyle::kSolid, 1, colors_[kColorGraphBack]});
    const Brush oldBrush = dc.SelectBrush({fillColor_, false});
    Polygon(dc, outline_.data(), static_cast<int>(outline_.size()));
    dc.SelectBrush(oldBrush);
    dc.SelectPen(oldPen);
  }
  const int32_t oldRop = dc.SetROP2(kRopCopyPen);
  DrawPolyline(dc, 0, &c, i == dataFocus_ ? kPolylineArea : kPolylineGraph);
  dc.SetROP2(oldRop);
}

void CFFT3DBox::DrawData(DeviceContext& dc, const Rect* clip) {
  for (int32_t n = SlicesOnThePlot() - 1; n >= 0; --n) DrawSlice(dc, n, 1, clip);
}

void CFFT3DBox::Redraw(DeviceContext& dc, const Rect* clip) {
  if (slicesStored_ <= SlicesOnThePlot()) DrawSlice(dc, slicesStored_ - 1, 0, clip);
}

int CFFT3DBox::DrawCursor(DeviceContext& dc, const Rect* clip, int erase) {
  // Without a focus there is no slice to carry the mark.
  if (!HasFocus()) {
    validFlags_ &= static_cast<uint16_t>(~kMarkLineShown);
    return 0;
  }
  if (!CBox::DrawCursor(dc, clip, erase)) return 0;
  char block[64];
  std::snprintf(block, sizeof block, "%d(Max%d)  ", static_cast<int>(dataFocus_),
                static_cast<int>(slicesStored_ - 1));
  const std::string text = "Mark : Block " + std::string(block) +
                           x_.FormatNumber(markValue_, "Hz", kReadOutFlags) + "  " + LevelText();
  const uint32_t oldAlign = dc.SetTextAlign(kAlignRight | kAlignBottom);
  const uint32_t oldText = erase ? dc.SetTextColor(colors_[kColorFrameBack]) : dc.GetTextColor();
  dc.TextOut(plotRect_.right, plotRect_.bottom, text);
  dc.SetTextColor(oldText);
  dc.SetTextAlign(oldAlign);
  return 1;
}

// --- the data focus ---

void CFFT3DBox::FocusChanged(DeviceContext& dc, int32_t previous) {
  // A slice drawn again on its own would lie over the nearer slices that hide parts of it,
  // so everything from the farther of the two slices forward is drawn again.
  const int32_t farther = std::min(std::max(previous, dataFocus_), slicesStored_ - 1);
  for (int32_t n = farther; n >= 0; --n) DrawSlice(dc, n, 1, nullptr);
  if (markValue_ >= 0) markLevel_ = GetValueAtMark(markValue_);
}

void CFFT3DBox::MoveFocus(DeviceContext& dc, int step) {
  if (markValue_ >= 0) DrawCursor(dc, nullptr, 1);
  const int32_t previous = dataFocus_;
  if (slicesStored_ <= 0) {
    dataFocus_ = -1;
    return;
  }
  int64_t focus = int64_t{dataFocus_} + step;
  if (focus < 0) focus = slicesStored_ - 1;
  else if (focus >= slicesStored_) focus = 0;
  dataFocus_ = static_cast<int32_t>(focus);
  FocusChanged(dc, previous);
  if (markValue_ >= 0) DrawCursor(dc, nullptr, 0);
}

void CFFT3DBox::FocusAt(DeviceContext& dc, int x, int y, int release) {
  if (release) {
    if (markValue_ >= 0) DrawCursor(dc, nullptr, 1);
    if (!HasFocus()) markValue_ = -1.0;
    if (markValue_ >= 0) DrawCursor(dc, nullptr, 0);
    return;
  }
  if (slicesStored_ <= 0) dataFocus_ = -1;
  int32_t b = -1;
  if (plotRect_.Contains({x, y}) && depthPitch_ > 0)
    b = std::min((y - plotRect_.top) / depthPitch_, slicesStored_ - 1);
  if (b == dataFocus_) return;
  if (markValue_ >= 0) DrawCursor(dc, nullptr, 1);
  const int32_t previous = dataFocus_;
  dataFocus_ = b;
  FocusChanged(dc, previous);
  if (markValue_ >= 0) DrawCursor(dc, nullptr, 0);
}

// --- the stored record ---

void CFFT3DBox::Serialize(CArchive& ar) {
  CBox::Serialize(ar);
  if (!engine_) engine_ = std::make_unique<CFFT>();
  engine_->Serialize(ar);
  if (ar.IsStoring()) {
    // A focus that names no stored slice (selected before a run stored that many) is no
    // focus: it is stored as none, as it is drawn.
    int32_t focus = HasFocus() ? dataFocus_ : -1;
    ar.Field(logFrequency_);
    ar.Field(levelMode_);
    ar.Field(slantX_);
    ar.Field(frontHeightShare_);
    ar.Field(depthPitch_);
    ar.Field(frontRect_.top);
    ar.Field(frontRect_.bottom);
    ar.Field(frontRect_.left);
    ar.Field(frontRect_.right);
    ar.Field(fillColor_);
    ar.WriteI32(bytesAllocated_);
    if (bytesAllocated_ > 0) ar.Write(store_.data(), static_cast<size_t>(bytesAllocated_));
    ar.WriteI32(capacity_);
    ar.WriteI32(binsPerSlice_);
    ar.WriteI32(sliceLimit_);
    ar.WriteI32(slicesStored_);
    ar.Field(focus);
    return;
  }

  auto refuse = [&] {
    FreeStore();
    dataFocus_ = -1;
    ar.Fail();
  };
  if (ar.Failed()) return refuse();
  const int32_t logFrequency = ar.ReadI32();
  const int32_t levelMode = ar.ReadI32();
  const double slantX = ar.ReadF64();
  const double frontShare = ar.ReadF64();
  const int32_t pitch = ar.ReadI32();
  Rect front;
  front.top = ar.ReadI32();
  front.bottom = ar.ReadI32();
  front.left = ar.ReadI32();
  front.right = ar.ReadI32();
  const uint32_t fill = ar.ReadU32();
  const int32_t bytes = ar.ReadI32();
  if (ar.Failed() || bytes < 0 || bytes % 4 != 0 || uint64_t(bytes) > kMaxStoreBytes ||
      uint64_t(bytes) + kCountBytes > ar.BytesRemaining()) {
    return refuse();
  }
  std::vector<float> data;
  try {
    data.resize(static_cast<size_t>(bytes) / 4);
  } catch (const std::bad_alloc&) {
    return refuse();
  }
  if (bytes > 0 && !ar.Read(data.data(), static_cast<size_t>(bytes))) return refuse();
  const int32_t capacity = ar.ReadI32();
  const int32_t bins = ar.ReadI32();
  ar.ReadI32();  // the slice limit follows from the geometry
  int32_t stored = ar.ReadI32();
  int32_t focus = ar.ReadI32();
  // What cannot be repaired: numbers that are none, and a store whose counts do not
  // describe its size.
  if (ar.Failed() || !std::isfinite(slantX) || !std::isfinite(frontShare) || capacity < 0 || bins < 0 ||
      uint64_t(capacity) * uint64_t(bins) * 4 != uint64_t(bytes)) {
    return refuse();
  }
  // What can: shares outside 0..1 (typed into an older settings dialog), a depth pitch
  // below 1 (the box keeps its own), more slices than the store holds, a focus on no slice.
  // Slices shorter than the current spectrum (the block size grew after the run) stay as
  // they are: they are not drawn, and the next run replaces them.
  logFrequency_ = logFrequency != 0 ? 1 : 0;
  levelMode_ = levelMode != 0 ? 1 : 0;
  slantX_ = std::clamp(slantX, 0.0, 1.0);
  frontHeightShare_ = std::clamp(frontShare, 0.0, 1.0);
  if (pitch > 0) depthPitch_ = pitch;
  fillColor_ = fill;
  if (capacity > 0) stored = std::min(stored, capacity);
  stored = std::clamp(stored, 0, kMostSlices);
  if (focus < -1 || focus >= stored) focus = -1;
  store_ = std::move(data);
  bytesAllocated_ = bytes;
  capacity_ = capacity;
  binsPerSlice_ = bins;
  slicesStored_ = stored;
  dataFocus_ = focus;
  // The front rectangle and the slice limit follow from the plot and the settings; a stored
  // front rectangle that does not (the plot moved without it) is laid out again, with the
  // axes following.
  CalcFrontRect();
  if (!(frontRect_ == front)) {
    SetXRange(x_.ValueStart(), x_.ValueEnd());
    SetYRange(y_.ValueStart(), y_.ValueEnd());
  }
  RepairEmptyLevelRange();
  validFlags_ = 0;
}
