#pragma once
// The sound devices of the machine behind the core's audio backend interface, on Qt
// Multimedia: a QAudioSink for playback and a QAudioSource for recording, on the sound
// server's devices.
//
// Positions are the frames actually processed: for playback, what the sink reports as
// played (it follows what is heard and keeps advancing after the sink has gone idle until
// the last frame is out), never more than was written to it; for recording, the frames
// stored into the queued blocks. A block is complete when its last frame has been played,
// or when it is full. Completions are posted through the Qt event loop and delivered on the
// thread that owns the backend (the user-interface thread), never from inside a call.
//
// Devices: the output is the server's default unless an id is given. The input is chosen by
// id, because Qt's default input is not the server's default source: the given id, else a
// device Qt marks as default, else Qt's default input.
#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/realtime/audio_backend.h"

class QAudioSink;
class QAudioSource;
class QIODevice;

class QtAudioBackend final : public QObject, public AudioBackend {
  Q_OBJECT

 public:
  struct Options {
    QByteArray outputId;  // empty: the server's default output
    QByteArray inputId;   // empty: see above
    // SONVUE_AUDIO_OUTPUT / SONVUE_AUDIO_INPUT, else PULSE_SINK / PULSE_SOURCE.
    static Options FromEnvironment();
  };

  explicit QtAudioBackend(Options options = Options::FromEnvironment(), QObject* parent = nullptr);
  ~QtAudioBackend() override;

  // True when the sound server lists at least one playback device.
  static bool HasOutputDevice();

  void SetClient(AudioClient* client) override { client_ = client; }
  AudioStatus Open(int direction, const WaveFormatRecord& format) override;
  bool IsOpen(int direction) const override;
  AudioStatus Query(int direction, const WaveFormatRecord& format) const override;
  AudioStatus Prepare(int direction, AudioHeader& header) override;
  void Unprepare(int direction, AudioHeader& header) override;
  AudioStatus Queue(int direction, AudioHeader& header) override;
  AudioStatus Start(int direction) override;
  AudioStatus Pause(int direction) override;
  std::vector<AudioHeader*> Reset(int direction) override;
  AudioStatus Close(int direction) override;
  bool Position(int direction, uint32_t& frames) override;
  std::string ErrorText(int direction) const override;

 private:
  struct OutputBlock {
    AudioHeader* header;
    uint32_t bytesWritten;
    uint64_t endFrame;  // stream frame at which the block has been played
  };
  struct Output {
    std::unique_ptr<QAudioSink> sink;
    QIODevice* io = nullptr;  // Qt deletes it when the sink stops
    WaveFormatRecord format{};
    std::deque<OutputBlock> queue;
    std::set<AudioHeader*> prepared;
    uint64_t framesQueued = 0;
    uint64_t bytesWritten = 0;
    uint64_t framesPlayed = 0;  // never decreases within one start of the sink
    bool paused = false;
    bool lost = false;
    uint64_t stalledAt = 0;
    qint64 stalledSinceMs = -1;
  };
  struct Input {
    std::unique_ptr<QAudioSource> source;
    QIODevice* io = nullptr;  // Qt deletes it when the source stops
    WaveFormatRecord format{};
    std::deque<AudioHeader*> queue;
    std::set<AudioHeader*> prepared;
    uint64_t bytesStored = 0;
    bool capturing = false;
    bool lost = false;
    std::vector<char> scratch;
  };
  struct Completion {
    int direction;
    AudioHeader* header;  // none: the device was lost
  };

  AudioStatus Fail(int direction, AudioStatus status, std::string text) const;
  AudioStatus OpenOutput(const WaveFormatRecord& format);
  AudioStatus OpenInput(const WaveFormatRecord& format);
  AudioStatus StartSink();
  void Poll();
  void PumpOutput();
  void PumpInput();
  void OnSinkState();
  void OnSourceState();
  void Lose(int direction, std::string text);
  void Post(int direction, AudioHeader* header);
  void Deliver();
  void Forget(int direction, const AudioHeader* header);
  void UpdatePollTimer();

  Options options_;
  AudioClient* client_ = nullptr;
  std::unique_ptr<Output> out_;
  std::unique_ptr<Input> in_;
  QTimer poll_;
  QElapsedTimer clock_;
  std::deque<Completion> pending_;
  bool deliveryPosted_ = false;
  mutable std::array<std::string, 2> errors_;
};
