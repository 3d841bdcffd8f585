#pragma once
// The arithmetic of the wave editing operations over blocks of interleaved frames: peak,
// level change with soft edges, fade, time reversal, echo, and the bodies of mixing and
// copying (the stretches where both weights are 1). CWave's editing members
// (wave_edit.cpp) choose the ranges and lanes and call these.
//
// Values are on the sample scale (-32768..32767); integer arithmetic truncates toward zero
// and every written value is limited to the scale. Frame arguments are absolute frame
// indices of the block; callers have limited them to the block's frames.
#include <cstdint>

#include "core/dsp/sample_lane.h"

// The frames of one wave as the kernels see them.
struct FrameBlock {
  uint8_t* data = nullptr;  // frame 0
  uint32_t frameCount = 0;
  uint32_t blockAlign = 0;  // bytes per frame
  uint32_t widthBytes = 2;  // 1 for 8-bit samples, 2 otherwise
  uint32_t channels = 1;

  bool Stereo() const { return channels >= 2; }
  // The lane of channel 0 (left, or the only one) or 1 (right; the only one of a mono
  // block); an empty lane when the frame holds no such sample.
  SampleLane Channel(int index) const;
  // Every sample of every frame in one lane; empty when the frames have gaps.
  SampleLane Flat() const;
  // The lanes a per-channel operation works on for a channel selector: 1 the left (or only)
  // channel, 2 the right one, 3 or more both (one flat lane when possible). Returns the
  // number of lanes (0 for selector 0 or a block without samples).
  int LanesFor(int selector, SampleLane lanes[2]) const;
};

// Largest magnitude over the lanes' samples of frames [first, first + count): |s| for 16
// bits, |x - 128| << 8 for 8 bits.
int LanePeak(const SampleLane& lane, uint32_t first, uint32_t count);

// Every sample of the frames becomes sample x percent / 100 (product first).
void ScaleFrames(const SampleLane& lane, uint32_t first, uint32_t count, int64_t percent);

// Level change with soft edges: over rampFrames frames at each end the gain moves from
// 100 % to percent and back, (percent - 100) x i / ramp + 100 for the i-th frame of the
// rising ramp and the (ramp - 1 - i)-th of the falling one; percent in between.
// Needs 2 x rampFrames <= count.
void ChangeLevelFrames(const SampleLane& lane, uint32_t first, uint32_t count, int percent,
                       uint32_t rampFrames);

// Fade: frame k of count gets gain start + (k x (end - start)) / count, computed in 64 bits.
void FadeFrames(const SampleLane& lane, uint32_t first, uint32_t count, int startPercent,
                int endPercent);

// Time reversal of frames [first, first + count) in the lane (the middle frame of an odd
// count stays).
void ReverseFrames(const SampleLane& lane, uint32_t first, uint32_t count);

// Echo in place, going forward: every frame a of [first, first + count) with a >= delay
// becomes sample[a] + percent x sample[a - delay] / 100, reading frames already changed.
void EchoFrames(const SampleLane& lane, uint32_t first, uint32_t count, uint32_t delayFrames,
                int percent);

// Reads count frames from first as CWave::GetSample reads them with the selector (3 gives
// the mean of a stereo frame, truncated toward zero).
void ReadSelected(const FrameBlock& block, int selector, uint32_t first, uint32_t count,
                  int32_t* out);
// Writes count values into one channel (0 or 1) of the frames from first, limited.
void WriteChannel(const FrameBlock& block, int channel, uint32_t first, uint32_t count,
                  const int32_t* in);

// The body of mixing (both weights 1) over count frames: destination frame d gets
// (source + destination) / divisor, with the channel rules of CWave::Mix; divisor 1 adds,
// 2 averages. Selectors are 1, 2 or 3.
void MixBody(const FrameBlock& source, uint32_t sourceFirst, int sourceSelector,
             const FrameBlock& dest, uint32_t destFirst, int destSelector, uint32_t count,
             int divisor);
// The body of copying: destination frames take the source frames, with the channel rules
// of CWave::Overlay.
void CopyBody(const FrameBlock& source, uint32_t sourceFirst, int sourceSelector,
              const FrameBlock& dest, uint32_t destFirst, int destSelector, uint32_t count);

// The cross-fade length of mixing and copying: ms x rate / 1000 frames, halved to length / 2
// when two of them do not fit; length loses both ramps. Returns the ramp in frames.
uint32_t RampLength(uint32_t& lengthFrames, uint32_t ms, uint32_t rateHz);
