#pragma once
// RecordingDC: a device context that draws nothing and keeps every drawing call with the
// state it was made in, so that tests can compare what a box drew exactly.
//
// Text extents are computed from the font height alone: a character of the ASCII range or
// a half-width katakana is half the cell height wide, every other character the full cell
// height; the cell height is the absolute font height (35 for a height of 0).
#include <cstdint>
#include <string>
#include <vector>

#include "core/graph/device_context.h"

struct DcCall {
  enum Kind { kLine, kPolygon, kPixel, kFill, kText, kTextExtent };
  Kind kind = kLine;
  Point from;  // line start
  Point to;    // line end; the point of a pixel or a text
  Rect rect;   // filled rectangle; the clip of a clipped text
  bool clipped = false;
  std::vector<Point> points;  // polygon
  uint32_t color = 0;         // fill or pixel colour
  std::string text;
  // The state the call was made in.
  Pen pen;
  Brush brush;
  int32_t rop = kRopCopyPen;
  uint32_t textColor = 0;
  uint32_t bkColor = 0;
  int32_t bkMode = kBackgroundOpaque;
  uint32_t textAlign = 0;
  int32_t fontHeight = 0;
  int32_t fontWeight = 0;
};

class RecordingDC : public DeviceContext {
 public:
  enum class Surface { kScreen, kPrinter, kVectorRecording };

  // A screen page of 1200 x 1800 logical units at 96 dpi unless given another mapping.
  explicit RecordingDC(Surface surface = Surface::kScreen);
  RecordingDC(Surface surface, const DeviceMapping& mapping);

  bool IsPrinting() const override { return surface_ == Surface::kPrinter; }
  bool RecordsVectorOutput() const override { return surface_ == Surface::kVectorRecording; }

  const std::vector<DcCall>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }
  // The calls of one kind, in order.
  std::vector<DcCall> CallsOf(DcCall::Kind kind) const;
  // Texts drawn, in order.
  std::vector<std::string> Texts() const;

  // The extent rule above, usable without a context.
  static Size MeasureWithHeight(const std::string& text, int32_t fontHeight);

 protected:
  void DoLine(Point from, Point to) override;
  void DoPolygon(const Point* points, int32_t count) override;
  void DoPixel(Point p, uint32_t color) override;
  void DoFill(const Rect& r, uint32_t color) override;
  void DoText(Point p, const std::string& text, const Rect* clip) override;
  Size DoTextExtent(const std::string& text) override;

 private:
  DcCall Snapshot(DcCall::Kind kind) const;

  Surface surface_;
  std::vector<DcCall> calls_;
};
