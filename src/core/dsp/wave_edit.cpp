// CWave's editing operations: the ranges, selectors, ramps and growth around the kernels of
// edit_kernels.h. The cross-fade ramps (10 ms at most at each end) go frame by frame with
// the weights in floating point; the long stretches between them go through the kernels.
#include <algorithm>
#include <cstring>

#include "core/dsp/edit_kernels.h"
#include "core/wave/wave.h"

namespace {

constexpr uint32_t kRampMs = 10;
constexpr uint32_t kSoftEdgeMs = 10;

FrameBlock BlockOf(const CWave& wave) {
  FrameBlock b;
  b.data = const_cast<uint8_t*>(wave.GetData(0));
  b.frameCount = b.data ? wave.FrameCount() : 0;
  b.blockAlign = wave.BlockAlign();
  b.widthBytes = wave.Bits() == 8 ? 1 : 2;
  b.channels = wave.Channels();
  return b;
}

int EffectiveSelector(int selector) { return std::min(selector, 3); }

// Limits last to the wave's last frame; false when no range of two frames or more remains.
bool LimitRange(const CWave& wave, uint32_t first, uint32_t& last) {
  if (wave.FrameCount() == 0 || !wave.GetData(0)) return false;
  last = std::min(last, wave.FrameCount() - 1);
  return first < last;
}

// Calls op for each lane a per-channel operation works on.
template <class Op>
void ForEachLane(const CWave& wave, int selector, Op op) {
  SampleLane lanes[2];
  const int n = BlockOf(wave).LanesFor(EffectiveSelector(selector), lanes);
  for (int i = 0; i < n; ++i) op(lanes[i]);
}

// One weighted read of a frame: the value with the selector, and the left and right
// outputs (the two channels when the selector is 3 and the destination is stereo).
struct Scaled {
  int value, left, right;
};

Scaled ScaledSample(const CWave& wave, uint32_t frame, int numerator, uint32_t denominator,
                    double offset, int selector, bool destStereo) {
  const double w = static_cast<double>(numerator) / static_cast<double>(denominator) + offset;
  Scaled s;
  s.value = static_cast<int>(wave.GetSample(frame, selector) * w);
  if (selector == 3 && destStereo) {
    s.left = static_cast<int>(wave.GetSample(frame, 1) * w);
    s.right = static_cast<int>(wave.GetSample(frame, 2) * w);
  } else {
    s.left = s.right = s.value;
  }
  return s;
}

// Writes source + destination parts, divided, by the channel rule of mixing and copying.
void WriteMixed(CWave& dest, uint32_t frame, const Scaled& s, const Scaled& t, int divisor,
                int destSelector) {
  if (destSelector >= 3 && dest.Channels() >= 2) {
    dest.SetSample(frame, (s.left + t.left) / divisor, 1);
    dest.SetSample(frame, (s.right + t.right) / divisor, 2);
  } else {
    dest.SetSample(frame, (s.value + t.value) / divisor, destSelector);
  }
}

// A copy of frames [first, first + count) of a wave, for a source that is the destination.
bool CopyRange(const CWave& wave, uint32_t first, uint32_t count, CWave& out) {
  out.SetFormat(wave.Rate(), wave.Bits(), wave.Channels());
  if (!out.AllocateForOverwrite(count)) return false;
  std::memcpy(out.GetData(0), wave.GetData(first), size_t{count} * wave.BlockAlign());
  return true;
}

}  // namespace

int CWave::GetPeak(uint32_t first, uint32_t last, int selector) const {
  if (last < first || frameCount_ == 0 || first >= frameCount_) return 0;
  last = std::min(last, frameCount_ - 1);
  int peak = 0;
  ForEachLane(*this, selector, [&](const SampleLane& lane) {
    peak = std::max(peak, LanePeak(lane, first, last - first + 1));
  });
  return peak;
}

void CWave::ChangeLevel(uint32_t first, uint32_t last, int percent, bool softEdges, int selector) {
  if (!LimitRange(*this, first, last)) return;
  const uint32_t count = last - first + 1;
  uint64_t ramp = softEdges ? uint64_t{Rate()} * kSoftEdgeMs / 1000 : 0;
  if (2 * ramp > count) ramp = count / 2;
  ForEachLane(*this, selector, [&](const SampleLane& lane) {
    ChangeLevelFrames(lane, first, count, percent, static_cast<uint32_t>(ramp));
  });
}

void CWave::Fade(uint32_t first, uint32_t last, int startPercent, int endPercent, int selector) {
  if (!LimitRange(*this, first, last)) return;
  ForEachLane(*this, selector, [&](const SampleLane& lane) {
    FadeFrames(lane, first, last - first + 1, startPercent, endPercent);
  });
}

void CWave::Reverse(uint32_t first, uint32_t last, int selector) {
  if (!LimitRange(*this, first, last)) return;
  ForEachLane(*this, selector, [&](const SampleLane& lane) { ReverseFrames(lane, first, last - first + 1); });
}

void CWave::Delay(uint32_t first, uint32_t last, uint32_t delayMs, int percent, int selector) {
  if (!LimitRange(*this, first, last)) return;
  const uint64_t delay = uint64_t{Rate()} * delayMs / 1000;
  if (delay > last) return;  // no frame of the range lies a whole delay into the wave
  ForEachLane(*this, selector, [&](const SampleLane& lane) {
    EchoFrames(lane, first, last - first + 1, static_cast<uint32_t>(delay), percent);
  });
}

int CWave::Mix(const CWave& source, uint32_t sourceFirst, uint32_t sourceLast, uint32_t destFirst,
               uint32_t destLast, bool smoothing, bool average, int sourceSelector, int destSelector) {
  sourceSelector = EffectiveSelector(sourceSelector);
  destSelector = EffectiveSelector(destSelector);
  if (sourceFirst >= sourceLast || destFirst >= destLast) return 0;
  if (sourceSelector <= 0 || destSelector <= 0) return 0;
  if (sourceFirst >= source.FrameCount() || destFirst >= frameCount_ || !source.GetData(0) || !GetData(0)) return 0;
  sourceLast = std::min(sourceLast, source.FrameCount() - 1);
  destLast = std::min(destLast, frameCount_ - 1);
  uint32_t m = std::min(sourceLast - sourceFirst, destLast - destFirst) + 1;

  const CWave* from = &source;
  CWave own;
  if (&source == this) {
    if (!CopyRange(source, sourceFirst, m, own)) return 0;
    from = &own;
    sourceFirst = 0;
  }
  const uint32_t ramp = smoothing ? RampLength(m, kRampMs, Rate()) : 0;
  const int divisor = average ? 2 : 1;
  const bool stereo = format_.channels >= 2;
  const uint32_t r = ramp;
  for (uint32_t i = 0; i < ramp; ++i) {
    const uint32_t d = destFirst + i;
    const Scaled s = ScaledSample(*from, sourceFirst + i, static_cast<int>(i), r, 0.0, sourceSelector, stereo);
    const Scaled t = average ? ScaledSample(*this, d, -static_cast<int>(i), r, 2.0, destSelector, stereo)
                             : ScaledSample(*this, d, 0, r, 1.0, destSelector, stereo);
    WriteMixed(*this, d, s, t, divisor, destSelector);
  }
  MixBody(BlockOf(*from), sourceFirst + ramp, sourceSelector, BlockOf(*this), destFirst + ramp,
          destSelector, m, divisor);
  for (uint32_t k = 0; k < ramp; ++k) {
    const uint32_t offset = ramp + m + k;
    const uint32_t d = destFirst + offset;
    const Scaled s = ScaledSample(*from, sourceFirst + offset, -static_cast<int>(k), r, 1.0, sourceSelector, stereo);
    const Scaled t = average ? ScaledSample(*this, d, static_cast<int>(k), r, 1.0, destSelector, stereo)
                             : ScaledSample(*this, d, 0, r, 1.0, destSelector, stereo);
    WriteMixed(*this, d, s, t, divisor, destSelector);
  }
  return 0;
}

int CWave::Overlay(const CWave& source, uint32_t sourceFirst, uint32_t sourceLast, uint32_t destFirst,
                   uint32_t destLast, bool smoothing, int mode, int sourceSelector, int destSelector) {
  sourceSelector = EffectiveSelector(sourceSelector);
  destSelector = EffectiveSelector(destSelector);
  const bool insert = mode == kOverlayInsertAtFirst || mode == kOverlayInsertAtLast;
  if (!insert && mode != kOverlayOverwrite) return 0;
  if (sourceFirst >= sourceLast || sourceSelector <= 0 || destSelector <= 0) return 0;
  if (sourceFirst >= source.FrameCount() || !source.GetData(0)) return 0;
  sourceLast = std::min(sourceLast, source.FrameCount() - 1);
  uint32_t h = sourceLast - sourceFirst + 1;
  if (!insert) {
    if (destFirst >= destLast || destFirst >= frameCount_ || !GetData(0)) return 0;
    destLast = std::min(destLast, frameCount_ - 1);
    h = std::min(h, destLast - destFirst + 1);
  }

  const CWave* from = &source;
  CWave own;
  if (&source == this) {
    if (!CopyRange(source, sourceFirst, h, own)) return insert ? kOverlayNoMemory : 0;
    from = &own;
    sourceFirst = 0;
  }
  uint32_t m = h;
  uint32_t ramp = smoothing ? RampLength(m, kRampMs, Rate()) : 0;
  uint32_t headRamp = ramp;  // frames cross-faded before the body
  uint32_t tail = ramp;      // frames cross-faded after it
  uint32_t c = destFirst;    // where the head starts
  if (insert) {
    const uint32_t length = frameCount_;
    // A wave of no more frames than one ramp has nothing to cross-fade with: the whole
    // range goes in as it is.
    if (ramp > 0 && length <= ramp) {
      ramp = headRamp = tail = 0;
      m = h;
    }
    const uint32_t p = mode == kOverlayInsertAtFirst ? destFirst : destLast;
    uint32_t gap;
    if (uint64_t{p} + ramp >= length) {
      // Appended: the head fades over the last frames, the rest follows them.
      m += ramp;
      tail = 0;
      c = length - ramp;
      gap = length;
    } else if (p == 0) {
      // At the very start nothing precedes the material: no head, and the body takes the
      // head's frames so that the whole range goes in.
      headRamp = 0;
      m += ramp;
      c = 0;
      gap = 0;
    } else {
      // Fewer old frames after the gap than a ramp: the body takes what the tail cannot.
      c = p;
      gap = p + ramp;
      tail = std::min(ramp, length - gap);
      m += ramp - tail;
    }
    if (!InsertFrames(gap, m)) return kOverlayNoMemory;
  }

  const bool stereo = format_.channels >= 2;
  for (uint32_t i = 0; i < headRamp; ++i) {
    const uint32_t d = c + i;
    const Scaled s = ScaledSample(*from, sourceFirst + i, static_cast<int>(i), ramp, 0.0, sourceSelector, stereo);
    const Scaled t = ScaledSample(*this, d, -static_cast<int>(i), ramp, 1.0, destSelector, stereo);
    WriteMixed(*this, d, s, t, 1, destSelector);
  }
  CopyBody(BlockOf(*from), sourceFirst + headRamp, sourceSelector, BlockOf(*this), c + headRamp,
           destSelector, m);
  for (uint32_t k = 0; k < tail; ++k) {
    const uint32_t offset = headRamp + m + k;
    const uint32_t d = c + offset;
    const Scaled s = ScaledSample(*from, sourceFirst + offset, -static_cast<int>(k), tail, 1.0, sourceSelector, stereo);
    const Scaled t = ScaledSample(*this, d, static_cast<int>(k), tail, 0.0, destSelector, stereo);
    WriteMixed(*this, d, s, t, 1, destSelector);
  }
  return insert ? 1 : 0;
}
