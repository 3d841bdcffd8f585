#include "render/page_render.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/graph/wave_box.h"
#include "render/qt_device_context.h"
#include "support/temp_dir.h"

namespace {

// Colours no antialiased black text can produce, so that every pixel of them is a curve.
constexpr uint32_t kCurve = 0x0000E0;  // red
constexpr uint32_t kSelected = 0xE00000;  // blue

AppSettings Distinct() {
  AppSettings d;
  for (ColorSet& set : d.colorSets) {
    set[kColorGraph] = kCurve;
    set[kColorArea] = kSelected;
  }
  return d;
}

void FillMusicLike(CWave& wave, uint16_t channels, uint32_t frames) {
  wave.SetFormat(44100, 16, channels);
  ASSERT_TRUE(wave.Allocate(frames));
  for (uint32_t f = 0; f < frames; ++f) {
    double t = f / 44100.0;
    double env = std::exp(-std::fmod(t, 0.5) * 4);
    wave.SetSample(f, static_cast<int>(30000 * env * std::sin(2 * 3.14159265 * 440 * t)), kChannelLeft);
    if (channels > 1)
      wave.SetSample(f, static_cast<int>(20000 * env * std::sin(2 * 3.14159265 * 660 * t)), kChannelRight);
  }
}

QRect DeviceRect(const DeviceMapping& m, const Rect& r) {
  Point a = m.LogicalToDevice({r.left, r.top});
  Point b = m.LogicalToDevice({r.right, r.bottom});
  return QRect(QPoint(std::min(a.x, b.x), std::min(a.y, b.y)), QPoint(std::max(a.x, b.x), std::max(a.y, b.y)));
}

}  // namespace

TEST(PageRender, ImageOfTheDefaultPageHasThePageSizeAndCurvesOnlyInsideThePlots) {
  AppSettings app = Distinct();
  CWavDoc page(&app);
  FillMusicLike(page.Wave(), 2, 44100 * 3);
  page.Context().record.fftRangeStart = 0;
  page.SetUpForWave("music.wav");
  page.Context().record.fftRangeStart = 44100;  // the second second is the FFT range
  page.Context().record.fftRangeEnd = 88200;
  const QImage image = RenderPageImage(page, 96);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(1200 * 96 / 254, 1800 * 96 / 254));
  const DeviceMapping m = DeviceMapping::ForPage(1200, 1800, 96, 96);
  std::vector<QRect> plots;
  for (int slot : {kBoxWaveLeft, kBoxWaveRight}) plots.push_back(DeviceRect(m, page.GetBox(slot)->PlotRect()));
  int curve = 0, selected = 0, outside = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y) & 0xFFFFFF;
      const bool isCurve = p == 0xE00000 || p == 0x0000E0;  // QRgb is 0xRRGGBB
      if (!isCurve) continue;
      (p == 0x0000E0 ? selected : curve)++;
      bool inside = false;
      for (const QRect& r : plots) inside = inside || r.contains(x, y);
      outside += !inside;
    }
  EXPECT_GT(curve, 500);
  EXPECT_GT(selected, 200);
  EXPECT_EQ(outside, 0);
  // The selected part lies in the middle third of each plot.
  const QRect left = plots[0];
  for (int y = left.top(); y <= left.bottom(); ++y) {
    EXPECT_NE(image.pixel(left.left() + left.width() / 6, y) & 0xFFFFFF, 0x0000E0u);
    EXPECT_NE(image.pixel(left.right() - left.width() / 6, y) & 0xFFFFFF, 0x0000E0u);
  }
}

TEST(PageRender, PdfHasThePhysicalPageSizeAndSvgItsMillimetres) {
  TempDir dir;
  CWavDoc page;
  FillMusicLike(page.Wave(), 1, 20000);
  page.SetUpForWave("sine.wav");
  const QString pdf = QString::fromStdString(dir.Path("page.pdf"));
  ASSERT_TRUE(RenderPagePdf(page, pdf).isEmpty());
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  const QRegularExpression media(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
  const QRegularExpressionMatch match = media.match(QString::fromLatin1(bytes));
  ASSERT_TRUE(match.hasMatch());
  EXPECT_NEAR(match.captured(1).toDouble(), 120.0 / 25.4 * 72, 0.5);
  EXPECT_NEAR(match.captured(2).toDouble(), 180.0 / 25.4 * 72, 0.5);

  const QString svg = QString::fromStdString(dir.Path("page.svg"));
  ASSERT_TRUE(RenderPageSvg(page, svg).isEmpty());
  QFile svgFile(svg);
  ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
  const QByteArray text = svgFile.readAll();
  EXPECT_TRUE(text.contains("width=\"120mm\" height=\"180mm\""));
  EXPECT_TRUE(text.contains("Wave Mono"));
  EXPECT_TRUE(text.contains("ｻﾝﾌﾟﾘﾝｸﾞ"));  // the generator splits texts into runs
  EXPECT_TRUE(text.contains("周波数"));
  EXPECT_FALSE(RenderPagePng(page, QString::fromStdString(dir.Path("no/such/dir/x.png"))).isEmpty());
}

// A wave box without margins and without a mark draws no text: frame, grid and curve are
// exact pixels, robust enough to compare with a stored image.
TEST(PageRender, WaveBoxWithoutTextMatchesItsGoldenImage) {
  CWave wave;
  wave.SetFormat(8000, 16, 1);
  ASSERT_TRUE(wave.Allocate(4000));
  for (uint32_t f = 0; f < 4000; ++f)
    wave.SetSample(f, static_cast<int>(25000 * std::sin(f * 0.01) * std::exp(-double(f) / 2500.0)), kChannelLeft);
  AnalysisContext context;
  context.record.fftRangeStart = 1000;
  context.record.fftRangeEnd = 2000;
  CWaveBox box;
  box.SetSource(&wave, &context, 0);
  box.SetRect({20, -380, 1180, -20}, nullptr);
  box.SetDefaultRanges();
  box.SetColors(kApplicationDefaultColors);
  QImage image(454, 152, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, DeviceMapping::ForPage(1200, 400, 96, 96));
    box.Draw(dc, nullptr);
  }
  const QString golden = QStringLiteral(SONVUE_SOURCE_DIR "/tests/render/golden/wave_box_plain.png");
  if (qEnvironmentVariableIsSet("SONVUE_UPDATE_GOLDEN")) {
    ASSERT_TRUE(image.save(golden));
  }
  QImage expected(golden);
  ASSERT_FALSE(expected.isNull()) << "missing " << golden.toStdString();
  EXPECT_EQ(image, expected.convertToFormat(QImage::Format_RGB32));
}
