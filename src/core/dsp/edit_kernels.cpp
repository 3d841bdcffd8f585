#include "core/dsp/edit_kernels.h"

#include <algorithm>
#include <cstring>

// The kernels over whole ranges are compiled twice, for AVX2 and for plain x86-64, and the
// program picks one when it starts; both give the same results (integer arithmetic only).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define SONVUE_EDIT_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SONVUE_EDIT_CLONES
#endif

namespace {

// Frames handled per pass where a kernel stages samples in local buffers.
constexpr uint32_t kChunkFrames = 1024;
// Gains up to this magnitude keep sample x gain inside 32 bits (32768 x 65535 < 2^31).
constexpr int64_t kGainFor32Bits = 65535;

template <class Lane>
inline SONVUE_LANE_INLINE void ScaleSamples(Lane lane, size_t from, size_t count, int64_t percent) {
  if (percent == 100) return;
  if (percent >= -kGainFor32Bits && percent <= kGainFor32Bits) {
    const int p = static_cast<int>(percent);
    for (size_t i = from; i < from + count; ++i) lane.Set(i, lane.Get(i) * p / 100);
  } else {
    for (size_t i = from; i < from + count; ++i) {
      const int64_t v = int64_t{lane.Get(i)} * percent / 100;
      lane.Set(i, static_cast<int>(std::clamp<int64_t>(v, kSampleMin, kSampleMax)));
    }
  }
}

// Reverses count units of T (whole frames) in place.
template <class T>
void ReverseUnits(uint8_t* p, size_t count) {
  size_t i = 0, j = count - 1;
  while (i < j) {
    T a, b;
    std::memcpy(&a, p + i * sizeof(T), sizeof(T));
    std::memcpy(&b, p + j * sizeof(T), sizeof(T));
    std::memcpy(p + i * sizeof(T), &b, sizeof(T));
    std::memcpy(p + j * sizeof(T), &a, sizeof(T));
    ++i;
    --j;
  }
}

void ReverseStrided(uint8_t* p, size_t count, size_t unitBytes, size_t strideBytes) {
  size_t i = 0, j = count - 1;
  uint8_t a[8], b[8];
  while (i < j) {
    std::memcpy(a, p + i * strideBytes, unitBytes);
    std::memcpy(b, p + j * strideBytes, unitBytes);
    std::memcpy(p + i * strideBytes, b, unitBytes);
    std::memcpy(p + j * strideBytes, a, unitBytes);
    ++i;
    --j;
  }
}

template <class Lane>
inline SONVUE_LANE_INLINE void EchoSamples(Lane lane, uint32_t perFrame, uint64_t fromFrame, uint64_t endFrame,
                 uint32_t delayFrames, int64_t percent) {
  int32_t earlier[kChunkFrames * 2];
  const bool narrow = percent >= -kGainFor32Bits && percent <= kGainFor32Bits;
  const int p32 = static_cast<int>(narrow ? percent : 0);
  for (uint64_t a = fromFrame; a < endFrame;) {
    // A block no longer than the delay reads only frames that are already final.
    uint64_t frames = std::min<uint64_t>(kChunkFrames, endFrame - a);
    if (delayFrames > 0) frames = std::min<uint64_t>(frames, delayFrames);
    const size_t to = a * perFrame;
    const size_t from = (a - delayFrames) * perFrame;
    const size_t n = frames * perFrame;
    for (size_t k = 0; k < n; ++k) earlier[k] = lane.Get(from + k);
    if (narrow) {
      for (size_t k = 0; k < n; ++k) lane.Set(to + k, lane.Get(to + k) + earlier[k] * p32 / 100);
    } else {
      for (size_t k = 0; k < n; ++k) {
        const int64_t v = lane.Get(to + k) + int64_t{earlier[k]} * percent / 100;
        lane.Set(to + k, static_cast<int>(std::clamp<int64_t>(v, kSampleMin, kSampleMax)));
      }
    }
    a += frames;
  }
}

// Which channel a value written with a selector other than "both of a stereo frame" goes to.
int ChannelOfSelector(const FrameBlock& block, int selector) {
  return selector == 2 && block.Stereo() ? 1 : 0;
}

// Source and destination share the layout and every sample is handled alike: one flat pass.
bool FlatPair(const FrameBlock& source, int sourceSelector, const FrameBlock& dest, int destSelector) {
  if (source.channels != dest.channels || source.Flat().Empty() || dest.Flat().Empty()) return false;
  return !dest.Stereo() || (sourceSelector == 3 && destSelector == 3);
}

// The source values of a chunk as the mixing weights see them: both channels when the
// destination takes both, else the selected value twice.
void ReadSourcePair(const FrameBlock& source, int sourceSelector, bool bothOut, uint32_t first,
                    uint32_t count, int32_t* left, int32_t* right) {
  if (bothOut && sourceSelector == 3) {
    ReadSelected(source, 1, first, count, left);
    ReadSelected(source, 2, first, count, right);
  } else {
    ReadSelected(source, sourceSelector, first, count, left);
    std::memcpy(right, left, sizeof(int32_t) * count);
  }
}

}  // namespace

SampleLane FrameBlock::Channel(int index) const {
  if (!data || frameCount == 0) return {};
  if (index > 0 && !Stereo()) index = 0;
  const uint32_t offset = widthBytes * static_cast<uint32_t>(index);
  if (offset + widthBytes > blockAlign) return {};
  return {data + offset, blockAlign, widthBytes, 1};
}

SampleLane FrameBlock::Flat() const {
  if (!data || frameCount == 0 || channels < 1 || channels > 2) return {};
  if (blockAlign != channels * widthBytes) return {};
  return {data, widthBytes, widthBytes, channels};
}

int FrameBlock::LanesFor(int selector, SampleLane lanes[2]) const {
  int n = 0;
  auto add = [&](SampleLane lane) {
    if (!lane.Empty()) lanes[n++] = lane;
  };
  if (selector <= 0) return 0;
  if (selector == 1 || !Stereo()) {
    add(Channel(selector == 2 ? 1 : 0));
  } else if (selector == 2) {
    add(Channel(1));
  } else if (SampleLane flat = Flat(); !flat.Empty()) {
    add(flat);
  } else {
    add(Channel(0));
    add(Channel(1));
  }
  return n;
}

SONVUE_EDIT_CLONES int LanePeak(const SampleLane& lane, uint32_t first, uint32_t count) {
  int peak = 0;
  const size_t from = size_t{first} * lane.samplesPerFrame;
  const size_t to = from + size_t{count} * lane.samplesPerFrame;
  VisitLane(lane, [&](auto l) SONVUE_LANE_INLINE {
    int m = 0;
    for (size_t i = from; i < to; ++i) m = std::max(m, l.Magnitude(i));
    peak = m;
  });
  return peak;
}

SONVUE_EDIT_CLONES void ScaleFrames(const SampleLane& lane, uint32_t first, uint32_t count, int64_t percent) {
  const uint32_t spf = lane.samplesPerFrame;
  VisitLane(lane, [&](auto l) SONVUE_LANE_INLINE { ScaleSamples(l, size_t{first} * spf, size_t{count} * spf, percent); });
}

void ChangeLevelFrames(const SampleLane& lane, uint32_t first, uint32_t count, int percent,
                       uint32_t rampFrames) {
  const uint32_t r = std::min(rampFrames, count / 2);
  const int64_t rise = int64_t{percent} - 100;
  for (uint32_t i = 0; i < r; ++i) ScaleFrames(lane, first + i, 1, rise * i / r + 100);
  ScaleFrames(lane, first + r, count - 2 * r, percent);
  for (uint32_t i = 0; i < r; ++i) {
    const uint32_t k = r - 1 - i;
    ScaleFrames(lane, first + count - r + i, 1, rise * k / r + 100);
  }
}

void FadeFrames(const SampleLane& lane, uint32_t first, uint32_t count, int startPercent,
                int endPercent) {
  if (count == 0) return;
  const int64_t span = int64_t{endPercent} - startPercent;
  const uint64_t steps = span < 0 ? static_cast<uint64_t>(-span) : static_cast<uint64_t>(span);
  if (steps >= count) {
    for (uint32_t k = 0; k < count; ++k) ScaleFrames(lane, first + k, 1, startPercent + int64_t{k} * span / count);
    return;
  }
  // The gain is a staircase: it takes the value start +- j from the first frame k with
  // k x steps / count >= j, that is k = ceil(j x count / steps), on.
  const int64_t sign = span < 0 ? -1 : 1;
  uint64_t begin = 0;
  for (uint64_t j = 0; begin < count; ++j) {
    const uint64_t next = steps == 0 ? count : std::min<uint64_t>(count, ((j + 1) * count + steps - 1) / steps);
    ScaleFrames(lane, first + static_cast<uint32_t>(begin), static_cast<uint32_t>(next - begin),
                startPercent + sign * static_cast<int64_t>(j));
    begin = next;
  }
}

void ReverseFrames(const SampleLane& lane, uint32_t first, uint32_t count) {
  if (count < 2 || lane.Empty()) return;
  // Reversal moves samples without changing them, so the bytes are swapped as they stand.
  const size_t unit = size_t{lane.widthBytes} * lane.samplesPerFrame;
  uint8_t* p = lane.first + size_t{first} * lane.samplesPerFrame * lane.strideBytes;
  if (lane.strideBytes == lane.widthBytes) {
    switch (unit) {
      case 1: ReverseUnits<uint8_t>(p, count); return;
      case 2: ReverseUnits<uint16_t>(p, count); return;
      case 4: ReverseUnits<uint32_t>(p, count); return;
      default: ReverseStrided(p, count, unit, unit); return;
    }
  }
  ReverseStrided(p, count, lane.widthBytes, lane.strideBytes);
}

SONVUE_EDIT_CLONES void EchoFrames(const SampleLane& lane, uint32_t first, uint32_t count, uint32_t delayFrames,
                int percent) {
  const uint64_t from = std::max<uint64_t>(first, delayFrames);
  const uint64_t end = uint64_t{first} + count;
  if (from >= end || lane.Empty()) return;
  VisitLane(lane, [&](auto l) SONVUE_LANE_INLINE { EchoSamples(l, lane.samplesPerFrame, from, end, delayFrames, percent); });
}

SONVUE_EDIT_CLONES void ReadSelected(const FrameBlock& block, int selector, uint32_t first, uint32_t count,
                  int32_t* out) {
  if (selector == 3 && block.Stereo()) {
    const SampleLane left = block.Channel(0), right = block.Channel(1);
    if (left.Empty() || right.Empty()) {
      std::fill(out, out + count, 0);
      return;
    }
    VisitLane(left, [&](auto l) SONVUE_LANE_INLINE {
      VisitLane(right, [&](auto r) SONVUE_LANE_INLINE {
        for (uint32_t i = 0; i < count; ++i) out[i] = (l.Get(first + i) + r.Get(first + i)) / 2;
      });
    });
    return;
  }
  const SampleLane lane = selector <= 0 ? SampleLane{} : block.Channel(ChannelOfSelector(block, selector));
  if (lane.Empty()) {
    std::fill(out, out + count, 0);
    return;
  }
  VisitLane(lane, [&](auto l) SONVUE_LANE_INLINE {
    for (uint32_t i = 0; i < count; ++i) out[i] = l.Get(first + i);
  });
}

SONVUE_EDIT_CLONES void WriteChannel(const FrameBlock& block, int channel, uint32_t first, uint32_t count,
                  const int32_t* in) {
  const SampleLane lane = block.Channel(channel);
  if (lane.Empty()) return;
  VisitLane(lane, [&](auto l) SONVUE_LANE_INLINE {
    for (uint32_t i = 0; i < count; ++i) l.Set(first + i, in[i]);
  });
}

SONVUE_EDIT_CLONES void MixBody(const FrameBlock& source, uint32_t sourceFirst, int sourceSelector,
             const FrameBlock& dest, uint32_t destFirst, int destSelector, uint32_t count,
             int divisor) {
  if (FlatPair(source, sourceSelector, dest, destSelector)) {
    const SampleLane s = source.Flat(), d = dest.Flat();
    const size_t spf = d.samplesPerFrame;
    const size_t s0 = size_t{sourceFirst} * spf, d0 = size_t{destFirst} * spf, n = size_t{count} * spf;
    VisitLane(s, [&](auto sl) SONVUE_LANE_INLINE {
      VisitLane(d, [&](auto dl) SONVUE_LANE_INLINE {
        // Divisions by a constant 2 stay in vector code; a variable divisor would not.
        if (divisor == 2) {
          for (size_t k = 0; k < n; ++k) dl.Set(d0 + k, (sl.Get(s0 + k) + dl.Get(d0 + k)) / 2);
        } else {
          for (size_t k = 0; k < n; ++k) dl.Set(d0 + k, (sl.Get(s0 + k) + dl.Get(d0 + k)) / divisor);
        }
      });
    });
    return;
  }
  const bool both = destSelector == 3 && dest.Stereo();
  int32_t a0[kChunkFrames], a1[kChunkFrames], b0[kChunkFrames], b1[kChunkFrames];
  for (uint32_t done = 0; done < count;) {
    const uint32_t n = std::min(kChunkFrames, count - done);
    ReadSourcePair(source, sourceSelector, both, sourceFirst + done, n, a0, a1);
    if (both) {
      ReadSelected(dest, 1, destFirst + done, n, b0);
      ReadSelected(dest, 2, destFirst + done, n, b1);
      if (divisor == 2) {
        for (uint32_t i = 0; i < n; ++i) {
          a0[i] = (a0[i] + b0[i]) / 2;
          a1[i] = (a1[i] + b1[i]) / 2;
        }
      } else {
        for (uint32_t i = 0; i < n; ++i) {
          a0[i] = (a0[i] + b0[i]) / divisor;
          a1[i] = (a1[i] + b1[i]) / divisor;
        }
      }
      WriteChannel(dest, 0, destFirst + done, n, a0);
      WriteChannel(dest, 1, destFirst + done, n, a1);
    } else {
      ReadSelected(dest, destSelector, destFirst + done, n, b0);
      if (divisor == 2) {
        for (uint32_t i = 0; i < n; ++i) a0[i] = (a0[i] + b0[i]) / 2;
      } else {
        for (uint32_t i = 0; i < n; ++i) a0[i] = (a0[i] + b0[i]) / divisor;
      }
      WriteChannel(dest, ChannelOfSelector(dest, destSelector), destFirst + done, n, a0);
    }
    done += n;
  }
}

SONVUE_EDIT_CLONES void CopyBody(const FrameBlock& source, uint32_t sourceFirst, int sourceSelector,
              const FrameBlock& dest, uint32_t destFirst, int destSelector, uint32_t count) {
  if (FlatPair(source, sourceSelector, dest, destSelector)) {
    const SampleLane s = source.Flat(), d = dest.Flat();
    const size_t spf = d.samplesPerFrame;
    const size_t s0 = size_t{sourceFirst} * spf, d0 = size_t{destFirst} * spf, n = size_t{count} * spf;
    if (s.widthBytes == d.widthBytes) {
      std::memmove(d.first + d0 * d.widthBytes, s.first + s0 * s.widthBytes, n * d.widthBytes);
      return;
    }
    VisitLane(s, [&](auto sl) SONVUE_LANE_INLINE {
      VisitLane(d, [&](auto dl) SONVUE_LANE_INLINE {
        for (size_t k = 0; k < n; ++k) dl.Set(d0 + k, sl.Get(s0 + k));
      });
    });
    return;
  }
  const bool both = destSelector == 3 && dest.Stereo();
  int32_t a0[kChunkFrames], a1[kChunkFrames];
  for (uint32_t done = 0; done < count;) {
    const uint32_t n = std::min(kChunkFrames, count - done);
    ReadSourcePair(source, sourceSelector, both, sourceFirst + done, n, a0, a1);
    if (both) {
      WriteChannel(dest, 0, destFirst + done, n, a0);
      WriteChannel(dest, 1, destFirst + done, n, a1);
    } else {
      WriteChannel(dest, ChannelOfSelector(dest, destSelector), destFirst + done, n, a0);
    }
    done += n;
  }
}

uint32_t RampLength(uint32_t& lengthFrames, uint32_t ms, uint32_t rateHz) {
  uint64_t ramp = uint64_t{ms} * rateHz / 1000;
  if (2 * ramp > lengthFrames) ramp = lengthFrames >> 1;
  lengthFrames -= static_cast<uint32_t>(2 * ramp);
  return static_cast<uint32_t>(ramp);
}
