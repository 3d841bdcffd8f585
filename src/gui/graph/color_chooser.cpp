#include "gui/graph/color_chooser.h"

#include <QColorDialog>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "render/qt_convert.h"

std::optional<uint32_t> ChooseColor(QWidget* parent, uint32_t initial, CustomColors& customColors) {
  for (int i = 0; i < QColorDialog::customCount() && i < static_cast<int>(customColors.size()); ++i)
    QColorDialog::setCustomColor(i, ColorFromRef(customColors[i]));
  const QColor chosen = QColorDialog::getColor(ColorFromRef(initial), parent, QStringLiteral("色の設定"));
  if (!chosen.isValid()) return std::nullopt;
  for (int i = 0; i < QColorDialog::customCount() && i < static_cast<int>(customColors.size()); ++i)
    customColors[i] = ColorRefFrom(QColorDialog::customColor(i));
  return ColorRefFrom(chosen);
}

QIcon ColorSwatch(uint32_t color) {
  QPixmap swatch(16, 16);
  swatch.fill(ColorFromRef(color));
  QPainter p(&swatch);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 15, 15);
  p.end();
  return QIcon(swatch);
}
