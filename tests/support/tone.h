#pragma once
// Test tones and how to find them again in a recording.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "core/wave/wave.h"

// A 16-bit sine of toneHz at amplitude (sample scale) in every channel of the wave.
inline bool MakeSine(CWave& w, uint32_t rateHz, uint16_t channels, uint32_t frameCount, double toneHz,
                     double amplitude) {
  w.SetFormat(rateHz, 16, channels);
  if (!w.Allocate(frameCount)) return false;
  for (uint32_t i = 0; i < frameCount; ++i) {
    double v = amplitude * std::sin(2.0 * M_PI * toneHz * i / rateHz);
    w.SetSample(i, static_cast<int>(std::lround(v)), kChannelBoth);
  }
  return true;
}

// The first frame whose left sample exceeds threshold in magnitude, if any.
inline std::optional<uint32_t> FindOnset(const CWave& w, int threshold) {
  for (uint32_t i = 0; i < w.FrameCount(); ++i) {
    if (std::abs(w.GetSample(i, kChannelLeft)) > threshold) return i;
  }
  return std::nullopt;
}

// Amplitude (sample scale) of the component at toneHz in frames [first, first + count) of
// the left channel, by the Goertzel recurrence: 2|X(f)|/count, which for a tone with a whole
// number of cycles in the window is exactly its amplitude, and 0 for any other frequency with
// a whole number of cycles.
inline double ToneAmplitude(const CWave& w, uint32_t first, uint32_t count, double toneHz) {
  const double omega = 2.0 * M_PI * toneHz / w.Rate();
  const double coeff = 2.0 * std::cos(omega);
  double s1 = 0.0, s2 = 0.0;
  for (uint32_t i = 0; i < count; ++i) {
    double s = w.GetSample(first + i, kChannelLeft) + coeff * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
  return 2.0 * std::sqrt(std::max(power, 0.0)) / count;
}

struct SpectrumPeak {
  double peakHz = 0;
  double peakAmplitude = 0;
  double runnerUpAmplitude = 0;  // the largest amplitude at any other frequency scanned
};

// Scans fromHz..toHz in steps of stepHz (choose the window so that every step has a whole
// number of cycles) and returns the strongest frequency.
inline SpectrumPeak FindPeak(const CWave& w, uint32_t first, uint32_t count, double fromHz, double toHz,
                             double stepHz) {
  SpectrumPeak p;
  for (double f = fromHz; f <= toHz + 1e-9; f += stepHz) {
    double a = ToneAmplitude(w, first, count, f);
    if (a > p.peakAmplitude) {
      p.runnerUpAmplitude = p.peakAmplitude;
      p.peakAmplitude = a;
      p.peakHz = f;
    } else {
      p.runnerUpAmplitude = std::max(p.runnerUpAmplitude, a);
    }
  }
  return p;
}
