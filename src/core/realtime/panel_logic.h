#pragma once
// What the settings panel decides without a window: the values behind its lists, which
// controls it enables, the FFT band a drag on its mini overview selects, the trigger point
// it shows and the three lines of text beneath the overview.
//
// Frames are frame numbers of the bound wave; x and y are logical coordinates of the mini
// overview (0.1 mm, y upward) as its graph box uses them. What needs the overview's box
// itself (the frame under x, its colours and scroll steps) is in graph/overview_logic.h.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/realtime/analysis_settings.h"

// --- the lists ---
inline constexpr std::array<uint32_t, 9> kPanelBlockSizes = {256,  512,   1024,  2048, 4096,
                                                             8192, 16384, 32768, 65536};
struct AveragingEntry {
  const char* label;
  int code;  // as ApplyAveragingCode takes it
};
inline constexpr std::array<AveragingEntry, 9> kPanelAveraging = {{{"なし", 1},
                                                                   {"2", 2},
                                                                   {"4", 4},
                                                                   {"8", 8},
                                                                   {"16", 16},
                                                                   {"32", 32},
                                                                   {"64", 64},
                                                                   {"全体", kAveragingCodeCumulative},
                                                                   {"ﾋﾟｰｸﾎｰﾙﾄﾞ", kAveragingCodePeakHold}}};
inline constexpr std::array<const char*, 4> kPanelOverlaps = {"なし", "25%", "50%", "75%"};

// The entry a list shows for a record: the first whose value is at least the record's
// (averaging: its list code), 0 when none is.
int BlockSizeSelection(const AnalysisSettings& s);
int AveragingSelection(const AnalysisSettings& s);
int OverlapSelection(const AnalysisSettings& s);

// The panel's controls as values; an index of -1 means nothing is selected.
struct PanelControls {
  int blockSizeIndex = 0;
  int averagingIndex = 0;
  int overlapIndex = 0;
  bool window = false;        // FFT flag 0x08
  bool simpleFilter = false;  // FFT flag 0x20
  bool autoAdjust = false;
  bool autoScale = false;
  bool triggerOn = false;
  int realTimeChoice = kRealTimeOff;  // RealTimeMode
};

// What the controls show for a record when the panel opens (real-time choice 0).
PanelControls ControlsFromRecord(const AnalysisSettings& s);
// Writes the controls into the record. The decaying peak hold flag is always cleared; a
// list without a selection counts as its first entry.
void ApplyControls(const PanelControls& c, AnalysisSettings& s);

// Whether the pending record must be handed to the document: levelMode when auto adjust or
// auto scale differ, changed when that or any setting that governs a run differs.
struct ApplyDecision {
  bool changed = false;
  bool levelMode = false;
};
ApplyDecision CompareWithDocument(const AnalysisSettings& pending, const AnalysisSettings& document);

// The level reference part of a record (adjust mode, reference frequency and level, dB
// offset) and auto adjust, taken over from another record.
void TakeLevelReference(const AnalysisSettings& from, AnalysisSettings& to);

// --- which controls are enabled ---
struct PanelState {
  bool bound = false;  // a document and a mini box
  int32_t runPhase = kRunIdle;
  int realTimeChoice = kRealTimeOff;
  uint32_t recordingFrames = 0;
  uint32_t waveFrames = 0;
  bool triggerOn = false;
};
struct PanelEnabling {
  bool stop = false;
  bool start = false;
  bool settings = false;  // lists and check boxes: only while idle
  bool triggerSettings = false;
  bool recordSettings = false;
  bool triggerLevelMode = false;
};
// A recording shorter than this cannot be started from the panel.
inline constexpr uint32_t kMinPanelRecordingFrames = 300;
PanelEnabling EnablingFor(const PanelState& state);

// --- the FFT band on the mini overview ---
// A press: the band starts at the frame under the pointer (left of 0 counts as 0, the
// fraction dropped), moved back so that a whole block still fits before the last frame.
uint32_t BandStartAt(double frameValue, uint32_t blockFrames, uint32_t frameCount);
// A drag or release at a frame: the band covers whole blocks from its start up to and
// including the block under the pointer, fewer when they do not fit below the frame count.
// None when the pointer is left of the start (or of frame 0): the band collapses and the
// range stays as it is.
std::optional<uint32_t> BandEndAt(uint32_t bandStart, double frameValue, uint32_t blockFrames,
                                  uint32_t frameCount);

// --- the trigger point ---
// x of a delay: the plot's width split into N frames (a delay beyond N sits at the right).
int TriggerPointX(int plotLeft, int plotRight, uint32_t blockFrames, int32_t delayFrames);
// The delay of a point: N x (x - left) / (right - left), rounded; 0 left of the plot.
uint32_t DelayAtX(int x, int plotLeft, int plotRight, uint32_t blockFrames);

// --- texts under the overview ---
struct PanelTexts {
  std::string line1, line2, line3;
};
// "Off", "Wave-L", "Wave-R", "Mono" for the channel selectors 0 to 3.
const char* TriggerChannelName(int32_t channel);
// levelPercent is the marker's level on the level scale x 0.01.
PanelTexts TriggerLevelTexts(bool triggerOn, int32_t channel, double levelPercent, uint32_t delayFrames);
// The recording time is the recording length when the recording replaces the buffer, else
// the band's; the playback time is the band's.
PanelTexts FftAreaTexts(int realTimeChoice, uint32_t bandStart, uint32_t bandEnd,
                        const AnalysisSettings& s, bool recordingNeedsNewBuffer);
