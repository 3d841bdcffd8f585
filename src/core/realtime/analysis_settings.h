#pragma once
// The analysis settings record: how a document analyses its wave. 256 bytes, stored raw in
// documents, copied whole between the document and the dialogs that edit it. Levels are on
// the level scale (full scale 10000), positions and lengths in frames.
//
// Three words of the stored record (offsets 24, 244, 248) held addresses on the original
// platform and mean nothing in a file; here they are opaque words that are stored as they are.
// The live references they stood for (the label cell size, the document font, the run phase)
// sit beside the record in AnalysisContext.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/dsp/fft_flags.h"

struct DocumentFont;

// The real-time mode of the record (offset 220): whether a run follows the sound device.
enum RealTimeMode : int32_t {
  kRealTimeOff = 0,
  kRealTimeRecording = 1,
  kRealTimePlayback = 2,
};

// The run phase kept by the document beside the record.
enum RunPhase : int32_t {
  kRunIdle = 0,
  kRunStepping = 1,
  kRunRecording = 2,
  kRunPlayback = 3,
};

#pragma pack(push, 1)
struct AnalysisSettings {
  uint32_t blockSize;          // 0: N in frames
  int32_t averagingCount;      // 4
  uint32_t fftRangeStart;      // 8: frame
  uint32_t fftRangeEnd;        // 12: frame
  uint32_t currentPosition;    // 16: first frame of the next block (run state)
  uint16_t fftFlags;           // 20: FftFlags
  uint8_t reserved22[2];       // 22
  uint32_t stringSizeRef;      // 24: opaque stored word (label cell size reference)
  char waveFileName[128];      // 28: CP932, zero-terminated, at most 127 bytes
  int32_t levelAdjustMode;     // 156: 0 peak, 1 at a frequency, 2 given level
  double referenceFrequencyHz; // 160
  double referenceLevel;       // 168: level scale
  double levelOffsetDb;        // 176
  int32_t autoAdjust;          // 184
  int32_t autoScale;           // 188
  int32_t triggerOn;           // 192
  int32_t triggerChannel;      // 196: channel selector
  int32_t triggerSlope;        // 200: 0 rising, 1 falling
  int32_t triggerDelayFrames;  // 204: frames of the block before the trigger point
  double triggerLevel;         // 208: level scale
  int32_t triggerHitFrame;     // 216: run state
  int32_t realTimeMode;        // 220: RealTimeMode
  int32_t continuousRecording; // 224
  uint32_t recordingFrames;    // 228
  uint16_t recordingChannels;  // 232
  uint16_t recordingBits;      // 234
  uint32_t recordingRateHz;    // 236
  int32_t reserved240;         // 240
  uint32_t fontRef;            // 244: opaque stored word (document font reference)
  uint32_t runPhaseRef;        // 248: opaque stored word (run phase reference)
  int32_t overlapIndex;        // 252: 0 none, 1 25 %, 2 50 %, 3 75 %
};
#pragma pack(pop)

static_assert(sizeof(AnalysisSettings) == 256);
static_assert(offsetof(AnalysisSettings, averagingCount) == 4);
static_assert(offsetof(AnalysisSettings, fftRangeStart) == 8);
static_assert(offsetof(AnalysisSettings, fftRangeEnd) == 12);
static_assert(offsetof(AnalysisSettings, currentPosition) == 16);
static_assert(offsetof(AnalysisSettings, fftFlags) == 20);
static_assert(offsetof(AnalysisSettings, stringSizeRef) == 24);
static_assert(offsetof(AnalysisSettings, waveFileName) == 28);
static_assert(offsetof(AnalysisSettings, levelAdjustMode) == 156);
static_assert(offsetof(AnalysisSettings, referenceFrequencyHz) == 160);
static_assert(offsetof(AnalysisSettings, referenceLevel) == 168);
static_assert(offsetof(AnalysisSettings, levelOffsetDb) == 176);
static_assert(offsetof(AnalysisSettings, autoAdjust) == 184);
static_assert(offsetof(AnalysisSettings, autoScale) == 188);
static_assert(offsetof(AnalysisSettings, triggerOn) == 192);
static_assert(offsetof(AnalysisSettings, triggerChannel) == 196);
static_assert(offsetof(AnalysisSettings, triggerSlope) == 200);
static_assert(offsetof(AnalysisSettings, triggerDelayFrames) == 204);
static_assert(offsetof(AnalysisSettings, triggerLevel) == 208);
static_assert(offsetof(AnalysisSettings, triggerHitFrame) == 216);
static_assert(offsetof(AnalysisSettings, realTimeMode) == 220);
static_assert(offsetof(AnalysisSettings, continuousRecording) == 224);
static_assert(offsetof(AnalysisSettings, recordingFrames) == 228);
static_assert(offsetof(AnalysisSettings, recordingChannels) == 232);
static_assert(offsetof(AnalysisSettings, recordingBits) == 234);
static_assert(offsetof(AnalysisSettings, recordingRateHz) == 236);
static_assert(offsetof(AnalysisSettings, reserved240) == 240);
static_assert(offsetof(AnalysisSettings, fontRef) == 244);
static_assert(offsetof(AnalysisSettings, runPhaseRef) == 248);
static_assert(offsetof(AnalysisSettings, overlapIndex) == 252);

// The record of a new document: N 1024, averaging 4, trigger channel 3 (mono), reference
// 1000 Hz and 10000, recording 2000 frames of 1 channel at 8 bits; everything else 0.
AnalysisSettings DefaultAnalysisSettings();

// Frames the run advances after each block: N - N * overlap * 25 / 100 in unsigned
// arithmetic for an overlap index below 4, else N (1024 gives 1024, 768, 512, 256).
uint32_t StepAdvance(const AnalysisSettings& s);

// The wave file name is held in CP932, as stored: setting it from UTF-8 cuts it to at most
// 127 bytes between characters (characters CP932 lacks become "?"); reading gives UTF-8.
void SetWaveFileName(AnalysisSettings& s, const std::string& name);
std::string WaveFileName(const AnalysisSettings& s);

// The averaging list of the settings panel: "なし", "2" ... "64", "全体", "ﾋﾟｰｸﾎｰﾙﾄﾞ" with
// the internal codes 1, 2, 4, ..., 64, 4096, 8192.
inline constexpr int kAveragingCodeCumulative = 4096;
inline constexpr int kAveragingCodePeakHold = 8192;
// Applies a list code: clears single, cumulative and peak hold, then sets what the code
// means (the averaging count becomes 1 for the three flag modes).
void ApplyAveragingCode(AnalysisSettings& s, int code);
// The list code that shows the record's averaging.
int AveragingCodeOf(const AnalysisSettings& s);

// The label cell: width and height of a typical axis label in logical units.
struct StringSize {
  int32_t width = 110;
  int32_t height = 35;
};

// The record with the live references that boxes follow: the document's label cell size,
// font and run phase. Copies (the settings panel's preview) keep the document's references.
struct AnalysisContext {
  AnalysisSettings record = DefaultAnalysisSettings();
  StringSize* stringSize = nullptr;
  DocumentFont* font = nullptr;
  int32_t* runPhase = nullptr;

  int32_t RunPhase() const { return runPhase ? *runPhase : kRunIdle; }
};
