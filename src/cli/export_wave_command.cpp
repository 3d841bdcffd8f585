// sonvue-cli export-wave IN.wav OUT.txt [options]: the samples of a WAVE file as the
// program's wave text file ("ウェーブデータのテキスト出力") or as CSV.
#include <cstdio>
#include <string>

#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "core/textio/wave_text.h"
#include "core/wave/wave.h"

namespace {

int RunExportWave(CliArgs& args) {
  if (args.Positional().size() != 2) return UsageError(kExportWaveCommand, "needs IN.wav and OUT.txt");
  const std::string& inPath = args.Positional()[0];
  const std::string& outPath = args.Positional()[1];
  const bool csv = args.Has("--csv");
  for (const char* textOnly : {"--delimiter", "--no-conditions", "--no-names", "--no-time"}) {
    if (csv && args.Has(textOnly)) {
      return UsageError(kExportWaveCommand, std::string(textOnly) + " applies to the text file, not to --csv");
    }
  }
  std::string letters;
  if (auto text = args.Value("--channels"); text && !ParseChannelList(*text, letters)) {
    return UsageError(kExportWaveCommand, "--channels takes L, R and M separated by commas, not \"" +
                                              *text + "\"");
  }

  const CliCommand& self = kExportWaveCommand;
  ChannelPick pick;
  if (int status = ParsePickOption(args, self, pick); status != kExitOk) return status;
  if (int status = RefuseOutputOverInput(self, inPath, outPath); status != kExitOk) return status;
  CliInput input;
  if (int status = input.Open(self, inPath); status != kExitOk) return status;
  CWave wave;
  if (int status = LoadInputWave(self, input, wave, pick); status != kExitOk) return status;
  // Without --channels, the columns of a new document's wave boxes: left and right, or the
  // mono box of a one-channel wave.
  if (letters.empty()) letters = wave.Channels() == 1 ? "M" : "LR";
  WaveTextChannels channels;
  channels.left = letters.find('L') != std::string::npos;
  channels.right = letters.find('R') != std::string::npos;
  channels.mono = letters.find('M') != std::string::npos;
  if (!csv && wave.Channels() == 1 && !channels.mono) {
    return RefuseFile(self, input.Name(), "has one channel: its text file has only the column M");
  }

  CliOutput out;
  if (!out.Begin(self, outPath, false)) return kExitRefused;
  bool written;
  if (csv) {
    written = WriteWaveCsv(out.Stream(), wave, channels);
  } else {
    TextOutOptions options;
    if (auto d = args.Value("--delimiter")) options.delimiter = *d;
    options.conditions = !args.Has("--no-conditions");
    options.columnNames = !args.Has("--no-names");
    options.stepColumn = !args.Has("--no-time");
    written = WriteWaveText(out.Stream(), wave, channels, options);
  }
  return written ? out.Commit() : out.Fail();
}

}  // namespace

extern const CliCommand kExportWaveCommand = {
    "export-wave",
    "the samples of an audio file as the wave text file or CSV",
    "usage: sonvue-cli export-wave IN OUT.txt [--channels L,R,M] [--pick A,B]\n"
    "         [--csv | [--delimiter D] [--no-conditions] [--no-names] [--no-time]]\n"
    "example: sonvue-cli cut take.wav - --to 4410 | sonvue-cli export-wave - levels.csv --csv\n"
    "\n"
    "Writes every frame of IN as one row, as the program's \"ウェーブデータのテキスト出力\"\n"
    "does: levels in per cent of full scale (100 * sample / 32768), \"%f\".\n"
    "\n"
    "  --channels LIST  any of L (left), R (right), M (mean of both) separated by commas;\n"
    "                   default L,R, or M for a one-channel wave (which has only M)\n"
    "  --delimiter D    between the cells of a row (default \" , \")\n"
    "  --no-conditions  leave out rate, bits, channels and frame count\n"
    "  --no-names       leave out the line of column names\n"
    "  --no-time        leave out the time column\n"
    "  --csv            UTF-8 CSV instead: a header \"time_s,L,R,M\" (the chosen channels)\n"
    "                   and per frame the time and the levels; LF line ends\n"
    SONVUE_PICK_HELP
    "\n"
    "The text file is CP932 with CR LF line ends: the title, the conditions, the column\n"
    "names, then the rows. OUT is replaced only when it has been written completely.\n"
    "IN - reads standard input, OUT - writes standard output.\n"
    "Exit status 1, with a message, when IN cannot be read or OUT cannot be written.\n"
    "\n"
    SONVUE_AUDIO_INPUT_HELP,
    {{"--channels", "--delimiter", "--pick"}, {"--csv", "--no-conditions", "--no-names", "--no-time"}},
    RunExportWave,
};
