#include "core/wave/source_format.h"

#include "core/wave/text_join.h"

namespace {

int OpenedChannels(const SourceFormat& s) { return s.secondChannel > 0 ? 2 : 1; }

std::string Encoding(const SourceFormat& s) {
  if (!s.codec.empty()) return s.codec;
  if (s.bitsPerSample <= 0) return {};
  return Join(s.bitsPerSample, s.floatingPoint ? "-bit float" : " bits");
}

// widthWord follows the width: "ビット" or the half-width "ﾋﾞｯﾄ" of the information box.
std::string EncodingJa(const SourceFormat& s, const char* widthWord) {
  if (!s.codec.empty()) return s.codec;
  if (s.bitsPerSample <= 0) return {};
  return Join(s.bitsPerSample, widthWord, s.floatingPoint ? "浮動小数点" : "");
}

std::string PickedList(const SourceFormat& s, const char* separator) {
  if (s.secondChannel <= 0) return Join(s.firstChannel);
  return Join(s.firstChannel, separator, s.secondChannel);
}

}  // namespace

std::string DescribeSource(const SourceFormat& s) {
  std::string text = s.container;
  if (std::string e = Encoding(s); !e.empty()) text += Join(", ", e);
  return text + Join(", ", s.rateHz, " Hz, ", s.channelCount, s.channelCount == 1 ? " channel" : " channels");
}

std::string SourceLine(const SourceFormat& s, int openedBits) {
  const int opened = OpenedChannels(s);
  return Join("source: ", DescribeSource(s), "; opened as ", openedBits, " bits, ", opened,
              opened == 1 ? " channel (" : " channels (", PickedList(s, ", "), ")");
}

std::string SourceNoteJa(const SourceFormat& s) {
  // The rate is the wave's own (the import does not resample), so the note leaves it out.
  std::string text = Join("元：", s.container);
  if (std::string e = EncodingJa(s, "ﾋﾞｯﾄ"); !e.empty()) text += Join(" ", e);
  text += Join(" ", s.channelCount, "ch");
  if (s.channelCount > 2 || s.firstChannel != 1 || (s.channelCount == 2 && s.secondChannel != 2)) {
    text += Join("(", PickedList(s, ","), ")");
  }
  return text;
}

std::string ConversionSentenceJa(const SourceFormat& s, int openedBits) {
  std::string what = Join(s.container, "（");
  if (std::string e = EncodingJa(s, "ビット"); !e.empty()) what += Join(e, "、");
  what += Join(s.rateHz, " Hz、", s.channelCount, "チャンネル）");
  return Join(what, "を", openedBits, "ビット・", OpenedChannels(s), "チャンネルに変換して開きました。");
}
