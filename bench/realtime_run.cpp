// The real-time analysis run under load: a stereo 44.1 kHz recording analysed with N = 65536,
// overlap index 3, by the L, R and mono spectrum boxes and 3D boxes, driven tick by tick as
// the view's timer drives it, on the simulated device (the clock advances 50 ms per tick).
// Prints the CPU time per timer tick and the share of one core that it takes.
//   realtime_run [seconds=20] [block=65536] [overlap=3]
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "core/doc/run_timer_loop.h"
#include "core/doc/wav_doc.h"
#include "core/graph/box.h"
#include "core/realtime/simulated_audio.h"
#include "core/realtime/wave_wnd.h"
#include "core/graph/page_drawing.h"
#include "render/page_render.h"
#include "render/qt_device_context.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Draws as the view does: every box but the information box redraws what changed, on the
// screen image of the page.
class Host : public RunTimerLoop::Host {
 public:
  Host(CWavDoc& doc, QImage& screen) : doc_(doc), screen_(screen) {}
  void RedrawBoxes() override {
    ++redraws;
    QPainter painter(&screen_);
    const Size page = doc_.GetDocSize();
    QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, DeviceMapping::ForPage(page.cx, page.cy, 96, 96));
    SelectDocumentFont(dc, doc_.GetDocumentFont());
    for (int slot = 0; slot < 12; ++slot) {
      if (CBox* box = doc_.GetBox(slot)) box->Redraw(dc, nullptr);
    }
  }
  void InvalidateAll() override {}
  void RefreshPanel() override {}
  void SetTimer(int ms) override { intervalMs = ms; }
  void KillTimer() override {}
  int redraws = 0;
  int intervalMs = 100;

 private:
  CWavDoc& doc_;
  QImage& screen_;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
  const uint32_t block = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 65536;
  const int overlap = argc > 3 ? std::atoi(argv[3]) : 3;
  const uint32_t rate = 44100;

  CWave source;  // what the microphone hears: 1 kHz left, a sweep right
  source.SetFormat(rate, 16, 2);
  source.Allocate(rate * 10);
  for (uint32_t i = 0; i < rate * 10; ++i) {
    double t = double(i) / rate;
    source.SetSample(i, static_cast<int>(12000 * std::sin(2 * std::numbers::pi * 1000 * t)), kChannelLeft);
    source.SetSample(i, static_cast<int>(9000 * std::sin(2 * std::numbers::pi * (100 + 400 * t) * t)), kChannelRight);
  }
  SimulatedAudio sim;
  sim.SetSource(SimulatedAudio::Source::kWave, &source);
  CWaveWnd wnd(sim);
  CWavDoc doc(nullptr, &wnd);
  doc.OnNewDocument();
  AnalysisSettings& s = doc.Settings();
  s.blockSize = block;
  s.averagingCount = 4;
  s.fftFlags = kFftWindow;
  s.overlapIndex = overlap;
  s.realTimeMode = 1;
  s.recordingRateHz = rate;
  s.recordingBits = 16;
  s.recordingChannels = 2;
  s.recordingFrames = static_cast<uint32_t>(seconds * rate) + rate;
  for (int type : {kBoxWaveLeft, kBoxWaveRight, kBoxFftLeft, kBoxFftRight, kBoxFftMono, kBoxFft3dLeft,
                   kBoxFft3dRight, kBoxFft3dMono})
    doc.SetBox(type);

  QImage screen = RenderPageImage(doc, 96);  // the page as first painted
  Host host(doc, screen);
  RunTimerLoop loop(doc, host);
  if (!loop.Start()) {
    std::fprintf(stderr, "the run did not start\n");
    return 1;
  }
  std::vector<double> ticks;
  double elapsedMs = 0;
  while (elapsedMs < seconds * 1000 && doc.RunPhase() != kRunIdle) {
    sim.AdvanceMs(static_cast<uint32_t>(host.intervalMs));
    elapsedMs += host.intervalMs;
    const double t0 = CpuSeconds();
    loop.OnTimer();
    ticks.push_back((CpuSeconds() - t0) * 1000.0);
  }
  loop.Stop();
  std::vector<double> sorted = ticks;
  std::sort(sorted.begin(), sorted.end());
  double total = 0;
  for (double t : ticks) total += t;
  const double mean = total / ticks.size();
  const uint32_t step = block - block * overlap * 25 / 100;
  std::printf("block %u, overlap index %d: %.1f blocks per second to analyse\n", block, overlap, double(rate) / step);
  std::printf("ticks: %zu over %.1f s of recording; redraws: %d\n", ticks.size(), elapsedMs / 1000, host.redraws);
  std::printf("cpu per tick: mean %.2f ms, median %.2f ms, 95th %.2f ms, max %.2f ms\n", mean,
              sorted[sorted.size() / 2], sorted[sorted.size() * 95 / 100], sorted.back());
  std::printf("share of one core: %.1f %% (analysis and drawing of every block)\n", 100.0 * total / elapsedMs);
  const double expected = (elapsedMs / 1000 * rate - block - rate / 10.0) / step + 1;
  std::printf("blocks analysed: %d of about %.0f the recording holds (none skipped when equal)\n",
              host.redraws, expected);
  const double behind = double(doc.Wave().FrameCount()) / rate;
  std::printf("recorded %.2f s; the analysis position ended %.0f frames behind the device\n", behind,
              double(doc.Settings().fftRangeEnd) - doc.Settings().currentPosition);
  return 0;
}
