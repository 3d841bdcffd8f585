// sonvue-cli generate OUT.wav --rate R --bits B --channels C --duration-ms D ...: the
// program's wave generator, written to a WAVE file.
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "core/doc/wav_doc.h"
#include "core/dsp/filter_run.h"
#include "core/dsp/generator.h"

namespace {

const CliCommand& self = kGenerateCommand;

// A refused request: the message on stderr, exit status kExitRefused.
struct Refusal {
  int status;
  std::string message;
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// Reads one number of an option or of a component's text with the tool's shared number
// parsing (a refusal names where it was). The dialogs' fields hold 32-bit numbers: a larger
// one gets their message.
std::optional<Refusal> ReadInt(CliArgs& args, const std::string& where, const std::string& text, int32_t& out) {
  unsigned long n = 0;
  if (!args.UIntText(where, text, n)) return Refusal{kExitUsage, args.error()};
  if (n > static_cast<unsigned long>(std::numeric_limits<int32_t>::max())) {
    return Refusal{kExitRefused, where + " " + text + ": " + kIntegerMessage};
  }
  out = static_cast<int32_t>(n);
  return std::nullopt;
}

// "A:B" into two numbers.
std::optional<Refusal> ReadPair(CliArgs& args, const std::string& where, const std::string& text, int32_t& a,
                                int32_t& b) {
  const std::vector<std::string> parts = Split(text, ':');
  if (parts.size() != 2) return Refusal{kExitUsage, where + " needs two numbers as A:B, not \"" + text + "\""};
  if (auto r = ReadInt(args, where, parts[0], a)) return r;
  return ReadInt(args, where, parts[1], b);
}

// What a component's text asks for beside the component itself.
struct ComponentExtras {
  std::optional<int32_t> lowpassHz;  // noise only
};

// --sine F[:F2][,log][,am=F:D][,fm=F:B][,fade=I:O][,level=L]
// --square F[,duty=D][,level=L]
// --noise [level=L][,lowpass=HZ]
std::optional<Refusal> ParseComponent(CliArgs& args, const std::string& option, const std::string& text,
                                      SignalComponent& c, ComponentExtras& extras) {
  std::vector<std::string> items = text.empty() ? std::vector<std::string>{} : Split(text, ',');
  size_t first = 0;
  if (option == "--sine" || option == "--square") {
    if (items.empty() || items[0].find('=') != std::string::npos) {
      return Refusal{kExitUsage, option + " needs a frequency first"};
    }
    const std::vector<std::string> ends = Split(items[0], ':');
    if (ends.size() > (option == "--sine" ? 2u : 1u)) {
      return Refusal{kExitUsage, option + " \"" + items[0] + "\" is not a frequency"};
    }
    if (auto r = ReadInt(args, option, ends[0], c.baseHz)) return r;
    c.startHz = c.endHz = c.baseHz;
    if (ends.size() == 2) {
      if (auto r = ReadInt(args, option, ends[1], c.endHz)) return r;
    }
    first = 1;
  }
  for (size_t i = first; i < items.size(); ++i) {
    const std::string& item = items[i];
    const size_t eq = item.find('=');
    const std::string key = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
    const std::string where = option + " " + key;
    const bool sine = option == "--sine";
    if (key == "level" && eq != std::string::npos) {
      if (auto r = ReadInt(args, where, value, c.levelRatio)) return r;
    } else if (sine && item == "log") {
      c.logSweep = true;
    } else if (sine && key == "am" && eq != std::string::npos) {
      c.amOn = true;
      if (auto r = ReadPair(args, where, value, c.amHz, c.amDepthPercent)) return r;
    } else if (sine && key == "fm" && eq != std::string::npos) {
      c.fmOn = true;
      if (auto r = ReadPair(args, where, value, c.fmHz, c.fmBandHz)) return r;
    } else if (sine && key == "fade" && eq != std::string::npos) {
      if (auto r = ReadPair(args, where, value, c.fadeInMs, c.fadeOutMs)) return r;
    } else if (option == "--square" && key == "duty" && eq != std::string::npos) {
      if (auto r = ReadInt(args, where, value, c.dutyPercent)) return r;
    } else if (option == "--noise" && key == "lowpass" && eq != std::string::npos) {
      int32_t hz = 0;
      if (auto r = ReadInt(args, where, value, hz)) return r;
      extras.lowpassHz = hz;
    } else {
      return Refusal{kExitUsage, option + " does not take \"" + item + "\""};
    }
  }
  return std::nullopt;
}

// The signal dialog's limits, applied as it applies them; each change is told on stderr.
void ApplyDialogLimits(SignalComponent& c, const GeneratorSettings& s) {
  if (c.type != SignalType::kSine) return;
  const int32_t nyquist = static_cast<int32_t>(s.rateHz / 2);
  for (int32_t* hz : {&c.startHz, &c.endHz}) {
    const int32_t limited = LimitSweepHz(*hz, nyquist);
    if (limited != *hz) {
      std::fprintf(stderr, "sonvue-cli generate: %s: %d Hz taken as %d Hz (sweeps stay from 1 Hz to below %d Hz)\n",
                   c.name.c_str(), *hz, limited, nyquist);
      *hz = limited;
    }
  }
  const int32_t in = c.fadeInMs, out = c.fadeOutMs;
  ApplyFadeRule(FadeField::kIn, s.durationMs, c.fadeInMs, c.fadeOutMs);
  if (in != c.fadeInMs || out != c.fadeOutMs) {
    std::fprintf(stderr, "sonvue-cli generate: %s: fades %d:%d ms taken as %d:%d ms (together at most %d ms)\n",
                 c.name.c_str(), in, out, c.fadeInMs, c.fadeOutMs, s.durationMs);
  }
}

int Refuse(const Refusal& r) {
  if (r.status == kExitUsage) return UsageError(self, r.message);
  std::fprintf(stderr, "sonvue-cli generate: %s\n", r.message.c_str());
  return r.status;
}

int RunGenerate(CliArgs& args) {
  if (args.Positional().size() != 1) return UsageError(self, "needs OUT.wav");
  for (const char* required : {"--rate", "--bits", "--channels", "--duration-ms"}) {
    if (!args.Has(required)) return UsageError(self, std::string("needs ") + required);
  }
  GeneratorSettings s;
  unsigned long rate = 0, bits = 0, channels = 0;
  if (!args.UInt("--rate", rate, 0) || !args.UInt("--bits", bits, 0) || !args.UInt("--channels", channels, 0)) {
    return UsageError(self, args.error());
  }
  for (auto [option, value] : {std::pair{"--duration-ms", &s.durationMs}, std::pair{"--repeat", &s.repetitions},
                               std::pair{"--peak", &s.peakPercent}}) {
    if (!args.Has(option)) continue;
    if (auto r = ReadInt(args, option, *args.Value(option), *value)) return Refuse(*r);
  }
  if (bits > 0xFFFF || channels > 0xFFFF) {
    return Refuse({kExitRefused, "ビット数は 8 か 16、チャンネル数は 1 か 2 で指定してください。"});
  }
  s.rateHz = static_cast<uint32_t>(rate);
  s.bits = static_cast<uint16_t>(bits);
  s.channels = static_cast<uint16_t>(channels);

  std::optional<int32_t> lowpassHz;
  for (const auto& [option, text] : args.Repeated()) {
    SignalComponent c = NewComponent(s.components);
    c.type = option == "--sine" ? SignalType::kSine : option == "--square" ? SignalType::kSquare : SignalType::kNoise;
    if (c.type == SignalType::kSquare) c.dutyPercent = 50;
    ComponentExtras extras;
    if (auto r = ParseComponent(args, option, text, c, extras)) return Refuse(*r);
    if (extras.lowpassHz) {
      if (lowpassHz && *lowpassHz != *extras.lowpassHz) {
        return UsageError(self, "the noise low-pass filters the whole wave once: give one lowpass value");
      }
      lowpassHz = extras.lowpassHz;
    }
    s.components.push_back(c);
  }
  if (s.components.empty()) return UsageError(self, "needs at least one --sine, --square or --noise");
  if (const std::string problem = GeneratorSettingsProblem(s); !problem.empty()) {
    return Refuse({kExitRefused, problem});
  }
  const int32_t nyquist = static_cast<int32_t>(s.rateHz / 2);
  if (lowpassHz && (*lowpassHz <= 0 || *lowpassHz >= nyquist)) {
    return Refuse({kExitRefused, "lowpass must lie above 0 Hz and below half the rate (" + std::to_string(nyquist) + " Hz)"});
  }
  for (SignalComponent& c : s.components) ApplyDialogLimits(c, s);

  CWavDoc doc;
  const GenerateResult result = doc.GenerateIntoDocument(s, [&](CWave& wave, const NoiseLowPass& f) {
    FilterRun run;
    run.SetKeepBackup(false);  // nothing is written unless the whole run ends
    const double cutoffKHz = lowpassHz ? *lowpassHz * 0.001 : f.f1KHz;
    if (run.SetFilter(f.type, f.order, cutoffKHz, 0.0, f.attenuationDb, &wave, kFilterBoth)) RunWithProgressLine(run);
  });
  if (result == GenerateResult::kNoMemory) {
    return Refuse({kExitRefused, "there is not enough memory for " + std::to_string(GeneratedFrameCount(s)) + " frames"});
  }
  if (result != GenerateResult::kDone) return Refuse({kExitRefused, GeneratorSettingsProblem(s)});
  return WriteWaveOutput(self, doc.Wave(), args.Positional()[0]);
}

}  // namespace

extern const CliCommand kGenerateCommand = {
    "generate",
    "synthesise a test signal (sines, square waves, white noise) into a WAVE file",
    "usage: sonvue-cli generate OUT.wav --rate R --bits 8|16 --channels 1|2 --duration-ms D\n"
    "                           [--repeat K] [--peak P] COMPONENT...\n"
    "example: sonvue-cli generate - --rate 8000 --bits 16 --channels 1 --duration-ms 500 \\\n"
    "           --sine 440 | sonvue-cli info -\n"
    "COMPONENT (one or more, up to 30, added in the order given):\n"
    "  --sine F[:F2][,log][,am=F:D][,fm=F:B][,fade=I:O][,level=L]\n"
    "  --square F[,duty=D][,level=L]\n"
    "  --noise [level=L][,lowpass=HZ]\n"
    "\n"
    "Generates as the program's wave generator does: D ms (1 to 3600000) repeated K times\n"
    "(default 1) at R Hz (5000 to 48000), the components weighted by their level ratios L\n"
    "(default 10) and scaled so that they reach P percent (0 to 100, default 50) of full\n"
    "scale together. A sine sweeps from F to F2 Hz (default F) over each repetition,\n"
    "linearly or with log along a logarithmic scale, restarting each repetition while its\n"
    "phase runs on; am= modulates its amplitude at F Hz by D percent (starting at half the\n"
    "depth), fm= its frequency at F Hz over a swing of B Hz peak to peak (never below\n"
    "0.1 Hz); fade= fades each repetition in over I ms and out over O ms. A square wave\n"
    "of F Hz is positive for D percent of each period (default 50). White noise comes from\n"
    "the program's shift register, the same sequence for every noise component; with any\n"
    "noise the whole wave is then low-pass filtered (order 200, 50 dB) at lowpass= Hz,\n"
    "by default 1 Hz below half the rate. Sweep ends and fades are limited as the signal\n"
    "dialog limits them (each change is told on stderr); values the dialogs refuse are\n"
    "refused with their messages. On a terminal a progress line shows the filter.\n"
    "OUT - writes the WAVE file to standard output.\n",
    {{"--rate", "--bits", "--channels", "--duration-ms", "--repeat", "--peak"},
     {},
     {"--sine", "--square", "--noise"},
     {"--noise"}},
    RunGenerate,
};
