#pragma once
// What every sonvue-cli command that reads audio shares: the --pick option, which chooses
// the two channels to open from a file of more than two (1-based, "--pick 3,4"), and the
// text its usage line and help carry.
#include <string>

#include "cli/cli_args.h"
#include "core/wave/audio_import.h"

inline constexpr const char* kPickOption = "--pick";
// Help texts, as macros so that the commands' usage literals can take them in.
#define SONVUE_PICK_HELP \
    "  --pick A,B       the two channels to open from a file of more than two (1-based;\n" \
    "                   default 1,2); other channels of a stereo file, such as 2,1, too\n"
#define SONVUE_AUDIO_INPUT_HELP \
    "IN is any audio file the program opens: WAVE (8 or 16-bit PCM as it is; 24/32-bit,\n" \
    "float, extensible, RF64, Wave64), FLAC, Ogg Vorbis/Opus, MP3, AIFF, CAF and more.\n" \
    "Files other than 8/16-bit PCM of one or two channels are converted to 16 bits and one\n" \
    "or two channels; what was converted is said on stderr.\n"

// Reads --pick into pick (1,2 without it). On a malformed value it prints the usage message
// and returns kExitUsage; kExitOk otherwise.
int ParsePickOption(CliArgs& args, const CliCommand& command, ChannelPick& pick);

// "3,4" into (3, 4): two whole numbers of 1 or more separated by a comma.
bool ParsePick(const std::string& text, ChannelPick& pick);
