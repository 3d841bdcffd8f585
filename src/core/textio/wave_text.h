#pragma once
// The wave text file ("ウェーブデータのテキスト出力"): the samples of a wave, one frame a line.
//
// Line by line (D the delimiter):
//   "ウェーブデータ"
//   conditions, when asked for: sampling rate, bits per sample, channels and frame count;
//   column names, when asked for: "時間(sec)", "Ｌchレベル(%)", "Ｒchレベル(%)", and
//     "レベル(%)" (one-channel wave) or "ＬＲ合成波レベル";
//   one row per frame a: time a / R in seconds, then left and right (two-channel waves
//     only) and the mean of both channels, each "%f", joined by D.
// Levels are per cent of full scale: the sample-scale value (left, right, or their mean
// truncated toward zero) times 100/32768. Only the chosen columns appear, in names and rows
// alike; the first cell of a row has no delimiter before it. The file is CP932, CR LF.
#include <cstdint>
#include <string>

#include "core/textio/text_out.h"

class CWave;

// The level columns chosen in the dialog (left, right, mono).
struct WaveTextChannels {
  bool left = true;
  bool right = true;
  bool mono = true;
};

// The file's text in UTF-8 with "\n" line ends and at most maxRows frame rows (the dialog's
// preview shows 30).
std::string FormatWaveText(const CWave& wave, const WaveTextChannels& channels,
                           const TextOutOptions& options, uint32_t maxRows = UINT32_MAX);

// Writes the whole file, streaming its rows; the target is replaced only when the file is
// complete. False when it cannot be created or written (an old file then stays as it was).
bool WriteWaveTextFile(const std::string& path, const CWave& wave,
                       const WaveTextChannels& channels, const TextOutOptions& options);

// The CSV form of the command-line tool: UTF-8, LF; a header "time_s" followed by ",L",
// ",R", ",M" for the chosen columns, then per frame the time and the levels as the text file
// gives them, comma-separated. Every chosen column is written, whatever the wave's channels
// (a one-channel wave gives its only channel as L, R and M).
bool WriteWaveCsvFile(const std::string& path, const CWave& wave,
                      const WaveTextChannels& channels);

// The same bytes written into a stream of the caller's (standard output, for one); false
// when a write failed.
bool WriteWaveText(ByteStream& out, const CWave& wave, const WaveTextChannels& channels,
                   const TextOutOptions& options);
bool WriteWaveCsv(ByteStream& out, const CWave& wave, const WaveTextChannels& channels);
