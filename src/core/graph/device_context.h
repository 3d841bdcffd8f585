#pragma once
// DeviceContext: the drawing surface the graph boxes draw on, as the platform's device
// contexts behave.
//
// Every coordinate handed to it is a logical coordinate: 0.1 mm per unit, y growing upward
// (the page runs from y = 0 down to y = -page height). The mapping turns logical points
// into device points (pixels of an image, dots of a printer) and back. Pens, brushes, fonts,
// colours, text alignment and the raster operation are state selected into the context and
// used by the drawing calls that follow; each Select/Set returns what it replaced so that
// the caller can restore it. Pen widths and font heights are logical units too.
//
// Implementations: a recording one (recording_dc.h) for tests, and the QPainter one of
// src/render for images, PDF, printers and SVG.
#include <cstdint>
#include <string>

#include "core/graph/geometry.h"
#include "core/graph/log_font.h"

// Window and viewport of an anisotropic mapping: device = (logical - window origin) *
// viewport extent / window extent + viewport origin, rounded to the nearest integer (halves
// upward), and the inverse for device to logical.
struct DeviceMapping {
  int32_t windowOrgX = 0;
  int32_t windowOrgY = 0;
  int32_t windowExtX = 1;
  int32_t windowExtY = 1;
  int32_t viewportOrgX = 0;
  int32_t viewportOrgY = 0;
  int32_t viewportExtX = 1;
  int32_t viewportExtY = 1;

  Point LogicalToDevice(Point p) const;
  Point DeviceToLogical(Point p) const;
  // Device pixels per logical unit (both positive).
  double DeviceUnitsPerLogicalX() const;
  double DeviceUnitsPerLogicalY() const;

  // The page mapping of the view: window extent (W, -H), viewport extent
  // (W * dpiX / 254, H * dpiY / 254) in whole device units, logical (0, 0) at device
  // (originX, originY).
  static DeviceMapping ForPage(int32_t pageWidth, int32_t pageHeight, int32_t dpiX, int32_t dpiY,
                               int32_t originX = 0, int32_t originY = 0);
};

enum class PenStyle : int32_t { kSolid = 0, kDot = 2, kNull = 5 };

struct Pen {
  PenStyle style = PenStyle::kSolid;
  int32_t width = 0;   // logical units; 0 is one device pixel
  uint32_t color = 0;  // 0x00BBGGRR
  friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
  uint32_t color = 0xFFFFFF;
  bool hollow = false;  // a hollow brush fills nothing
  friend bool operator==(const Brush&, const Brush&) = default;
};

// Raster operations of pens (the platform's values).
enum RasterOp : int32_t {
  kRopXorPen = 7,   // pixel = pen XOR pixel: drawing twice restores the surface
  kRopCopyPen = 13, // pixel = pen
};

// Text alignment flags (the platform's values): one horizontal and one vertical choice.
enum TextAlign : uint32_t {
  kAlignLeft = 0,
  kAlignRight = 2,
  kAlignCenter = 6,
  kAlignTop = 0,
  kAlignBottom = 8,
  kAlignBaseline = 24,
  kAlignHorizontalMask = 6,
  kAlignVerticalMask = 24,
};

// Background modes of text output.
enum BackgroundMode : int32_t { kBackgroundTransparent = 1, kBackgroundOpaque = 2 };

class DeviceContext {
 public:
  virtual ~DeviceContext() = default;

  // --- mapping ---
  const DeviceMapping& Mapping() const { return mapping_; }
  void SetMapping(const DeviceMapping& mapping) { mapping_ = mapping; }
  Point LPtoDP(Point p) const { return mapping_.LogicalToDevice(p); }
  Point DPtoLP(Point p) const { return mapping_.DeviceToLogical(p); }
  // Both corners converted; the result is normalised.
  Rect LPtoDP(const Rect& r) const;
  Rect DPtoLP(const Rect& r) const;

  // --- what kind of surface ---
  // A printer page (also PDF output): screen-only decorations are left out.
  virtual bool IsPrinting() const = 0;
  // A recorded vector picture (SVG, the clipboard's picture): there are no device columns
  // to merge samples into, and screen-only decorations are left out.
  virtual bool RecordsVectorOutput() const = 0;

  // --- state; each returns the previous value ---
  Pen SelectPen(const Pen& pen);
  Brush SelectBrush(const Brush& brush);
  // Fonts come from the stored record: height in logical units (negative: character
  // height, positive: cell height, 0: a default height), face name, weight, italic,
  // underline, strike-out.
  LogFont SelectFont(const LogFont& font);
  int32_t SetROP2(int32_t rop);
  uint32_t SetTextColor(uint32_t color);
  uint32_t SetBkColor(uint32_t color);
  int32_t SetBkMode(int32_t mode);
  uint32_t SetTextAlign(uint32_t align);

  const Pen& CurrentPen() const { return pen_; }
  const Brush& CurrentBrush() const { return brush_; }
  const LogFont& CurrentFont() const { return font_; }
  int32_t GetROP2() const { return rop_; }
  uint32_t GetTextColor() const { return textColor_; }
  uint32_t GetBkColor() const { return bkColor_; }
  int32_t GetBkMode() const { return bkMode_; }
  uint32_t GetTextAlign() const { return textAlign_; }
  Point CurrentPosition() const { return position_; }

  // --- drawing, in logical coordinates ---
  void MoveTo(int32_t x, int32_t y) { position_ = {x, y}; }
  // A line in the current pen from the current position to (x, y), which becomes the
  // current position.
  void LineTo(int32_t x, int32_t y);
  // A closed outline in the current pen, filled with the current brush.
  void Polygon(const Point* points, int32_t count);
  // One device pixel at the logical point.
  void SetPixel(int32_t x, int32_t y, uint32_t color);
  // Fills the device pixels of the rectangle (left and top edges included, right and bottom
  // excluded once converted to device coordinates); pen and brush are not used.
  void FillSolidRect(const Rect& r, uint32_t color);
  // Text in UTF-8 at the reference point given by the text alignment, in the current font
  // and text colour, on a background of the background colour when the mode is opaque.
  void TextOut(int32_t x, int32_t y, const std::string& text);
  // As TextOut, with nothing drawn outside clip.
  void TextOutClipped(int32_t x, int32_t y, const Rect& clip, const std::string& text);
  // Width and cell height of the text in the current font, in logical units.
  Size GetTextExtent(const std::string& text);

 protected:
  // Implementations draw with the state above; coordinates are still logical.
  virtual void DoLine(Point from, Point to) = 0;
  virtual void DoPolygon(const Point* points, int32_t count) = 0;
  virtual void DoPixel(Point p, uint32_t color) = 0;
  virtual void DoFill(const Rect& r, uint32_t color) = 0;
  virtual void DoText(Point p, const std::string& text, const Rect* clip) = 0;
  virtual Size DoTextExtent(const std::string& text) = 0;
  // Called after the font was replaced, so that an implementation can build its own.
  virtual void FontChanged() {}

 private:
  DeviceMapping mapping_;
  Pen pen_{PenStyle::kSolid, 0, 0};
  Brush brush_{0xFFFFFF, false};
  LogFont font_ = DefaultLogFont();
  int32_t rop_ = kRopCopyPen;
  uint32_t textColor_ = 0;
  uint32_t bkColor_ = 0xFFFFFF;
  int32_t bkMode_ = kBackgroundOpaque;
  uint32_t textAlign_ = kAlignLeft | kAlignTop;
  Point position_;
};
