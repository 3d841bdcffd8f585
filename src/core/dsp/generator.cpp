// The wave generator's arithmetic, and CWave::Generate, which adds the components up.
#include "core/dsp/generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/wave/wave.h"

namespace {

// The constants of the synthesis: 2 pi and pi as the generator has always used them.
constexpr double kTwoPi = 6.2831852;
constexpr double kPi = 3.1415926;
// The noise shift register: its start pattern, the bit that gives the sign, the feedback.
constexpr uint32_t kNoiseSeed = 0xAAAA;
constexpr uint32_t kNoiseSignBit = 1u << 27;
constexpr uint32_t kNoiseFeedback = 0x43;
// FM never lets the frequency fall to 0 Hz or below: it then runs at this.
constexpr double kFrequencyFloorHz = 0.1;
constexpr int32_t kMaxAmplitude = 32767;
constexpr const char* kNamePrefix = "信号 ";

// A value as an integer sample, truncated toward zero; beyond the sample scale (or not a
// number) it is limited first, so that the conversion itself is always defined.
int TruncateSample(double v) {
  if (!(v > -32769.0)) return std::isnan(v) ? 0 : -32768;
  if (v > 32768.0) return 32767;
  return static_cast<int>(v);
}

void WriteValue(CWave& wave, uint32_t frame, double v, bool overwrite) {
  const double sum = overwrite ? v : wave.GetSample(frame, kChannelBoth) + v;
  wave.SetSample(frame, TruncateSample(sum), kChannelBoth);
}

std::string Format(const char* format, long long a, long long b = 0) {
  char text[256];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

int32_t ComponentAmplitude(int32_t levelRatio, int32_t peakPercent, int64_t levelSum) {
  if (levelSum == 0) return 0;
  const double a = std::trunc(static_cast<double>(levelRatio) * peakPercent / static_cast<double>(levelSum) * 327.68);
  if (!(a > 0.0)) return 0;
  return a >= 32768.0 ? 32768 : static_cast<int32_t>(a);
}

uint32_t FramesForMs(int32_t ms, uint32_t rateHz) {
  if (ms <= 0 || rateHz == 0) return 0;
  const double frames = std::trunc(ms / (1000.0 / rateHz));
  return frames >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(frames);
}

uint64_t GeneratedFrameCount(const GeneratorSettings& s) {
  const double frames = std::trunc(static_cast<double>(s.repetitions) * s.durationMs * s.rateHz * 0.001);
  if (!(frames > 0.0)) return 0;
  return frames >= 1.8e19 ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(frames);
}

std::string RangeMessage(int64_t low, int64_t high) {
  return Format("%lld から %lld までの整数を入力してください。", low, high);
}

std::string GeneratorSettingsProblem(const GeneratorSettings& s) {
  if (s.durationMs < 1 || s.durationMs > kMaxDurationMs) return RangeMessage(1, kMaxDurationMs);
  if (s.repetitions < 1 || s.repetitions > kMaxRepetitions) return RangeMessage(1, kMaxRepetitions);
  if (s.peakPercent < 0 || s.peakPercent > 100) return RangeMessage(0, 100);
  if (s.rateHz < kMinGeneratorRateHz || s.rateHz > kMaxGeneratorRateHz) return kRateRangeMessage;
  if ((s.bits != 8 && s.bits != 16) || (s.channels != 1 && s.channels != 2)) {
    return "ビット数は 8 か 16、チャンネル数は 1 か 2 で指定してください。";
  }
  if (s.components.size() > static_cast<size_t>(kMaxSignalComponents)) {
    return Format("合成できる信号は %lld 個までです。", kMaxSignalComponents);
  }
  for (const SignalComponent& c : s.components) {
    if (c.levelRatio < 0) return RangeMessage(0, std::numeric_limits<int32_t>::max());
  }
  const uint64_t bytes = GeneratedFrameCount(s) * (s.bits / 8u) * s.channels;
  if (bytes > std::numeric_limits<uint32_t>::max()) return kTooLongMessage;
  return {};
}

void TakeWaveFormat(GeneratorSettings& settings, uint32_t rateHz, uint16_t bits, uint16_t channels) {
  if (rateHz != 0) settings.rateHz = std::clamp(rateHz, kMinGeneratorRateHz, kMaxGeneratorRateHz);
  settings.bits = bits == 8 ? 8 : 16;
  settings.channels = channels == 1 ? 1 : 2;
}

int32_t LimitSweepHz(int32_t hz, int32_t nyquistHz) {
  if (hz >= nyquistHz) hz = nyquistHz - 1;
  return hz <= 0 ? 1 : hz;
}

void ApplyFadeRule(FadeField left, int32_t durationMs, int32_t& fadeInMs, int32_t& fadeOutMs) {
  fadeInMs = std::max(fadeInMs, 0);
  fadeOutMs = std::max(fadeOutMs, 0);
  int32_t& changed = left == FadeField::kIn ? fadeInMs : fadeOutMs;
  int32_t& other = left == FadeField::kIn ? fadeOutMs : fadeInMs;
  if (int64_t{changed} + other <= durationMs) return;
  if (changed > durationMs) {
    changed = std::max(durationMs, 0);
    other = 0;
  } else {
    other = durationMs - changed;
  }
}

void SetConstantFrequency(SignalComponent& c) {
  if (c.type != SignalType::kSine) return;
  c.startHz = c.baseHz;
  c.endHz = c.baseHz;
  c.fmOn = false;
}

std::string ComponentSummary(const SignalComponent& c) {
  std::string s = c.name + " (";
  switch (c.type) {
    case SignalType::kSine:
      s += "ｻｲﾝ波" + Format(":%lldHz", c.startHz);
      if (c.endHz != c.startHz) s += Format("～%lldHz", c.endHz);
      s += Format(" L%lld", c.levelRatio);
      s += Format(" , FADE in:%lld out:%lld", c.fadeInMs, c.fadeOutMs);
      if (c.amOn) s += Format(" , 振幅変調：%lldHz-%lld", c.amHz, c.amDepthPercent);
      if (c.fmOn) s += Format(" , 周波数変調：%lldHz-%lld", c.fmHz, c.fmBandHz);
      break;
    case SignalType::kSquare:
      s += "方形波" + Format(":%lldHz", c.baseHz) + Format(" Lv%lld", c.levelRatio) + Format(" Du%lld", c.dutyPercent);
      break;
    case SignalType::kNoise:
      s += "ﾎﾜｲﾄﾉｲｽﾞ" + Format(" Lv%lld", c.levelRatio);
      break;
  }
  return s + " )";
}

std::string NextComponentName(const std::vector<SignalComponent>& components) {
  const size_t prefixBytes = std::strlen(kNamePrefix);
  long long largest = 0;
  for (const SignalComponent& c : components) {
    const size_t at = c.name.find(kNamePrefix);
    if (at == std::string::npos) continue;
    long long n = 0;
    if (std::sscanf(c.name.c_str() + at + prefixBytes, "%lld", &n) == 1) largest = std::max(largest, n);
  }
  return kNamePrefix + std::to_string(largest + 1);
}

SignalComponent NewComponent(const std::vector<SignalComponent>& components) {
  SignalComponent c;
  c.name = NextComponentName(components);
  return c;
}

bool HasNoise(const GeneratorSettings& settings) {
  return std::any_of(settings.components.begin(), settings.components.end(),
                     [](const SignalComponent& c) { return c.type == SignalType::kNoise; });
}

NoiseLowPass NoiseLowPassFor(uint32_t rateHz) {
  NoiseLowPass f;
  f.f1KHz = (static_cast<int64_t>(rateHz / 2) - 1) * 0.001;
  return f;
}

GenerateResult GenerateWave(const GeneratorSettings& settings, CWave& wave) {
  if (!GeneratorSettingsProblem(settings).empty()) return GenerateResult::kRefused;
  CWave fresh;
  fresh.SetFormat(settings.rateHz, settings.bits, settings.channels);
  if (!fresh.Allocate(static_cast<uint32_t>(GeneratedFrameCount(settings)))) return GenerateResult::kNoMemory;
  fresh.Generate(settings);
  wave.TakeSamplesFrom(fresh);
  return GenerateResult::kDone;
}

void SynthesizeNoise(CWave& wave, int32_t amplitude, bool overwrite) {
  const uint32_t a = (9u * static_cast<uint32_t>(std::clamp(amplitude, 0, kMaxAmplitude))) / 10u;
  uint32_t reg = kNoiseSeed;
  for (uint32_t i = 0; i < wave.FrameCount(); ++i) {
    double v;
    if (reg & kNoiseSignBit) {
      v = a;
      reg = ((reg ^ kNoiseFeedback) << 1) | 1u;
    } else {
      v = -static_cast<double>(a);
      reg <<= 1;
    }
    WriteValue(wave, i, v, overwrite);
  }
}

void SynthesizeSquare(CWave& wave, int32_t amplitude, int32_t baseHz, int32_t dutyPercent, bool overwrite) {
  const double a = std::clamp(amplitude, 0, kMaxAmplitude);
  const uint32_t frames = wave.FrameCount();
  if (baseHz <= 0) {
    // No frequency: one endless period, which starts at the positive level and stays there
    // for any duty above 0.
    for (uint32_t i = 0; i < frames; ++i) WriteValue(wave, i, (i == 0 || dutyPercent > 0) ? a : -a, overwrite);
    return;
  }
  const double p = static_cast<double>(wave.Rate()) / baseHz;
  const double h = std::trunc(dutyPercent * p * 0.01 + 0.5);
  for (uint32_t i = 0; i < frames; ++i) {
    const double q = i - std::trunc(std::trunc(i / p) * p);
    WriteValue(wave, i, q <= h ? a : -a, overwrite);
  }
}

void SynthesizeSine(CWave& wave, const SignalComponent& c, int32_t amplitude, uint32_t periodFrames,
                    uint32_t fadeInFrames, uint32_t fadeOutFrames, bool overwrite) {
  if (periodFrames == 0 || wave.Rate() == 0) return;
  const double a = std::clamp(amplitude, 0, kMaxAmplitude);
  const double t = 1.0 / wave.Rate();
  const double period = periodFrames;
  // A logarithmic sweep needs positive ends; below 1 Hz they count as 1 Hz, the lowest a
  // sweep field takes.
  const double startHz = c.logSweep ? std::max(c.startHz, 1) : c.startHz;
  const double endHz = c.logSweep ? std::max(c.endHz, 1) : c.endHz;
  const double delta = c.logSweep ? (std::log10(endHz) - std::log10(startHz)) / period : (endHz - startHz) / period;
  const double fmStep = c.fmOn ? c.fmHz * t * kTwoPi : 0.0;
  const double amStep = c.amOn ? c.amHz * t * kTwoPi : 0.0;
  const double halfBand = c.fmBandHz >> 1;

  double phi = 0.0;
  double f = startHz;
  double fmPhase = 0.0;
  double amPhase = kPi;
  for (uint32_t i = 0; i < wave.FrameCount(); ++i) {
    const uint32_t b = i % periodFrames;
    double g = 1.0;
    if (b == 0) {
      f = startHz;
      fmPhase = 0.0;
      amPhase = kPi;
    } else if (b < fadeInFrames) {
      g = static_cast<double>(b) / fadeInFrames;
    } else if (periodFrames - b < fadeOutFrames) {
      g = static_cast<double>(periodFrames - b) / fadeOutFrames;
    }
    double s = a * std::sin(phi);
    if (c.amOn) {
      const double m = std::clamp((std::sin(amPhase) + 1.0) * c.amDepthPercent * 0.5, 0.0, 100.0);
      s = s * (100.0 - m) * 0.01;
      amPhase += amStep;
    }
    WriteValue(wave, i, g * s, overwrite);
    double now = f;
    if (c.fmOn) {
      now = f + std::sin(fmPhase) * halfBand;
      fmPhase += fmStep;
    }
    if (now <= 0.0) now = kFrequencyFloorHz;
    phi += now * t * kTwoPi;
    f = c.logSweep ? std::pow(10.0, std::log10(f) + delta) : f + delta;
  }
}

bool CWave::Generate(const GeneratorSettings& settings) {
  if (FrameCount() == 0 || settings.components.empty() || Rate() == 0) return false;
  int64_t levelSum = 0;
  for (const SignalComponent& c : settings.components) levelSum += c.levelRatio;
  if (levelSum == 0) return false;
  const uint32_t periodFrames = FramesForMs(settings.durationMs, Rate());
  if (periodFrames == 0) return false;

  bool overwrite = true;
  for (const SignalComponent& c : settings.components) {
    const int32_t amplitude = ComponentAmplitude(c.levelRatio, settings.peakPercent, levelSum);
    switch (c.type) {
      case SignalType::kNoise: SynthesizeNoise(*this, amplitude, overwrite); break;
      case SignalType::kSquare: SynthesizeSquare(*this, amplitude, c.baseHz, c.dutyPercent, overwrite); break;
      case SignalType::kSine:
        SynthesizeSine(*this, c, amplitude, periodFrames, FramesForMs(c.fadeInMs, Rate()),
                       FramesForMs(c.fadeOutMs, Rate()), overwrite);
        break;
    }
    overwrite = false;
  }
  return true;
}
