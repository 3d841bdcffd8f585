#include "core/graph/cord_conv.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "core/io/archive.h"
#include "core/graph/device_context.h"

namespace {

// Coordinates handed out stay well inside int range whatever the value.
int RoundToCoordinate(double x) {
  constexpr double kLimit = 1 << 30;
  double r = std::floor(x + 0.5);
  if (!(r > -kLimit)) return -(1 << 30);  // also NaN
  if (r > kLimit) return 1 << 30;
  return static_cast<int>(r);
}

// A value within a millionth of a step below a tick counts as that tick.
constexpr double kTickSlack = 0.000001;

}  // namespace

CCordConv::CCordConv() { CalcScale(); }

void CCordConv::SetRange(int pixelStart, int pixelEnd, double valueStart, double valueEnd) {
  pixelStart_ = pixelStart;
  pixelEnd_ = pixelEnd;
  valueStart_ = valueStart;
  valueEnd_ = valueEnd;
  CalcScale();
}

void CCordConv::GetRange(int& pixelStart, int& pixelEnd, double& valueStart,
                         double& valueEnd) const {
  pixelStart = RoundToCoordinate(pixelStart_);
  pixelEnd = RoundToCoordinate(pixelEnd_);
  valueStart = valueStart_;
  valueEnd = valueEnd_;
}

void CCordConv::SetAxisMode(int mode, double reference, double dbOffset, double floor) {
  axisMode_ = mode;
  reference_ = reference;
  dbOffset_ = dbOffset;
  floor_ = floor;
  CalcScale();
}

int CCordConv::GetDbRange(double& start, double& end) const {
  if (axisMode_ == kLinear) return 0;
  start = ToDb(valueStart_, floor_);
  end = ToDb(valueEnd_, floor_);
  return 1;
}

int CCordConv::SetDbRange(double start, double end) {
  if (axisMode_ == kLinear) return 0;
  valueStart_ = FromDb(start);
  valueEnd_ = FromDb(end);
  CalcScale();
  return 1;
}

double CCordConv::ToDb(double value, double floor) const {
  double m = std::max(std::fabs(value), floor);
  // Never the logarithm of zero, even when an owner left the floor at 0.
  if (!(m > 0.0)) m = std::numeric_limits<double>::min();
  return 20.0 * std::log10(m / reference_) + dbOffset_;
}

double CCordConv::FromDb(double axisUnits) const {
  return std::pow(10.0, (axisUnits - dbOffset_) * 0.05) * reference_;
}

double CCordConv::AxisUnits(double value) const {
  return axisMode_ == kLinear ? value : ToDb(value, floor_);
}

void CCordConv::CalcScale() {
  if (valueEnd_ == valueStart_ || pixelEnd_ == pixelStart_) {
    scale_ = 0.0;
    offset_ = 0.0;
    return;
  }
  double u0 = AxisUnits(valueStart_);
  double u1 = AxisUnits(valueEnd_);
  if (u1 == u0) {  // distinct values below the decibel floor
    scale_ = 0.0;
    offset_ = 0.0;
    return;
  }
  scale_ = (pixelEnd_ - pixelStart_) / (u1 - u0);
  offset_ = pixelStart_ - u0 * scale_;
  if (!std::isfinite(scale_) || !std::isfinite(offset_)) {
    // A range too narrow (or too wide) for doubles maps like an empty one.
    scale_ = 0.0;
    offset_ = 0.0;
  }
}

int CCordConv::ValueToPixel(double value) const {
  return RoundToCoordinate(AxisUnits(value) * scale_ + offset_);
}

double CCordConv::PixelToValue(int logical) const {
  if (scale_ == 0.0) return 0.0;
  double u = (logical - offset_) / scale_;
  return axisMode_ == kLinear ? u : FromDb(u);
}

double CCordConv::PixelToValueSpan(int logicalX, double& low, double& high,
                                   const DeviceContext& dc) const {
  Point d = dc.LPtoDP(Point{logicalX, 0});
  int a = dc.DPtoLP(Point{d.x - 1, 0}).x;
  int b = dc.DPtoLP(Point{d.x + 1, 0}).x;
  low = PixelToValue(std::min(a, b));
  high = PixelToValue(std::max(a, b));
  return PixelToValue(logicalX);
}

void CCordConv::CalcTickStep(int divisions, int minSpacing) {
  if (scale_ == 0.0 || axisMode_ == kLogarithmic) return;
  if (divisions == 0) divisions = tickDivisions_;
  if (minSpacing == 0) minSpacing = minTickSpacing_;
  if (divisions == 0) divisions = 1;  // a stored axis may carry 0
  double t = std::fabs(std::trunc((pixelEnd_ - pixelStart_) / divisions));
  if (t < minSpacing) t = minSpacing;
  double f = std::fabs(t / scale_);
  if (!(f > 0.0) || !std::isfinite(f)) return;
  double g = std::pow(10.0, std::floor(std::log10(f)));
  double h = f / g;
  double m = h > 5 ? 10 : h > 2 ? 5 : h > 1 ? 2 : 1;
  tickStep_ = m * g;
  if (valueStart_ > valueEnd_) tickStep_ = -tickStep_;
  tickOrigin_ = tickOriginFromStart_ ? valueStart_ : 0.0;
}

int CCordConv::NextTick(double& value, int& coordinate, std::string& label, int withUnit) const {
  switch (axisMode_) {
    case kDecibel:
      return NextDbTick(value, coordinate, label);
    case kLogarithmic:
      return NextLogTick(value, coordinate, label);
    default:
      return NextLinearTick(value, coordinate, label, withUnit);
  }
}

int CCordConv::NextLinearTick(double& value, int& coordinate, std::string& label,
                              int withUnit) const {
  if (tickStep_ == 0.0 || scale_ == 0.0) return 0;
  double t = (std::floor((value - tickOrigin_) / tickStep_ + kTickSlack) + 1) * tickStep_ +
             tickOrigin_;
  value = t;
  coordinate = ValueToPixel(t);
  label = FormatLabel(t, withUnit);
  return coordinate <= std::max(pixelStart_, pixelEnd_) ? 1 : 0;
}

int CCordConv::NextDbTick(double& value, int& coordinate, std::string& label) const {
  if (tickStep_ == 0.0 || scale_ == 0.0) return 0;
  double d = ToDb(value, floor_);
  double t = (std::floor((d - tickOrigin_) / tickStep_ + kTickSlack) + 1) * tickStep_ +
             tickOrigin_;
  value = FromDb(t);
  coordinate = ValueToPixel(value);
  label = FormatLabel(t, 0);
  return coordinate <= std::max(pixelStart_, pixelEnd_) ? 1 : 0;
}

int CCordConv::NextLogTick(double& value, int& coordinate, std::string& label) const {
  constexpr double kFirstTick = 0.01;
  if (value < kFirstTick) {
    value = kFirstTick;
  } else if (value * 10 <= valueEnd_) {
    value = value * 10;
  } else {
    double g = std::pow(10.0, std::floor(std::log10(value)));
    double m = std::floor(value / g + 0.5) + 1;
    if (m > 9.001) return 0;
    // The mantissa restarts in the decade of the log base, but never below the first tick:
    // a lower base would bring the walk back to 0.01 for ever.
    double decade = logBase_ > 0 ? std::pow(10.0, std::floor(std::log10(logBase_))) : kFirstTick;
    if (decade < kFirstTick) decade = kFirstTick;
    value = decade * m;
    if (value > valueEnd_) return 0;
  }
  coordinate = ValueToPixel(value);
  label = FormatLabel(value, 0);
  return 1;
}

int CCordConv::GetPixelStartClamped(const int* limit) const {
  int r = RoundToCoordinate(pixelStart_);
  if (limit && *limit > r) r = *limit;
  return r;
}

int CCordConv::GetPixelEndClamped(const int* limit) const {
  int r = RoundToCoordinate(pixelEnd_);
  if (limit && *limit < r) r = *limit;
  return r;
}

std::string CCordConv::FormatLabel(double value, int withUnit) const {
  int flags = labelFlags_;
  std::string unitText;
  if (withUnit) {
    flags &= ~kRelativeToStart;
    flags = (flags & ~0xFF) | (((flags & 0xFF) + 1) & 0xFF);
    unitText = unit_;
  }
  if (flags & kRelativeToStart) value -= valueStart_;
  return FormatNumber(value, unitText, flags);
}

std::string CCordConv::FormatNumber(double value, const std::string& unit, int flags) const {
  int digits = (flags & 0xFF) - 1;
  int sign = 1;
  double v = value * displayMultiplier_;
  if (!std::isfinite(v)) return " 0 ";
  if (v < 0) {
    v = -v;
    sign = -1;
  }
  const char* prefix = "";
  if (v > 999) {
    v *= 0.001;
    prefix = "k";
  } else if (v <= 0.0999) {
    v *= 1000;
    prefix = "m";
  }
  if (v < 0.001) return " 0 ";
  int decimals = std::max(0, digits - static_cast<int>(std::floor(std::log10(v))));
  double p = std::pow(10.0, decimals);
  v = std::floor(v * p + 0.5) / p * sign;

  int needed = std::snprintf(nullptr, 0, "%10.*f", decimals, v);
  std::vector<char> buffer(static_cast<size_t>(std::max(needed, 0)) + 1);
  std::snprintf(buffer.data(), buffer.size(), "%10.*f", decimals, v);
  std::string text;
  for (char c : std::string(buffer.data()))
    if (c != ' ') text.push_back(c);

  if ((flags & kStripZeros) && text.find('.') != std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  std::string result = text + prefix + unit;
  if ((flags & kRelativeToStart) && sign > 0) result = "+" + result;
  return result;
}

void CCordConv::Serialize(CArchive& ar) {
  ar.Field(pixelStart_);
  ar.Field(pixelEnd_);
  ar.Field(valueStart_);
  ar.Field(valueEnd_);
  ar.Field(tickOrigin_);
  ar.Field(tickStep_);
  ar.Field(scale_);
  ar.Field(offset_);
  ar.Field(axisMode_);
  ar.Field(reference_);
  ar.Field(floor_);
  ar.Field(dbOffset_);
  ar.Field(displayMultiplier_);
  ar.Field(labelFlags_);
  ar.Field(logBase_);
  ar.Field(minTickSpacing_);
  ar.Field(tickDivisions_);
  if (ar.IsLoading() && !RepairLoaded()) ar.Fail();
}

bool CCordConv::RepairLoaded() {
  // What a stored axis must hold for the arithmetic to stay finite: finite numbers within
  // reach of a page, a known mode and tick parameters that do not divide by zero.
  constexpr double kMaxCoordinate = 1e7;
  for (double v : {pixelStart_, pixelEnd_, valueStart_, valueEnd_, tickOrigin_, tickStep_, reference_, floor_,
                   dbOffset_, displayMultiplier_, logBase_}) {
    if (!std::isfinite(v)) return false;
  }
  if (std::fabs(pixelStart_) > kMaxCoordinate || std::fabs(pixelEnd_) > kMaxCoordinate) return false;
  if (axisMode_ < 0 || axisMode_ > 2) return false;
  if (logBase_ <= 0 || tickDivisions_ < 1 || minTickSpacing_ < 0 || (labelFlags_ & 0xFF) > 20) return false;
  // The decibel transform needs a positive floor and reference. A reference of 0 (an
  // automatic adjustment to a silent block) or a floor of 0 become the level floor, the
  // nearest value that works; the scale that came with them is worked out again.
  bool repaired = false;
  if (axisMode_ != kLinear && floor_ <= 0) {
    floor_ = kRepairedFloor;
    repaired = true;
  }
  if (axisMode_ != kLinear && reference_ <= 0) {
    reference_ = floor_;
    repaired = true;
  }
  if (repaired || !std::isfinite(scale_) || !std::isfinite(offset_)) CalcScale();
  return std::isfinite(scale_) && std::isfinite(offset_);
}

std::vector<AxisTick> AxisTicks(const CCordConv& axis, double startValue, bool unitOnFirst) {
  std::vector<AxisTick> ticks;
  AxisTick t;
  t.value = startValue;
  int withUnit = unitOnFirst ? 1 : 0;
  for (int n = 0; n < kMaxTicksPerAxis && axis.NextTick(t.value, t.coordinate, t.label, withUnit); ++n) {
    withUnit = 0;
    if (t.value < axis.ValueStart() || t.value > axis.ValueEnd()) continue;
    ticks.push_back(t);
  }
  return ticks;
}
