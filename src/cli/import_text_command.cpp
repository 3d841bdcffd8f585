// sonvue-cli import-text IN.txt OUT.wav --rate R --bits B --channels C --frames N: samples
// read from a text file as the program's "ウェーブデータのテキスト入力" reads them, saved as
// a WAVE file.
#include <cstdio>
#include <string>

#include "cli/cli_io.h"
#include "cli/commands.h"
#include "core/textio/wave_text_reader.h"
#include "core/wave/wave.h"

namespace {

// A required whole-number option; false (after the usage message in status) when absent or
// not a number.
bool Required(CliArgs& args, const char* name, unsigned long& value, int& status) {
  if (!args.Has(name)) {
    status = UsageError(kImportTextCommand, std::string(name) + " is required");
    return false;
  }
  if (!args.UInt(name, value, 0)) {
    status = UsageError(kImportTextCommand, args.error());
    return false;
  }
  return true;
}

int RunImportText(CliArgs& args) {
  if (args.Positional().size() != 2) return UsageError(kImportTextCommand, "needs IN.txt and OUT.wav");
  unsigned long rate = 0, bits = 0, channels = 0, frames = 0;
  int status = kExitOk;
  if (!Required(args, "--rate", rate, status) || !Required(args, "--bits", bits, status) ||
      !Required(args, "--channels", channels, status) || !Required(args, "--frames", frames, status)) {
    return status;
  }
  if (rate < kTextInMinRateHz || rate > kTextInMaxRateHz) {
    return UsageError(kImportTextCommand, "--rate takes " + std::to_string(kTextInMinRateHz) + " to " +
                                              std::to_string(kTextInMaxRateHz) + " Hz, not " +
                                              std::to_string(rate));
  }
  if (bits != 8 && bits != 16) return UsageError(kImportTextCommand, "--bits takes 8 or 16");
  if (channels != 1 && channels != 2) return UsageError(kImportTextCommand, "--channels takes 1 or 2");
  if (frames == 0 || frames > 0x7FFFFFFFul) {
    return UsageError(kImportTextCommand, "--frames takes 1 to 2147483647");
  }

  WaveTextFormat format;
  format.rateHz = static_cast<uint32_t>(rate);
  format.bits = static_cast<uint16_t>(bits);
  format.channels = static_cast<uint16_t>(channels);
  format.frameCount = static_cast<uint32_t>(frames);
  const CliCommand& self = kImportTextCommand;
  if (int status = RefuseOutputOverInput(self, args.Positional()[0], args.Positional()[1]); status != kExitOk)
    return status;
  CliInput input;
  if (int status = input.Open(self, args.Positional()[0]); status != kExitOk) return status;
  CWave wave;
  switch (ReadWaveTextFile(input.Path(), format, args.Value("--delimiter").value_or(" , "), wave)) {
    case WaveTextReadResult::kOk: break;
    case WaveTextReadResult::kCannotOpen: return RefuseFile(self, input.Name(), "cannot be read");
    case WaveTextReadResult::kCannotAllocate:
      return RefuseFile(self, input.Name(), std::to_string(frames) + " frames do not fit into memory");
    case WaveTextReadResult::kBadFormat: return RefuseFile(self, input.Name(), "the format cannot make a wave");
  }
  return WriteWaveOutput(self, wave, args.Positional()[1]);
}

}  // namespace

extern const CliCommand kImportTextCommand = {
    "import-text",
    "samples read from a text file, saved as a WAVE file",
    "usage: sonvue-cli import-text IN.txt OUT.wav --rate R --bits B --channels C --frames N\n"
    "         [--delimiter D]\n"
    "example: sonvue-cli import-text levels.txt - --rate 8000 --bits 16 --channels 1 --frames 8000 \\\n"
    "           | sonvue-cli info -\n"
    "\n"
    "Reads IN.txt as the program's \"ウェーブデータのテキスト入力\" does and saves the wave:\n"
    "one frame a line, each value in per cent of full scale (-100 to 100), one number per\n"
    "line for one channel, left and right for two. Of each line only the first 159 bytes\n"
    "count; every delimiter D (default \" , \"; \"\" for none) is read as a space; lines\n"
    "without all their numbers, such as titles and column names, are skipped. Frames the\n"
    "file does not reach stay silent; lines after the N-th frame are ignored. The file is\n"
    "read as CP932.\n"
    "\n"
    "  --rate R      sampling rate, 5000 to 50000 Hz\n"
    "  --bits B      8 or 16\n"
    "  --channels C  1 or 2\n"
    "  --frames N    frames of the wave, 1 to 2147483647\n"
    "\n"
    "OUT is replaced only when it has been written completely. IN - reads standard input,\n"
    "OUT - writes standard output. Exit status 1, with a message, when IN cannot be read or\n"
    "the frames do not fit into memory.\n",
    {{"--rate", "--bits", "--channels", "--frames", "--delimiter"}, {}},
    RunImportText,
};
