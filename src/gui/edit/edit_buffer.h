#pragma once
// One buffer of the editing dialog: its wave, the settings copy its graph follows (whose
// FFT range fields hold the buffer's selection) and the graph box itself, plus the channel
// the operations on it use. No widgets: the dialog draws the box and routes the controls.
#include <cstdint>
#include <memory>

#include "core/graph/wave_box.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

class CArchive;
class CWavDoc;

class EditBuffer {
 public:
  EditBuffer();

  CWave& Wave() { return wave_; }
  const CWave& Wave() const { return wave_; }
  CWaveBox* Box() const { return box_.get(); }
  AnalysisContext& Context() { return context_; }

  // A selection is the pair (start, end) of frame indices, empty when they are equal: a
  // drag gives 0 <= start <= end <= frames - 1, "全選択" (0, frames).
  uint32_t Start() const { return context_.record.fftRangeStart; }
  uint32_t End() const { return context_.record.fftRangeEnd; }
  bool SelectionEmpty() const { return Start() == End(); }
  void SetSelection(uint32_t start, uint32_t end);
  void SelectAll() { SetSelection(0, wave_.FrameCount()); }

  // The channel the operations use (1, 2 or 3).
  int Selector() const { return selector_; }
  void SetSelector(int selector);

  // Takes a copy of the document's settings, made private: the real-time mode off, the
  // recording format that of the wave, the run phase a private idle value, the selection
  // the whole buffer. Creates the graph box for channel 3 from the document's box type.
  void SetUp(CWavDoc& doc, int boxType);
  // After the wave changed its format or length: the recording fields follow the wave and
  // the selection is kept inside it.
  void FollowWave();
  // The graph shows the whole buffer on both axes.
  void ShowWhole();

  // The state an undo file keeps: the settings copy, the graph box, the wave.
  bool StoreState(CArchive& ar);
  // Reads a state; false (the buffer unchanged) when the archive is refused.
  bool LoadState(CArchive& ar);

 private:
  CWave wave_;
  AnalysisContext context_;
  int32_t runPhase_ = kRunIdle;
  StringSize stringSize_;
  std::unique_ptr<CWaveBox> box_;
  int selector_ = kChannelBoth;
};
