#pragma once
// The import of audio files that the WAVE reader does not take: WAVE in its other encodings
// (24 and 32 bits, floating point, extensible, ADPCM, more than two channels), RF64, Wave64,
// AIFF/AIFC, CAF, FLAC, Ogg Vorbis and Opus, MP3 and the other types the decoder library
// knows. The decoded samples become the program's model: 16-bit PCM rounded to the nearest
// step with clipping (sample_rounding.h), one channel, or two picked from the file's (the
// first two unless told otherwise).
//
// Nothing is allocated beyond what the file really holds: the block is reserved lazily for
// the length the header claims (no more than the model can hold) and cut to the frames that
// arrive; a header that claims fewer grows the block as the frames come.
#include <cstdint>
#include <string>

#include "core/wave/source_format.h"

class ByteStream;
class CWave;

// The two channels to open from a file of two or more, 1-based. Files of one channel open
// that channel whatever is asked.
struct ChannelPick {
  int first = 1;
  int second = 2;
  bool IsDefault() const { return first == 1 && second == 2; }
};

enum class ImportStatus {
  kOk,           // samples read (perhaps fewer than claimed: see the report)
  kUnreadable,   // the decoder does not know the file or cannot read its header
  kBadFormat,    // the header describes nothing the model can hold (no channels, 0 Hz)
  kBadPick,      // the picked channels are not in the file
  kNoMemory,     // the block for the samples was refused
  kNoFrames,     // the header was read but no frame could be decoded
};

struct ImportReport {
  SourceFormat source;
  bool lengthKnown = false;    // the header states the length
  uint64_t framesClaimed = 0;  // the length the header states (0 when it does not know)
  uint64_t framesRead = 0;
  uint64_t clippedSamples = 0;
  uint64_t nonFiniteSamples = 0;
  bool endedEarly = false;     // fewer frames than claimed arrived
  bool decodeError = false;    // the decoder stopped on an error
  bool cutAtLimit = false;  // longer than the model holds: only the first part was read
  std::string decoderMessage;  // why the decoder refused or stopped, in Japanese
};

// Decodes the whole stream (from its start) into the wave, which becomes 16-bit PCM with
// one or two channels at the file's rate. The wave is emptied first; on failure it stays
// empty. Shows no message.
ImportStatus ImportAudio(ByteStream& file, CWave& wave, const ChannelPick& pick, ImportReport& report);

// Reads only the header: fills the source format and the claimed frame count.
ImportStatus ProbeAudio(ByteStream& file, const ChannelPick& pick, ImportReport& report);

// The frame count of the model's limit for a wave of the given channels: its data size is
// an unsigned 32-bit byte count.
uint32_t MaxImportFrames(int openedChannels);
