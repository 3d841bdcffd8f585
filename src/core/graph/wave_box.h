#pragma once
// CWaveBox: the samples of one channel of the document's wave against time (box kinds 0, 1,
// 2 for the left, right and mono channel).
//
// The X axis is time in milliseconds (labelled in seconds: the first label absolute with
// its unit, the others as offsets such as "+50m"); the Y axis is the level on the level
// scale, full scale +-10000, labelled in per cent. The FFT range of the analysis settings
// is drawn in the area colour; a dotted line marks the last trigger point; the mark carries
// a time and level read-out. During an analysis run the window follows the position.
//
// Long waves cost no more than short ones: with three or more frames per device pixel every
// device column shows the sparse minimum and maximum of its frames.
#include <cstdint>

#include "core/graph/box.h"

class CWaveBox : public CBox {
 public:
  CWaveBox();

  const char* ClassName() const override { return "CWaveBox"; }
  void Recalc(int a, int b) override;
  uint32_t DrawNewSamples(DeviceContext& dc, uint32_t fromFrame, uint32_t toFrame) override;
  int CanPeakSearch() const override { return 1; }
  int GetKind() const override { return channel_ - 1; }
  double GetLevelAtMark(int raw) override;
  int LimitXRange(double& start, double& end) override;
  int LimitYRange(double& start, double& end) override;
  // Follows the analysis position; resetMark removes the mark.
  void UpdateData(int ignored, int ignored2, int resetMark) override;
  void DrawFrame(DeviceContext& dc, const Rect* clip) override;
  void DrawScale(DeviceContext& dc, const Rect* clip) override;
  void DrawData(DeviceContext& dc, const Rect* clip) override;
  void EraseData(DeviceContext& dc, const Rect* clip) override;
  int DrawCursor(DeviceContext& dc, const Rect* clip, int erase) override;
  double PixelToMarkValue(int xLeft, int xRight, int x, int peakSide) override;
  void AutoRangeY() override;
  void FitXToWave() override;
  void FullRangeY() override;
  void FullRangeX() override;
  void SetXRange(double start, double end) override;
  void SetDefaultRanges() override;
  void GetXScrollInfo(ScrollInfo& out) override;
  void GetYScrollInfo(ScrollInfo& out) override;
  int ShiftX(int forward) override;
  int ShiftY(int up) override;
  int ZoomX(int in) override;
  int ZoomY(int in) override;
  double GetValueAtMark(double x) override;

  // Shows frames first..last; at the end of an unwrapped wave the window keeps its width
  // and ends at the last frame.
  void SetXFrames(int64_t first, int64_t last);
  // Sets the window about an anchor frame from the width in blocks (analysis runs and the
  // X default range commands).
  void SetXFromBlocks(uint32_t anchorFrame);
  // After a new wave: keeps the window inside its duration; 0 when the box cannot show the
  // wave (a left or right channel box on a one-channel wave).
  int ClampXToWave();

  // Milliseconds to the nearest frame, and frames to milliseconds, at the wave's rate.
  int64_t TimeToFrame(double ms) const;
  double FrameToTime(double frame) const;

  int32_t DefaultWidth() const { return defaultWidth_; }
  void SetDefaultWidth(int32_t thousandthsOfBlock) { defaultWidth_ = thousandthsOfBlock; }
  double WidthInBlocks() const { return widthInBlocks_; }
  void SetWidthInBlocks(double blocks) { widthInBlocks_ = blocks; }
  int32_t FullRedraw() const { return fullRedraw_; }
  int32_t TriggerLineX() const { return triggerLineX_; }

  // The X default range commands offer these widths, in thousandths of a block.
  static constexpr int32_t kDefaultWidths[] = {125, 250, 500, 1000, 2000, 4000, 8000};

 private:
  uint32_t Frames() const;
  uint32_t RateHz() const;
  bool HasSamples() const;
  double LevelAt(int64_t frame) const;
  void DrawTriggerLine(DeviceContext& dc, int x, bool erase);
  std::string ReadOut();

  int32_t defaultWidth_ = 1000;
  double widthInBlocks_ = 1.0;
  int32_t fullRedraw_ = 1;
  int32_t triggerLineX_ = -1;
};
