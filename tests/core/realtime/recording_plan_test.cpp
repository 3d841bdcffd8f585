#include "core/realtime/recording_plan.h"

#include <gtest/gtest.h>

#include "core/wave/wave.h"

namespace {

void StereoWave(CWave& w, uint32_t frames) {
  w.SetFormat(44100, 16, 2);
  w.Allocate(frames);
}

AnalysisSettings RecordingLike(const CWave& w) {
  AnalysisSettings s = DefaultAnalysisSettings();
  ResetRecordingToWave(w, s);
  return s;
}

}  // namespace

TEST(RecordingPlan, NewBufferUnlessFormatAndLengthMatch) {
  CWave w;
  StereoWave(w, 88200);
  AnalysisSettings s = RecordingLike(w);
  EXPECT_FALSE(RecordingNeedsNewBuffer(w, s));
  s.continuousRecording = 1;
  EXPECT_TRUE(RecordingNeedsNewBuffer(w, s));
  s = RecordingLike(w);
  s.recordingFrames = 88199;
  EXPECT_TRUE(RecordingNeedsNewBuffer(w, s));
  s = RecordingLike(w);
  s.recordingBits = 8;
  EXPECT_TRUE(RecordingNeedsNewBuffer(w, s));
  CWave empty;
  s = RecordingLike(empty);
  EXPECT_TRUE(RecordingNeedsNewBuffer(empty, s));
}

TEST(RecordingPlan, OneChannelOffersOnlyMono) {
  CWave stereo;
  StereoWave(stereo, 10);
  CWave mono;
  mono.SetFormat(22050, 8, 1);
  AnalysisSettings s = DefaultAnalysisSettings();
  s.recordingChannels = 2;
  EXPECT_EQ(TriggerTargets(stereo, s).size(), 3u);
  EXPECT_EQ(TriggerTargets(mono, s).size(), 1u);  // not recording: the wave decides
  s.realTimeMode = 1;
  EXPECT_EQ(TriggerTargets(mono, s).size(), 3u);  // recording two channels
  s.recordingChannels = 1;
  auto one = TriggerTargets(stereo, s);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_STREQ(one[0].label, "Mono");
  EXPECT_EQ(TriggerTargetIndex(one, 1), 0);
  auto two = TriggerTargets(stereo, DefaultAnalysisSettings());
  EXPECT_EQ(TriggerTargetIndex(two, 0), 2);  // none shows "Mono"
  EXPECT_EQ(TriggerTargetIndex(two, 2), 1);
}

TEST(RecordingPlan, ChoiceChangesTheLengthOnlyWhenRateOrSecondsChange) {
  CWave w;
  StereoWave(w, 88200);
  AnalysisSettings s = RecordingLike(w);
  RecordingChoice c = RecordingChoiceFrom(s);
  EXPECT_EQ(c.rateChoice, 2);
  EXPECT_EQ(c.bitsChoice, 1);
  EXPECT_EQ(c.channelChoice, 1);
  EXPECT_FLOAT_EQ(c.seconds, 2.0f);
  ApplyRecordingChoice(c, c.seconds, s);
  EXPECT_EQ(s.recordingFrames, 88200u);
  c.rateChoice = 1;
  ApplyRecordingChoice(c, 2.0f, s);
  EXPECT_EQ(s.recordingRateHz, 22050u);
  EXPECT_EQ(s.recordingFrames, 44100u);

  // An odd length survives opening and confirming unchanged.
  s.recordingRateHz = 44100;
  s.recordingFrames = 12345;
  c = RecordingChoiceFrom(s);
  ApplyRecordingChoice(c, c.seconds, s);
  EXPECT_EQ(s.recordingFrames, 12345u);

  c.rateChoice = 3;
  c.anyRateHz = 48000;
  ApplyRecordingChoice(c, c.seconds, s);
  EXPECT_EQ(s.recordingRateHz, 48000u);
  EXPECT_EQ(s.recordingFrames, static_cast<uint32_t>(48000.0 * static_cast<double>(c.seconds)));
}
