// Decoding through libsndfile, reading from a ByteStream through its virtual I/O, so that
// files and blocks of memory (the fuzzer's input) go the same way.
#include "core/wave/audio_import.h"

#include <sndfile.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "core/io/byte_stream.h"
#include "core/wave/sample_buffer.h"
#include "core/wave/sample_rounding.h"
#include "core/wave/text_join.h"
#include "core/wave/wave.h"

namespace {

constexpr int kOpenedBits = 16;
constexpr size_t kBytesPerOpenedSample = 2;
// One read of the decoder: about a million samples over all channels.
constexpr sf_count_t kSamplesPerRead = sf_count_t{1} << 20;
// Where the header does not say how long the file is, the block starts this long and grows.
constexpr uint64_t kUnknownLengthStartFrames = uint64_t{1} << 20;

// --- virtual I/O over a ByteStream ---

sf_count_t StreamLength(void* user) { return static_cast<sf_count_t>(static_cast<ByteStream*>(user)->Size()); }

sf_count_t StreamSeek(sf_count_t offset, int whence, void* user) {
  auto* s = static_cast<ByteStream*>(user);
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<sf_count_t>(s->Tell());
  else if (whence == SEEK_END) base = static_cast<sf_count_t>(s->Size());
  else if (whence != SEEK_SET) return -1;
  if ((offset > 0 && base > std::numeric_limits<sf_count_t>::max() - offset) || base + offset < 0) return -1;
  // A position past the end is allowed (as for a file); reads there give nothing.
  if (!s->Seek(static_cast<uint64_t>(base + offset))) return -1;
  return static_cast<sf_count_t>(s->Tell());
}

sf_count_t StreamRead(void* dest, sf_count_t count, void* user) {
  if (count <= 0) return 0;
  return static_cast<sf_count_t>(static_cast<ByteStream*>(user)->Read(dest, static_cast<size_t>(count)));
}

sf_count_t StreamWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t StreamTell(void* user) { return static_cast<sf_count_t>(static_cast<ByteStream*>(user)->Tell()); }

// The decoder's reasons, said the program's way (the library's own texts name causes that
// reading through virtual I/O cannot have, such as a pipe).
std::string DecoderReason(int error) {
  switch (error) {
    case SF_ERR_UNRECOGNISED_FORMAT: return "形式を判別できません";
    case SF_ERR_SYSTEM: return "ファイルを読めません";
    case SF_ERR_UNSUPPORTED_ENCODING: return "この符号化には対応していません";
    default: return "ファイルが壊れているか、途中で終わっています";
  }
}

struct SndFileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndFilePtr = std::unique_ptr<SNDFILE, SndFileCloser>;

// --- what the file is ---

std::string ContainerName(int major) {
  switch (major) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX: return "WAVE";
    case SF_FORMAT_RF64: return "RF64";
    case SF_FORMAT_W64: return "Wave64";
    case SF_FORMAT_AIFF: return "AIFF";
    case SF_FORMAT_CAF: return "CAF";
    case SF_FORMAT_FLAC: return "FLAC";
    case SF_FORMAT_OGG: return "Ogg";
    case SF_FORMAT_MPEG: return "MPEG";
    case SF_FORMAT_AU: return "AU";
    case SF_FORMAT_RAW: return "raw";
    case SF_FORMAT_PAF: return "PARIS";
    case SF_FORMAT_SVX: return "IFF/SVX";
    case SF_FORMAT_NIST: return "NIST SPHERE";
    case SF_FORMAT_VOC: return "VOC";
    case SF_FORMAT_IRCAM: return "IRCAM";
    case SF_FORMAT_MAT4: return "MAT4";
    case SF_FORMAT_MAT5: return "MAT5";
    case SF_FORMAT_PVF: return "PVF";
    case SF_FORMAT_XI: return "XI";
    case SF_FORMAT_HTK: return "HTK";
    case SF_FORMAT_SDS: return "SDS";
    case SF_FORMAT_AVR: return "AVR";
    case SF_FORMAT_SD2: return "SD2";
    case SF_FORMAT_WVE: return "WVE";
    case SF_FORMAT_MPC2K: return "MPC2K";
    default: return "audio";
  }
}

// Width and codec of the encoding; whether it is read through floating point.
void DescribeEncoding(int sub, SourceFormat& s, bool& readAsFloat) {
  readAsFloat = false;
  switch (sub) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: s.bitsPerSample = 8; break;
    case SF_FORMAT_PCM_16: s.bitsPerSample = 16; break;
    case SF_FORMAT_PCM_24: s.bitsPerSample = 24; break;
    case SF_FORMAT_PCM_32: s.bitsPerSample = 32; break;
    case SF_FORMAT_FLOAT:
      s.bitsPerSample = 32;
      s.floatingPoint = true;
      readAsFloat = true;
      break;
    case SF_FORMAT_DOUBLE:
      s.bitsPerSample = 64;
      s.floatingPoint = true;
      readAsFloat = true;
      break;
    case SF_FORMAT_ULAW: s.codec = "u-law"; break;
    case SF_FORMAT_ALAW: s.codec = "A-law"; break;
    case SF_FORMAT_IMA_ADPCM: s.codec = "IMA ADPCM"; break;
    case SF_FORMAT_MS_ADPCM: s.codec = "MS ADPCM"; break;
    case SF_FORMAT_GSM610: s.codec = "GSM 6.10"; break;
    case SF_FORMAT_VOX_ADPCM: s.codec = "VOX ADPCM"; break;
    case SF_FORMAT_G721_32:
    case SF_FORMAT_G723_24:
    case SF_FORMAT_G723_40: s.codec = "G.72x ADPCM"; break;
    case SF_FORMAT_DWVW_12:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_DWVW_24:
    case SF_FORMAT_DWVW_N: s.codec = "DWVW"; break;
    case SF_FORMAT_DPCM_8:
    case SF_FORMAT_DPCM_16: s.codec = "DPCM"; break;
    case SF_FORMAT_ALAC_16: s.codec = "ALAC 16 bits"; break;
    case SF_FORMAT_ALAC_20: s.codec = "ALAC 20 bits"; break;
    case SF_FORMAT_ALAC_24: s.codec = "ALAC 24 bits"; break;
    case SF_FORMAT_ALAC_32: s.codec = "ALAC 32 bits"; break;
    // The lossy codecs decode to floating point; reading them so avoids a second rounding.
    case SF_FORMAT_VORBIS: s.codec = "Vorbis"; readAsFloat = true; break;
    case SF_FORMAT_OPUS: s.codec = "Opus"; readAsFloat = true; break;
    case SF_FORMAT_MPEG_LAYER_I: s.codec = "Layer I"; readAsFloat = true; break;
    case SF_FORMAT_MPEG_LAYER_II: s.codec = "Layer II"; readAsFloat = true; break;
    case SF_FORMAT_MPEG_LAYER_III: s.codec = "Layer III"; readAsFloat = true; break;
    default: s.codec = Join("encoding ", Hex4(static_cast<unsigned>(sub)));
  }
}

// Whether every frame takes a fixed number of bytes in the file (uncompressed containers
// of plain samples), so that a header's length can be checked against the file's size.
bool FixedBytesPerFrame(int major, int sub, const SourceFormat& s) {
  if (major == SF_FORMAT_FLAC || major == SF_FORMAT_OGG || major == SF_FORMAT_MPEG) return false;
  return s.codec.empty() || sub == SF_FORMAT_ULAW || sub == SF_FORMAT_ALAW;
}

struct OpenFile {
  SndFilePtr file;
  SF_INFO info{};
  bool readAsFloat = false;
  bool readAsDouble = false;
  int channelA = 0;  // 0-based channels to open
  int channelB = -1;  // -1 for one channel
  // An MPEG stream's length is estimated from its size and bit rate where it carries no
  // frame count, so only a clear shortfall counts as an early end.
  bool lengthEstimated = false;
};

ImportStatus Open(ByteStream& stream, SF_VIRTUAL_IO& io, const ChannelPick& pick, ImportReport& report,
                  OpenFile& open) {
  report = ImportReport{};
  io = {StreamLength, StreamSeek, StreamRead, StreamWrite, StreamTell};
  if (!stream.Seek(0)) return ImportStatus::kUnreadable;
  open.file.reset(sf_open_virtual(&io, SFM_READ, &open.info, &stream));
  if (!open.file) {
    report.decoderMessage = DecoderReason(sf_error(nullptr));
    return ImportStatus::kUnreadable;
  }
  const SF_INFO& info = open.info;
  const int major = info.format & SF_FORMAT_TYPEMASK;
  const int sub = info.format & SF_FORMAT_SUBMASK;
  SourceFormat& s = report.source;
  s.container = ContainerName(major);
  DescribeEncoding(sub, s, open.readAsFloat);
  if (major == SF_FORMAT_MPEG && sub == SF_FORMAT_MPEG_LAYER_III) {
    s.container = "MP3";
    s.codec.clear();
  }
  open.readAsDouble = sub == SF_FORMAT_DOUBLE;
  open.lengthEstimated = major == SF_FORMAT_MPEG;
  if (info.channels < 1 || info.samplerate < 1) {
    report.decoderMessage = "チャンネルがないか、サンプリング周波数が 0 Hz です";
    return ImportStatus::kBadFormat;
  }
  s.rateHz = static_cast<uint32_t>(info.samplerate);
  s.channelCount = info.channels;
  if (info.channels == 1) {
    s.firstChannel = 1;
    s.secondChannel = 0;
  } else {
    if (pick.first < 1 || pick.second < 1 || pick.first > info.channels || pick.second > info.channels) {
      return ImportStatus::kBadPick;
    }
    s.firstChannel = pick.first;
    s.secondChannel = pick.second;
    open.channelA = pick.first - 1;
    open.channelB = pick.second - 1;
  }
  // A length the header cannot vouch for (unknown, or more than a fixed-width encoding can
  // fit into the file) is not believed.
  report.lengthKnown = info.frames >= 0 && info.frames != SF_COUNT_MAX;
  uint64_t claimed = report.lengthKnown ? static_cast<uint64_t>(info.frames) : 0;
  if (claimed > 0 && FixedBytesPerFrame(major, sub, s) && s.bitsPerSample > 0) {
    const uint64_t bytesPerFrame = uint64_t(s.bitsPerSample / 8) * static_cast<uint64_t>(info.channels);
    claimed = std::min(claimed, stream.Size() / std::max<uint64_t>(bytesPerFrame, 1));
  }
  report.framesClaimed = claimed;
  return ImportStatus::kOk;
}

// Reads frames of every channel into the scratch buffer and writes the picked ones,
// rounded, into dest. Returns the frames read.
template <typename Sample>
sf_count_t ReadAndRound(SNDFILE* file, std::vector<Sample>& scratch, sf_count_t frames, int channels,
                        int a, int b, int16_t* dest, RoundingCounts& counts) {
  sf_count_t got;
  if constexpr (std::is_same_v<Sample, int32_t>) got = sf_readf_int(file, scratch.data(), frames);
  else if constexpr (std::is_same_v<Sample, float>) got = sf_readf_float(file, scratch.data(), frames);
  else got = sf_readf_double(file, scratch.data(), frames);
  if (got <= 0) return 0;
  const Sample* in = scratch.data();
  for (sf_count_t i = 0; i < got; ++i, in += channels) {
    if constexpr (std::is_same_v<Sample, int32_t>) {
      *dest++ = RoundFullScaleInt(in[a], counts);
      if (b >= 0) *dest++ = RoundFullScaleInt(in[b], counts);
    } else {
      *dest++ = RoundFullScaleFloat(in[a], counts);
      if (b >= 0) *dest++ = RoundFullScaleFloat(in[b], counts);
    }
  }
  return got;
}

template <typename Sample>
ImportStatus Decode(OpenFile& open, SampleBuffer& block, uint64_t limit, ImportReport& report) {
  const int channels = open.info.channels;
  const int opened = open.channelB >= 0 ? 2 : 1;
  const size_t bytesPerFrame = kBytesPerOpenedSample * static_cast<size_t>(opened);
  const sf_count_t framesPerRead = std::max<sf_count_t>(1, kSamplesPerRead / channels);
  std::vector<Sample> scratch;
  try {
    scratch.resize(static_cast<size_t>(framesPerRead) * static_cast<size_t>(channels));
  } catch (const std::bad_alloc&) {
    return ImportStatus::kNoMemory;
  }
  // The block is reserved for the claimed length (its pages cost memory only when the
  // frames arrive); a length the header does not know starts small and doubles.
  uint64_t capacity = std::min(report.framesClaimed > 0 ? report.framesClaimed : kUnknownLengthStartFrames, limit);
  capacity = std::max<uint64_t>(capacity, 1);
  if (!block.Allocate(capacity * bytesPerFrame, SampleBuffer::Fill::Reserve)) {
    capacity = std::min(capacity, kUnknownLengthStartFrames);
    if (!block.Allocate(capacity * bytesPerFrame, SampleBuffer::Fill::Reserve)) return ImportStatus::kNoMemory;
  }
  RoundingCounts counts;
  uint64_t frames = 0;
  for (;;) {
    if (frames == capacity) {
      if (capacity == limit) {
        // Full: one more frame means the file is longer than the model can hold.
        std::vector<Sample> probe(static_cast<size_t>(channels));
        if constexpr (std::is_same_v<Sample, int32_t>) report.cutAtLimit = sf_readf_int(open.file.get(), probe.data(), 1) > 0;
        else if constexpr (std::is_same_v<Sample, float>) report.cutAtLimit = sf_readf_float(open.file.get(), probe.data(), 1) > 0;
        else report.cutAtLimit = sf_readf_double(open.file.get(), probe.data(), 1) > 0;
        break;
      }
      const uint64_t grown = std::min(limit, capacity * 2);
      if (!block.Resize(grown * bytesPerFrame)) return ImportStatus::kNoMemory;
      capacity = grown;
    }
    const auto want = static_cast<sf_count_t>(std::min<uint64_t>(static_cast<uint64_t>(framesPerRead), capacity - frames));
    auto* dest = reinterpret_cast<int16_t*>(block.Data() + frames * bytesPerFrame);
    const sf_count_t got = ReadAndRound(open.file.get(), scratch, want, channels, open.channelA, open.channelB, dest, counts);
    if (got <= 0) break;
    frames += static_cast<uint64_t>(got);
  }
  report.framesRead = frames;
  report.clippedSamples = counts.clipped;
  report.nonFiniteSamples = counts.nonFinite;
  if (const int error = sf_error(open.file.get()); error != SF_ERR_NO_ERROR) {
    report.decodeError = true;
    report.decoderMessage = DecoderReason(error);
  }
  const uint64_t shortfallAllowed = open.lengthEstimated ? report.framesClaimed / 100 : 0;
  if (frames + shortfallAllowed < report.framesClaimed && !report.cutAtLimit) report.endedEarly = true;
  if (frames == 0) {
    block.Free();
    // Only a file that says it is empty is an empty wave; no frame from a file that claims
    // some, or does not say, is a failure.
    const bool empty = report.lengthKnown && report.framesClaimed == 0 && !report.decodeError;
    return empty ? ImportStatus::kOk : ImportStatus::kNoFrames;
  }
  if (frames < capacity && !block.Resize(frames * bytesPerFrame)) return ImportStatus::kNoMemory;
  return ImportStatus::kOk;
}

}  // namespace

uint32_t MaxImportFrames(int openedChannels) {
  return static_cast<uint32_t>(std::numeric_limits<uint32_t>::max() / (kBytesPerOpenedSample * static_cast<size_t>(openedChannels)));
}

ImportStatus ProbeAudio(ByteStream& file, const ChannelPick& pick, ImportReport& report) {
  SF_VIRTUAL_IO io;
  OpenFile open;
  return Open(file, io, pick, report, open);
}

ImportStatus ImportAudio(ByteStream& file, CWave& wave, const ChannelPick& pick, ImportReport& report) {
  wave.Free();
  SF_VIRTUAL_IO io;
  OpenFile open;
  if (ImportStatus status = Open(file, io, pick, report, open); status != ImportStatus::kOk) return status;
  const int opened = open.channelB >= 0 ? 2 : 1;
  const uint64_t limit = MaxImportFrames(opened);
  SampleBuffer block;
  ImportStatus status;
  if (open.readAsDouble) status = Decode<double>(open, block, limit, report);
  else if (open.readAsFloat) status = Decode<float>(open, block, limit, report);
  else status = Decode<int32_t>(open, block, limit, report);
  if (status != ImportStatus::kOk) return status;
  WaveFormatRecord format;  // plain PCM, whatever the wave held before
  format.channels = static_cast<uint16_t>(opened);
  format.samplesPerSec = report.source.rateHz;
  format.bitsPerSample = kOpenedBits;
  format.blockAlign = static_cast<uint16_t>(opened * kBytesPerOpenedSample);
  format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
  wave.SetWaveFormat(format);
  wave.AdoptBlock(std::move(block), static_cast<uint32_t>(report.framesRead));
  wave.SetSource(report.source);
  return ImportStatus::kOk;
}
