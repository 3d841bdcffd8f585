#pragma once
// Whole pages of boxes drawn with Qt: as an image (PNG), at the physical page size on a
// printer page (PDF), or as a vector picture (SVG). The page is drawn as the view paints it
// (DrawBoxPage), so the label cell is measured on the target surface first.
#include <QImage>
#include <QPoint>
#include <QString>

#include "render/qt_device_context.h"

class BoxPage;
class QPainter;

// Default resolutions: a screen of 96 pixels per inch for images, a printer of 600 dots
// per inch for PDF, and one SVG unit per 0.1 mm.
inline constexpr int kDefaultImageDpi = 96;
inline constexpr int kDefaultPdfDpi = 600;
inline constexpr int kDefaultSvgDpi = kLogicalUnitsPerInch;

// The page on a white Format_RGB32 image of page size x dpi / 254 pixels. A null image when
// the page is empty or the image would be too large.
QImage RenderPageImage(BoxPage& page, int dpi = kDefaultImageDpi);

// Draws the whole page with a painter that is active on a device of dpi dots per inch, the
// page's top left corner at the device point origin (the device origin by default; negative
// to show a part further right and down, as a printed sheet of a page larger than the paper
// does): a QPrinter page, an image, a PDF or SVG writer. The page area is filled white first.
void DrawPageWithPainter(QPainter& painter, QtDeviceContext::Surface surface, BoxPage& page,
                         int dpiX, int dpiY, QPoint origin = QPoint());

// Each draws the picture in memory and puts it in place through the safe save (an existing
// file is replaced only by a complete picture) and returns an empty text, or a text that
// says why it could not.
QString RenderPagePng(BoxPage& page, const QString& path, int dpi = kDefaultImageDpi);
QString RenderPagePdf(BoxPage& page, const QString& path, int dpi = kDefaultPdfDpi);
// An SVG file is drawn as a printed page (every device column of its resolution shows the
// extremes of its frames); asPicture draws it as the recorded picture of the clipboard
// instead, with at most about 3000 points per curve.
QString RenderPageSvg(BoxPage& page, const QString& path, int dpi = kDefaultSvgDpi,
                      bool asPicture = false);

// The page as the recorded vector picture of the clipboard, in memory; empty when it cannot
// be drawn.
QByteArray RenderPageSvgBytes(BoxPage& page, int dpi = kDefaultSvgDpi);

// The largest image RenderPageImage makes, in pixels.
inline constexpr qint64 kMaxPageImagePixels = qint64{200} * 1000 * 1000;
