// Writes a long WAVE file for the loading and analysis benchmarks:
//   make_test_wave OUT.wav SECONDS [RATE] [BITS] [CHANNELS]
// The content is a 1 kHz sine on the left and, on the right, a logarithmic sweep from 50 Hz
// to 15 kHz over the whole file, so that analyses of it have something to find.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "core/wave/wave.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_test_wave OUT.wav SECONDS [RATE] [BITS] [CHANNELS]\n");
    return 2;
  }
  double seconds = std::atof(argv[2]);
  uint32_t rate = argc > 3 ? static_cast<uint32_t>(std::atoi(argv[3])) : 44100;
  uint16_t bits = argc > 4 ? static_cast<uint16_t>(std::atoi(argv[4])) : 16;
  uint16_t channels = argc > 5 ? static_cast<uint16_t>(std::atoi(argv[5])) : 2;
  CWave w;
  w.SetFormat(rate, bits, channels);
  auto frames = static_cast<uint32_t>(seconds * rate);
  if (!w.Allocate(frames)) return 1;
  double phase = 0;
  for (uint32_t i = 0; i < frames; ++i) {
    double t = double(i) / rate;
    w.SetSample(i, static_cast<int>(std::lround(16000 * std::sin(2 * std::numbers::pi * 1000 * t))), kChannelLeft);
    double f = 50 * std::pow(300.0, t / seconds);
    phase += 2 * std::numbers::pi * f / rate;
    if (channels > 1) w.SetSample(i, static_cast<int>(std::lround(12000 * std::sin(phase))), kChannelRight);
  }
  return w.SaveWaveFile(argv[1], 0, 0) ? 0 : 1;
}
