#include "core/textio/spectrum_box_source.h"

#include "core/graph/fft_box.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

namespace {

SpectrumTextColumn ColumnOf(CFFTBox& box) {
  SpectrumTextColumn column;
  column.spectrum = box.Engine() ? box.Engine()->GetSpectrum() : nullptr;
  column.levelInDb = box.IsLogLevel() != 0;
  column.dbReference = box.Y().Reference();
  column.dbOffset = box.Y().DbOffset();
  return column;
}

}  // namespace

SpectrumBoxSource::SpectrumBoxSource(const CWave& wave, CFFTBox* left, CFFTBox* right,
                                     CFFTBox* mono) {
  CFFTBox* boxes[3] = {left, right, mono};
  const SpectrumTextColumn** slots[3] = {&source_.left, &source_.right, &source_.mono};
  for (int c = 0; c < 3; ++c) {
    if (!boxes[c]) continue;
    columns_[c] = ColumnOf(*boxes[c]);
    *slots[c] = &columns_[c];
  }
  source_.rateHz = wave.Rate();
  source_.waveChannels = wave.Channels();
  CFFTBox* reference = mono ? mono : left ? left : right;
  if (!reference) return;
  if (const CFFT* engine = reference->Engine()) {
    source_.blockSize = engine->BlockSize();
    source_.averagingCount = engine->AveragingCount();
    source_.referenceCalculated = engine->IsCalculated();
  }
  if (reference->Settings())
    source_.window = (reference->Settings()->record.fftFlags & kFftWindow) != 0;
}

SpectrumTextSource SpectrumBoxSource::Selected(bool left, bool right, bool mono) const {
  SpectrumTextSource selected = source_;
  if (!left) selected.left = nullptr;
  if (!right) selected.right = nullptr;
  if (!mono) selected.mono = nullptr;
  return selected;
}
