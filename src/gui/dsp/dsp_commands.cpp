// The signal-processing commands of the view: the filter, the format conversion, the two
// mixes down to mono and the wave generator.
#include <string>

#include "core/doc/wav_doc.h"
#include "core/platform/prompt.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/wav_view.h"
#include "gui/dsp/filter_dlg.h"
#include "gui/dsp/filter_run_dlg.h"
#include "gui/dsp/generator_dlg.h"
#include "gui/dsp/wave_format_dlg.h"

using namespace cmd;

namespace {

// The low-pass filter offered before the rate is lowered: cutoff at half the new rate.
constexpr int kLowPassOrder = 150;
constexpr double kLowPassAttenuationDb = 60.0;
// Waves this short are not resampled, so they are not offered the filter either.
constexpr uint32_t kShortWaveFrames = 9;

// Long work changes the samples under a running analysis: it is stopped first.
void StopRun(CWavView& v) {
  if (v.Document().RunPhase() != kRunIdle) v.StopRunFromView();
}

// After a conversion that left one channel, each group's left and right boxes give way to
// the group's mono box (waveform, spectrum, 3D spectrum).
void ReplaceStereoBoxes(CWavView& v) {
  CWavDoc& doc = v.Document();
  if (doc.Wave().Channels() == 2) return;
  for (int left : {kBoxWaveLeft, kBoxFftLeft, kBoxFft3dLeft}) {
    const int right = left + 1;
    const int mono = left + 2;
    bool shown = false;
    for (int slot : {left, right}) {
      if (doc.GetBox(slot)) {
        v.ToggleBox(slot);
        shown = true;
      }
    }
    if (shown && !doc.GetBox(mono)) v.ToggleBox(mono);
  }
}

void AfterConversion(CWavView& v) {
  ReplaceStereoBoxes(v);
  v.Document().ResetWaveBoxes();
  v.Document().RecalcAllBoxes();
  v.Document().Changed();
  v.InvalidateAll();
}

void Filter(CWavView& v, int) {
  StopRun(v);
  CWavDoc& doc = v.Document();
  CFilterDlg settings(CFilterDlg::Settings{}, doc.Wave(), doc.GetDocumentFont(), &v);
  if (settings.exec() != QDialog::Accepted) return;
  const CFilterDlg::Filter& f = settings.Result();
  CFilterRunDlg run(&v);
  if (!run.SetFilter(f.type, f.order, f.f1KHz, f.f2KHz, f.attenuationDb, &doc.Wave(), f.channels)) return;
  run.exec();
  doc.ClearWaveBoxFlags();
  doc.Changed();
  v.InvalidateAll();
}

void FormatConversion(CWavView& v, int) {
  StopRun(v);
  CWave& wave = v.Document().Wave();
  CWaveFormatDlg dialog({wave.Rate(), wave.Bits(), wave.Channels()}, &v);
  if (dialog.exec() != QDialog::Accepted) return;
  const CWaveFormatDlg::Format f = dialog.Result();
  if (f.rate == wave.Rate() && f.bits == wave.Bits() && f.channels == wave.Channels()) return;
  CFilterRunDlg run(&v);
  bool filter = false;
  if (f.rate < wave.Rate() && wave.FrameCount() > kShortWaveFrames) {
    const std::string text =
        "サンプリング周波数を低くする場合は、その周波数の半分以上の\n成分を除去する必要があります\n\n" +
        std::to_string(f.rate >> 1) + "Hz のローパスフィルタを実行しますか？";
    switch (ShowMessage("サンプリング周波数の変換", text, PromptButtons::YesNoCancel, PromptIcon::Question)) {
      case PromptAnswer::Cancel: return;
      case PromptAnswer::Yes:
        filter = run.SetFilter(FilterType::kLowPass, kLowPassOrder, f.rate * 0.0005, 0.0, kLowPassAttenuationDb,
                               &wave, kFilterBoth);
        break;
      default: break;
    }
  }
  if (!filter) run.SetWave(&wave);
  run.SetConversion(f.rate, f.bits, f.channels, false);
  run.exec();
  AfterConversion(v);
}

void Mono(CWavView& v, int id) {
  StopRun(v);
  v.Document().ToMono(1, id == kMonoSubtract);
  ReplaceStereoBoxes(v);
  v.Document().ResetWaveBoxes();
  v.Document().Changed();
  v.InvalidateAll();
}

// The generator's settings live as long as the program and are shared by every document;
// each opening starts from the wave's format, where the generator can make it.
GeneratorSettings& SharedGeneratorSettings() {
  static GeneratorSettings settings;
  return settings;
}

void Generator(CWavView& v, int) {
  StopRun(v);
  CWavDoc& doc = v.Document();
  GeneratorSettings& settings = SharedGeneratorSettings();
  TakeWaveFormat(settings, doc.Wave().Rate(), doc.Wave().Bits(), doc.Wave().Channels());
  CGeneratorDlg dialog(settings, doc.Wave().Device(), &v);
  if (dialog.exec() != QDialog::Accepted) return;
  settings = dialog.Result();
  const GenerateResult result = doc.GenerateIntoDocument(settings, [&v](CWave& wave, const NoiseLowPass& f) {
    CFilterRunDlg run(&v);
    if (run.SetFilter(f.type, f.order, f.f1KHz, 0.0, f.attenuationDb, &wave, kFilterBoth)) run.exec();
  });
  if (result == GenerateResult::kNoMemory) {
    AppMessage("メモリが不足しているため、ウェーブデータを作成できません。", PromptButtons::Ok, PromptIcon::Warning);
  }
  if (result != GenerateResult::kDone) return;
  AfterConversion(v);
  v.RebindPanel();
  v.RecalcScrollRange();
}

bool NotStereo(CWavView& v, int) { return v.Document().Wave().Channels() != 2; }

}  // namespace

std::vector<ViewCommand> DspCommands() {
  return {
      {kFilter, Filter},
      {kMonoAdd, Mono, nullptr, NotStereo},
      {kMonoSubtract, Mono, nullptr, NotStereo},
      {kFormatConvert, FormatConversion},
      {kGenerator, Generator},
  };
}
