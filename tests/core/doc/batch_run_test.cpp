// The whole-range analysis against the timer run it stands for: the same blocks, and every
// box left exactly as the run leaves it (compared as the stored document's bytes).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/doc/wav_doc.h"
#include "core/io/archive.h"
#include "core/io/byte_stream.h"

namespace {

// Two tones and a burst of noise so that every block and channel differs; the right channel
// is another signal than the left.
void FillTestSignal(CWave& w, uint32_t frames) {
  w.SetFormat(8000, 16, 2);
  ASSERT_TRUE(w.Allocate(frames));
  uint32_t noise = 12345;
  for (uint32_t i = 0; i < frames; ++i) {
    noise = noise * 1103515245u + 12345u;
    const double t = i / 8000.0;
    const double left = 9000 * std::sin(2 * M_PI * 440 * t) + ((i / 3000) % 2 ? int(noise >> 20) - 2048 : 0);
    const double right = 7000 * std::sin(2 * M_PI * (300 + 0.05 * i) * t);
    w.SetSample(i, static_cast<int>(std::lround(left)), kChannelLeft);
    w.SetSample(i, static_cast<int>(std::lround(right)), kChannelRight);
  }
}

struct RunSetup {
  uint32_t blockSize = 256;
  int32_t overlapIndex = 0;
  int averagingCode = 4;
  bool trigger = false;
  uint32_t rangeStart = 0;
  uint32_t rangeEnd = 0;  // 0: the whole wave
};

void Prepare(CWavDoc& doc, const RunSetup& r) {
  FillTestSignal(doc.Wave(), 20000);
  AnalysisSettings s = DefaultAnalysisSettings();
  s.blockSize = r.blockSize;
  s.overlapIndex = r.overlapIndex;
  ApplyAveragingCode(s, r.averagingCode);
  s.fftFlags |= kFftWindow;
  s.fftRangeStart = r.rangeStart;
  s.fftRangeEnd = r.rangeEnd ? r.rangeEnd : doc.Wave().FrameCount();
  s.triggerOn = r.trigger ? 1 : 0;
  s.triggerChannel = kChannelLeft;
  s.triggerLevel = 1000;
  s.triggerDelayFrames = 17;
  doc.ApplySettings(s, 0);
  for (int type : {kBoxWaveLeft, kBoxWaveMono, kBoxFftLeft, kBoxFftRight, kBoxFftMono, kBoxFft3dLeft,
                   kBoxFft3dMono, kBoxInfo}) {
    doc.SetBox(type);
  }
}

std::vector<uint8_t> Stored(CWavDoc& doc) {
  MemoryStream bytes;
  {
    CArchive ar(bytes, CArchive::Mode::Store);
    EXPECT_TRUE(doc.Serialize(ar));
  }
  return bytes.TakeBytes();
}

// The run as the view's timer drives it: a start, steps until one analyses nothing, a stop.
uint32_t TimerRun(CWavDoc& doc) {
  doc.Settings().realTimeMode = kRealTimeOff;
  uint32_t blocks = 0;
  if (doc.StartRun()) {
    blocks = 1;
    while (doc.StepRun()) ++blocks;
  }
  doc.StopRun();
  return blocks;
}

}  // namespace

TEST(BatchRun, GivesEveryBoxExactlyWhatTheTimerRunGives) {
  const RunSetup setups[] = {
      {},
      {1024, 3, 4, false, 0, 0},              // 75 % overlap, final block on the step grid
      {512, 2, kAveragingCodeCumulative},     // cumulative average
      {256, 1, kAveragingCodePeakHold, true},  // peak hold, trigger with a delay
      {2048, 0, 1, false, 5000, 6000},         // a range shorter than a block
  };
  for (const RunSetup& r : setups) {
    for (unsigned threads : {0u, 1u}) {
      SCOPED_TRACE(testing::Message() << "N " << r.blockSize << " overlap " << r.overlapIndex << " code "
                                      << r.averagingCode << " trigger " << r.trigger << " threads " << threads);
      CWavDoc timer, batch;
      Prepare(timer, r);
      Prepare(batch, r);
      const uint32_t planned = static_cast<uint32_t>(batch.PlanSteppingRun().size());
      const uint32_t blocks = TimerRun(timer);
      CWavDoc::BatchOptions options;
      options.threads = threads;
      const std::optional<uint32_t> batchBlocks = batch.RunBatchAnalysis(options);
      ASSERT_TRUE(batchBlocks.has_value());
      EXPECT_EQ(*batchBlocks, blocks);
      EXPECT_EQ(planned, blocks);
      EXPECT_GT(blocks, 0u);
      EXPECT_EQ(batch.RunPhase(), kRunIdle);
      EXPECT_EQ(batch.Settings().currentPosition, timer.Settings().currentPosition);
      EXPECT_TRUE(Stored(batch) == Stored(timer));
    }
  }
}

TEST(BatchRun, PlanningChangesNothingAndAnEmptyWaveHasNoBlocks) {
  CWavDoc doc;
  Prepare(doc, {1024, 2});
  const std::vector<uint8_t> before = Stored(doc);
  const auto plan = doc.PlanSteppingRun();
  ASSERT_FALSE(plan.empty());
  EXPECT_EQ(plan.front().startFrame, 0u);
  EXPECT_EQ(plan[1].startFrame, 512u);  // 50 % overlap
  EXPECT_EQ(plan.back().startFrame, 20000u - 1024u);  // the last block ends at the range end
  EXPECT_TRUE(Stored(doc) == before);

  CWavDoc empty;
  EXPECT_TRUE(empty.PlanSteppingRun().empty());
  EXPECT_EQ(empty.RunBatchAnalysis({}), std::optional<uint32_t>(0));
}

TEST(BatchRun, CancelLeavesEveryBoxAndTheRecordAsBefore) {
  // Block by block the second report comes after some blocks were analysed; with threads the
  // first report (before any block) cancels, so that the test does not race the threads.
  for (unsigned threads : {0u, 1u}) {
    const int cancelAt = threads == 1 ? 2 : 1;
    CWavDoc doc;
    Prepare(doc, {256, 3, 8});
    TimerRun(doc);  // boxes that already hold spectra and slices
    doc.Settings().fftRangeStart = 100;
    const std::vector<uint8_t> before = Stored(doc);
    const AnalysisSettings record = doc.Settings();
    int calls = 0;
    uint64_t lastTotal = 0;
    CWavDoc::BatchOptions options;
    options.threads = threads;
    options.progress = [&](uint64_t done, uint64_t total) {
      EXPECT_LE(done, total);
      lastTotal = total;
      return ++calls < cancelAt;
    };
    EXPECT_FALSE(doc.RunBatchAnalysis(options).has_value()) << threads;
    EXPECT_EQ(calls, cancelAt);
    EXPECT_EQ(lastTotal, 5u * doc.PlanSteppingRun().size());  // five spectrum boxes
    EXPECT_EQ(std::memcmp(&doc.Settings(), &record, sizeof record), 0);
    EXPECT_TRUE(Stored(doc) == before) << threads;
    EXPECT_EQ(doc.RunPhase(), kRunIdle);
    EXPECT_FALSE(doc.BatchRunning());
  }
}
