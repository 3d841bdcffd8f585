#include "core/dsp/fir_filter.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
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

// Block sizes that keep the sums in registers for each instruction set (measured).
[[gnu::target("avx512f")]] void BlocksAvx512(const double* t, size_t n, const double* in, double* out,
                                             size_t count) {
  Blocks<96>(t, n, in, out, count);
}
[[gnu::target("avx2")]] void BlocksAvx2(const double* t, size_t n, const double* in, double* out,
                                        size_t count) {
  Blocks<48>(t, n, in, out, count);
}
void BlocksPlain(const double* t, size_t n, const double* in, double* out, size_t count) {
  Blocks<16>(t, n, in, out, count);
}

using BlocksFn = void (*)(const double*, size_t, const double*, double*, size_t);

BlocksFn ChooseBlocks() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return BlocksAvx512;
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
// thread is woken rarely.
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
  if (std::thread::hardware_concurrency() > 1 && uint64_t{frames} * taps.size() >= kHelperMinWork) {
    helper = std::make_unique<Helper>();
  }

  for (uint32_t start = 0; start < frames; start += kRoundFrames) {
    const uint32_t count = std::min(kRoundFrames, frames - start);
    channel.Read(start, count, fresh);
    if (helper && count > kPumpIntervalFrames) {
      const uint32_t half = count / 2;
      helper->Start([&] { FirDirectForm(taps, fresh + half, out.data() + half, count - half); });
      FirDirectForm(taps, fresh, out.data(), half);
      helper->Wait();
    } else {
      FirDirectForm(taps, fresh, out.data(), count);
    }
    for (uint32_t done = 0; done < count; done += kPumpIntervalFrames) {
      if (progress && progress->Checkpoint(start + done)) return false;
      channel.Write(start + done, std::min(kPumpIntervalFrames, count - done), out.data() + done);
    }
    // The newest inputs become the history of the next round.
    if (history > 0) std::memmove(in.data(), in.data() + count, history * sizeof(double));
  }
  return true;
}
