#pragma once
// The timer loop that drives a document's analysis run: one call per tick of the view's run
// timer. The first ticks come every 100 ms; whenever the process-wide tick counter reaches a
// multiple of 8 the timer is set again at 50 ms, so a run switches to 50 ms within eight
// ticks (a later run at the next multiple of 8 of the same counter). In real time up to 11
// steps are taken per tick. The host (the view) owns the actual timer and the drawing.
class CWavDoc;

class RunTimerLoop {
 public:
  static constexpr int kTimerId = 4000;
  static constexpr int kFirstIntervalMs = 100;
  static constexpr int kIntervalMs = 50;
  static constexpr int kMaxStepsPerTick = 11;

  class Host {
   public:
    virtual ~Host() = default;
    // Every box but the information box draws what changed (Redraw), at once.
    virtual void RedrawBoxes() = 0;
    // The whole view is painted again.
    virtual void InvalidateAll() = 0;
    // The settings panel shows the run (when its window exists).
    virtual void RefreshPanel() = 0;
    virtual void SetTimer(int intervalMs) = 0;
    virtual void KillTimer() = 0;
  };

  RunTimerLoop(CWavDoc& doc, Host& host) : doc_(doc), host_(host) {}

  // Starts the run as the view does: the document's StartRun, then the timer at 100 ms.
  // Returns what StartRun returned (the timer runs either way; its first tick ends a run
  // that could not start).
  bool Start();
  // Stops the run (StopRun). The timer is left running on purpose: its next tick finds the
  // run idle, kills the timer and refreshes the panel, which then shows the run's end.
  void Stop();
  // One tick of the timer.
  void OnTimer();

  // Ticks counted in this process; never reset.
  static int TickCounter();
  static void ResetTickCounterForTests(int value = 0);

 private:
  void CountTick();

  CWavDoc& doc_;
  Host& host_;
};
