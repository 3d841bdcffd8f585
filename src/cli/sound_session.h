#pragma once
// What sonvue-cli's play and record need to reach the sound devices: a Qt event loop, the
// real sound backend and the sound-device window, and a way to wait for a wave's use of
// the device to end (by itself, by Ctrl-C, or because the device stopped answering).
#include <cstdint>
#include <memory>

#include "core/realtime/wave_wnd.h"

class CWave;
class QCoreApplication;
class QtAudioBackend;

class CliSoundSession {
 public:
  enum class Outcome { kDone, kInterrupted, kTimedOut };

  CliSoundSession();
  ~CliSoundSession();
  CliSoundSession(const CliSoundSession&) = delete;
  CliSoundSession& operator=(const CliSoundSession&) = delete;

  CWaveWnd& Device() { return *wnd_; }

  // Runs the event loop while the wave is busy with the device. SIGINT or SIGTERM stops the
  // wave (kInterrupted); so does a device that has not finished after timeoutMs (kTimedOut).
  // Either way the position reached has been reported to the wave when this returns.
  Outcome WaitWhileBusy(CWave& wave, uint64_t timeoutMs);

 private:
  std::unique_ptr<QCoreApplication> app_;
  std::unique_ptr<QtAudioBackend> backend_;
  std::unique_ptr<CWaveWnd> wnd_;
};

// The extra time a device may take beyond the sound's own length before it is given up.
inline constexpr uint64_t kDeviceGraceMs = 10000;
