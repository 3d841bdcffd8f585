// CWavDoc::GenerateIntoDocument: the generated signal replaces the wave in the settings'
// format; only white noise asks for the low-pass; refused settings keep the wave.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/doc/wav_doc.h"
#include "core/dsp/fir_filter.h"
#include "support/temp_dir.h"

namespace {

GeneratorSettings Settings(SignalType type) {
  GeneratorSettings s;
  SignalComponent c = NewComponent({});
  c.type = type;
  s.components = {c};
  s.durationMs = 250;
  s.repetitions = 2;
  s.rateHz = 11025;
  s.bits = 8;
  s.channels = 1;
  return s;
}

struct FilterCall {
  int calls = 0;
  NoiseLowPass filter;
  uint32_t frames = 0;
};

CWavDoc::NoiseFilterRunner Recorder(FilterCall& call) {
  return [&call](CWave& w, const NoiseLowPass& f) {
    ++call.calls;
    call.filter = f;
    call.frames = w.FrameCount();
  };
}

}  // namespace

TEST(GenerateIntoDocument, ReplacesTheWaveInTheSettingsFormatAndFiltersOnlyNoise) {
  CWavDoc doc;
  doc.Wave().SetFormat(44100, 16, 2);
  ASSERT_TRUE(doc.Wave().Allocate(100000));
  doc.Settings().currentPosition = 90000;

  FilterCall sineCall;
  EXPECT_EQ(doc.GenerateIntoDocument(Settings(SignalType::kSine), Recorder(sineCall)), GenerateResult::kDone);
  const CWave& w = doc.Wave();
  EXPECT_EQ(w.Rate(), 11025u);
  EXPECT_EQ(w.Bits(), 8);
  EXPECT_EQ(w.Channels(), 1);
  EXPECT_EQ(w.FrameCount(), 5512u);  // trunc(2 x 250 x 11025 x 0.001)
  EXPECT_EQ(sineCall.calls, 0);
  EXPECT_EQ(doc.Settings().currentPosition, 0u);  // it lay beyond the new wave

  FilterCall noiseCall;
  GeneratorSettings noise = Settings(SignalType::kSine);
  noise.components.push_back(Settings(SignalType::kNoise).components[0]);
  EXPECT_EQ(doc.GenerateIntoDocument(noise, Recorder(noiseCall)), GenerateResult::kDone);
  EXPECT_EQ(noiseCall.calls, 1);
  EXPECT_EQ(noiseCall.frames, 5512u);
  EXPECT_EQ(noiseCall.filter.order, 200);
  EXPECT_DOUBLE_EQ(noiseCall.filter.f1KHz, 5.511);
}

TEST(GenerateIntoDocument, WithoutARunnerTheNoiseIsFilteredHere) {
  TempDir tmp;
  setenv("TMPDIR", tmp.Root().c_str(), 1);
  GeneratorSettings s = Settings(SignalType::kNoise);
  s.bits = 16;
  CWave unfiltered;
  ASSERT_EQ(GenerateWave(s, unfiltered), GenerateResult::kDone);
  CWavDoc doc;
  ASSERT_EQ(doc.GenerateIntoDocument(s), GenerateResult::kDone);
  // The same low-pass applied by hand to the raw noise gives the document's samples.
  const NoiseLowPass f = NoiseLowPassFor(s.rateHz);
  FirDesign design;
  design.type = f.type;
  design.order = f.order;
  design.f1KHz = f.f1KHz;
  design.attenuationDb = f.attenuationDb;
  design.fsKHz = s.rateHz * 0.001;
  ASSERT_TRUE(ApplyFilter(unfiltered, DesignFir(design), kChannelLeft));
  ASSERT_EQ(doc.Wave().FrameCount(), unfiltered.FrameCount());
  int differences = 0;
  for (uint32_t i = 0; i < unfiltered.FrameCount(); ++i) {
    differences += doc.Wave().GetSample(i, kChannelLeft) != unfiltered.GetSample(i, kChannelLeft);
  }
  EXPECT_EQ(differences, 0);
  // And the filter did something: the values are no longer only the noise's +-a.
  int bare = 0;
  for (uint32_t i = 0; i < unfiltered.FrameCount(); ++i) bare += std::abs(doc.Wave().GetSample(i, kChannelLeft)) == 14745;
  EXPECT_LT(bare, 100);
  unsetenv("TMPDIR");
}

TEST(GenerateIntoDocument, RefusedSettingsKeepTheWave) {
  CWavDoc doc;
  doc.Wave().SetFormat(44100, 16, 2);
  ASSERT_TRUE(doc.Wave().Allocate(1000));
  doc.Wave().SetSample(10, 777, kChannelBoth);
  GeneratorSettings s = Settings(SignalType::kSine);
  s.peakPercent = 150;
  EXPECT_EQ(doc.GenerateIntoDocument(s), GenerateResult::kRefused);
  EXPECT_EQ(doc.Wave().FrameCount(), 1000u);
  EXPECT_EQ(doc.Wave().Rate(), 44100u);
  EXPECT_EQ(doc.Wave().GetSample(10, kChannelRight), 777);
}
