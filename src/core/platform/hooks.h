#pragma once
// Services of the user interface that long work in the core needs: dispatching waiting
// events (so progress bars move and cancel buttons work) and the wait cursor. The desktop
// program installs real ones; elsewhere they do nothing.
#include <functional>

struct PlatformHooks {
  std::function<void()> pumpMessages;     // dispatch every waiting event of the UI thread
  std::function<void()> beginWaitCursor;  // show the busy cursor
  std::function<void()> endWaitCursor;    // restore the previous cursor
};

void SetPlatformHooks(PlatformHooks hooks);

// Dispatches every waiting message of the thread; long loops call it every 8192 frames.
void PumpMessages();

// Shows the wait cursor while it lives.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};
