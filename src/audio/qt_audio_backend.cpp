#include "audio/qt_audio_backend.h"

#include <QAudioSink>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "core/wave/wave_device.h"

namespace {

constexpr int kIn = WaveDevice::kInput;
constexpr int kOut = WaveDevice::kOutput;

// The sink is fed and the positions read this often; QAudioSource itself delivers about
// every 50 ms.
constexpr int kPollMs = 10;
// A sink whose position stands still this long after the last frame was written is taken
// to have played it: the block completes rather than waiting for ever.
constexpr qint64 kStallMs = 1500;
// At most this many reads per pump, so that a source that never runs dry cannot hold the
// user interface.
constexpr int kMaxReadsPerPump = 64;

bool ToQtFormat(const WaveFormatRecord& r, QAudioFormat& f) {
  if (r.formatTag != kWaveFormatPcm || r.channels < 1 || r.channels > 2 || r.samplesPerSec == 0 ||
      r.samplesPerSec > static_cast<uint32_t>(std::numeric_limits<int>::max()) ||
      (r.bitsPerSample != 8 && r.bitsPerSample != 16) ||
      r.blockAlign != r.channels * r.bitsPerSample / 8) {
    return false;
  }
  f.setSampleRate(static_cast<int>(r.samplesPerSec));
  f.setChannelCount(r.channels);
  f.setSampleFormat(r.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
  return true;
}

std::string FormatText(const WaveFormatRecord& r) {
  return std::to_string(r.samplesPerSec) + " Hz・" + std::to_string(r.bitsPerSample) + " ビット・" +
         std::to_string(r.channels) + " チャンネル";
}

std::string QtErrorText(QAudio::Error error) {
  switch (error) {
    case QAudio::OpenError: return "デバイスを開けませんでした。";
    case QAudio::IOError: return "デバイスの読み書きに失敗しました。";
    case QAudio::FatalError: return "サウンドサーバーとの接続が切れました。";
    default: return "デバイスが応答しません。";
  }
}

QAudioDevice FindDevice(const QList<QAudioDevice>& devices, const QByteArray& id) {
  for (const QAudioDevice& d : devices) {
    if (d.id() == id) return d;
  }
  return {};
}

uint64_t UsecsToFrames(qint64 usecs, uint32_t rate) {
  if (usecs <= 0) return 0;
  return (static_cast<uint64_t>(usecs) * rate + 500000) / 1000000;
}

QByteArray EnvOr(const char* name, const char* fallback) {
  QByteArray v = qgetenv(name);
  return v.isEmpty() ? qgetenv(fallback) : v;
}

}  // namespace

QtAudioBackend::Options QtAudioBackend::Options::FromEnvironment() {
  Options o;
  o.outputId = EnvOr("SONVUE_AUDIO_OUTPUT", "PULSE_SINK");
  o.inputId = EnvOr("SONVUE_AUDIO_INPUT", "PULSE_SOURCE");
  return o;
}

QtAudioBackend::QtAudioBackend(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
  poll_.setInterval(kPollMs);
  poll_.setTimerType(Qt::PreciseTimer);
  connect(&poll_, &QTimer::timeout, this, &QtAudioBackend::Poll);
  clock_.start();
}

QtAudioBackend::~QtAudioBackend() {
  client_ = nullptr;
  for (int direction : {kIn, kOut}) {
    Reset(direction);
    Close(direction);
  }
}

bool QtAudioBackend::HasOutputDevice() { return !QMediaDevices::audioOutputs().isEmpty(); }

AudioStatus QtAudioBackend::Fail(int direction, AudioStatus status, std::string text) const {
  errors_[direction == kOut ? 1 : 0] = std::move(text);
  return status;
}

std::string QtAudioBackend::ErrorText(int direction) const { return errors_[direction == kOut ? 1 : 0]; }

bool QtAudioBackend::IsOpen(int direction) const {
  return direction == kOut ? out_ != nullptr : in_ != nullptr;
}

AudioStatus QtAudioBackend::Open(int direction, const WaveFormatRecord& format) {
  if (IsOpen(direction)) return Fail(direction, AudioStatus::kFailed, "デバイスはすでに開かれています。");
  AudioStatus s = direction == kOut ? OpenOutput(format) : OpenInput(format);
  UpdatePollTimer();
  return s;
}

AudioStatus QtAudioBackend::OpenOutput(const WaveFormatRecord& format) {
  QAudioDevice device;
  if (!options_.outputId.isEmpty()) {
    device = FindDevice(QMediaDevices::audioOutputs(), options_.outputId);
    if (device.isNull()) {
      return Fail(kOut, AudioStatus::kNoDevice,
                  "再生デバイス「" + options_.outputId.toStdString() + "」が見つかりません。");
    }
  } else {
    device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
      return Fail(kOut, AudioStatus::kNoDevice,
                  "再生デバイスが見つかりません（サウンドサーバーが動いていないか、再生デバイスがありません）。");
    }
  }
  QAudioFormat qf;
  if (!ToQtFormat(format, qf) || !device.isFormatSupported(qf)) {
    return Fail(kOut, AudioStatus::kBadFormat,
                "このデバイスは " + FormatText(format) + " の再生に対応していません。");
  }
  auto out = std::make_unique<Output>();
  out->format = format;
  out->sink = std::make_unique<QAudioSink>(device, qf);
  connect(out->sink.get(), &QAudioSink::stateChanged, this, &QtAudioBackend::OnSinkState);
  out_ = std::move(out);
  AudioStatus s = StartSink();
  if (s != AudioStatus::kOk) out_.reset();
  return s;
}

AudioStatus QtAudioBackend::StartSink() {
  Output& o = *out_;
  o.io = o.sink->start();
  if (!o.io || o.sink->error() != QAudio::NoError) {
    o.io = nullptr;
    return Fail(kOut, AudioStatus::kFailed, QtErrorText(o.sink->error()));
  }
  o.framesQueued = o.bytesWritten = o.framesPlayed = 0;
  o.paused = false;
  o.stalledSinceMs = -1;
  return AudioStatus::kOk;
}

AudioStatus QtAudioBackend::OpenInput(const WaveFormatRecord& format) {
  QAudioDevice device;
  const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
  if (!options_.inputId.isEmpty()) {
    device = FindDevice(inputs, options_.inputId);
    if (device.isNull()) {
      return Fail(kIn, AudioStatus::kNoDevice,
                  "録音デバイス「" + options_.inputId.toStdString() + "」が見つかりません。");
    }
  } else {
    auto marked = std::find_if(inputs.begin(), inputs.end(), [](const QAudioDevice& d) { return d.isDefault(); });
    device = marked != inputs.end() ? *marked : QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
      return Fail(kIn, AudioStatus::kNoDevice,
                  "録音デバイスが見つかりません（サウンドサーバーが動いていないか、録音デバイスがありません）。");
    }
  }
  QAudioFormat qf;
  if (!ToQtFormat(format, qf) || !device.isFormatSupported(qf)) {
    return Fail(kIn, AudioStatus::kBadFormat,
                "このデバイスは " + FormatText(format) + " の録音に対応していません。");
  }
  auto in = std::make_unique<Input>();
  in->format = format;
  in->source = std::make_unique<QAudioSource>(device, qf);
  connect(in->source.get(), &QAudioSource::stateChanged, this, &QtAudioBackend::OnSourceState);
  in_ = std::move(in);
  return AudioStatus::kOk;
}

AudioStatus QtAudioBackend::Query(int direction, const WaveFormatRecord& format) const {
  if (!IsOpen(direction)) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  const WaveFormatRecord& open = direction == kOut ? out_->format : in_->format;
  if (std::memcmp(&open, &format, sizeof format) != 0) {
    return Fail(direction, AudioStatus::kBadFormat, "デバイスは別のフォーマットで開かれています。");
  }
  return AudioStatus::kOk;
}

AudioStatus QtAudioBackend::Prepare(int direction, AudioHeader& header) {
  if (!IsOpen(direction)) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  const WaveFormatRecord& f = direction == kOut ? out_->format : in_->format;
  if (!header.data || header.byteCount == 0 || header.byteCount % f.blockAlign != 0) {
    return Fail(direction, AudioStatus::kRefused, "ブロックの大きさがフォーマットに合いません。");
  }
  (direction == kOut ? out_->prepared : in_->prepared).insert(&header);
  return AudioStatus::kOk;
}

void QtAudioBackend::Forget(int direction, const AudioHeader* header) {
  if (direction == kOut && out_) {
    std::erase_if(out_->queue, [&](const OutputBlock& b) { return b.header == header; });
  } else if (direction == kIn && in_) {
    std::erase(in_->queue, header);
  }
  std::erase_if(pending_, [&](const Completion& c) { return c.direction == direction && c.header == header; });
}

void QtAudioBackend::Unprepare(int direction, AudioHeader& header) {
  if (!IsOpen(direction)) return;
  (direction == kOut ? out_->prepared : in_->prepared).erase(&header);
  Forget(direction, &header);
}

AudioStatus QtAudioBackend::Queue(int direction, AudioHeader& header) {
  if (!IsOpen(direction)) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  if (direction == kOut) {
    Output& o = *out_;
    if (o.lost) return Fail(kOut, AudioStatus::kLost, errors_[1]);
    if (!o.prepared.count(&header)) return Fail(kOut, AudioStatus::kRefused, "ブロックが準備されていません。");
    if (!o.io) {
      // Restarted after a reset: positions begin again at 0.
      AudioStatus s = StartSink();
      if (s != AudioStatus::kOk) return s;
    }
    o.framesQueued += header.byteCount / o.format.blockAlign;
    o.queue.push_back({&header, 0, o.framesQueued});
    PumpOutput();
  } else {
    Input& i = *in_;
    if (i.lost) return Fail(kIn, AudioStatus::kLost, errors_[0]);
    if (!i.prepared.count(&header)) return Fail(kIn, AudioStatus::kRefused, "ブロックが準備されていません。");
    header.bytesRecorded = 0;
    i.queue.push_back(&header);
  }
  UpdatePollTimer();
  return AudioStatus::kOk;
}

AudioStatus QtAudioBackend::Start(int direction) {
  if (!IsOpen(direction)) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  if (direction == kOut) {
    Output& o = *out_;
    if (o.lost) return Fail(kOut, AudioStatus::kLost, errors_[1]);
    if (o.paused) {
      o.sink->resume();
      o.paused = false;
    }
    return AudioStatus::kOk;
  }
  Input& i = *in_;
  if (i.lost) return Fail(kIn, AudioStatus::kLost, errors_[0]);
  if (i.capturing) return AudioStatus::kOk;
  if (i.io) {
    i.source->resume();
  } else {
    i.io = i.source->start();
    if (!i.io || i.source->error() != QAudio::NoError) {
      i.io = nullptr;
      return Fail(kIn, AudioStatus::kFailed, QtErrorText(i.source->error()));
    }
    connect(i.io, &QIODevice::readyRead, this, &QtAudioBackend::PumpInput);
  }
  i.capturing = true;
  UpdatePollTimer();
  return AudioStatus::kOk;
}

AudioStatus QtAudioBackend::Pause(int direction) {
  if (!IsOpen(direction)) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  if (direction == kOut) {
    Output& o = *out_;
    // The position is taken before the sink is held; stopping would lose it.
    PumpOutput();
    if (o.io && !o.paused) o.sink->suspend();
    o.paused = true;
  } else {
    Input& i = *in_;
    // What the source already holds is kept.
    PumpInput();
    if (i.io && i.capturing) i.source->suspend();
    i.capturing = false;
  }
  return AudioStatus::kOk;
}

std::vector<AudioHeader*> QtAudioBackend::Reset(int direction) {
  std::vector<AudioHeader*> returned;
  std::erase_if(pending_, [&](const Completion& c) { return c.direction == direction; });
  if (direction == kOut && out_) {
    Output& o = *out_;
    for (const OutputBlock& b : o.queue) returned.push_back(b.header);
    o.queue.clear();
    if (o.io) {
      o.io = nullptr;  // deleted by the sink as it stops
      o.sink->reset();
      o.sink->stop();
    }
    o.framesQueued = o.bytesWritten = o.framesPlayed = 0;
    o.paused = false;
  } else if (direction == kIn && in_) {
    Input& i = *in_;
    returned.assign(i.queue.begin(), i.queue.end());
    i.queue.clear();
    if (i.io) {
      i.io = nullptr;
      i.source->stop();
    }
    i.capturing = false;
    i.bytesStored = 0;
  }
  UpdatePollTimer();
  return returned;
}

AudioStatus QtAudioBackend::Close(int direction) {
  if (!IsOpen(direction)) return AudioStatus::kOk;
  if (direction == kOut) {
    if (!out_->queue.empty()) return Fail(kOut, AudioStatus::kFailed, "ブロックが残っています。");
    out_->sink->disconnect(this);
    out_->io = nullptr;
    out_->sink->stop();
    out_.reset();
  } else {
    if (!in_->queue.empty()) return Fail(kIn, AudioStatus::kFailed, "ブロックが残っています。");
    in_->source->disconnect(this);
    in_->io = nullptr;
    in_->source->stop();
    in_.reset();
  }
  std::erase_if(pending_, [&](const Completion& c) { return c.direction == direction; });
  UpdatePollTimer();
  return AudioStatus::kOk;
}

bool QtAudioBackend::Position(int direction, uint32_t& frames) {
  if (!IsOpen(direction)) return false;
  uint64_t f;
  if (direction == kOut) {
    PumpOutput();
    f = std::min<uint64_t>(out_->framesPlayed, out_->bytesWritten / out_->format.blockAlign);
  } else {
    PumpInput();
    f = in_->bytesStored / in_->format.blockAlign;
  }
  frames = static_cast<uint32_t>(std::min<uint64_t>(f, std::numeric_limits<uint32_t>::max()));
  return true;
}

void QtAudioBackend::Poll() {
  PumpOutput();
  PumpInput();
}

void QtAudioBackend::PumpOutput() {
  if (!out_ || !out_->io || out_->lost) return;
  Output& o = *out_;
  const uint32_t align = o.format.blockAlign;
  if (!o.paused) {
    for (OutputBlock& b : o.queue) {
      while (b.bytesWritten < b.header->byteCount) {
        qint64 room = o.sink->bytesFree() / align * align;
        qint64 chunk = std::min<qint64>(room, b.header->byteCount - b.bytesWritten);
        if (chunk <= 0) break;
        qint64 written = o.io->write(reinterpret_cast<const char*>(b.header->data) + b.bytesWritten, chunk);
        if (written <= 0) break;
        b.bytesWritten += static_cast<uint32_t>(written);
        o.bytesWritten += static_cast<uint64_t>(written);
        if (written < chunk) break;
      }
      if (b.bytesWritten < b.header->byteCount) break;
    }
    const uint64_t written = o.bytesWritten / align;
    uint64_t played = std::min(UsecsToFrames(o.sink->processedUSecs(), o.format.samplesPerSec), written);
    o.framesPlayed = std::max(o.framesPlayed, played);
    // Every frame handed over, the position standing still: give it a while, then take
    // the rest as played.
    bool allWritten = !o.queue.empty() && o.queue.back().bytesWritten == o.queue.back().header->byteCount;
    if (allWritten && o.framesPlayed < written) {
      if (o.stalledSinceMs < 0 || o.stalledAt != o.framesPlayed) {
        o.stalledSinceMs = clock_.elapsed();
        o.stalledAt = o.framesPlayed;
      } else if (clock_.elapsed() - o.stalledSinceMs > kStallMs) {
        o.framesPlayed = written;
      }
    } else {
      o.stalledSinceMs = -1;
    }
  }
  while (!o.queue.empty()) {
    const OutputBlock& b = o.queue.front();
    if (b.bytesWritten < b.header->byteCount || b.endFrame > o.framesPlayed) break;
    AudioHeader* done = b.header;
    o.queue.pop_front();
    Post(kOut, done);
  }
}

void QtAudioBackend::PumpInput() {
  if (!in_ || !in_->io || !in_->capturing || in_->lost) return;
  Input& i = *in_;
  for (int reads = 0; reads < kMaxReadsPerPump; ++reads) {
    qint64 got;
    if (i.queue.empty()) {
      // Nothing queued: what arrives meanwhile is not kept, and the position stands still.
      i.scratch.resize(4096);
      got = i.io->read(i.scratch.data(), static_cast<qint64>(i.scratch.size()));
      if (got <= 0) break;
      continue;
    }
    AudioHeader* head = i.queue.front();
    got = i.io->read(reinterpret_cast<char*>(head->data) + head->bytesRecorded,
                     head->byteCount - head->bytesRecorded);
    // Reads of no bytes happen now and then; they mean nothing more for now.
    if (got <= 0) break;
    head->bytesRecorded += static_cast<uint32_t>(got);
    i.bytesStored += static_cast<uint64_t>(got);
    if (head->bytesRecorded == head->byteCount) {
      i.queue.pop_front();
      Post(kIn, head);
    }
  }
}

void QtAudioBackend::OnSinkState() {
  if (!out_ || out_->lost) return;
  QAudio::Error e = out_->sink->error();
  if (out_->sink->state() == QAudio::StoppedState && e != QAudio::NoError && e != QAudio::UnderrunError) {
    Lose(kOut, QtErrorText(e));
  }
}

void QtAudioBackend::OnSourceState() {
  if (!in_ || in_->lost) return;
  QAudio::Error e = in_->source->error();
  if (in_->source->state() == QAudio::StoppedState && e != QAudio::NoError && e != QAudio::UnderrunError) {
    Lose(kIn, QtErrorText(e));
  }
}

void QtAudioBackend::Lose(int direction, std::string text) {
  if (direction == kOut) {
    out_->io = nullptr;  // the stopped sink has deleted it
    out_->lost = true;
  } else {
    in_->io = nullptr;
    in_->lost = true;
    in_->capturing = false;
  }
  Fail(direction, AudioStatus::kLost, std::move(text));
  Post(direction, nullptr);
}

void QtAudioBackend::Post(int direction, AudioHeader* header) {
  pending_.push_back({direction, header});
  if (deliveryPosted_) return;
  deliveryPosted_ = true;
  QMetaObject::invokeMethod(this, &QtAudioBackend::Deliver, Qt::QueuedConnection);
}

void QtAudioBackend::Deliver() {
  deliveryPosted_ = false;
  // A completion may reset or close a device, which takes its other completions out.
  while (!pending_.empty()) {
    Completion c = pending_.front();
    pending_.pop_front();
    if (!client_) continue;
    if (!c.header) client_->OnDeviceLost(c.direction);
    else if (c.direction == kOut) client_->OnOutputDone(*c.header);
    else client_->OnInputData(*c.header);
  }
}

void QtAudioBackend::UpdatePollTimer() {
  bool needed = (out_ && out_->io) || (in_ && in_->io);
  if (needed && !poll_.isActive()) poll_.start();
  if (!needed && poll_.isActive()) poll_.stop();
}
