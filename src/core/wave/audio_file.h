#pragma once
// Opening any audio file the program reads, the one place that chooses how: a RIFF/WAVE file
// of the reader's own PCM (8 or 16 bits, one or two channels, extensible header included) is
// read by CWave::ReadWave exactly as it is; every other file goes to the import
// (audio_import.h), which converts it to 16-bit PCM. Every place that opens a wave (the
// document, loading into a window, the command-line tool) comes through here.
//
// Messages, in order: on success of an import, one information box saying what was
// converted; on failure, the box the WAVE reader shows for the file, and (when the import
// could not read it either) a note naming what was found, which the caller shows after its
// own boxes.
#include <string>

#include "core/wave/audio_import.h"
#include "core/wave/wave_header.h"

class ByteStream;
class CWave;

enum class AudioReadOutcome {
  kFailed,
  kReadAsWave,  // read by the WAVE reader: the wave is the file's own content
  kImported,    // converted: the wave is not what the file holds (see CWave::Source)
};

struct AudioReadResult {
  AudioReadOutcome outcome = AudioReadOutcome::kFailed;
  // For a file that could not be read: what is wrong with it (a RIFF/WAVE file the reader
  // refused, and why, with the sizes it found; for a file neither way could read, what was
  // found), to be shown through CannotOpenMessage after the caller's own failure boxes.
  // Empty otherwise.
  std::string unreadableNote;
};

// Reads the stream (from its current position, which for an import must be its start) into
// the wave. pick chooses the two channels of a file with more: a pick other than 1 and 2
// sends even a plain stereo WAVE file through the import.
AudioReadResult ReadAudio(ByteStream& file, CWave& wave, const ChannelPick& pick = {});

// What ReadAudio would do with a file, found from its headers alone (no sample is read).
struct AudioProbe {
  AudioReadOutcome outcome = AudioReadOutcome::kFailed;
  bool riffWave = false;  // waveHeader holds the file's RIFF/WAVE header
  WaveHeaderStatus waveStatus = WaveHeaderStatus::kNoWaveForm;
  WaveFileHeader waveHeader;
  ImportReport import;  // for kImported: the source and the claimed length
  std::string unreadableNote;
};

// Decides as ReadAudio decides and shows the same boxes on failure (the WAVE reader's, the
// channel pick's), but reads headers only; the data of a plain WAVE file is not checked
// beyond its size.
AudioProbe ProbeAudioFile(ByteStream& file, const ChannelPick& pick = {});

// The message on opening an imported file: what it was, what it became, and what was lost on
// the way (clipped or non-finite samples, a file that ended early or was cut at the limit).
std::string ImportMessage(const ImportReport& report);

// The sentence after the boxes of a file that could not be opened: it names the file and
// says what is wrong (an unreadableNote).
std::string CannotOpenMessage(const std::string& path, const std::string& reason);

// The file types offered in the program's open dialogs, as glob patterns ("*.wav *.flac ...").
const char* AudioFilePatterns();
