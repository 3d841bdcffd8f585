#include "core/dsp/batch_analysis.h"

#include "core/dsp/fft.h"
#include "core/platform/hooks.h"
#include "core/wave/wave.h"

namespace {
constexpr uint64_t kPumpIntervalFrames = 8192;
}

SteppingSchedule::SteppingSchedule(uint32_t rangeStartFrame, uint32_t rangeEndFrame,
                                   uint32_t blockFrames, uint32_t stepFrames)
    : rangeEnd_(rangeEndFrame), block_(blockFrames), step_(stepFrames), position_(rangeStartFrame) {}

bool SteppingSchedule::Next(uint32_t& blockStartFrame, bool& first) {
  if (!started_) {
    started_ = true;
    first = true;
    blockStartFrame = static_cast<uint32_t>(position_);
    position_ += step_;
    return true;
  }
  first = false;
  if (position_ >= rangeEnd_) return false;
  if (position_ + block_ > rangeEnd_) {
    blockStartFrame = rangeEnd_ > block_ ? static_cast<uint32_t>(rangeEnd_ - block_) : 0;
    position_ = rangeEnd_;
    return true;
  }
  blockStartFrame = static_cast<uint32_t>(position_);
  position_ += step_;
  return true;
}

uint32_t RunSteppingAnalysis(const CWave& wave, const AnalysisSettings& settings,
                             std::span<CFFT* const> engines) {
  if (wave.FrameCount() == 0) return 0;
  SteppingSchedule schedule(settings.fftRangeStart, settings.fftRangeEnd, settings.blockSize,
                            StepAdvance(settings));
  uint32_t blocks = 0;
  uint64_t sincePump = 0;
  uint32_t start = 0;
  bool first = false;
  while (schedule.Next(start, first)) {
    const auto flags = static_cast<uint16_t>(settings.fftFlags | (first ? kFftRestart : 0));
    for (CFFT* engine : engines) engine->Calc(&wave, start, flags);
    ++blocks;
    sincePump += StepAdvance(settings);
    if (sincePump >= kPumpIntervalFrames) {
      sincePump = 0;
      PumpMessages();
    }
  }
  return blocks;
}
