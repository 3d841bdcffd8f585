// WAVE files: a RIFF reader that finds "fmt " and "data" in any order (skipping every other
// chunk, odd sizes with their pad byte), and a writer of exactly one layout:
// RIFF/WAVE, "fmt " (18 bytes), "data", "ZSTR" (130 bytes).
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/io/byte_stream.h"
#include "core/io/safe_file.h"
#include "core/platform/prompt.h"
#include "core/wave/wave.h"

namespace {

constexpr uint32_t kZstrPayloadBytes = 130;
constexpr uint32_t kFmtChunkBytes = 18;

// Chunk sizes are followed by a pad byte when odd.
constexpr uint64_t PaddedSize(uint64_t size) { return size + (size & 1); }

uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void ErrorBox(const char* text) { ShowMessage("error", text, PromptButtons::Ok, PromptIcon::Error); }

struct ChunkHeader {
  std::array<char, 4> id{};
  uint32_t size = 0;
  uint64_t dataStart = 0;  // offset of the chunk's first data byte
};

bool IsId(const std::array<char, 4>& id, const char* name) {
  return std::memcmp(id.data(), name, 4) == 0;
}

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

// Finds the first chunk with the given id among the chunks in [begin, end).
bool FindChunk(ByteStream& file, uint64_t begin, uint64_t end, const char* id, ChunkHeader& out) {
  uint64_t pos = begin;
  ChunkHeader chunk;
  while (ReadChunkHeader(file, pos, end, chunk)) {
    if (IsId(chunk.id, id)) {
      out = chunk;
      return true;
    }
    pos = chunk.dataStart + PaddedSize(chunk.size);
  }
  return false;
}

// Finds the RIFF chunk of form type WAVE among the top-level chunks from begin; gives the
// range of its sub-chunks, limited to what the file holds (a RIFF size that claims more
// than the file, or that is left unset by a streaming writer, is not believed).
bool FindWaveForm(ByteStream& file, uint64_t begin, uint64_t fileSize, uint64_t& subBegin,
                  uint64_t& subEnd) {
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

}  // namespace

int CWave::ReadWave(ByteStream& file) {
  Free();
  const uint64_t begin = file.Tell();
  const uint64_t fileSize = file.Size();
  if (!file.Seek(begin)) {
    ErrorBox("error1 ");
    return 1;
  }
  uint64_t subBegin = 0, subEnd = 0;
  if (!FindWaveForm(file, begin, fileSize, subBegin, subEnd)) {
    ErrorBox("error2 ");
    return 2;
  }
  ChunkHeader fmt;
  if (!FindChunk(file, subBegin, subEnd, "fmt ", fmt)) {
    ErrorBox("error3 ");
    return 2;
  }
  // The first min(size, 18) bytes go over the start of the format record, so a 16-byte
  // chunk keeps the extra size as it was.
  const size_t fmtBytes = std::min<uint32_t>(fmt.size, kFmtChunkBytes);
  WaveFormatRecord record = format_;
  if (!file.Seek(fmt.dataStart) || fmt.dataStart + fmtBytes > fileSize ||
      file.Read(&record, fmtBytes) != fmtBytes) {
    ErrorBox("error4 ");
    return 2;
  }
  format_ = record;
  wrapped_ = 0;
  if (format_.formatTag != kWaveFormatPcm) {
    ErrorBox("error5 ");
    return 2;
  }
  // Every other width would be misread as 16-bit words, and more than two channels or a
  // rate of 0 are nothing the analysis can show: refuse them clearly.
  if ((format_.bitsPerSample != 8 && format_.bitsPerSample != 16) || format_.channels < 1 ||
      format_.channels > 2 || format_.samplesPerSec == 0) {
    ShowMessage("error",
                "このウェーブファイルの形式には対応していません。\n"
                "8ビットまたは16ビット、1チャンネルまたは2チャンネルのPCMのみ読み込めます。",
                PromptButtons::Ok, PromptIcon::Error);
    return 2;
  }
  ChunkHeader data;
  if (!FindChunk(file, subBegin, subEnd, "data", data)) {
    ErrorBox("error6 ");
    return 2;
  }
  const uint32_t align = format_.blockAlign;
  if (align == 0 || align != format_.channels * format_.bitsPerSample / 8 ||
      data.size % align != 0) {
    ErrorBox("error7 ");
    return 2;
  }
  const uint32_t frames = data.size / align;
  // A data chunk that claims more than the file holds cannot be read in full; say so
  // before allocating what it claims.
  if (data.dataStart + data.size > fileSize) {
    ErrorBox("error9 ");
    return 4;
  }
  if (!AllocateForOverwrite(frames)) {
    dataSize_ = 0;
    ErrorBox("error8 ");
    return 3;
  }
  if (frames > 0) {
    uint8_t* dest = GetData(0);
    if (!dest || !file.Seek(data.dataStart) || file.Read(dest, data.size) != data.size) {
      Free();
      ErrorBox("error9 ");
      return 4;
    }
  }
  file.Seek(std::min(data.dataStart + PaddedSize(data.size), fileSize));
  return 0;
}

int CWave::WriteWave(ByteStream& file, uint32_t from, uint32_t to) {
  if ((from == 0 && to == 0) || (from != 0 && from > to) || from >= frameCount_) {
    from = 0;
    to = frameCount_;
  }
  if (from >= to) return 3;

  std::array<uint8_t, kZstrPayloadBytes> zstr{};
  std::memcpy(zstr.data(), comment_.data(), std::min<size_t>(comment_.size(), zstr.size() - 1));

  // The data chunk is at most the wave's data size and never runs past the last frame.
  const uint64_t align = format_.blockAlign;
  uint64_t dataBytes = std::min<uint64_t>(uint64_t{to - from} * align, dataSize_);
  dataBytes = std::min<uint64_t>(dataBytes, uint64_t{frameCount_ - from} * align);
  const uint8_t* src = GetData(from);
  if (!src && dataBytes > 0) return 2;
  const uint64_t pad = dataBytes & 1;
  const uint64_t riffSize = 4 + (8 + kFmtChunkBytes) + (8 + dataBytes + pad) + (8 + kZstrPayloadBytes);
  if (riffSize > 0xFFFFFFFFull) return 2;

  auto put32 = [](uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); };
  uint8_t head[46];
  std::memcpy(head, "RIFF", 4);
  put32(head + 4, static_cast<uint32_t>(riffSize));
  std::memcpy(head + 8, "WAVEfmt ", 8);
  put32(head + 16, kFmtChunkBytes);
  std::memcpy(head + 20, &format_, sizeof format_);
  std::memcpy(head + 38, "data", 4);
  put32(head + 42, static_cast<uint32_t>(dataBytes));
  if (!file.Write(head, sizeof head)) return 2;

  constexpr uint64_t kPieceBytes = 1 << 20;
  for (uint64_t done = 0; done < dataBytes;) {
    uint64_t n = std::min(kPieceBytes, dataBytes - done);
    if (!file.Write(src + done, n)) return 2;
    done += n;
  }
  uint8_t tail[1 + 8];
  size_t tailBytes = 0;
  if (pad) tail[tailBytes++] = 0;
  std::memcpy(tail + tailBytes, "ZSTR", 4);
  put32(tail + tailBytes + 4, kZstrPayloadBytes);
  tailBytes += 8;
  if (!file.Write(tail, tailBytes) || !file.Write(zstr.data(), zstr.size())) return 2;
  return 0;
}

bool CWave::LoadWaveFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  FileStream file;
  if (!file.Open(path, FileStream::Mode::Read)) {
    AppMessage("Failed to open file");
    return false;
  }
  if (ReadWave(file) != 0) {
    AppMessage("Failed to load file");
    return false;
  }
  return true;
}

bool CWave::SaveWaveFile(const std::string& path, uint32_t from, uint32_t to) {
  // A refused range leaves an existing file alone.
  if (from != 0 && from >= to) return false;
  SafeFileWriter writer;
  if (!writer.Begin(path)) {
    AppMessage("Failed to open file");
    return false;
  }
  if (WriteWave(writer.Stream(), from, to) != 0 || !writer.Commit()) {
    writer.Abort();
    AppMessage("Failed to save file");
    return false;
  }
  return true;
}
