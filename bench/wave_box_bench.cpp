// Drawing a wave box costs the same for a long wave as for a short one: every device
// column reads a bounded sparse sample of its frames. Compares a 10-second and a 1-hour
// stereo wave (44.1 kHz, 16 bits), drawn whole on a 96 dpi image and on the recording
// device context (no pixels, the box's own work alone).
//   wave_box_bench [--benchmark_filter=...]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include "core/graph/recording_dc.h"
#include "core/graph/wave_box.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"
#include "render/qt_device_context.h"

namespace {

// A 1 kHz tone on the left and a slower one on the right, written straight into the block.
CWave& WaveOfSeconds(int seconds) {
  static std::map<int, std::unique_ptr<CWave>> waves;
  auto& wave = waves[seconds];
  if (!wave) {
    wave = std::make_unique<CWave>();
    wave->SetFormat(44100, 16, 2);
    const uint32_t frames = static_cast<uint32_t>(seconds) * 44100u;
    if (!wave->AllocateForOverwrite(frames)) std::abort();
    int16_t table[441 * 2];
    for (int i = 0; i < 441; ++i) {
      table[2 * i] = static_cast<int16_t>(16000 * std::sin(2 * M_PI * 100 * i / 441.0));
      table[2 * i + 1] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 3 * i / 441.0));
    }
    uint8_t* data = wave->GetData(0);
    for (uint32_t f = 0; f < frames; f += 441) {
      uint32_t n = std::min<uint32_t>(441, frames - f);
      std::memcpy(data + size_t{f} * 4, table, size_t{n} * 4);
    }
  }
  return *wave;
}

struct Setup {
  AnalysisContext context;
  CWaveBox box;
  explicit Setup(CWave& wave) {
    context.record.fftRangeEnd = wave.FrameCount();
    box.SetSource(&wave, &context, kChannelLeft);
    const Rect r{0, -647, 1200, -247};
    const Rect plot{120, -557, 1145, -317};
    box.SetRect(r, &plot);
    box.SetDefaultRanges();
  }
};

void DrawOnImage(benchmark::State& state) {
  Setup s(WaveOfSeconds(static_cast<int>(state.range(0))));
  QImage image(453, 680, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, DeviceMapping::ForPage(1200, 1800, 96, 96));
  for (auto _ : state) {
    s.box.SetValidFlags(0);
    s.box.Draw(dc, nullptr);
  }
  state.counters["points"] = s.box.PointsInUse();
}

void DrawDataRecorded(benchmark::State& state) {
  Setup s(WaveOfSeconds(static_cast<int>(state.range(0))));
  RecordingDC dc;
  for (auto _ : state) {
    dc.Clear();
    s.box.SetValidFlags(0);
    s.box.DrawData(dc, nullptr);
  }
  state.counters["points"] = s.box.PointsInUse();
}

BENCHMARK(DrawOnImage)->Arg(10)->Arg(3600)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawDataRecorded)->Arg(10)->Arg(3600)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
