// sonvue-cli spectrum IN [options]: averaged spectra of an audio file, stepped through as
// the program's analysis run steps through stored data, written as the program's spectrum
// text file or as CSV.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/analysis_options.h"
#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "core/doc/wav_doc.h"
#include "core/doc/document_base.h"
#include "core/io/safe_file.h"
#include "core/graph/fft_box.h"
#include "core/textio/spectrum_box_source.h"
#include "core/textio/spectrum_text.h"
#include "core/wave/wave.h"

namespace {

// The spectrum box types of a --channels list (L, R, M separated by commas).
bool ParseChannels(const std::string& text, std::vector<int>& types) {
  std::string letters;
  if (!ParseChannelList(text, letters)) return false;
  types.clear();
  for (char letter : letters) {
    types.push_back(letter == 'L' ? kBoxFftLeft : letter == 'R' ? kBoxFftRight : kBoxFftMono);
  }
  return true;
}

int RunSpectrum(CliArgs& args) {
  if (args.Positional().size() != 1) return UsageError(kSpectrumCommand, "needs exactly one IN");
  const std::string& inPath = args.Positional()[0];
  const bool csv = args.Has("--csv");
  for (const char* textOnly : {"--delimiter", "--no-conditions", "--no-names", "--no-frequency"}) {
    if (csv && args.Has(textOnly)) {
      return UsageError(kSpectrumCommand, std::string(textOnly) + " applies to the text file, not to --csv");
    }
  }

  // Settings first, so that a wrong command line is reported before the file is read.
  AnalysisOptions options;
  if (int status = ParseAnalysisOptions(args, kSpectrumCommand, options); status != kExitOk)
    return status;
  ChannelPick pick;
  if (int status = ParsePickOption(args, kSpectrumCommand, pick); status != kExitOk) return status;
  std::vector<int> types;
  if (args.Has("--boxes")) {
    if (args.Has("--channels"))
      return UsageError(kSpectrumCommand, "--channels and --boxes both choose the spectra; give one");
    const std::string boxText = *args.Value("--boxes");
    if (!ParseBoxList(boxText, types)) {
      return UsageError(kSpectrumCommand, "--boxes takes info, wave:C, fft:C and fft3d:C (C one of "
                                          "L, R, M) separated by commas, not \"" + boxText + "\"");
    }
    if (std::none_of(types.begin(), types.end(),
                     [](int t) { return t >= kBoxFftLeft && t <= kBoxFftMono; })) {
      return UsageError(kSpectrumCommand, "--boxes holds no spectrum box (fft:L, fft:R or fft:M)");
    }
  } else {
    const std::string channelText = args.Value("--channels").value_or("M");
    if (!ParseChannels(channelText, types)) {
      return UsageError(kSpectrumCommand, "--channels takes L, R and M separated by commas, not \"" +
                                              channelText + "\"");
    }
  }
  bool logFrequency = true;
  if (auto text = args.Value("--log-frequency"); text && !ParseOnOff(*text, logFrequency))
    return UsageError(kSpectrumCommand, "--log-frequency takes on or off, not \"" + *text + "\"");

  const CliCommand& self = kSpectrumCommand;
  const std::string outPath = args.Value("--out").value_or(kStdStreamArgument);
  if (int status = RefuseOutputOverInput(self, inPath, outPath); status != kExitOk) return status;
  CliInput input;
  if (int status = input.Open(self, inPath); status != kExitOk) return status;
  if (OpensAsDocument(input.Path())) return RefuseFile(self, input.Name(), "is a document (.wft), not an audio file");
  CWavDoc page;
  if (int status = OpenInputDocument(self, input, page, pick); status != kExitOk) return status;
  CWave& wave = page.Wave();
  const uint32_t frames = wave.FrameCount();
  if (frames < options.settings.blockSize) {
    return RefuseFile(self, input.Name(), "holds " + std::to_string(frames) + " frames, fewer than one block of " +
                                              std::to_string(options.settings.blockSize));
  }
  // One spectrum box per chosen channel, set up as a new document sets its boxes up, then
  // a stepping run over the range.
  if (int status = AnalyseDocument(page, options, types, false, logFrequency, args.Has("--db"), self,
                                    input.Name());
      status != kExitOk) {
    return status;
  }

  auto spectrumBox = [&](int slot) { return dynamic_cast<CFFTBox*>(page.GetBox(slot)); };
  SpectrumBoxSource boxes(wave, spectrumBox(kBoxFftLeft), spectrumBox(kBoxFftRight),
                          spectrumBox(kBoxFftMono));
  std::string bytes;
  if (csv) {
    bytes = FormatSpectrumCsv(boxes.Source());
  } else {
    SpectrumTextOptions textOptions;
    if (auto d = args.Value("--delimiter")) textOptions.delimiter = *d;
    textOptions.conditions = !args.Has("--no-conditions");
    textOptions.columnNames = !args.Has("--no-names");
    textOptions.stepColumn = !args.Has("--no-frequency");
    bytes = SpectrumTextFileBytes(boxes.Source(), textOptions);
  }
  return WriteBytesOutput(self, bytes.data(), bytes.size(), outPath, false);
}

}  // namespace

extern const CliCommand kSpectrumCommand = {
    "spectrum",
    "averaged spectra of an audio file as the spectrum text file or CSV",
    "usage: sonvue-cli spectrum IN [--block N] [--average A] [--overlap K] [--window]\n"
    "         [--mean-removal] [--channels L,R,M | --boxes LIST] [--from F] [--to T] [--db]\n"
    "         [--log-frequency on|off] [--out FILE] [--threads K] [--pick A,B]\n"
    "         [--csv | [--delimiter D] [--no-conditions] [--no-names] [--no-frequency]]\n"
    "example: sox in.flac -t wav - | sonvue-cli spectrum - --csv --block 4096 --window\n"
    "\n"
    "Steps through frames F up to (not including) T as the program's analysis run does with\n"
    "the trigger off: the first block at F with a fresh start, then one block per step, the\n"
    "last block ending at T. Each chosen channel gets its own spectrum box, whose spectrum\n"
    "makes one column: L left, R right, M the mean of both.\n"
    "\n"
    "  --block N        samples per block: 256, 512, 1024 (default), ..., 65536\n"
    "  --average A      none, 2, 4 (default), 8, 16, 32, 64, all (every block), peak (peak hold)\n"
    "  --overlap K      0 none (default), 1 25 %, 2 50 %, 3 75 %\n"
    "  --window         Hann window (\"ｳｨﾝﾄﾞｳ\")\n"
    "  --mean-removal   subtract each block's mean (\"簡易ﾌｨﾙﾀｰ\")\n"
    "  --channels LIST  any of L, R, M separated by commas (default M)\n"
    "  --boxes LIST     the boxes of the page instead, as for sonvue-cli render (info, wave:C,\n"
    "                   fft:C, fft3d:C); the fft boxes give the columns\n"
    "  --log-frequency on|off  the spectrum boxes' frequency axis (the file is not affected)\n"
    "  --from F --to T  the range in frames (default the whole wave)\n"
    "  --db             levels in dB against full scale instead of per cent\n"
    "  --out FILE       write FILE (replaced only when complete; not IN) instead of standard\n"
    "                   output (- is standard output too)\n"
    "  --threads K      1 analyses every box on one thread; 0 (default) gives each spectrum\n"
    "                   box a thread of its own (the results are the same)\n"
    SONVUE_PICK_HELP
    "\n"
    SONVUE_AUDIO_INPUT_HELP
    "\n"
    "Output: the program's spectrum text file (CP932, CR LF): title, conditions, column names,\n"
    "one row per bin; --delimiter D (default \" , \"), --no-conditions, --no-names and\n"
    "--no-frequency leave parts out. --csv writes UTF-8 CSV instead: a header\n"
    "\"frequency_hz,L,R,M\" (the chosen channels) and per bin the frequency and the levels.\n"
    "\n"
    "IN - reads standard input. Exit status 1, with a message, for a file that cannot be\n"
    "read, a wave shorter than one block or a range outside the wave; 2 for a block size\n"
    "not in the list.\n",
    {{"--block", "--average", "--overlap", "--channels", "--boxes", "--log-frequency", "--from",
      "--to", "--out", "--delimiter", "--threads", "--pick"},
     {"--window", "--mean-removal", "--db", "--csv", "--no-conditions", "--no-names",
      "--no-frequency"}},
    RunSpectrum,
};
