#include "core/graph/device_context.h"

#include <cmath>

namespace {

int64_t FloorDiv(int64_t num, int64_t den) {
  int64_t q = num / den;
  if ((num % den != 0) && ((num < 0) != (den < 0))) --q;
  return q;
}

// floor(num / den + 1/2) exactly, for den != 0.
int32_t RoundedRatio(int64_t num, int64_t den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  return static_cast<int32_t>(FloorDiv(2 * num + den, 2 * den));
}

int32_t Map(int32_t v, int32_t fromOrg, int32_t fromExt, int32_t toOrg, int32_t toExt) {
  if (fromExt == 0) return toOrg;
  return RoundedRatio(int64_t{v - fromOrg} * toExt, fromExt) + toOrg;
}

}  // namespace

Point DeviceMapping::LogicalToDevice(Point p) const {
  return {Map(p.x, windowOrgX, windowExtX, viewportOrgX, viewportExtX),
          Map(p.y, windowOrgY, windowExtY, viewportOrgY, viewportExtY)};
}

Point DeviceMapping::DeviceToLogical(Point p) const {
  return {Map(p.x, viewportOrgX, viewportExtX, windowOrgX, windowExtX),
          Map(p.y, viewportOrgY, viewportExtY, windowOrgY, windowExtY)};
}

double DeviceMapping::DeviceUnitsPerLogicalX() const {
  return windowExtX == 0 ? 1.0 : std::fabs(double(viewportExtX) / double(windowExtX));
}

double DeviceMapping::DeviceUnitsPerLogicalY() const {
  return windowExtY == 0 ? 1.0 : std::fabs(double(viewportExtY) / double(windowExtY));
}

DeviceMapping DeviceMapping::ForPage(int32_t pageWidth, int32_t pageHeight, int32_t dpiX,
                                     int32_t dpiY, int32_t originX, int32_t originY) {
  DeviceMapping m;
  m.windowExtX = pageWidth > 0 ? pageWidth : 1;
  m.windowExtY = -(pageHeight > 0 ? pageHeight : 1);
  m.viewportExtX = static_cast<int32_t>(int64_t{m.windowExtX} * dpiX / kLogicalUnitsPerInch);
  m.viewportExtY = static_cast<int32_t>(int64_t{-m.windowExtY} * dpiY / kLogicalUnitsPerInch);
  if (m.viewportExtX == 0) m.viewportExtX = 1;
  if (m.viewportExtY == 0) m.viewportExtY = 1;
  m.viewportOrgX = originX;
  m.viewportOrgY = originY;
  return m;
}

Rect DeviceContext::LPtoDP(const Rect& r) const {
  Point a = LPtoDP(Point{r.left, r.top});
  Point b = LPtoDP(Point{r.right, r.bottom});
  return NormalizeRect({a.x, a.y, b.x, b.y});
}

Rect DeviceContext::DPtoLP(const Rect& r) const {
  Point a = DPtoLP(Point{r.left, r.top});
  Point b = DPtoLP(Point{r.right, r.bottom});
  return NormalizeRect({a.x, a.y, b.x, b.y});
}

Pen DeviceContext::SelectPen(const Pen& pen) {
  Pen old = pen_;
  pen_ = pen;
  return old;
}

Brush DeviceContext::SelectBrush(const Brush& brush) {
  Brush old = brush_;
  brush_ = brush;
  return old;
}

LogFont DeviceContext::SelectFont(const LogFont& font) {
  LogFont old = font_;
  font_ = font;
  FontChanged();
  return old;
}

int32_t DeviceContext::SetROP2(int32_t rop) {
  int32_t old = rop_;
  rop_ = rop;
  return old;
}

uint32_t DeviceContext::SetTextColor(uint32_t color) {
  uint32_t old = textColor_;
  textColor_ = color;
  return old;
}

uint32_t DeviceContext::SetBkColor(uint32_t color) {
  uint32_t old = bkColor_;
  bkColor_ = color;
  return old;
}

int32_t DeviceContext::SetBkMode(int32_t mode) {
  int32_t old = bkMode_;
  bkMode_ = mode;
  return old;
}

uint32_t DeviceContext::SetTextAlign(uint32_t align) {
  uint32_t old = textAlign_;
  textAlign_ = align;
  return old;
}

void DeviceContext::LineTo(int32_t x, int32_t y) {
  Point to{x, y};
  if (pen_.style != PenStyle::kNull) DoLine(position_, to);
  position_ = to;
}

void DeviceContext::Polygon(const Point* points, int32_t count) {
  if (!points || count < 2) return;
  DoPolygon(points, count);
}

void DeviceContext::SetPixel(int32_t x, int32_t y, uint32_t color) { DoPixel({x, y}, color); }

void DeviceContext::FillSolidRect(const Rect& r, uint32_t color) { DoFill(r, color); }

void DeviceContext::TextOut(int32_t x, int32_t y, const std::string& text) {
  if (!text.empty()) DoText({x, y}, text, nullptr);
}

void DeviceContext::TextOutClipped(int32_t x, int32_t y, const Rect& clip,
                                   const std::string& text) {
  if (!text.empty()) DoText({x, y}, text, &clip);
}

Size DeviceContext::GetTextExtent(const std::string& text) { return DoTextExtent(text); }
