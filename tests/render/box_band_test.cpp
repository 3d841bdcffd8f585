// The rubber band of a box drag on a real image: while the button is held it is on the
// surface; once released, the surface is what it was, bit for bit.
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "core/graph/fft_box.h"
#include "render/qt_device_context.h"

TEST(BoxBand, ARubberBandDrawnDuringADragLeavesNoTrace) {
  QImage image(453, 680, QImage::Format_RGB32);
  image.fill(0xFF8040C0);
  for (int x = 0; x < image.width(); x += 7) image.setPixel(x, x % image.height(), 0xFF102030);
  const QImage original = image.copy();
  QPainter painter(&image);
  QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, DeviceMapping::ForPage(1200, 1800, 96, 96));
  CFFTBox box;
  const Rect boxRect{200, -700, 700, -300};
  const Rect plot{320, -610, 645, -370};
  box.SetRect(boxRect, &plot);
  const Rect d = dc.LPtoDP(boxRect);
  const Point edge{d.right - 1, (d.top + d.bottom) / 2};  // the right edge
  ASSERT_EQ(box.OnLButtonDown(dc, edge.x, edge.y), CBox::kHitRightEdge);
  box.OnMouseMove(dc, edge.x + 30, edge.y);
  box.OnMouseMove(dc, edge.x + 45, edge.y + 9);
  painter.end();
  EXPECT_NE(image, original);
  painter.begin(&image);
  box.OnLButtonUp(dc, edge.x + 45, edge.y + 9);
  painter.end();
  EXPECT_EQ(image, original);
  Rect invalid;
  EXPECT_EQ(box.TakeInvalidRect(invalid), 1);
  EXPECT_GT(box.GetRect().right, boxRect.right);
}
