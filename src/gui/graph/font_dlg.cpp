#include "gui/graph/font_dlg.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

#include "core/doc/wav_doc.h"
#include "gui/graph/color_chooser.h"
#include "render/qt_convert.h"

namespace {

QFont ToQFont(const LogFont& f, int dpi) {
  QFont q(FromUtf8(f.FaceNameUtf8()));
  q.setPixelSize(std::max(1, MulDiv(std::abs(f.height ? f.height : kDefaultCharacterHeight), dpi, kLogicalUnitsPerInch)));
  q.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight ? f.weight : 400, 100, 900)));
  q.setItalic(f.italic != 0);
  q.setUnderline(f.underline != 0);
  q.setStrikeOut(f.strikeOut != 0);
  return q;
}

void FromQFont(const QFont& q, int dpi, LogFont& f) {
  int pixels = q.pixelSize() > 0 ? q.pixelSize() : static_cast<int>(std::lround(q.pointSizeF() * dpi / 72.0));
  f.height = -MulDiv(std::max(1, pixels), kLogicalUnitsPerInch, dpi);
  f.weight = q.weight();
  f.italic = q.italic() ? 1 : 0;
  f.underline = q.underline() ? 1 : 0;
  f.strikeOut = q.strikeOut() ? 1 : 0;
  f.SetFaceNameUtf8(ToUtf8(q.family()));
}

}  // namespace

bool RunFontDialog(QWidget* parent, DocumentFont& font, int dpi) {
  QDialog dlg(parent);
  dlg.setWindowTitle(QStringLiteral("フォント"));
  auto* chooser = new QFontDialog(ToQFont(font.logFont, dpi), &dlg);
  chooser->setWindowFlags(Qt::Widget);
  chooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  uint32_t color = font.textColor;
  auto* colorButton = new QPushButton(QStringLiteral("色(&C)..."), &dlg);
  colorButton->setIcon(ColorSwatch(color));
  QObject::connect(colorButton, &QPushButton::clicked, &dlg, [&] {
    QColor c = QColorDialog::getColor(ColorFromRef(color), &dlg, QStringLiteral("文字の色"));
    if (c.isValid()) {
      color = ColorRefFrom(c);
      colorButton->setIcon(ColorSwatch(color));
    }
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(colorButton);
  row->addStretch();
  row->addWidget(buttons);
  auto* layout = new QVBoxLayout(&dlg);
  layout->addWidget(chooser);
  layout->addLayout(row);
  if (dlg.exec() != QDialog::Accepted) return false;
  FromQFont(chooser->currentFont(), dpi, font.logFont);
  font.textColor = color;
  return true;
}
