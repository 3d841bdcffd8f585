#pragma once
// Waves of random samples for the signal-processing tests, and comparing waves byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/wave/wave.h"

// frames of uniform random samples in -peak .. peak (16-bit scale) in every channel.
inline void MakeNoise(CWave& w, uint32_t rateHz, uint16_t bits, uint16_t channels, uint32_t frames, unsigned seed,
                      int peak = 20000) {
  w.SetFormat(rateHz, bits, channels);
  ASSERT_TRUE(w.Allocate(frames));
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> u(-peak, peak);
  for (uint32_t i = 0; i < frames; ++i) {
    w.SetSample(i, u(rng), kChannelLeft);
    if (channels == 2) w.SetSample(i, u(rng), kChannelRight);
  }
}

// The same format record, frame count and sample bytes.
inline bool SameWave(const CWave& a, const CWave& b) {
  return std::memcmp(&a.Format(), &b.Format(), sizeof(WaveFormatRecord)) == 0 && a.FrameCount() == b.FrameCount() &&
         a.DataSize() == b.DataSize() && std::memcmp(a.GetData(), b.GetData(), a.DataSize()) == 0;
}
