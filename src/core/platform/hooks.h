#pragma once
// Services of the user interface that long work in the core needs: dispatching waiting
// events (so progress bars move and cancel buttons work) and the wait cursor. The desktop
// program installs real ones; elsewhere they do nothing.
#include <cstdint>
#include <functional>

struct PlatformHooks {
  std::function<void()> pumpMessages;     // dispatch every waiting event of the UI thread
  std::function<void()> beginWaitCursor;  // show the busy cursor
  std::function<void()> endWaitCursor;    // restore the previous cursor
};

void SetPlatformHooks(PlatformHooks hooks);

// Long loops over samples pump waiting events (and report progress) this often.
inline constexpr uint32_t kPumpIntervalFrames = 8192;

// Dispatches every waiting message of the thread; long loops call it every
// kPumpIntervalFrames frames.
void PumpMessages();

// Shows the wait cursor while it lives.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};
