#include "core/platform/work_progress.h"

#include "core/platform/hooks.h"

bool PumpingProgress::Checkpoint(uint32_t frame) {
  position_ = frame;
  PumpMessages();
  return cancelled_;
}
