#pragma once
// CWaveWnd: the program's single owner of the sound devices. It plays and records blocks of
// frames in place inside a wave's buffer, maps the device's running position back to a
// frame of the wave that owns the block, and reports the final position of each finished
// block to that wave.
//
// A block is one header covering a whole frame range of a wave: a playback normally queues
// one block for the whole range, a ring recording keeps two, one per half of the buffer. Up
// to 64 blocks are held at once, one per slot. Each direction counts the frames handed to
// its device since it was opened (the running count); a block's base is the running count
// when it was added, i.e. the device position at which the block begins.
//
// Failures are reported by return values; nothing here shows a message. LastError tells why
// the last request of a direction failed, and ErrorMessage gives the text for the user.
#include <array>
#include <cstdint>
#include <string>

#include "core/realtime/audio_backend.h"
#include "core/wave/wave_device.h"

class CWave;

class CWaveWnd : public WaveDevice, private AudioClient {
 public:
  static constexpr int kSlotCount = 64;

  struct DeviceError {
    AudioStatus status = AudioStatus::kOk;
    std::string reason;  // one Japanese sentence, empty when nothing failed
  };

  // The backend must outlive the window.
  explicit CWaveWnd(AudioBackend& backend);
  // Closes input, then output.
  ~CWaveWnd() override;
  CWaveWnd(const CWaveWnd&) = delete;
  CWaveWnd& operator=(const CWaveWnd&) = delete;

  // The completions need no window here; Create only records that the program asked for it.
  bool Create();
  bool IsCreated() const { return created_; }

  // Bit 1: output open; bit 0: input open.
  int OpenDevices() const;
  // True when that device is open and takes blocks of this format (nothing is opened).
  bool QueryOutput(const WaveFormatRecord& format) const;
  bool QueryInput(const WaveFormatRecord& format) const;
  // Opens the device for the format; when it is already open, further blocks go to the
  // same device, so the format must be the one it was opened with.
  bool OpenOutput(const WaveFormatRecord& format);
  bool OpenInput(const WaveFormatRecord& format);

  // Takes a free slot for frames [start, start + count) of the wave (count 0 or past the end:
  // to the end) and prepares its header with the device of the direction. Returns the slot,
  // or -1 (no slot free, start beyond the wave, device refused); the header is then freed.
  int AddBlock(CWave& wave, int direction, uint32_t start, uint32_t count);
  // Frees the slot's header and tells its owner the slot is no longer queued.
  void ReleaseBlock(int slot);

  // WaveDevice: queue a block for playback / recording; stop and close.
  bool PlayBlock(CWave& wave, uint32_t start, uint32_t count) override;
  bool RecordBlock(CWave& wave, uint32_t start, uint32_t count) override;
  // Reports the position reached to the owner of the block holding it, then releases every
  // block of the direction and closes. True when closed (or not open); a failed close keeps
  // the device open so that a later close can retry.
  bool CloseOutput() override;
  bool CloseInput() override;

  // The device position in frames while open; once closed, the frames queued during the
  // last opening when this direction was opened last, else 0.
  uint32_t OutputPosition() override;
  uint32_t InputPosition() override;

  // Device position -> frame of the owner wave. slot < 0 searches the blocks of the
  // direction (a block ending exactly at the position is taken when no later block holds
  // it) and returns the slot found, or 64. With a known slot, a position beyond the block
  // gives the block end. True when the position lies inside a block.
  bool MapPosition(uint32_t position, int direction, int& slot, uint32_t& frame) override;

  const DeviceError& LastError(int direction) const { return errors_[Index(direction)]; }
  // The user's message for the last failure of the direction, empty when there was none:
  // "サウンドデバイスを開けません。" or, for a device lost while in use,
  // "サウンドデバイスが使えなくなりました。", followed by the reason.
  std::string ErrorMessage(int direction) const override;

  // Bookkeeping, for the analysis run's status and the tests.
  int QueuedOutput() const { return queuedOutput_; }
  int QueuedInput() const { return queuedInput_; }
  int SlotDirection(int slot) const { return directions_.at(slot); }
  uint32_t SlotBase(int slot) const { return bases_.at(slot); }
  uint32_t SlotStart(int slot) const { return starts_.at(slot); }
  uint32_t SlotCount(int slot) const { return counts_.at(slot); }
  const CWave* SlotOwner(int slot) const { return owners_.at(slot); }
  uint32_t RunningCount(int direction) const { return running_[Index(direction)]; }
  int LastDirection() const { return lastDirection_; }

 private:
  // AudioClient: the device's completions, on the user-interface thread.
  void OnOutputDone(AudioHeader& header) override;
  void OnInputData(AudioHeader& header) override;
  void OnDeviceLost(int direction) override;

  static int Index(int direction) { return direction == kOutput ? 1 : 0; }
  bool Open(int direction, const WaveFormatRecord& format);
  bool QueueBlock(CWave& wave, int direction, uint32_t start, uint32_t count);
  bool Close(int direction);
  uint32_t Position(int direction);
  void OnBlockDone(int direction, AudioHeader& header);
  void SetError(int direction, AudioStatus status, std::string reason);

  AudioBackend& backend_;
  std::array<AudioHeader*, kSlotCount> headers_{};
  std::array<CWave*, kSlotCount> owners_{};
  std::array<int, kSlotCount> directions_{};
  int queuedOutput_ = 0;
  int queuedInput_ = 0;
  bool created_ = false;
  // One running count per direction, so that playing while recording keeps both mappings.
  std::array<uint32_t, 2> running_{};
  std::array<uint32_t, kSlotCount> bases_{};
  std::array<uint32_t, kSlotCount> starts_{};
  std::array<uint32_t, kSlotCount> counts_{};
  int lastDirection_ = kInput;
  // Set while a direction is being closed: the owner, told the position reached, may try
  // to queue its next ring half, which must not restart a device that is going away.
  std::array<bool, 2> closing_{};
  std::array<DeviceError, 2> errors_{};
};
