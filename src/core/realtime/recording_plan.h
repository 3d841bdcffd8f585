#pragma once
// Decisions about a real-time recording that several places share: whether it needs a new
// wave buffer, and which trigger targets a wave or a recording format offers.
#include <vector>

#include "core/realtime/analysis_settings.h"

class CWave;

// A recording needs a new buffer when it is continuous, or when the wave is empty or
// differs from the recording format (rate, bits, channels) or length. Otherwise it is
// written into the FFT range of the existing buffer.
bool RecordingNeedsNewBuffer(const CWave& wave, const AnalysisSettings& s);

// Trigger targets offered to the user: "L-ch" (1), "R-ch" (2), "Mono" (3) for two channels,
// only "Mono" (3) for one. One channel applies when recording one channel in recording
// mode, or, in the other modes, when the wave has one channel.
struct TriggerTarget {
  const char* label;
  int channel;
};
std::vector<TriggerTarget> TriggerTargets(const CWave& wave, const AnalysisSettings& s);
// The list entry that shows a stored trigger channel (0 and 3 show "Mono").
int TriggerTargetIndex(const std::vector<TriggerTarget>& targets, int channel);

// The recording format and length as the recording settings dialog edits them.
struct RecordingChoice {
  int rateChoice = 0;      // 0 11025 Hz, 1 22050 Hz, 2 44100 Hz, 3 any rate
  uint32_t anyRateHz = 0;  // the rate of choice 3
  int bitsChoice = 0;      // 0 8 bits, 1 16 bits
  int channelChoice = 0;   // 0 mono, 1 stereo
  bool continuous = false;
  float seconds = 0;
};

inline constexpr uint32_t kMinRecordingRateHz = 5000;
inline constexpr uint32_t kMaxRecordingRateHz = 48000;

// The dialog's values of a record.
RecordingChoice RecordingChoiceFrom(const AnalysisSettings& s);
uint32_t ChosenRateHz(const RecordingChoice& c);
// Writes the choice into the record. The length is recomputed (rate x seconds, fraction
// dropped) only when the rate or the seconds differ from what the dialog showed at opening,
// so that opening and confirming changes nothing.
void ApplyRecordingChoice(const RecordingChoice& c, float openedSeconds, AnalysisSettings& s);
// The record's recording format and length set to the wave's, continuous off.
void ResetRecordingToWave(const CWave& wave, AnalysisSettings& s);
