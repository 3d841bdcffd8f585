#include "core/graph/cord_conv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/io/archive.h"
#include "core/graph/recording_dc.h"

namespace {

struct Tick {
  double value;
  int coordinate;
  std::string label;
};

std::vector<Tick> Walk(const CCordConv& axis, double seed, int firstWithUnit, int limit = 100) {
  std::vector<Tick> ticks;
  int coordinate = 0;
  std::string label;
  int withUnit = firstWithUnit;
  while (static_cast<int>(ticks.size()) < limit && axis.NextTick(seed, coordinate, label, withUnit)) {
    ticks.push_back({seed, coordinate, label});
    withUnit = 0;
  }
  return ticks;
}

}  // namespace

TEST(CordConvMapping, RoundTripsOnForwardAndReversedAxes) {
  CCordConv forward;
  forward.SetRange(100, 1100, 0.0, 1000.0);
  CCordConv reversedValues;
  reversedValues.SetRange(100, 1100, 1000.0, 0.0);
  CCordConv reversedPixels;
  reversedPixels.SetRange(-200, -1200, -50.0, 50.0);
  for (int x : {100, 101, 555, 1099, 1100}) {
    EXPECT_EQ(forward.ValueToPixel(forward.PixelToValue(x)), x);
    EXPECT_EQ(reversedValues.ValueToPixel(reversedValues.PixelToValue(x)), x);
  }
  for (int x : {-200, -201, -700, -1200})
    EXPECT_EQ(reversedPixels.ValueToPixel(reversedPixels.PixelToValue(x)), x);
  // The mapping stays monotone when the value start exceeds the value end.
  EXPECT_GT(reversedValues.ValueToPixel(100.0), reversedValues.ValueToPixel(200.0));
  EXPECT_DOUBLE_EQ(reversedValues.PixelToValue(100), 1000.0);
}

TEST(CordConvMapping, RoundsHalvesUpward) {
  CCordConv axis;
  axis.SetRange(0, 100, 0.0, 100.0);  // one unit per value
  EXPECT_EQ(axis.ValueToPixel(10.5), 11);
  EXPECT_EQ(axis.ValueToPixel(-10.5), -10);
  EXPECT_EQ(axis.ValueToPixel(10.49), 10);
  EXPECT_EQ(axis.ValueToPixel(-10.51), -11);
}

TEST(CordConvMapping, EmptyRangeHasNoScaleAndStopsTicksAtOnce) {
  CCordConv axis;
  axis.SetRange(0, 100, 5.0, 5.0);
  EXPECT_EQ(axis.Scale(), 0.0);
  EXPECT_EQ(axis.Offset(), 0.0);
  EXPECT_EQ(axis.PixelToValue(50), 0.0);
  const double stepBefore = axis.TickStep();
  axis.CalcTickStep(0, 0);
  EXPECT_EQ(axis.TickStep(), stepBefore);
  double v = 0.0;
  int c = 0;
  std::string label;
  EXPECT_EQ(axis.NextTick(v, c, label, 0), 0);
  // A flat range over a pixel span that holds 0 must not walk for ever either.
  CCordConv flat;
  flat.SetRange(-200, 200, 0.0, 0.0);
  EXPECT_TRUE(Walk(flat, -1.0, 0).empty());
  // A range narrower than doubles can divide by maps as an empty one, never to infinity.
  CCordConv tiny;
  tiny.SetRange(129, -59, 0.0, 4e-315);
  EXPECT_EQ(tiny.Scale(), 0.0);
  EXPECT_EQ(tiny.Offset(), 0.0);
}

TEST(CordConvMapping, DecibelAxisIsLinearInDecibels) {
  CCordConv axis;
  axis.SetAxisMode(CCordConv::kDecibel, 10000.0, 0.0, 0.00001);
  axis.SetRange(0, 800, axis.FromDb(-80.0), 10000.0);
  EXPECT_NEAR(axis.ToDb(10000.0, 0.00001), 0.0, 1e-12);
  EXPECT_NEAR(axis.ToDb(-1000.0, 0.00001), -20.0, 1e-12);  // magnitudes
  EXPECT_NEAR(axis.ToDb(0.0, 0.00001), 20 * std::log10(0.00001 / 10000.0), 1e-9);  // floor
  EXPECT_EQ(axis.ValueToPixel(1000.0), 600);
  EXPECT_EQ(axis.ValueToPixel(10000.0), 800);
  EXPECT_NEAR(axis.PixelToValue(400), 100.0, 1e-9);
  double a = 0, b = 0;
  ASSERT_EQ(axis.GetDbRange(a, b), 1);
  EXPECT_NEAR(a, -80.0, 1e-9);
  EXPECT_NEAR(b, 0.0, 1e-9);
  ASSERT_EQ(axis.SetDbRange(-60.0, -20.0), 1);
  EXPECT_NEAR(axis.ValueStart(), 10.0, 1e-9);
  EXPECT_NEAR(axis.ValueEnd(), 1000.0, 1e-9);
  // Offsets shift the decibel numbers.
  axis.SetAxisMode(CCordConv::kDecibel, 10000.0, 6.0, 0.00001);
  EXPECT_NEAR(axis.ToDb(10000.0, 0.00001), 6.0, 1e-12);
  EXPECT_NEAR(axis.FromDb(6.0), 10000.0, 1e-9);

  CCordConv linear;
  EXPECT_EQ(linear.GetDbRange(a, b), 0);
  EXPECT_EQ(linear.SetDbRange(1.0, 2.0), 0);
  EXPECT_EQ(linear.ValueEnd(), 1.0);
}

TEST(CordConvTicks, StepIsTheSmallestOneTwoFiveCoveringTheSpacing) {
  // (pixel span, value span, expected step): the spacing is max(span / 20, 80) units.
  struct Case {
    int pixels;
    double values;
    double step;
  };
  const Case cases[] = {
      {1000, 1000.0, 100.0},  // 80 units = 80 values
      {1000, 100.0, 10.0},    // 8
      {1000, 25.0, 2.0},      // 2 exactly stays 2
      {1000, 62.5, 5.0},      // 5 exactly stays 5
      {1000, 12.5, 1.0},      // 1 exactly
      {1000, 15.0, 2.0},      // 1.2 -> 2
      {1000, 37.5, 5.0},      // 3 -> 5
      {4000, 4000.0, 200.0},  // span / 20 = 200 units beats 80
      {1000, 0.01, 0.001},    // 0.0008 -> 0.001
  };
  for (const Case& c : cases) {
    CCordConv axis;
    axis.SetRange(0, c.pixels, 0.0, c.values);
    axis.CalcTickStep(0, 0);
    EXPECT_NEAR(axis.TickStep(), c.step, c.step * 1e-12) << c.pixels << " " << c.values;
    EXPECT_EQ(axis.TickOrigin(), 0.0);
  }
  CCordConv reversed;
  reversed.SetRange(0, 1000, 1000.0, 0.0);
  reversed.CalcTickStep(0, 0);
  EXPECT_EQ(reversed.TickStep(), -100.0);
  CCordConv fromStart;
  fromStart.SetTickOriginFromStart(1);
  fromStart.SetRange(0, 1000, 37.0, 1037.0);
  fromStart.CalcTickStep(0, 0);
  EXPECT_EQ(fromStart.TickOrigin(), 37.0);
  // Explicit divisions and spacing override the axis's own.
  CCordConv own;
  own.SetRange(0, 1000, 0.0, 1000.0);
  own.CalcTickStep(5, 30);  // 200 units
  EXPECT_EQ(own.TickStep(), 200.0);
}

TEST(CordConvTicks, LinearWalkStartsAfterTheSeedAndStopsPastThePlot) {
  CCordConv axis;
  axis.SetRange(0, 1000, 0.0, 1000.0);
  axis.CalcTickStep(0, 0);  // 100
  std::vector<Tick> ticks = Walk(axis, 200.0, 0);  // seeded exactly on a tick
  ASSERT_EQ(ticks.size(), 8u);
  EXPECT_EQ(ticks.front().value, 300.0);
  EXPECT_EQ(ticks.back().value, 1000.0);
  EXPECT_EQ(ticks.back().coordinate, 1000);
  // A seed a millionth of a step below a tick counts as that tick.
  ticks = Walk(axis, 200.0 - 100.0 * 1e-7, 0);
  EXPECT_EQ(ticks.front().value, 300.0);
  ticks = Walk(axis, 200.0 - 100.0 * 1e-3, 0);
  EXPECT_EQ(ticks.front().value, 200.0);
  // The origin moves the grid.
  CCordConv shifted;
  shifted.SetTickOriginFromStart(1);
  shifted.SetRange(0, 1000, 37.0, 1037.0);
  shifted.CalcTickStep(0, 0);
  ticks = Walk(shifted, shifted.PixelToValue(-1), 0);
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(ticks.front().value, 37.0);
  EXPECT_EQ(ticks.front().coordinate, 0);
  EXPECT_EQ(ticks[1].value, 137.0);
}

TEST(CordConvTicks, DecibelWalkStepsInDecibelsAndLabelsTheNumber) {
  CCordConv axis;
  axis.SetAxisMode(CCordConv::kDecibel, 10000.0, 0.0, 0.00001);
  axis.SetRange(0, 800, axis.FromDb(-80.0), 10000.0);
  axis.SetUnit("Hz");  // never appended to decibel labels
  axis.SetLabelFlags(0x103);
  axis.CalcTickStep(0, 0);  // 80 units = 8 dB -> 10 dB
  EXPECT_NEAR(axis.TickStep(), 10.0, 1e-12);
  std::vector<Tick> ticks = Walk(axis, axis.PixelToValue(-1), 1);
  ASSERT_EQ(ticks.size(), 9u);
  EXPECT_EQ(ticks[0].coordinate, 0);
  EXPECT_EQ(ticks[0].label, "-80");
  EXPECT_EQ(ticks[2].label, "-60");
  EXPECT_EQ(ticks[8].label, " 0 ");
  EXPECT_NEAR(ticks[6].value, 1000.0, 1e-9);
  EXPECT_EQ(ticks[6].coordinate, 600);
}

TEST(CordConvTicks, LogarithmicWalkVisitsEachMantissaDecadeByDecade) {
  CCordConv axis;
  axis.SetAxisMode(CCordConv::kLogarithmic, 1.0, 0.0, 10.0);
  axis.SetRange(0, 1000, 10.0, 22050.0);
  axis.SetLogBase(10.0);
  axis.SetLabelFlags(0x103);
  axis.SetUnit("Hz");
  std::vector<double> expected = {10, 100, 1000, 10000, 20, 200, 2000, 20000};
  for (int m = 3; m <= 9; ++m)
    for (double d : {10.0, 100.0, 1000.0}) expected.push_back(m * d);
  std::vector<Tick> ticks = Walk(axis, 1.0, 1, 1000);
  ASSERT_EQ(ticks.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(ticks[i].value, expected[i], 1e-9) << i;
  EXPECT_EQ(ticks[0].label, "10");
  EXPECT_EQ(ticks[2].label, "1k");
  EXPECT_EQ(ticks[0].coordinate, 0);
  // Seeds below 0.01 restart there.
  double v = 0.0001;
  int c = 0;
  std::string label;
  ASSERT_EQ(axis.NextTick(v, c, label, 0), 1);
  EXPECT_EQ(v, 0.01);
}

TEST(CordConvTicks, LogarithmicWalkEndsForALogBaseBelowTheFirstTick) {
  CCordConv axis;
  axis.SetAxisMode(CCordConv::kLogarithmic, 1.0, 0.0, 0.001);
  axis.SetRange(0, 1000, 0.001, 100.0);  // the constructor's log base 0.001 stays
  std::vector<Tick> ticks = Walk(axis, 0.0005, 0, 10000);
  ASSERT_LT(ticks.size(), 10000u);
  EXPECT_NEAR(ticks.back().value, 90.0, 1e-9);
}

TEST(CordConvLabels, NumbersWithPrefixesDigitsAndFlags) {
  CCordConv axis;
  EXPECT_EQ(axis.FormatNumber(1500, "Hz", 3), "1.50kHz");
  EXPECT_EQ(axis.FormatNumber(1500, "Hz", 0x103), "1.5kHz");
  EXPECT_EQ(axis.FormatNumber(0.05, "s", 3), "50.0ms");
  EXPECT_EQ(axis.FormatNumber(-2, "", 3), "-2.00");
  EXPECT_EQ(axis.FormatNumber(1000, "Hz", 3), "1.00kHz");
  EXPECT_EQ(axis.FormatNumber(999, "", 3), "999");
  EXPECT_EQ(axis.FormatNumber(0.1, "", 3), "0.100");
  EXPECT_EQ(axis.FormatNumber(0.0999, "", 3), "99.9m");
  EXPECT_EQ(axis.FormatNumber(0.0005, "", 3), "0.500m");
  EXPECT_EQ(axis.FormatNumber(0.0, "s", 3), " 0 ");
  EXPECT_EQ(axis.FormatNumber(-1e-7, "s", 0x203), " 0 ");
  EXPECT_EQ(axis.FormatNumber(12345678, "", 3), "12346k");
  EXPECT_EQ(axis.FormatNumber(2.0, "", 0x103), "2");
  EXPECT_EQ(axis.FormatNumber(2.0, "", 0x203), "+2.00");
  EXPECT_EQ(axis.FormatNumber(-2.0, "", 0x203), "-2.00");
  EXPECT_EQ(axis.FormatNumber(1.23456, "sec", 5), "1.2346sec");
  axis.SetDisplayMultiplier(0.01);
  EXPECT_EQ(axis.FormatNumber(5000, "", 5), "50.000");
}

TEST(CordConvLabels, TimeAxisLabelsOffsetsWithPlusAndTheFirstAbsoluteWithUnit) {
  CCordConv x;  // as the wave box sets its time axis up
  x.SetDisplayMultiplier(0.001);
  x.SetLabelFlags(0x303);
  x.SetTickOriginFromStart(1);
  x.SetRange(0, 1000, 1250.0, 1750.0);
  EXPECT_EQ(x.FormatLabel(1300.0, 0), "+50m");
  EXPECT_EQ(x.FormatLabel(1200.0, 0), "-50m");
  EXPECT_EQ(x.FormatLabel(1250.0, 1), "1.25s");
  EXPECT_EQ(x.FormatLabel(1250.0, 0), " 0 ");
  x.CalcTickStep(0, 0);  // 80 units = 40 ms -> 50 ms, counted from the start
  std::vector<Tick> ticks = Walk(x, x.PixelToValue(-1), 1);
  ASSERT_GE(ticks.size(), 3u);
  EXPECT_EQ(ticks[0].label, "1.25s");
  EXPECT_EQ(ticks[1].label, "+50m");
  EXPECT_EQ(ticks[2].label, "+0.1");  // 0.1 s needs no prefix
}

TEST(CordConvMapping, PixelSpanCoversTheNeighbouringDevicePixels) {
  RecordingDC dc;  // 96 dpi: 453 device pixels for 1200 units
  CCordConv axis;
  axis.SetRange(0, 1200, 0.0, 1200.0);
  double low = 0, high = 0;
  const double at = axis.PixelToValueSpan(600, low, high, dc);
  EXPECT_EQ(at, 600.0);
  const Point d = dc.LPtoDP(Point{600, 0});
  EXPECT_EQ(low, dc.DPtoLP(Point{d.x - 1, 0}).x);
  EXPECT_EQ(high, dc.DPtoLP(Point{d.x + 1, 0}).x);
  EXPECT_LT(low, 600.0);
  EXPECT_GT(high, 600.0);
}

TEST(CordConvMapping, ClampedPixelEnds) {
  CCordConv axis;
  axis.SetRange(100, 900, 0.0, 1.0);
  EXPECT_EQ(axis.GetPixelStartClamped(nullptr), 100);
  EXPECT_EQ(axis.GetPixelEndClamped(nullptr), 900);
  int low = 150, high = 850;
  EXPECT_EQ(axis.GetPixelStartClamped(&low), 150);
  EXPECT_EQ(axis.GetPixelEndClamped(&high), 850);
  low = 50;
  high = 950;
  EXPECT_EQ(axis.GetPixelStartClamped(&low), 100);
  EXPECT_EQ(axis.GetPixelEndClamped(&high), 900);
}

TEST(CordConvSerialize, StoresTheFieldsInOrderAndLoadsThemBack) {
  CCordConv axis;
  axis.SetAxisMode(CCordConv::kDecibel, 2.0, 3.0, 0.5);
  axis.SetRange(10, 20, 30.0, 40.0);
  axis.SetDisplayMultiplier(0.25);
  axis.SetLabelFlags(0x303);
  axis.SetLogBase(100.0);
  axis.SetMinTickSpacing(55);
  axis.SetTickDivisions(7);
  axis.CalcTickStep(0, 0);
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    axis.Serialize(ar);
  }
  const std::vector<uint8_t>& bytes = mem.Bytes();
  ASSERT_EQ(bytes.size(), 120u);
  auto f64 = [&](size_t at) {
    double d;
    std::memcpy(&d, bytes.data() + at, 8);
    return d;
  };
  auto i32 = [&](size_t at) {
    int32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  EXPECT_EQ(f64(0), 10.0);
  EXPECT_EQ(f64(8), 20.0);
  EXPECT_EQ(f64(16), 30.0);
  EXPECT_EQ(f64(24), 40.0);
  EXPECT_EQ(f64(32), axis.TickOrigin());
  EXPECT_EQ(f64(40), axis.TickStep());
  EXPECT_EQ(f64(48), axis.Scale());
  EXPECT_EQ(f64(56), axis.Offset());
  EXPECT_EQ(i32(64), CCordConv::kDecibel);
  EXPECT_EQ(f64(68), 2.0);
  EXPECT_EQ(f64(76), 0.5);
  EXPECT_EQ(f64(84), 3.0);
  EXPECT_EQ(f64(92), 0.25);
  EXPECT_EQ(i32(100), 0x303);
  EXPECT_EQ(f64(104), 100.0);
  EXPECT_EQ(i32(112), 55);
  EXPECT_EQ(i32(116), 7);

  mem.Seek(0);
  CCordConv loaded;
  CArchive in(mem, CArchive::Mode::Load);
  loaded.Serialize(in);
  EXPECT_FALSE(in.Failed());
  EXPECT_EQ(loaded.ValueToPixel(35.0), axis.ValueToPixel(35.0));
  EXPECT_EQ(loaded.LabelFlags(), 0x303);
  EXPECT_EQ(loaded.MinTickSpacing(), 55);
  EXPECT_EQ(loaded.Unit(), "s");  // not stored: the owner sets it again
}

TEST(CordConvTicks, AxisTicksKeepTheVisitedTicksInsideTheValueRange) {
  CCordConv axis;
  axis.SetRange(0, 1000, 500.0, 1500.0);
  axis.SetUnit("ms");
  axis.CalcTickStep(0, 0);  // 100
  // Seeded below the range: 300 and 400 are visited but lie outside, and the unit went
  // with the first visited tick, so no kept label carries it.
  std::vector<AxisTick> ticks = AxisTicks(axis, 250.0, true);
  ASSERT_EQ(ticks.size(), 11u);
  EXPECT_EQ(ticks.front().value, 500.0);
  EXPECT_EQ(ticks.front().coordinate, 0);
  EXPECT_EQ(ticks.back().value, 1500.0);
  std::vector<Tick> plain = Walk(axis, 250.0, 0);
  ASSERT_EQ(plain.size(), 13u);
  for (size_t i = 0; i < ticks.size(); ++i) EXPECT_EQ(ticks[i].label, plain[i + 2].label) << i;
  // Seeded inside: the first kept tick is the first visited and carries the unit.
  ticks = AxisTicks(axis, 450.0, true);
  std::vector<Tick> withUnit = Walk(axis, 450.0, 1);
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(ticks.front().label, withUnit.front().label);
  EXPECT_NE(ticks.front().label, plain[2].label);  // 500 with and without its unit
  // An empty range visits nothing.
  CCordConv empty;
  empty.SetRange(0, 100, 5.0, 5.0);
  EXPECT_TRUE(AxisTicks(empty, 0.0, true).empty());
}

namespace {
std::vector<uint8_t> StoredAxis(CCordConv& axis) {
  MemoryStream mem;
  CArchive ar(mem, CArchive::Mode::Store);
  axis.Serialize(ar);
  ar.Flush();
  return mem.TakeBytes();
}

bool LoadsAxis(std::vector<uint8_t> bytes, CCordConv& into) {
  MemoryStream mem(std::move(bytes));
  CArchive ar(mem, CArchive::Mode::Load);
  into.Serialize(ar);
  return !ar.Failed();
}
}  // namespace

TEST(CordConvSerialize, ADecibelReferenceOrFloorOfZeroIsRepairedAndNumbersThatAreNoneRefused) {
  // Stored by an automatic adjustment to silence: reference 0, both ends and the scale
  // worked out from it are no use.
  CCordConv silent;
  silent.SetAxisMode(CCordConv::kDecibel, 10000.0, 0.0, 0.00001);
  silent.SetRange(-557, -317, 1.0, 10000.0);
  silent.SetAxisMode(CCordConv::kDecibel, 0.0, 0.0, 0.00001);
  CCordConv loaded;
  ASSERT_TRUE(LoadsAxis(StoredAxis(silent), loaded));
  EXPECT_EQ(loaded.Reference(), CCordConv::kRepairedFloor);
  EXPECT_TRUE(std::isfinite(loaded.Scale()));
  EXPECT_TRUE(std::isfinite(loaded.Offset()));
  EXPECT_EQ(loaded.ValueToPixel(10000.0), -317);  // the stored ends map as before

  CCordConv noFloor;
  noFloor.SetAxisMode(CCordConv::kLogarithmic, 1.0, 0.0, 0.0);
  noFloor.SetRange(0, 1000, 10.0, 10000.0);
  ASSERT_TRUE(LoadsAxis(StoredAxis(noFloor), loaded));
  EXPECT_EQ(loaded.Floor(), CCordConv::kRepairedFloor);
  EXPECT_EQ(loaded.ValueToPixel(100.0), noFloor.ValueToPixel(100.0));

  // Stored again, a repaired axis stays as it is.
  const std::vector<uint8_t> once = StoredAxis(loaded);
  CCordConv again;
  ASSERT_TRUE(LoadsAxis(once, again));
  EXPECT_EQ(StoredAxis(again), once);

  std::vector<uint8_t> bytes = StoredAxis(noFloor);
  const double nan = std::nan("");
  std::memcpy(bytes.data() + 16, &nan, 8);  // the value start
  EXPECT_FALSE(LoadsAxis(bytes, loaded));
}
