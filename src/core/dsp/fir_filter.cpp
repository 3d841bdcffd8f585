#include "core/dsp/fir_filter.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/platform/hooks.h"
#include "core/platform/work_progress.h"
#include "core/wave/wave.h"

namespace {

// ---- the direct-form kernel ----
//
// B outputs at once: B running sums, each fed its terms in the order k = 0, 1, 2, ...; the
// loop over the B sums has no dependencies, so it becomes vector code and the sums' add
// chains overlap instead of waiting on each other. Contraction into fused multiply-add is
// off for the whole build, so every product is rounded before it is added, as in the plain
// loop.
template <int B>
[[gnu::always_inline]] inline void Block(const double* taps, size_t tapCount, const double* in,
                                         double* out) {
  double acc[B] = {};
  for (size_t k = 0; k < tapCount; ++k) {
    const double c = taps[k];
    const double* x = in - k;
    for (int b = 0; b < B; ++b) acc[b] += c * x[b];
  }
  for (int b = 0; b < B; ++b) out[b] = acc[b];
}

template <int B>
[[gnu::always_inline]] inline void Blocks(const double* taps, size_t tapCount, const double* in,
                                          double* out, size_t count) {
  size_t i = 0;
  for (; i + B <= count; i += B) Block<B>(taps, tapCount, in + i, out + i);
  for (; i + 8 <= count; i += 8) Block<8>(taps, tapCount, in + i, out + i);
  for (; i < count; ++i) Block<1>(taps, tapCount, in + i, out + i);
}

// Block sizes that keep the sums in registers for each instruction set (measured); 512-bit
// vectors use 96 in LanesAvx512 below.
[[gnu::target("avx2")]] void BlocksAvx2(const double* t, size_t n, const double* in, double* out,
                                        size_t count) {
  Blocks<48>(t, n, in, out, count);
}
void BlocksPlain(const double* t, size_t n, const double* in, double* out, size_t count) {
  Blocks<16>(t, n, in, out, count);
}

// With 512-bit vectors a longer stretch goes faster in eight lanes: the stretch is cut into
// eight equal parts, one per vector lane, and the input is laid out transposed (row j holds
// sample j of every part), so that each step of a sum reads one aligned row and the rows
// slide through registers from one tap to the next. Each lane is still one sum per output,
// its terms in the order k = 0, 1, 2, ...
using Lanes8 = double __attribute__((vector_size(64)));
constexpr size_t kLanes = 8;
constexpr size_t kLaneRowsMin = 64;  // shorter stretches take the blocks above

// Rows r0 .. r0 + R - 1 of the transposed sums: y(r) = sum over k of taps[k] x rows[r + n - 1 - k].
template <int R>
[[gnu::always_inline]] inline void LaneRows(const double* taps, size_t n, const Lanes8* rows, Lanes8* sums,
                                            size_t r0) {
  Lanes8 acc[R];
  Lanes8 window[R];
  for (int q = 0; q < R; ++q) {
    acc[q] = Lanes8{};
    window[q] = rows[r0 + n - 1 + q];
  }
  for (size_t k = 0;; ++k) {
    const Lanes8 c = Lanes8{} + taps[k];
    for (int q = 0; q < R; ++q) acc[q] += c * window[q];
    if (k + 1 == n) break;
    for (int q = R - 1; q > 0; --q) window[q] = window[q - 1];
    window[0] = rows[r0 + n - 2 - k];
  }
  for (int q = 0; q < R; ++q) sums[r0 + q] = acc[q];
}

// Scratch rows of the calling thread, kept between calls.
struct LaneScratch {
  ~LaneScratch() { std::free(rows); }
  Lanes8* Reserve(size_t count) {
    if (count > capacity) {
      std::free(rows);
      rows = static_cast<Lanes8*>(std::aligned_alloc(sizeof(Lanes8), count * sizeof(Lanes8)));
      capacity = rows ? count : 0;
    }
    return rows;
  }
  Lanes8* rows = nullptr;
  size_t capacity = 0;
};

[[gnu::target("avx512f")]] void LanesAvx512(const double* t, size_t n, const double* in, double* out,
                                            size_t count) {
  const size_t laneRows = count / kLanes;
  thread_local LaneScratch scratch;
  Lanes8* rows = laneRows >= kLaneRowsMin ? scratch.Reserve(laneRows + n - 1 + laneRows) : nullptr;
  if (!rows) {
    Blocks<96>(t, n, in, out, count);
    return;
  }
  Lanes8* sums = rows + laneRows + n - 1;
  const double* first = in - (n - 1);
  for (size_t j = 0; j < laneRows + n - 1; ++j) {
    for (size_t b = 0; b < kLanes; ++b) rows[j][b] = first[b * laneRows + j];
  }
  size_t r = 0;
  for (; r + 8 <= laneRows; r += 8) LaneRows<8>(t, n, rows, sums, r);
  for (; r < laneRows; ++r) LaneRows<1>(t, n, rows, sums, r);
  for (size_t b = 0; b < kLanes; ++b) {
    for (size_t j = 0; j < laneRows; ++j) out[b * laneRows + j] = sums[j][b];
  }
  const size_t done = kLanes * laneRows;
  Blocks<96>(t, n, in + done, out + done, count - done);
}

using BlocksFn = void (*)(const double*, size_t, const double*, double*, size_t);

BlocksFn ChooseBlocks() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return LanesAvx512;
  if (__builtin_cpu_supports("avx2")) return BlocksAvx2;
  return BlocksPlain;
}

// ---- one channel of a wave as 16-bit scale samples ----

class ChannelAccess {
 public:
  ChannelAccess(CWave& wave, int selector) : wave_(wave), selector_(selector) {
    const bool stereo = wave.Channels() >= 2;
    const int index = selector == kChannelRight && stereo ? 1 : 0;
    const int bits = wave.Bits();
    stride_ = wave.BlockAlign();
    data_ = wave.GetData();
    if (selector == kChannelBoth && stereo) return;  // the mean: through the wave itself
    if (bits == 16 && stride_ >= size_t(2 * index + 2)) {
      bytes_ = 2;
      offset_ = 2 * index;
    } else if (bits == 8 && stride_ >= size_t(index + 1)) {
      bytes_ = 1;
      offset_ = index;
    }
  }

  void Read(uint32_t first, uint32_t count, double* out) const {
    const uint8_t* p = data_ + size_t{first} * stride_ + offset_;
    if (bytes_ == 2) {
      for (uint32_t i = 0; i < count; ++i, p += stride_) {
        int16_t s;
        std::memcpy(&s, p, 2);
        out[i] = s;
      }
    } else if (bytes_ == 1) {
      for (uint32_t i = 0; i < count; ++i, p += stride_) {
        const int d = static_cast<int>(*p) - 128;
        out[i] = d * 256 + (d & 0xFF);
      }
    } else {
      for (uint32_t i = 0; i < count; ++i) out[i] = wave_.GetSample(first + i, selector_);
    }
  }

  // Writes the sums truncated toward zero and limited to the 16-bit scale.
  void Write(uint32_t first, uint32_t count, const double* sums) {
    uint8_t* p = data_ + size_t{first} * stride_ + offset_;
    for (uint32_t i = 0; i < count; ++i, p += stride_) {
      const int v = ToSample(sums[i]);
      if (bytes_ == 2) {
        const auto s = static_cast<int16_t>(v);
        std::memcpy(p, &s, 2);
      } else if (bytes_ == 1) {
        *p = static_cast<uint8_t>((v >> 8) + 128);
      } else {
        wave_.SetSample(first + i, v, selector_);
      }
    }
  }

 private:
  static int ToSample(double y) {
    if (std::isnan(y)) return 0;
    if (y >= 32767.0) return 32767;
    if (y <= -32768.0) return -32768;
    return static_cast<int>(y);
  }

  CWave& wave_;
  int selector_;
  uint8_t* data_ = nullptr;
  size_t stride_ = 0;
  size_t offset_ = 0;
  int bytes_ = 0;  // 0: through GetSample and SetSample
};

// A second thread that takes half of each stretch of sums. It only computes: the wave is
// read and written, and progress reported, on the calling thread alone.
class Helper {
 public:
  Helper() : thread_([this] { Loop(); }) {}
  ~Helper() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  void Start(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      job_ = std::move(job);
      busy_ = true;
    }
    wake_.notify_one();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return !busy_; });
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || busy_; });
      if (stop_) return;
      lock.unlock();
      job_();
      lock.lock();
      busy_ = false;
      done_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::function<void()> job_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread thread_;
};

// Frames read, summed and written per round: four progress intervals, so that the helper
// thread is woken rarely. Half a round is longer than any history (kMaxFilterOrder frames).
constexpr uint32_t kRoundFrames = 4 * kPumpIntervalFrames;
// Below this many multiply-adds a second thread does not pay.
constexpr uint64_t kHelperMinWork = uint64_t{1} << 22;

}  // namespace

void FirDirectForm(std::span<const double> taps, const double* in, double* out, size_t count) {
  static const BlocksFn blocks = ChooseBlocks();
  if (taps.empty()) {
    std::fill(out, out + count, 0.0);
    return;
  }
  blocks(taps.data(), taps.size(), in, out, count);
}

bool ApplyFilter(CWave& wave, std::span<const double> taps, int selector, WorkProgress* progress) {
  const uint32_t frames = wave.FrameCount();
  if (frames == 0 || !wave.GetData() || selector < kChannelLeft || selector > kChannelBoth) {
    return true;
  }
  ChannelAccess channel(wave, selector);
  const size_t history = taps.empty() ? 0 : taps.size() - 1;
  std::vector<double> in(history + kRoundFrames, 0.0);
  std::vector<double> out(kRoundFrames);
  double* fresh = in.data() + history;

  std::unique_ptr<Helper> helper;
  if (std::thread::hardware_concurrency() > 1 && uint64_t{frames} * taps.size() >= kHelperMinWork &&
      history <= kPumpIntervalFrames / 2) {
    helper = std::make_unique<Helper>();
  }

  // The helper's half of a round, with the history it needs read again on its own.
  std::vector<double> helperIn(helper ? history + kRoundFrames : 0);

  for (uint32_t start = 0; start < frames; start += kRoundFrames) {
    const uint32_t count = std::min(kRoundFrames, frames - start);
    const double* newest;  // the last `history` inputs of the round end here
    if (helper && count > kPumpIntervalFrames) {
      // Reading the samples is bound by memory, so each thread reads its own half.
      const uint32_t half = count / 2;
      helper->Start([&] {
        channel.Read(start + half - static_cast<uint32_t>(history), count - half + static_cast<uint32_t>(history),
                     helperIn.data());
        FirDirectForm(taps, helperIn.data() + history, out.data() + half, count - half);
      });
      channel.Read(start, half, fresh);
      FirDirectForm(taps, fresh, out.data(), half);
      helper->Wait();
      newest = helperIn.data() + history + (count - half);
    } else {
      channel.Read(start, count, fresh);
      FirDirectForm(taps, fresh, out.data(), count);
      newest = fresh + count;
    }
    for (uint32_t done = 0; done < count; done += kPumpIntervalFrames) {
      if (progress && progress->Checkpoint(start + done)) return false;
      channel.Write(start + done, std::min(kPumpIntervalFrames, count - done), out.data() + done);
    }
    // The newest inputs become the history of the next round.
    if (history > 0) std::memmove(in.data(), newest - history, history * sizeof(double));
  }
  return true;
}
