#pragma once
// The editing dialog's words and rules that need no window: the channel list of a buffer,
// the channel names in messages, the information texts and every message and question of
// the editing commands, so that tests and the dialog read them from one place.
#include <cstdint>
#include <string>
#include <vector>

// The two buffers of the editing dialog.
enum EditBufferId : int { kWaveBuffer = 0, kTempBuffer = 1 };

// "ウェーブバッファ" or "テンポラリバッファ".
const char* BufferName(int buffer);
// A channel selector in messages: "Ｌチャンネル" (1), "Ｒチャンネル" (2), "全チャンネル" (3).
const char* ChannelName(int selector);
// A buffer with its channel, as the mix and copy dialogs show source and destination.
std::string BufferWithChannel(int buffer, int selector);

// The channel list of a buffer: "モノラル" (selector 3) for one channel; "左チャンネル" (1),
// "右チャンネル" (2) and "両チャンネル（左右）" (3) for two.
struct ChannelEntry {
  const char* label;
  int selector;
};
std::vector<ChannelEntry> ChannelEntries(uint16_t channels);
// The entry that shows the graph's channel; the last one when none does.
int ChannelEntryIndex(const std::vector<ChannelEntry>& entries, int graphChannel);

// The information texts of a buffer: "全長:%d(%5.2fsec)", start, end and "%d(%5.2fsec)"
// of |end - start| frames. Without frames or graph: "データなし" and empty texts.
struct SelectionTexts {
  std::string total, start, end, length;
};
SelectionTexts MakeSelectionTexts(bool hasData, uint32_t frames, uint32_t rateHz, uint32_t start,
                                  uint32_t end);

// A message box of a command: title and text.
struct EditMessage {
  std::string title;
  std::string text;
};

// The refusals of an empty selection, by command.
EditMessage EmptySelectionForFade(bool fadeIn);
EditMessage EmptySelectionForDelete();
EditMessage EmptySelectionForReverse();
EditMessage EmptySelectionForEcho();
// Mixing and copying name the buffer whose selection is missing: the source first, then
// the destination (mixing only).
EditMessage EmptySourceForMix(int sourceBuffer);
EditMessage EmptyDestinationForMix(int destBuffer);
EditMessage EmptySourceForCopy(int sourceBuffer);
// Overwriting needs a destination selection to write over.
EditMessage EmptyDestinationForOverwrite();
// Growing a buffer for an insertion was refused.
EditMessage InsertionOutOfMemory();

// The confirmations (OK and Cancel).
EditMessage FadeQuestion(int buffer, bool fadeIn, int selector);
EditMessage ReverseQuestion(int buffer, int selector);
// The wave buffer asks with its whole-buffer wording unless end - start < frames - 30 in
// unsigned arithmetic; the temporary buffer when the selection runs from 0 to the end.
EditMessage DeleteQuestion(int buffer, uint32_t start, uint32_t end, uint32_t frames);

// Loading a file of another format into the temporary buffer.
EditMessage ConvertedOnLoad();

// --- the level dialog's bars ---
// The peak after a level change: peak x percent / 100, the percent limited to 1 .. 10000.
int64_t PeakAfterLevel(int peak, int percent);
// A bar's height in pixels of a bar area height high: value x height / 32768, full height
// from 32768 on, none at 0 or below.
int LevelBarHeight(int64_t value, int height);
