#pragma once
// What the FFT level dialog ("FFTレベル設定") decides without a window. It fixes the 0 dB
// reference of the spectrum boxes' decibel axis: the spectrum's peak, the level at a chosen
// frequency, or a chosen level, each shifted by an offset in dB.
//
// The record keeps the reference level on the level scale (full scale 10000); the dialog
// shows it in per cent of full scale. The three edits hold 32-bit floats, as the dialog
// always has, so a value passes through float precision on its way back into the record.
#include <optional>
#include <string_view>

#include "core/realtime/analysis_settings.h"

// The adjust modes, in the order of the dialog's list.
enum LevelAdjustMode : int32_t {
  kLevelAdjustPeak = 0,       // "ピークレベル基準"
  kLevelAdjustFrequency = 1,  // "特定周波数レベル基準"
  kLevelAdjustLevel = 2,      // "特定レベル基準"
};
inline constexpr const char* kLevelAdjustModeLabels[3] = {"ピークレベル基準", "特定周波数レベル基準",
                                                          "特定レベル基準"};

// The dialog's controls as values; a mode of -1 means the list has no selection.
struct FftLevelControls {
  int mode = kLevelAdjustPeak;
  float frequencyHz = 0.0f;
  float levelPercent = 0.0f;  // per cent of full scale
  float offsetDb = 0.0f;
};

// What the controls show for a record: the reference level x 0.01 as per cent.
FftLevelControls LevelControlsFromRecord(const AnalysisSettings& s);
// Writes the controls into the record: the per cent x 100 as the reference level; a list
// without a selection counts as its first entry.
void ApplyLevelControls(const FftLevelControls& c, AnalysisSettings& s);

// Which edits the mode leaves enabled: the frequency only for mode 1, the level only for 2.
struct FftLevelEnabling {
  bool frequency = false;
  bool level = false;
};
FftLevelEnabling LevelEditsEnabled(int mode);

// The record the dialog hands to the document when it is confirmed: the document's current
// record with the controls read in and auto adjust switched on.
AnalysisSettings ConfirmedLevelRecord(const AnalysisSettings& document, const FftLevelControls& c);

// Takes over from another record what a run depends on (block size, averaging count, FFT
// range, current position, flag word, overlap) and auto adjust; the level reference stays.
void TakeRunSettings(const AnalysisSettings& from, AnalysisSettings& to);

// The number an edit holds: decimal text with optional blanks around it, finite and within
// float range; none otherwise.
std::optional<float> ParseFloatEdit(std::string_view text);
