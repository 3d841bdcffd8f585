#pragma once
// The wave generator: test signals made of up to 30 components (sines with sweep, fades and
// modulation, square waves, white noise), added together and scaled to a peak level, for a
// duration that is repeated a number of times.
//
// Units: frequencies in whole hertz, times in milliseconds, level ratios are relative
// weights, the peak level and the duty and modulation depths are percentages. Amplitudes are
// on the sample scale (-32768 .. 32767). A repetition lasts P = trunc(duration ms /
// (1000 / rate)) frames; every repetition restarts the sweep, the fades and the modulation,
// while the sine's phase runs on.
//
// CWave::Generate (defined in generator.cpp) fills a wave's existing frames; the document
// makes the wave (GenerateWave below) and band-limits white noise with the low-pass filter
// of NoiseLowPassFor.
#include <cstdint>
#include <string>
#include <vector>

#include "core/dsp/fir_design.h"

class CWave;

enum class SignalType : int32_t { kSine = 0, kSquare = 1, kNoise = 2 };

// One component. A new one has these defaults (and the next free name).
struct SignalComponent {
  std::string name;
  SignalType type = SignalType::kSine;
  int32_t baseHz = 1000;  // the square wave's frequency; "周波数一定" copies it to both sweep ends
  int32_t levelRatio = 10;
  int32_t dutyPercent = 0;  // square wave: share of the period at the positive level
  bool amOn = false;
  int32_t amHz = 20;
  int32_t amDepthPercent = 50;
  int32_t fadeInMs = 0;
  int32_t fadeOutMs = 0;
  bool fmOn = false;
  int32_t fmHz = 0;
  int32_t fmBandHz = 0;  // the peak-to-peak frequency swing
  int32_t startHz = 1000;  // frequency at the start of each repetition
  int32_t endHz = 1000;    // frequency reached at the end of each repetition
  bool logSweep = false;

  bool operator==(const SignalComponent&) const = default;
};

inline constexpr int kMaxSignalComponents = 30;

// The generator's settings: one record for the whole program, edited by the generator dialog.
struct GeneratorSettings {
  std::vector<SignalComponent> components;  // at most kMaxSignalComponents, in list order
  int32_t durationMs = 1000;                // one repetition ("時間")
  int32_t repetitions = 1;                  // "繰り返し"
  int32_t peakPercent = 50;                 // "ピークレベル", 0 .. 100
  uint32_t rateHz = 44100;
  uint16_t bits = 16;
  uint16_t channels = 2;

  bool operator==(const GeneratorSettings&) const = default;
};

// The amplitude of a component: trunc(level ratio x peak % / sum of ratios x 327.68) in
// floating point; 32768 or more gives 32768 (the synthesis then limits it to 32767), a
// negative result 0. 0 when the sum is 0.
int32_t ComponentAmplitude(int32_t levelRatio, int32_t peakPercent, int64_t levelSum);

// Frames of a time at the rate: trunc(ms / (1000 / rate)); 0 for a time of 0 or less.
uint32_t FramesForMs(int32_t ms, uint32_t rateHz);

// The frames the document makes: trunc(repetitions x duration x rate x 0.001), computed in
// floating point; 0 when the product is not positive. May exceed 32 bits.
uint64_t GeneratedFrameCount(const GeneratorSettings& settings);

// Why settings cannot be generated, as the generator dialog says it, or empty when they can:
// a peak level outside 0 .. 100, a duration or repetition count below 1, a rate outside the
// format dialog's range, a format other than 8 or 16 bits and 1 or 2 channels, more than 30
// components, a negative level ratio, or a wave too long for a WAVE file.
std::string GeneratorSettingsProblem(const GeneratorSettings& settings);

// The messages behind GeneratorSettingsProblem (the framework's range check wording).
std::string RangeMessage(int64_t low, int64_t high);
inline constexpr const char* kIntegerMessage = "整数を入力してください。";
inline constexpr const char* kRateRangeMessage = "サンプリング周波数は、5000Hz～48000Hzの範囲で指定してください。";
inline constexpr const char* kTooLongMessage =
    "総時間が長すぎます。\n作成できるウェーブデータは 4G バイトまでです。";
inline constexpr int32_t kMaxDurationMs = 3600000;  // one hour per repetition
inline constexpr int32_t kMaxRepetitions = 100000;
inline constexpr uint32_t kMinGeneratorRateHz = 5000;
inline constexpr uint32_t kMaxGeneratorRateHz = 48000;

// The generator opens on the document wave's format: its rate, bits and channels where the
// generator makes them; a rate outside 5000 .. 48000 Hz becomes the nearest limit (a wave
// without a format keeps the settings' rate), other bit depths 16 and more channels 2.
void TakeWaveFormat(GeneratorSettings& settings, uint32_t rateHz, uint16_t bits, uint16_t channels);

// --- the signal dialog's rules, shared with the command-line tool ---

// A sweep end typed into its field: 0 or less becomes 1, the Nyquist frequency or more
// becomes Nyquist - 1.
int32_t LimitSweepHz(int32_t hz, int32_t nyquistHz);

// The fade times after leaving one of the two fields (negative times count as 0). Leaving
// the fade-in field: when fade-in + fade-out exceed the duration, the fade-out becomes
// duration - fade-in, or, when the fade-in alone exceeds it, the fade-in becomes the
// duration and the fade-out 0. Leaving the fade-out field does the same with the roles
// exchanged.
enum class FadeField { kIn, kOut };
void ApplyFadeRule(FadeField left, int32_t durationMs, int32_t& fadeInMs, int32_t& fadeOutMs);

// "周波数一定": both sweep ends take the base frequency and FM is switched off (a sine only).
void SetConstantFrequency(SignalComponent& component);

// --- the component list ---

// The list entry: name, type, and the values that matter for the type, e.g.
// "信号 1 (ｻｲﾝ波:1000Hz～2000Hz L10 , FADE in:0 out:0 )".
std::string ComponentSummary(const SignalComponent& component);
// "信号 " and one more than the largest number that follows "信号 " in a listed name.
std::string NextComponentName(const std::vector<SignalComponent>& components);
// A component with the defaults and the next free name.
SignalComponent NewComponent(const std::vector<SignalComponent>& components);

// --- making the wave ---

// Whether any component is white noise (generating then band-limits the wave).
bool HasNoise(const GeneratorSettings& settings);

// The low-pass that band-limits generated noise: order 200, cutoff (rate / 2 - 1) Hz with
// the halving in whole numbers, 50 dB, both channels.
struct NoiseLowPass {
  FilterType type = FilterType::kLowPass;
  int order = 200;
  double f1KHz = 0.0;
  double attenuationDb = 50.0;
};
NoiseLowPass NoiseLowPassFor(uint32_t rateHz);

// Makes `wave` a silent wave of the settings' format and GeneratedFrameCount frames and
// generates into it. The wave is left alone (false) when the settings have a problem or the
// memory is refused. The noise filter is the caller's step.
enum class GenerateResult { kDone, kRefused, kNoMemory };
GenerateResult GenerateWave(const GeneratorSettings& settings, CWave& wave);

// --- the synthesis of one component, used by CWave::Generate ---
// Each writes value v of frame i as the generator does: with `overwrite` trunc(v), else
// trunc(GetSample(i, both) + v); stored with SetSample(i, .., both), which limits it.
// `periodFrames` is P (at least 1).
void SynthesizeNoise(CWave& wave, int32_t amplitude, bool overwrite);
void SynthesizeSquare(CWave& wave, int32_t amplitude, int32_t baseHz, int32_t dutyPercent, bool overwrite);
void SynthesizeSine(CWave& wave, const SignalComponent& component, int32_t amplitude, uint32_t periodFrames,
                    uint32_t fadeInFrames, uint32_t fadeOutFrames, bool overwrite);
