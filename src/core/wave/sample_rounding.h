#pragma once
// Decoded samples to the sample scale (-32768..32767): rounded to the nearest step, halves
// upward (toward +infinity), and clipped. No dither: the analysis must see the signal, not
// added noise.
//
// Integer sources arrive at the 32-bit full scale (a 24-bit value v as v << 8), floating
// sources at full scale 1.0 (1.0 is 32768, which clips to 32767). NaN becomes 0 and the
// infinities become full scale. The counters say how often either happened.
#include <cmath>
#include <cstdint>

struct RoundingCounts {
  uint64_t clipped = 0;    // rounded values beyond -32768..32767
  uint64_t nonFinite = 0;  // NaN (to 0) and infinities (to full scale)
};

inline constexpr int kSampleMax = 32767;
inline constexpr int kSampleMin = -32768;

inline int16_t RoundFullScaleInt(int32_t value, RoundingCounts& counts) {
  const int64_t r = (int64_t{value} + 0x8000) >> 16;
  if (r > kSampleMax) {
    ++counts.clipped;
    return kSampleMax;
  }
  return static_cast<int16_t>(r);
}

inline int16_t RoundFullScaleFloat(double value, RoundingCounts& counts) {
  if (std::isnan(value)) {
    ++counts.nonFinite;
    return 0;
  }
  if (std::isinf(value)) {
    ++counts.nonFinite;
    return value > 0 ? kSampleMax : kSampleMin;
  }
  const double r = std::floor(value * 32768.0 + 0.5);
  if (r > kSampleMax) {
    ++counts.clipped;
    return kSampleMax;
  }
  if (r < kSampleMin) {
    ++counts.clipped;
    return kSampleMin;
  }
  return static_cast<int16_t>(r);
}
