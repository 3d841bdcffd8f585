#pragma once
// QtDeviceContext: the device context of the core drawn with a QPainter: on a QImage for
// the screen's back buffer and for tests, on a QPdfWriter or QPrinter for printing, on a
// QSvgGenerator for vector pictures.
//
// Everything is converted to device pixels with the context's mapping and drawn with the
// painter's identity transform, so that lines, fills and XOR land on exact pixels as on the
// platform's device contexts: a line leaves out its last pixel, a fill leaves out the right
// and bottom device edges, and XOR drawn twice on a Format_RGB32 image restores it bit for
// bit. Text is never mirrored: it is laid out in device pixels from its reference point.
// Surfaces without raster operations (PDF, SVG) draw an XOR pen as a plain pen.
//
// On printer pages and vector pictures connected lines of one pen are gathered into one
// polyline (the file stays small), and text is drawn without its background box: the page
// is painted once, so there is nothing to paint over, and the box would cut into the wider
// lines of a high-resolution page.
#include <QFont>
#include <QPainter>

#include "core/graph/device_context.h"

class QtDeviceContext : public DeviceContext {
 public:
  enum class Surface { kScreen, kPrinter, kVectorRecording };

  // The painter must be active on its device for the lifetime of the context.
  QtDeviceContext(QPainter& painter, Surface surface, const DeviceMapping& mapping);
  ~QtDeviceContext() override;

  // Draws the lines still gathered; done by the destructor too.
  void Flush();

  bool IsPrinting() const override { return surface_ == Surface::kPrinter; }
  bool RecordsVectorOutput() const override { return surface_ == Surface::kVectorRecording; }

  // The real font made for the current font record.
  const QFont& CurrentQFont() const { return qfont_; }

 protected:
  void DoLine(Point from, Point to) override;
  void DoPolygon(const Point* points, int32_t count) override;
  void DoPixel(Point p, uint32_t color) override;
  void DoFill(const Rect& r, uint32_t color) override;
  void DoText(Point p, const std::string& text, const Rect* clip) override;
  Size DoTextExtent(const std::string& text) override;
  void FontChanged() override;

 private:
  QPen MakePen() const;
  void ApplyRasterOp();
  bool CanXor() const;
  bool GathersLines() const { return surface_ != Surface::kScreen; }

  QPainter& painter_;
  Surface surface_;
  QFont qfont_;
  QPolygon pendingLine_;
  Pen pendingPen_;
  int32_t pendingRop_ = kRopCopyPen;
};
