// The real sound backend against a running sound server whose null sink "nullsink" is the
// default output and whose source "loopin" hears what is played into it
// (scripts/start-sound-server). Without a server the tests say so and skip.
#include "audio/qt_audio_backend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTimer>

#include <cmath>
#include <functional>

#include "core/realtime/wave_wnd.h"
#include "core/wave/wave.h"
#include "support/tone.h"

namespace {

constexpr uint32_t kRate = 44100;

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "gui_audio_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Runs the event loop until done() or the time is up; true when done.
bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  QTimer tick;  // keeps the loop waking even when no device timer runs
  tick.start(5);
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
  return true;
}

bool HasLoopSource() {
  for (const QAudioDevice& d : QMediaDevices::audioInputs()) {
    if (d.id() == "loopin") return true;
  }
  return false;
}

class QtAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    if (!QtAudioBackend::HasOutputDevice()) {
      GTEST_SKIP() << "no sound server reachable: run scripts/start-sound-server and export the "
                      "XDG_RUNTIME_DIR it prints (scripts/test-all does both)";
    }
    if (!HasLoopSource()) {
      GTEST_SKIP() << "the sound server has no source \"loopin\" monitoring the default sink "
                      "(scripts/start-sound-server sets one up)";
    }
    backend = std::make_unique<QtAudioBackend>(QtAudioBackend::Options{{}, "loopin"});
    wnd = std::make_unique<CWaveWnd>(*backend);
  }

  std::unique_ptr<QtAudioBackend> backend;
  std::unique_ptr<CWaveWnd> wnd;
};

TEST_F(QtAudioTest, APlayedSineComesBackThroughTheMonitorAtOneKilohertz) {
  const double amplitude = 16384;  // half of full scale
  CWave sine, heard;
  ASSERT_TRUE(MakeSine(sine, kRate, 2, kRate, 1000.0, amplitude));  // one second
  heard.SetFormat(kRate, 16, 2);
  ASSERT_TRUE(heard.Allocate(kRate * 8 / 5));  // 1.6 s: room for the server's latency
  sine.SetDevice(wnd.get());
  heard.SetDevice(wnd.get());
  ASSERT_TRUE(heard.Record(0, 0)) << wnd->ErrorMessage(WaveDevice::kInput);
  ASSERT_TRUE(sine.Play(0, 0)) << wnd->ErrorMessage(WaveDevice::kOutput);

  uint32_t lastPlayed = 0;
  bool monotonic = true;
  ASSERT_TRUE(RunUntil(
      [&] {
        uint32_t p = sine.GetPlayPosition();
        if (sine.IsBusy() && p < lastPlayed) monotonic = false;
        lastPlayed = p;
        return !sine.IsBusy() && !heard.IsBusy();
      },
      10000));
  EXPECT_TRUE(monotonic);
  // Both blocks ended where they end, and the play position stays readable after the close.
  EXPECT_EQ(sine.LastPlayPosition(), kRate);
  EXPECT_EQ(wnd->OutputPosition(), kRate);
  EXPECT_EQ(heard.LastRecordPosition(), heard.FrameCount());
  EXPECT_EQ(wnd->OpenDevices(), 0);

  std::optional<uint32_t> onset = FindOnset(heard, 1000);
  ASSERT_TRUE(onset.has_value()) << "nothing came back from the monitor";
  // Half a second well inside the tone: 500 cycles of 1 kHz and whole cycles of every 10 Hz
  // step, so that no other frequency scanned leaks into the window.
  const uint32_t first = *onset + kRate / 20, count = kRate / 2;
  ASSERT_LE(first + count, heard.FrameCount());
  SpectrumPeak peak = FindPeak(heard, first, count, 100.0, 5000.0, 10.0);
  EXPECT_EQ(peak.peakHz, 1000.0);
  // The null sink passes the samples through: allow 0.5 dB for the rounding of the tone and
  // a resampling server, and want everything else 40 dB down.
  EXPECT_NEAR(20 * std::log10(peak.peakAmplitude / amplitude), 0.0, 0.5);
  EXPECT_LT(peak.runnerUpAmplitude, peak.peakAmplitude / 100);
}

TEST_F(QtAudioTest, StoppingDuringPlaybackReportsAtLeastThePositionLastSeen) {
  CWave sine;
  ASSERT_TRUE(MakeSine(sine, kRate, 1, kRate * 3, 440.0, 8000));
  sine.SetDevice(wnd.get());
  ASSERT_TRUE(sine.Play(kRate / 2, 0)) << wnd->ErrorMessage(WaveDevice::kOutput);
  uint32_t seen = 0;
  ASSERT_TRUE(RunUntil([&] { return (seen = sine.GetPlayPosition()) > kRate; }, 5000));
  EXPECT_TRUE(sine.Stop());
  EXPECT_FALSE(sine.IsBusy());
  EXPECT_EQ(wnd->OpenDevices(), 0);
  EXPECT_GE(sine.LastPlayPosition(), seen);
  EXPECT_LT(sine.LastPlayPosition(), kRate * 3);
  // Nothing of the stopped playback arrives later.
  uint32_t reported = sine.LastPlayPosition();
  RunUntil([] { return false; }, 200);
  EXPECT_EQ(sine.LastPlayPosition(), reported);
}

TEST_F(QtAudioTest, ARingRecordingWrapsOnOneOpeningUntilStopped) {
  CWave ring;
  ring.SetFormat(kRate, 16, 1);
  ASSERT_TRUE(ring.Allocate(kRate * 3 / 10));  // 0.3 s: two halves of 0.15 s
  ring.SetDevice(wnd.get());
  ASSERT_TRUE(ring.RecordRing()) << wnd->ErrorMessage(WaveDevice::kInput);
  int requeuesSeen = 0;
  uint32_t previousBase0 = wnd->SlotBase(0);
  bool alwaysTwoQueued = true;
  ASSERT_TRUE(RunUntil(
      [&] {
        if (wnd->QueuedInput() != 2) alwaysTwoQueued = false;
        if (wnd->SlotBase(0) != previousBase0) {
          ++requeuesSeen;
          previousBase0 = wnd->SlotBase(0);
        }
        return requeuesSeen >= 3;  // the first half came round three more times
      },
      5000));
  EXPECT_TRUE(alwaysTwoQueued);
  EXPECT_TRUE(ring.IsWrapped());
  EXPECT_TRUE(ring.IsBusy());
  EXPECT_LT(ring.GetRecordPosition(), ring.FrameCount());
  EXPECT_TRUE(ring.Stop());
  EXPECT_FALSE(ring.IsBusy());
  EXPECT_EQ(wnd->OpenDevices(), 0);
  EXPECT_LE(ring.LastRecordPosition(), ring.FrameCount());
}

// Needs no server: an unknown device fails at once, with the reason for the user.
TEST(QtAudio, AnUnknownDeviceFailsAtOnceWithAMessage) {
  EnsureApplication();
  QtAudioBackend backend({"no-such-sink", "no-such-source"});
  CWaveWnd wnd(backend);
  CWave w;
  w.SetFormat(kRate, 16, 2);
  ASSERT_TRUE(w.Allocate(1000));
  w.SetDevice(&wnd);
  EXPECT_FALSE(w.Play(0, 0));
  EXPECT_EQ(wnd.LastError(WaveDevice::kOutput).status, AudioStatus::kNoDevice);
  EXPECT_EQ(wnd.ErrorMessage(WaveDevice::kOutput),
            "サウンドデバイスを開けません。\n再生デバイス「no-such-sink」が見つかりません。");
  EXPECT_FALSE(w.Record(0, 0));
  EXPECT_EQ(wnd.ErrorMessage(WaveDevice::kInput),
            "サウンドデバイスを開けません。\n録音デバイス「no-such-source」が見つかりません。");
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(wnd.OpenDevices(), 0);
}

}  // namespace
