// The filter and the format conversion on a 10-minute 44.1 kHz 16-bit stereo wave, beside
// their yardsticks, in one run:
//  - ApplyFilter with the 301 taps of an order-300 design on both channels (the processing
//    dialog's work), and the plain one-output-at-a-time loop on one minute of one channel
//    (for the speed-up; its time scales linearly); scripts/bench-filter times SoX's FIR
//    effect with the same taps as a whole process;
//  - CWave::ConvertFormat to 48000 Hz by the spline, streamed through the temporary file as
//    the program does, against libsoxr's high-quality resampler streaming the same samples
//    in blocks (libsoxr is linked into this benchmark only).
#include <benchmark/benchmark.h>
#include <soxr.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/dsp/fir_design.h"
#include "core/dsp/fir_filter.h"
#include "core/wave/wave.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kTenMinutes = 600 * kRate;

// A 1 kHz sine on the left and a slow sweep on the right, as make_test_wave writes them.
const CWave& Source() {
  static CWave wave;
  if (wave.FrameCount() == 0) {
    wave.SetFormat(kRate, 16, 2);
    wave.Allocate(kTenMinutes);
    double phase = 0;
    for (uint32_t i = 0; i < kTenMinutes; ++i) {
      const double t = double(i) / kRate;
      wave.SetSample(i, static_cast<int>(std::lround(16000 * std::sin(2 * M_PI * 1000 * t))), kChannelLeft);
      phase += 2 * M_PI * 50 * std::pow(300.0, t / 600) / kRate;
      wave.SetSample(i, static_cast<int>(std::lround(12000 * std::sin(phase))), kChannelRight);
    }
  }
  return wave;
}

std::vector<double> Taps301() {
  FirDesign d;  // band-pass 1 to 2 kHz, 50 dB: the dialog's defaults at the largest order
  d.order = 300;
  d.fsKHz = kRate * 0.001;
  return DesignFir(d);
}

void BM_ApplyFilter301_BothChannels(benchmark::State& state) {
  const std::vector<double> taps = Taps301();
  CWave wave;
  for (auto _ : state) {
    state.PauseTiming();
    wave.CopyFrom(Source());
    state.ResumeTiming();
    ApplyFilter(wave, taps, kChannelLeft);
    ApplyFilter(wave, taps, kChannelRight);
    benchmark::DoNotOptimize(wave.GetData());
  }
  state.counters["frames"] = kTenMinutes;
}
BENCHMARK(BM_ApplyFilter301_BothChannels)->Unit(benchmark::kMillisecond)->Iterations(1);

// The direct form as written: one sum after the other over a shifting delay line.
void BM_PlainLoop301_OneMinuteOneChannel(benchmark::State& state) {
  const std::vector<double> taps = Taps301();
  const uint32_t frames = 60 * kRate;
  std::vector<double> delay(taps.size());
  for (auto _ : state) {
    std::fill(delay.begin(), delay.end(), 0.0);
    long sum = 0;
    for (uint32_t i = 0; i < frames; ++i) {
      std::memmove(delay.data() + 1, delay.data(), (delay.size() - 1) * sizeof(double));
      delay[0] = Source().GetSample(i, kChannelLeft);
      double y = 0;
      for (size_t k = 0; k < taps.size(); ++k) y += taps[k] * delay[k];
      sum += static_cast<long>(y);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_PlainLoop301_OneMinuteOneChannel)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ConvertFormat_Spline48000(benchmark::State& state) {
  UseTempFiles = state.range(0) != 0;
  CWave wave;
  for (auto _ : state) {
    state.PauseTiming();
    wave.CopyFrom(Source());
    state.ResumeTiming();
    if (!wave.ConvertFormat(48000, 16, 2, false)) state.SkipWithError("conversion failed");
    benchmark::DoNotOptimize(wave.GetData());
  }
}
// Argument 1: streamed through the temporary file, as the program does; 0: in memory.
BENCHMARK(BM_ConvertFormat_Spline48000)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Soxr_HQ48000(benchmark::State& state) {
  const CWave& source = Source();
  const auto* in = reinterpret_cast<const int16_t*>(source.GetData());
  const size_t inFrames = source.FrameCount();
  const size_t block = 8192;
  std::vector<int16_t> out(2 * (inFrames * 48000 / kRate + 2 * block));
  for (auto _ : state) {
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    soxr_t resampler = soxr_create(kRate, 48000, 2, &error, &io, &quality, nullptr);
    size_t produced = 0;
    for (size_t at = 0; at <= inFrames; at += block) {
      const bool last = at >= inFrames;
      size_t used = 0, done = 0;
      const size_t n = last ? 0 : std::min(block, inFrames - at);
      soxr_process(resampler, last ? nullptr : in + 2 * at, n, &used, out.data() + 2 * produced,
                   out.size() / 2 - produced, &done);
      produced += done;
      if (last) {
        // Drain what the filter still holds.
        do {
          soxr_process(resampler, nullptr, 0, nullptr, out.data() + 2 * produced, out.size() / 2 - produced, &done);
          produced += done;
        } while (done > 0);
      }
    }
    soxr_delete(resampler);
    benchmark::DoNotOptimize(produced);
    state.counters["frames_out"] = static_cast<double>(produced);
  }
}
BENCHMARK(BM_Soxr_HQ48000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
