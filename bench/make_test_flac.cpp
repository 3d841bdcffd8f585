// Writes a long 24-bit FLAC file for the import benchmark:
//   make_test_flac OUT.flac SECONDS [RATE] [CHANNELS]
// A 1 kHz sine on the left and a logarithmic sweep on the right, both with a little noise
// at about -90 dB so that the encoder meets what a recording holds (a pure tone would
// compress far better than any real file).
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_test_flac OUT.flac SECONDS [RATE] [CHANNELS]\n");
    return 2;
  }
  const double seconds = std::atof(argv[2]);
  const int rate = argc > 3 ? std::atoi(argv[3]) : 44100;
  const int channels = argc > 4 ? std::atoi(argv[4]) : 2;
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  SNDFILE* f = sf_open(argv[1], SFM_WRITE, &info);
  if (!f) {
    std::fprintf(stderr, "make_test_flac: %s\n", sf_strerror(nullptr));
    return 1;
  }
  const auto frames = static_cast<long>(seconds * rate);
  constexpr long kChunk = 65536;
  std::vector<int> buffer(static_cast<size_t>(kChunk * channels));
  std::mt19937 noise(1);
  std::uniform_int_distribution<int> lsb(-256, 256);  // a few 24-bit steps
  double phase = 0;
  for (long start = 0; start < frames; start += kChunk) {
    const long n = std::min(kChunk, frames - start);
    for (long i = 0; i < n; ++i) {
      const double t = double(start + i) / rate;
      phase += 2 * std::numbers::pi * 50 * std::pow(300.0, t / seconds) / rate;
      for (int c = 0; c < channels; ++c) {
        const double v = c % 2 == 0 ? 0.5 * std::sin(2 * std::numbers::pi * 1000 * t) : 0.4 * std::sin(phase);
        buffer[static_cast<size_t>(i * channels + c)] = (static_cast<int>(std::lround(v * 8388607)) + lsb(noise)) * 256;
      }
    }
    if (sf_writef_int(f, buffer.data(), n) != n) return 1;
  }
  return sf_close(f) == 0 ? 0 : 1;
}
