#include "gui/app/cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <map>

namespace {

QPixmap Canvas() {
  QPixmap pix(32, 32);
  pix.fill(Qt::transparent);
  return pix;
}

void Outline(QPainter& p, const QPainterPath& path) {
  p.setPen(QPen(Qt::white, 3));
  p.drawPath(path);
  p.setPen(QPen(Qt::black, 1));
  p.drawPath(path);
}

// A magnifier with an arrow along the band's direction: a band dragged rightwards zooms in,
// leftwards out.
QCursor ZoomCursor(int dx, int dy) {
  QPixmap pix = Canvas();
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath lens;
  lens.addEllipse(QPointF(12, 12), 7, 7);
  lens.moveTo(17, 17);
  lens.lineTo(24, 24);
  QPainterPath sign;
  sign.moveTo(9, 12);
  sign.lineTo(15, 12);
  if (dx > 0) {
    sign.moveTo(12, 9);
    sign.lineTo(12, 15);
  }
  QPainterPath arrow;
  QPointF tip(16 + 12 * dx, 16 + 12 * dy);
  arrow.moveTo(16 + 4 * dx, 16 + 4 * dy);
  arrow.lineTo(tip);
  arrow.moveTo(tip - QPointF(4 * dx, 0));
  arrow.lineTo(tip);
  arrow.lineTo(tip - QPointF(0, 4 * dy));
  Outline(p, lens);
  Outline(p, sign);
  Outline(p, arrow);
  p.end();
  return QCursor(pix, 12, 12);
}

// A cross with a mark: plain, or with a small triangle above (peak searched on the upper
// side) or below (lower side).
QCursor MarkCursor(int side) {
  QPixmap pix = Canvas();
  QPainter p(&pix);
  QPainterPath cross;
  cross.moveTo(16, 4);
  cross.lineTo(16, 28);
  cross.moveTo(4, 16);
  cross.lineTo(28, 16);
  Outline(p, cross);
  if (side != 0) {
    QPolygonF tri;
    double y = side > 0 ? 6 : 26;
    double d = side > 0 ? 5 : -5;
    tri << QPointF(22, y + d) << QPointF(26, y) << QPointF(30, y + d);
    p.setPen(Qt::black);
    p.setBrush(Qt::red);
    p.drawPolygon(tri);
  }
  p.end();
  return QCursor(pix, 16, 16);
}

}  // namespace

QCursor ProgramCursor(int code) {
  static std::map<int, QCursor> cursors;
  auto it = cursors.find(code);
  if (it != cursors.end()) return it->second;
  QCursor c;
  switch (code) {
    case 7: c = ZoomCursor(1, 1); break;
    case 8: c = ZoomCursor(1, -1); break;
    case 9: c = ZoomCursor(-1, 1); break;
    case 10: c = ZoomCursor(-1, -1); break;
    case 11: c = MarkCursor(0); break;
    case 12: c = MarkCursor(1); break;
    case 13: c = MarkCursor(-1); break;
    default: c = QCursor(Qt::ArrowCursor); break;
  }
  cursors.emplace(code, c);
  return c;
}
