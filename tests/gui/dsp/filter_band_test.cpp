// The filter dialog's field logic: edges, "min" and "max", the filter type they describe, and
// the logarithmic frequency axis of the characteristic.
#include "gui/dsp/filter_band.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
constexpr int kNyquist = 22050;
}

TEST(FilterBand, EdgesAndPassOrStopGiveTheFilterType) {
  struct Case {
    const char *low, *high;
    bool stop;
    bool valid;
    FilterType type;
    double f1, f2;
  } cases[] = {
      {"1000", "2000", false, true, FilterType::kBandPass, 1.0, 2.0},  // the defaults
      {"1000", "2000", true, true, FilterType::kBandStop, 1.0, 2.0},
      {"min", "3000", false, true, FilterType::kLowPass, 3.0, 3.0},
      {"min", "3000", true, true, FilterType::kHighPass, 3.0, 3.0},
      {"3000", "max", false, true, FilterType::kHighPass, 3.0, kNyquist * 0.001},
      {"3000", "max", true, true, FilterType::kLowPass, 3.0, kNyquist * 0.001},
      {"min", "max", false, false, FilterType::kLowPass, 0, 0},
      {"2000", "2000", false, false, FilterType::kBandPass, 2.0, 2.0},  // a band without width
      {"3000", "1000", false, true, FilterType::kBandPass, 1.0, 3.0},   // put in order
      {"0", "30000", true, false, FilterType::kHighPass, 0, 0},         // both ends: min to max
      {"abc", "500Hz", false, true, FilterType::kLowPass, 0.5, 0.5},    // unreadable low is min
      {"300", "xyz", false, true, FilterType::kHighPass, 0.3, kNyquist * 0.001},
  };
  for (const Case& c : cases) {
    const FilterChoice choice = ChooseFilter(ReadEdges(c.low, c.high, kNyquist), c.stop, kNyquist);
    EXPECT_EQ(choice.valid, c.valid) << c.low << " " << c.high;
    if (!c.valid) continue;
    EXPECT_EQ(choice.type, c.type) << c.low << " " << c.high;
    EXPECT_DOUBLE_EQ(choice.f1KHz, c.f1) << c.low << " " << c.high;
    if (c.type == FilterType::kBandPass || c.type == FilterType::kBandStop) {
      EXPECT_DOUBLE_EQ(choice.f2KHz, c.f2);
    }
  }
}

TEST(FilterBand, EdgesAreShownAsMinAndMaxAtTheEnds) {
  EXPECT_EQ(LowEdgeText(0), "min");
  EXPECT_EQ(LowEdgeText(-5), "min");
  EXPECT_EQ(LowEdgeText(1), "1");
  EXPECT_EQ(HighEdgeText(kNyquist, kNyquist), "max");
  EXPECT_EQ(HighEdgeText(kNyquist + 1, kNyquist), "max");
  EXPECT_EQ(HighEdgeText(kNyquist - 1, kNyquist), "22049");
  EXPECT_EQ(BandText(0, 5000, kNyquist), "min ～ 5000Hz");
  EXPECT_EQ(BandText(120, kNyquist, kNyquist), "120Hz ～ max");
}

TEST(FilterBand, LogAxisRunsFrom100HzToNyquist) {
  const LogFrequencyAxis axis(400, kNyquist);
  EXPECT_NEAR(axis.X(100), 0.0, 1e-9);
  EXPECT_NEAR(axis.X(kNyquist), 400.0, 1e-9);
  EXPECT_EQ(axis.FrequencyAt(0), 100);
  EXPECT_NEAR(axis.FrequencyAt(axis.X(5000)), 5000, 1);  // (int) truncates
  const auto decades = axis.Decades();
  ASSERT_EQ(decades.size(), 3u);
  EXPECT_EQ(decades[0].label, "100");
  EXPECT_EQ(decades[1].label, "1k");
  EXPECT_EQ(decades[2].label, "10k");
  const auto grid = axis.GridFrequencies();
  EXPECT_EQ(grid.front(), 100);
  EXPECT_EQ(grid.back(), 20000);  // 30000 lies beyond the axis
  EXPECT_EQ(std::count(grid.begin(), grid.end(), 1000), 1);
}
