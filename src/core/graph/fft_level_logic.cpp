#include "core/graph/fft_level_logic.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr double kPercentPerLevel = 0.01;  // level scale 10000 is 100 %
constexpr double kLevelPerPercent = 100.0;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

FftLevelControls LevelControlsFromRecord(const AnalysisSettings& s) {
  FftLevelControls c;
  c.mode = s.levelAdjustMode;
  c.frequencyHz = static_cast<float>(s.referenceFrequencyHz);
  c.levelPercent = static_cast<float>(s.referenceLevel * kPercentPerLevel);
  c.offsetDb = static_cast<float>(s.levelOffsetDb);
  return c;
}

void ApplyLevelControls(const FftLevelControls& c, AnalysisSettings& s) {
  s.levelAdjustMode = c.mode < 0 ? kLevelAdjustPeak : c.mode;
  s.referenceFrequencyHz = c.frequencyHz;
  s.referenceLevel = static_cast<double>(c.levelPercent) * kLevelPerPercent;
  s.levelOffsetDb = c.offsetDb;
}

FftLevelEnabling LevelEditsEnabled(int mode) {
  if (mode < 0) mode = kLevelAdjustPeak;
  return {mode == kLevelAdjustFrequency, mode == kLevelAdjustLevel};
}

AnalysisSettings ConfirmedLevelRecord(const AnalysisSettings& document, const FftLevelControls& c) {
  AnalysisSettings s = document;
  ApplyLevelControls(c, s);
  s.autoAdjust = 1;
  return s;
}

void TakeRunSettings(const AnalysisSettings& from, AnalysisSettings& to) {
  to.blockSize = from.blockSize;
  to.averagingCount = from.averagingCount;
  to.fftRangeStart = from.fftRangeStart;
  to.fftRangeEnd = from.fftRangeEnd;
  to.currentPosition = from.currentPosition;
  to.fftFlags = from.fftFlags;
  to.overlapIndex = from.overlapIndex;
  to.autoAdjust = from.autoAdjust;
}

std::optional<float> ParseFloatEdit(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  // The same text means the same number whatever the user's locale.
  if (text.front() == '+') text.remove_prefix(1);
  double v = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
  if (std::fabs(v) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(v);
}
