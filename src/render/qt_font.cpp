#include "render/qt_font.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

#include "render/qt_convert.h"

namespace {

bool HasFamily(const QString& family) {
  static const QStringList families = QFontDatabase::families();
  return families.contains(family, Qt::CaseInsensitive);
}

}  // namespace

QString JapaneseFallbackFamily() {
  static const QString family = [] {
    for (const char* name : {"IPAPGothic", "IPAexGothic", "IPAGothic", "Noto Sans CJK JP",
                             "Noto Sans JP", "VL PGothic", "TakaoPGothic"}) {
      if (HasFamily(QString::fromLatin1(name))) return QString::fromLatin1(name);
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  }();
  return family;
}

QString ResolveFontFamily(const std::string& faceNameUtf8) {
  QString face = FromUtf8(faceNameUtf8);
  if (!face.isEmpty() && HasFamily(face)) return face;
  return JapaneseFallbackFamily();
}

QFont FontFromLogFont(const LogFont& lf, double devicePixelsPerUnit) {
  QFont font(ResolveFontFamily(lf.FaceNameUtf8()));
  font.setStyleStrategy(QFont::PreferOutline);
  if (lf.weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(int(lf.weight), 1, 1000)));
  else font.setWeight(QFont::Normal);
  font.setItalic(lf.italic != 0);
  font.setUnderline(lf.underline != 0);
  font.setStrikeOut(lf.strikeOut != 0);

  double pixels = 0;
  if (lf.height < 0) {
    pixels = -double(lf.height) * devicePixelsPerUnit;
  } else if (lf.height > 0) {
    // A cell height: scale the em size so that ascent plus descent match it.
    QFont probe = font;
    probe.setPixelSize(100);
    QFontMetricsF fm(probe);
    double cellPerEm = (fm.ascent() + fm.descent()) / 100.0;
    pixels = double(lf.height) * devicePixelsPerUnit / (cellPerEm > 0 ? cellPerEm : 1.0);
  } else {
    pixels = kDefaultCharacterHeight * devicePixelsPerUnit;
  }
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  return font;
}
