#include "gui/dsp/signal_sketch.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLow = 0.15;   // the course's lower end when it rises or falls
constexpr double kHigh = 0.85;  // and its upper end
constexpr int kCourseSteps = 64;
constexpr int kRipples = 4;            // AM ripples drawn across the level part
constexpr double kFmSwing = 0.06;      // the FM wave's height around the course
constexpr int kFmWaves = 6;
constexpr double kPi = 3.14159265358979;

}  // namespace

SignalEnabling EnablingFor(SignalType type, bool amOn, bool fmOn) {
  SignalEnabling e;
  switch (type) {
    case SignalType::kSquare:
      e.baseFrequency = true;
      e.duty = true;
      break;
    case SignalType::kNoise: break;
    case SignalType::kSine:
      e.baseFrequency = true;
      e.fades = true;
      e.amCheck = true;
      e.amFields = amOn;
      e.sweep = true;
      e.fmCheck = true;
      e.fmFields = fmOn;
      break;
  }
  return e;
}

std::vector<SketchPoint> FaderPattern(const SignalComponent& c, int durationMs) {
  const bool sine = c.type == SignalType::kSine;
  double in = 0.0, out = 0.0;
  if (sine && durationMs > 0) {
    in = std::clamp(static_cast<double>(c.fadeInMs) / durationMs, 0.0, 1.0);
    out = std::clamp(static_cast<double>(c.fadeOutMs) / durationMs, 0.0, 1.0 - in);
  }
  const bool am = sine && c.amOn;
  const double depth = am ? std::clamp(c.amDepthPercent * 0.01, 0.0, 1.0) : 0.0;
  // The level at x inside the flat part: 1 without AM; with AM 1 - depth (sin + 1) / 2,
  // starting at the phase pi (half the depth).
  const auto level = [&](double x) {
    if (!am) return 1.0;
    return 1.0 - depth * (std::sin(kPi + 2 * kPi * kRipples * x) + 1.0) * 0.5;
  };
  const auto gain = [&](double x) {
    if (in > 0 && x < in) return x / in;
    if (out > 0 && x > 1.0 - out) return (1.0 - x) / out;
    return 1.0;
  };
  std::vector<SketchPoint> points;
  const int steps = am ? kCourseSteps * 2 : 0;
  if (steps == 0) {
    points.push_back({0.0, in > 0 ? 0.0 : 1.0});
    if (in > 0) points.push_back({in, 1.0});
    if (out > 0) points.push_back({1.0 - out, 1.0});
    points.push_back({1.0, out > 0 ? 0.0 : 1.0});
    return points;
  }
  for (int i = 0; i <= steps; ++i) {
    const double x = static_cast<double>(i) / steps;
    points.push_back({x, gain(x) * level(x)});
  }
  return points;
}

SweepDirection SweepDirectionOf(const SignalComponent& c) {
  if (c.type != SignalType::kSine || c.startHz == c.endHz) return SweepDirection::kConstant;
  return c.endHz > c.startHz ? SweepDirection::kRising : SweepDirection::kFalling;
}

std::vector<SketchPoint> FrequencyPattern(const SignalComponent& c) {
  if (c.type == SignalType::kNoise) return {};
  const SweepDirection direction = SweepDirectionOf(c);
  const double from = direction == SweepDirection::kConstant ? 0.5 : direction == SweepDirection::kRising ? kLow : kHigh;
  const double to = direction == SweepDirection::kConstant ? 0.5 : direction == SweepDirection::kRising ? kHigh : kLow;
  // Shape of a logarithmic sweep on a linear scale: the ends' ratio, at least a little, so
  // that a sweep by a few hertz still shows its curve.
  const double lowHz = std::max(1, std::min(c.startHz, c.endHz));
  const double highHz = std::max(1, std::max(c.startHz, c.endHz));
  const double ratio = std::max(highHz / lowHz, 4.0);
  const bool log = c.type == SignalType::kSine && c.logSweep && direction != SweepDirection::kConstant;
  const bool fm = c.type == SignalType::kSine && c.fmOn && c.fmBandHz != 0;
  std::vector<SketchPoint> points;
  for (int i = 0; i <= kCourseSteps; ++i) {
    const double x = static_cast<double>(i) / kCourseSteps;
    // Share of the way from the start to the end frequency after x of the repetition.
    double share = x;
    if (log) share = (std::pow(ratio, direction == SweepDirection::kRising ? x : 1.0 - x) - 1.0) / (ratio - 1.0);
    if (log && direction == SweepDirection::kFalling) share = 1.0 - share;
    double y = from + (to - from) * share;
    if (fm) y += kFmSwing * std::sin(2 * kPi * kFmWaves * x);
    points.push_back({x, y});
  }
  return points;
}
