// The document's analysis run on the simulated sound device. Waves run at 1000 frames per
// second, so that a millisecond of the device clock is one frame.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/doc/run_timer_loop.h"
#include "core/doc/wav_doc.h"
#include "core/realtime/simulated_audio.h"
#include "core/realtime/wave_wnd.h"
#include "support/recording_prompt.h"

namespace {

constexpr uint32_t kRate = 1000;

void Ramp(CWave& w, uint32_t frames, uint32_t rate = kRate) {
  w.SetFormat(rate, 16, 1);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(i % 30000), kChannelLeft);
}

class FakeHost : public RunTimerLoop::Host {
 public:
  void RedrawBoxes() override { ++redraws; }
  void InvalidateAll() override { ++invalidations; }
  void RefreshPanel() override { ++refreshes; }
  void SetTimer(int ms) override {
    running = true;
    intervals.push_back(ms);
  }
  void KillTimer() override { running = false; }

  int redraws = 0, invalidations = 0, refreshes = 0;
  bool running = false;
  std::vector<int> intervals;
};

class AnalysisRun : public ::testing::Test {
 protected:
  // A stepping run over the FFT range: the number of blocks analysed until it ends.
  int BlocksOfSteppingRun() {
    if (!doc.StartRun()) return 0;
    int blocks = 1;
    while (doc.StepRun()) ++blocks;
    doc.StopRun();
    return blocks;
  }

  void SetUpRecording(uint32_t frames, bool continuous) {
    AnalysisSettings& s = doc.Settings();
    s.realTimeMode = 1;
    s.recordingRateHz = kRate;
    s.recordingBits = 16;
    s.recordingChannels = 1;
    s.recordingFrames = frames;
    s.continuousRecording = continuous ? 1 : 0;
  }

  RecordingPrompt prompt;
  SimulatedAudio sim;
  CWaveWnd wnd{sim};
  CWavDoc doc{nullptr, &wnd};
};

}  // namespace

TEST_F(AnalysisRun, SteppingOverKBlocksAnalysesKBlocksTheLastEndingAtTheRangeEnd) {
  Ramp(doc.Wave(), 10000);
  doc.Settings().fftRangeStart = 0;
  doc.Settings().fftRangeEnd = 4096;
  EXPECT_EQ(BlocksOfSteppingRun(), 4);
  EXPECT_EQ(doc.RunPhase(), kRunIdle);

  doc.Settings().fftRangeEnd = 4000;  // not a whole number of blocks: the last moves back
  ASSERT_TRUE(doc.StartRun());
  EXPECT_TRUE(doc.StepRun());
  EXPECT_TRUE(doc.StepRun());
  EXPECT_TRUE(doc.StepRun());
  EXPECT_EQ(doc.Settings().currentPosition, 4000u);
  EXPECT_FALSE(doc.StepRun());
}

TEST_F(AnalysisRun, OverlapSetsTheStepAdvance) {
  Ramp(doc.Wave(), 10000);
  doc.Settings().fftRangeEnd = 10000;
  const uint32_t steps[] = {1024, 768, 512, 256};
  for (int k = 0; k < 4; ++k) {
    doc.Settings().overlapIndex = k;
    ASSERT_TRUE(doc.StartRun());
    EXPECT_EQ(doc.Settings().currentPosition, steps[k]) << k;
    EXPECT_EQ(doc.StepSize(), static_cast<int32_t>(steps[k]));
    doc.StepRun();
    EXPECT_EQ(doc.Settings().currentPosition, 2 * steps[k]) << k;
    doc.StopRun();
  }
}

TEST_F(AnalysisRun, ARangeShorterThanABlockNeverStartsBeforeFrameZero) {
  Ramp(doc.Wave(), 600);
  doc.Settings().fftRangeEnd = 600;
  ASSERT_TRUE(doc.StartRun());  // the first block reads past the end: the last frame repeats
  EXPECT_FALSE(doc.StepRun());
  EXPECT_EQ(doc.Settings().currentPosition, 1024u);
}

TEST_F(AnalysisRun, RisingTriggerAtZeroWithDelay) {
  CWave& w = doc.Wave();
  w.SetFormat(kRate, 16, 1);
  ASSERT_TRUE(w.Allocate(20000));
  for (uint32_t i = 0; i < 20000; ++i) {
    w.SetSample(i, static_cast<int>(std::lround(10000 * std::sin(2 * std::numbers::pi * (i + 10) / 100.0))), kChannelLeft);
  }
  // The first sample above 0 after one below it.
  uint32_t expected = 0;
  bool below = false;
  for (uint32_t i = 0; i < 20000; ++i) {
    double v = w.GetValue(i, kChannelLeft);
    if (v < 0) below = true;
    if (below && v > 0) {
      expected = i;
      break;
    }
  }
  AnalysisSettings& s = doc.Settings();
  s.fftRangeEnd = 20000;
  s.triggerOn = 1;
  s.triggerChannel = 1;
  s.triggerLevel = 0;
  s.triggerDelayFrames = 10;
  ASSERT_TRUE(doc.StartRun());
  EXPECT_EQ(s.triggerHitFrame, static_cast<int32_t>(expected));
  // The block started 10 frames before the trigger point; the next search starts one step
  // advance after the trigger point.
  EXPECT_EQ(s.currentPosition, expected + 1024);
  doc.StopRun();

  // A trigger point within the first (delay) frames puts the block at frame 0.
  s.triggerDelayFrames = 500;
  ASSERT_TRUE(doc.StartRun());
  EXPECT_EQ(s.triggerHitFrame, static_cast<int32_t>(expected));
  EXPECT_EQ(s.currentPosition, 1024u + 500u);
  doc.StopRun();
}

TEST_F(AnalysisRun, ATriggerThatNeverFiresEndsTheSteppingRunAtTheFirstTick) {
  CWave& w = doc.Wave();
  w.SetFormat(kRate, 16, 1);
  ASSERT_TRUE(w.Allocate(5000));  // silence never goes below the level
  doc.Settings().fftRangeEnd = 5000;
  doc.Settings().triggerOn = 1;
  FakeHost host;
  RunTimerLoop loop(doc, host);
  EXPECT_FALSE(loop.Start());
  EXPECT_EQ(doc.RunPhase(), kRunStepping);
  loop.OnTimer();
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_FALSE(host.running);
  EXPECT_EQ(host.redraws, 0);
}

TEST_F(AnalysisRun, TimerSwitchesTo50MsAtEveryEighthTickOfTheProcess) {
  Ramp(doc.Wave(), 100000);
  doc.Settings().fftRangeEnd = 100000;
  RunTimerLoop::ResetTickCounterForTests(0);
  FakeHost host;
  RunTimerLoop loop(doc, host);
  ASSERT_TRUE(loop.Start());
  for (int i = 0; i < 7; ++i) loop.OnTimer();
  EXPECT_EQ(host.intervals, std::vector<int>{100});
  loop.OnTimer();
  EXPECT_EQ(host.intervals, (std::vector<int>{100, 50}));
  EXPECT_EQ(host.redraws, 8);
  const int refreshes = host.refreshes;
  loop.Stop();
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_TRUE(host.running);  // the next tick ends the timer and refreshes the panel
  loop.OnTimer();
  EXPECT_FALSE(host.running);
  EXPECT_EQ(host.refreshes, refreshes + 1);
  // A later run switches at the next multiple of 8 of the same counter.
  host.intervals.clear();
  ASSERT_TRUE(loop.Start());
  for (int i = 0; i < 8; ++i) loop.OnTimer();
  EXPECT_EQ(host.intervals, (std::vector<int>{100, 50}));
  EXPECT_EQ(RunTimerLoop::TickCounter(), 16);
}

TEST_F(AnalysisRun, RecordingIntoTheRangeOfTheExistingBuffer) {
  CWave source;
  Ramp(source, 30000);
  sim.SetSource(SimulatedAudio::Source::kWave, &source);
  CWave& w = doc.Wave();
  w.SetFormat(kRate, 16, 1);
  ASSERT_TRUE(w.Allocate(3000));
  for (uint32_t i = 0; i < 3000; ++i) w.SetSample(i, -7, kChannelLeft);
  SetUpRecording(3000, false);
  doc.Settings().fftRangeStart = 1000;
  doc.Settings().fftRangeEnd = 2000;
  ASSERT_TRUE(doc.StartRun());
  EXPECT_FALSE(doc.NewBuffer());
  EXPECT_EQ(doc.RunPhase(), kRunRecording);
  sim.AdvanceFrames(400);
  doc.StepRun();
  EXPECT_EQ(doc.StatusText(), "1400");
  doc.StopRun();
  EXPECT_EQ(w.FrameCount(), 3000u);
  EXPECT_EQ(w.GetSample(999, kChannelLeft), -7);
  EXPECT_EQ(w.GetSample(1000, kChannelLeft), 0);  // the source's first frame
  EXPECT_EQ(w.GetSample(1399, kChannelLeft), 399);
  EXPECT_EQ(w.GetSample(1400, kChannelLeft), -7);
  EXPECT_EQ(doc.Settings().fftRangeEnd, 1300u);  // read 100 ms behind while still busy
}

TEST_F(AnalysisRun, RecordingIntoANewBufferKeepsExactlyTheRecordedFrames) {
  CWave source;
  Ramp(source, 30000);
  sim.SetSource(SimulatedAudio::Source::kWave, &source);
  SetUpRecording(5000, false);
  ASSERT_TRUE(doc.StartRun());
  EXPECT_TRUE(doc.NewBuffer());
  EXPECT_EQ(doc.Wave().FrameCount(), 5000u);
  sim.AdvanceFrames(1234);
  doc.StopRun();
  EXPECT_EQ(doc.Wave().FrameCount(), 1134u);
  EXPECT_EQ(doc.Wave().GetSample(1133, kChannelLeft), 1133);
  EXPECT_EQ(doc.Settings().fftRangeEnd, 1134u);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(AnalysisRun, ContinuousRecordingKeepsTheLastRecordingLengthInTimeOrder) {
  CWave source;
  Ramp(source, 30000);
  sim.SetSource(SimulatedAudio::Source::kWave, &source);
  SetUpRecording(2000, true);
  ASSERT_TRUE(doc.StartRun());
  EXPECT_EQ(doc.Wave().FrameCount(), 3000u);  // one extra second
  sim.AdvanceFrames(7000);
  EXPECT_TRUE(doc.Wave().IsWrapped());
  doc.StopRun();
  const CWave& w = doc.Wave();
  ASSERT_EQ(w.FrameCount(), 2000u);
  // Stopped at 7000 - 100: the frames before it, oldest first.
  EXPECT_EQ(w.GetSample(1999, kChannelLeft), 6899);
  for (uint32_t i = 1; i < 2000; ++i) ASSERT_EQ(w.GetSample(i, kChannelLeft), w.GetSample(i - 1, kChannelLeft) + 1) << i;
}

TEST_F(AnalysisRun, PlaybackIsFollowedAndALagBeyondTheLimitIsSkipped) {
  Ramp(doc.Wave(), 10000);
  AnalysisSettings& s = doc.Settings();
  s.blockSize = 256;
  s.realTimeMode = 2;
  s.fftRangeStart = 0;
  s.fftRangeEnd = 10000;
  ASSERT_TRUE(doc.StartRun());
  EXPECT_EQ(doc.RunPhase(), kRunPlayback);
  sim.AdvanceFrames(600);
  EXPECT_TRUE(doc.StepRun());
  EXPECT_EQ(s.currentPosition, 512u);  // two blocks per step at most
  sim.AdvanceFrames(3000);             // 3600 played: 3088 behind, more than 800
  EXPECT_TRUE(doc.StepRun());
  EXPECT_EQ(s.currentPosition, 3600u - 800u + 512u);
  sim.AdvanceFrames(7000);  // the device finishes
  FakeHost host;
  RunTimerLoop loop(doc, host);
  loop.OnTimer();
  loop.OnTimer();
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_EQ(s.realTimeMode, 0);
  EXPECT_EQ(s.fftRangeEnd, 10000u);
}

TEST_F(AnalysisRun, ADeviceThatCannotOpenIsReportedAndTheRunStaysIdle) {
  Ramp(doc.Wave(), 3000);
  doc.Settings().realTimeMode = 2;
  doc.Settings().fftRangeEnd = 3000;
  sim.RefuseOpen(WaveDevice::kOutput, true);
  EXPECT_FALSE(doc.StartRun());
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_EQ(doc.Settings().realTimeMode, 0);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text.rfind("サウンドデバイスを開けません。", 0), 0u) << prompt.boxes[0].text;

  CWavDoc noDevice;  // no sound device at all
  Ramp(noDevice.Wave(), 3000);
  noDevice.Settings().realTimeMode = 1;
  noDevice.Settings().recordingRateHz = kRate;
  EXPECT_FALSE(noDevice.StartRun());
  EXPECT_EQ(prompt.boxes.size(), 2u);
}

TEST_F(AnalysisRun, ADeviceThatGoesAwayEndsTheRunKeepingWhatWasRecorded) {
  CWave source;
  Ramp(source, 30000);
  sim.SetSource(SimulatedAudio::Source::kWave, &source);
  SetUpRecording(5000, false);
  FakeHost host;
  RunTimerLoop loop(doc, host);
  ASSERT_TRUE(loop.Start());
  sim.AdvanceFrames(1500);
  loop.OnTimer();
  sim.Disappear();
  loop.OnTimer();
  loop.OnTimer();
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_FALSE(host.running);
  EXPECT_GE(doc.Wave().FrameCount(), 1400u);
  EXPECT_EQ(doc.Wave().GetSample(1399, kChannelLeft), 1399);
  ASSERT_FALSE(prompt.boxes.empty());
  EXPECT_NE(prompt.boxes.back().text.find("サウンドデバイスが使えなくなりました"), std::string::npos);
}

TEST_F(AnalysisRun, AFailedRecordingStartKeepsTheUsersWaveAndItsRange) {
  // A stereo wave, a mono recording format (a new buffer is needed) and a refusing device.
  CWave& w = doc.Wave();
  w.SetFormat(kRate, 16, 2);
  ASSERT_TRUE(w.Allocate(4000));
  for (uint32_t i = 0; i < 4000; ++i) w.SetSample(i, static_cast<int>(i), kChannelBoth);
  doc.CreateDefaultBoxes();
  doc.Settings().fftRangeStart = 100;
  doc.Settings().fftRangeEnd = 3000;
  SetUpRecording(2000, false);
  sim.RefuseOpen(WaveDevice::kInput, true);
  EXPECT_FALSE(doc.StartRun());
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_FALSE(doc.NewBuffer());
  EXPECT_FALSE(doc.IsModified());
  ASSERT_EQ(w.Channels(), 2);
  ASSERT_EQ(w.FrameCount(), 4000u);
  EXPECT_EQ(w.GetSample(3999, kChannelRight), 3999);
  EXPECT_EQ(doc.Settings().fftRangeStart, 100u);
  EXPECT_EQ(doc.Settings().fftRangeEnd, 3000u);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text.rfind("サウンドデバイスを開けません。", 0), 0u) << prompt.boxes[0].text;
  // The boxes still show the stereo wave.
  EXPECT_EQ(doc.GetBox(kBoxWaveRight)->Wave()->Channels(), 2);
}

TEST_F(AnalysisRun, EachCauseOfAFailedStartHasItsOwnMessage) {
  struct Case {
    const char* what;
    int mode;
    uint32_t waveFrames;
    uint32_t recordingFrames;
    uint32_t rangeStart;
    const char* message;
  };
  const Case cases[] = {
      {"a recording length of 0", 1, 3000, 0, 0, "録音時間が0です。"},
      {"a buffer that cannot be had", 1, 3000, 0xFFFFFFFFu, 0, "録音用のメモリを確保できません。"},
      {"a range starting beyond the wave", 2, 3000, 3000, 3000, "FFT対象範囲の開始位置がウェーブデータの外にあります。"},
      {"nothing to play", 2, 0, 3000, 0, "再生するウェーブデータがありません。"},
  };
  for (const Case& c : cases) {
    RecordingPrompt messages;
    SimulatedAudio device;
    CWaveWnd window{device};
    CWavDoc d{nullptr, &window};
    if (c.waveFrames) Ramp(d.Wave(), c.waveFrames);
    AnalysisSettings& s = d.Settings();
    s.realTimeMode = c.mode;
    s.recordingRateHz = kRate;
    s.recordingBits = 16;
    s.recordingChannels = 2;  // differs from the wave: a new buffer
    s.recordingFrames = c.recordingFrames;
    s.fftRangeStart = c.rangeStart;
    s.fftRangeEnd = c.waveFrames;
    EXPECT_FALSE(d.StartRun()) << c.what;
    ASSERT_EQ(messages.boxes.size(), 1u) << c.what;
    EXPECT_EQ(messages.boxes[0].text.rfind(c.message, 0), 0u) << c.what << ": " << messages.boxes[0].text;
    EXPECT_EQ(device.OpenCount(WaveDevice::kInput) + device.OpenCount(WaveDevice::kOutput), 0) << c.what;
    EXPECT_EQ(d.Wave().FrameCount(), c.waveFrames) << c.what;
    EXPECT_EQ(s.realTimeMode, 0) << c.what;
  }
}
