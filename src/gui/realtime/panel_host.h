#pragma once
// What the settings panel needs of the view that owns it: handing a record to the document
// (which also refreshes the tool windows) and starting and stopping the run. The view
// implements it; tests use their own.
#include "core/realtime/analysis_settings.h"

class PanelHost {
 public:
  virtual ~PanelHost() = default;
  // The document takes the record (ApplySettings); then the panel and the FFT level dialog,
  // when their windows exist, take over the level reference values from it.
  virtual void ApplyToDocument(const AnalysisSettings& record, int levelModeFlag) = 0;
  // The view's start: StartRun, the whole view painted again, the panel's control states
  // refreshed, the run timer set at 100 ms.
  virtual void StartRunFromView() = 0;
  // The view's stop: StopRun, the panel's control states refreshed.
  virtual void StopRunFromView() = 0;
  // The whole FFT range analysed at once, with a progress dialog that can cancel it.
  virtual void BatchAnalyseFromView() {}
};
