#pragma once
// The header of a RIFF/WAVE file read without its samples: the format chunk, the chunk list
// and where the sample data lies. The WAVE reader (CWave::ReadWave) takes its decisions from
// it, the opening of audio files uses it to choose between that reader and the import, and
// `sonvue-cli info` prints it.
//
// Accepted as the reader's own PCM: format tag 1, and the extensible format (tag 0xFFFE)
// whose sub-format is PCM with 8 or 16 bits, which is read exactly as tag 1 would be.
#include <array>
#include <cstdint>
#include <vector>

#include "core/wave/wave_format.h"

class ByteStream;

inline constexpr uint16_t kWaveFormatIeeeFloat = 3;
inline constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

// Why a header is refused, in the order the checks run. The comments name the box the
// reader shows.
enum class WaveHeaderStatus {
  kOk,
  kNoWaveForm,      // no RIFF chunk of form type "WAVE"               "error2 "
  kNoFormat,        // no "fmt " chunk                                 "error3 "
  kFormatShort,     // the "fmt " chunk cannot be read in full, or is   "error4 "
                    // shorter than the 14 bytes up to the block alignment
  kNotPcm,          // an encoding other than the reader's PCM         "error5 "
  kUnsupportedPcm,  // PCM, but not 8/16 bits, 1/2 channels, rate > 0  (its own box)
  kNoData,          // no "data" chunk                                 "error6 "
  kRaggedData,      // block alignment 0, inconsistent, or data size not whole frames  "error7 "
  kDataTruncated,   // the data chunk claims more bytes than the file holds            "error9 "
};

struct WaveChunkEntry {
  std::array<char, 4> id{};
  uint32_t sizeInBytes = 0;
};

struct WaveFileHeader {
  // The format record as the reader leaves it: the first min(chunk size, 18) bytes of the
  // "fmt " chunk over the record it started from; an extensible PCM header becomes tag 1
  // with the extra size it started with (as a 16-byte chunk would leave it).
  WaveFormatRecord format;
  bool formatRead = false;  // format holds what the file said
  // The extensible format's fields, kept for reporting.
  bool extensible = false;
  uint16_t validBits = 0;
  uint32_t channelMask = 0;
  uint16_t subFormatTag = 0;  // the format tag inside the sub-format identifier
  uint16_t fileFormatTag = 0;  // the tag as written in the file
  // The sample data (the first "data" chunk, whatever the status).
  bool hasData = false;
  uint64_t dataStart = 0;
  uint32_t dataBytes = 0;
  // The chunks inside the WAVE form, in file order (at most kMaxListedChunks).
  std::vector<WaveChunkEntry> chunks;
};

inline constexpr size_t kMaxListedChunks = 4096;

// Reads the header from the stream's current position, starting from the given record.
// Never reads sample data and never shows a message.
WaveHeaderStatus ReadWaveHeader(ByteStream& file, const WaveFormatRecord& initial, WaveFileHeader& out);

// Whether a refused file is left to the import of other audio files: a file that is no
// RIFF/WAVE file at all, or one whose encoding (format tag, width, channel count) the reader
// does not take. A broken WAVE file of the reader's own PCM is not.
bool LeftToImport(WaveHeaderStatus status);

// Shows the box the WAVE reader shows for a refused header and returns the reader's result
// code (2 or 4); kOk shows nothing and gives 0.
int ShowWaveHeaderBox(WaveHeaderStatus status);

// The file position just after the data chunk (with its pad byte), limited to the file.
uint64_t EndOfDataChunk(const WaveFileHeader& header, uint64_t fileSize);

// A copy of a WAVE stream whose writer could not seek back (a pipe) carries sizes it could
// not fill in: the first "data" chunk says 0 or 0xFFFFFFFF bytes, or more than arrived (some
// writers leave a large placeholder). Rewrites that size in the copy to the whole frames
// that did arrive, up to the copy's end; a size of 0 followed by nothing but whole chunks is
// an empty wave and stays. The RIFF size needs no such care (the reader limits it to the
// file). True when a size was rewritten; the copy must be writable and nothing else is
// changed.
bool SettleStreamedWaveSizes(ByteStream& copy);
