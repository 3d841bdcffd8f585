#include "core/graph/log_font.h"

#include <cstring>

#include "core/io/cp932.h"

std::string LogFont::FaceNameUtf8() const {
  return Cp932ToUtf8(std::string(faceName, strnlen(faceName, sizeof faceName)));
}

void LogFont::SetFaceNameUtf8(const std::string& utf8) {
  std::memset(faceName, 0, sizeof faceName);
  const std::string out = Utf8ToCp932Within(utf8, sizeof faceName - 1);
  std::memcpy(faceName, out.data(), out.size());
}

LogFont DefaultLogFont() {
  LogFont f;
  f.height = -kDefaultCharacterHeight;
  f.weight = 400;
  f.charSet = 128;
  f.outPrecision = 3;
  f.clipPrecision = 2;
  f.quality = 1;
  f.pitchAndFamily = 50;
  f.SetFaceNameUtf8("ＭＳ Ｐゴシック");
  return f;
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t product = int64_t{a} * b;
  bool negative = (product < 0) != (c < 0);
  int64_t pa = product < 0 ? -product : product;
  int64_t pc = c < 0 ? -int64_t{c} : c;
  int64_t q = (pa + pc / 2) / pc;
  return static_cast<int32_t>(negative ? -q : q);
}
