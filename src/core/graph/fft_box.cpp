#include "core/graph/fft_box.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/io/archive.h"
#include "core/dsp/decibel.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

namespace {

constexpr double kDefaultRateHz = 22050.0;
constexpr int32_t kDefaultBlockSize = 1024;
constexpr double kZoomIn = 0.75;
constexpr double kZoomOut = 1.3333333333333333;
// A zoom that changes the span by a ratio strictly between these is not worth doing.
constexpr double kIgnoredZoomBelow = 0.9;
constexpr double kIgnoredZoomAbove = 1.1;
constexpr double kMostAutoRangeDb = 100.0;
// The linear level axis: per cent of full scale shown by default, and its limits.
constexpr double kLinearDefaultTop = 2000.0;
constexpr double kLinearLowest = -10.0;
constexpr double kLinearSmallestSpan = 20.0;
// The decibel level axis shows -80 dB to 0 dB of full scale by default.
constexpr double kDecibelDefaultBottom = 1.0;
constexpr double kSmallestSpanHz = 20.0;
constexpr double kSmallestSpanAxisUnits = 1.0;
constexpr int32_t kXLabelFlags = 0x103;
constexpr int32_t kReadOutFlags = 5;

// 10 ^ floor(log10 v): the decade that holds v.
double Decade(double v) { return std::pow(10.0, std::floor(std::log10(v))); }

// A bin index that fits an int32 whatever the frequency (negative stays negative).
int32_t ClampToBin(double bin) {
  constexpr double kLimit = 1 << 30;
  if (!(bin > -kLimit)) return -(1 << 30);  // also NaN
  if (bin > kLimit) return 1 << 30;
  return static_cast<int32_t>(bin);
}

}  // namespace

void LimitRangeTo(double& start, double& end, double lowest, double highest, double smallestSpan) {
  const double centre = (start + end) / 2;
  double span = end - start;
  if (span < smallestSpan) {
    span = smallestSpan;
    start = centre - span / 2;
    end = centre + span / 2;
  }
  if (span > highest - lowest) {
    span = highest - lowest;
    start = centre - span / 2;
    end = centre + span / 2;
  }
  if (start < lowest) {
    start = lowest;
    end = lowest + span;
  }
  if (end > highest) {
    end = highest;
    start = highest - span;
  }
}

CFFTBox::CFFTBox() {
  x_.SetDisplayMultiplier(1.0);
  x_.SetLabelFlags(kXLabelFlags);
  x_.SetUnit("Hz");
  y_.SetDisplayMultiplier(0.01);
  y_.SetLabelFlags(3);
  y_.SetMinTickSpacing(50);
}

CFFTBox::~CFFTBox() = default;

double CFFTBox::RateHz() const {
  return wave_ && wave_->Rate() > 0 ? double(wave_->Rate()) : kDefaultRateHz;
}

int32_t CFFTBox::BlockSize() const {
  if (engine_ && engine_->IsSetUp()) return engine_->BlockSize();
  if (settings_) {
    const uint32_t n = settings_->record.blockSize;
    if (n >= uint32_t{CFFT::kMinBlockSize} && n <= uint32_t{CFFT::kMaxBlockSize})
      return static_cast<int32_t>(n);
  }
  return kDefaultBlockSize;
}

int32_t CFFTBox::FreqToBin(double hz) const {
  return ClampToBin(std::floor(hz / ResolutionHz() + 0.5));
}

void CFFTBox::Serialize(CArchive& ar) {
  CBox::Serialize(ar);
  ar.Field(logFrequency_);
  ar.Field(levelMode_);
  if (!engine_) engine_ = std::make_unique<CFFT>();
  engine_->Serialize(ar);
  if (ar.IsLoading()) {
    // Any other value than 0 switches the mode on, as it always did.
    logFrequency_ = logFrequency_ != 0 ? 1 : 0;
    levelMode_ = levelMode_ != 0 ? 1 : 0;
    if (!ar.Failed()) RepairEmptyLevelRange();
  }
}

void CFFTBox::RepairEmptyLevelRange() {
  if (y_.ValueStart() == y_.ValueEnd()) SetLevelMode(-1);
}

void CFFTBox::Recalc(int, int restart) {
  if (!engine_ || !settings_) return;
  const auto flags = static_cast<uint16_t>(settings_->record.fftFlags | (restart ? kFftRestart : 0));
  engine_->Calc(nullptr, 0, flags);
}

// Without automatic adjustment full scale reads 0 dB. With it, the offset of the settings
// applies and the reference is, by the adjust mode: 0 the largest level of the spectrum, 1
// the level at the settings' frequency, 2 the settings' level (full scale while nothing is
// calculated for the first two). A reference below the level floor (silence, a level of 0)
// is raised to the floor: a reference of 0 would put every level at infinity.
void CFFTBox::LevelReference(double& reference, double& offsetDb) const {
  reference = kFullScaleLevel;
  offsetDb = 0.0;
  if (!settings_ || !settings_->record.autoAdjust) return;
  const AnalysisSettings& s = settings_->record;
  offsetDb = std::isfinite(s.levelOffsetDb) ? s.levelOffsetDb : 0.0;
  const bool calculated = engine_ && engine_->IsCalculated();
  switch (s.levelAdjustMode) {
    case 0:
      if (calculated) reference = engine_->MaxLevel();
      break;
    case 1:
      if (calculated) {
        const int32_t bin = std::clamp(FreqToBin(s.referenceFrequencyHz), 0, BinCount() - 1);
        reference = engine_->GetSpectrum()[bin];
      }
      break;
    case 2:
      reference = s.referenceLevel;
      break;
    default:
      break;
  }
  reference = std::fabs(reference);
  if (!(reference >= kSpectrumLevelFloor) || !std::isfinite(reference))
    reference = kSpectrumLevelFloor;
}

void CFFTBox::SetLevelMode(int mode) {
  if (mode >= 0) levelMode_ = mode ? 1 : 0;
  if (levelMode_) {
    double reference = 0, offsetDb = 0;
    LevelReference(reference, offsetDb);
    y_.SetDisplayMultiplier(1.0);
    y_.SetAxisMode(CCordConv::kDecibel, reference, offsetDb, kSpectrumLevelFloor);
    SetYRange(kDecibelDefaultBottom, kFullScaleLevel);
  } else {
    y_.SetDisplayMultiplier(0.01);
    y_.SetAxisMode(CCordConv::kLinear, kFullScaleLevel, 0.0, kSpectrumLevelFloor);
    SetYRange(0.0, kLinearDefaultTop);
  }
  validFlags_ = 0;
}

void CFFTBox::ApplyLevelReference() {
  if (!settings_ || !settings_->record.autoAdjust || !levelMode_) return;
  double start = 0, end = 0;
  y_.GetDbRange(start, end);
  double reference = 0, offsetDb = 0;
  LevelReference(reference, offsetDb);
  y_.SetAxisMode(CCordConv::kDecibel, reference, offsetDb, kSpectrumLevelFloor);
  y_.SetDbRange(start, end);
}

double CFFTBox::LevelInAxisUnits(double level) const {
  return levelMode_ ? y_.ToDb(level, kSpectrumLevelFloor) : level;
}

const float* CFFTBox::MarkLevels() {
  return engine_ && engine_->IsSetUp() ? engine_->GetSpectrum() : nullptr;
}

double CFFTBox::GetLevelAtMark(int raw) {
  if (markValue_ < 0) return 0.0;
  const float* levels = MarkLevels();
  const int32_t bin = FreqToBin(markValue_);
  // Beyond the spectrum lies nothing: the level of an empty bin (the floor in decibels).
  const double level = levels && bin >= 0 && bin < BinCount() ? levels[bin] : 0.0;
  return raw ? level : LevelInAxisUnits(level);
}

double CFFTBox::GetValueAtMark(double x) {
  const float* levels = MarkLevels();
  const int32_t bin = FreqToBin(x);
  if (levels && bin >= 0 && bin < BinCount()) return levels[bin];
  return y_.ValueStart();
}

void CFFTBox::GetXTickStart(double& value, int& yUpper, int& yLower) {
  CBox::GetXTickStart(value, yUpper, yLower);
  if (!logFrequency_) return;
  // The walk visits every mantissa from the decade of the resolution up.
  const double base = Decade(ResolutionHz());
  x_.SetLogBase(base);
  value = value >= base ? 0.1 * Decade(value) : 0.1 * base;
}

void CFFTBox::DefaultXRange(double& start, double& end) const {
  const double rate = RateHz();
  end = rate / 2 - ResolutionHz();
  start = logFrequency_ ? Decade(ResolutionHz()) : 0.0;
}

void CFFTBox::SetLogFrequency(int on) {
  logFrequency_ = on ? 1 : 0;
  double start = 0, end = 0;
  DefaultXRange(start, end);
  x_.SetAxisMode(logFrequency_ ? CCordConv::kLogarithmic : CCordConv::kLinear, 1.0, 0.0, start);
  SetXRange(start, end);
  validFlags_ = 0;
}

void CFFTBox::SetDefaultRanges() {
  SetLogFrequency(logFrequency_);
  SetLevelMode(levelMode_);
}

void CFFTBox::XLimits(double& lowest, double& highest, double& smallestSpan) const {
  const double rate = RateHz();
  if (!logFrequency_) {
    lowest = 0.0;
    highest = rate / 2 - ResolutionHz();
    smallestSpan = kSmallestSpanHz;
    return;
  }
  // One decade below the resolution up to the decade above the Nyquist frequency.
  lowest = 20.0 * std::floor(std::log10(ResolutionHz()));
  highest = 20.0 * (std::floor(std::log10(rate / 2)) + 1);
  smallestSpan = kSmallestSpanAxisUnits;
}

void CFFTBox::YLimits(double& lowest, double& highest, double& smallestSpan) const {
  if (!levelMode_) {
    lowest = kLinearLowest;
    highest = kFullScaleLevel;
    smallestSpan = kLinearSmallestSpan;
    return;
  }
  lowest = y_.ToDb(0.0, kSpectrumLevelFloor);
  highest = y_.ToDb(kFullScaleLevel, kSpectrumLevelFloor);
  smallestSpan = kSmallestSpanAxisUnits;
}

int CFFTBox::LimitXRange(double& start, double& end) {
  double lowest = 0, highest = 0, span = 0;
  XLimits(lowest, highest, span);
  if (!logFrequency_) {
    LimitRangeTo(start, end, lowest, highest, span);
    return 1;
  }
  const double floorHz = Decade(ResolutionHz());
  double a = x_.ToDb(start, floorHz);
  double b = x_.ToDb(end, floorHz);
  LimitRangeTo(a, b, lowest, highest, span);
  start = x_.FromDb(a);
  end = x_.FromDb(b);
  return 1;
}

int CFFTBox::LimitYRange(double& start, double& end) {
  double lowest = 0, highest = 0, span = 0;
  YLimits(lowest, highest, span);
  if (!levelMode_) {
    LimitRangeTo(start, end, lowest, highest, span);
    return 1;
  }
  double a = y_.ToDb(start, kSpectrumLevelFloor);
  double b = y_.ToDb(end, kSpectrumLevelFloor);
  LimitRangeTo(a, b, lowest, highest, span);
  start = y_.FromDb(a);
  end = y_.FromDb(b);
  return 1;
}

void CFFTBox::AxisRange(bool xAxis, double& start, double& end) const {
  const CCordConv& axis = xAxis ? x_ : y_;
  start = axis.ValueStart();
  end = axis.ValueEnd();
  if (xAxis ? logFrequency_ : levelMode_) axis.GetDbRange(start, end);
}

void CFFTBox::ApplyAxisRange(bool xAxis, double start, double end) {
  CCordConv& axis = xAxis ? x_ : y_;
  if (xAxis ? logFrequency_ : levelMode_) {
    axis.SetDbRange(start, end);
    axis.CalcTickStep(0, 0);
  } else if (xAxis) {
    SetXRange(start, end);
  } else {
    SetYRange(start, end);
  }
  validFlags_ = 0;
}

int CFFTBox::ShiftAxis(bool xAxis, bool forward, double fraction) {
  double start = 0, end = 0;
  AxisRange(xAxis, start, end);
  double lowest = 0, highest = 0, unused = 0;
  xAxis ? XLimits(lowest, highest, unused) : YLimits(lowest, highest, unused);
  const double span = end - start;
  double a = 0, b = 0;
  if (forward) {
    b = std::min(end + span * fraction, highest);
    a = b - span;
  } else {
    a = std::max(start - span * fraction, lowest);
    b = a + span;
  }
  if (a == start && b == end) return 0;
  ApplyAxisRange(xAxis, a, b);
  return 1;
}

int CFFTBox::ZoomAxis(bool xAxis, bool in, double centre) {
  double start = 0, end = 0;
  AxisRange(xAxis, start, end);
  const double factor = in ? kZoomIn : kZoomOut;
  double a = centre - (centre - start) * factor;
  double b = centre + (end - centre) * factor;
  double lowest = 0, highest = 0, span = 0;
  xAxis ? XLimits(lowest, highest, span) : YLimits(lowest, highest, span);
  LimitRangeTo(a, b, lowest, highest, span);
  const double ratio = (b - a) / (end - start);
  if (ratio > kIgnoredZoomBelow && ratio < kIgnoredZoomAbove) return 0;
  ApplyAxisRange(xAxis, a, b);
  return 1;
}

// A shift moves the frequency range by a quarter of its span, the level range by an eighth.
int CFFTBox::ShiftX(int forward) { return ShiftAxis(true, forward != 0, 0.25); }
int CFFTBox::ShiftY(int up) { return ShiftAxis(false, up != 0, 0.125); }

int CFFTBox::ZoomX(int in) {
  double start = 0, end = 0;
  AxisRange(true, start, end);
  double centre = start;
  if (markValue_ >= 0) centre = logFrequency_ ? x_.ToDb(markValue_, x_.Floor()) : markValue_;
  return ZoomAxis(true, in != 0, centre);
}

int CFFTBox::ZoomY(int in) {
  if (!wave_ || !settings_) return 0;
  double start = 0, end = 0;
  AxisRange(false, start, end);
  double centre = markValue_ >= 0 ? GetLevelAtMark(0) : 0.0;
  centre = std::clamp(centre, std::min(start, end), std::max(start, end));
  return ZoomAxis(false, in != 0, centre);
}

bool CFFTBox::AutoScale() {
  if (!engine_ || !engine_->IsCalculated()) return false;
  double lo = y_.ValueStart(), hi = y_.ValueEnd();
  if (levelMode_) y_.GetDbRange(lo, hi);
  const double dataMin = LevelInAxisUnits(engine_->MinLevel());
  const double dataMax = LevelInAxisUnits(engine_->MaxLevel());
  const double d = dataMax - dataMin;
  const double shown = hi - lo;
  double a = lo, b = hi;
  if (d > shown) {
    a = dataMin - 0.1 * d;
    b = dataMax + 0.1 * d;
  } else {
    if (dataMin < a || dataMax > b) {  // centre the data
      a = dataMin - (shown - d) / 2;
      b = a + shown;
    }
    if (d < shown / 3) {  // close in on small data
      a = (dataMin + a) / 2;
      b = (dataMax + b) / 2;
    }
  }
  if (a == lo && b == hi) return false;
  if (levelMode_) {
    a = y_.FromDb(a);
    b = y_.FromDb(b);
  } else if (a < 0) {
    a = 0;
  }
  if (a >= b) return false;
  SetYRange(a, b);
  return true;
}

void CFFTBox::LevelsInBins(int32_t first, int32_t last, double& minimum, double& maximum) {
  engine_->GetMinMaxInBins(first, last, minimum, maximum);
}

void CFFTBox::AutoRangeY() {
  if (!wave_ || !engine_ || !engine_->IsCalculated()) return;
  if (PlotTooSmall()) return;
  if (!(engine_->MinLevel() < engine_->MaxLevel())) return;
  double lo = 0, hi = 0;
  LevelsInBins(FreqToBin(x_.ValueStart()), FreqToBin(x_.ValueEnd()), lo, hi);
  // Visible bins that are all alike give no range to show: the axis stays.
  if (levelMode_) {
    if (!(lo < hi)) return;
    const double top = y_.ToDb(hi, kSpectrumLevelFloor);
    if (top - y_.ToDb(lo, kSpectrumLevelFloor) > kMostAutoRangeDb)
      lo = y_.FromDb(top - kMostAutoRangeDb);
    SetYRange(lo, hi);
  } else {
    if (!(hi > 0)) return;
    SetYRange(0.0, hi);
  }
  validFlags_ = 0;
}

void CFFTBox::PlaceMark(double hz) {
  markValue_ = hz;
  markLevel_ = GetValueAtMark(hz);
}

void CFFTBox::FullRangeX() {
  SetXRange(0.0, BinToFreq(BinCount() - 1));
  validFlags_ = 0;
}

void CFFTBox::SetSource(CWave* wave, AnalysisContext* settings, int channel) {
  CBox::SetSource(wave, settings, channel);
  engine_ = std::make_unique<CFFT>();
  if (settings_) {
    engine_->Init(static_cast<int32_t>(settings_->record.blockSize),
                  settings_->record.averagingCount, static_cast<uint32_t>(channel_));
  }
}

void CFFTBox::AfterCalc() {
  const AnalysisSettings& s = settings_->record;
  if (s.autoAdjust && s.levelAdjustMode != 2) ApplyLevelReference();
  if (s.autoScale && AutoScale()) validFlags_ = 0;
}

void CFFTBox::UpdateData(int, int restart, int b) {
  if (settings_) AnalyseBlock(settings_->record.currentPosition, restart, b);
}

void CFFTBox::AnalyseBlock(uint32_t startFrame, int restart, int) {
  if (!engine_ || !wave_ || !settings_) return;
  const auto flags = static_cast<uint16_t>(settings_->record.fftFlags | (restart ? kFftRestart : 0));
  engine_->Calc(wave_, startFrame, flags);
  AfterCalc();
  validFlags_ &= static_cast<uint16_t>(~kValidData);
}

void CFFTBox::DrawTitle(DeviceContext& dc, const std::string& prefix) {
  if (plotRect_ == boxRect_) return;
  dc.SetBkColor(colors_[kColorFrameBack]);
  dc.SetTextAlign(kAlignLeft | kAlignBottom);
  dc.TextOut(plotRect_.left + 20, plotRect_.bottom, prefix + ChannelTitle());
}

void CFFTBox::DrawFrame(DeviceContext& dc, const Rect* clip) {
  CBox::DrawFrame(dc, clip);
  DrawTitle(dc, "FFT ");
}

bool CFFTBox::VisibleBins(int32_t& first, int32_t& last) const {
  int p0 = 0, p1 = 0;
  double vs = 0, ve = 0;
  x_.GetRange(p0, p1, vs, ve);
  first = FreqToBin(x_.PixelToValue(p0));
  if (first > 0) --first;
  first = std::max(first, 0);
  last = std::min(FreqToBin(x_.PixelToValue(p1)) + 1, BinCount() - 1);
  return first < last;
}

void CFFTBox::DrawData(DeviceContext& dc, const Rect* clip) {
  if (!engine_ || !engine_->IsCalculated()) return;
  if (PlotTooSmall()) return;
  if (validFlags_ & kValidData) {
    DrawPolyline(dc, 0, clip, kPolylineSelection);
    return;
  }
  const float* spectrum = engine_->GetSpectrum();
  int32_t first = 0, last = 0;
  if (!spectrum || !VisibleBins(first, last) || !AllocPoints(1, last - first + 1)) return;
  Point* points = GetPoints(0);
  const bool logicalColumns = dc.RecordsVectorOutput();
  int kept = 0;
  int column = 0;
  int inColumn = 0;
  for (int32_t k = first; k <= last; ++k) {
    const Point p{x_.ValueToPixel(BinToFreq(k)), y_.ValueToPixel(spectrum[k])};
    const int c = logicalColumns ? p.x : dc.LPtoDP(p).x;
    if (kept == 0 || c != column) {
      points[kept++] = p;
      column = c;
      inColumn = 1;
    } else if (inColumn == 1) {
      points[kept++] = p;
      if (points[kept - 1].y < points[kept - 2].y) std::swap(points[kept - 1], points[kept - 2]);
      inColumn = 2;
    } else {
      // The column keeps its lowest point first and its highest second.
      Point& low = points[kept - 2];
      Point& high = points[kept - 1];
      if (p.y < low.y) low.y = p.y;
      else if (p.y > high.y) high.y = p.y;
    }
  }
  SetPointsInUse(kept);
  DrawPolyline(dc, 0, clip, kPolylineSelection);
  engine_->ReleaseSpectrum();
}

void CFFTBox::EraseData(DeviceContext& dc, const Rect* clip) {
  DrawPolyline(dc, 0, clip, kPolylineErase);
}

std::string CFFTBox::LevelText() {
  return y_.FormatNumber(GetLevelAtMark(0), "", kReadOutFlags) + (levelMode_ ? "dB" : "%");
}

int CFFTBox::DrawCursor(DeviceContext& dc, const Rect* clip, int erase) {
  if (!CBox::DrawCursor(dc, clip, erase)) return 0;
  const std::string text =
      "Mark : " + x_.FormatNumber(markValue_, "Hz", kReadOutFlags) + "  " + LevelText();
  const uint32_t oldAlign = dc.SetTextAlign(kAlignRight | kAlignBottom);
  const uint32_t oldText = erase ? dc.SetTextColor(colors_[kColorFrameBack]) : dc.GetTextColor();
  dc.TextOut(plotRect_.right, plotRect_.bottom, text);
  dc.SetTextColor(oldText);
  dc.SetTextAlign(oldAlign);
  return 1;
}

double CFFTBox::PixelToMarkValue(int xLeft, int xRight, int x, int peakSide) {
  const double hz = x_.PixelToValue(x);
  const float* v = MarkLevels();
  if (peakSide < 0 || !v || !engine_->IsCalculated()) return hz;
  const int32_t lastBin = BinCount() - 1;
  const int ps = x_.GetPixelStartClamped(nullptr);
  const int pe = x_.GetPixelEndClamped(nullptr);
  int32_t h = std::max(0, FreqToBin(x_.PixelToValue(std::max(xLeft, ps))));
  int32_t e = std::max(0, FreqToBin(x_.PixelToValue(std::min(xRight, pe))));
  if (h == e) {
    h = std::max(0, h - 1);
    e = e + 1;
  }
  h = std::min(h, lastBin);
  e = std::min(e, lastBin);
  const double s = peakSide == 0 ? 1.0 : -1.0;
  int32_t p = h;
  double best = s * v[h];
  for (int32_t k = h + 1; k <= e; ++k) {
    if (s * v[k] > best) {
      best = s * v[k];
      p = k;
    }
  }
  if (p != h) {
    if (p == e)
      while (p + 1 <= lastBin && s * v[p + 1] >= s * v[p]) ++p;
    return BinToFreq(p);
  }
  if (h > 0)
    while (p > 1 && s * v[p - 1] >= s * v[p]) --p;
  return BinToFreq(p);
}
