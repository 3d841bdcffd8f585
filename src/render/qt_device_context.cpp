#include "render/qt_device_context.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/qt_convert.h"
#include "render/qt_font.h"

QtDeviceContext::QtDeviceContext(QPainter& painter, Surface surface, const DeviceMapping& mapping)
    : painter_(painter), surface_(surface) {
  SetMapping(mapping);
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.resetTransform();
  FontChanged();
}

QtDeviceContext::~QtDeviceContext() { Flush(); }

void QtDeviceContext::Flush() {
  if (pendingLine_.size() < 2) {
    pendingLine_.clear();
    return;
  }
  const Pen current = CurrentPen();
  const int32_t rop = GetROP2();
  // Draw with the state the lines were gathered in.
  SelectPen(pendingPen_);
  SetROP2(pendingRop_);
  ApplyRasterOp();
  painter_.setPen(MakePen());
  painter_.setBrush(Qt::NoBrush);
  painter_.drawPolyline(pendingLine_);
  pendingLine_.clear();
  SelectPen(current);
  SetROP2(rop);
}

void QtDeviceContext::FontChanged() {
  qfont_ = FontFromLogFont(CurrentFont(), Mapping().DeviceUnitsPerLogicalY());
}

bool QtDeviceContext::CanXor() const {
  QPaintEngine* engine = painter_.paintEngine();
  return engine && engine->hasFeature(QPaintEngine::RasterOpModes);
}

void QtDeviceContext::ApplyRasterOp() {
  if (GetROP2() == kRopXorPen && CanXor())
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  else
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QPen QtDeviceContext::MakePen() const {
  const Pen& pen = CurrentPen();
  if (pen.style == PenStyle::kNull) return QPen(Qt::NoPen);
  int width = static_cast<int>(std::lround(pen.width * Mapping().DeviceUnitsPerLogicalX()));
  width = std::max(width, 1);
  QPen q(ColorFromRef(pen.color));
  q.setWidth(width);
  q.setStyle(pen.style == PenStyle::kDot ? Qt::DotLine : Qt::SolidLine);
  // A one-pixel line leaves out its last pixel as the platform's lines do; wider pens are
  // round at the ends and joins.
  q.setCapStyle(width == 1 ? Qt::FlatCap : Qt::RoundCap);
  q.setJoinStyle(Qt::RoundJoin);
  return q;
}

void QtDeviceContext::DoLine(Point from, Point to) {
  Point a = LPtoDP(from);
  Point b = LPtoDP(to);
  if (a == b) return;  // a line of no length draws nothing
  if (GathersLines()) {
    const bool continues = !pendingLine_.isEmpty() && pendingLine_.last() == QPoint(a.x, a.y) &&
                           pendingPen_ == CurrentPen() && pendingRop_ == GetROP2();
    if (!continues) {
      Flush();
      pendingLine_ << QPoint(a.x, a.y);
      pendingPen_ = CurrentPen();
      pendingRop_ = GetROP2();
    }
    pendingLine_ << QPoint(b.x, b.y);
    return;
  }
  ApplyRasterOp();
  painter_.setPen(MakePen());
  painter_.drawLine(QPoint(a.x, a.y), QPoint(b.x, b.y));
}

void QtDeviceContext::DoPolygon(const Point* points, int32_t count) {
  Flush();
  QPolygon polygon;
  polygon.reserve(count);
  for (int32_t i = 0; i < count; ++i) {
    Point d = LPtoDP(points[i]);
    polygon << QPoint(d.x, d.y);
  }
  ApplyRasterOp();
  painter_.setPen(MakePen());
  const Brush& brush = CurrentBrush();
  painter_.setBrush(brush.hollow ? QBrush(Qt::NoBrush) : QBrush(ColorFromRef(brush.color)));
  painter_.drawPolygon(polygon);
  painter_.setBrush(Qt::NoBrush);
}

void QtDeviceContext::DoPixel(Point p, uint32_t color) {
  Flush();
  Point d = LPtoDP(p);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.fillRect(QRect(d.x, d.y, 1, 1), ColorFromRef(color));
}

void QtDeviceContext::DoFill(const Rect& r, uint32_t color) {
  Flush();
  Rect d = LPtoDP(r);
  if (d.IsEmpty()) return;
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.fillRect(QRect(d.left, d.top, d.Width(), d.Height()), ColorFromRef(color));
}

void QtDeviceContext::DoText(Point p, const std::string& text, const Rect* clip) {
  Flush();
  const QString s = FromUtf8(text);
  QFontMetricsF fm(qfont_, painter_.device());
  const double width = fm.horizontalAdvance(s);
  const double ascent = fm.ascent();
  const double cell = fm.ascent() + fm.descent();
  const Point d = LPtoDP(p);
  const uint32_t align = GetTextAlign();
  double left = d.x;
  switch (align & kAlignHorizontalMask) {
    case kAlignRight:
      left = d.x - width;
      break;
    case kAlignCenter:
      left = d.x - width / 2;
      break;
    default:
      break;
  }
  double top = d.y;
  switch (align & kAlignVerticalMask) {
    case kAlignBottom:
      top = d.y - cell;
      break;
    case kAlignBaseline:
      top = d.y - ascent;
      break;
    default:
      break;
  }
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (clip) {
    painter_.save();
    Rect c = LPtoDP(*clip);
    painter_.setClipRect(QRect(c.left, c.top, c.Width(), c.Height()), Qt::IntersectClip);
  }
  if (GetBkMode() == kBackgroundOpaque && surface_ == Surface::kScreen)
    painter_.fillRect(QRectF(left, top, width, cell), ColorFromRef(GetBkColor()));
  painter_.setFont(qfont_);
  painter_.setPen(ColorFromRef(GetTextColor()));
  painter_.drawText(QPointF(left, top + ascent), s);
  if (clip) painter_.restore();
}

Size QtDeviceContext::DoTextExtent(const std::string& text) {
  QFontMetricsF fm(qfont_, painter_.device());
  const double width = fm.horizontalAdvance(FromUtf8(text));
  const double cell = fm.ascent() + fm.descent();
  return {static_cast<int32_t>(std::lround(width / Mapping().DeviceUnitsPerLogicalX())),
          static_cast<int32_t>(std::lround(cell / Mapping().DeviceUnitsPerLogicalY()))};
}
