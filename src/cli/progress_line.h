#pragma once
// The progress of long work as one line on stderr, "STAGE  42%", rewritten in place; shown
// only when stderr is a terminal, so that logs and pipes receive nothing but messages.
#include <cstdint>
#include <string>

#include "core/dsp/filter_run.h"
#include "core/platform/work_progress.h"

class ProgressLine : public WorkProgress {
 public:
  // frameCount: the frames of each stage (100 % at the last one).
  explicit ProgressLine(uint32_t frameCount);
  ~ProgressLine() override;
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Starts a new stage; the previous one's line is completed.
  void Stage(const char* text);
  bool Checkpoint(uint32_t frame) override;
  // Completes the current stage's line at 100 %.
  void Finish();

 private:
  void Show(int percent);

  bool enabled_;
  uint32_t frameCount_;
  std::string stage_;
  int shown_ = -1;
};

// Runs the filter and conversion jobs with a progress line per stage.
FilterRun::Result RunWithProgressLine(FilterRun& run);
