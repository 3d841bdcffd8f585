// The sound-device window on the simulated device. Waves run at 1000 frames per second so
// that a millisecond of the clock is one frame.
#include "core/realtime/wave_wnd.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/realtime/simulated_audio.h"
#include "core/wave/wave.h"

namespace {

constexpr int kIn = WaveDevice::kInput;
constexpr int kOut = WaveDevice::kOutput;

// A 16-bit mono wave whose frame i holds the sample i + offset (a ramp).
void MakeRamp(CWave& w, uint32_t frames, uint32_t rate = 1000, int offset = 0) {
  w.SetFormat(rate, 16, 1);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(i) + offset, kChannelLeft);
}

void MakeSilence(CWave& w, uint32_t frames, uint32_t rate = 1000) {
  w.SetFormat(rate, 16, 1);
  ASSERT_TRUE(w.Allocate(frames));
}

class WaveWndTest : public ::testing::Test {
 protected:
  void SetUp() override { headersBefore = AudioHeader::liveCount; }

  int headersBefore = 0;
  SimulatedAudio sim;
  CWaveWnd wnd{sim};
};

TEST_F(WaveWndTest, SixtyFourBlocksFillEverySlotAndAFreedSlotIsTakenAgain) {
  CWave w;
  MakeRamp(w, 1000);
  w.SetDevice(&wnd);
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(w.Play(static_cast<uint32_t>(i) * 10, 10)) << i;
  EXPECT_EQ(wnd.QueuedOutput(), 64);
  EXPECT_EQ(wnd.SlotBase(63), 630u);
  EXPECT_EQ(AudioHeader::liveCount, headersBefore + 64);

  EXPECT_FALSE(w.Play(900, 10));
  EXPECT_EQ(wnd.LastError(kOut).status, AudioStatus::kRefused);
  EXPECT_EQ(AudioHeader::liveCount, headersBefore + 64);  // the refused header was freed
  EXPECT_EQ(sim.QueuedBlocks(kOut), 64u);                  // and nothing queued was disturbed

  sim.AdvanceFrames(10);  // the first block has played: its slot is free again
  EXPECT_EQ(w.LastPlayPosition(), 10u);
  ASSERT_TRUE(w.Play(900, 10));
  EXPECT_EQ(wnd.SlotStart(0), 900u);
  EXPECT_EQ(wnd.SlotBase(0), 640u);  // a base is the position at which the block begins

  sim.AdvanceFrames(650);
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(w.LastPlayPosition(), 910u);
  EXPECT_EQ(wnd.OpenDevices(), 0);
}

// Every way a request can fail frees its header, leaves the wave idle and closes a device
// that it opened.
TEST_F(WaveWndTest, EveryFailedRequestFreesItsHeaderAndClosesWhatItOpened) {
  struct Case {
    const char* name;
    int direction;
    uint32_t start;
    std::function<void(SimulatedAudio&)> arrange;
    AudioStatus status;
  };
  const Case cases[] = {
      {"start at the end", kOut, 1000, [](SimulatedAudio&) {}, AudioStatus::kRefused},
      {"start beyond the end", kIn, 5000, [](SimulatedAudio&) {}, AudioStatus::kRefused},
      {"prepare refused", kOut, 0, [](SimulatedAudio& s) { s.RefusePrepare(kOut, true); }, AudioStatus::kRefused},
      {"queue refused", kIn, 0, [](SimulatedAudio& s) { s.RefuseQueue(kIn, true); }, AudioStatus::kRefused},
      {"start refused", kIn, 0, [](SimulatedAudio& s) { s.RefuseStart(kIn, true); }, AudioStatus::kRefused},
      {"no device", kOut, 0, [](SimulatedAudio& s) { s.RefuseOpen(kOut, true); }, AudioStatus::kNoDevice},
      {"format refused", kIn, 0,
       [](SimulatedAudio& s) { s.SetFormatFilter([](const WaveFormatRecord& f) { return f.samplesPerSec != 1000; }); },
       AudioStatus::kBadFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedAudio s;
    c.arrange(s);
    CWaveWnd device(s);
    CWave w;
    MakeRamp(w, 1000);
    w.SetDevice(&device);
    bool queued = c.direction == kOut ? w.Play(c.start, 0) : w.Record(c.start, 0);
    EXPECT_FALSE(queued);
    EXPECT_EQ(AudioHeader::liveCount, headersBefore);
    EXPECT_FALSE(w.IsBusy());
    EXPECT_EQ(device.OpenDevices(), 0);
    EXPECT_EQ(device.LastError(c.direction).status, c.status);
    EXPECT_EQ(device.ErrorMessage(c.direction).rfind("サウンドデバイスを開けません。\n", 0), 0u)
        << device.ErrorMessage(c.direction);
  }
}

TEST_F(WaveWndTest, PlayingToTheEndReportsTheEndAndKeepsThePositionReadable) {
  CWave w;
  MakeRamp(w, 1000);
  w.SetDevice(&wnd);
  ASSERT_TRUE(w.Play(250, 0));  // count 0: to the end of the wave
  EXPECT_EQ(wnd.SlotCount(0), 750u);
  sim.AdvanceFrames(749);
  EXPECT_TRUE(w.IsBusy());
  EXPECT_EQ(w.GetPlayPosition(), 999u);
  sim.HoldCompletions(true);
  sim.AdvanceFrames(1);
  EXPECT_TRUE(w.IsBusy());
  EXPECT_EQ(w.GetPlayPosition(), 1000u);  // at the end, its report still on the way
  sim.HoldCompletions(false);
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(w.LastPlayPosition(), 1000u);
  EXPECT_EQ(w.GetPlayPosition(), 1000u);
  EXPECT_EQ(wnd.OpenDevices(), 0);
  // Closed, the device position is the end of the last block of that opening.
  EXPECT_EQ(wnd.OutputPosition(), 750u);
  EXPECT_EQ(wnd.InputPosition(), 0u);
}

TEST_F(WaveWndTest, ACompletionReadAfterTheDeviceMovedOnReportsItsBlockEnd) {
  CWave w;
  MakeRamp(w, 1000);
  w.SetDevice(&wnd);
  ASSERT_TRUE(w.Play(0, 100));
  ASSERT_TRUE(w.Play(500, 100));
  sim.HoldCompletions(true);
  sim.AdvanceFrames(150);  // the first block ended 50 frames ago; its report is late
  EXPECT_EQ(w.GetPlayPosition(), 550u);
  sim.DeliverCompletions();
  EXPECT_EQ(w.LastPlayPosition(), 100u);  // the block end, not where the device is now
  EXPECT_TRUE(w.IsBusy());
  sim.HoldCompletions(false);
  sim.AdvanceFrames(50);
  EXPECT_EQ(w.LastPlayPosition(), 600u);
  EXPECT_EQ(wnd.OpenDevices(), 0);
}

TEST_F(WaveWndTest, StoppingDuringPlaybackReportsThePositionReached) {
  CWave w;
  MakeRamp(w, 1000);
  w.SetDevice(&wnd);
  ASSERT_TRUE(w.Play(200, 500));
  sim.AdvanceFrames(123);
  EXPECT_TRUE(w.Stop());
  // The position was mapped through the block, so it was reported before the release.
  EXPECT_EQ(w.LastPlayPosition(), 323u);
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(wnd.OpenDevices(), 0);
  EXPECT_EQ(sim.PendingCompletions(), 0u);
  EXPECT_EQ(AudioHeader::liveCount, headersBefore);
}

TEST_F(WaveWndTest, AnotherFormatIsRefusedWithoutDisturbingTheBlocksQueued) {
  CWave a, b;
  MakeRamp(a, 1000);
  MakeRamp(b, 1000, 2000);
  a.SetDevice(&wnd);
  b.SetDevice(&wnd);
  ASSERT_TRUE(a.Play(0, 400));
  sim.AdvanceFrames(100);
  EXPECT_FALSE(b.Play(0, 0));
  EXPECT_EQ(wnd.LastError(kOut).status, AudioStatus::kBadFormat);
  EXPECT_EQ(wnd.ErrorMessage(kOut), "サウンドデバイスを開けません。\nデバイスは別のフォーマットで使用中です。");
  EXPECT_FALSE(b.IsBusy());
  EXPECT_EQ(wnd.QueuedOutput(), 1);
  EXPECT_EQ(a.GetPlayPosition(), 100u);
  sim.AdvanceFrames(300);
  EXPECT_EQ(a.LastPlayPosition(), 400u);
  // Once the device is free again, the other format opens it.
  EXPECT_TRUE(b.Play(0, 0));
  EXPECT_EQ(sim.OpenFormat(kOut).samplesPerSec, 2000u);
}

TEST_F(WaveWndTest, RecordingStoresTheSourceIntoTheRange) {
  CWave source, w;
  MakeRamp(source, 300, 1000, 7);
  MakeSilence(w, 1000);
  sim.SetSource(SimulatedAudio::Source::kWave, &source);
  w.SetDevice(&wnd);
  ASSERT_TRUE(w.Record(100, 200));
  sim.AdvanceFrames(50);
  EXPECT_EQ(w.GetRecordPosition(), 150u);
  sim.AdvanceFrames(150);
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(w.LastRecordPosition(), 300u);
  EXPECT_EQ(w.GetSample(99, kChannelLeft), 0);
  for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(w.GetSample(100 + i, kChannelLeft), static_cast<int>(i) + 7) << i;
  EXPECT_EQ(w.GetSample(300, kChannelLeft), 0);
}

TEST_F(WaveWndTest, RingRecordingRequeuesEachHalfOnOneOpeningAndLosesNoFrame) {
  CWave source, w;
  MakeRamp(source, 30000);
  MakeSilence(w, 1001);
  sim.SetSource(SimulatedAudio::Source::kWave, &source);
  w.SetDevice(&wnd);
  ASSERT_TRUE(w.RecordRing());
  EXPECT_EQ(wnd.QueuedInput(), 2);
  EXPECT_EQ(wnd.SlotCount(0), 500u);
  EXPECT_EQ(wnd.SlotCount(1), 501u);

  sim.AdvanceFrames(500);  // the first half is full and queued again behind the second
  EXPECT_EQ(w.LastRecordPosition(), 500u);
  EXPECT_FALSE(w.IsWrapped());
  EXPECT_EQ(wnd.QueuedInput(), 2);
  EXPECT_EQ(wnd.SlotBase(0), 1001u);
  sim.AdvanceFrames(501);
  EXPECT_TRUE(w.IsWrapped());
  EXPECT_EQ(w.LastRecordPosition(), 1001u);
  sim.AdvanceFrames(1199);  // 2200 frames in all
  EXPECT_EQ(sim.OpenCount(kIn), 1);
  EXPECT_EQ(sim.QueuedBlocks(kIn), 2u);
  EXPECT_EQ(w.GetRecordPosition(), 2200u - 2002u);

  // Every frame of the ring holds the newest source frame written there.
  const uint32_t total = 2200, n = 1001;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t newest = (total - 1) - ((total - 1 - i) % n);
    ASSERT_EQ(w.GetSample(i, kChannelLeft), static_cast<int>(newest)) << i;
  }
  EXPECT_TRUE(w.Stop());
  EXPECT_EQ(w.LastRecordPosition(), 198u);
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(wnd.OpenDevices(), 0);
}

// Playback opened in the middle of a ring recording must not shift the recording's blocks.
TEST_F(WaveWndTest, PlayingDuringARingRecordingKeepsBothPositionsAndLoopsBackThePlayedFrames) {
  CWave played, ring;
  MakeRamp(played, 2000, 1000, 1);
  MakeSilence(ring, 1000);
  sim.SetSource(SimulatedAudio::Source::kLoopback);
  played.SetDevice(&wnd);
  ring.SetDevice(&wnd);
  ASSERT_TRUE(ring.RecordRing());
  sim.AdvanceFrames(100);  // nothing is played yet: silence
  ASSERT_TRUE(played.Play(0, 1500));
  sim.AdvanceFrames(1100);
  EXPECT_EQ(ring.GetRecordPosition(), 200u);
  EXPECT_EQ(played.GetPlayPosition(), 1100u);
  for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(ring.GetSample(i, kChannelLeft), static_cast<int>(900 + i) + 1) << i;
  for (uint32_t i = 200; i < 1000; ++i) ASSERT_EQ(ring.GetSample(i, kChannelLeft), static_cast<int>(i - 100) + 1) << i;
  // A wave's Stop ends the device's playback as well as its recording.
  EXPECT_TRUE(ring.Stop());
  EXPECT_FALSE(played.IsBusy());
  EXPECT_EQ(played.LastPlayPosition(), 1100u);
  EXPECT_EQ(ring.LastRecordPosition(), 200u);
}

TEST_F(WaveWndTest, ADeviceThatDisappearsEndsTheRecordingWithWhatWasRecorded) {
  for (bool ringMode : {false, true}) {
    SCOPED_TRACE(ringMode ? "ring" : "plain");
    SimulatedAudio s;
    CWaveWnd device(s);
    CWave source, w;
    MakeRamp(source, 5000, 1000, 3);
    MakeSilence(w, 1000);
    s.SetSource(SimulatedAudio::Source::kWave, &source);
    w.SetDevice(&device);
    ASSERT_TRUE(ringMode ? w.RecordRing() : w.Record(0, 0));
    s.AdvanceFrames(700);
    s.Disappear();
    EXPECT_FALSE(w.IsBusy());
    EXPECT_EQ(w.LastRecordPosition(), 700u);
    EXPECT_EQ(w.GetRecordPosition(), 700u);
    EXPECT_EQ(device.OpenDevices(), 0);
    EXPECT_EQ(s.OpenCount(kIn), 1);  // the ring did not try to start over
    EXPECT_EQ(device.LastError(kIn).status, AudioStatus::kLost);
    EXPECT_EQ(device.ErrorMessage(kIn).rfind("サウンドデバイスが使えなくなりました。\n", 0), 0u);
    EXPECT_EQ(w.GetSample(699, kChannelLeft), 702);
    s.AdvanceFrames(500);  // time goes on; nothing more arrives
    EXPECT_EQ(AudioHeader::liveCount, headersBefore);
  }
}

TEST_F(WaveWndTest, FreeingAWaveWhileQueuedStopsTheDeviceAndLeavesNothingBehind) {
  CWave w;
  MakeSilence(w, 1000);
  w.SetDevice(&wnd);
  ASSERT_TRUE(w.RecordRing());
  sim.HoldCompletions(true);
  sim.AdvanceFrames(600);  // the first half's completion is waiting
  w.Free();
  EXPECT_FALSE(w.IsBusy());
  EXPECT_EQ(wnd.OpenDevices(), 0);
  EXPECT_EQ(sim.PendingCompletions(), 0u);
  EXPECT_EQ(sim.PreparedHeaders(kIn), 0u);
  EXPECT_EQ(AudioHeader::liveCount, headersBefore);
  sim.HoldCompletions(false);
  sim.AdvanceFrames(1000);
  EXPECT_EQ(wnd.OpenDevices(), 0);
}

TEST_F(WaveWndTest, AFailedCloseKeepsTheDeviceOpenForALaterRetry) {
  CWave w;
  MakeRamp(w, 1000);
  w.SetDevice(&wnd);
  ASSERT_TRUE(w.Play(0, 0));
  sim.FailClose(kOut, true);
  EXPECT_FALSE(wnd.CloseOutput());
  EXPECT_EQ(wnd.OpenDevices(), 2);
  EXPECT_FALSE(w.IsBusy());  // the blocks were released all the same
  sim.FailClose(kOut, false);
  EXPECT_TRUE(wnd.CloseOutput());
  EXPECT_EQ(wnd.OpenDevices(), 0);
}

TEST_F(WaveWndTest, MapPositionFindsTheBlockOfADevicePosition) {
  CWave w;
  MakeRamp(w, 1000);
  ASSERT_TRUE(wnd.OpenOutput(w.Format()));
  ASSERT_EQ(wnd.AddBlock(w, kOut, 100, 50), 0);  // device positions 0..49
  ASSERT_EQ(wnd.AddBlock(w, kOut, 600, 30), 1);  // 50..79
  struct Case {
    uint32_t position;
    int slotIn, direction;
    bool inside;
    int slotOut;
    uint32_t frame;
  };
  const Case cases[] = {
      {0, -1, kOut, true, 0, 100},     {49, -1, kOut, true, 0, 149},
      {50, -1, kOut, true, 1, 600},    // the later block holding it wins over an end
      {80, -1, kOut, true, 1, 630},    // the end of the last block is remembered
      {81, -1, kOut, false, 64, 81},   {10, -1, kIn, false, 64, 10},
      {10, 1, kOut, false, 1, 0},      // before the known block
      {79, 1, kOut, true, 1, 629},     {80, 1, kOut, true, 1, 630},
      {95, 1, kOut, false, 1, 630},    // beyond it: the block end
      {10, 5, kOut, false, 5, 10},     // a slot without a block
  };
  for (const Case& c : cases) {
    int slot = c.slotIn;
    uint32_t frame = 12345;
    EXPECT_EQ(wnd.MapPosition(c.position, c.direction, slot, frame), c.inside) << c.position;
    EXPECT_EQ(slot, c.slotOut) << c.position;
    EXPECT_EQ(frame, c.frame) << c.position;
  }
  wnd.ReleaseBlock(0);
  wnd.ReleaseBlock(1);
  EXPECT_FALSE(w.IsBusy());
}

}  // namespace
