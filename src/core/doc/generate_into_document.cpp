// CWavDoc::GenerateIntoDocument: the wave generator's signal made on the side and put into
// the document only when it exists, so that refused memory never costs the user the wave.
#include "core/doc/wav_doc.h"
#include "core/dsp/filter_run.h"
#include "core/platform/hooks.h"

GenerateResult CWavDoc::GenerateIntoDocument(const GeneratorSettings& settings, const NoiseFilterRunner& filterNoise) {
  CWave fresh;
  GenerateResult result;
  {
    WaitCursor wait;
    result = GenerateWave(settings, fresh);
  }
  if (result != GenerateResult::kDone) return result;
  if (HasNoise(settings)) {
    const NoiseLowPass filter = NoiseLowPassFor(settings.rateHz);
    if (filterNoise) {
      filterNoise(fresh, filter);
    } else {
      FilterRun run;
      run.SetKeepBackup(false);  // nothing can stop this run
      if (run.SetFilter(filter.type, filter.order, filter.f1KHz, 0.0, filter.attenuationDb, &fresh, kFilterBoth)) {
        run.Run(nullptr);
      }
    }
  }
  wave_.TakeSamplesFrom(fresh);
  if (context_.record.currentPosition >= wave_.FrameCount()) context_.record.currentPosition = 0;
  return GenerateResult::kDone;
}
