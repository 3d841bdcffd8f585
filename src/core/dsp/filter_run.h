#pragma once
// The work of the processing dialog "フィルタ実行": an optional filter over the wave's
// channels, then an optional format conversion, in one run with progress and cancel. A
// backup of the wave is taken first, so that a run that is cancelled or fails leaves the
// wave exactly as it was, byte for byte, also when the left channel was already filtered.
// The backup goes to a temporary file, or, when none can be written, into memory.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/dsp/fir_design.h"

class CWave;
class WorkProgress;

// The channel choice of a filter job.
enum FilterChannels : int { kFilterBoth = 0, kFilterLeft = 1, kFilterRight = 2 };

inline constexpr const char* kStatusFilterMono = "フィルタ計算中";
inline constexpr const char* kStatusFilterLeft = "フィルタ計算中（Ｌチャンネル）";
inline constexpr const char* kStatusFilterRight = "フィルタ計算中（Ｒチャンネル）";
inline constexpr const char* kStatusConversion = "ウェーブフォーマット変換中";
// Shown when not even a copy in memory could be made: the run does not start.
inline constexpr const char* kNoBackupMessage =
    "メモリが不足しているため、元に戻すための控えを作れません。\n処理を中止します。";

// The progress bar shows the frame reached divided by the smallest power of two that brings
// the frame count to at most this many steps.
inline constexpr uint32_t kMaxProgressSteps = 30000;
uint32_t ProgressDivisor(uint32_t frameCount);

class FilterRun {
 public:
  enum class Result { kDone, kCancelled, kFailed, kNoBackup };

  // Designs the filter job for the wave (frequencies in kHz; fs from the wave's rate) and
  // returns whether the design was accepted; a refused design leaves no filter job.
  bool SetFilter(FilterType type, int order, double f1KHz, double f2KHz, double attenuationDb,
                 CWave* wave, int channels);
  // Adds the format conversion job, run after the filter.
  void SetConversion(uint32_t rate, uint16_t bits, uint16_t channels, bool subtract);
  // Sets the wave and drops the filter job (a conversion alone).
  void SetWave(CWave* wave);
  // Without a backup a cancelled or failed run keeps what was done; for callers that keep
  // the original elsewhere (the command-line tool reads a file and writes another).
  void SetKeepBackup(bool keep) { keepBackup_ = keep; }

  CWave* Wave() const { return wave_; }
  int Channels() const { return channels_; }
  bool HasFilter() const { return !taps_.empty(); }
  bool HasConversion() const { return convert_; }
  const std::vector<double>& Taps() const { return taps_; }

  // Runs the jobs; `status` receives the text of each stage as it starts. Cancelled or
  // failed runs are restored from the backup; kNoBackup (with kNoBackupMessage shown) means
  // nothing was done.
  Result Run(WorkProgress* progress, const std::function<void(const char*)>& status = {});

 private:
  CWave* wave_ = nullptr;
  std::vector<double> taps_;
  int channels_ = kFilterBoth;
  bool convert_ = false;
  uint32_t rate_ = 0;
  uint16_t bits_ = 16;
  uint16_t channelCount_ = 2;
  bool subtract_ = false;
  bool keepBackup_ = true;
};
