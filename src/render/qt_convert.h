#pragma once
// Conversions between the stored records of the core and Qt's types.
#include <QColor>
#include <QString>

#include <cstdint>
#include <string>

// A stored colour value 0x00BBGGRR.
inline QColor ColorFromRef(uint32_t colorRef) {
  return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                static_cast<int>((colorRef >> 16) & 0xFF));
}

inline uint32_t ColorRefFrom(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
         (static_cast<uint32_t>(color.blue()) << 16);
}

// The core keeps text in UTF-8.
inline QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }
