#include "core/graph/wave_box.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

namespace {

constexpr double kFullScale = 10000.0;
constexpr double kZoomIn = 0.75;
constexpr double kZoomOut = 1.3333333333333333;
// Fewer frames than this cannot be zoomed or limited.
constexpr int64_t kLeastFrames = 30;

// Maps the FFT range onto the point indices of a curve while the curve is walked: the
// selection starts at the point where the walk reaches the range start and ends where it
// reaches the range end, or at the last point when the range goes on beyond the screen.
class SelectionWalk {
 public:
  SelectionWalk(int64_t startFrame, int64_t endFrame) : start_(startFrame), end_(endFrame) {}
  void Reach(int64_t frame, int index) {
    if (!firstSet_ && frame >= start_) {
      first_ = index;
      firstSet_ = true;
    }
    if (!lastSet_ && frame >= end_) {
      last_ = index;
      lastSet_ = true;
    }
  }
  // A range that starts beyond the screen selects nothing.
  void Finish(int lastIndex, int& first, int& last) const {
    if (!firstSet_) {
      first = last = std::max(lastIndex, 0);
      return;
    }
    first = first_;
    last = lastSet_ ? last_ : std::max(lastIndex, 0);
  }

 private:
  int64_t start_;
  int64_t end_;
  bool firstSet_ = false;
  bool lastSet_ = false;
  int first_ = 0;
  int last_ = 0;
};

int64_t ClampFrame(int64_t f, int64_t lo, int64_t hi) { return std::max(lo, std::min(f, hi)); }

}  // namespace

CWaveBox::CWaveBox() {
  x_.SetDisplayMultiplier(0.001);
  x_.SetLabelFlags(0x303);
  x_.SetTickOriginFromStart(1);
  x_.SetUnit("s");
  y_.SetDisplayMultiplier(0.01);
  y_.SetLabelFlags(3);
  y_.SetMinTickSpacing(30);
}

uint32_t CWaveBox::Frames() const { return wave_ ? wave_->FrameCount() : 0; }
uint32_t CWaveBox::RateHz() const { return wave_ ? wave_->Rate() : 0; }
bool CWaveBox::HasSamples() const { return Frames() > 0 && RateHz() > 0; }

double CWaveBox::LevelAt(int64_t frame) const {
  if (!wave_) return 0.0;
  return wave_->GetValue(static_cast<uint32_t>(ClampFrame(frame, 0, UINT32_MAX)), channel_);
}

int64_t CWaveBox::TimeToFrame(double ms) const {
  double f = std::floor(double(RateHz()) * ms * 0.001 + 0.5);
  if (!(f > -9.0e15)) return int64_t(-9.0e15);  // also NaN
  if (f > 9.0e15) return int64_t(9.0e15);
  return static_cast<int64_t>(f);
}

double CWaveBox::FrameToTime(double frame) const {
  uint32_t r = RateHz();
  return r ? frame * 1000.0 / r : 0.0;
}

void CWaveBox::Recalc(int a, int b) {
  widthInBlocks_ = defaultWidth_ * 0.001;
  validFlags_ = 0;
  UpdateData(a, b, 1);
}

void CWaveBox::UpdateData(int, int, int resetMark) {
  validFlags_ &= static_cast<uint16_t>(~kValidData);
  if (fullRedraw_) {
    fullRedraw_ = 0;
    validFlags_ = 0;
  }
  if (wave_ && settings_) {
    const AnalysisSettings& s = settings_->record;
    int64_t anchor = s.triggerOn ? s.triggerHitFrame : int64_t{s.currentPosition};
    SetXFromBlocks(static_cast<uint32_t>(ClampFrame(anchor, 0, UINT32_MAX)));
  }
  if (resetMark) {
    markValue_ = -1.0;
    x_.CalcTickStep(0, 0);
  }
}

void CWaveBox::SetXFromBlocks(uint32_t anchorFrame) {
  if (!HasSamples() || !settings_) return;
  const AnalysisSettings& s = settings_->record;
  uint32_t limit = wave_->AdjustForWrap(s.fftRangeEnd, s.currentPosition);
  uint32_t start = s.currentPosition;
  uint32_t end = s.currentPosition + s.blockSize;
  if (wave_->ZoomRange(start, end, anchorFrame, widthInBlocks_, limit)) fullRedraw_ = 1;
  if (end - start > s.recordingFrames) start = end - s.recordingFrames;
  if (start == end) {
    fullRedraw_ = 1;
    return;
  }
  SetXFrames(start, end);
}

void CWaveBox::SetXFrames(int64_t first, int64_t last) {
  if (!HasSamples()) return;
  const int64_t n = Frames();
  if (!wave_->IsWrapped() && last >= n) {
    first = last - first < n - 1 ? n + first - last - 1 : 0;
    last = n - 1;
  }
  SetXRange(FrameToTime(double(first)), FrameToTime(double(last)));
}

int CWaveBox::ClampXToWave() {
  if (!wave_) return 0;
  if (wave_->Channels() == 1 && channel_ != kChannelBoth) return 0;
  if (RateHz() == 0) return 1;
  const double duration = double(Frames()) * 1000.0 / RateHz();
  int ps = 0, pe = 0;
  double vs = 0, ve = 0;
  x_.GetRange(ps, pe, vs, ve);
  if (ve > duration) {
    double excess = ve - duration;
    ve = duration;
    vs = std::max(0.0, vs - excess);
    x_.SetRange(ps, pe, vs, ve);
  }
  return 1;
}

double CWaveBox::GetLevelAtMark(int) {
  if (markValue_ < 0 || !HasSamples()) return 0.0;
  int64_t f = TimeToFrame(markValue_);
  return f >= 0 && f < int64_t{Frames()} ? LevelAt(f) : 0.0;
}

double CWaveBox::GetValueAtMark(double x) {
  int64_t f = TimeToFrame(x);
  if (HasSamples() && f >= 0 && f < int64_t{Frames()}) return LevelAt(f);
  return y_.ValueStart();
}

int CWaveBox::LimitXRange(double& start, double& end) {
  const int64_t n = Frames();
  if (n < kLeastFrames || RateHz() == 0) return 0;
  const double full = FrameToTime(double(n - 1));
  const double least = full - FrameToTime(double(n - kLeastFrames));
  double c = (start + end) / 2;
  if (end - start < least) {
    start = c - least / 2;
    end = c + least / 2;
  }
  if (end - start > full) {
    c = (start + end) / 2;
    start = c - full / 2;
    end = c + full / 2;
  }
  if (start < 0) {
    double span = end - start;
    start = 0;
    end = span;
  }
  if (end > full) {
    double span = end - start;
    end = full;
    start = full - span;
  }
  return 1;
}

int CWaveBox::LimitYRange(double& start, double& end) {
  double span = end - start;
  double c = (start + end) / 2;
  if (span < 20) {
    start = c - 10;
    end = c + 10;
  } else if (span > 2 * kFullScale) {
    start = c - kFullScale;
    end = c + kFullScale;
  }
  span = end - start;
  if (start < -kFullScale) {
    start = -kFullScale;
    end = span - kFullScale;
  }
  if (end > kFullScale) {
    end = kFullScale;
    start = kFullScale - span;
  }
  return 1;
}

int CWaveBox::ShiftX(int forward) {
  if (!HasSamples()) return 0;
  const int64_t n = Frames();
  int64_t a = TimeToFrame(x_.ValueStart());
  int64_t b = TimeToFrame(x_.ValueEnd());
  const int64_t w = b - a;
  if (forward) {
    b = std::min(b + w / 4, n - 1);
    a = std::max<int64_t>(b - w, 0);
  } else {
    a = std::max<int64_t>(a - w / 4, 0);
    b = std::min(a + w, n - 1);
  }
  SetXRange(FrameToTime(double(a)), FrameToTime(double(b)));
  validFlags_ = 0;
  return 1;
}

int CWaveBox::ShiftY(int up) {
  const double ys = y_.ValueStart();
  const double ye = y_.ValueEnd();
  const double s = ye - ys;
  double start = 0, end = 0;
  if (up) {
    end = ye + s * 0.125;
    start = -kFullScale;
    LimitYRange(start, end);
    start = end - s;
  } else {
    start = ys - s * 0.125;
    end = kFullScale;
    LimitYRange(start, end);
    end = start + s;
  }
  if (start == ys && end == ye) return 0;
  SetYRange(start, end);
  validFlags_ = 0;
  return 1;
}

int CWaveBox::ZoomX(int in) {
  const double xs = x_.ValueStart();
  const double xe = x_.ValueEnd();
  const double q = (xe - xs) / 4;
  double b = xs;
  if (markValue_ >= 0 && markValue_ >= xs - q && markValue_ <= xe + q) b = markValue_;
  const double factor = in ? kZoomIn : kZoomOut;
  double start = b - (b - xs) * factor;
  double end = b + (xe - b) * factor;
  if (!LimitXRange(start, end)) return 0;
  const double ratio = (end - start) / (xe - xs);
  if (ratio > 0.9 && ratio < 1.1) return 0;
  int64_t g = TimeToFrame(start);
  int64_t h = TimeToFrame(end);
  if (FrameToTime(double(g)) > start) --g;
  if (FrameToTime(double(h)) < end) ++h;
  if (settings_ && settings_->RunPhase() != kRunIdle) {
    const uint32_t n = settings_->record.blockSize;
    double blocks = n ? double(h - g) / n : widthInBlocks_;
    if (blocks < 0.1) blocks = 0.1;
    if (blocks != widthInBlocks_) fullRedraw_ = 1;
    widthInBlocks_ = blocks;
  } else {
    SetXRange(FrameToTime(double(g)), FrameToTime(double(h)));
  }
  validFlags_ = 0;
  return 1;
}

int CWaveBox::ZoomY(int in) {
  const double ys = y_.ValueStart();
  const double ye = y_.ValueEnd();
  double c = 0.0;
  if (markValue_ >= 0 && markValue_ >= x_.ValueStart() && HasSamples())
    c = LevelAt(TimeToFrame(markValue_));
  c = std::max(std::min(ys, ye), std::min(c, std::max(ys, ye)));
  const double factor = in ? kZoomIn : kZoomOut;
  double start = c - (c - ys) * factor;
  double end = c + (ye - c) * factor;
  LimitYRange(start, end);
  if (end - start == ye - ys) return 0;
  SetYRange(start, end);
  validFlags_ = 0;
  return 1;
}

void CWaveBox::AutoRangeY() {
  if (!HasSamples()) return;
  const int64_t n = Frames();
  int64_t a = std::max<int64_t>(0, TimeToFrame(x_.ValueStart()));
  int64_t b = std::min(TimeToFrame(x_.ValueEnd()), n - 1);
  if (a > b) return;
  double m = 0.0;
  constexpr int64_t kChunk = 4096;
  std::vector<double> values(kChunk);
  for (int64_t f = a; f <= b; f += kChunk) {
    auto count = static_cast<uint32_t>(std::min(kChunk, b - f + 1));
    wave_->GetValues(static_cast<uint32_t>(f), count, channel_, values.data());
    for (uint32_t i = 0; i < count; ++i) m = std::max(m, std::fabs(values[i]));
  }
  SetYRange(-m, m);
  validFlags_ = 0;
}

void CWaveBox::FitXToWave() {
  if (!HasSamples()) return;
  SetXRange(0.0, FrameToTime(double(Frames()) - 1));
  validFlags_ = 0;
}

void CWaveBox::FullRangeY() {
  SetYRange(-kFullScale, kFullScale);
  validFlags_ = 0;
}

void CWaveBox::FullRangeX() {
  FitXToWave();
  fullRedraw_ = 1;
}

void CWaveBox::SetXRange(double start, double end) {
  if (HasSamples()) {
    const double width = end - start;
    int64_t a = TimeToFrame(start);
    start = FrameToTime(double(a));
    end = start + width;
    const int64_t n = Frames();
    int64_t e = TimeToFrame(end);
    if (!wave_->IsWrapped() && e >= n) {
      int64_t moved = std::max<int64_t>(0, a - (e - n));
      start = FrameToTime(double(moved));
      end = FrameToTime(double(n - 1));
    }
  }
  CBox::SetXRange(start, end);
}

void CWaveBox::SetDefaultRanges() {
  if (HasSamples())
    SetXRange(0.0, FrameToTime(double(Frames()) - 1));
  else
    SetXRange(0.0, 2000.0);
  SetYRange(-10500.0, 10500.0);
}

void CWaveBox::GetXScrollInfo(ScrollInfo& out) {
  if (!HasSamples()) {
    out = ScrollInfo{0, 100, 100, 0};
    return;
  }
  int64_t a = TimeToFrame(x_.ValueStart());
  int64_t b = TimeToFrame(x_.ValueEnd());
  out.minimum = 0;
  out.maximum = static_cast<int32_t>(std::min<int64_t>(int64_t{Frames()} - 1, INT32_MAX));
  out.page = static_cast<int32_t>(ClampFrame(b - a, 50, INT32_MAX));
  out.position = static_cast<int32_t>(ClampFrame(a, INT32_MIN, INT32_MAX));
}

void CWaveBox::GetYScrollInfo(ScrollInfo& out) {
  if (!wave_) {
    out = ScrollInfo{0, 100, 100, 0};
    return;
  }
  out.minimum = -10000;
  out.maximum = 10000;
  out.page = static_cast<int32_t>(std::trunc(y_.ValueEnd() - y_.ValueStart()));
  out.position = static_cast<int32_t>(std::trunc(y_.ValueStart()));
}

void CWaveBox::DrawFrame(DeviceContext& dc, const Rect* clip) {
  CBox::DrawFrame(dc, clip);
  triggerLineX_ = -1;
  if (plotRect_ == boxRect_) return;
  dc.SetBkColor(colors_[kColorFrameBack]);
  dc.SetTextAlign(kAlignLeft | kAlignBottom);
  dc.TextOut(plotRect_.left + 20, plotRect_.bottom, "Wave " + ChannelTitle());
}

void CWaveBox::DrawTriggerLine(DeviceContext& dc, int x, bool erase) {
  const double middle = (x_.PixelStart() + x_.PixelEnd()) / 2;
  LogFont font = DocumentLogFont() ? *DocumentLogFont() : dc.CurrentFont();
  font.height = font.height - (font.height >> 2);
  const uint32_t color = colors_[erase ? kColorGraphBack : kColorScale];
  LogFont oldFont = dc.SelectFont(font);
  Pen oldPen = dc.SelectPen({erase ? PenStyle::kSolid : PenStyle::kDot, 1, color});
  uint32_t oldText = dc.SetTextColor(color);
  uint32_t oldAlign = dc.SetTextAlign((x > middle ? kAlignRight : kAlignLeft) | kAlignTop);
  const int yEnd = y_.GetPixelEndClamped(nullptr);
  const int yStart = y_.GetPixelStartClamped(nullptr);
  MoveTo(dc, {x, yEnd}, plotRect_);
  LineTo(dc, {x, yStart}, plotRect_);
  dc.TextOut(x, yStart, "Trig");
  dc.SetTextAlign(oldAlign);
  dc.SetTextColor(oldText);
  dc.SelectPen(oldPen);
  dc.SelectFont(oldFont);
}

void CWaveBox::DrawScale(DeviceContext& dc, const Rect* clip) {
  if (!settings_ || !settings_->record.triggerOn) {
    CBox::DrawScale(dc, clip);
    return;
  }
  if (triggerLineX_ >= 0) DrawTriggerLine(dc, triggerLineX_, true);
  triggerLineX_ = -1;
  CBox::DrawScale(dc, clip);
  if (!HasSamples()) return;
  const int64_t n = Frames();
  const int64_t first = TimeToFrame(x_.ValueStart());
  const int64_t last = TimeToFrame(x_.ValueEnd());
  int64_t t = settings_->record.triggerHitFrame;
  if (t < first || t > last) {
    t += n;  // a wrapped ring shows the frame one buffer further on
    if (t < first || t > last) return;
  }
  triggerLineX_ = x_.ValueToPixel(FrameToTime(double(t)));
  DrawTriggerLine(dc, triggerLineX_, false);
}

void CWaveBox::DrawData(DeviceContext& dc, const Rect* clip) {
  if (!HasSamples() || PlotTooSmall()) return;
  if (validFlags_ & kValidData) {
    DrawPolyline(dc, 0, clip, kPolylineSelection);
    return;
  }
  const int64_t n = Frames();
  const int64_t highest = 2 * n - 1;  // a wrapped ring may show frames beyond the end
  int x0 = 0, x1 = 0;
  double vs = 0, ve = 0;
  x_.GetRange(x0, x1, vs, ve);
  const int64_t first = ClampFrame(TimeToFrame(x_.PixelToValue(x0)), 0, highest);
  const int64_t last = std::min(TimeToFrame(x_.PixelToValue(x1)), highest);
  if (last < first) return;
  double low = 0, high = 0;
  x_.PixelToValueSpan(x0, low, high, dc);
  const int64_t q = TimeToFrame(high);

  SelectionWalk selection(0, 0);
  if (settings_) selection = SelectionWalk(settings_->record.fftRangeStart, settings_->record.fftRangeEnd);
  selectionFirst_ = selectionLast_ = 0;
  auto yOf = [&](double level) { return y_.ValueToPixel(level); };

  if (q - first < 3 || dc.RecordsVectorOutput()) {
    // Frame mode: every frame (or every step-th of a long stretch) is a point.
    const int64_t span = last - first;
    const int64_t step = std::max<int64_t>(1, span / 3000);
    const int count = static_cast<int>(span / step + 1);
    if (!AllocPoints(1, count)) return;
    Point* p = GetPoints(0);
    int i = 0;
    for (int64_t f = first; f <= last && i < count; f += step, ++i) {
      p[i] = {x_.ValueToPixel(FrameToTime(double(f))), yOf(LevelAt(f))};
      if (settings_) selection.Reach(f, i);
    }
    SetPointsInUse(i);
    if (settings_) selection.Finish(i - 1, selectionFirst_, selectionLast_);
  } else {
    // Column mode: each device column shows the extremes of its frames, the one nearer the
    // previous column first so that the curve joins up.
    const int d0 = dc.LPtoDP(Point{x0, 0}).x;
    const int d1 = dc.LPtoDP(Point{x1, 0}).x;
    const int capacity = std::max(2 * d1 - 2 * d0 - 1, 3);
    if (!AllocPoints(1, capacity)) return;
    Point* p = GetPoints(0);
    int i = 0;
    double reference = 0.0;
    auto column = [&](int x, int64_t from, int64_t to) {
      from = ClampFrame(from, 0, highest);
      to = ClampFrame(to, from, highest + 1);
      double nearer = 0, farther = 0;
      wave_->GetMinMax(static_cast<uint32_t>(from), static_cast<uint32_t>(to), nearer, farther,
                       reference, channel_);
      if (i + 2 > capacity) return;
      if (settings_) selection.Reach(to, i);
      p[i++] = {x, yOf(nearer)};
      p[i++] = {x, yOf(farther)};
      reference = farther;
    };
    column(x0, first, q);
    for (int d = d0 + 1; d <= d1 - 2; ++d) {
      const int x = dc.DPtoLP(Point{d, 0}).x;
      x_.PixelToValueSpan(x, low, high, dc);
      column(x, TimeToFrame(low), TimeToFrame(high));
    }
    const int64_t lastFrame =
        ClampFrame(TimeToFrame(x_.PixelToValue(dc.DPtoLP(Point{d1 - 1, 0}).x)), 0, highest);
    if (i < capacity) {
      if (settings_) selection.Reach(lastFrame, i);
      p[i++] = {x1 - 1, yOf(LevelAt(lastFrame))};
    }
    SetPointsInUse(i);
    if (settings_) {
      selection.Finish(i - 1, selectionFirst_, selectionLast_);
      if (settings_->RunPhase() == kRunRecording && settings_->record.continuousRecording) {
        selectionFirst_ = 0;
        selectionLast_ = i - 1;
      }
    }
  }
  DrawPolyline(dc, 0, clip, kPolylineSelection);
}

void CWaveBox::EraseData(DeviceContext& dc, const Rect* clip) {
  DrawPolyline(dc, 0, clip, kPolylineErase);
}

uint32_t CWaveBox::DrawNewSamples(DeviceContext& dc, uint32_t fromFrame, uint32_t toFrame) {
  if (!HasSamples()) return toFrame;
  bool wrapCase = false;
  if (toFrame < fromFrame) {
    if (!wave_->IsWrapped()) return toFrame;
    toFrame = Frames();
    wrapCase = true;
  }
  const int xFrom = x_.ValueToPixel(FrameToTime(fromFrame));
  const int xTo = x_.ValueToPixel(FrameToTime(toFrame));
  const int dFrom = dc.LPtoDP(Point{xFrom, 0}).x;
  const int dTo = dc.LPtoDP(Point{xTo, 0}).x;
  if (dFrom == dTo) return fromFrame;
  const int stripRight = dc.DPtoLP(Point{dTo + 4, 0}).x;
  Rect strip = NormalizeRect({xFrom, boxRect_.top, stripRight, boxRect_.bottom});
  DrawFrame(dc, &strip);
  Pen oldPen = dc.SelectPen({PenStyle::kSolid, 1, colors_[kColorArea]});
  const int step = dTo > dFrom ? 1 : -1;
  for (int d = dFrom; d != dTo; d += step) {
    const int x = dc.DPtoLP(Point{d, 0}).x;
    const int xNext = dc.DPtoLP(Point{d + step, 0}).x;
    int64_t a = ClampFrame(TimeToFrame(x_.PixelToValue(std::min(x, xNext))), 0, 2 * int64_t{Frames()} - 1);
    int64_t b = ClampFrame(TimeToFrame(x_.PixelToValue(std::max(x, xNext))), a, 2 * int64_t{Frames()});
    double nearer = 0, farther = 0;
    wave_->GetMinMax(static_cast<uint32_t>(a), static_cast<uint32_t>(b), nearer, farther, 0.0, channel_);
    const int y0 = y_.ValueToPixel(nearer);
    const int y1 = y_.ValueToPixel(farther);
    // Ends that land on one device pixel make a line of no length: plot the pixel instead.
    if (y0 == y1 || dc.LPtoDP(Point{x, y0}).y == dc.LPtoDP(Point{x, y1}).y) {
      PlotPoint(dc, {x, y0}, plotRect_);
    } else {
      MoveTo(dc, {x, y0}, plotRect_);
      LineTo(dc, {x, y1}, plotRect_);
    }
  }
  dc.SelectPen(oldPen);
  return wrapCase ? 0 : toFrame;
}

std::string CWaveBox::ReadOut() {
  return "Mark : " + x_.FormatNumber(markValue_, "sec", 5) + "  " +
         y_.FormatNumber(GetLevelAtMark(0), "", 5) + "%";
}

int CWaveBox::DrawCursor(DeviceContext& dc, const Rect* clip, int erase) {
  int drew = CBox::DrawCursor(dc, clip, erase);
  if (!drew) return 0;
  uint32_t oldAlign = dc.SetTextAlign(kAlignRight | kAlignBottom);
  uint32_t oldText = erase ? dc.SetTextColor(colors_[kColorFrameBack]) : dc.GetTextColor();
  dc.TextOut(plotRect_.right, plotRect_.bottom, ReadOut());
  dc.SetTextColor(oldText);
  dc.SetTextAlign(oldAlign);
  return drew;
}

double CWaveBox::PixelToMarkValue(int xLeft, int xRight, int x, int peakSide) {
  const double t = x_.PixelToValue(x);
  if (peakSide < 0 || !HasSamples()) return t;
  const int64_t n = Frames();
  const int ps = x_.GetPixelStartClamped(nullptr);
  const int pe = x_.GetPixelEndClamped(nullptr);
  int64_t first = std::max<int64_t>(0, TimeToFrame(x_.PixelToValue(std::max(xLeft, ps))));
  int64_t last = std::max<int64_t>(0, TimeToFrame(x_.PixelToValue(std::min(xRight, pe))));
  if (first == last) {
    first = std::max<int64_t>(0, first - 1);
    last = last + 1;
  }
  first = std::min(first, n - 1);
  last = std::min(last, n - 1);
  const double s = peakSide == 0 ? 1.0 : -1.0;
  int64_t p = first;
  double best = s * LevelAt(first);
  for (int64_t f = first + 1; f <= last; ++f) {
    double v = s * LevelAt(f);
    if (v > best) {
      best = v;
      p = f;
    }
  }
  if (p != first) {
    if (p == last)
      while (p + 1 <= n - 1 && s * LevelAt(p + 1) >= s * LevelAt(p)) ++p;
    return FrameToTime(double(p));
  }
  if (first > 0)
    while (p > 1 && s * LevelAt(p - 1) >= s * LevelAt(p)) --p;
  return FrameToTime(double(p));
}
