// The text file commands: the spectra of the spectrum boxes and the samples of the wave
// written as text, and samples read back from text into the wave.
#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/graph/fft_box.h"
#include "core/platform/prompt.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/wav_view.h"
#include "gui/textio/text_in_dlg.h"
#include "gui/textio/text_out_dlg.h"

using namespace cmd;

namespace {

// The options the output dialog starts with, from the application's settings.
TextOutOptions StoredOptions(const AppSettings& app) {
  TextOutOptions options;
  options.delimiter = app.textOutDelimiter;
  options.conditions = app.textOutConditions != 0;
  options.columnNames = app.textOutNames != 0;
  options.stepColumn = app.textOutStep != 0;
  return options;
}

void StoreOptions(const TextOutOptions& options, AppSettings& app) {
  app.textOutDelimiter = options.delimiter;
  app.textOutConditions = options.conditions ? 1 : 0;
  app.textOutNames = options.columnNames ? 1 : 0;
  app.textOutStep = options.stepColumn ? 1 : 0;
}

// Runs the output dialog and writes the file on OK. The options are kept whether or not
// the file could be written.
void RunTextOut(CWavView& view, CTextOutDlg::Values values) {
  values.font = view.Document().GetDocumentFont();
  values.options = StoredOptions(view.App());
  CTextOutDlg dlg(values, &view);
  if (dlg.exec() != QDialog::Accepted) return;
  const bool written = CTextOutDlg::WriteFile(dlg.Result());
  StoreOptions(dlg.Result().options, view.App());
  if (!written) AppMessage("テキストファイルへの保存に失敗しました。", PromptButtons::Ok);
}

void SpectrumTextOut(CWavView& view) {
  CWavDoc& doc = view.Document();
  auto box = [&doc](int slot) { return dynamic_cast<CFFTBox*>(doc.GetBox(slot)); };
  auto calculated = [](CFFTBox* b) { return b && b->Engine() && b->Engine()->IsCalculated(); };
  CTextOutDlg::Values values;
  values.mode = CTextOutDlg::Mode::kSpectrum;
  values.wave = &doc.Wave();
  values.spectrumLeft = box(kBoxFftLeft);
  values.spectrumRight = box(kBoxFftRight);
  values.spectrumMono = box(kBoxFftMono);
  if (calculated(values.spectrumLeft)) values.available |= CTextOutDlg::kLeftAvailable;
  if (calculated(values.spectrumRight)) values.available |= CTextOutDlg::kRightAvailable;
  if (calculated(values.spectrumMono)) values.available |= CTextOutDlg::kMonoAvailable;
  if (values.available == 0) {
    AppMessage("テキスト出力の対象データがありません。\n出力対象のＦＦＴグラフを表示させてください。",
               PromptButtons::Ok);
    return;
  }
  RunTextOut(view, values);
}

void WaveTextOut(CWavView& view) {
  CWavDoc& doc = view.Document();
  CTextOutDlg::Values values;
  values.mode = CTextOutDlg::Mode::kWave;
  values.wave = &doc.Wave();
  if (doc.GetBox(kBoxWaveLeft)) values.available |= CTextOutDlg::kLeftAvailable;
  if (doc.GetBox(kBoxWaveRight)) values.available |= CTextOutDlg::kRightAvailable;
  if (doc.GetBox(kBoxWaveMono)) values.available |= CTextOutDlg::kMonoAvailable;
  if (values.available == 0) {
    AppMessage("テキスト出力の対象データがありません。\n出力対象のウェーブグラフを表示させてください。",
               PromptButtons::Ok);
    return;
  }
  if (doc.Wave().FrameCount() == 0) {
    AppMessage("実行できません。", PromptButtons::Ok);
    return;
  }
  RunTextOut(view, values);
}

void WaveTextIn(CWavView& view) {
  CWavDoc& doc = view.Document();
  const CWave& wave = doc.Wave();
  CTextInDlg::Values values;
  values.frameCount = static_cast<int32_t>(std::min<uint32_t>(wave.FrameCount(), INT32_MAX));
  // The reader makes 8- or 16-bit waves of one or two channels.
  values.channels = wave.Channels() == 1 ? 1 : 2;
  values.bits = wave.Bits() == 8 ? 8 : 16;
  values.rateHz = wave.Rate();
  values.delimiter = view.App().textOutDelimiter;
  CTextInDlg dlg(values, &view);
  if (dlg.exec() != QDialog::Accepted) return;
  // A run must not go on over a wave that is being replaced.
  if (doc.RunPhase() != kRunIdle) view.StopRunFromView();
  const CTextInDlg::Values& result = dlg.Result();
  if (ReadWaveTextFile(result.fileName, dlg.Format(), result.delimiter, doc.Wave()) !=
      WaveTextReadResult::kOk) {
    AppMessage("テキストファイルの読み込みに失敗しました。", PromptButtons::Ok);
    return;
  }
  if (doc.Settings().currentPosition >= doc.Wave().FrameCount()) doc.Settings().currentPosition = 0;
  doc.ResetWaveBoxes();
  view.RebindPanel();
  doc.Changed();
  view.RecalcScrollRange();
  view.InvalidateAll();
}

}  // namespace

std::vector<ViewCommand> TextioCommands() {
  return {
      {kFftTextOut, [](CWavView& v, int) { SpectrumTextOut(v); }},
      {kWaveTextOut, [](CWavView& v, int) { WaveTextOut(v); }},
      {kWaveTextIn, [](CWavView& v, int) { WaveTextIn(v); }},
  };
}
