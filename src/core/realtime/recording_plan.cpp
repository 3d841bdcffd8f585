#include "core/realtime/recording_plan.h"

#include "core/wave/wave.h"

bool RecordingNeedsNewBuffer(const CWave& wave, const AnalysisSettings& s) {
  if (s.continuousRecording) return true;
  return wave.FrameCount() == 0 || wave.Channels() != s.recordingChannels ||
         wave.Bits() != s.recordingBits || wave.Rate() != s.recordingRateHz ||
         wave.FrameCount() != s.recordingFrames;
}

std::vector<TriggerTarget> TriggerTargets(const CWave& wave, const AnalysisSettings& s) {
  bool oneChannel = s.realTimeMode == kRealTimeRecording ? s.recordingChannels == 1 : wave.Channels() == 1;
  if (oneChannel) return {{"Mono", 3}};
  return {{"L-ch", 1}, {"R-ch", 2}, {"Mono", 3}};
}

int TriggerTargetIndex(const std::vector<TriggerTarget>& targets, int channel) {
  if (targets.size() == 1) return 0;
  switch (channel) {
    case 1: return 0;
    case 2: return 1;
    default: return 2;
  }
}

RecordingChoice RecordingChoiceFrom(const AnalysisSettings& s) {
  RecordingChoice c;
  c.seconds = s.recordingRateHz ? static_cast<float>(s.recordingFrames) / static_cast<float>(s.recordingRateHz) : 0.0f;
  switch (s.recordingRateHz) {
    case 11025: c.rateChoice = 0; break;
    case 22050: c.rateChoice = 1; break;
    case 44100: c.rateChoice = 2; break;
    default:
      c.rateChoice = 3;
      c.anyRateHz = s.recordingRateHz;
      break;
  }
  c.bitsChoice = s.recordingBits == 16 ? 1 : 0;
  c.channelChoice = s.recordingChannels == 2 ? 1 : 0;
  c.continuous = s.continuousRecording != 0;
  return c;
}

uint32_t ChosenRateHz(const RecordingChoice& c) {
  switch (c.rateChoice) {
    case 0: return 11025;
    case 1: return 22050;
    case 2: return 44100;
    default: return c.anyRateHz;
  }
}

void ApplyRecordingChoice(const RecordingChoice& c, float openedSeconds, AnalysisSettings& s) {
  uint32_t rate = ChosenRateHz(c);
  if (rate != s.recordingRateHz || c.seconds != openedSeconds) {
    s.recordingRateHz = rate;
    double frames = static_cast<double>(rate) * static_cast<double>(c.seconds);
    s.recordingFrames = frames <= 0 ? 0 : frames >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(frames);
  }
  s.recordingBits = c.bitsChoice == 1 ? 16 : 8;
  s.recordingChannels = static_cast<uint16_t>(c.channelChoice + 1);
  s.continuousRecording = c.continuous ? 1 : 0;
}

void ResetRecordingToWave(const CWave& wave, AnalysisSettings& s) {
  s.recordingFrames = wave.FrameCount();
  s.recordingRateHz = wave.Rate();
  s.recordingBits = wave.Bits();
  s.recordingChannels = wave.Channels();
  s.continuousRecording = 0;
}
