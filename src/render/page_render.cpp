#include "render/page_render.h"

#include <QBuffer>
#include <QFile>

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

#include "core/graph/page_drawing.h"
#include "core/io/safe_file.h"
#include "render/qt_device_context.h"

namespace {

// Puts a finished picture in place through the safe save: the file at path is replaced only
// by the complete picture. An empty text, or why not.
QString SaveBytes(const QByteArray& bytes, const QString& path) {
  SafeFileWriter writer;
  const std::string target = QFile::encodeName(path).toStdString();
  if (!writer.Begin(target) || !writer.Stream().Write(bytes.constData(), static_cast<size_t>(bytes.size())) ||
      !writer.Commit()) {
    const std::string why = writer.Error().empty() ? std::string("the file cannot be written") : writer.Error();
    writer.Abort();
    return QStringLiteral("cannot write ") + path + QStringLiteral(" (") + QString::fromStdString(why) +
           QStringLiteral(")");
  }
  return {};
}

Rect WholePage(const Size& page) { return Rect{0, -page.cy, page.cx, 0}; }

constexpr double kUnitsPerMm = 10.0;

// The page mapping at dpi, the device extents made smaller by scale.
DeviceMapping ScaledPageMapping(const Size& size, int dpi, double scale) {
  DeviceMapping m = DeviceMapping::ForPage(size.cx, size.cy, dpi, dpi);
  if (scale < 1.0) {
    const double perUnit = dpi * scale / kLogicalUnitsPerInch;
    m.viewportExtX = std::max(1, static_cast<int32_t>(size.cx * perUnit));
    m.viewportExtY = std::max(1, static_cast<int32_t>(size.cy * perUnit));
  }
  return m;
}

void DrawWholePage(QPainter& painter, QtDeviceContext::Surface surface, BoxPage& page,
                   const Size& pageSize, const DeviceMapping& mapping) {
  painter.fillRect(QRect(mapping.viewportOrgX, mapping.viewportOrgY, mapping.viewportExtX, mapping.viewportExtY),
                   Qt::white);
  QtDeviceContext dc(painter, surface, mapping);
  DrawBoxPage(dc, page, WholePage(pageSize));
}

}  // namespace

void DrawPageWithPainter(QPainter& painter, QtDeviceContext::Surface surface, BoxPage& page,
                         int dpiX, int dpiY, QPoint origin) {
  const Size size = page.GetDocSize();
  if (size.cx <= 0 || size.cy <= 0 || dpiX <= 0 || dpiY <= 0) return;
  DrawWholePage(painter, surface, page, size,
                DeviceMapping::ForPage(size.cx, size.cy, dpiX, dpiY, origin.x(), origin.y()));
}

double PageDrawScale(const Size& size, int dpi, PageFormat format) {
  if (size.cx <= 0 || size.cy <= 0 || dpi <= 0) return 1.0;
  const double shortUnits = kPrintableSheetShortMm * kUnitsPerMm;
  const double longUnits = kPrintableSheetLongMm * kUnitsPerMm;
  const double upright = std::min(shortUnits / size.cx, longUnits / size.cy);
  const double across = std::min(longUnits / size.cx, shortUnits / size.cy);
  double scale = std::min(1.0, std::max(upright, across));
  if (format == PageFormat::kPng) {
    const double perUnit = dpi * scale / kLogicalUnitsPerInch;
    const double pixels = size.cx * perUnit * (size.cy * perUnit);
    if (pixels > kMaxPageImagePixels) scale *= std::sqrt(kMaxPageImagePixels / pixels);
  }
  return scale;
}

QImage RenderPageImage(BoxPage& page, int dpi) {
  const Size size = page.GetDocSize();
  if (size.cx <= 0 || size.cy <= 0 || dpi <= 0) return {};
  const DeviceMapping mapping = ScaledPageMapping(size, dpi, PageDrawScale(size, dpi, PageFormat::kPng));
  if (qint64{mapping.viewportExtX} * mapping.viewportExtY > kMaxPageImagePixels) return {};
  QImage image(mapping.viewportExtX, mapping.viewportExtY, QImage::Format_RGB32);
  if (image.isNull()) return {};
  image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
  image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
  QPainter painter(&image);
  DrawWholePage(painter, QtDeviceContext::Surface::kScreen, page, size, mapping);
  painter.end();
  return image;
}

namespace {

// Draws the page as one PDF page of its physical size into device; an empty text, or why not.
QString DrawPdf(QIODevice& device, BoxPage& page, const Size& size, int dpi, const QString& what) {
  const double scale = PageDrawScale(size, dpi, PageFormat::kPdf);
  QPdfWriter writer(&device);
  writer.setResolution(dpi);
  writer.setPageSize(QPageSize(QSizeF(size.cx * scale / kUnitsPerMm, size.cy * scale / kUnitsPerMm),
                               QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  writer.setTitle(QStringLiteral("Sonvue page"));
  writer.setCreator(QStringLiteral("Sonvue"));
  QPainter painter;
  if (!painter.begin(&writer)) return QStringLiteral("cannot write ") + what;
  const DeviceMapping mapping = ScaledPageMapping(size, dpi, scale);
  DrawWholePage(painter, QtDeviceContext::Surface::kPrinter, page, size, mapping);
  if (!painter.end()) return QStringLiteral("cannot write ") + what;
  return {};
}

// Draws the page into a generator whose output has been set; an empty text, or why not.
QString DrawSvg(QSvgGenerator& generator, BoxPage& page, int dpi, bool asPicture, const QString& what) {
  const Size size = page.GetDocSize();
  if (size.cx <= 0 || size.cy <= 0 || dpi <= 0) return QStringLiteral("the page is empty");
  const DeviceMapping mapping = ScaledPageMapping(size, dpi, PageDrawScale(size, dpi, PageFormat::kSvg));
  generator.setResolution(dpi);
  generator.setSize(QSize(mapping.viewportExtX, mapping.viewportExtY));
  generator.setViewBox(QRect(0, 0, mapping.viewportExtX, mapping.viewportExtY));
  generator.setTitle(QStringLiteral("Sonvue page"));
  QPainter painter;
  if (!painter.begin(&generator)) return QStringLiteral("cannot write ") + what;
  DrawWholePage(painter,
                asPicture ? QtDeviceContext::Surface::kVectorRecording
                          : QtDeviceContext::Surface::kPrinter,
                page, size, mapping);
  if (!painter.end()) return QStringLiteral("cannot write ") + what;
  return {};
}

}  // namespace

namespace {

QString DrawBytes(BoxPage& page, PageFormat format, int dpi, bool asPicture, const QString& what,
                  QByteArray& bytes) {
  bytes.clear();
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  switch (format) {
    case PageFormat::kPng: {
      QImage image = RenderPageImage(page, dpi);
      if (image.isNull()) return QStringLiteral("the page is empty or too large for an image");
      if (!image.save(&buffer, "PNG")) return QStringLiteral("cannot encode ") + what;
      return {};
    }
    case PageFormat::kPdf: {
      const Size size = page.GetDocSize();
      if (size.cx <= 0 || size.cy <= 0 || dpi <= 0) return QStringLiteral("the page is empty");
      return DrawPdf(buffer, page, size, dpi, what);
    }
    case PageFormat::kSvg: {
      QSvgGenerator generator;
      generator.setOutputDevice(&buffer);
      return DrawSvg(generator, page, dpi, asPicture, what);
    }
  }
  return QStringLiteral("unknown picture format");
}

QString RenderToFile(BoxPage& page, PageFormat format, int dpi, bool asPicture, const QString& path) {
  QByteArray bytes;
  QString error = DrawBytes(page, format, dpi, asPicture, path, bytes);
  if (!error.isEmpty()) return error;
  return SaveBytes(bytes, path);
}

}  // namespace

QString RenderPagePng(BoxPage& page, const QString& path, int dpi) {
  return RenderToFile(page, PageFormat::kPng, dpi, false, path);
}

QString RenderPagePdf(BoxPage& page, const QString& path, int dpi) {
  return RenderToFile(page, PageFormat::kPdf, dpi, false, path);
}

QString RenderPageSvg(BoxPage& page, const QString& path, int dpi, bool asPicture) {
  return RenderToFile(page, PageFormat::kSvg, dpi, asPicture, path);
}

QString RenderPageBytes(BoxPage& page, PageFormat format, int dpi, QByteArray& bytes) {
  return DrawBytes(page, format, dpi, false, QStringLiteral("the picture"), bytes);
}

QByteArray RenderPageSvgBytes(BoxPage& page, int dpi) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  if (!DrawSvg(generator, page, dpi, true, QStringLiteral("the clipboard")).isEmpty()) return {};
  return bytes;
}
