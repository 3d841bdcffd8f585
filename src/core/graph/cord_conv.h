#pragma once
// CCordConv: one axis of a graph. It maps data values to logical coordinates and back,
// chooses the tick spacing, walks the ticks one by one and formats tick and cursor labels.
//
// An axis is linear, decibel or logarithmic. In the last two the axis is linear in "axis
// units" d = T(v) = 20 log10(max(|v|, floor) / reference) + decibel offset; a logarithmic
// axis is the decibel transform with reference 1 and offset 0 chosen by its owner. Pixel
// ends are logical coordinates (0.1 mm, y upward); either end may be the larger one.
#include <cstdint>
#include <string>
#include <vector>

class CArchive;
class DeviceContext;

class CCordConv;

// One tick of an axis: its value, logical coordinate and label.
struct AxisTick {
  double value = 0;
  int coordinate = 0;
  std::string label;
};

// A walk visits at most this many ticks, so that a degenerate axis cannot hang the drawing.
inline constexpr int kMaxTicksPerAxis = 10000;

// The ticks that NextTick visits after startValue and that lie inside the axis's value
// range; only the first visited tick's label carries the unit, and only when unitOnFirst.
std::vector<AxisTick> AxisTicks(const CCordConv& axis, double startValue, bool unitOnFirst);

class CCordConv {
 public:
  enum AxisMode : int32_t { kLinear = 0, kDecibel = 1, kLogarithmic = 2 };
  // Bits of the label flags above the digit count.
  static constexpr int32_t kStripZeros = 0x100;
  static constexpr int32_t kRelativeToStart = 0x200;

  CCordConv();

  // Stores the ends, then recomputes the scale.
  void SetRange(int pixelStart, int pixelEnd, double valueStart, double valueEnd);
  // Pixel ends rounded to the nearest integer (halves upward).
  void GetRange(int& pixelStart, int& pixelEnd, double& valueStart, double& valueEnd) const;
  void SetAxisMode(int mode, double reference, double dbOffset, double floor);
  // The ends in axis units; 0 (nothing written) on a linear axis.
  int GetDbRange(double& start, double& end) const;
  // Sets the value ends from axis units; 0 (nothing changed) on a linear axis.
  int SetDbRange(double start, double end);
  double ToDb(double value, double floor) const;
  double FromDb(double axisUnits) const;

  // floor(A(value) * scale + offset + 0.5), A the identity on a linear axis, T otherwise.
  int ValueToPixel(double value) const;
  // 0.0 on an empty axis (scale 0).
  double PixelToValue(int logical) const;
  // The values covered by the device pixels either side of logical x on dc: low and high;
  // returns the value at x.
  double PixelToValueSpan(int logicalX, double& low, double& high, const DeviceContext& dc) const;

  // Tick step from the smallest 1, 2 or 5 times a power of ten that covers the wider of
  // (pixel span / divisions) and the minimum spacing; 0 takes the axis's own default.
  // Nothing happens on an empty or a logarithmic axis.
  void CalcTickStep(int divisions = 0, int minSpacing = 0);
  // Advances value to the next tick after it, with its coordinate and label; 0 when there
  // is none left. Linear and decibel ticks stop beyond the larger pixel end; logarithmic
  // ticks visit every mantissa 1..9 of every decade, decade by decade for one mantissa.
  int NextTick(double& value, int& coordinate, std::string& label, int withUnit) const;

  // Rounded pixel start, raised to *limit when that is larger.
  int GetPixelStartClamped(const int* limit) const;
  // Rounded pixel end, lowered to *limit when that is smaller.
  int GetPixelEndClamped(const int* limit) const;

  // A value labelled as the axis labels it (relative to the start with "+" when the flags
  // say so, unless withUnit: then absolute, one digit more and with the unit).
  std::string FormatLabel(double value, int withUnit) const;
  // value x display multiplier with a "k" or "m" prefix and (flags & 0xFF) significant
  // digits, then unit; " 0 " for a magnitude below 0.001 after the prefix.
  std::string FormatNumber(double value, const std::string& unit, int flags) const;

  void SetLogBase(double logBase) { logBase_ = logBase; }

  // The stored record: the geometry, the mode and the label settings (120 bytes). The unit
  // and the tick-origin switch are not stored; the owner sets them again.
  // Loading refuses (fails the archive) an axis whose numbers cannot be worked with
  // (numbers that are none, an unknown mode, coordinates off any page) and repairs a
  // decibel reference or floor of 0 or below to the level floor.
  void Serialize(CArchive& ar);
  // The floor a stored decibel axis without a positive floor or reference takes.
  static constexpr double kRepairedFloor = 0.00001;

  // --- settings the owners make ---
  void SetDisplayMultiplier(double m) { displayMultiplier_ = m; }
  void SetLabelFlags(int32_t flags) { labelFlags_ = flags; }
  void SetTickOriginFromStart(int32_t on) { tickOriginFromStart_ = on; }
  void SetMinTickSpacing(int32_t units) { minTickSpacing_ = units; }
  void SetTickDivisions(int32_t count) { tickDivisions_ = count; }
  void SetUnit(const std::string& unit) { unit_ = unit; }

  double DisplayMultiplier() const { return displayMultiplier_; }
  int32_t LabelFlags() const { return labelFlags_; }
  double LogBase() const { return logBase_; }
  int32_t MinTickSpacing() const { return minTickSpacing_; }
  int32_t TickDivisions() const { return tickDivisions_; }
  const std::string& Unit() const { return unit_; }
  double PixelStart() const { return pixelStart_; }
  double PixelEnd() const { return pixelEnd_; }
  double ValueStart() const { return valueStart_; }
  double ValueEnd() const { return valueEnd_; }
  int32_t Mode() const { return axisMode_; }
  double Reference() const { return reference_; }
  double Floor() const { return floor_; }
  double DbOffset() const { return dbOffset_; }
  double TickOrigin() const { return tickOrigin_; }
  double TickStep() const { return tickStep_; }
  double Scale() const { return scale_; }
  double Offset() const { return offset_; }

 private:
  // Checks a loaded record and repairs what can be; false when it cannot be worked with.
  bool RepairLoaded();
  void CalcScale();
  double AxisUnits(double value) const;
  int NextLinearTick(double& value, int& coordinate, std::string& label, int withUnit) const;
  int NextDbTick(double& value, int& coordinate, std::string& label) const;
  int NextLogTick(double& value, int& coordinate, std::string& label) const;

  double displayMultiplier_ = 1.0;
  int32_t labelFlags_ = 3;
  double logBase_ = 0.001;
  int32_t tickOriginFromStart_ = 0;
  int32_t minTickSpacing_ = 80;
  int32_t tickDivisions_ = 20;
  std::string unit_ = "s";
  double pixelStart_ = 0.0;
  double pixelEnd_ = 1.0;
  double valueStart_ = 0.0;
  double valueEnd_ = 1.0;
  int32_t axisMode_ = kLinear;
  double reference_ = 1.0;
  double floor_ = 0.0;
  double dbOffset_ = 0.0;
  double tickOrigin_ = 0.0;
  double tickStep_ = 1.0;
  double scale_ = 0.0;
  double offset_ = 0.0;
};
