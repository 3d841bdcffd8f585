#include "core/realtime/simulated_audio.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "core/wave/wave.h"

namespace {

constexpr uint32_t kNoBlockEnd = std::numeric_limits<uint32_t>::max();

// One frame of a block as sample-scale values; a mono frame gives the same value twice.
void DecodeFrame(const WaveFormatRecord& f, const uint8_t* p, int& left, int& right) {
  auto sample = [&](int channel) {
    if (f.bitsPerSample == 8) {
      int d = static_cast<int>(p[channel]) - 128;
      return d * 256 + (d & 0xFF);
    }
    int16_t v;
    std::memcpy(&v, p + 2 * channel, sizeof v);
    return static_cast<int>(v);
  };
  left = sample(0);
  right = f.channels >= 2 ? sample(1) : left;
}

// Stores sample-scale values into a frame; a mono frame takes their mean.
void EncodeFrame(const WaveFormatRecord& f, uint8_t* p, int left, int right) {
  auto store = [&](int channel, int v) {
    if (f.bitsPerSample == 8) {
      p[channel] = static_cast<uint8_t>((v >> 8) + 128);
    } else {
      auto s = static_cast<int16_t>(v);
      std::memcpy(p + 2 * channel, &s, sizeof s);
    }
  };
  if (f.channels >= 2) {
    store(0, left);
    store(1, right);
  } else {
    store(0, (left + right) / 2);
  }
}

bool Playable(const WaveFormatRecord& f) {
  return f.formatTag == kWaveFormatPcm && f.channels >= 1 && f.channels <= 2 &&
         (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
         f.blockAlign == f.channels * f.bitsPerSample / 8 && f.samplesPerSec > 0;
}

const char* DeviceName(int direction) { return direction == 2 ? "再生" : "録音"; }

}  // namespace

AudioStatus SimulatedAudio::Fail(int direction, AudioStatus status, std::string text) const {
  At(direction).errorText = std::move(text);
  return status;
}

bool SimulatedAudio::Runs(int direction) const {
  const Device& d = At(direction);
  return d.open && !d.paused && !d.lost && !gone_;
}

AudioStatus SimulatedAudio::Open(int direction, const WaveFormatRecord& format) {
  Device& d = At(direction);
  if (gone_ || d.refuseOpen) {
    return Fail(direction, AudioStatus::kNoDevice,
                std::string(DeviceName(direction)) + "デバイスが見つかりません。");
  }
  if (d.open) return Fail(direction, AudioStatus::kFailed, "デバイスはすでに開かれています。");
  bool accepted = Playable(format) &&
                  (accepts_ ? accepts_(format)
                            : format.samplesPerSec >= 1000 && format.samplesPerSec <= 192000);
  if (!accepted) {
    return Fail(direction, AudioStatus::kBadFormat,
                std::string("このフォーマットの") + DeviceName(direction) + "には対応していません。");
  }
  d.open = true;
  d.paused = direction == kIn;  // recording waits for Start
  d.lost = false;
  d.format = format;
  d.queue.clear();
  d.prepared.clear();
  d.headOffsetBytes = 0;
  d.position = 0;
  d.msRemainder = 0;
  ++d.openCount;
  return AudioStatus::kOk;
}

AudioStatus SimulatedAudio::Query(int direction, const WaveFormatRecord& format) const {
  const Device& d = At(direction);
  if (!d.open) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  if (std::memcmp(&d.format, &format, sizeof format) != 0) {
    return Fail(direction, AudioStatus::kBadFormat, "デバイスは別のフォーマットで開かれています。");
  }
  return AudioStatus::kOk;
}

AudioStatus SimulatedAudio::Prepare(int direction, AudioHeader& header) {
  Device& d = At(direction);
  if (!d.open) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  if (d.refusePrepare) return Fail(direction, AudioStatus::kRefused, "ブロックを準備できません。");
  d.prepared.insert(&header);
  return AudioStatus::kOk;
}

void SimulatedAudio::Forget(int direction, const AudioHeader* header) {
  Device& d = At(direction);
  auto it = std::find(d.queue.begin(), d.queue.end(), header);
  if (it != d.queue.end()) {
    if (it == d.queue.begin()) d.headOffsetBytes = 0;
    d.queue.erase(it);
  }
  std::erase_if(pending_, [&](const Completion& c) {
    return c.direction == direction && c.header == header;
  });
}

void SimulatedAudio::Unprepare(int direction, AudioHeader& header) {
  Device& d = At(direction);
  if (!d.open) return;
  d.prepared.erase(&header);
  Forget(direction, &header);
}

AudioStatus SimulatedAudio::Queue(int direction, AudioHeader& header) {
  Device& d = At(direction);
  if (!d.open) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  if (d.lost || gone_) return Fail(direction, AudioStatus::kLost, "サウンドデバイスが切断されました。");
  if (d.refuseQueue || !d.prepared.count(&header) || header.byteCount == 0 ||
      header.byteCount % d.format.blockAlign != 0) {
    return Fail(direction, AudioStatus::kRefused, "ブロックを受け付けません。");
  }
  header.bytesRecorded = 0;
  d.queue.push_back(&header);
  return AudioStatus::kOk;
}

AudioStatus SimulatedAudio::Start(int direction) {
  Device& d = At(direction);
  if (!d.open) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  if (d.lost || gone_) return Fail(direction, AudioStatus::kLost, "サウンドデバイスが切断されました。");
  if (d.refuseStart) return Fail(direction, AudioStatus::kRefused, "デバイスを開始できません。");
  d.paused = false;
  return AudioStatus::kOk;
}

AudioStatus SimulatedAudio::Pause(int direction) {
  Device& d = At(direction);
  if (!d.open) return Fail(direction, AudioStatus::kNotOpen, "デバイスが開かれていません。");
  d.paused = true;
  return AudioStatus::kOk;
}

std::vector<AudioHeader*> SimulatedAudio::Reset(int direction) {
  Device& d = At(direction);
  std::vector<AudioHeader*> returned(d.queue.begin(), d.queue.end());
  d.queue.clear();
  d.headOffsetBytes = 0;
  d.position = 0;
  std::erase_if(pending_, [&](const Completion& c) { return c.direction == direction; });
  return returned;
}

AudioStatus SimulatedAudio::Close(int direction) {
  Device& d = At(direction);
  if (!d.open) return AudioStatus::kOk;
  if (d.failClose) return Fail(direction, AudioStatus::kFailed, "デバイスを閉じられません。");
  if (!d.queue.empty()) return Fail(direction, AudioStatus::kFailed, "ブロックが残っています。");
  d.open = false;
  d.lost = false;
  d.prepared.clear();
  std::erase_if(pending_, [&](const Completion& c) { return c.direction == direction; });
  return AudioStatus::kOk;
}

bool SimulatedAudio::Position(int direction, uint32_t& frames) {
  const Device& d = At(direction);
  if (!d.open) return false;
  frames = d.position;
  return true;
}

void SimulatedAudio::SetSource(Source source, const CWave* wave) {
  source_ = source;
  sourceWave_ = wave;
  sourceFrame_ = 0;
}

void SimulatedAudio::SetFormatFilter(std::function<bool(const WaveFormatRecord&)> accepts) {
  accepts_ = std::move(accepts);
}

void SimulatedAudio::HoldCompletions(bool hold) {
  hold_ = hold;
  if (!hold_) DeliverCompletions();
}

void SimulatedAudio::DeliverCompletions() {
  if (delivering_) return;
  delivering_ = true;
  while (!pending_.empty()) {
    Completion c = pending_.front();
    pending_.pop_front();
    if (!client_) continue;
    if (!c.header) client_->OnDeviceLost(c.direction);
    else if (c.direction == kOut) client_->OnOutputDone(*c.header);
    else client_->OnInputData(*c.header);
  }
  delivering_ = false;
}

void SimulatedAudio::Disappear() {
  gone_ = true;
  for (int direction : {kIn, kOut}) {
    Device& d = At(direction);
    if (!d.open || d.lost) continue;
    d.lost = true;
    d.errorText = "サウンドデバイスが切断されました。";
    pending_.push_back({direction, nullptr});
  }
  if (!hold_) DeliverCompletions();
}

uint32_t SimulatedAudio::FramesToNextBlockEnd(int direction) const {
  const Device& d = At(direction);
  if (!Runs(direction) || d.queue.empty()) return kNoBlockEnd;
  const AudioHeader& head = *d.queue.front();
  uint32_t done = direction == kOut ? d.headOffsetBytes : head.bytesRecorded;
  return (head.byteCount - done) / d.format.blockAlign;
}

void SimulatedAudio::AdvanceFrames(uint32_t frames) { Advance(frames, frames); }

void SimulatedAudio::AdvanceMs(uint32_t ms) {
  uint32_t frames[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    Device& d = devices_[i];
    if (!d.open) continue;
    uint64_t total = uint64_t{ms} * d.format.samplesPerSec + d.msRemainder;
    frames[i] = static_cast<uint32_t>(total / 1000);
    d.msRemainder = total % 1000;
  }
  Advance(frames[1], frames[0]);
}

void SimulatedAudio::Advance(uint32_t outFrames, uint32_t inFrames) {
  // Time moves in steps that end at the next block end of either device, and the
  // completions of a step are delivered before the next one begins, as a responsive user
  // interface would receive them.
  while (outFrames > 0 || inFrames > 0) {
    uint32_t step = std::max(outFrames, inFrames);
    if (outFrames > 0) step = std::min({step, outFrames, FramesToNextBlockEnd(kOut)});
    if (inFrames > 0) step = std::min({step, inFrames, FramesToNextBlockEnd(kIn)});
    uint32_t out = std::min(step, outFrames);
    uint32_t in = std::min(step, inFrames);
    PlayFrames(out);
    RecordFrames(in);
    outFrames -= out;
    inFrames -= in;
    if (!hold_) DeliverCompletions();
  }
}

void SimulatedAudio::PlayFrames(uint32_t frames) {
  looped_.clear();
  loopedRead_ = 0;
  Device& d = At(kOut);
  if (!Runs(kOut)) return;
  const uint32_t align = d.format.blockAlign;
  while (frames > 0 && !d.queue.empty()) {
    AudioHeader* head = d.queue.front();
    uint32_t k = std::min(frames, (head->byteCount - d.headOffsetBytes) / align);
    if (source_ == Source::kLoopback) {
      for (uint32_t i = 0; i < k; ++i) {
        std::array<int, 2> lr{};
        DecodeFrame(d.format, head->data + d.headOffsetBytes + size_t{i} * align, lr[0], lr[1]);
        looped_.push_back(lr);
      }
    }
    d.headOffsetBytes += k * align;
    d.position += k;
    frames -= k;
    if (d.headOffsetBytes == head->byteCount) {
      d.queue.pop_front();
      d.headOffsetBytes = 0;
      pending_.push_back({kOut, head});
    }
  }
}

void SimulatedAudio::SourceFrame(int& left, int& right) {
  left = right = 0;
  if (source_ == Source::kLoopback) {
    if (loopedRead_ < looped_.size()) {
      left = looped_[loopedRead_][0];
      right = looped_[loopedRead_][1];
      ++loopedRead_;
    }
  } else if (source_ == Source::kWave && sourceWave_ && sourceWave_->FrameCount() > 0) {
    left = sourceWave_->GetSample(sourceFrame_, kChannelLeft);
    right = sourceWave_->Channels() >= 2 ? sourceWave_->GetSample(sourceFrame_, kChannelRight) : left;
    sourceFrame_ = (sourceFrame_ + 1) % sourceWave_->FrameCount();
  }
}

void SimulatedAudio::RecordFrames(uint32_t frames) {
  Device& d = At(kIn);
  if (!Runs(kIn)) return;
  const uint32_t align = d.format.blockAlign;
  int left = 0, right = 0;
  while (frames > 0) {
    if (d.queue.empty()) {
      // Nothing queued: what the source delivers meanwhile is lost, as on a real device.
      for (; frames > 0; --frames) SourceFrame(left, right);
      return;
    }
    AudioHeader* head = d.queue.front();
    uint32_t k = std::min(frames, (head->byteCount - head->bytesRecorded) / align);
    for (uint32_t i = 0; i < k; ++i) {
      SourceFrame(left, right);
      EncodeFrame(d.format, head->data + head->bytesRecorded, left, right);
      head->bytesRecorded += align;
    }
    d.position += k;
    frames -= k;
    if (head->bytesRecorded == head->byteCount) {
      d.queue.pop_front();
      pending_.push_back({kIn, head});
    }
  }
}
