#pragma once
// A lane: a row of samples inside a block of interleaved frames, read and written on the
// sample scale of core/wave/wave.h, with the stride between two samples of the row.
//
// A lane either follows one channel (one sample per frame, the stride the frame size) or
// runs flat over every channel of every frame (as many samples per frame as channels, the
// stride the sample width). Operations that treat both channels of a frame alike, with the
// same parameter for both, run over the flat lane in one pass; the result is the same as
// doing the left channel and then the right one.
//
// The editing kernels are written once as templates over a lane type; VisitLane hands them a
// lane whose width and stride are compile-time constants for the layouts of 8- and 16-bit
// mono and stereo waves, so that the loops become vector code, and a run-time lane otherwise.
#include <algorithm>
#include <cstdint>
#include <cstring>

// Lane code is inlined into its callers, so that a caller compiled for a wider instruction
// set (edit_kernels.cpp compiles its range kernels for AVX2 too) compiles it for that set.
#if defined(__GNUC__)
#define SONVUE_LANE_INLINE __attribute__((always_inline))
#else
#define SONVUE_LANE_INLINE
#endif

// 8-bit samples are unsigned bytes with silence at 128; wider ones signed 16-bit words.
inline constexpr int kSampleMin = -32768;
inline constexpr int kSampleMax = 32767;

inline SONVUE_LANE_INLINE int SampleFromByte(uint8_t x) {
  const int d = static_cast<int>(x) - 128;
  return d * 256 + (d & 0xFF);
}

inline SONVUE_LANE_INLINE uint8_t ByteFromSample(int v) {
  return static_cast<uint8_t>((std::clamp(v, kSampleMin, kSampleMax) >> 8) + 128);
}

struct SampleLane {
  uint8_t* first = nullptr;      // the lane's first sample
  uint32_t strideBytes = 0;      // from one sample of the lane to the next
  uint32_t widthBytes = 2;       // 1: unsigned 8-bit, 2: signed 16-bit
  uint32_t samplesPerFrame = 1;  // 1 for a channel lane, the channel count for a flat one

  bool Empty() const { return first == nullptr; }
};

// The lane accessors. Get and Set address samples (not frames); Set limits the value.
template <uint32_t kWidth, uint32_t kStride>
struct FixedLane {
  uint8_t* p;
  static constexpr uint32_t width = kWidth;

  SONVUE_LANE_INLINE int Get(size_t i) const {
    const uint8_t* q = p + i * kStride;
    if constexpr (kWidth == 1) {
      return SampleFromByte(*q);
    } else {
      int16_t v;
      std::memcpy(&v, q, 2);
      return v;
    }
  }
  SONVUE_LANE_INLINE void Set(size_t i, int v) const {
    uint8_t* q = p + i * kStride;
    if constexpr (kWidth == 1) {
      *q = ByteFromSample(v);
    } else {
      const auto s = static_cast<int16_t>(std::clamp(v, kSampleMin, kSampleMax));
      std::memcpy(q, &s, 2);
    }
  }
  // The peak measure: |s| for 16 bits, |x - 128| << 8 for 8 bits (so both reach 32768).
  SONVUE_LANE_INLINE int Magnitude(size_t i) const {
    if constexpr (kWidth == 1) {
      const int d = static_cast<int>(p[i * kStride]) - 128;
      return (d < 0 ? -d : d) << 8;
    } else {
      const int v = Get(i);
      return v < 0 ? -v : v;
    }
  }
};

struct DynamicLane {
  uint8_t* p;
  uint32_t stride;
  uint32_t width;

  SONVUE_LANE_INLINE int Get(size_t i) const {
    const uint8_t* q = p + i * stride;
    if (width == 1) return SampleFromByte(*q);
    int16_t v;
    std::memcpy(&v, q, 2);
    return v;
  }
  SONVUE_LANE_INLINE void Set(size_t i, int v) const {
    uint8_t* q = p + i * stride;
    if (width == 1) {
      *q = ByteFromSample(v);
    } else {
      const auto s = static_cast<int16_t>(std::clamp(v, kSampleMin, kSampleMax));
      std::memcpy(q, &s, 2);
    }
  }
  SONVUE_LANE_INLINE int Magnitude(size_t i) const {
    if (width == 1) {
      const int d = static_cast<int>(p[i * stride]) - 128;
      return (d < 0 ? -d : d) << 8;
    }
    const int v = Get(i);
    return v < 0 ? -v : v;
  }
};

// Calls f with the fastest accessor for the lane.
template <class F>
inline SONVUE_LANE_INLINE void VisitLane(const SampleLane& lane, F&& f) {
  if (lane.widthBytes == 1) {
    if (lane.strideBytes == 1) return f(FixedLane<1, 1>{lane.first});
    if (lane.strideBytes == 2) return f(FixedLane<1, 2>{lane.first});
  } else {
    if (lane.strideBytes == 2) return f(FixedLane<2, 2>{lane.first});
    if (lane.strideBytes == 4) return f(FixedLane<2, 4>{lane.first});
  }
  f(DynamicLane{lane.first, lane.strideBytes, lane.widthBytes});
}
