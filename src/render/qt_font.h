#pragma once
// Real fonts from the stored font record.
#include <QFont>
#include <QString>

#include "core/graph/log_font.h"

// The family a face name is drawn with: the face itself when the system has it, otherwise a
// Japanese sans-serif font (the record's faces are Japanese; the default "ＭＳ Ｐゴシック"
// does not exist here), otherwise the system's general font.
QString ResolveFontFamily(const std::string& faceNameUtf8);

// The family drawn when a face is missing.
QString JapaneseFallbackFamily();

// A font for a surface with devicePixelsPerUnit device pixels per logical unit: a negative
// height is the character height (the em size), a positive one the cell height (ascent plus
// descent), 0 a character height of 3.5 mm. Weight 0 is normal.
QFont FontFromLogFont(const LogFont& logFont, double devicePixelsPerUnit);
