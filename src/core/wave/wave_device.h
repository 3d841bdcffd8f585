#pragma once
// What a wave needs of the sound device: play or record a frame range of its own buffer,
// stop, and tell where the device is. The process-wide sound-device object implements it;
// a wave without a device refuses every device operation.
#include <cstdint>
#include <string>

class CWave;

class WaveDevice {
 public:
  enum Direction : int { kInput = 1, kOutput = 2 };

  virtual ~WaveDevice() = default;
  // Queue count frames of the wave from start (count 0 or past the end: to the end).
  virtual bool PlayBlock(CWave& wave, uint32_t start, uint32_t count) = 0;
  virtual bool RecordBlock(CWave& wave, uint32_t start, uint32_t count) = 0;
  // Stop and close; the position reached is reported to the owner of the block first.
  virtual bool CloseOutput() = 0;
  virtual bool CloseInput() = 0;
  // Device positions in frames since the device was opened.
  virtual uint32_t OutputPosition() = 0;
  virtual uint32_t InputPosition() = 0;
  // Maps a device position to a frame of the wave that owns the block holding it. slot < 0
  // searches every block of the direction and returns the slot found (64 when none).
  // Returns true when the position lies inside a block.
  virtual bool MapPosition(uint32_t position, int direction, int& slot, uint32_t& frame) = 0;
  // Why the last request of the direction failed, or why the device went away while in
  // use, as a message for the user; empty when nothing failed.
  virtual std::string ErrorMessage(int direction) const { (void)direction; return {}; }
};
