#include "core/doc/run_timer_loop.h"

#include "core/doc/wav_doc.h"

namespace {
int g_tickCounter = 0;
}

int RunTimerLoop::TickCounter() { return g_tickCounter; }
void RunTimerLoop::ResetTickCounterForTests(int value) { g_tickCounter = value; }

bool RunTimerLoop::Start() {
  bool started = doc_.StartRun();
  host_.InvalidateAll();
  host_.RefreshPanel();
  host_.SetTimer(kFirstIntervalMs);
  return started;
}

void RunTimerLoop::Stop() { doc_.StopRun(); }

void RunTimerLoop::CountTick() {
  ++g_tickCounter;
  if (g_tickCounter % 8 == 0) {
    host_.KillTimer();
    host_.SetTimer(kIntervalMs);
  }
}

void RunTimerLoop::OnTimer() {
  const int phase = doc_.RunPhase();
  if (phase == kRunIdle) {
    host_.KillTimer();
    host_.RefreshPanel();
    return;
  }
  if (phase == kRunStepping) {
    const bool stepped = doc_.StepRun();
    if (doc_.RunPhase() != kRunIdle && stepped) {
      host_.RedrawBoxes();
      CountTick();
    } else {
      host_.InvalidateAll();
      host_.KillTimer();
      doc_.StopRun();
    }
    host_.RefreshPanel();
    return;
  }
  // Real time: catch up with the device, a few blocks at most.
  int succeeded = 0;
  bool last = false;
  for (int i = 0; i < kMaxStepsPerTick; ++i) {
    last = doc_.StepRun();
    if (!last) break;
    ++succeeded;
    host_.RefreshPanel();
    if (doc_.RunPhase() == kRunIdle) break;
  }
  if (doc_.Settings().realTimeMode == kRealTimeOff && !last) {
    // The device has finished and nothing is left to analyse.
    host_.InvalidateAll();
    host_.KillTimer();
    doc_.StopRun();
    host_.RefreshPanel();
    return;
  }
  if (succeeded > 0) host_.RedrawBoxes();
  else host_.RefreshPanel();
  CountTick();
}
