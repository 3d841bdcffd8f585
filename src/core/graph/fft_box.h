#pragma once
// CFFTBox: the amplitude spectrum of one channel against frequency (box kinds 3, 4, 5 for the
// left, right and mono channel).
//
// The box owns a spectrum engine set up from the analysis settings (block size N, averaging
// count) and feeds it the block at the analysis position. Bin k stands for k * df Hz, with
// the resolution df = R / N at the wave's rate R; there are bins 0 to N/2 - 1. The X axis is
// frequency in Hz, linear or logarithmic (linear in 20 log10 Hz); the Y axis is the level on
// the level scale (full scale 10000), labelled in per cent, or in decibels against a
// reference: full scale unless the level settings adjust it automatically. Range limits,
// shifts and zooms work in axis units: Hz or 20 log10 Hz on X, level or dB on Y.
//
// Each device column of the curve keeps only the lowest and the highest level of its bins,
// so a long spectrum costs no more to draw than the plot is wide.
#include <cstdint>
#include <memory>
#include <string>

#include "core/dsp/fft.h"
#include "core/graph/box.h"

class CFFTBox : public CBox {
 public:
  CFFTBox();
  ~CFFTBox() override;

  const char* ClassName() const override { return "CFFTBox"; }
  // The base fields, log frequency and level mode (int32 each), then the engine's record.
  void Serialize(CArchive& ar) override;
  // Restarts the engine (the restart bit when asked) without calculating.
  void Recalc(int ignored, int restart) override;
  int CanPeakSearch() const override { return 1; }
  // 0 linear (per cent), 1 decibel; a negative mode sets the current one up again.
  void SetLevelMode(int mode) override;
  // With automatic adjustment and the decibel axis: the reference follows the level
  // settings while the shown decibel range stays.
  void ApplyLevelReference() override;
  int GetKind() const override { return channel_ + 2; }
  // The level at the mark's bin, in dB on a decibel axis unless raw; 0 without a mark.
  double GetLevelAtMark(int raw) override;
  void GetXTickStart(double& value, int& yUpper, int& yLower) override;
  void ToggleLogLevel() override { SetLevelMode(1 - levelMode_); }
  void ToggleLogFrequency() override { SetLogFrequency(1 - logFrequency_); }
  int CanLogLevel() const override { return 1; }
  int CanLogFrequency() const override { return 1; }
  int IsLogLevel() const override { return levelMode_; }
  int IsLogFrequency() const override { return logFrequency_; }
  int LimitXRange(double& start, double& end) override;
  int LimitYRange(double& start, double& end) override;
  // Calculates the block at the analysis position (restart bit when asked), then applies
  // the automatic level reference and scale of the settings.
  void UpdateData(int ignored, int restart, int ignored2) override;
  bool AnalysesBlocks() const override { return true; }
  void AnalyseBlock(uint32_t startFrame, int restart, int ignored) override;
  void DrawFrame(DeviceContext& dc, const Rect* clip) override;
  void DrawData(DeviceContext& dc, const Rect* clip) override;
  void EraseData(DeviceContext& dc, const Rect* clip) override;
  int DrawCursor(DeviceContext& dc, const Rect* clip, int erase) override;
  // The frequency at x; with peak search (side 0 peaks, 1 troughs) the extreme bin under
  // xLeft..xRight, followed uphill when it lies at an end.
  double PixelToMarkValue(int xLeft, int xRight, int x, int peakSide) override;
  void AutoRangeY() override;
  void FitXToWave() override {}
  void FullRangeY() override {}
  void FullRangeX() override;
  // Binds the box and always replaces the engine, set up for the settings' block size and
  // averaging count, also when called without a wave (the source then stays).
  void SetSource(CWave* wave, AnalysisContext* settings, int channel) override;
  void SetDefaultRanges() override;
  void GetXScrollInfo(ScrollInfo&) override {}
  void GetYScrollInfo(ScrollInfo&) override {}
  int ShiftX(int forward) override;
  int ShiftY(int up) override;
  int ZoomX(int in) override;
  int ZoomY(int in) override;
  double GetValueAtMark(double x) override;

  // --- spectrum operations ---
  // Logarithmic (on) or linear frequency axis over the default range.
  void SetLogFrequency(int on);
  // 0 Hz (or the decade of df on a logarithmic axis) to R/2 - df.
  void DefaultXRange(double& start, double& end) const;
  // The reference value and decibel offset of the level axis (see the .cpp).
  void LevelReference(double& reference, double& offsetDb) const;
  // Follows the data with the level axis; true when the range changed.
  bool AutoScale();
  // Puts the mark at a frequency, with the level there for the cross-hair (a click without
  // peak search).
  void PlaceMark(double hz);

  // The wave's rate (22050 without a wave), the block size (the engine's once set up, else
  // the settings', else 1024), the resolution df and the bins between them.
  double RateHz() const;
  int32_t BlockSize() const;
  double ResolutionHz() const { return RateHz() / BlockSize(); }
  int32_t BinCount() const { return BlockSize() / 2; }
  int32_t FreqToBin(double hz) const;
  double BinToFreq(int32_t bin) const { return bin * ResolutionHz(); }

  CFFT* Engine() { return engine_.get(); }
  const CFFT* Engine() const { return engine_.get(); }

 protected:
  // The levels the mark reads (BinCount() values): the spectrum here, the focus slice in the
  // 3D box; none when there is nothing to read.
  virtual const float* MarkLevels();
  // The smallest and largest level over bins first..last of what the box shows.
  virtual void LevelsInBins(int32_t first, int32_t last, double& minimum, double& maximum);
  // The level axis's view of a level: dB with the spectrum floor on a decibel axis.
  double LevelInAxisUnits(double level) const;
  // After loading: a level axis that shows no range (a decibel axis stored with a reference
  // of 0 has both ends at 0) takes the default range of its mode.
  void RepairEmptyLevelRange();
  // After each calculation: the automatic level reference and scale of the settings.
  void AfterCalc();
  // The first and last bin under the X axis's pixel ends, one wider on each side.
  bool VisibleBins(int32_t& first, int32_t& last) const;
  void DrawTitle(DeviceContext& dc, const std::string& prefix);
  // The limits of the axes in axis units: lowest, highest and smallest span.
  void XLimits(double& lowest, double& highest, double& smallestSpan) const;
  // The range of an axis in its axis units (decibels on a logarithmic or decibel axis), and
  // setting it back; shifts and zooms of both axes work on them alike.
  void AxisRange(bool xAxis, double& start, double& end) const;
  void ApplyAxisRange(bool xAxis, double start, double end);
  int ShiftAxis(bool xAxis, bool forward, double fraction);
  int ZoomAxis(bool xAxis, bool in, double centre);
  void YLimits(double& lowest, double& highest, double& smallestSpan) const;
  std::string LevelText();

  std::unique_ptr<CFFT> engine_;
  int32_t logFrequency_ = 1;
  int32_t levelMode_ = 0;
};

// The range widened to the smallest span or narrowed to highest - lowest about its centre,
// then moved inside lowest..highest.
void LimitRangeTo(double& start, double& end, double lowest, double highest, double smallestSpan);
