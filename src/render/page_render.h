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

// The largest image RenderPageImage makes, in pixels.
inline constexpr qint64 kMaxPageImagePixels = qint64{200} * 1000 * 1000;
// The largest sheet a page is printed on, A0 in millimetres; a page larger than it either way
// round is drawn scaled down to fit it.
inline constexpr int kPrintableSheetShortMm = 841;
inline constexpr int kPrintableSheetLongMm = 1189;

enum class PageFormat { kPng, kPdf, kSvg };

// The factor (1 or less) by which a page of pageSize (0.1 mm) is drawn smaller at dpi: a page
// larger than an A0 sheet in either orientation is scaled to fit one, and an image is also
// kept within kMaxPageImagePixels. 1 for every page that fits.
double PageDrawScale(const Size& pageSize, int dpi, PageFormat format);

// The page on a white Format_RGB32 image of page size x dpi / 254 pixels, times the page's
// draw scale. A null image when the page is empty or memory is refused.
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

// The picture of the page in memory, as the files above hold it (for standard output); an
// empty text, or one that says why it could not be drawn.
QString RenderPageBytes(BoxPage& page, PageFormat format, int dpi, QByteArray& bytes);
