#include "core/dsp/fft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "core/dsp/fft_flags.h"
#include "core/io/archive.h"
#include "core/wave/wave.h"

namespace {

// The tables and the window are built with this value of pi, not the full double one:
// stored documents carry the tables, and every spectrum depends on them.
constexpr double kTablePi = 3.14159265359;
constexpr float kPeakDecay = 0.9f;
constexpr std::align_val_t kBlockAlignment{64};

// Bytes of the four values after the block: two levels, frame count, ring index.
constexpr uint64_t kTrailerBytes = 16;

bool IsPowerOfTwo(int32_t v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace

void CFFT::BlockFree::operator()(uint8_t* p) const { ::operator delete[](p, kBlockAlignment); }

CFFT::~CFFT() = default;

uint64_t CFFT::WorkingBlockBytes(int32_t blockSize, int32_t averagingCount) {
  if (!IsPowerOfTwo(blockSize) || blockSize < kMinBlockSize || blockSize > kMaxBlockSize) return 0;
  if (averagingCount < 1 || averagingCount > kMaxAveragingCount) return 0;
  const uint64_t n = static_cast<uint64_t>(blockSize);
  const uint64_t a = static_cast<uint64_t>(averagingCount);
  const uint64_t bytes = 4 * (7 * n + (a + 1) * (n / 2));
  return bytes <= kMaxWorkingBytes ? bytes : 0;
}

void CFFT::Reset() {
  block_.reset();
  plan_.Clear();
  magnitudes_.reset();
  imagCleared_ = false;
  maxLevel_ = 0.0f;
  minLevel_ = 0.0f;
  averagingCount_ = 0;
  blockSize_ = kDefaultBlockSize;
  channel_ = kDefaultChannel;
  frameCount_ = 0;
  ringIndex_ = 0;
}

double* CFFT::Real() { return reinterpret_cast<double*>(block_.get()); }
double* CFFT::Imag() { return Real() + blockSize_; }
float* CFFT::WindowData() { return reinterpret_cast<float*>(Imag() + 2 * blockSize_); }
float* CFFT::Spectrum() { return WindowData() + blockSize_; }
float* CFFT::History(int32_t slot) {
  return Spectrum() + static_cast<size_t>(blockSize_ / 2) * static_cast<size_t>(slot + 1);
}

const double* CFFT::RealPart() const {
  return block_ ? reinterpret_cast<const double*>(block_.get()) : nullptr;
}
const double* CFFT::SineTable() const { return block_ ? RealPart() + 2 * blockSize_ : nullptr; }
const double* CFFT::CosineTable() const {
  return block_ ? SineTable() + blockSize_ / 2 : nullptr;
}
const float* CFFT::Window() const {
  return block_ ? reinterpret_cast<const float*>(CosineTable() + blockSize_ / 2) : nullptr;
}
const float* CFFT::HistorySlot(int32_t slot) const {
  if (!block_ || slot < 0 || slot >= averagingCount_) return nullptr;
  return Window() + blockSize_ + static_cast<size_t>(blockSize_ / 2) * static_cast<size_t>(slot + 1);
}

bool CFFT::Allocate(int32_t blockSize, int32_t averagingCount) {
  const uint64_t bytes = WorkingBlockBytes(blockSize, averagingCount);
  if (bytes == 0) return false;
  block_.reset(static_cast<uint8_t*>(
      ::operator new[](static_cast<size_t>(bytes), kBlockAlignment, std::nothrow)));
  magnitudes_.reset(new (std::nothrow) double[static_cast<size_t>(blockSize / 2)]);
  if (!block_ || !magnitudes_) return false;
  // Zeros everywhere: the spectrum starts cleared, and the history and work arrays that a
  // document stores before any calculation are defined.
  std::memset(block_.get(), 0, static_cast<size_t>(bytes));
  imagCleared_ = true;
  blockSize_ = blockSize;
  averagingCount_ = averagingCount;
  return true;
}

bool CFFT::BuildPlan() {
  return plan_.Build(static_cast<uint32_t>(blockSize_), CosineTable(), SineTable());
}

bool CFFT::Init(int32_t blockSize, int32_t averagingCount, uint32_t channel) {
  frameCount_ = 0;
  ringIndex_ = 0;
  if (blockSize == blockSize_ && averagingCount == averagingCount_) {
    channel_ = channel;
    return IsSetUp();
  }
  Reset();
  if (!Allocate(blockSize, averagingCount)) {
    Reset();
    return false;
  }
  channel_ = channel;
  const int32_t n = blockSize_;
  double* sine = Real() + 2 * n;
  double* cosine = sine + n / 2;
  float* window = WindowData();
  for (int32_t i = 0; i < n / 2; ++i) {
    sine[i] = std::sin(-2.0 * kTablePi * i / n);
    cosine[i] = std::cos(2.0 * kTablePi * i / n);
  }
  for (int32_t i = 0; i < n; ++i) {
    window[i] = static_cast<float>((1.0 - std::cos(2.0 * kTablePi * i / n)) * 0.5);
  }
  if (!BuildPlan()) {
    Reset();
    return false;
  }
  return true;
}

void CFFT::TransformInto(float* target, bool add, bool fast) {
  double* magnitudes = magnitudes_.get();
  plan_.Magnitudes(Real(), fast, magnitudes);
  const size_t half = static_cast<size_t>(blockSize_ / 2);
  if (add) {
    for (size_t k = 0; k < half; ++k) target[k] = static_cast<float>(target[k] + magnitudes[k]);
  } else {
    for (size_t k = 0; k < half; ++k) target[k] = static_cast<float>(magnitudes[k]);
  }
}

void CFFT::TakeLevels(const float* spectrum) {
  // Running extremes four lanes wide, in two pairs of registers. The smallest and largest
  // value of a set do not depend on the order they are visited in (magnitudes are never NaN
  // or negative zero), so this equals one scan from bin 0 up.
  typedef float V4f __attribute__((vector_size(16)));
  constexpr size_t kStep = 8;
  const size_t half = static_cast<size_t>(blockSize_ / 2);
  const float first = spectrum[0];
  V4f lo0 = {first, first, first, first}, lo1 = lo0, hi0 = lo0, hi1 = lo0;
  size_t k = 0;
  for (; k + kStep <= half; k += kStep) {
    V4f a, b;
    std::memcpy(&a, spectrum + k, sizeof a);
    std::memcpy(&b, spectrum + k + 4, sizeof b);
    lo0 = a < lo0 ? a : lo0;
    lo1 = b < lo1 ? b : lo1;
    hi0 = a > hi0 ? a : hi0;
    hi1 = b > hi1 ? b : hi1;
  }
  float low = first, high = first;
  for (int j = 0; j < 4; ++j) {
    low = std::min({low, lo0[j], lo1[j]});
    high = std::max({high, hi0[j], hi1[j]});
  }
  for (; k < half; ++k) {
    low = std::min(low, spectrum[k]);
    high = std::max(high, spectrum[k]);
  }
  minLevel_ = low;
  maxLevel_ = high;
}

void CFFT::Calc(const CWave* wave, uint32_t position, uint16_t flags) {
  if (flags & kFftRestart) {
    frameCount_ = 0;
    ringIndex_ = 0;
  }
  if (!wave || averagingCount_ == 0 || !block_) return;
  const auto n = static_cast<uint32_t>(blockSize_);
  if (wave->FrameCount() < n) return;
  // A start beyond the last frame has no block to read; the frame is skipped.
  if (position > wave->FrameCount()) return;

  double* real = Real();
  wave->GetValues(position, n, static_cast<int>(channel_), real);
  double mean = 0.0;
  if (flags & kFftMeanRemoval) {
    double sum = 0.0;
    for (uint32_t i = 0; i < n; ++i) sum += real[i];
    mean = sum / n;
  }
  if (flags & kFftWindow) {
    const float* window = WindowData();
    for (uint32_t i = 0; i < n; ++i) real[i] = (real[i] - mean) * window[i];
  } else if (mean != 0.0) {
    for (uint32_t i = 0; i < n; ++i) real[i] -= mean;
  }
  if (!imagCleared_) {
    std::memset(Imag(), 0, sizeof(double) * n);
    imagCleared_ = true;
  }

  const bool fast = (flags & kFftFastMagnitude) != 0;
  const size_t half = n / 2;
  float* spectrum = Spectrum();
  if (flags & (kFftPeakHold | kFftDecayingPeakHold)) {
    TransformInto(spectrum, false, fast);
    float* held = History(0);
    if (frameCount_ == 0) {
      std::memcpy(held, spectrum, sizeof(float) * half);
    } else {
      // Bin 0 is not held: it always shows the current frame.
      const float decay = (flags & kFftDecayingPeakHold) ? kPeakDecay : 1.0f;
      for (size_t k = 1; k < half; ++k) {
        const float h = held[k] * decay;
        held[k] = h;
        if (spectrum[k] > h) held[k] = spectrum[k];
        else spectrum[k] = h;
      }
    }
    frameCount_ = 1;
    TakeLevels(spectrum);
    return;
  }
  if (flags & kFftSingle) {
    TransformInto(spectrum, false, fast);
    frameCount_ = 1;
    TakeLevels(spectrum);
    return;
  }

  const bool cumulative = (flags & kFftCumulative) != 0;
  if (cumulative) ringIndex_ = 0;
  TransformInto(History(ringIndex_), cumulative && frameCount_ != 0, fast);
  if (++ringIndex_ >= averagingCount_) ringIndex_ = 0;
  if (frameCount_ < std::numeric_limits<int32_t>::max()) ++frameCount_;
  if (!cumulative && frameCount_ > averagingCount_) frameCount_ = averagingCount_;

  // Plain averaging shows the mean of the slots in use (a ring of A slots); cumulative mode
  // keeps the sum of every frame since the restart in slot 0.
  const int32_t slots = cumulative ? 1 : frameCount_;
  std::memcpy(spectrum, History(0), sizeof(float) * half);
  for (int32_t s = 1; s < slots; ++s) {
    const float* slot = History(s);
    for (size_t k = 0; k < half; ++k) spectrum[k] += slot[k];
  }
  const auto frames = static_cast<float>(frameCount_);
  for (size_t k = 0; k < half; ++k) spectrum[k] /= frames;
  TakeLevels(spectrum);
}

float* CFFT::GetSpectrum() { return block_ ? Spectrum() : nullptr; }

void CFFT::GetMinMaxInBins(int32_t firstBin, int32_t lastBin, double& minimum, double& maximum) {
  minimum = 0.0;
  maximum = 0.0;
  if (frameCount_ == 0 || !block_) return;
  const int32_t last = std::min(lastBin, blockSize_ / 2 - 1);
  const int32_t first = std::max(firstBin, 0);
  if (first > last) return;
  const float* spectrum = Spectrum();
  float lo = spectrum[first], hi = spectrum[first];
  for (int32_t k = first + 1; k <= last; ++k) {
    lo = std::min(lo, spectrum[k]);
    hi = std::max(hi, spectrum[k]);
  }
  minimum = lo;
  maximum = hi;
}

bool CFFT::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    if (!block_) {
      ar.WriteI32(0);
      ar.WriteI32(kDefaultBlockSize);
      ar.WriteU32(channel_);
      return !ar.Failed();
    }
    ar.WriteI32(averagingCount_);
    ar.WriteI32(blockSize_);
    ar.WriteU32(channel_);
    ar.Write(block_.get(), static_cast<size_t>(WorkingBlockBytes(blockSize_, averagingCount_)));
    ar.WriteF32(maxLevel_);
    ar.WriteF32(minLevel_);
    ar.WriteI32(frameCount_);
    ar.WriteI32(ringIndex_);
    return !ar.Failed();
  }

  const int32_t averagingCount = ar.ReadI32();
  const int32_t blockSize = ar.ReadI32();
  const uint32_t channel = ar.ReadU32();
  auto refuse = [&] {
    Reset();
    ar.Fail();
    return false;
  };
  if (ar.Failed()) return refuse();
  if (averagingCount == 0 && blockSize == kDefaultBlockSize) {
    Reset();
    channel_ = channel;
    return true;
  }
  const uint64_t bytes = WorkingBlockBytes(blockSize, averagingCount);
  if (bytes == 0 || ar.BytesRemaining() < bytes + kTrailerBytes) return refuse();
  if (!Init(blockSize, averagingCount, channel)) return refuse();
  if (!ar.Read(block_.get(), static_cast<size_t>(bytes))) return refuse();
  const float maxLevel = ar.ReadF32();
  const float minLevel = ar.ReadF32();
  const int32_t frameCount = ar.ReadI32();
  const int32_t ringIndex = ar.ReadI32();
  if (ar.Failed() || frameCount < 0 || ringIndex < 0 || ringIndex >= averagingCount) {
    return refuse();
  }
  // The loaded tables are the ones this engine transforms with from now on.
  if (!BuildPlan()) return refuse();
  maxLevel_ = maxLevel;
  minLevel_ = minLevel;
  frameCount_ = frameCount;
  ringIndex_ = ringIndex;
  imagCleared_ = false;
  return true;
}
