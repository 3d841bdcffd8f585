// CFFT::Calc against FFTW's real-input transform with the same Hann window and the same
// magnitude (2|X_k|/N into floats) on the same block, at N = 1024, 4096 and 65536 (window
// on, averaging 4). Also the transform alone (FftPlan) and the plain radix-2 algorithm the
// engine's results are defined by, for orientation. scripts/bench-fft prints the ratios.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <vector>

#include "core/dsp/fft.h"
#include "core/dsp/fft_plan.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

namespace {

// A 16-bit stereo wave of two blocks of noise-like content.
void MakeWave(CWave& wave, uint32_t frames) {
  wave.SetFormat(44100, 16, 2);
  wave.Allocate(frames);
  uint32_t x = 12345;
  for (uint32_t i = 0; i < frames; ++i) {
    x = x * 1103515245u + 12345u;
    wave.SetSample(i, static_cast<int>((x >> 8) & 0xFFFF) - 32768, kChannelLeft);
    wave.SetSample(i, static_cast<int>(12000 * std::sin(i * 0.05)), kChannelRight);
  }
}

void BM_CFFT_Calc(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  CWave wave;
  MakeWave(wave, static_cast<uint32_t>(2 * n));
  CFFT fft;
  fft.Init(n, 4, kChannelBoth);
  uint32_t position = 0;
  for (auto _ : state) {
    fft.Calc(&wave, position, kFftWindow);
    position = (position + static_cast<uint32_t>(n) / 4) % static_cast<uint32_t>(n);
    benchmark::DoNotOptimize(fft.GetSpectrum()[1]);
  }
}

void BM_FFTW_R2C_Window_Magnitude(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  CWave wave;
  MakeWave(wave, static_cast<uint32_t>(2 * n));
  std::vector<double> block(static_cast<size_t>(n)), window(static_cast<size_t>(n));
  wave.GetValues(0, static_cast<uint32_t>(n), kChannelBoth, block.data());
  for (int i = 0; i < n; ++i) window[static_cast<size_t>(i)] = (1.0 - std::cos(2.0 * M_PI * i / n)) * 0.5;
  double* in = fftw_alloc_real(static_cast<size_t>(n));
  fftw_complex* out = fftw_alloc_complex(static_cast<size_t>(n / 2 + 1));
  fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
  std::vector<float> spectrum(static_cast<size_t>(n / 2));
  const double scale = 2.0 / n;
  for (auto _ : state) {
    for (int i = 0; i < n; ++i) in[i] = block[static_cast<size_t>(i)] * window[static_cast<size_t>(i)];
    fftw_execute(plan);
    for (int k = 0; k < n / 2; ++k) {
      spectrum[static_cast<size_t>(k)] =
          static_cast<float>(scale * std::sqrt(out[k][0] * out[k][0] + out[k][1] * out[k][1]));
    }
    benchmark::DoNotOptimize(spectrum[1]);
  }
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
}

void BM_FftPlan_Magnitudes(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  CFFT fft;
  fft.Init(static_cast<int32_t>(n), 1, kChannelBoth);
  FftPlan plan;
  plan.Build(n, fft.CosineTable(), fft.SineTable());
  std::vector<double> x(n), magnitudes(n / 2);
  for (uint32_t i = 0; i < n; ++i) x[i] = std::sin(i * 0.37) * 5000.0;
  for (auto _ : state) {
    plan.Magnitudes(x.data(), false, magnitudes.data());
    benchmark::DoNotOptimize(magnitudes[1]);
  }
}

// The plain algorithm: butterflies over spans N/2 .. 1, division by N, bit reversal,
// magnitudes.
void BM_PlainRadix2(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  CFFT fft;
  fft.Init(static_cast<int32_t>(n), 1, kChannelBoth);
  const double* c = fft.CosineTable();
  const double* s = fft.SineTable();
  std::vector<double> x(n), re(n), im(n);
  std::vector<float> spectrum(n / 2);
  for (uint32_t i = 0; i < n; ++i) x[i] = std::sin(i * 0.37) * 5000.0;
  for (auto _ : state) {
    re = x;
    std::fill(im.begin(), im.end(), 0.0);
    for (uint32_t a = n / 2; a >= 1; a /= 2) {
      uint32_t b = 0;
      for (uint32_t g = 0; g < n; g += 2 * a) {
        for (uint32_t k = g; k < g + a; ++k) {
          double tr = c[b] * re[k + a] - s[b] * im[k + a];
          double ti = c[b] * im[k + a] + s[b] * re[k + a];
          re[k + a] = re[k] - tr;
          im[k + a] = im[k] - ti;
          re[k] += tr;
          im[k] += ti;
        }
        uint32_t e = n / 4;
        while (e > 0 && b >= e) {
          b -= e;
          e /= 2;
        }
        b += e;
      }
    }
    for (uint32_t i = 0; i < n; ++i) {
      re[i] /= n;
      im[i] /= n;
    }
    uint32_t j = 0;
    for (uint32_t i = 0; i + 1 < n; ++i) {
      if (i <= j) {
        std::swap(re[i], re[j]);
        std::swap(im[i], im[j]);
      }
      uint32_t m = n / 2;
      while (m >= 1 && m <= j) {
        j -= m;
        m /= 2;
      }
      j += m;
    }
    for (uint32_t k = 0; k < n / 2; ++k) spectrum[k] = static_cast<float>(2.0 * std::sqrt(re[k] * re[k] + im[k] * im[k]));
    benchmark::DoNotOptimize(spectrum[1]);
  }
}

}  // namespace

BENCHMARK(BM_CFFT_Calc)->Arg(1024)->Arg(4096)->Arg(65536);
BENCHMARK(BM_FFTW_R2C_Window_Magnitude)->Arg(1024)->Arg(4096)->Arg(65536);
BENCHMARK(BM_FftPlan_Magnitudes)->Arg(1024)->Arg(4096)->Arg(65536);
BENCHMARK(BM_PlainRadix2)->Arg(1024)->Arg(4096)->Arg(65536);
BENCHMARK_MAIN();
