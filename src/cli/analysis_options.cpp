#include "cli/analysis_options.h"

#include <algorithm>
#include <cstdio>

#include "core/doc/wav_doc.h"
#include "core/graph/fft_box.h"

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

int ChannelIndex(const std::string& c) {
  if (c == "L" || c == "l") return 0;
  if (c == "R" || c == "r") return 1;
  if (c == "M" || c == "m") return 2;
  return -1;
}

}  // namespace

int ParseAnalysisOptions(CliArgs& args, const CliCommand& command, AnalysisOptions& out) {
  AnalysisSettings& settings = out.settings;
  out.blockText = args.Value("--block").value_or("1024");
  bool blockKnown = false;
  for (uint32_t n : kBlockSizes) {
    if (out.blockText == std::to_string(n)) {
      settings.blockSize = n;
      blockKnown = true;
    }
  }
  if (!blockKnown) {
    return UsageError(command, "--block takes 256, 512, 1024, 2048, 4096, 8192, 16384, 32768 or 65536, not \"" +
                                   out.blockText + "\"");
  }
  const std::string averageText = args.Value("--average").value_or("4");
  int averagingCode = 0;
  for (const AveragingChoice& c : kAveragingChoices) {
    if (averageText == c.name) averagingCode = c.code;
  }
  if (averagingCode == 0) {
    return UsageError(command, "--average takes none, 2, 4, 8, 16, 32, 64, all or peak, not \"" +
                                   averageText + "\"");
  }
  ApplyAveragingCode(settings, averagingCode);
  const std::string overlapText = args.Value("--overlap").value_or("0");
  if (overlapText.size() != 1 || overlapText[0] < '0' || overlapText[0] > '3') {
    return UsageError(command, "--overlap takes 0, 1, 2 or 3 (none, 25 %, 50 %, 75 %), not \"" +
                                   overlapText + "\"");
  }
  settings.overlapIndex = overlapText[0] - '0';
  if (args.Has("--window")) settings.fftFlags |= kFftWindow;
  if (args.Has("--mean-removal")) settings.fftFlags |= kFftMeanRemoval;
  if (!args.UInt("--from", out.fromFrame, 0) || !args.UInt("--to", out.toFrame, 0) ||
      !args.UInt("--threads", out.threads, 0))
    return UsageError(command, args.error());
  out.toGiven = args.Has("--to");
  return kExitOk;
}

bool ApplyFrameRange(const AnalysisOptions& options, uint32_t frameCount, AnalysisSettings& settings,
                     std::string& message) {
  const unsigned long from = options.fromFrame;
  const unsigned long to = options.toGiven ? options.toFrame : frameCount;
  if (from >= frameCount || to > frameCount || from >= to) {
    message = "range " + std::to_string(from) + ".." + std::to_string(to) +
              " lies outside the wave's " + std::to_string(frameCount) +
              " frames (--from must lie below --to, and --to at most the frame count)";
    return false;
  }
  settings.fftRangeStart = static_cast<uint32_t>(from);
  settings.fftRangeEnd = static_cast<uint32_t>(to);
  return true;
}

bool ParseBoxList(const std::string& text, std::vector<int>& types) {
  types.clear();
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string item =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    int type = -1;
    const size_t colon = item.find(':');
    const std::string kind = item.substr(0, colon);
    const int channel = colon == std::string::npos ? -1 : ChannelIndex(item.substr(colon + 1));
    if (kind == "info" && colon == std::string::npos) type = kBoxInfo;
    else if (kind == "wave" && channel >= 0) type = kBoxWaveLeft + channel;
    else if (kind == "fft" && channel >= 0) type = kBoxFftLeft + channel;
    else if (kind == "fft3d" && channel >= 0) type = kBoxFft3dLeft + channel;
    if (type < 0) return false;
    if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return !types.empty();
}

bool HasOneSidedBox(const std::vector<int>& types) {
  return std::any_of(types.begin(), types.end(), [](int t) { return t != kBoxInfo && t % 3 != 2; });
}

bool ParseOnOff(const std::string& text, bool& on) {
  if (text == "on") on = true;
  else if (text == "off") on = false;
  else return false;
  return true;
}

void SetSpectrumAxes(CWavDoc& page, bool logFrequency, bool decibel) {
  for (int slot = kBoxFftLeft; slot <= kBoxFft3dMono; ++slot) {
    auto* box = dynamic_cast<CFFTBox*>(page.GetBox(slot));
    if (!box) continue;
    box->SetLogFrequency(logFrequency ? 1 : 0);
    box->SetLevelMode(decibel ? 1 : 0);
  }
}

bool SpectrumEnginesReady(const CWavDoc& page) {
  for (int slot = kBoxFftLeft; slot <= kBoxFft3dMono; ++slot) {
    auto* box = dynamic_cast<CFFTBox*>(page.GetBox(slot));
    if (box && !(box->Engine() && box->Engine()->IsSetUp())) return false;
  }
  return true;
}

int AnalyseDocument(CWavDoc& doc, const AnalysisOptions& options, const std::vector<int>& types,
                    bool addBoxes, bool logFrequency, bool decibel, const CliCommand& command,
                    const std::string& inputName) {
  auto refuse = [&](const std::string& message) {
    std::fprintf(stderr, "sonvue-cli %s: %s: %s\n", command.name, inputName.c_str(), message.c_str());
    return kExitRefused;
  };
  CWave& wave = doc.Wave();
  if (wave.Channels() < 2 && HasOneSidedBox(types)) {
    return refuse("the wave has one channel: only info and the mono (M) boxes apply");
  }
  AnalysisSettings next = doc.Settings();
  next.blockSize = options.settings.blockSize;
  next.averagingCount = options.settings.averagingCount;
  next.fftFlags = options.settings.fftFlags;
  next.overlapIndex = options.settings.overlapIndex;
  if (addBoxes) {
    // The boxes already there take the new settings as the settings panel would give them.
    doc.ApplySettings(next, 1);
    for (int type : types) {
      if (!doc.GetBox(type)) doc.SetBox(type);
    }
  } else {
    doc.Settings() = next;
    doc.ReplaceBoxes(types);
  }
  AnalysisSettings& s = doc.Settings();
  std::string message;
  if (!ApplyFrameRange(options, wave.FrameCount(), s, message)) return refuse(message);
  if (!SpectrumEnginesReady(doc)) return refuse("not enough memory for blocks of " + options.blockText);
  SetSpectrumAxes(doc, logFrequency, decibel);
  CWavDoc::BatchOptions batch;
  batch.threads = static_cast<unsigned>(std::min(options.threads, 64ul));
  doc.RunBatchAnalysis(batch);
  for (int slot = kBoxWaveLeft; slot <= kBoxWaveMono; ++slot) {
    if (CBox* box = doc.GetBox(slot)) {
      box->SetDefaultRanges();
      box->SetValidFlags(0);
    }
  }
  return kExitOk;
}
