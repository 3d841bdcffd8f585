#include "core/realtime/analysis_settings.h"

#include <algorithm>
#include <cstring>

#include "core/io/cp932.h"

AnalysisSettings DefaultAnalysisSettings() {
  AnalysisSettings s;
  std::memset(&s, 0, sizeof s);
  s.blockSize = 1024;
  s.averagingCount = 4;
  s.referenceFrequencyHz = 1000.0;
  s.referenceLevel = 10000.0;
  s.triggerChannel = 3;
  s.recordingFrames = 2000;
  s.recordingChannels = 1;
  s.recordingBits = 8;
  return s;
}

uint32_t StepAdvance(const AnalysisSettings& s) {
  uint32_t n = s.blockSize;
  auto k = static_cast<uint32_t>(s.overlapIndex);
  if (k >= 4) return n;
  return n - n * k * 25u / 100u;
}

void SetWaveFileName(AnalysisSettings& s, const std::string& name) {
  std::memset(s.waveFileName, 0, sizeof s.waveFileName);
  const std::string cp932 = Utf8ToCp932Within(name, sizeof s.waveFileName - 1);
  std::memcpy(s.waveFileName, cp932.data(), cp932.size());
}

std::string WaveFileName(const AnalysisSettings& s) {
  return Cp932ToUtf8(std::string(s.waveFileName, strnlen(s.waveFileName, sizeof s.waveFileName)));
}

void ApplyAveragingCode(AnalysisSettings& s, int code) {
  s.fftFlags &= static_cast<uint16_t>(~(kFftSingle | kFftCumulative | kFftPeakHold));
  if (code == 1) {
    s.fftFlags |= kFftSingle;
    s.averagingCount = 1;
  } else if (code == kAveragingCodeCumulative) {
    s.fftFlags |= kFftCumulative;
    s.averagingCount = 1;
  } else if (code == kAveragingCodePeakHold) {
    s.fftFlags |= kFftPeakHold;
    s.averagingCount = 1;
  } else {
    s.averagingCount = code;
  }
}

int AveragingCodeOf(const AnalysisSettings& s) {
  if (s.fftFlags & kFftPeakHold) return kAveragingCodePeakHold;
  if (s.fftFlags & kFftSingle) return 1;
  if (s.fftFlags & kFftCumulative) return kAveragingCodeCumulative;
  return s.averagingCount;
}
