#include "cli/progress_line.h"

#include <unistd.h>

#include <cstdio>

#include "core/wave/wave.h"

ProgressLine::ProgressLine(uint32_t frameCount)
    : enabled_(::isatty(STDERR_FILENO) == 1), frameCount_(frameCount) {}

ProgressLine::~ProgressLine() { Finish(); }

void ProgressLine::Stage(const char* text) {
  Finish();
  stage_ = text;
  Show(0);
}

bool ProgressLine::Checkpoint(uint32_t frame) {
  if (frameCount_ > 0) Show(static_cast<int>(uint64_t{frame} * 100 / frameCount_));
  return false;
}

void ProgressLine::Finish() {
  if (stage_.empty()) return;
  Show(100);
  if (enabled_) std::fputc('\n', stderr);
  stage_.clear();
  shown_ = -1;
}

void ProgressLine::Show(int percent) {
  if (!enabled_ || percent == shown_) return;
  shown_ = percent;
  std::fprintf(stderr, "\r%s %3d%%", stage_.c_str(), percent);
  std::fflush(stderr);
}

FilterRun::Result RunWithProgressLine(FilterRun& run) {
  ProgressLine progress(run.Wave() ? run.Wave()->FrameCount() : 0);
  const FilterRun::Result result = run.Run(&progress, [&](const char* stage) { progress.Stage(stage); });
  progress.Finish();
  return result;
}
