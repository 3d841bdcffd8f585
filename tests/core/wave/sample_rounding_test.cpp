// Decoded samples to 16 bits: nearest step, halves upward, clipped; NaN to 0, infinities to
// full scale. Every value is given exactly, so the results are exact.
#include "core/wave/sample_rounding.h"

#include <gtest/gtest.h>

#include <limits>

TEST(SampleRounding, IntegersAtThe32BitFullScale) {
  struct Case {
    const char* name;
    int32_t value;
    int expected;
    bool clipped;
  };
  const Case cases[] = {
      {"24-bit full scale", 0x7FFFFF << 8, 32767, true},  // 32767.996 rounds to 32768
      {"24-bit negative full scale", -0x800000 * 256, -32768, false},
      {"32-bit full scale", 0x7FFFFFFF, 32767, true},
      {"32-bit negative full scale", std::numeric_limits<int32_t>::min(), -32768, false},
      {"half scale", 0x40000000, 16384, false},
      {"negative half scale", -0x40000000, -16384, false},
      {"one 16-bit step", 0x10000, 1, false},
      {"smallest 24-bit step", 1 << 8, 0, false},
      {"just below half a step", 0x7FFF, 0, false},
      {"half a step rounds up", 0x8000, 1, false},
      {"one and a half steps", 0x18000, 2, false},
      {"minus half a step rounds up to 0", -0x8000, 0, false},
      {"just beyond minus half a step", -0x8001, -1, false},
      {"largest value that does not clip", 0x7FFF7FFF, 32767, false},
  };
  for (const Case& c : cases) {
    RoundingCounts counts;
    EXPECT_EQ(RoundFullScaleInt(c.value, counts), c.expected) << c.name;
    EXPECT_EQ(counts.clipped, c.clipped ? 1u : 0u) << c.name;
    EXPECT_EQ(counts.nonFinite, 0u) << c.name;
  }
}

TEST(SampleRounding, FloatingPointAtFullScaleOne) {
  constexpr double kStep = 1.0 / 32768;
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    double value;
    int expected;
    uint64_t clipped;
    uint64_t nonFinite;
  };
  const Case cases[] = {
      {"full scale", 1.0, 32767, 1, 0},
      {"negative full scale", -1.0, -32768, 0, 0},
      {"half scale", 0.5, 16384, 0, 0},
      {"smallest step", kStep, 1, 0, 0},
      {"half a step rounds up", 0.5 * kStep, 1, 0, 0},
      {"minus half a step rounds up to 0", -0.5 * kStep, 0, 0, 0},
      {"just beyond minus half a step", -0.5000001 * kStep, -1, 0, 0},
      {"beyond full scale", 1.5, 32767, 1, 0},
      {"beyond negative full scale", -2.0, -32768, 1, 0},
      {"last step below full scale", 32767 * kStep, 32767, 0, 0},
      {"NaN", std::numeric_limits<double>::quiet_NaN(), 0, 0, 1},
      {"plus infinity", kInf, 32767, 0, 1},
      {"minus infinity", -kInf, -32768, 0, 1},
  };
  for (const Case& c : cases) {
    RoundingCounts counts;
    EXPECT_EQ(RoundFullScaleFloat(c.value, counts), c.expected) << c.name;
    EXPECT_EQ(counts.clipped, c.clipped) << c.name;
    EXPECT_EQ(counts.nonFinite, c.nonFinite) << c.name;
  }
}
