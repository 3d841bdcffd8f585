#pragma once
// CFFT3DBox: a waterfall of the spectra of successive analysis blocks of one channel (box
// kinds 6, 7, 8 for the left, right and mono channel).
//
// Each analysed block adds one slice to a store until the store is full; slice 0 is drawn
// at the front (lower left), each later one a depth pitch higher and further to the right,
// and the area under every curve is filled so that nearer slices hide farther ones. The
// geometry comes from the application's 3D settings: the front rectangle (slice 0) takes
// the plot less the slant shares of its width and height, and as many slices fit as depth
// pitches fit into the height left over. One slice can be the data focus: it is drawn in
// the area colour and carries the mark, the cross-hair and the read-out.
//
// The spectrum behaviour (engine, axes, limits, shifts, zooms, level reference) is the
// spectrum box's; the axes map onto the front rectangle.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/graph/fft_box.h"
#include "core/graph/fft3d_settings.h"

class CFFT3DBox : public CFFTBox {
 public:
  // A store larger than this is refused like memory that cannot be had.
  static constexpr uint64_t kMaxStoreBytes = uint64_t{1} << 30;

  explicit CFFT3DBox(const Fft3DSettings& settings = Fft3DSettings{});
  ~CFFT3DBox() override;

  const char* ClassName() const override { return "CFFT3DBox"; }
  // The base fields, the engine's record, log frequency, level mode, the geometry, the fill
  // colour, the store (size in bytes, then its bytes) and its counts. Loading checks every
  // size and count against what remains and what the geometry allows before it allocates.
  void Serialize(CArchive& ar) override;
  // The focus slice's rectangle; all zeros without a focus, so that marks are set only there.
  void GetPlotRect(Rect& out) const override;
  int IsNearTop(int x, int y) const override;
  int GetCursorLines(Point points[4]) const override;
  // Empties the store and restarts the engine.
  void Recalc(int ignored, int restart) override;
  // The newest slice again, without fill (during a run).
  void Redraw(DeviceContext& dc, const Rect* clip) override;
  int GetKind() const override { return channel_ + 5; }
  // Empties the store first when reallocate is set; a full store calculates nothing more.
  void AnalyseBlock(uint32_t startFrame, int restart, int reallocate) override;
  void DrawFrame(DeviceContext& dc, const Rect* clip) override;
  void DrawScale(DeviceContext& dc, const Rect* clip) override;
  void DrawData(DeviceContext& dc, const Rect* clip) override;
  int DrawCursor(DeviceContext& dc, const Rect* clip, int erase) override;
  double PixelToMarkValue(int xLeft, int xRight, int x, int peakSide) override;
  void SetSource(CWave* wave, AnalysisContext* settings, int channel) override;
  void SetRect(const Rect& box, const Rect* plot) override;
  void SetXRange(double start, double end) override;
  void SetYRange(double start, double end) override;

  // Takes the application's 3D settings (slants limited to 0..100 %, a depth pitch below 1
  // keeps the previous one), lays the waterfall out again with the axes following, and
  // clears the valid flags. The store keeps its slices.
  void ApplySettings3D(const Fft3DSettings& settings);
  // The front rectangle and the slice limit from the plot rectangle and the settings.
  void CalcFrontRect();
  // The offset of slice i from the front rectangle, and its rectangle.
  Point SliceOffset(int32_t i) const;
  Rect SliceRect(int32_t i) const;

  // Makes room for min(slices, slice limit) slices of bins floats and empties the store;
  // 0 (and no store) when that is nothing or the memory is refused.
  int AllocSlices(int32_t bins, int32_t slices);
  // Copies one spectrum (BinCount() values) into the next free slot: the new count, or -1
  // when the store is full.
  int32_t PushSlice(const float* spectrum);
  // Slot i of the store, none outside it.
  float* GetSlice(int32_t i);
  // The smallest and largest level over all stored slices and bins first..last (last
  // limited to the spectrum); both 0 when nothing is stored or first lies beyond it.
  void SliceMinMax(int32_t firstBin, int32_t lastBin, double& minimum, double& maximum) const;

  // Moves the focus by step, wrapping at both ends, and redraws what changed.
  void MoveFocus(DeviceContext& dc, int step);
  // The slice under logical (x, y) becomes the focus (one slice per depth pitch upward);
  // on release a mark without focus is removed.
  void FocusAt(DeviceContext& dc, int x, int y, int release);
  // Draws slice i, its area filled (fill) or only its curve, clipped to the plot and clip.
  void DrawSlice(DeviceContext& dc, int32_t i, int fill, const Rect* clip);

  double SlantX() const { return slantX_; }
  double FrontHeightShare() const { return frontHeightShare_; }
  int32_t DepthPitch() const { return depthPitch_; }
  uint32_t FillColor() const { return fillColor_; }
  const Rect& FrontRect() const { return frontRect_; }
  int32_t SliceLimit() const { return sliceLimit_; }
  int32_t SlicesStored() const { return slicesStored_; }
  int32_t Capacity() const { return capacity_; }
  int32_t BinsPerSlice() const { return binsPerSlice_; }
  int32_t StoreBytes() const { return bytesAllocated_; }
  int32_t DataFocus() const { return dataFocus_; }
  void SetDataFocus(int32_t focus) { dataFocus_ = focus; }
  // The focus names a stored slice.
  bool HasFocus() const { return dataFocus_ >= 0 && dataFocus_ < slicesStored_; }
  // The stored slices that fit the plot: all of them, unless settings that leave room for
  // fewer came after the run (the others stay stored and show again with room for them).
  int32_t SlicesOnThePlot() const { return std::min(slicesStored_, sliceLimit_); }

 protected:
  // The front rectangle and the slice limit follow the plot.
  void PlotRectMoved() override { CalcFrontRect(); }
  const float* MarkLevels() override;
  void LevelsInBins(int32_t first, int32_t last, double& minimum, double& maximum) override;

 private:
  // The stored levels of slice i, none when it holds no readable spectrum.
  const float* SliceLevels(int32_t i) const;
  void FreeStore();
  // The horizontal depth of the waterfall: the plot width times slant X.
  int32_t DepthWidth() const;
  // The horizontal shift of the label under an X tick (the depth direction, forward), at
  // most what keeps a label under the plot's left edge inside the box.
  int32_t LabelSlant() const;
  // After the focus changed: the slices from the farther of the two down to the front are
  // drawn again with fill, and the cross-hair takes the new slice's level.
  void FocusChanged(DeviceContext& dc, int32_t previous);

  double slantX_ = 0.3;
  double frontHeightShare_ = 0.3;
  int32_t depthPitch_ = 10;
  Rect frontRect_;
  uint32_t fillColor_ = 0xFFFFFF;
  int32_t sliceLimit_ = 0;
  std::vector<float> store_;
  int32_t slicesStored_ = 0;
  int32_t bytesAllocated_ = 0;
  int32_t binsPerSlice_ = 0;
  int32_t capacity_ = 0;
  int32_t dataFocus_ = -1;
  std::vector<Point> outline_;  // the filled area of the slice being drawn
};
