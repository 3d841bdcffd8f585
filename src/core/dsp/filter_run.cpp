#include "core/dsp/filter_run.h"

#include <cstdio>
#include <new>
#include <optional>

#include "core/dsp/fir_filter.h"
#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "core/platform/prompt.h"
#include "core/platform/work_progress.h"
#include "core/wave/wave.h"

uint32_t ProgressDivisor(uint32_t frameCount) {
  uint32_t divisor = 1;
  while (frameCount / divisor > kMaxProgressSteps) divisor *= 2;
  return divisor;
}

namespace {

// The wave as it was before the run: its record (format, sizes, samples) in a temporary
// file, or in memory when no file can be written. Restoring reads that record back.
class Backup {
 public:
  Backup() = default;
  ~Backup() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  Backup(const Backup&) = delete;
  Backup& operator=(const Backup&) = delete;

  bool Take(CWave& wave) {
    if (UseTempFiles) {
      path_ = wave.SaveToTempFile();
      if (!path_.empty()) return true;
    }
    try {
      std::vector<uint8_t> bytes;
      bytes.reserve(size_t{wave.DataSize()} + 64);
      memory_.emplace(std::move(bytes));
      CArchive ar(*memory_, CArchive::Mode::Store);
      if (wave.Serialize(ar) && ar.Flush()) return true;
    } catch (const std::bad_alloc&) {
    }
    memory_.reset();
    return false;
  }

  bool Restore(CWave& wave) {
    if (!path_.empty()) return wave.LoadFromFile(path_);
    if (!memory_ || !memory_->Seek(0)) return false;
    CArchive ar(*memory_, CArchive::Mode::Load);
    return wave.Serialize(ar);
  }

 private:
  std::string path_;
  std::optional<MemoryStream> memory_;
};

// Passes the checkpoints on and remembers whether a stop was asked, so that a conversion that
// ends early can be told apart from one that failed.
class StopWatch : public WorkProgress {
 public:
  explicit StopWatch(WorkProgress* inner) : inner_(inner) {}
  bool Checkpoint(uint32_t frame) override {
    if (inner_ && inner_->Checkpoint(frame)) stopped_ = true;
    return stopped_;
  }
  bool Stopped() const { return stopped_; }

 private:
  WorkProgress* inner_;
  bool stopped_ = false;
};

}  // namespace

bool FilterRun::SetFilter(FilterType type, int order, double f1KHz, double f2KHz,
                          double attenuationDb, CWave* wave, int channels) {
  wave_ = wave;
  channels_ = channels;
  taps_.clear();
  if (!wave) return false;
  FirDesign design;
  design.type = type;
  design.order = order;
  design.f1KHz = f1KHz;
  design.f2KHz = f2KHz;
  design.attenuationDb = attenuationDb;
  design.fsKHz = wave->Rate() * 0.001;
  taps_ = DesignFir(design);
  return !taps_.empty();
}

void FilterRun::SetConversion(uint32_t rate, uint16_t bits, uint16_t channels, bool subtract) {
  convert_ = true;
  rate_ = rate;
  bits_ = bits;
  channelCount_ = channels;
  subtract_ = subtract;
}

void FilterRun::SetWave(CWave* wave) {
  wave_ = wave;
  taps_.clear();
}

FilterRun::Result FilterRun::Run(WorkProgress* progress, const std::function<void(const char*)>& status) {
  if (!wave_) return Result::kFailed;
  CWave& wave = *wave_;
  auto say = [&](const char* text) {
    if (status) status(text);
  };
  Backup backup;
  if (keepBackup_ && !backup.Take(wave)) {
    AppMessage(kNoBackupMessage);
    return Result::kNoBackup;
  }

  StopWatch watch(progress);
  bool failed = false;
  if (HasFilter()) {
    if (wave.Channels() < 2) {
      say(kStatusFilterMono);
      ApplyFilter(wave, taps_, kChannelLeft, &watch);
    } else {
      if (channels_ == kFilterBoth || channels_ == kFilterLeft) {
        say(kStatusFilterLeft);
        ApplyFilter(wave, taps_, kChannelLeft, &watch);
      }
      if (!watch.Stopped() && (channels_ == kFilterBoth || channels_ == kFilterRight)) {
        say(kStatusFilterRight);
        ApplyFilter(wave, taps_, kChannelRight, &watch);
      }
    }
  }
  if (convert_ && !watch.Stopped()) {
    say(kStatusConversion);
    failed = !wave.ConvertFormat(rate_, bits_, channelCount_, subtract_, &watch);
  }
  const bool cancelled = watch.Stopped();
  if ((cancelled || failed) && keepBackup_) backup.Restore(wave);
  if (cancelled) return Result::kCancelled;
  return failed ? Result::kFailed : Result::kDone;
}
