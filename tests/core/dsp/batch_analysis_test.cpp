// The blocks of a stepping run with the trigger off, and the batch analysis over them.
#include "core/dsp/batch_analysis.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/dsp/fft.h"
#include "core/wave/wave.h"

namespace {

std::vector<uint32_t> Blocks(uint32_t start, uint32_t end, uint32_t n, uint32_t step) {
  SteppingSchedule schedule(start, end, n, step);
  std::vector<uint32_t> starts;
  uint32_t s = 0;
  bool first = false;
  while (schedule.Next(s, first)) {
    EXPECT_EQ(first, starts.empty());
    starts.push_back(s);
    if (starts.size() > 100) break;
  }
  return starts;
}

}  // namespace

TEST(SteppingSchedule, VisitsTheBlocksOfTheRunWithTheFinalBlockEndingAtTheRangeEnd) {
  using V = std::vector<uint32_t>;
  // A range of exactly four blocks: four blocks, the last ending at the range end.
  EXPECT_EQ(Blocks(0, 4096, 1024, 1024), (V{0, 1024, 2048, 3072}));
  // Not a whole number of blocks: the last block is moved back to end at 4000.
  EXPECT_EQ(Blocks(0, 4000, 1024, 1024), (V{0, 1024, 2048, 2976}));
  // 50 % overlap advances 512 frames; the run's final-block rule then analyses the block
  // ending at the range end a second time.
  EXPECT_EQ(Blocks(0, 3072, 1024, 512), (V{0, 512, 1024, 1536, 2048, 2048}));
  EXPECT_EQ(Blocks(1000, 3000, 1024, 256), (V{1000, 1256, 1512, 1768, 1976}));
  // The first block always starts at the range start, even when it reaches past the end.
  EXPECT_EQ(Blocks(100, 900, 1024, 1024), (V{100}));
  EXPECT_EQ(Blocks(5000, 5000, 1024, 1024), (V{5000}));
  // A range shorter than one block: the final block starts at frame 0, never before it.
  EXPECT_EQ(Blocks(0, 800, 1024, 256), (V{0, 0}));
  EXPECT_EQ(Blocks(300, 900, 1024, 256), (V{300, 0}));
}

TEST(SteppingSchedule, PositionAdvancesByTheStepAndEndsAtTheRangeEnd) {
  SteppingSchedule schedule(0, 2500, 1024, 768);
  uint32_t s = 0;
  bool first = false;
  ASSERT_TRUE(schedule.Next(s, first));
  EXPECT_EQ(schedule.PositionFrame(), 768u);
  ASSERT_TRUE(schedule.Next(s, first));
  EXPECT_EQ(schedule.PositionFrame(), 1536u);
  ASSERT_TRUE(schedule.Next(s, first));  // 1536 + 1024 passes 2500: the final block
  EXPECT_EQ(s, 2500u - 1024u);
  EXPECT_EQ(schedule.PositionFrame(), 2500u);
  EXPECT_FALSE(schedule.Next(s, first));
  EXPECT_FALSE(schedule.Next(s, first));
}

namespace {

// Four blocks of 64 frames, block j (0-based) the constant 2048 (j + 1) steps: bin 0 of a
// block that lies inside one of them is 1250 (j + 1) exactly.
void MakeSteps(CWave& w) {
  w.SetFormat(8000, 16, 2);
  ASSERT_TRUE(w.Allocate(256));
  for (uint32_t i = 0; i < 256; ++i) {
    w.SetSample(i, static_cast<int>(2048 * (i / 64 + 1)), kChannelLeft);
    w.SetSample(i, 0, kChannelRight);
  }
}

}  // namespace

TEST(SteppingAnalysis, DrivesEveryEngineOverTheBlocksWithARestartFirst) {
  CWave w;
  MakeSteps(w);
  AnalysisSettings settings = DefaultAnalysisSettings();
  settings.blockSize = 64;
  settings.fftRangeStart = 0;
  settings.fftRangeEnd = 256;
  ApplyAveragingCode(settings, kAveragingCodeCumulative);
  CFFT left, mono;
  ASSERT_TRUE(left.Init(64, settings.averagingCount, kChannelLeft));
  ASSERT_TRUE(mono.Init(64, settings.averagingCount, kChannelBoth));
  CFFT* engines[] = {&left, &mono};
  for (int run = 0; run < 2; ++run) {  // the second run starts afresh
    EXPECT_EQ(RunSteppingAnalysis(w, settings, engines), 4u);
    EXPECT_EQ(left.FrameCount(), 4);
    EXPECT_EQ(left.GetSpectrum()[0], 1250.0f * 10 / 4);  // mean of 1250, 2500, 3750, 5000
    EXPECT_EQ(mono.GetSpectrum()[0], 1250.0f * 10 / 8);  // the right channel is silent
  }

  // Averaging 2 with 50 % overlap: blocks at 0, 32, ..., 192, then 192 again; the last two
  // both lie in block 3.
  settings.overlapIndex = 2;
  ApplyAveragingCode(settings, 2);
  CFFT two;
  ASSERT_TRUE(two.Init(64, 2, kChannelLeft));
  CFFT* one[] = {&two};
  EXPECT_EQ(RunSteppingAnalysis(w, settings, one), 8u);
  EXPECT_EQ(two.GetSpectrum()[0], 5000.0f);
}

TEST(SteppingAnalysis, AnEmptyWaveAnalysesNothing) {
  CWave empty;
  empty.SetFormat(8000, 16, 1);
  AnalysisSettings settings = DefaultAnalysisSettings();
  CFFT fft;
  ASSERT_TRUE(fft.Init(1024, 4, kChannelLeft));
  CFFT* engines[] = {&fft};
  EXPECT_EQ(RunSteppingAnalysis(empty, settings, engines), 0u);
  EXPECT_FALSE(fft.IsCalculated());
}
