#pragma once
// The font dialog of the graphs ("フォント"): the platform's font chooser with the document
// font's face, size (shown in screen pixels: height in 0.1 mm x dpi / 254), weight and
// effects, plus its text colour. True when the user confirmed; the font then holds the
// choice, its height converted back to 0.1 mm (pixels x 254 / dpi, to the nearest unit).
#include "core/graph/log_font.h"

class QWidget;

bool RunFontDialog(QWidget* parent, DocumentFont& font, int dpi);
