#include "core/dsp/level_stats.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/wave/wave.h"

namespace {

constexpr double kFullScaleSample = 32768.0;

}  // namespace

double SampleScaleToDb(double value) {
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(magnitude / kFullScaleSample);
}

double ChannelLevels::PeakDb() const { return SampleScaleToDb(peak); }
double ChannelLevels::RmsDb() const { return SampleScaleToDb(rms); }
double ChannelLevels::DcOffsetDb() const { return SampleScaleToDb(dcOffset); }

std::vector<ChannelLevels> MeasureLevels(const CWave& wave) {
  const uint32_t frames = wave.FrameCount();
  const int channels = wave.Channels();
  if (frames == 0 || channels < 1 || !wave.GetData(0)) return {};
  std::vector<ChannelLevels> levels(static_cast<size_t>(channels));
  for (int c = 0; c < channels; ++c) {
    // Sums of whole numbers stay exact in 64 bits for any wave the model holds (at most
    // 2^31 samples of at most 2^30 squared).
    int64_t sum = 0;
    uint64_t sumOfSquares = 0;
    int peak = 0;
    auto add = [&](int s) {
      sum += s;
      sumOfSquares += static_cast<uint64_t>(int64_t{s} * s);
      peak = std::max(peak, std::abs(s));
    };
    if (wave.Bits() == 16) {
      // Straight over the block: a long wave has hundreds of millions of samples.
      const uint8_t* p = wave.GetData(0) + 2 * c;
      const size_t step = wave.BlockAlign();
      for (uint32_t i = 0; i < frames; ++i, p += step) {
        int16_t s;
        std::memcpy(&s, p, sizeof s);
        add(s);
      }
    } else {
      const int selector = c == 0 ? kChannelLeft : kChannelRight;
      for (uint32_t i = 0; i < frames; ++i) add(wave.GetSample(i, selector));
    }
    ChannelLevels& l = levels[static_cast<size_t>(c)];
    l.peak = peak;
    l.dcOffset = static_cast<double>(sum) / frames;
    l.rms = std::sqrt(static_cast<double>(sumOfSquares) / frames);
  }
  return levels;
}
