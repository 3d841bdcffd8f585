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
#include "core/wave/audio_file.h"
#include "core/wave/wave.h"
#include "core/wave/wave_header.h"

namespace {

constexpr uint32_t kZstrPayloadBytes = 130;
constexpr uint32_t kFmtChunkBytes = 18;

void ErrorBox(const char* text) { ShowMessage("error", text, PromptButtons::Ok, PromptIcon::Error); }

}  // namespace

int ShowWaveHeaderBox(WaveHeaderStatus status) {
  switch (status) {
    case WaveHeaderStatus::kOk: return 0;
    case WaveHeaderStatus::kNoWaveForm: ErrorBox("error2 "); return 2;
    case WaveHeaderStatus::kNoFormat: ErrorBox("error3 "); return 2;
    case WaveHeaderStatus::kFormatShort: ErrorBox("error4 "); return 2;
    case WaveHeaderStatus::kNotPcm: ErrorBox("error5 "); return 2;
    case WaveHeaderStatus::kUnsupportedPcm:
      ShowMessage("error",
                  "このウェーブファイルの形式には対応していません。\n"
                  "8ビットまたは16ビット、1チャンネルまたは2チャンネルのPCMのみ読み込めます。",
                  PromptButtons::Ok, PromptIcon::Error);
      return 2;
    case WaveHeaderStatus::kNoData: ErrorBox("error6 "); return 2;
    case WaveHeaderStatus::kRaggedData: ErrorBox("error7 "); return 2;
    // A data chunk that claims more than the file holds cannot be read in full; say so
    // before allocating what it claims.
    case WaveHeaderStatus::kDataTruncated: ErrorBox("error9 "); return 4;
  }
  return 2;
}

int CWave::ReadWave(ByteStream& file) {
  Free();
  if (!file.Seek(file.Tell())) {
    ErrorBox("error1 ");
    return 1;
  }
  WaveFileHeader header;
  const WaveHeaderStatus status = ReadWaveHeader(file, format_, header);
  if (header.formatRead) {
    format_ = header.format;
    wrapped_ = 0;
  }
  if (status != WaveHeaderStatus::kOk) return ShowWaveHeaderBox(status);
  const uint32_t frames = header.dataBytes / format_.blockAlign;
  if (!AllocateForOverwrite(frames)) {
    dataSize_ = 0;
    ErrorBox("error8 ");
    return 3;
  }
  if (frames > 0) {
    uint8_t* dest = GetData(0);
    if (!dest || !file.Seek(header.dataStart) || file.Read(dest, header.dataBytes) != header.dataBytes) {
      Free();
      ErrorBox("error9 ");
      return 4;
    }
  }
  file.Seek(EndOfDataChunk(header, file.Size()));
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

bool CWave::LoadWaveFile(const std::string& path) { return LoadWaveFile(path, ChannelPick{}); }

bool CWave::LoadWaveFile(const std::string& path, const ChannelPick& pick, const std::string& shownName) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  FileStream file;
  if (!file.Open(path, FileStream::Mode::Read)) {
    AppMessage("Failed to open file");
    return false;
  }
  const AudioReadResult read = ReadAudio(file, *this, pick);
  if (read.outcome == AudioReadOutcome::kFailed) {
    AppMessage("Failed to load file");
    AppMessage(CannotOpenMessage(shownName.empty() ? path : shownName, read.unreadableNote));
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
