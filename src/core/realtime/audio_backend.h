#pragma once
// The sound service behind the sound-device window (CWaveWnd), shaped like a classic
// wave-out / wave-in interface. Each direction has one device: it is opened with a wave's
// 18-byte format record, blocks of frames that stay where they are in the wave's buffer are
// queued on it in order, and each finished block comes back as a call into the client.
//
// Contract every backend keeps:
//  - Everything runs on the user-interface thread, and client calls are never made from
//    inside a backend call: they arrive later, from the event loop (or, in the simulated
//    device, from the test's clock), so the client may queue, reset or close from them.
//  - Blocks complete in the order they were queued. A playback block completes once its
//    last frame has been played; a recording block once it is full.
//  - Positions count frames since the device was opened: frames played for output, frames
//    stored into blocks for input. They never run ahead of the frames queued.
//  - After Reset, Unprepare or Close, no completion of the blocks concerned arrives.
//  - A device that goes away (server gone, device unplugged) is reported once through
//    OnDeviceLost; its blocks then never complete, and the client resets and closes it.
#include <cstdint>
#include <string>
#include <vector>

#include "core/wave/wave_format.h"

enum class AudioStatus {
  kOk,
  kNoDevice,   // no sound server, or no device of this direction
  kBadFormat,  // the device does not take this format
  kNotOpen,    // the call needs an open device
  kRefused,    // the device refused the block or the request
  kLost,       // the device went away
  kFailed,     // anything else the device reported
};

// One block handed to a device: where its bytes are and which slot of the sound-device
// window owns it. The header never owns the bytes; they belong to the wave.
struct AudioHeader {
  AudioHeader() { ++liveCount; }
  ~AudioHeader() { --liveCount; }
  AudioHeader(const AudioHeader&) = delete;
  AudioHeader& operator=(const AudioHeader&) = delete;

  uint8_t* data = nullptr;     // first byte of the block inside the wave's buffer
  uint32_t byteCount = 0;      // frames × block alignment
  uint32_t bytesRecorded = 0;  // recording: bytes stored so far
  int slot = -1;               // the owner's slot number

  // Headers alive in the process; lets the tests see that every failure path frees its own.
  static inline int liveCount = 0;
};

// Receives the completions of a backend.
class AudioClient {
 public:
  virtual ~AudioClient() = default;
  virtual void OnOutputDone(AudioHeader& header) = 0;
  virtual void OnInputData(AudioHeader& header) = 0;
  virtual void OnDeviceLost(int direction) = 0;
};

// Directions are WaveDevice::kInput (1) and WaveDevice::kOutput (2).
class AudioBackend {
 public:
  virtual ~AudioBackend() = default;

  virtual void SetClient(AudioClient* client) = 0;

  // Opens the device of the direction for blocks of this format.
  virtual AudioStatus Open(int direction, const WaveFormatRecord& format) = 0;
  virtual bool IsOpen(int direction) const = 0;
  // kOk when the device is open and takes blocks of this format; nothing is opened.
  virtual AudioStatus Query(int direction, const WaveFormatRecord& format) const = 0;

  // Makes a header known to the open device before it is queued; Unprepare forgets it
  // again (taking it out of the queue if it is still there). Unprepare of a closed
  // direction does nothing.
  virtual AudioStatus Prepare(int direction, AudioHeader& header) = 0;
  virtual void Unprepare(int direction, AudioHeader& header) = 0;
  // Hands a prepared block to the device: playback starts with the first block (unless
  // paused); recording fills it once started.
  virtual AudioStatus Queue(int direction, AudioHeader& header) = 0;

  // Input: start capturing. Output: resume after Pause. Starting a running device is fine.
  virtual AudioStatus Start(int direction) = 0;
  // Output: hold playback where it is. Input: stop capturing. The position stays readable.
  virtual AudioStatus Pause(int direction) = 0;
  // Stops at once and returns the blocks that had not completed, oldest first. The device
  // stays open; its position starts again from 0.
  virtual std::vector<AudioHeader*> Reset(int direction) = 0;
  // Closes the device. Fails (and stays open) while blocks are still queued.
  virtual AudioStatus Close(int direction) = 0;

  // The position in frames; false when the device is not open or cannot tell.
  virtual bool Position(int direction, uint32_t& frames) = 0;

  // Why the last failing call of the direction failed, one Japanese sentence for the user.
  virtual std::string ErrorText(int direction) const = 0;
};
