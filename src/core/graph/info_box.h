#pragma once
// CInfoBox: the box of kind 12 that shows four lines of text: the wave file name, the
// wave's format, its length and the FFT settings. It has no plot area (its plot rectangle
// is always empty, so no scale is drawn), no data and no mark; it moves and sizes like the
// other boxes and draws its active border.
#include <string>

#include "core/graph/box.h"

class CInfoBox : public CBox {
 public:
  CInfoBox();

  const char* ClassName() const override { return "CInfoBox"; }
  int GetKind() const override { return kBoxInfo; }
  int LimitXRange(double&, double&) override { return 0; }
  int LimitYRange(double&, double&) override { return 0; }
  void Draw(DeviceContext& dc, const Rect* clip) override;
  void DrawFrame(DeviceContext& dc, const Rect* clip) override;
  void DrawData(DeviceContext&, const Rect*) override {}
  void EraseData(DeviceContext&, const Rect*) override {}
  int DrawCursor(DeviceContext&, const Rect*, int) override { return 0; }
  void AutoRangeY() override {}
  void FitXToWave() override {}
  void FullRangeY() override {}
  void FullRangeX() override {}
  void SetRect(const Rect& box, const Rect* plot) override;
  void SetXRange(double, double) override {}
  void SetYRange(double, double) override {}
  void SetDefaultRanges() override {}
  void GetXScrollInfo(ScrollInfo&) override {}
  void GetYScrollInfo(ScrollInfo&) override {}
  int ShiftX(int) override { return 0; }
  int ShiftY(int) override { return 0; }
  int ZoomX(int) override { return 0; }
  int ZoomY(int) override { return 0; }
  int IsGraphBox() const override { return 0; }
  int CanAutoRangeY() const override { return 0; }
  int HasScale() const override { return 0; }

  // The four lines as drawn (empty without wave and settings): title, format, length, FFT.
  std::string TitleText() const;
  std::string FormatText() const;
  std::string LengthText() const;
  std::string FftText() const;

  // The height a new information box gets: 6.2 label heights (a height of 0 counts as 35).
  static int32_t HeightFor(int32_t stringHeight);
};
