#pragma once
// Progress and cancel of long work over frames (filtering, format conversion), seen from the
// core. The work calls Checkpoint every kPumpIntervalFrames frames, the first time before
// frame 0, with the frame it has reached; the monitor answers whether the work must stop.
// Who watches is free: the desktop program's processing dialog pumps its events there (so
// its bar moves and its cancel button is heard), the command-line tool prints a progress
// line, tests cancel at a chosen frame.
#include <cstdint>

class WorkProgress {
 public:
  virtual ~WorkProgress() = default;
  // The work has reached `frame` of its current pass; true asks it to stop at once.
  virtual bool Checkpoint(uint32_t frame) = 0;
};

// The usual monitor: remembers the frame reached, dispatches the waiting events of the user
// interface (PumpMessages), and reports the cancel flag that an event handler may have
// raised meanwhile.
class PumpingProgress : public WorkProgress {
 public:
  bool Checkpoint(uint32_t frame) override;

  uint32_t Position() const { return position_; }
  void Cancel() { cancelled_ = true; }
  bool Cancelled() const { return cancelled_; }

 private:
  uint32_t position_ = 0;
  bool cancelled_ = false;
};
