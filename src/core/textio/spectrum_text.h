#pragma once
// The spectrum text file ("FFT結果のテキスト出力") and the command-line tool's CSV form.
//
// The text file, line by line (D the delimiter):
//   "ＦＦＴデータ"
//   conditions, when asked for and the reference box has calculated: frequency resolution
//     R/N, frequency range 0 ～ R/N * (N/2 - 1), block size, averaging count, window;
//   column names, when asked for: "周波数(Hz)", "Ｌchレベル", "Ｒchレベル", and "レベル"
//     (one-channel wave) or "合成波レベル", each level name ending in "(dB)" or "(%)";
//   one row per bin i = 0 .. N/2-1: frequency i * R / N, then left and right (two-channel
//     waves only) and mono, each "%f", joined by D.
// Levels are per cent of full scale (spectrum value * 0.01), or in dB mode the graphs'
// decibel transform with the column's reference and offset and the floor 0.00001. The file
// is CP932 with CR LF line ends.
//
// Columns come from spectrum boxes; each brings its own spectrum and level mode, so that the
// dialog and the command-line tool feed the same writer.
#include <cstdint>
#include <string>

#include "core/dsp/decibel.h"
#include "core/textio/text_out.h"

struct SpectrumTextColumn {
  const float* spectrum = nullptr;  // N/2 bins on the level scale (full scale 10000)
  bool levelInDb = false;           // the box shows its level axis in dB
  double dbReference = kFullScaleLevel;  // the box's level reference in dB mode
  double dbOffset = 0.0;
};

// stepColumn is the frequency column.
using SpectrumTextOptions = TextOutOptions;

struct SpectrumTextSource {
  uint32_t rateHz = 0;
  // From the reference box (the first present of mono, left and right) and its engine.
  int32_t blockSize = 0;
  int32_t averagingCount = 0;
  bool window = false;               // its analysis flags have the window bit
  bool referenceCalculated = false;  // it exists and its engine has calculated
  uint16_t waveChannels = 2;
  // The selected columns; nullptr when not selected. Left and right are written for
  // two-channel waves only, in the names line as in the rows.
  const SpectrumTextColumn* left = nullptr;
  const SpectrumTextColumn* right = nullptr;
  const SpectrumTextColumn* mono = nullptr;
};

// The file's text in UTF-8 with "\n" line ends, at most maxRows bin rows (the preview shows
// 30).
std::string FormatSpectrumText(const SpectrumTextSource& source, const SpectrumTextOptions& options,
                               uint32_t maxRows = UINT32_MAX);

// The file's bytes: CP932, CR LF.
std::string SpectrumTextFileBytes(const SpectrumTextSource& source,
                                  const SpectrumTextOptions& options);

// Writes the file, replacing an existing one only when complete; false when it cannot be
// created or written (the old file is then untouched).
bool WriteSpectrumTextFile(const std::string& path, const SpectrumTextSource& source,
                           const SpectrumTextOptions& options);

// The CSV form: UTF-8, LF; a header "frequency_hz" followed by ",L", ",R", ",M" for the
// columns present, then per bin the frequency and each level as the text file gives it,
// "%f", comma-separated. Every given column is written, whatever the wave's channels.
std::string FormatSpectrumCsv(const SpectrumTextSource& source);
