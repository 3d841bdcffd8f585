// The processing run: filter stages per channel, conversion after the filter, and the
// backup that makes a cancelled or failed run leave the wave exactly as it was.
#include "core/dsp/filter_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dsp/fir_filter.h"
#include "core/platform/work_progress.h"
#include "core/wave/wave.h"
#include "support/noise_wave.h"
#include "support/temp_dir.h"

namespace {

void MakeNoise(CWave& w, uint16_t channels, uint32_t frames) { ::MakeNoise(w, 44100, 16, channels, frames, frames); }

// Stops when the run reaches a stage (by its status text) and a frame in it.
class StopInStage : public WorkProgress {
 public:
  StopInStage(std::string stage, uint32_t frame) : stage_(std::move(stage)), frame_(frame) {}
  bool Checkpoint(uint32_t frame) override { return current == stage_ && frame >= frame_; }
  void Status(const char* text) {
    current = text;
    stages.push_back(text);
  }
  std::string current;
  std::vector<std::string> stages;

 private:
  std::string stage_;
  uint32_t frame_;
};

class FilterRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TMPDIR", dir_.Root().c_str(), 1);
    UseTempFiles = true;
  }
  void TearDown() override {
    unsetenv("TMPDIR");
    UseTempFiles = true;
  }
  TempDir dir_;
};

FilterRun::Result RunWatched(FilterRun& run, StopInStage& progress) {
  return run.Run(&progress, [&](const char* text) { progress.Status(text); });
}

}  // namespace

TEST(ProgressDivisor, BringsTheBarToAtMost30000Steps) {
  struct Case {
    uint32_t frames, divisor;
  } cases[] = {{0, 1}, {30000, 1}, {30001, 2}, {60001, 2}, {60002, 4}, {100000, 4}, {26460000, 1024}};
  for (const Case& c : cases) EXPECT_EQ(ProgressDivisor(c.frames), c.divisor) << c.frames;
}

TEST_F(FilterRunTest, StereoRunsFilterLeftThenRightThenConverts) {
  CWave w, expected;
  MakeNoise(w, 2, 20000);
  ASSERT_TRUE(expected.CopyFrom(w));
  FilterRun run;
  ASSERT_TRUE(run.SetFilter(FilterType::kLowPass, 150, 5.0, 0, 60, &w, kFilterBoth));
  run.SetConversion(22050, 16, 1, false);
  StopInStage never("", 0);
  EXPECT_EQ(RunWatched(run, never), FilterRun::Result::kDone);
  EXPECT_EQ(never.stages, (std::vector<std::string>{kStatusFilterLeft, kStatusFilterRight, kStatusConversion}));

  ApplyFilter(expected, run.Taps(), kChannelLeft);
  ApplyFilter(expected, run.Taps(), kChannelRight);
  ASSERT_TRUE(expected.ConvertFormat(22050, 16, 1, false));
  EXPECT_TRUE(SameWave(w, expected));
}

TEST_F(FilterRunTest, ChannelChoiceAndMonoWaves) {
  struct Case {
    uint16_t channels;
    int choice;
    std::vector<std::string> stages;
  } cases[] = {
      {1, kFilterBoth, {kStatusFilterMono}},
      {2, kFilterLeft, {kStatusFilterLeft}},
      {2, kFilterRight, {kStatusFilterRight}},
  };
  for (const Case& c : cases) {
    CWave w;
    MakeNoise(w, c.channels, 1000);
    FilterRun run;
    ASSERT_TRUE(run.SetFilter(FilterType::kHighPass, 20, 1.0, 0, 40, &w, c.choice));
    StopInStage never("", 0);
    EXPECT_EQ(RunWatched(run, never), FilterRun::Result::kDone);
    EXPECT_EQ(never.stages, c.stages);
  }
}

TEST_F(FilterRunTest, ACancelRestoresTheWholeWaveFromEitherBackup) {
  // The backup in a temporary file, and in memory when no file can be written.
  for (bool files : {true, false}) {
    struct Stop {
      const char* stage;
      uint32_t frame;
    } stops[] = {{kStatusFilterRight, 16384}, {kStatusFilterLeft, 0}, {kStatusConversion, 8192}};
    for (const Stop& s : stops) {
      UseTempFiles = files;
      CWave w, original;
      MakeNoise(w, 2, 50000);
      ASSERT_TRUE(original.CopyFrom(w));
      FilterRun run;
      ASSERT_TRUE(run.SetFilter(FilterType::kBandPass, 200, 1.0, 2.0, 50, &w, kFilterBoth));
      run.SetConversion(48000, 8, 2, false);
      StopInStage stop(s.stage, s.frame);
      EXPECT_EQ(RunWatched(run, stop), FilterRun::Result::kCancelled);
      EXPECT_EQ(stop.stages.back(), s.stage);
      EXPECT_TRUE(SameWave(w, original)) << files << " " << s.stage;
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Root()));
}

TEST_F(FilterRunTest, AFailedConversionIsUndoneToo) {
  // Nine frames are not resampled and the conversion reports failure: the run puts the
  // filtered, re-formatted wave back as it was.
  CWave w, original;
  MakeNoise(w, 2, 9);
  ASSERT_TRUE(original.CopyFrom(w));
  FilterRun run;
  ASSERT_TRUE(run.SetFilter(FilterType::kLowPass, 4, 5.0, 0, 30, &w, kFilterBoth));
  run.SetConversion(22050, 8, 1, false);
  StopInStage never("", 0);
  EXPECT_EQ(RunWatched(run, never), FilterRun::Result::kFailed);
  EXPECT_TRUE(SameWave(w, original));
}

TEST_F(FilterRunTest, AConversionAloneDropsTheFilter) {
  CWave w;
  MakeNoise(w, 2, 1000);
  FilterRun run;
  ASSERT_TRUE(run.SetFilter(FilterType::kLowPass, 100, 5.0, 0, 50, &w, kFilterBoth));
  run.SetWave(&w);
  run.SetConversion(11025, 16, 2, false);
  StopInStage never("", 0);
  EXPECT_EQ(RunWatched(run, never), FilterRun::Result::kDone);
  EXPECT_EQ(never.stages, (std::vector<std::string>{kStatusConversion}));
  EXPECT_EQ(w.FrameCount(), 250u);
}
