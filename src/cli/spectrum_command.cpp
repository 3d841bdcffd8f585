// sonvue-cli spectrum IN.wav [options]: averaged spectra of a WAVE file, stepped through as
// the program's analysis run steps through stored data, written as the program's spectrum
// text file or as CSV.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/dsp/batch_analysis.h"
#include "core/doc/safe_file.h"
#include "core/dsp/fft.h"
#include "core/realtime/analysis_settings.h"
#include "core/textio/spectrum_text.h"
#include "core/wave/wave.h"

namespace {

constexpr uint32_t kBlockSizes[] = {256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536};

struct AveragingChoice {
  const char* name;
  int code;
};
// The averaging list of the settings panel, by the names the command line uses.
constexpr AveragingChoice kAveragingChoices[] = {
    {"none", 1}, {"2", 2},   {"4", 4},     {"8", 8},
    {"16", 16},  {"32", 32}, {"64", 64},   {"all", kAveragingCodeCumulative},
    {"peak", kAveragingCodePeakHold},
};

int Refuse(const std::string& message) {
  std::fprintf(stderr, "sonvue-cli spectrum: %s\n", message.c_str());
  return kExitRefused;
}

struct ChannelChoice {
  bool left = false, right = false, mono = false;
};

bool ParseChannels(const std::string& text, ChannelChoice& out) {
  out = {};
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (item == "L" || item == "l") out.left = true;
    else if (item == "R" || item == "r") out.right = true;
    else if (item == "M" || item == "m") out.mono = true;
    else return false;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out.left || out.right || out.mono;
}

bool WriteAll(const std::string& bytes, const std::string& outPath) {
  if (outPath.empty()) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::fflush(stdout) == 0;
  }
  SafeFileWriter writer;
  if (!writer.Begin(outPath)) return false;
  if (!writer.Stream().Write(bytes.data(), bytes.size())) {
    writer.Abort();
    return false;
  }
  return writer.Commit();
}

int RunSpectrum(CliArgs& args) {
  if (args.Positional().size() != 1) return UsageError(kSpectrumCommand, "needs exactly one IN.wav");
  const std::string& inPath = args.Positional()[0];
  const bool csv = args.Has("--csv");
  for (const char* textOnly : {"--delimiter", "--no-conditions", "--no-names", "--no-frequency"}) {
    if (csv && args.Has(textOnly)) {
      return UsageError(kSpectrumCommand, std::string(textOnly) + " applies to the text file, not to --csv");
    }
  }

  // Settings first, so that a wrong command line is reported before the file is read.
  AnalysisSettings settings = DefaultAnalysisSettings();
  std::string blockText = args.Value("--block").value_or("1024");
  bool blockKnown = false;
  for (uint32_t n : kBlockSizes) {
    if (blockText == std::to_string(n)) {
      settings.blockSize = n;
      blockKnown = true;
    }
  }
  if (!blockKnown) {
    return Refuse("block size \"" + blockText +
                  "\" is not one of 256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536");
  }
  std::string averageText = args.Value("--average").value_or("4");
  int averagingCode = 0;
  for (const AveragingChoice& c : kAveragingChoices) {
    if (averageText == c.name) averagingCode = c.code;
  }
  if (averagingCode == 0) {
    return UsageError(kSpectrumCommand, "--average takes none, 2, 4, 8, 16, 32, 64, all or peak, not \"" +
                                            averageText + "\"");
  }
  ApplyAveragingCode(settings, averagingCode);
  std::string overlapText = args.Value("--overlap").value_or("0");
  if (overlapText.size() != 1 || overlapText[0] < '0' || overlapText[0] > '3') {
    return UsageError(kSpectrumCommand, "--overlap takes 0, 1, 2 or 3 (none, 25 %, 50 %, 75 %), not \"" +
                                            overlapText + "\"");
  }
  settings.overlapIndex = overlapText[0] - '0';
  if (args.Has("--window")) settings.fftFlags |= kFftWindow;
  if (args.Has("--mean-removal")) settings.fftFlags |= kFftMeanRemoval;
  ChannelChoice channels;
  std::string channelText = args.Value("--channels").value_or("M");
  if (!ParseChannels(channelText, channels)) {
    return UsageError(kSpectrumCommand, "--channels takes L, R and M separated by commas, not \"" +
                                            channelText + "\"");
  }
  unsigned long from = 0, to = 0;
  if (!args.UInt("--from", from, 0) || !args.UInt("--to", to, 0)) {
    return UsageError(kSpectrumCommand, args.error());
  }

  CWave wave;
  if (!wave.LoadWaveFile(inPath)) {
    std::FILE* probe = std::fopen(inPath.c_str(), "rb");
    if (!probe) return Refuse(inPath + ": no such file");
    std::fclose(probe);
    return Refuse(inPath + " cannot be read");
  }
  const uint32_t frames = wave.FrameCount();
  if (frames < settings.blockSize) {
    return Refuse(inPath + " holds " + std::to_string(frames) + " frames, fewer than one block of " +
                  std::to_string(settings.blockSize));
  }
  if (!args.Has("--to")) to = frames;
  if (from >= frames || to > frames || from >= to) {
    return Refuse("range " + std::to_string(from) + ".." + std::to_string(to) +
                  " lies outside the wave's " + std::to_string(frames) +
                  " frames (--from must lie below --to, and --to at most the frame count)");
  }
  if (wave.Channels() < 2 && (channels.left || channels.right)) {
    return Refuse(inPath + " has one channel: only --channels M applies");
  }
  settings.fftRangeStart = static_cast<uint32_t>(from);
  settings.fftRangeEnd = static_cast<uint32_t>(to);

  // One engine per spectrum box, as the boxes set theirs up.
  CFFT left, right, mono;
  std::vector<CFFT*> engines;
  const auto n = static_cast<int32_t>(settings.blockSize);
  auto setUp = [&](bool chosen, CFFT& engine, uint32_t selector) {
    if (!chosen) return true;
    if (!engine.Init(n, settings.averagingCount, selector)) return false;
    engines.push_back(&engine);
    return true;
  };
  if (!setUp(channels.left, left, kChannelLeft) || !setUp(channels.right, right, kChannelRight) ||
      !setUp(channels.mono, mono, kChannelBoth)) {
    return Refuse("not enough memory for blocks of " + blockText);
  }
  RunSteppingAnalysis(wave, settings, engines);

  const bool db = args.Has("--db");
  SpectrumTextColumn columns[3];
  CFFT* sources[3] = {channels.left ? &left : nullptr, channels.right ? &right : nullptr,
                      channels.mono ? &mono : nullptr};
  for (int c = 0; c < 3; ++c) {
    if (!sources[c]) continue;
    columns[c].spectrum = sources[c]->GetSpectrum();
    columns[c].levelInDb = db;
  }
  SpectrumTextSource source;
  source.rateHz = wave.Rate();
  source.waveChannels = wave.Channels();
  source.window = (settings.fftFlags & kFftWindow) != 0;
  source.left = sources[0] ? &columns[0] : nullptr;
  source.right = sources[1] ? &columns[1] : nullptr;
  source.mono = sources[2] ? &columns[2] : nullptr;
  // The reference box: the first present of mono, left and right.
  const CFFT* reference = sources[2] ? sources[2] : sources[0] ? sources[0] : sources[1];
  source.blockSize = reference->BlockSize();
  source.averagingCount = reference->AveragingCount();
  source.referenceCalculated = reference->IsCalculated();

  std::string bytes;
  if (csv) {
    bytes = FormatSpectrumCsv(source);
  } else {
    SpectrumTextOptions options;
    if (auto d = args.Value("--delimiter")) options.delimiter = *d;
    options.conditions = !args.Has("--no-conditions");
    options.columnNames = !args.Has("--no-names");
    options.frequencyColumn = !args.Has("--no-frequency");
    bytes = SpectrumTextFileBytes(source, options);
  }
  for (CFFT* e : engines) e->ReleaseSpectrum();
  const std::string outPath = args.Value("--out").value_or("");
  if (!WriteAll(bytes, outPath)) {
    return Refuse((outPath.empty() ? std::string("standard output") : outPath) + " cannot be written");
  }
  return kExitOk;
}

}  // namespace

extern const CliCommand kSpectrumCommand = {
    "spectrum",
    "averaged spectra of a WAVE file as the spectrum text file or CSV",
    "usage: sonvue-cli spectrum IN.wav [--block N] [--average A] [--overlap K] [--window]\n"
    "         [--mean-removal] [--channels L,R,M] [--from F] [--to T] [--db] [--out FILE]\n"
    "         [--csv | [--delimiter D] [--no-conditions] [--no-names] [--no-frequency]]\n"
    "\n"
    "Steps through frames F up to (not including) T as the program's analysis run does with\n"
    "the trigger off: the first block at F with a fresh start, then one block per step, the\n"
    "last block ending at T. Each chosen channel gets its own spectrum: L left, R right, M the\n"
    "mean of both (the program's left, right and mono spectrum boxes).\n"
    "\n"
    "  --block N        samples per block: 256, 512, 1024 (default), ..., 65536\n"
    "  --average A      none, 2, 4 (default), 8, 16, 32, 64, all (every block), peak (peak hold)\n"
    "  --overlap K      0 none (default), 1 25 %, 2 50 %, 3 75 %\n"
    "  --window         Hann window (\"ｳｨﾝﾄﾞｳ\")\n"
    "  --mean-removal   subtract each block's mean (\"簡易ﾌｨﾙﾀｰ\")\n"
    "  --channels LIST  any of L, R, M separated by commas (default M)\n"
    "  --from F --to T  the range in frames (default the whole wave)\n"
    "  --db             levels in dB against full scale instead of per cent\n"
    "  --out FILE       write FILE (replaced only when complete) instead of standard output\n"
    "\n"
    "Output: the program's spectrum text file (CP932, CR LF): title, conditions, column names,\n"
    "one row per bin; --delimiter D (default \" , \"), --no-conditions, --no-names and\n"
    "--no-frequency leave parts out. --csv writes UTF-8 CSV instead: a header\n"
    "\"frequency_hz,L,R,M\" (the chosen channels) and per bin the frequency and the levels.\n"
    "\n"
    "Exit status 1, with a message, for a file that cannot be read, a wave shorter than one\n"
    "block, a block size not in the list, or a range outside the wave.\n",
    {{"--block", "--average", "--overlap", "--channels", "--from", "--to", "--out", "--delimiter"},
     {"--window", "--mean-removal", "--db", "--csv", "--no-conditions", "--no-names",
      "--no-frequency"}},
    RunSpectrum,
};
