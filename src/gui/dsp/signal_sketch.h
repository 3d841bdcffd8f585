#pragma once
// What the signal dialog decides without a window: which controls a waveform enables, and
// the two small sketches of a component - its amplitude envelope over one repetition
// ("フェーダパターン") and its frequency course ("周波数遷移パターン"). Sketch points are in a
// unit square: x from 0 (start of the repetition) to 1 (its end), y from 0 (bottom) to 1.
#include <vector>

#include "core/dsp/generator.h"

struct SignalEnabling {
  bool baseFrequency = false;
  bool duty = false;
  bool fades = false;
  bool amCheck = false;
  bool amFields = false;  // modulation frequency and depth
  bool sweep = false;     // both sweep ends, "周波数一定" and "周波数対数軸"
  bool fmCheck = false;
  bool fmFields = false;  // modulation frequency and band
};

// A square wave enables the duty and the base frequency only; white noise none of them; a
// sine all but the duty, the AM fields only with AM on, the FM fields only with FM on.
SignalEnabling EnablingFor(SignalType type, bool amOn, bool fmOn);

struct SketchPoint {
  double x;
  double y;
};

// The envelope: up from 0 over the fade-in share of the duration, level, down to 0 over the
// fade-out share; with AM the level ripples between 1 and 1 - depth, starting half way down
// (a few ripples, not the true count). Without fades the envelope is a flat line at full
// height. Square waves and noise have a flat envelope.
std::vector<SketchPoint> FaderPattern(const SignalComponent& c, int durationMs);

// Whether the sweep rises, stays or falls.
enum class SweepDirection { kRising, kConstant, kFalling };
SweepDirection SweepDirectionOf(const SignalComponent& c);

// The frequency course on a linear frequency scale: a straight line for a linear sweep, the
// exponential curve of a logarithmic one (sagging below the straight line when rising),
// between y = 0.15 and 0.85 when it rises or falls, at 0.5 when it stays; FM adds a wave
// around the course. A square wave has a constant line, white noise none (empty).
std::vector<SketchPoint> FrequencyPattern(const SignalComponent& c);
