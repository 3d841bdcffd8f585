// The RIFF walk: chunks are found among their siblings in any order, every other chunk
// skipped with its pad byte; no size read from the file is believed beyond the file's end.
#include "core/wave/wave_header.h"

#include <algorithm>
#include <cstring>

#include "core/io/byte_stream.h"

namespace {

constexpr uint32_t kFmtRecordBytes = 18;
// The least of the format record a file must state: format tag, channels, rate, bytes per
// second and block alignment. A shorter chunk would leave them to the record it started from.
constexpr uint32_t kFmtMinimumBytes = 14;
constexpr size_t kBlockAlignOffset = 12;
constexpr size_t kChunkSizeBytes = 4;
constexpr uint32_t kUnsetChunkSize = 0xFFFFFFFF;
// The extensible format chunk: the 18-byte record, valid bits (2), channel mask (4) and the
// 16-byte sub-format identifier.
constexpr uint32_t kExtensibleFmtBytes = 40;
constexpr size_t kValidBitsOffset = 18;
constexpr size_t kChannelMaskOffset = 20;
constexpr size_t kSubFormatOffset = 24;
// The identifier's last 14 bytes are the same for every format tag of the registered kind;
// its first two bytes are the tag (1 for PCM).
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Chunk sizes are followed by a pad byte when odd.
constexpr uint64_t PaddedSize(uint64_t size) { return size + (size & 1); }

uint16_t LoadU16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

struct ChunkHeader {
  std::array<char, 4> id{};
  uint32_t size = 0;
  uint64_t dataStart = 0;  // offset of the chunk's first data byte
};

bool IsId(const std::array<char, 4>& id, const char* name) { return std::memcmp(id.data(), name, 4) == 0; }

// Reads the chunk header at position; false when fewer than 8 bytes lie before limit.
bool ReadChunkHeader(ByteStream& file, uint64_t position, uint64_t limit, ChunkHeader& chunk) {
  if (position + 8 > limit || !file.Seek(position)) return false;
  uint8_t raw[8];
  if (file.Read(raw, 8) != 8) return false;
  std::memcpy(chunk.id.data(), raw, 4);
  chunk.size = LoadU32(raw + 4);
  chunk.dataStart = position + 8;
  return true;
}

// Finds the RIFF chunk of form type WAVE among the top-level chunks from begin; gives the
// range of its sub-chunks, limited to what the file holds (a RIFF size that claims more
// than the file, or that is left unset by a streaming writer, is not believed).
bool FindWaveForm(ByteStream& file, uint64_t begin, uint64_t fileSize, uint64_t& subBegin, uint64_t& subEnd) {
  uint64_t pos = begin;
  ChunkHeader chunk;
  while (ReadChunkHeader(file, pos, fileSize, chunk)) {
    if (IsId(chunk.id, "RIFF") && chunk.dataStart + 4 <= fileSize) {
      std::array<char, 4> form{};
      if (file.Read(form.data(), 4) == 4 && IsId(form, "WAVE")) {
        subBegin = chunk.dataStart + 4;
        uint64_t declaredEnd = chunk.dataStart + chunk.size;
        subEnd = chunk.size < 4 ? fileSize : std::min(declaredEnd, fileSize);
        return true;
      }
    }
    pos = chunk.dataStart + PaddedSize(chunk.size);
  }
  return false;
}

// Widens an extensible header whose sub-format is PCM of 8 or 16 bits to tag 1.
void ReadExtensibleFields(ByteStream& file, const ChunkHeader& fmt, uint64_t fileSize,
                          const WaveFormatRecord& initial, WaveFileHeader& out) {
  if (out.format.formatTag != kWaveFormatExtensible) return;
  uint8_t raw[kExtensibleFmtBytes];
  if (fmt.size < kExtensibleFmtBytes || fmt.dataStart + kExtensibleFmtBytes > fileSize ||
      !file.Seek(fmt.dataStart) || file.Read(raw, sizeof raw) != sizeof raw) {
    return;
  }
  out.extensible = true;
  out.validBits = LoadU16(raw + kValidBitsOffset);
  out.channelMask = LoadU32(raw + kChannelMaskOffset);
  const bool registered = std::memcmp(raw + kSubFormatOffset + 2, kSubFormatTail, sizeof kSubFormatTail) == 0;
  out.subFormatTag = registered ? LoadU16(raw + kSubFormatOffset) : 0;
  const uint16_t bits = out.format.bitsPerSample;
  if (out.subFormatTag == kWaveFormatPcm && (bits == 8 || bits == 16)) {
    out.format.formatTag = kWaveFormatPcm;
    out.format.extraSize = initial.extraSize;
  }
}

}  // namespace

WaveHeaderStatus ReadWaveHeader(ByteStream& file, const WaveFormatRecord& initial, WaveFileHeader& out) {
  out = WaveFileHeader{};
  out.format = initial;
  const uint64_t begin = file.Tell();
  const uint64_t fileSize = file.Size();
  uint64_t subBegin = 0, subEnd = 0;
  if (!FindWaveForm(file, begin, fileSize, subBegin, subEnd)) return WaveHeaderStatus::kNoWaveForm;

  // One walk over the form's chunks; the first of each kind counts.
  ChunkHeader fmt, data;
  bool haveFmt = false, haveData = false;
  ChunkHeader chunk;
  for (uint64_t pos = subBegin; ReadChunkHeader(file, pos, subEnd, chunk);
       pos = chunk.dataStart + PaddedSize(chunk.size)) {
    if (out.chunks.size() < kMaxListedChunks) out.chunks.push_back({chunk.id, chunk.size});
    if (!haveFmt && IsId(chunk.id, "fmt ")) {
      fmt = chunk;
      haveFmt = true;
    } else if (!haveData && IsId(chunk.id, "data")) {
      data = chunk;
      haveData = true;
    }
  }
  if (haveData) {
    out.hasData = true;
    out.dataStart = data.dataStart;
    out.dataBytes = data.size;
  }
  if (!haveFmt) return WaveHeaderStatus::kNoFormat;

  // The first min(size, 18) bytes go over the start of the format record, so a 16-byte
  // chunk keeps the extra size as it was.
  const size_t fmtBytes = std::min<uint32_t>(fmt.size, kFmtRecordBytes);
  WaveFormatRecord record = initial;
  if (fmt.size < kFmtMinimumBytes || !file.Seek(fmt.dataStart) || fmt.dataStart + fmtBytes > fileSize ||
      file.Read(&record, fmtBytes) != fmtBytes) {
    return WaveHeaderStatus::kFormatShort;
  }
  out.format = record;
  out.formatRead = true;
  out.fileFormatTag = record.formatTag;
  ReadExtensibleFields(file, fmt, fileSize, initial, out);
  const WaveFormatRecord& f = out.format;
  if (f.formatTag != kWaveFormatPcm) return WaveHeaderStatus::kNotPcm;
  // Every other width would be misread as 16-bit words, and more than two channels or a
  // rate of 0 are nothing the analysis can show.
  if ((f.bitsPerSample != 8 && f.bitsPerSample != 16) || f.channels < 1 || f.channels > 2 ||
      f.samplesPerSec == 0) {
    return WaveHeaderStatus::kUnsupportedPcm;
  }
  if (!haveData) return WaveHeaderStatus::kNoData;
  const uint32_t align = f.blockAlign;
  if (align == 0 || align != f.channels * f.bitsPerSample / 8 || data.size % align != 0) {
    return WaveHeaderStatus::kRaggedData;
  }
  if (data.dataStart + data.size > fileSize) return WaveHeaderStatus::kDataTruncated;
  return WaveHeaderStatus::kOk;
}

bool LeftToImport(WaveHeaderStatus status) {
  return status == WaveHeaderStatus::kNoWaveForm || status == WaveHeaderStatus::kNotPcm ||
         status == WaveHeaderStatus::kUnsupportedPcm;
}

uint64_t EndOfDataChunk(const WaveFileHeader& header, uint64_t fileSize) {
  return std::min(header.dataStart + PaddedSize(header.dataBytes), fileSize);
}

namespace {

// Whether the bytes from position to end are whole chunks (ids of printable letters, sizes
// that end exactly at end with their pad bytes).
bool WholeChunksUpTo(ByteStream& file, uint64_t position, uint64_t end) {
  ChunkHeader chunk;
  while (position < end) {
    if (!ReadChunkHeader(file, position, end, chunk)) return false;
    for (char c : chunk.id) {
      if (c < 0x20 || c > 0x7E) return false;
    }
    position = chunk.dataStart + PaddedSize(chunk.size);
  }
  return position == end || position == end + 1;
}

}  // namespace

bool SettleStreamedWaveSizes(ByteStream& copy) {
  const uint64_t fileSize = copy.Size();
  uint64_t subBegin = 0, subEnd = 0;
  if (!copy.Seek(0) || !FindWaveForm(copy, 0, fileSize, subBegin, subEnd)) return false;
  ChunkHeader chunk;
  uint16_t blockAlign = 0;
  for (uint64_t pos = subBegin; ReadChunkHeader(copy, pos, subEnd, chunk);
       pos = chunk.dataStart + PaddedSize(chunk.size)) {
    if (IsId(chunk.id, "fmt ") && blockAlign == 0 && chunk.size >= kFmtMinimumBytes) {
      uint8_t raw[2];
      if (copy.Seek(chunk.dataStart + kBlockAlignOffset) && copy.Read(raw, 2) == 2) blockAlign = LoadU16(raw);
      continue;
    }
    if (!IsId(chunk.id, "data")) continue;
    const uint64_t arrived = fileSize - chunk.dataStart;
    const bool unset = chunk.size == kUnsetChunkSize || chunk.size > arrived ||
                       (chunk.size == 0 && arrived > 0 && !WholeChunksUpTo(copy, chunk.dataStart, fileSize));
    if (!unset) return false;
    uint64_t bytes = std::min<uint64_t>(arrived, kUnsetChunkSize - 1);
    if (blockAlign > 0) bytes -= bytes % blockAlign;
    uint8_t raw[kChunkSizeBytes];
    const auto size = static_cast<uint32_t>(bytes);
    std::memcpy(raw, &size, sizeof raw);
    return copy.Seek(chunk.dataStart - kChunkSizeBytes) && copy.Write(raw, sizeof raw);
  }
  return false;
}
