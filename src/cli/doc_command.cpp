// sonvue-cli doc IN OUT.wft: a document made as the program makes it - the audio file opened
// with its default boxes, the asked boxes added, a stepping analysis over the FFT range -
// or a document opened and saved again, analysed anew only when analysis options are given.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/analysis_options.h"
#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "core/doc/app_settings.h"
#include "core/io/archive.h"
#include "core/doc/wav_doc.h"

namespace {

// The options that call for a new analysis of a document.
bool AnalysisAsked(const CliArgs& args) {
  for (const char* option : kAnalysisValuedOptions) {
    if (args.Has(option)) return true;
  }
  for (const char* option : kAnalysisFlagOptions) {
    if (args.Has(option)) return true;
  }
  return args.Has("--boxes") || args.Has("--log-frequency") || args.Has("--db");
}

int RunDoc(CliArgs& args) {
  if (args.Positional().size() != 2) return UsageError(kDocCommand, "needs IN (or IN.wft) and OUT.wft");
  const std::string& in = args.Positional()[0];
  const std::string& out = args.Positional()[1];
  if (IsWavePath(out)) return UsageError(kDocCommand, "OUT is the document (.wft), not a WAVE file");

  AnalysisOptions options;
  if (int status = ParseAnalysisOptions(args, kDocCommand, options); status != kExitOk) return status;
  ChannelPick pick;
  if (int status = ParsePickOption(args, kDocCommand, pick); status != kExitOk) return status;
  std::vector<int> types;
  if (auto text = args.Value("--boxes"); text && !ParseBoxList(*text, types)) {
    return UsageError(kDocCommand, "--boxes takes info, wave:C, fft:C and fft3d:C (C one of L, R, M) "
                                   "separated by commas, not \"" + *text + "\"");
  }
  bool logFrequency = true;
  if (auto text = args.Value("--log-frequency"); text && !ParseOnOff(*text, logFrequency)) {
    return UsageError(kDocCommand, "--log-frequency takes on or off, not \"" + *text + "\"");
  }
  if (int status = RefuseOutputOverInput(kDocCommand, in, out); status != kExitOk) return status;
  CliInput input;
  if (int status = input.Open(kDocCommand, in); status != kExitOk) return status;
  const bool document = OpensAsDocument(input.Path());
  if (document && args.Has(kPickOption)) return UsageError(kDocCommand, "--pick applies to audio files, not to a document");

  AppSettings app;
  CWavDoc doc(&app);
  if (int status = OpenInputDocument(kDocCommand, input, doc, pick); status != kExitOk) return status;
  if (!document || AnalysisAsked(args)) {
    if (int status = AnalyseDocument(doc, options, types, true, logFrequency, args.Has("--db"), kDocCommand,
                                     input.Name());
        status != kExitOk) {
      return status;
    }
  }
  if (!IsStdStream(out)) {
    if (!doc.OnSaveDocument(out)) return RefuseFile(kDocCommand, out, "cannot be written");
    return kExitOk;
  }
  CliOutput output;
  if (!output.Begin(kDocCommand, out, true)) return kExitRefused;
  CArchive ar(output.Stream(), CArchive::Mode::Store, CArchive::kDefaultBufferBytes);
  if (!doc.Serialize(ar) || !ar.Flush()) return output.Fail();
  return output.Commit();
}

}  // namespace

extern const CliCommand kDocCommand = {
    "doc",
    "make a .wft document of an audio file with analysed spectrum boxes, or save a document again",
    "usage: sonvue-cli doc IN|IN.wft OUT.wft [--boxes LIST] [--log-frequency on|off] [--db]\n"
    "         [--block N] [--average A] [--overlap K] [--window] [--mean-removal]\n"
    "         [--from F] [--to T] [--pick A,B]\n"
    "example: sox in.flac -t wav - | sonvue-cli doc - take.wft --boxes fft:M --window\n"
    "\n"
    "Opens IN as the program opens an audio file (information and wave boxes, the FFT range\n"
    "the whole wave), adds the boxes of LIST (info, wave:C, fft:C, fft3d:C with C one of\n"
    "L, R, M, separated by commas), runs a stepping analysis over the FFT range (the\n"
    "options as for sonvue-cli spectrum) and saves the document with its spectra.\n"
    "A document IN.wft is opened as the program opens it and saved again as it is; with\n"
    "any of the options above its boxes are added to and analysed anew the same way.\n"
    "OUT is replaced only when it has been written completely, and may not be IN itself.\n"
    "Open it with the program or draw it with sonvue-cli render. IN - reads standard\n"
    "input, OUT - writes the document to standard output.\n"
    "\n"
    SONVUE_AUDIO_INPUT_HELP
    "\n"
    SONVUE_PICK_HELP,
    {{"--boxes", "--log-frequency", "--block", "--average", "--overlap", "--from", "--to", "--pick"},
     {"--db", "--window", "--mean-removal"}},
    RunDoc,
};
