#include "core/realtime/analysis_settings.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(AnalysisSettings, NewDocumentDefaultsAndEverythingElseZero) {
  AnalysisSettings s = DefaultAnalysisSettings();
  EXPECT_EQ(s.blockSize, 1024u);
  EXPECT_EQ(s.averagingCount, 4);
  EXPECT_EQ(s.triggerChannel, 3);
  EXPECT_EQ(s.referenceFrequencyHz, 1000.0);
  EXPECT_EQ(s.referenceLevel, 10000.0);
  EXPECT_EQ(s.recordingFrames, 2000u);
  EXPECT_EQ(s.recordingChannels, 1);
  EXPECT_EQ(s.recordingBits, 8);
  // Clear the defaults again: all 256 bytes must then be zero.
  s.blockSize = 0;
  s.averagingCount = 0;
  s.triggerChannel = 0;
  s.referenceFrequencyHz = 0;
  s.referenceLevel = 0;
  s.recordingFrames = 0;
  s.recordingChannels = 0;
  s.recordingBits = 0;
  uint8_t zeros[256] = {};
  EXPECT_EQ(std::memcmp(&s, zeros, 256), 0);
}

TEST(AnalysisSettings, StepAdvanceByOverlap) {
  AnalysisSettings s = DefaultAnalysisSettings();
  const uint32_t expected[] = {1024, 768, 512, 256, 1024, 1024};
  for (int k = 0; k < 6; ++k) {
    s.overlapIndex = k;
    EXPECT_EQ(StepAdvance(s), expected[k]) << k;
  }
  s.overlapIndex = -1;  // stored garbage counts as no overlap
  EXPECT_EQ(StepAdvance(s), 1024u);
  s.blockSize = 65536;
  s.overlapIndex = 3;
  EXPECT_EQ(StepAdvance(s), 16384u);
}

TEST(AnalysisSettings, AveragingCodesRoundTrip) {
  AnalysisSettings s = DefaultAnalysisSettings();
  for (int code : {1, 2, 4, 8, 16, 32, 64, kAveragingCodeCumulative, kAveragingCodePeakHold}) {
    s.fftFlags = kFftWindow | kFftDecayingPeakHold;
    ApplyAveragingCode(s, code);
    EXPECT_EQ(AveragingCodeOf(s), code) << code;
    EXPECT_TRUE(s.fftFlags & kFftWindow);  // other bits stay
  }
  ApplyAveragingCode(s, kAveragingCodeCumulative);
  EXPECT_EQ(s.averagingCount, 1);
  EXPECT_EQ(s.fftFlags & (kFftSingle | kFftCumulative | kFftPeakHold), kFftCumulative);
  ApplyAveragingCode(s, 8);
  EXPECT_EQ(s.averagingCount, 8);
  EXPECT_EQ(s.fftFlags & (kFftSingle | kFftCumulative | kFftPeakHold), 0);
}

TEST(AnalysisSettings, WaveFileNameIsHeldInCp932AndCutToFitWithoutSplittingACharacter) {
  AnalysisSettings s = DefaultAnalysisSettings();
  SetWaveFileName(s, "音声.wav");
  const uint8_t stored[] = {0x89, 0xB9, 0x90, 0xBA, '.', 'w', 'a', 'v', 0};
  EXPECT_EQ(std::memcmp(s.waveFileName, stored, sizeof stored), 0);
  EXPECT_EQ(WaveFileName(s), "音声.wav");

  std::string longName = "a";
  for (int i = 0; i < 70; ++i) longName += "音";  // 140 bytes of CP932 after the "a"
  SetWaveFileName(s, longName);
  std::string back = WaveFileName(s);
  EXPECT_EQ(strnlen(s.waveFileName, 128), 127u);  // "a" and 63 whole characters
  EXPECT_EQ(back, longName.substr(0, 1 + 63 * 3));
  SetWaveFileName(s, "a.wav");
  EXPECT_EQ(WaveFileName(s), "a.wav");
}
