#pragma once
// CWave: the one container of PCM samples.
//
// Vocabulary used throughout the system:
//  - frame: one sample per channel; positions and lengths of sample data count frames.
//  - sample: one channel's value inside a frame.
//  - sample scale: integers -32768..32767 (a 16-bit sample is its own value; an 8-bit byte
//    x is ((x-128) << 8) + ((x-128) & 0xFF), so 0 -> -32640, 128 -> 0, 255 -> 32639).
//  - level scale: floating, full scale 10000 (8-bit: (x-128) * 78.125; 16-bit:
//    s * 10000/32768). Spectra, trigger levels and level references use it.
//  - channel selector: 0 none, 1 left (or the only channel), 2 right, 3 both (reads give
//    the mean, writes store into both channels).
//
// Frames are interleaved (left first) in one block; 8-bit samples are unsigned bytes with
// silence at 128, every other width is handled as signed little-endian 16-bit words.
// Addresses from GetData stay valid until the next operation that resizes or frees the block.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/wave/sample_buffer.h"
#include "core/wave/source_format.h"
#include "core/wave/wave_format.h"

class CArchive;
class ByteStream;
struct ChannelPick;
class WaveDevice;
class WorkProgress;
struct GeneratorSettings;

enum ChannelSelector : int {
  kChannelNone = 0,
  kChannelLeft = 1,
  kChannelRight = 2,
  kChannelBoth = 3,
};

inline constexpr int kDeviceSlotCount = 64;

// Modes and the refusal of CWave::Overlay.
enum OverlayMode : int { kOverlayOverwrite = 0, kOverlayInsertAtFirst = 1, kOverlayInsertAtLast = 2 };
inline constexpr int kOverlayNoMemory = -1;

// Cleared for the rest of the run by the first temporary-file failure; from then on all
// work is done in memory.
extern bool UseTempFiles;

class CWave {
 public:
  CWave() = default;
  ~CWave();
  CWave(const CWave&) = delete;
  CWave& operator=(const CWave&) = delete;

  // --- format ---
  // Frees the samples, stores rate, bits and channels, derives block alignment and bytes
  // per second, clears the wrapped flag. Format tag and extra size stay.
  void SetFormat(uint32_t rate, uint16_t bits, uint16_t channels);
  void SetWaveFormat(const WaveFormatRecord& record);
  void GetFormat(uint32_t& rate, uint16_t& bits, uint16_t& channels) const;
  void GetWaveFormat(WaveFormatRecord& record) const { record = format_; }
  const WaveFormatRecord& Format() const { return format_; }

  uint32_t FrameCount() const { return frameCount_; }
  uint32_t DataSize() const { return dataSize_; }
  uint16_t Channels() const { return format_.channels; }
  uint32_t Rate() const { return format_.samplesPerSec; }
  uint16_t Bits() const { return format_.bitsPerSample; }
  uint16_t BlockAlign() const { return format_.blockAlign; }
  bool IsWrapped() const { return wrapped_ != 0; }
  bool IsRing() const { return ring_ != 0; }
  const std::string& Comment() const { return comment_; }
  // What the samples were before they were imported from another audio format; none for
  // waves read as they are, recorded or made here. Released with the samples.
  const std::optional<SourceFormat>& Source() const { return source_; }
  void SetSource(std::optional<SourceFormat> source) { source_ = std::move(source); }

  // --- storage ---
  // Frames of silence (0 for 16 bits, 128 for 8 bits); false, and no frames, when the
  // memory is refused or the format has no bytes per frame.
  bool Allocate(uint32_t frames);
  // As Allocate, but leaves the bytes undefined: for a caller that overwrites them all.
  bool AllocateForOverwrite(uint32_t frames);
  void Free();
  bool CopyFrom(const CWave& source);
  // Moves the other wave's format and samples into this one (which is freed first, ending
  // any device use); the other wave is left empty. The device attachment stays as it was.
  void TakeSamplesFrom(CWave& other);
  // Takes a block filled elsewhere (a decoder) as the samples: frames in this wave's format,
  // the block holding at least frames x block alignment bytes.
  void AdoptBlock(SampleBuffer&& block, uint32_t frames);
  // Address of a frame inside the block, or nullptr without a block.
  uint8_t* GetData(uint32_t frame = 0);
  const uint8_t* GetData(uint32_t frame = 0) const;
  void Unlock() {}
  // Removes frames [from, to); to 0 or beyond the end means the frame count.
  bool Delete(uint32_t from, uint32_t to);
  // Turns a stopped ring recording into a plain one: keeps everything but the second
  // after position, oldest first. False (nothing changes) for a buffer of a second or less.
  bool Linearize(uint32_t position);
  // Opens a gap of frames of silence before frame at (at or past the end: appends). False,
  // with the wave unchanged, when the memory is refused. A block at the device is stopped.
  bool InsertFrames(uint32_t at, uint32_t frames);

  // --- sample access (every position passes through WrapPosition) ---
  double GetValue(uint32_t position, int selector) const;
  int GetSample(uint32_t position, int selector) const;
  int GetLR(uint32_t position, int& left, int& right, bool subtract) const;
  void SetSample(uint32_t position, int value, int selector);
  // Level-scale values of count consecutive positions, exactly as GetValue gives them.
  void GetValues(uint32_t position, uint32_t count, int selector, double* out) const;
  // Sparse extremes of [from, to) for drawing (at most about 100 samples read): nearer is
  // the extreme closer to the reference, farther the other one.
  void GetMinMax(uint32_t from, uint32_t to, double& nearer, double& farther, double reference,
                 int selector) const;
  uint32_t WrapPosition(uint32_t position) const;
  uint32_t AdjustForWrap(uint32_t position, uint32_t reference) const;
  // Scales [start, end] about anchor by factor, not beyond limit; true at an edge.
  bool ZoomRange(uint32_t& start, uint32_t& end, uint32_t anchor, double factor,
                 uint32_t limit) const;
  uint32_t MsToFrames(uint32_t ms) const;

  // --- editing (the arithmetic lives in core/dsp/edit_kernels; wave_edit.cpp) ---
  // Ranges are first and last frame, both included, limited to the frames there are; a
  // selector above 3 counts as 3 and selector 0 does nothing. Per-channel operations treat
  // both channels of a stereo wave alike. Every written value is limited to the scale.
  //
  // Largest magnitude on the 16-bit scale (an 8-bit peak reaches 32768); 0 when last < first.
  int GetPeak(uint32_t first, uint32_t last, int selector) const;
  // sample x gain / 100; with soft edges the gain moves from 100 to percent and back over
  // 10 ms (at most half the range) at each end. Nothing happens when first >= last.
  void ChangeLevel(uint32_t first, uint32_t last, int percent, bool softEdges, int selector);
  // Frame k of n gets gain start + k x (end - start) / n. Nothing when first >= last.
  void Fade(uint32_t first, uint32_t last, int startPercent, int endPercent, int selector);
  // Mixes the source range into this wave's range over their common length: adds, or
  // averages; smoothing fades the source in and out over 10 ms. Always 0.
  int Mix(const CWave& source, uint32_t sourceFirst, uint32_t sourceLast, uint32_t destFirst,
          uint32_t destLast, bool smoothing, bool average, int sourceSelector, int destSelector);
  // Copies the source range into this wave: mode kOverlayOverwrite over the destination
  // range (at most its length), kOverlayInsertAtFirst / kOverlayInsertAtLast inserted there,
  // the wave growing. Smoothing cross-fades 10 ms at each end. 1 when the length changed,
  // 0 when not, kOverlayNoMemory (wave unchanged) when the larger block was refused.
  int Overlay(const CWave& source, uint32_t sourceFirst, uint32_t sourceLast, uint32_t destFirst,
              uint32_t destLast, bool smoothing, int mode, int sourceSelector, int destSelector);
  void Reverse(uint32_t first, uint32_t last, int selector);
  // Echo in place: every frame a >= the delay gets percent % of frame a - delay added,
  // going forward, so the echo repeats. Nothing when first >= last.
  void Delay(uint32_t first, uint32_t last, uint32_t delayMs, int percent, int selector);

  // --- persistence ---
  // The wave record: format record, data size, frame count, sample bytes. Loading checks
  // every size against the record and what the archive holds; false on a refused record
  // (the archive is then failed and the wave empty).
  bool Serialize(CArchive& ar);
  std::string SaveToTempFile();
  bool LoadFromFile(const std::string& path);
  // WAVE files (wave_file.cpp). LoadWaveFile opens every audio file the program reads
  // (audio_file.h): other types are imported as 16-bit PCM, with the two channels picked
  // from a file of more (1 and 2 unless told).
  bool LoadWaveFile(const std::string& path);
  // shownName names the file in messages where path is not what the user gave (a copy of
  // standard input); empty: the path itself.
  bool LoadWaveFile(const std::string& path, const ChannelPick& pick, const std::string& shownName = "");
  bool SaveWaveFile(const std::string& path, uint32_t from, uint32_t to);
  int ReadWave(ByteStream& file);
  int WriteWave(ByteStream& file, uint32_t from, uint32_t to);

  // --- format conversion (core/dsp/format_conversion.cpp) ---
  // Converts the wave in place to the rate, bits (8 or 16) and channels (1 or 2); one
  // channel from two is the half sum, or with subtract the half difference. True when
  // converted; false leaves the wave as it was (refused arguments, no memory, a temporary
  // file that could not be written, or a stop asked through progress, which is told the
  // source frame reached every kPumpIntervalFrames frames). A wave of 9 frames or fewer is
  // not resampled: it only takes the new format, empty, and the result is false.
  bool ConvertFormat(uint32_t rate, uint16_t bits, uint16_t channels, bool subtract,
                     WorkProgress* progress = nullptr);

  // --- wave generator (core/dsp/generator.cpp) ---
  // Fills the existing frames with the settings' components at the wave's own rate: the
  // first component overwrites, every later one is added. False, and nothing changes, when
  // there are no frames, no components, a level sum of 0 or a repetition of no frames.
  bool Generate(const GeneratorSettings& settings);

  // --- sound device ---
  void SetDevice(WaveDevice* device) { device_ = device; }
  WaveDevice* Device() const { return device_; }
  bool Play(uint32_t from, uint32_t count);
  bool Record(uint32_t from, uint32_t count);
  bool RecordRing();
  bool Stop();
  void OnPlayDone(uint32_t position) { lastPlayPosition_ = position; }
  void OnRecordDone(uint32_t position);
  void MarkQueued(int slot);
  void ClearQueued(int slot);
  bool IsBusy() const;
  uint32_t GetRecordPosition();
  uint32_t GetPlayPosition();
  uint32_t LastRecordPosition() const { return lastRecordPosition_; }
  uint32_t LastPlayPosition() const { return lastPlayPosition_; }

 private:
  bool AllocateBlock(uint32_t frames, SampleBuffer::Fill fill);
  uint32_t CurrentDevicePosition(int direction, uint32_t last);
  int ReadSampleAt(uint32_t frame, int channelIndex) const;
  double ReadLevelAt(uint32_t frame, int channelIndex) const;

  WaveFormatRecord format_{};
  uint32_t dataSize_ = 0;
  uint32_t frameCount_ = 0;
  WaveDevice* device_ = nullptr;
  std::string comment_;
  std::optional<SourceFormat> source_;
  uint32_t lastRecordPosition_ = 0;
  uint32_t lastPlayPosition_ = 0;
  SampleBuffer block_;
  std::array<int, kDeviceSlotCount> queued_{};
  int ring_ = 0;
  int wrapped_ = 0;
};

// The folder of temporary files: $TMPDIR, or /tmp; without a trailing slash.
std::string TempDirectory();

// Temporary files: a unique file in the temporary directory with a three-letter prefix
// ("wft" when none is given); the file is created empty. False without a message.
bool MakeTempFileName(const char* prefix, std::string& path);

// Reports a temporary-file failure and clears UseTempFiles. Kind 1 asks whether to go on in
// memory (true for yes); kind 2 says the command is cancelled; other kinds only inform.
bool ReportTempFileError(int kind);
