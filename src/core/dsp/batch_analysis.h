#pragma once
// The blocks a stepping analysis run visits with the trigger off, and a batch analysis that
// drives spectrum engines over them as fast as they go (no timer, no drawing).
//
// The run starts with a block at the range start (analysed with a restart), then advances
// by the step advance after every block. A block that would reach past the range end is
// moved back to end exactly at the range end, and the run ends after it. When the range is
// shorter than one block, that final block starts at frame 0 instead of before it. Positions
// are frames; the range end is exclusive.
#include <cstdint>
#include <span>

#include "core/realtime/analysis_settings.h"

class CFFT;
class CWave;

class SteppingSchedule {
 public:
  SteppingSchedule(uint32_t rangeStartFrame, uint32_t rangeEndFrame, uint32_t blockFrames,
                   uint32_t stepFrames);

  // The start of the next block, and whether it is the run's first; false once the run has
  // ended (the run's next timer tick finds nothing left).
  bool Next(uint32_t& blockStartFrame, bool& first);

  // The run's current position: where the next block would start.
  uint64_t PositionFrame() const { return position_; }

 private:
  uint64_t rangeEnd_;
  uint64_t block_;
  uint64_t step_;
  uint64_t position_;
  bool started_ = false;
};

// Analyses the wave over the record's FFT range as a stepping run with the trigger off: for
// every block each engine gets Calc(wave, block start, the record's FFT flags, plus the
// restart bit on the first block). The engines must already be set up (Init) with the
// record's block size. Pumps waiting events every 8192 frames of progress. Returns the number
// of blocks; 0 (and no Calc) for an empty wave, as a run on it does not start.
uint32_t RunSteppingAnalysis(const CWave& wave, const AnalysisSettings& settings,
                             std::span<CFFT* const> engines);
