#include "core/wave/audio_file.h"

#include <cstdio>
#include <cstring>

#include "core/io/byte_stream.h"
#include "core/platform/prompt.h"
#include "core/wave/text_join.h"
#include "core/wave/wave.h"
#include "core/wave/wave_header.h"

namespace {

constexpr int kOpenedBits = 16;
constexpr size_t kSniffBytes = 64;

bool StartsWith(const uint8_t* bytes, size_t count, size_t at, const char* text) {
  const size_t n = std::strlen(text);
  return at + n <= count && std::memcmp(bytes + at, text, n) == 0;
}

std::string FirstBytes(const uint8_t* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; i < std::min<size_t>(count, 8); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", bytes[i]);
    text += hex;
  }
  return text;
}

std::string DescribeWaveHeader(WaveHeaderStatus status, const WaveFileHeader& h) {
  if (!h.formatRead) {
    return status == WaveHeaderStatus::kNoFormat ? "RIFF/WAVE（fmt チャンクなし）" : "RIFF/WAVE（fmt チャンクが壊れています）";
  }
  std::string text = Join("RIFF/WAVE、形式タグ ", Hex4(h.fileFormatTag));
  if (h.extensible) text += Join("（サブフォーマット ", Hex4(h.subFormatTag), "）");
  const WaveFormatRecord& f = h.format;
  return text + Join("、", f.bitsPerSample, "ビット、", f.channels, "チャンネル、", f.samplesPerSec, " Hz");
}

// Names what the first bytes of a file show, for the message about a file nothing could read.
std::string DescribeContent(ByteStream& file, uint64_t start) {
  uint8_t b[kSniffBytes] = {};
  size_t n = file.Seek(start) ? file.Read(b, sizeof b) : 0;
  if (n == 0) return "空のファイル";
  if (StartsWith(b, n, 0, "RIFF") && StartsWith(b, n, 8, "WAVE")) {
    file.Seek(start);
    WaveFileHeader header;
    WaveHeaderStatus status = ReadWaveHeader(file, WaveFormatRecord{}, header);
    return DescribeWaveHeader(status, header);
  }
  if (StartsWith(b, n, 0, "RIFF")) {
    return Join("RIFF（", std::string_view(reinterpret_cast<const char*>(b + 8), n >= 12 ? 4 : 0), "）");
  }
  if (StartsWith(b, n, 0, "RF64")) return "RF64";
  if (StartsWith(b, n, 0, "riff")) return "Wave64";
  if (StartsWith(b, n, 0, "fLaC")) return "FLAC";
  if (StartsWith(b, n, 0, "OggS")) {
    // The codec's identification header follows the first page header (27 bytes plus the
    // segment table).
    const size_t body = n > 26 ? 27 + b[26] : n;
    if (StartsWith(b, n, body, "\x01vorbis")) return "Ogg Vorbis";
    if (StartsWith(b, n, body, "OpusHead")) return "Ogg Opus";
    if (StartsWith(b, n, body, "\x7f" "FLAC")) return "Ogg FLAC";
    if (StartsWith(b, n, body, "Speex")) return "Ogg Speex";
    return "Ogg（不明なコーデック）";
  }
  if (StartsWith(b, n, 0, "ID3")) return "MPEG オーディオ（ID3 タグ付き）";
  if (n >= 2 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0) return "MPEG オーディオ";
  if (StartsWith(b, n, 0, "FORM") && StartsWith(b, n, 8, "AIFF")) return "AIFF";
  if (StartsWith(b, n, 0, "FORM") && StartsWith(b, n, 8, "AIFC")) return "AIFF-C";
  if (StartsWith(b, n, 0, "caff")) return "CAF";
  if (StartsWith(b, n, 0, ".snd")) return "AU";
  return Join("不明な内容（先頭のバイト ", FirstBytes(b, n), "）");
}

// Whether the stream starts with the letters RIFF and the form type WAVE.
bool StartsAsRiffWave(ByteStream& file, uint64_t start) {
  uint8_t b[12] = {};
  const bool ok = file.Seek(start) && file.Read(b, sizeof b) == sizeof b && StartsWith(b, 12, 0, "RIFF") &&
                  StartsWith(b, 12, 8, "WAVE");
  file.Seek(start);
  return ok;
}

std::string UnreadableNote(ByteStream& file, uint64_t start, const ImportReport& report) {
  std::string text = StartsAsRiffWave(file, start) ? "" : "RIFF/WAVE ファイルでも、読み込める音声ファイルでもありません。\n";
  text += Join("見つかった形式：", DescribeContent(file, start));
  if (!report.decoderMessage.empty()) text += Join("\n理由：", report.decoderMessage);
  return text;
}

// What is wrong with a RIFF/WAVE file the reader refused, in one sentence, with the numbers
// the file gave.
std::string WaveProblem(WaveHeaderStatus status, const WaveFileHeader& h, uint64_t fileSize) {
  const WaveFormatRecord& f = h.format;
  switch (status) {
    case WaveHeaderStatus::kOk: return "";
    case WaveHeaderStatus::kNoWaveForm: return "RIFF/WAVE ファイルではありません。";
    case WaveHeaderStatus::kNoFormat: return "RIFF/WAVE ファイルですが、fmt チャンクがありません。";
    case WaveHeaderStatus::kFormatShort: return "fmt チャンクが短すぎるか、ファイルの途中で切れています。";
    case WaveHeaderStatus::kNotPcm:
      return Join("形式タグ ", Hex4(h.extensible ? h.subFormatTag : h.fileFormatTag), " の符号化は読み込めません。");
    case WaveHeaderStatus::kUnsupportedPcm:
      return Join(f.bitsPerSample, " ビット、", f.channels, " チャンネル、", f.samplesPerSec,
                  " Hz の PCM は読み込めません。");
    case WaveHeaderStatus::kNoData: return "data チャンクがありません。";
    case WaveHeaderStatus::kRaggedData:
      return Join("data チャンクの ", h.dataBytes, " バイトが、", f.blockAlign,
                  " バイトのフレームに分けられません（ブロックの大きさが不正です）。");
    case WaveHeaderStatus::kDataTruncated: {
      const uint64_t there = fileSize > h.dataStart ? fileSize - h.dataStart : 0;
      std::string text = Join("データが途中で終わっています。data チャンクは ", h.dataBytes, " バイトを示していますが、ファイルには ",
                              there, " バイト");
      if (f.blockAlign > 0) text += Join("（", there / f.blockAlign, " フレーム）");
      return text + "しかありません。";
    }
  }
  return "";
}

// The sentence for a wave the reader refused after reading its header: result codes of
// CWave::ReadWave.
std::string ReaderProblem(int code, WaveHeaderStatus status, const WaveFileHeader& h, uint64_t fileSize) {
  if (status != WaveHeaderStatus::kOk) return WaveProblem(status, h, fileSize);
  if (code == 3) return Join("サンプル ", h.dataBytes, " バイトを置くメモリが足りません。");
  if (code == 4) return WaveProblem(WaveHeaderStatus::kDataTruncated, h, fileSize);
  return "ファイルを読み込めません。";
}

std::string BadPickMessage(const ImportReport& report, const ChannelPick& pick) {
  return Join("チャンネル ", pick.first, " と ", pick.second, " は選べません。このファイルのチャンネル数は ",
              report.source.channelCount, " です。");
}


// The decoder reads what a WAVE file's data chunk really holds, without saying that the
// chunk claimed more; for the encodings of fixed-size frames the header's claim is known.
void NoteShortDataChunk(const WaveFileHeader& header, ImportReport& report) {
  const WaveFormatRecord& f = header.format;
  const uint16_t tag = header.extensible ? header.subFormatTag : header.fileFormatTag;
  const bool fixedFrames = tag == kWaveFormatPcm || tag == kWaveFormatIeeeFloat;
  if (!header.hasData || !fixedFrames || f.blockAlign == 0 || header.dataBytes == 0 ||
      header.dataBytes == UINT32_MAX) {
    return;
  }
  const uint64_t claimed = header.dataBytes / f.blockAlign;
  if (claimed > report.framesRead && !report.cutAtLimit) {
    report.framesClaimed = claimed;
    report.endedEarly = true;
  }
}

// Whether a RIFF/WAVE file goes to the WAVE reader: the reader's own PCM (unless other
// channels than the two it holds are picked), and every broken file of that PCM, whose
// refusal the reader reports.
bool ForTheReader(WaveHeaderStatus status, const WaveFileHeader& header, const ChannelPick& pick) {
  if (status != WaveHeaderStatus::kOk) return !LeftToImport(status);
  return pick.IsDefault() || header.format.channels != 2;
}

}  // namespace

std::string ImportMessage(const ImportReport& r) {
  const SourceFormat& s = r.source;
  std::string text = ConversionSentenceJa(s, kOpenedBits);
  if (s.channelCount > 2 || (s.secondChannel > 0 && (s.firstChannel != 1 || s.secondChannel != 2))) {
    text += Join("\n", s.channelCount, "チャンネルのうち、チャンネル ", s.firstChannel, " と ", s.secondChannel,
                 " を開きました。");
  }
  if (r.clippedSamples > 0) {
    text += Join("\nフルスケールを超えた ", r.clippedSamples, " 個のサンプルをクリップしました。");
  }
  if (r.nonFiniteSamples > 0) {
    text += Join("\n数値でないサンプルと無限大のサンプル ", r.nonFiniteSamples, " 個を、0 とフルスケールにしました。");
  }
  if (r.cutAtLimit) {
    text += Join("\n長すぎるため、最初の ", r.framesRead, " フレームだけを読み込みました。");
  } else if (r.decodeError) {
    text += Join("\nファイルの途中でデコードできなくなったため、");
    if (r.endedEarly) text += Join(r.framesClaimed, " フレームのうち ");
    text += Join(r.framesRead, " フレームだけを読み込みました。");
  } else if (r.endedEarly) {
    text += Join("\nファイルが途中で終わっているため、", r.framesClaimed, " フレームのうち ", r.framesRead,
                 " フレームだけを読み込みました。");
  }
  return text;
}

AudioReadResult ReadAudio(ByteStream& file, CWave& wave, const ChannelPick& pick) {
  AudioReadResult result;
  const uint64_t start = file.Tell();
  // The reader's own files go to the reader, untouched by the import.
  WaveFileHeader header;
  const bool riffWave = StartsAsRiffWave(file, start);
  const WaveHeaderStatus headerStatus = riffWave ? ReadWaveHeader(file, wave.Format(), header) : WaveHeaderStatus::kNoWaveForm;
  if (riffWave && ForTheReader(headerStatus, header, pick)) {
    file.Seek(start);
    if (const int code = wave.ReadWave(file); code != 0) {
      result.unreadableNote = ReaderProblem(code, headerStatus, header, file.Size());
      return result;
    }
    result.outcome = AudioReadOutcome::kReadAsWave;
    return result;
  }
  file.Seek(start);
  ImportReport report;
  const ImportStatus status = ImportAudio(file, wave, pick, report);
  if (status == ImportStatus::kOk) {
    if (riffWave) NoteShortDataChunk(header, report);
    AppMessage(ImportMessage(report), PromptButtons::Ok, PromptIcon::Information);
    result.outcome = AudioReadOutcome::kImported;
    return result;
  }
  if (status == ImportStatus::kBadPick) {
    AppMessage(BadPickMessage(report, pick));
    return result;
  }
  // Neither way: the reader says what it says about the file (it may also find a RIFF/WAVE
  // form further on, which it then reads), then the note names what was found.
  file.Seek(start);
  if (wave.ReadWave(file) == 0) {
    result.outcome = AudioReadOutcome::kReadAsWave;
    return result;
  }
  if (status == ImportStatus::kNoMemory) report.decoderMessage = "メモリが足りません";
  if (status == ImportStatus::kNoFrames && report.decoderMessage.empty()) {
    report.decoderMessage = "デコードできるフレームがありません";
  }
  result.unreadableNote = UnreadableNote(file, start, report);
  return result;
}

AudioProbe ProbeAudioFile(ByteStream& file, const ChannelPick& pick) {
  AudioProbe probe;
  const uint64_t start = file.Tell();
  probe.riffWave = StartsAsRiffWave(file, start);
  if (probe.riffWave) {
    probe.waveStatus = ReadWaveHeader(file, WaveFormatRecord{}, probe.waveHeader);
    if (ForTheReader(probe.waveStatus, probe.waveHeader, pick)) {
      if (ShowWaveHeaderBox(probe.waveStatus) == 0) {
        probe.outcome = AudioReadOutcome::kReadAsWave;
      } else {
        probe.unreadableNote = WaveProblem(probe.waveStatus, probe.waveHeader, file.Size());
      }
      return probe;
    }
  }
  file.Seek(start);
  const ImportStatus status = ProbeAudio(file, pick, probe.import);
  if (status == ImportStatus::kOk) {
    probe.outcome = AudioReadOutcome::kImported;
    return probe;
  }
  if (status == ImportStatus::kBadPick) {
    AppMessage(BadPickMessage(probe.import, pick));
    return probe;
  }
  // As ReadAudio: the reader may still find a RIFF/WAVE form further on.
  file.Seek(start);
  WaveFileHeader header;
  const WaveHeaderStatus waveStatus = ReadWaveHeader(file, WaveFormatRecord{}, header);
  if (ShowWaveHeaderBox(waveStatus) == 0) {
    probe.riffWave = true;
    probe.waveStatus = waveStatus;
    probe.waveHeader = header;
    probe.outcome = AudioReadOutcome::kReadAsWave;
    return probe;
  }
  probe.unreadableNote = UnreadableNote(file, start, probe.import);
  return probe;
}

std::string CannotOpenMessage(const std::string& path, const std::string& reason) {
  std::string text = Join("ファイル「", path, "」を開けません。");
  if (!reason.empty()) text += Join("\n", reason);
  return text;
}

const char* AudioFilePatterns() {
  return "*.wav *.wave *.bwf *.rf64 *.w64 *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff *.aifc *.caf *.au *.snd";
}
