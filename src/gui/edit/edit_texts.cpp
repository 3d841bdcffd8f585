#include "gui/edit/edit_texts.h"

#include <cstdio>
#include <algorithm>

namespace {

constexpr const char* kFadeInTitle = "ﾌｪｰﾄﾞｲﾝ";
constexpr const char* kFadeOutTitle = "ﾌｪｰﾄﾞｱｳﾄ";
constexpr const char* kDeleteTitle = "データ削除";
constexpr const char* kReverseTitle = "波形逆転";
constexpr const char* kEchoTitle = "ディレイ（エコー）";
constexpr const char* kMixTitle = "データ合成";
constexpr const char* kCopyTitle = "データコピー";
constexpr const char* kChannelLine = "\n対象チャンネル：";

// The wave buffer's whole-buffer wording allows for a mouse selection that misses the last
// few frames at either end.
constexpr uint32_t kWholeBufferSlackFrames = 30;

std::string Format(const char* format, uint32_t frames, double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<int>(frames), seconds);
  return text;
}

}  // namespace

const char* BufferName(int buffer) { return buffer == kTempBuffer ? "テンポラリバッファ" : "ウェーブバッファ"; }

const char* ChannelName(int selector) {
  switch (selector) {
    case 1: return "Ｌチャンネル";
    case 2: return "Ｒチャンネル";
    default: return "全チャンネル";
  }
}

std::string BufferWithChannel(int buffer, int selector) {
  return std::string(BufferName(buffer)) + ChannelName(selector);
}

std::vector<ChannelEntry> ChannelEntries(uint16_t channels) {
  if (channels < 2) return {{"モノラル", 3}};
  return {{"左チャンネル", 1}, {"右チャンネル", 2}, {"両チャンネル（左右）", 3}};
}

int ChannelEntryIndex(const std::vector<ChannelEntry>& entries, int graphChannel) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].selector == graphChannel) return static_cast<int>(i);
  }
  return entries.empty() ? -1 : static_cast<int>(entries.size()) - 1;
}

SelectionTexts MakeSelectionTexts(bool hasData, uint32_t frames, uint32_t rateHz, uint32_t start,
                                  uint32_t end) {
  SelectionTexts t;
  if (!hasData || frames == 0) {
    t.total = "データなし";
    return t;
  }
  const double rate = rateHz ? static_cast<double>(rateHz) : 1.0;
  const uint32_t length = end >= start ? end - start : start - end;
  t.total = Format("全長:%d(%5.2fsec)", frames, frames / rate);
  t.start = std::to_string(start);
  t.end = std::to_string(end);
  t.length = Format("%d(%5.2fsec)", length, length / rate);
  return t;
}

EditMessage EmptySelectionForFade(bool fadeIn) {
  return {fadeIn ? kFadeInTitle : kFadeOutTitle, "選択の範囲がありません。\nフェード対象の範囲を指定してください。"};
}

EditMessage EmptySelectionForDelete() {
  return {kDeleteTitle, "選択の範囲がありません。\n削除対象の範囲を指定してください。"};
}

EditMessage EmptySelectionForReverse() {
  return {kReverseTitle, "選択の範囲がありません。\n逆転対象の範囲を指定してください。"};
}

EditMessage EmptySelectionForEcho() {
  return {kEchoTitle, "選択の範囲がありません。\n遅延処理対象の範囲を指定してください。"};
}

EditMessage EmptySourceForMix(int sourceBuffer) {
  return {kMixTitle, std::string(BufferName(sourceBuffer)) + "の選択の範囲がありません。\n合成対象(元)の範囲を指定してください。"};
}

EditMessage EmptyDestinationForMix(int destBuffer) {
  return {kMixTitle, std::string(BufferName(destBuffer)) + "の選択範囲がありません。\n合成対象(先)の範囲を指定してください。"};
}

EditMessage EmptySourceForCopy(int sourceBuffer) {
  if (sourceBuffer == kTempBuffer) {
    return {kCopyTitle, "テンポラリバッファ選択の範囲がありません。\nコピー対象(元)の範囲を指定してください。"};
  }
  return {kCopyTitle, "ウェーブバッファの選択の範囲がありません。\nコピー対象(元)の範囲を指定してください。"};
}

EditMessage EmptyDestinationForOverwrite() {
  return {kCopyTitle, "コピー先の選択範囲がありません。\n上書きする範囲を指定するか、挿入を選んでください。"};
}

EditMessage InsertionOutOfMemory() {
  return {kCopyTitle, "メモリが不足しているため、データを挿入できませんでした。\nコピー先のデータは変更していません。"};
}

EditMessage FadeQuestion(int buffer, bool fadeIn, int selector) {
  return {fadeIn ? kFadeInTitle : kFadeOutTitle,
          std::string(BufferName(buffer)) + (fadeIn ? "の選択範囲をフェードイン処理します" : "の選択範囲をフェードアウト処理します") +
              kChannelLine + ChannelName(selector)};
}

EditMessage ReverseQuestion(int buffer, int selector) {
  return {kReverseTitle, std::string(BufferName(buffer)) + "の選択範囲を時間反転します" + kChannelLine + ChannelName(selector)};
}

EditMessage DeleteQuestion(int buffer, uint32_t start, uint32_t end, uint32_t frames) {
  bool whole;
  if (buffer == kWaveBuffer) {
    whole = !(end - start < frames - kWholeBufferSlackFrames);
  } else {
    // "全選択" gives (0, frame count), a drag (0, frame count - 1): both are everything.
    whole = start == 0 && uint64_t{end} + 1 >= frames;
  }
  const std::string name = BufferName(buffer);
  if (whole) return {kDeleteTitle, name + "のすべてを削除します\nデータは表示チャンネルに関係なくすべてを削除します。"};
  return {kDeleteTitle, name + "の選択範囲を削除します\nデータは表示チャンネルに関係なく選択範囲のすべてを削除します。"};
}

EditMessage ConvertedOnLoad() {
  return {"データ読込", "読み込んだｳｪｰﾌﾞﾃﾞｰﾀはｳｪｰﾌﾞﾌｫｰﾏｯﾄが一致しないため、\nﾌｫｰﾏｯﾄ変換しました。"};
}

int64_t PeakAfterLevel(int peak, int percent) {
  const int64_t p = std::clamp(percent, 1, 10000);
  return int64_t{peak} * p / 100;
}

int LevelBarHeight(int64_t value, int height) {
  if (value <= 0) return 0;
  if (value >= 32768) return height;
  return static_cast<int>(value * height / 32768);
}
