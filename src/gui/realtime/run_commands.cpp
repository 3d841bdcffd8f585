// The analysis run's commands: quick start of a recording or a playback, stop, and the
// settings panel.
#include "core/doc/wav_doc.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/wav_view.h"

using namespace cmd;

namespace {

bool DeviceIdle(CWavView& v, int) { return !v.Document().Wave().IsBusy(); }
bool DeviceBusy(CWavView& v, int) { return v.Document().Wave().IsBusy(); }
bool CanAnalyseStored(CWavView& v, int) {
  const CWavDoc& doc = v.Document();
  return doc.RunPhase() == kRunIdle && !doc.Wave().IsBusy() && doc.Wave().FrameCount() > 0;
}

}  // namespace

std::vector<ViewCommand> RunCommands() {
  return {
      {kRecord, [](CWavView& v, int) { v.QuickStart(kRealTimeRecording); }, DeviceIdle},
      {kPlay, [](CWavView& v, int) { v.QuickStart(kRealTimePlayback); }, DeviceIdle},
      {kStop, [](CWavView& v, int) { v.StopRunFromView(); }, DeviceBusy},
      {kBatchAnalysis, [](CWavView& v, int) { v.BatchAnalyseFromView(); }, CanAnalyseStored},
      {kSettingPanel, [](CWavView& v, int) { v.OpenPanel(); }},
  };
}
