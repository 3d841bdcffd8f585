#pragma once
// CFFT: the amplitude spectrum of one block of N samples of a wave, with the averaging and
// peak-hold history that an analysis run builds up block after block.
//
// Units. Samples enter on the level scale (full scale 10000) through CWave::GetValues for the
// engine's channel selector; the spectrum is on the same scale: a sine of amplitude a exactly
// on a bin reads a there without window and a/2 with the Hann window (no gain correction).
// Bin k (k = 0 .. N/2-1) stands for k * R / N Hz at the wave's rate R; bin 0 is doubled like
// the others and there is no Nyquist bin.
//
// The working block is one allocation of exactly 4 * (7N + (A+1) * N/2) bytes, laid out
// without gaps as: real part (N doubles), imaginary part (N doubles), sine table (N/2 doubles,
// sin(-2 pi i / N)), cosine table (N/2 doubles, cos(2 pi i / N)), Hann window (N floats,
// (1 - cos(2 pi i / N)) * 0.5), spectrum (N/2 floats), history (A slots of N/2 floats). The
// tables use pi = 3.14159265359. Documents store the block byte for byte.
//
// After Calc the real part holds the block as it entered the transform (mean removed,
// windowed) and the imaginary part zeros; the transform itself runs in the engine's own
// memory outside the block (FftPlan), with the block's tables. Nothing reads the two arrays
// back, so a stored block from elsewhere that holds other values there behaves the same.
//
// States: not set up (no block; A = 0), set up and empty (frame count 0), holding a result.
// Everything that does not change between blocks is prepared by Init; Calc allocates nothing.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/dsp/fft_plan.h"

class CArchive;
class CWave;

class CFFT {
 public:
  // The class as documents name it, and its stored schema.
  static constexpr const char* kClassName = "CFFT";
  static constexpr int kSchema = 0;

  // What Init and loading accept: N a power of two in [kMinBlockSize, kMaxBlockSize],
  // A in [1, kMaxAveragingCount], the working block at most kMaxWorkingBytes.
  static constexpr int32_t kMinBlockSize = 4;
  static constexpr int32_t kMaxBlockSize = 1 << 20;
  static constexpr int32_t kMaxAveragingCount = 1024;
  static constexpr uint64_t kMaxWorkingBytes = uint64_t{1} << 28;

  static constexpr int32_t kDefaultBlockSize = 256;
  static constexpr uint32_t kDefaultChannel = 3;  // mean of left and right

  CFFT() = default;
  ~CFFT();
  CFFT(const CFFT&) = delete;
  CFFT& operator=(const CFFT&) = delete;

  // Bytes of the working block for N and A: 4 * (7N + (A+1) * N/2), 0 for a shape the
  // engine refuses.
  static uint64_t WorkingBlockBytes(int32_t blockSize, int32_t averagingCount);

  // Sets the engine up; frame count and ring index always become 0. With the same N and A
  // only the channel selector is stored. Otherwise the engine returns to its new state and
  // allocates a fresh block with tables, window and a cleared spectrum and history. True
  // when the engine is set up afterwards; a refused shape (N not a power of two or out of
  // range, A below 1 or too large) or refused memory leaves it not set up.
  bool Init(int32_t blockSize, int32_t averagingCount, uint32_t channel);

  // One analysis frame of the block of N frames starting at wave frame position, steered by
  // the flag word (FftFlags of analysis_settings.h: restart 0x02 is honoured first, then
  // single, cumulative, peak hold, decaying peak hold, window, mean removal, fast
  // magnitude). Does nothing more than the restart without a wave, when not set up, when the
  // wave has fewer than N frames, or when position lies beyond the last frame. Frames at or
  // past the end read as CWave's position mapping gives them (the last frame again, or
  // around a wrapped ring).
  void Calc(const CWave* wave, uint32_t position, uint16_t flags);

  bool IsCalculated() const { return frameCount_ != 0; }

  // The spectrum (N/2 floats) or nullptr when not set up. The block is ordinary memory: the
  // address stays valid until the next Init, load or destruction. ReleaseSpectrum ends the
  // use (callers pair the two as they would around a pinned block).
  float* GetSpectrum();
  void ReleaseSpectrum() {}

  // Smallest and largest spectrum value over the bins first .. last (inclusive; last is
  // clipped to N/2-1, a negative first counts as 0). Both outputs are 0 when nothing is
  // calculated or first lies above the clipped last.
  void GetMinMaxInBins(int32_t firstBin, int32_t lastBin, double& minimum, double& maximum);

  // Largest and smallest spectrum value after the last Calc (over all bins).
  float MaxLevel() const { return maxLevel_; }
  float MinLevel() const { return minLevel_; }

  int32_t AveragingCount() const { return averagingCount_; }
  int32_t BlockSize() const { return blockSize_; }
  uint32_t Channel() const { return channel_; }
  int32_t FrameCount() const { return frameCount_; }
  int32_t RingIndex() const { return ringIndex_; }
  bool IsSetUp() const { return block_ != nullptr; }

  // The working block's bytes (nullptr when not set up) and its parts.
  const uint8_t* WorkingBlock() const { return block_.get(); }
  const double* RealPart() const;
  const double* SineTable() const;
  const double* CosineTable() const;
  const float* Window() const;
  const float* HistorySlot(int32_t slot) const;

  // The stored record, little-endian: averaging count, block size, channel selector (32 bits
  // each); then, for an engine with a working block, the block's bytes, maximum and minimum
  // level (32-bit floats), frame count and ring index (32 bits each). An engine without a
  // block is always in its new state and is stored as the three values 0, 256, channel; on
  // loading, averaging count 0 with block size 256 means exactly that record and the engine
  // is left not set up with the stored channel. Every other record must describe an engine
  // Init accepts whose block and four values are all in the archive, with a frame count of
  // at least 0 and a ring index below the averaging count; anything else is refused before
  // memory is allocated: the archive is marked failed, the engine is left not set up, and
  // the result is false. A loaded engine transforms with the tables of its loaded block.
  bool Serialize(CArchive& ar);

 private:
  struct BlockFree {
    void operator()(uint8_t* p) const;
  };

  void Reset();
  bool Allocate(int32_t blockSize, int32_t averagingCount);
  bool BuildPlan();
  double* Real();
  double* Imag();
  float* WindowData();
  float* Spectrum();
  float* History(int32_t slot);
  // The magnitudes of the prepared block into target (written, or added when add is set).
  void TransformInto(float* target, bool add, bool fast);
  void TakeLevels(const float* spectrum);

  float maxLevel_ = 0.0f;
  float minLevel_ = 0.0f;
  int32_t averagingCount_ = 0;
  int32_t blockSize_ = kDefaultBlockSize;
  uint32_t channel_ = kDefaultChannel;
  std::unique_ptr<uint8_t[], BlockFree> block_;
  int32_t frameCount_ = 0;
  int32_t ringIndex_ = 0;

  // Outside the stored block: the transform's plan and its magnitudes before they are
  // narrowed to floats.
  FftPlan plan_;
  std::unique_ptr<double[]> magnitudes_;
  bool imagCleared_ = false;  // the block's imaginary part holds zeros
};
