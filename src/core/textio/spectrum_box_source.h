#pragma once
// The spectrum text file's inputs taken from spectrum boxes: each box brings its spectrum
// and level mode (with its decibel reference), and the reference box - the first present of
// the mono, left and right box - brings block size, averaging count, whether its engine has
// calculated, and the window flag of its analysis settings.
#include "core/textio/spectrum_text.h"

class CFFTBox;
class CWave;

class SpectrumBoxSource {
 public:
  // Any box may be absent (no column); at least one should be present.
  SpectrumBoxSource(const CWave& wave, CFFTBox* left, CFFTBox* right, CFFTBox* mono);
  SpectrumBoxSource(const SpectrumBoxSource&) = delete;
  SpectrumBoxSource& operator=(const SpectrumBoxSource&) = delete;

  // Valid while the boxes keep their engines.
  const SpectrumTextSource& Source() const { return source_; }
  // The same source with only the chosen columns; the reference box (and so the
  // conditions) does not depend on the choice.
  SpectrumTextSource Selected(bool left, bool right, bool mono) const;

 private:
  SpectrumTextColumn columns_[3];
  SpectrumTextSource source_;
};
