#pragma once
// A sound device without hardware, for tests: time stands still until the test advances
// the clock. Playback consumes the queued blocks at the clock's pace; recording fills them
// from a source (silence, a given wave played in a loop, or loopback of what is played in
// the same instant). Completions are delivered in order as the clock passes each block end,
// so a client that queues the next block from a completion loses no frame; they can be
// held back to look at the state in between. The device can be told to refuse an opening,
// a format, a block or a close, and to disappear in the middle of a run.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/realtime/audio_backend.h"

class CWave;

class SimulatedAudio : public AudioBackend {
 public:
  enum class Source { kSilence, kWave, kLoopback };

  // --- the test's controls ---
  // Advances both devices by frames at their own rate (tests of loopback use one rate).
  void AdvanceFrames(uint32_t frames);
  // Advances by milliseconds; each device turns them into frames at its rate without drift.
  void AdvanceMs(uint32_t ms);
  // While held, completions wait until DeliverCompletions (or the hold is lifted).
  void HoldCompletions(bool hold);
  void DeliverCompletions();
  size_t PendingCompletions() const { return pending_.size(); }

  // What recording stores. kWave plays the wave from its first frame in a loop (converted
  // to the recording format on the sample scale); the wave must outlive the recording.
  void SetSource(Source source, const CWave* wave = nullptr);
  // Formats the device takes; by default 8 or 16 bits, 1 or 2 channels, 1000..192000 Hz.
  void SetFormatFilter(std::function<bool(const WaveFormatRecord&)> accepts);
  void RefuseOpen(int direction, bool refuse) { At(direction).refuseOpen = refuse; }
  void RefusePrepare(int direction, bool refuse) { At(direction).refusePrepare = refuse; }
  void RefuseQueue(int direction, bool refuse) { At(direction).refuseQueue = refuse; }
  void RefuseStart(int direction, bool refuse) { At(direction).refuseStart = refuse; }
  void FailClose(int direction, bool fail) { At(direction).failClose = fail; }
  // Both devices go away: they stop where they are, every open one is reported lost, and
  // nothing can be opened until Reappear.
  void Disappear();
  void Reappear() { gone_ = false; }

  // --- what the test can look at ---
  size_t QueuedBlocks(int direction) const { return At(direction).queue.size(); }
  size_t PreparedHeaders(int direction) const { return At(direction).prepared.size(); }
  bool IsPaused(int direction) const { return At(direction).paused; }
  bool IsCapturing() const { return At(kIn).open && !At(kIn).paused; }
  int OpenCount(int direction) const { return At(direction).openCount; }
  const WaveFormatRecord& OpenFormat(int direction) const { return At(direction).format; }

  // --- AudioBackend ---
  void SetClient(AudioClient* client) override { client_ = client; }
  AudioStatus Open(int direction, const WaveFormatRecord& format) override;
  bool IsOpen(int direction) const override { return At(direction).open; }
  AudioStatus Query(int direction, const WaveFormatRecord& format) const override;
  AudioStatus Prepare(int direction, AudioHeader& header) override;
  void Unprepare(int direction, AudioHeader& header) override;
  AudioStatus Queue(int direction, AudioHeader& header) override;
  AudioStatus Start(int direction) override;
  AudioStatus Pause(int direction) override;
  std::vector<AudioHeader*> Reset(int direction) override;
  AudioStatus Close(int direction) override;
  bool Position(int direction, uint32_t& frames) override;
  std::string ErrorText(int direction) const override { return At(direction).errorText; }

 private:
  static constexpr int kIn = 1;
  static constexpr int kOut = 2;

  struct Device {
    bool open = false;
    bool paused = false;  // output: held; input: not capturing (recording waits for Start)
    bool lost = false;
    WaveFormatRecord format{};
    std::deque<AudioHeader*> queue;  // queued and not yet completed, oldest first
    std::set<AudioHeader*> prepared;
    uint32_t headOffsetBytes = 0;  // output: bytes of the first block already played
    uint32_t position = 0;
    uint64_t msRemainder = 0;  // ms × rate not yet turned into a frame
    int openCount = 0;
    bool refuseOpen = false, refusePrepare = false, refuseQueue = false, refuseStart = false,
         failClose = false;
    mutable std::string errorText;
  };
  struct Completion {
    int direction;
    AudioHeader* header;  // none: the device was lost
  };

  Device& At(int direction) { return direction == kOut ? devices_[1] : devices_[0]; }
  const Device& At(int direction) const { return direction == kOut ? devices_[1] : devices_[0]; }
  AudioStatus Fail(int direction, AudioStatus status, std::string text) const;
  bool Runs(int direction) const;
  uint32_t FramesToNextBlockEnd(int direction) const;
  void Advance(uint32_t outFrames, uint32_t inFrames);
  void PlayFrames(uint32_t frames);
  void RecordFrames(uint32_t frames);
  void SourceFrame(int& left, int& right);
  void Forget(int direction, const AudioHeader* header);

  std::array<Device, 2> devices_;
  AudioClient* client_ = nullptr;
  std::deque<Completion> pending_;
  bool hold_ = false;
  bool delivering_ = false;
  bool gone_ = false;
  Source source_ = Source::kSilence;
  const CWave* sourceWave_ = nullptr;
  uint32_t sourceFrame_ = 0;
  // Loopback: sample-scale frames (left, right) played in the current step.
  std::vector<std::array<int, 2>> looped_;
  size_t loopedRead_ = 0;
  std::function<bool(const WaveFormatRecord&)> accepts_;
};
