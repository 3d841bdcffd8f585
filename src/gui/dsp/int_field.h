#pragma once
// Whole-number fields of the generator's dialogs: read as the dialogs' data exchange reads
// them, with its messages, and the field focused and selected when it is refused.
#include <QLineEdit>

#include <cstdint>
#include <string>

#include "core/dsp/generator.h"
#include "core/platform/prompt.h"

// A right-aligned field for a whole number, named for tests.
inline QLineEdit* NumberField(int value, const char* name, QWidget* parent) {
  auto* e = new QLineEdit(QString::number(value), parent);
  e->setObjectName(QLatin1String(name));
  e->setMaximumWidth(80);
  e->setAlignment(Qt::AlignRight);
  return e;
}

// The field's number as it stands, or the fallback when it holds none (for what follows the
// typing, such as the sketches, before the field is read for good).
inline int NumberOr(const QLineEdit* field, int fallback) {
  bool ok = false;
  const int v = field->text().trimmed().toInt(&ok);
  return ok ? v : fallback;
}

// The field's whole number; false after "整数を入力してください。" when it holds none.
inline bool ReadIntField(QLineEdit* field, int32_t& value) {
  bool ok = false;
  const int v = field->text().trimmed().toInt(&ok);
  if (!ok) {
    AppMessage(kIntegerMessage, PromptButtons::Ok, PromptIcon::Warning);
    field->setFocus();
    field->selectAll();
    return false;
  }
  value = v;
  return true;
}

// As ReadIntField, and false after the range message when the number lies outside low .. high.
inline bool ReadIntField(QLineEdit* field, int32_t low, int32_t high, int32_t& value) {
  int32_t v = 0;
  if (!ReadIntField(field, v)) return false;
  if (v < low || v > high) {
    AppMessage(RangeMessage(low, high), PromptButtons::Ok, PromptIcon::Warning);
    field->setFocus();
    field->selectAll();
    return false;
  }
  value = v;
  return true;
}
