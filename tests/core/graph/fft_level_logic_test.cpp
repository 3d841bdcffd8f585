// The FFT level dialog without a window: per cent and level scale, which edits each mode
// enables, the record it confirms and the numbers its edits accept.
#include "core/graph/fft_level_logic.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(FftLevelControls, LevelIsShownInPerCentAndStoredOnTheLevelScale) {
  const struct {
    double level;
    float percent;
  } table[] = {{10000.0, 100.0f}, {5000.0, 50.0f}, {1.0, 0.01f}, {0.0, 0.0f}, {25000.0, 250.0f}};
  for (const auto& row : table) {
    AnalysisSettings s = DefaultAnalysisSettings();
    s.referenceLevel = row.level;
    EXPECT_FLOAT_EQ(LevelControlsFromRecord(s).levelPercent, row.percent) << row.level;
    FftLevelControls c;
    c.levelPercent = row.percent;
    ApplyLevelControls(c, s);
    EXPECT_NEAR(s.referenceLevel, row.level, row.level * 1e-6) << row.percent;
  }
  // Typing 50 stores exactly 5000.
  AnalysisSettings s = DefaultAnalysisSettings();
  FftLevelControls c;
  c.levelPercent = *ParseFloatEdit("50");
  ApplyLevelControls(c, s);
  EXPECT_EQ(s.referenceLevel, 5000.0);
}

TEST(FftLevelControls, AllFourFieldsTravelBothWays) {
  AnalysisSettings s = DefaultAnalysisSettings();
  s.levelAdjustMode = kLevelAdjustFrequency;
  s.referenceFrequencyHz = 1000.0;
  s.referenceLevel = 2500.0;
  s.levelOffsetDb = -6.5;
  const FftLevelControls c = LevelControlsFromRecord(s);
  EXPECT_EQ(c.mode, 1);
  EXPECT_EQ(c.frequencyHz, 1000.0f);
  EXPECT_EQ(c.offsetDb, -6.5f);
  AnalysisSettings back = DefaultAnalysisSettings();
  ApplyLevelControls(c, back);
  EXPECT_EQ(back.levelAdjustMode, 1);
  EXPECT_EQ(back.referenceFrequencyHz, 1000.0);
  EXPECT_EQ(back.referenceLevel, 2500.0);
  EXPECT_EQ(back.levelOffsetDb, -6.5);
  // A list without a selection counts as its first entry.
  FftLevelControls none = c;
  none.mode = -1;
  ApplyLevelControls(none, back);
  EXPECT_EQ(back.levelAdjustMode, kLevelAdjustPeak);
}

TEST(FftLevelControls, EachModeEnablesOnlyItsOwnEdit) {
  const struct {
    int mode;
    bool frequency, level;
  } table[] = {{kLevelAdjustPeak, false, false}, {kLevelAdjustFrequency, true, false},
               {kLevelAdjustLevel, false, true}, {-1, false, false}};
  for (const auto& row : table) {
    const FftLevelEnabling e = LevelEditsEnabled(row.mode);
    EXPECT_EQ(e.frequency, row.frequency) << row.mode;
    EXPECT_EQ(e.level, row.level) << row.mode;
  }
}

TEST(FftLevelControls, ConfirmingTakesTheDocumentsRecordAndSwitchesAutoAdjustOn) {
  AnalysisSettings document = DefaultAnalysisSettings();
  document.blockSize = 4096;
  document.currentPosition = 777;
  document.autoScale = 1;
  FftLevelControls c;
  c.mode = kLevelAdjustLevel;
  c.frequencyHz = 440.0f;
  c.levelPercent = 12.5f;
  c.offsetDb = 3.0f;
  const AnalysisSettings s = ConfirmedLevelRecord(document, c);
  EXPECT_EQ(s.autoAdjust, 1);
  EXPECT_EQ(s.levelAdjustMode, kLevelAdjustLevel);
  EXPECT_EQ(s.referenceFrequencyHz, 440.0);
  EXPECT_EQ(s.referenceLevel, 1250.0);
  EXPECT_EQ(s.levelOffsetDb, 3.0);
  EXPECT_EQ(s.blockSize, 4096u);
  EXPECT_EQ(s.currentPosition, 777u);
  EXPECT_EQ(s.autoScale, 1);
}

TEST(FftLevelControls, SyncTakesTheRunSettingsAndAutoAdjustButNotTheReference) {
  AnalysisSettings from = DefaultAnalysisSettings();
  from.blockSize = 8192;
  from.averagingCount = 16;
  from.fftRangeStart = 10;
  from.fftRangeEnd = 20000;
  from.currentPosition = 300;
  from.fftFlags = 0x08;
  from.overlapIndex = 2;
  from.autoAdjust = 1;
  from.levelAdjustMode = 2;
  from.referenceLevel = 1.0;
  from.triggerOn = 1;
  AnalysisSettings to = DefaultAnalysisSettings();
  const AnalysisSettings before = to;
  TakeRunSettings(from, to);
  EXPECT_EQ(to.blockSize, 8192u);
  EXPECT_EQ(to.averagingCount, 16);
  EXPECT_EQ(to.fftRangeStart, 10u);
  EXPECT_EQ(to.fftRangeEnd, 20000u);
  EXPECT_EQ(to.currentPosition, 300u);
  EXPECT_EQ(to.fftFlags, 0x08);
  EXPECT_EQ(to.overlapIndex, 2);
  EXPECT_EQ(to.autoAdjust, 1);
  EXPECT_EQ(to.levelAdjustMode, before.levelAdjustMode);
  EXPECT_EQ(to.referenceLevel, before.referenceLevel);
  EXPECT_EQ(to.triggerOn, before.triggerOn);
}

TEST(FftLevelControls, EditsAcceptDecimalNumbersOnly) {
  const struct {
    const char* text;
    std::optional<float> value;
  } table[] = {{"100", 100.0f},   {" 50 ", 50.0f}, {"-3.5", -3.5f},      {"+2", 2.0f},
               {"1e3", 1000.0f},  {".25", 0.25f},  {"", std::nullopt},   {"   ", std::nullopt},
               {"abc", std::nullopt}, {"1,5", std::nullopt}, {"12Hz", std::nullopt},
               {"nan", std::nullopt}, {"inf", std::nullopt}, {"1e39", std::nullopt}, {"--1", std::nullopt}};
  for (const auto& row : table) EXPECT_EQ(ParseFloatEdit(row.text), row.value) << '"' << row.text << '"';
}
