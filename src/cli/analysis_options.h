#pragma once
// What sonvue-cli spectrum and render share: the analysis settings of the command line
// (block size, averaging, overlap, window, mean removal, frame range), the boxes to create
// and how the spectrum boxes show their axes.
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "core/realtime/analysis_settings.h"

class CWave;
class CWavDoc;

// The options of the analysis settings, as both commands name them.
inline constexpr const char* kAnalysisValuedOptions[] = {"--block", "--average", "--overlap",
                                                         "--from", "--to"};
inline constexpr const char* kAnalysisFlagOptions[] = {"--window", "--mean-removal"};

struct AnalysisOptions {
  AnalysisSettings settings = DefaultAnalysisSettings();
  std::string blockText;  // as given, for messages
  unsigned long fromFrame = 0;
  unsigned long toFrame = 0;
  bool toGiven = false;
  unsigned long threads = 0;  // --threads: 0 one per spectrum box, 1 all on one thread
};

// Reads the analysis options into out. On a wrong option (a block size outside the list
// included) it prints the message and returns kExitUsage; kExitOk when all is well.
int ParseAnalysisOptions(CliArgs& args, const CliCommand& command, AnalysisOptions& out);

// Checks the frame range against the wave (the whole wave when --to is absent) and sets the
// FFT range of settings; false with a message for a range outside the wave.
bool ApplyFrameRange(const AnalysisOptions& options, uint32_t frameCount, AnalysisSettings& settings,
                     std::string& message);

// The box types of a --boxes list: info, wave:C, fft:C, fft3d:C with C one of L, R, M,
// separated by commas, in the order given (repeats count once). False for anything else.
bool ParseBoxList(const std::string& text, std::vector<int>& types);

// Whether any of the types shows the left or right channel alone.
bool HasOneSidedBox(const std::vector<int>& types);

// --log-frequency on|off into on (default on); false for another value.
bool ParseOnOff(const std::string& text, bool& on);

// Gives every spectrum and 3D spectrum box of the document its frequency axis and level mode.
void SetSpectrumAxes(CWavDoc& doc, bool logFrequency, bool decibel);

// Whether every spectrum box of the document has its engine set up (false when the memory for
// the block size was refused).
bool SpectrumEnginesReady(const CWavDoc& doc);

// Sets an opened document up for an analysis from the command line and runs it: the record
// takes the options' block size, averaging, flags and overlap; the boxes of the types
// replace the default boxes (or, with addBoxes, join them); the FFT range follows --from and
// --to (the whole wave without them); the spectrum boxes take their axes; then a whole
// stepping run, after which the wave boxes show the whole wave again. Returns kExitOk, or
// kExitRefused after a message that starts with the command's name and names the input.
int AnalyseDocument(CWavDoc& doc, const AnalysisOptions& options, const std::vector<int>& types,
                    bool addBoxes, bool logFrequency, bool decibel, const CliCommand& command,
                    const std::string& inputName);
