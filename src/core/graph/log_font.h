#pragma once
// The document's font as it is stored: the platform's 60-byte logical font record with the
// height in logical units of 0.1 mm (negative: character height) and the face name in CP932,
// plus the text colour (0x00BBGGRR). Converted to a real font only where drawing happens.
#include <cstddef>
#include <cstdint>
#include <string>

#pragma pack(push, 1)
struct LogFont {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  char faceName[32] = {};  // CP932, zero-terminated

  // The face name in UTF-8, and setting it from UTF-8 (cut to 31 bytes of CP932 on a
  // character boundary).
  std::string FaceNameUtf8() const;
  void SetFaceNameUtf8(const std::string& utf8);
};
#pragma pack(pop)

static_assert(sizeof(LogFont) == 60);
static_assert(offsetof(LogFont, weight) == 16);
static_assert(offsetof(LogFont, charSet) == 23);
static_assert(offsetof(LogFont, faceName) == 28);

// The font of a document's graphs: the record and its text colour.
struct DocumentFont {
  LogFont logFont;
  uint32_t textColor = 0;
};

// The character height of a new document's font: 3.4 mm.
inline constexpr int32_t kDefaultCharacterHeight = 34;

// The platform's multiply-divide: a * b / c rounded to the nearest integer (halves away
// from zero); used to convert font heights between 0.1 mm and screen pixels.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// The default of a new document: -34 (3.4 mm), weight 400, Shift-JIS character set,
// face "ＭＳ Ｐゴシック" (drawn with the system's Japanese sans-serif font).
LogFont DefaultLogFont();
