#include "core/realtime/panel_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>


namespace {

template <typename Values, typename Value, typename Of>
int FirstAtLeast(const Values& values, Value value, Of of) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (of(values[i]) >= value) return static_cast<int>(i);
  }
  return 0;
}

template <typename Values>
int IndexOr0(const Values& values, int index) {
  return index >= 0 && index < static_cast<int>(values.size()) ? index : 0;
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

int BlockSizeSelection(const AnalysisSettings& s) {
  return FirstAtLeast(kPanelBlockSizes, s.blockSize, [](uint32_t v) { return v; });
}

int AveragingSelection(const AnalysisSettings& s) {
  return FirstAtLeast(kPanelAveraging, AveragingCodeOf(s), [](const AveragingEntry& e) { return e.code; });
}

int OverlapSelection(const AnalysisSettings& s) {
  const std::array<int32_t, 4> overlaps = {0, 1, 2, 3};
  return FirstAtLeast(overlaps, s.overlapIndex, [](int32_t v) { return v; });
}

PanelControls ControlsFromRecord(const AnalysisSettings& s) {
  PanelControls c;
  c.blockSizeIndex = BlockSizeSelection(s);
  c.averagingIndex = AveragingSelection(s);
  c.overlapIndex = OverlapSelection(s);
  c.window = (s.fftFlags & kFftWindow) != 0;
  c.simpleFilter = (s.fftFlags & kFftMeanRemoval) != 0;
  c.autoAdjust = s.autoAdjust != 0;
  c.autoScale = s.autoScale != 0;
  c.triggerOn = s.triggerOn != 0;
  c.realTimeChoice = 0;
  return c;
}

void ApplyControls(const PanelControls& c, AnalysisSettings& s) {
  uint16_t flags = s.fftFlags;
  flags = c.window ? (flags | kFftWindow) : (flags & ~kFftWindow);
  flags = c.simpleFilter ? (flags | kFftMeanRemoval) : (flags & ~kFftMeanRemoval);
  flags &= static_cast<uint16_t>(~kFftDecayingPeakHold);
  s.fftFlags = flags;
  ApplyAveragingCode(s, kPanelAveraging[IndexOr0(kPanelAveraging, c.averagingIndex)].code);
  s.blockSize = kPanelBlockSizes[IndexOr0(kPanelBlockSizes, c.blockSizeIndex)];
  s.autoAdjust = c.autoAdjust ? 1 : 0;
  s.autoScale = c.autoScale ? 1 : 0;
  s.triggerOn = c.triggerOn ? 1 : 0;
  s.realTimeMode = std::clamp(c.realTimeChoice, int{kRealTimeOff}, int{kRealTimePlayback});
  s.overlapIndex = IndexOr0(kPanelOverlaps, c.overlapIndex);
}

ApplyDecision CompareWithDocument(const AnalysisSettings& p, const AnalysisSettings& d) {
  ApplyDecision r;
  r.levelMode = p.autoAdjust != d.autoAdjust || p.autoScale != d.autoScale;
  r.changed = r.levelMode || p.averagingCount != d.averagingCount || p.blockSize != d.blockSize ||
              p.overlapIndex != d.overlapIndex || p.fftRangeStart != d.fftRangeStart ||
              p.fftRangeEnd != d.fftRangeEnd || p.fftFlags != d.fftFlags ||
              p.triggerChannel != d.triggerChannel || p.triggerOn != d.triggerOn ||
              p.triggerSlope != d.triggerSlope || p.triggerDelayFrames != d.triggerDelayFrames ||
              p.triggerLevel != d.triggerLevel || p.realTimeMode != d.realTimeMode ||
              p.recordingBits != d.recordingBits || p.recordingRateHz != d.recordingRateHz ||
              p.recordingChannels != d.recordingChannels ||
              p.continuousRecording != d.continuousRecording || p.recordingFrames != d.recordingFrames;
  return r;
}

void TakeLevelReference(const AnalysisSettings& from, AnalysisSettings& to) {
  to.levelAdjustMode = from.levelAdjustMode;
  to.referenceFrequencyHz = from.referenceFrequencyHz;
  to.referenceLevel = from.referenceLevel;
  to.levelOffsetDb = from.levelOffsetDb;
  to.autoAdjust = from.autoAdjust;
}

PanelEnabling EnablingFor(const PanelState& st) {
  const bool idle = st.bound && st.runPhase == kRunIdle;
  const bool running = st.bound && st.runPhase != kRunIdle;
  PanelEnabling e;
  e.stop = running;
  e.start = st.realTimeChoice == kRealTimeRecording ? idle && st.recordingFrames >= kMinPanelRecordingFrames
                                   : idle && st.waveFrames > 0;
  e.settings = idle;
  e.triggerSettings = st.triggerOn && idle;
  e.recordSettings = st.realTimeChoice == kRealTimeRecording && idle;
  e.triggerLevelMode = st.triggerOn;
  return e;
}

uint32_t BandStartAt(double frameValue, uint32_t blockFrames, uint32_t frameCount) {
  int64_t start = frameValue < 0 || !std::isfinite(frameValue)
                      ? 0
                      : static_cast<int64_t>(std::min(frameValue, 4.0e9));
  if (start + int64_t{blockFrames} >= int64_t{frameCount})
    start = int64_t{frameCount} - blockFrames - 1;
  // A wave shorter than a block has no room for one: the band starts at its first frame.
  return static_cast<uint32_t>(std::max<int64_t>(start, 0));
}

std::optional<uint32_t> BandEndAt(uint32_t bandStart, double frameValue, uint32_t blockFrames,
                                  uint32_t frameCount) {
  if (!(frameValue >= 0) || blockFrames == 0) return std::nullopt;
  const int64_t b = static_cast<int64_t>(std::min(frameValue, 8.0e9));
  if (b < int64_t{bandStart}) return std::nullopt;
  const int64_t n = blockFrames;
  int64_t end = bandStart + n * ((b - bandStart) / n + 1);
  while (end >= int64_t{frameCount} && end - n > int64_t{bandStart}) end -= n;
  // Only a wave shorter than a block gets here with the end beyond it.
  return static_cast<uint32_t>(std::min(end, int64_t{frameCount}));
}

int TriggerPointX(int plotLeft, int plotRight, uint32_t blockFrames, int32_t delayFrames) {
  if (blockFrames == 0) return plotLeft;
  const int64_t delay = std::clamp<int64_t>(delayFrames, 0, blockFrames);
  return static_cast<int>(plotLeft + (int64_t{plotRight} - plotLeft) * delay / blockFrames);
}

uint32_t DelayAtX(int x, int plotLeft, int plotRight, uint32_t blockFrames) {
  if (x < plotLeft || plotRight <= plotLeft) return 0;
  return static_cast<uint32_t>(std::lround(double(blockFrames) * (x - plotLeft) / (plotRight - plotLeft)));
}

const char* TriggerChannelName(int32_t channel) {
  switch (channel) {
    case 1: return "Wave-L";
    case 2: return "Wave-R";
    case 3: return "Mono";
    default: return "Off";
  }
}

PanelTexts TriggerLevelTexts(bool triggerOn, int32_t channel, double levelPercent, uint32_t delayFrames) {
  PanelTexts t;
  t.line1 = "トリガポイントの設定";
  t.line2 = std::string("ﾄﾘｶﾞﾚﾍﾞﾙ : ") + (triggerOn ? TriggerChannelName(channel) : "OFF");
  char text[96];
  std::snprintf(text, sizeof text, "Level:%7.3f   Delay:%u", levelPercent, delayFrames);
  t.line3 = text;
  return t;
}

PanelTexts FftAreaTexts(int realTimeChoice, uint32_t bandStart, uint32_t bandEnd,
                        const AnalysisSettings& s, bool recordingNeedsNewBuffer) {
  PanelTexts t;
  t.line1 = "FFT対象範囲の設定";
  t.line2 = "FFTｴﾘｱ";
  const double bandFrames = double(bandEnd) - double(bandStart);
  auto seconds = [&](double frames) { return s.recordingRateHz ? frames / s.recordingRateHz : 0.0; };
  if (realTimeChoice == kRealTimeRecording) {
    const double frames = recordingNeedsNewBuffer ? double(s.recordingFrames) : bandFrames;
    t.line2 += Format("  録音時間 %5.1fsec", seconds(frames));
  } else if (realTimeChoice == kRealTimePlayback) {
    t.line2 += Format("  再生時間 %5.1fsec", seconds(bandFrames));
  }
  char text[64];
  std::snprintf(text, sizeof text, "%u ～ %u", bandStart, bandEnd);
  t.line3 = text;
  return t;
}
