#include "core/graph/info_box.h"

#include <cstdio>

#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

namespace {

constexpr int32_t kDefaultLineHeight = 35;

template <typename... Args>
std::string Format(const char* format, Args... args) {
  int n = std::snprintf(nullptr, 0, format, args...);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  std::snprintf(out.data(), out.size() + 1, format, args...);
  return out;
}

}  // namespace

CInfoBox::CInfoBox() {
  // The axes are set up as a wave box's; nothing draws with them.
  x_.SetDisplayMultiplier(0.001);
  x_.SetLabelFlags(0x303);
  x_.SetTickOriginFromStart(1);
  x_.SetUnit("s");
  y_.SetDisplayMultiplier(0.01);
  y_.SetLabelFlags(3);
  y_.SetMinTickSpacing(30);
  plotRect_ = Rect{};
}

int32_t CInfoBox::HeightFor(int32_t stringHeight) {
  if (stringHeight == 0) stringHeight = kDefaultLineHeight;
  return static_cast<int32_t>(6.2 * stringHeight);
}

void CInfoBox::SetRect(const Rect& box, const Rect* plot) {
  CBox::SetRect(box, plot);
  plotRect_ = Rect{};
}

void CInfoBox::Draw(DeviceContext& dc, const Rect* clip) {
  if (validFlags_ & kValidFrame) {
    EraseData(dc, clip);
  } else {
    validFlags_ &= static_cast<uint16_t>(~kValidLabels);
    DrawFrame(dc, clip);
  }
  if (!dc.IsPrinting() && !dc.RecordsVectorOutput()) DrawActiveBorder(dc, clip);
}

std::string CInfoBox::TitleText() const {
  if (!settings_) return {};
  return "< " + WaveFileName(settings_->record) + " >";
}

std::string CInfoBox::FormatText() const {
  if (!wave_) return {};
  std::string text = Format("ｻﾝﾌﾟﾘﾝｸﾞ周波数：%d ｻﾝﾌﾟﾙ/秒　ﾃﾞｰﾀ長：%d ﾋﾞｯﾄ　",
                            static_cast<int>(wave_->Rate()), static_cast<int>(wave_->Bits()));
  text += wave_->Channels() == 1 ? "ﾁｬﾝﾈﾙ数：1(ﾓﾉﾗﾙ)" : "ﾁｬﾝﾈﾙ数：2(ｽﾃﾚｵ)";
  return text;
}

std::string CInfoBox::LengthText() const {
  if (!wave_) return {};
  const uint32_t frames = wave_->FrameCount();
  const double seconds = wave_->Rate() ? double(frames) / wave_->Rate() : 0.0;
  std::string text = Format("総ｻﾝﾌﾟﾙ数 = %d　%8.3f 秒  ", static_cast<int>(frames), seconds);
  // An imported wave says what its file held. The format line is full at the usual box
  // widths (it is cut at the box), so the note goes on this shorter line.
  if (wave_->Source()) text += SourceNoteJa(*wave_->Source());
  return text;
}

std::string CInfoBox::FftText() const {
  if (!settings_) return {};
  const AnalysisSettings& s = settings_->record;
  std::string text = Format("FFTﾌﾞﾛｯｸ：%d　平均回数：%d  ｵｰﾊﾞｰﾗｯﾌﾟ：%lld%%",
                            static_cast<int>(s.blockSize), static_cast<int>(s.averagingCount),
                            static_cast<long long>(s.overlapIndex) * 25);
  if (s.fftFlags & kFftWindow) text += "Hanning";
  return text;
}

void CInfoBox::DrawFrame(DeviceContext& dc, const Rect* clip) {
  CBox::DrawFrame(dc, clip);
  if (!settings_) return;
  const LogFont* documentFont = DocumentLogFont();
  if (!documentFont) return;
  LogFont titleFont = *documentFont;
  titleFont.height = titleFont.height + (titleFont.height >> 2);

  dc.SetBkColor(colors_[kColorFrameBack]);
  int32_t g = kDefaultLineHeight;
  if (settings_->stringSize) {
    if (settings_->stringSize->height == 0) settings_->stringSize->height = kDefaultLineHeight;
    g = settings_->stringSize->height;
  }
  const int32_t y1 = boxRect_.bottom - g / 2;
  const int32_t y2 = y1 + (g >> 2) - 2 * g;
  const int32_t y3 = y2 - (g + (g >> 2));
  const int32_t y4 = y3 - (g + (g >> 2));

  uint32_t oldAlign = dc.SetTextAlign(kAlignLeft | kAlignTop);
  LogFont previous = dc.SelectFont(titleFont);
  dc.TextOutClipped(boxRect_.left + 30, y1, boxRect_, TitleText());
  dc.SelectFont(previous);
  dc.TextOutClipped(boxRect_.left + 90, y2, boxRect_, FormatText());
  dc.TextOutClipped(boxRect_.left + 90, y3, boxRect_, LengthText());
  dc.TextOutClipped(boxRect_.left + 90, y4, boxRect_, FftText());
  dc.SetTextAlign(oldAlign);
}
