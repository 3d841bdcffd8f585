// The editing operations over a whole 1-hour wave (44.1 kHz, 16 bits, stereo: 635 MB)
// against a plain memcpy of the same bytes, side by side in one run. Each operation works
// in place on both channels; the figure to watch is its time divided by memcpy's.
//   wave_edit_bench [--benchmark_filter=...] [--benchmark_repetitions=3]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "core/wave/wave.h"

namespace {

constexpr uint32_t kRateHz = 44100;
constexpr uint32_t kFrames = kRateHz * 3600;

// A wave of noise at about a quarter of full scale, so that level changes seldom clip.
std::unique_ptr<CWave> MakeWave(uint32_t seed) {
  auto w = std::make_unique<CWave>();
  w->SetFormat(kRateHz, 16, 2);
  if (!w->AllocateForOverwrite(kFrames)) std::abort();
  std::minstd_rand gen(seed);
  int16_t table[4096];
  for (int16_t& v : table) v = static_cast<int16_t>(static_cast<int>(gen() % 16384) - 8192);
  uint8_t* p = w->GetData(0);
  for (size_t done = 0; done < w->DataSize();) {
    const size_t n = std::min(sizeof table, w->DataSize() - done);
    std::memcpy(p + done, table, n);
    done += n;
  }
  return w;
}

CWave& Destination() {
  static std::unique_ptr<CWave> w = MakeWave(1);
  return *w;
}

CWave& Source() {
  static std::unique_ptr<CWave> w = MakeWave(2);
  return *w;
}

void Report(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * Destination().DataSize());
}

void Memcpy(benchmark::State& state) {
  CWave& w = Destination();
  // Touched once first, so that no page faults are timed.
  static uint8_t* copy = static_cast<uint8_t*>(std::calloc(w.DataSize(), 1));
  std::memcpy(copy, w.GetData(0), w.DataSize());
  for (auto _ : state) {
    std::memcpy(copy, w.GetData(0), w.DataSize());
    benchmark::ClobberMemory();
  }
  Report(state);
}

void ChangeLevel(benchmark::State& state) {
  CWave& w = Destination();
  // Alternately down and up, so that the samples stay where they were.
  int step = 0;
  for (auto _ : state) w.ChangeLevel(0, kFrames - 1, step++ % 2 ? 200 : 50, false, kChannelBoth);
  Report(state);
}

// A fade in over the whole wave: the gain takes 101 steps. Repeated fades leave quieter
// samples, which costs the same.
void Fade(benchmark::State& state) {
  CWave& w = Destination();
  for (auto _ : state) w.Fade(0, kFrames - 1, 0, 100, kChannelBoth);
  Report(state);
}

void Reverse(benchmark::State& state) {
  CWave& w = Destination();
  for (auto _ : state) w.Reverse(0, kFrames - 1, kChannelBoth);
  Report(state);
}

void Mix(benchmark::State& state) {
  CWave& w = Destination();
  CWave& source = Source();
  for (auto _ : state) w.Mix(source, 0, kFrames - 1, 0, kFrames - 1, true, true, kChannelBoth, kChannelBoth);
  Report(state);
}

}  // namespace

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ChangeLevel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Fade)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Reverse)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Mix)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
