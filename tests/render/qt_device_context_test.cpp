#include "render/qt_device_context.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include "render/qt_font.h"

namespace {

// One logical unit per pixel, y upward: logical (x, -y) is pixel (x, y).
DeviceMapping UnitMapping(int size) {
  DeviceMapping m;
  m.windowExtX = size;
  m.windowExtY = -size;
  m.viewportExtX = size;
  m.viewportExtY = size;
  return m;
}

QImage Blank(int w, int h, QRgb color = 0xFFFFFFFF) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

// The bounding box of the pixels that differ from white.
QRect InkBounds(const QImage& image) {
  QRect r;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) r |= QRect(x, y, 1, 1);
  return r;
}

}  // namespace

TEST(QtDeviceContext, XorDrawnTwiceRestoresTheImageBitForBit) {
  QImage image(300, 200, QImage::Format_RGB32);
  QRandomGenerator random(7);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, random.generate() | 0xFF000000);
  const QImage original = image.copy();
  QPainter painter(&image);
  QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, DeviceMapping::ForPage(794, 529, 96, 96));
  dc.SetROP2(kRopXorPen);
  auto strokes = [&] {
    for (int width : {1, 3, 8}) {
      dc.SelectPen({PenStyle::kSolid, width, 0xFFFFFF});
      dc.MoveTo(10, -10);
      dc.LineTo(700, -500);
      dc.MoveTo(300, -20);
      dc.LineTo(300, -480);
      dc.SelectPen({PenStyle::kDot, width, 0x0F80F0});
      dc.MoveTo(20, -300);
      dc.LineTo(780, -300);
    }
  };
  strokes();
  painter.end();
  EXPECT_NE(image, original);
  painter.begin(&image);
  strokes();
  painter.end();
  EXPECT_EQ(image, original);
}

TEST(QtDeviceContext, LinesLeaveOutTheirLastPixelAndFillsTheirRightAndBottomEdges) {
  QImage image = Blank(40, 40);
  {
    QPainter painter(&image);
    QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, UnitMapping(40));
    dc.SelectPen({PenStyle::kSolid, 1, 0x000000});
    dc.MoveTo(5, -3);
    dc.LineTo(15, -3);
    dc.FillSolidRect({10, -30, 20, -20}, 0x0000FF);  // logical y -30..-20: pixel rows 20..29
    dc.SetPixel(35, -35, 0x00FF00);
  }
  for (int x = 0; x < 40; ++x) EXPECT_EQ(image.pixel(x, 3) == 0xFF000000u, x >= 5 && x < 15) << x;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 20 && y < 30;
      if (y == 3 || (x == 35 && y == 35)) continue;
      ASSERT_EQ(image.pixel(x, y) == 0xFFFF0000u, inside) << x << "," << y;
    }
  EXPECT_EQ(image.pixel(35, 35), 0xFF00FF00u);
}

TEST(QtDeviceContext, TextSitsOnItsReferencePointAsAligned) {
  struct Case {
    uint32_t align;
    bool rightOfPoint, belowPoint;
  };
  for (const Case& c : {Case{kAlignLeft | kAlignTop, true, true},
                        Case{kAlignRight | kAlignBottom, false, false},
                        Case{kAlignRight | kAlignTop, false, true}}) {
    QImage image = Blank(300, 200);
    {
      QPainter painter(&image);
      QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, UnitMapping(300));
      LogFont font = DefaultLogFont();
      font.height = -30;
      dc.SelectFont(font);
      dc.SetBkMode(kBackgroundTransparent);
      dc.SetTextAlign(c.align);
      dc.TextOut(150, -100, "Wave 100");
    }
    const QRect ink = InkBounds(image);
    ASSERT_FALSE(ink.isEmpty());
    if (c.rightOfPoint) EXPECT_GE(ink.left(), 150);
    else EXPECT_LE(ink.right(), 150);
    if (c.belowPoint) EXPECT_GE(ink.top(), 100);
    else EXPECT_LE(ink.bottom(), 100);
  }
  // Centred text straddles the point; an opaque background fills the text cell.
  QImage image = Blank(300, 200);
  {
    QPainter painter(&image);
    QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, UnitMapping(300));
    dc.SetTextAlign(kAlignCenter | kAlignTop);
    dc.SetBkColor(0x0000FF);
    dc.TextOut(150, -50, "+50m");
  }
  const QRect ink = InkBounds(image);
  EXPECT_LT(ink.left(), 150);
  EXPECT_GT(ink.right(), 150);
  EXPECT_EQ(image.pixel(ink.left(), ink.top()), 0xFFFF0000u);
}

TEST(QtDeviceContext, MissingFacesFallBackToAJapaneseFont) {
  if (!QFontDatabase::families().contains(QStringLiteral("IPAPGothic")))
    GTEST_SKIP() << "IPA P Gothic is not installed (scripts/bootstrap installs it)";
  // The proportional face: its full-width punctuation is narrow enough that the information
  // box's format line of a stereo wave fits the default page (1200 units, text from 90).
  EXPECT_EQ(JapaneseFallbackFamily(), QStringLiteral("IPAPGothic"));
  {
    const QFont unit = FontFromLogFont(DefaultLogFont(), 1.0);  // one pixel per 0.1 mm
    const QString line = QStringLiteral("ｻﾝﾌﾟﾘﾝｸﾞ周波数：44100 ｻﾝﾌﾟﾙ/秒　ﾃﾞｰﾀ長：16 ﾋﾞｯﾄ　ﾁｬﾝﾈﾙ数：2(ｽﾃﾚｵ)");
    EXPECT_LT(QFontMetricsF(unit).horizontalAdvance(line), 1200 - 90 - 20);
  }
  const LogFont record = DefaultLogFont();  // "ＭＳ Ｐゴシック"
  const QFont font = FontFromLogFont(record, 96.0 / 254.0);
  EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
  EXPECT_EQ(font.pixelSize(), 13);  // 3.4 mm at 96 dpi
  QFontMetricsF metrics(font);
  EXPECT_TRUE(metrics.inFont(QChar(0x5468)));  // 周
  EXPECT_TRUE(metrics.inFont(QChar(0xFF7B)));  // ｻ
  LogFont dejavu = record;
  dejavu.SetFaceNameUtf8("DejaVu Sans");
  dejavu.weight = 700;
  const QFont bold = FontFromLogFont(dejavu, 1.0);
  EXPECT_EQ(QFontInfo(bold).family(), QStringLiteral("DejaVu Sans"));
  EXPECT_TRUE(QFontInfo(bold).bold());
  // A positive height is the cell height.
  LogFont cell = record;
  cell.height = 100;
  QFontMetricsF cellMetrics(FontFromLogFont(cell, 1.0));
  EXPECT_NEAR(cellMetrics.ascent() + cellMetrics.descent(), 100.0, 3.0);
}

TEST(QtDeviceContext, TextExtentIsInLogicalUnitsAndFollowsTheFontHeight) {
  QImage image = Blank(10, 10);
  QPainter painter(&image);
  QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, DeviceMapping::ForPage(1200, 1800, 96, 96));
  const Size normal = dc.GetTextExtent("-200.0m");
  LogFont big = DefaultLogFont();
  big.height = -68;
  dc.SelectFont(big);
  const Size twice = dc.GetTextExtent("-200.0m");
  EXPECT_GT(normal.cx, 60);
  EXPECT_GE(normal.cy, 34);
  EXPECT_NEAR(double(twice.cx) / normal.cx, 2.0, 0.15);
  EXPECT_NEAR(double(twice.cy) / normal.cy, 2.0, 0.15);
  // The same font on a 600 dpi surface measures about the same in logical units.
  QImage fine = Blank(10, 10);
  QPainter finePainter(&fine);
  QtDeviceContext printer(finePainter, QtDeviceContext::Surface::kPrinter,
                          DeviceMapping::ForPage(1200, 1800, 600, 600));
  const Size printed = printer.GetTextExtent("-200.0m");
  EXPECT_NEAR(double(printed.cx) / normal.cx, 1.0, 0.12);
}
