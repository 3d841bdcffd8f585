#include "render/page_render.h"

#include <QBuffer>

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "core/graph/page_drawing.h"
#include "render/qt_device_context.h"

namespace {

Rect WholePage(const Size& page) { return Rect{0, -page.cy, page.cx, 0}; }

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

QImage RenderPageImage(BoxPage& page, int dpi) {
  const Size size = page.GetDocSize();
  if (size.cx <= 0 || size.cy <= 0 || dpi <= 0) return {};
  const DeviceMapping mapping = DeviceMapping::ForPage(size.cx, size.cy, dpi, dpi);
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

QString RenderPagePng(BoxPage& page, const QString& path, int dpi) {
  QImage image = RenderPageImage(page, dpi);
  if (image.isNull()) return QStringLiteral("the page is empty or too large for an image");
  if (!image.save(path, "PNG")) return QStringLiteral("cannot write ") + path;
  return {};
}

QString RenderPagePdf(BoxPage& page, const QString& path, int dpi) {
  const Size size = page.GetDocSize();
  if (size.cx <= 0 || size.cy <= 0 || dpi <= 0) return QStringLiteral("the page is empty");
  QPdfWriter writer(path);
  writer.setResolution(dpi);
  writer.setPageSize(QPageSize(QSizeF(size.cx / 10.0, size.cy / 10.0), QPageSize::Millimeter,
                               QString(), QPageSize::ExactMatch));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  writer.setTitle(QStringLiteral("Sonvue page"));
  writer.setCreator(QStringLiteral("Sonvue"));
  QPainter painter;
  if (!painter.begin(&writer)) return QStringLiteral("cannot write ") + path;
  const DeviceMapping mapping = DeviceMapping::ForPage(size.cx, size.cy, dpi, dpi);
  DrawWholePage(painter, QtDeviceContext::Surface::kPrinter, page, size, mapping);
  if (!painter.end()) return QStringLiteral("cannot write ") + path;
  return {};
}

namespace {

// Draws the page into a generator whose output has been set; an empty text, or why not.
QString DrawSvg(QSvgGenerator& generator, BoxPage& page, int dpi, bool asPicture, const QString& what) {
  const Size size = page.GetDocSize();
  if (size.cx <= 0 || size.cy <= 0 || dpi <= 0) return QStringLiteral("the page is empty");
  const DeviceMapping mapping = DeviceMapping::ForPage(size.cx, size.cy, dpi, dpi);
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

QString RenderPageSvg(BoxPage& page, const QString& path, int dpi, bool asPicture) {
  QSvgGenerator generator;
  generator.setFileName(path);
  return DrawSvg(generator, page, dpi, asPicture, path);
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
