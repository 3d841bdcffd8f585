#include "core/realtime/wave_wnd.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/wave/wave.h"

CWaveWnd::CWaveWnd(AudioBackend& backend) : backend_(backend) { backend_.SetClient(this); }

CWaveWnd::~CWaveWnd() {
  CloseInput();
  CloseOutput();
  // Whatever a failed close left behind is released now; the waves must not keep slots
  // of a window that no longer exists.
  for (int slot = 0; slot < kSlotCount; ++slot) ReleaseBlock(slot);
  backend_.SetClient(nullptr);
}

bool CWaveWnd::Create() {
  created_ = true;
  return true;
}

int CWaveWnd::OpenDevices() const {
  return (backend_.IsOpen(kOutput) ? 2 : 0) | (backend_.IsOpen(kInput) ? 1 : 0);
}

bool CWaveWnd::QueryOutput(const WaveFormatRecord& format) const {
  return backend_.Query(kOutput, format) == AudioStatus::kOk;
}

bool CWaveWnd::QueryInput(const WaveFormatRecord& format) const {
  return backend_.Query(kInput, format) == AudioStatus::kOk;
}

bool CWaveWnd::OpenOutput(const WaveFormatRecord& format) { return Open(kOutput, format); }

bool CWaveWnd::OpenInput(const WaveFormatRecord& format) { return Open(kInput, format); }

bool CWaveWnd::Open(int direction, const WaveFormatRecord& format) {
  if (backend_.IsOpen(direction)) {
    AudioStatus s = backend_.Query(direction, format);
    if (s != AudioStatus::kOk) {
      SetError(direction, s,
               s == AudioStatus::kBadFormat
                   ? "デバイスは別のフォーマットで使用中です。"
                   : backend_.ErrorText(direction));
      return false;
    }
    return true;
  }
  running_[Index(direction)] = 0;
  lastDirection_ = direction;
  AudioStatus s = backend_.Open(direction, format);
  if (s != AudioStatus::kOk) {
    SetError(direction, s, backend_.ErrorText(direction));
    return false;
  }
  return true;
}

int CWaveWnd::AddBlock(CWave& wave, int direction, uint32_t start, uint32_t count) {
  int slot = -1;
  for (int i = 0; i < kSlotCount; ++i) {
    if (!headers_[i]) {
      slot = i;
      break;
    }
  }
  if (slot < 0) {
    SetError(direction, AudioStatus::kRefused, "同時に扱えるブロックの数（64）を超えました。");
    return -1;
  }
  auto* header = new (std::nothrow) AudioHeader;
  if (!header) {
    SetError(direction, AudioStatus::kFailed, "メモリが不足しています。");
    return -1;
  }
  const uint32_t frames = wave.FrameCount();
  if (start >= frames || !wave.GetData(start)) {
    delete header;
    SetError(direction, AudioStatus::kRefused, "範囲が波形の外にあります。");
    return -1;
  }
  if (count == 0 || count > frames - start) count = frames - start;
  header->data = wave.GetData(start);
  header->byteCount = count * wave.BlockAlign();
  header->slot = slot;
  AudioStatus s = backend_.Prepare(direction == kOutput ? kOutput : kInput, *header);
  if (s != AudioStatus::kOk) {
    delete header;
    SetError(direction, s, backend_.ErrorText(direction));
    return -1;
  }
  wave.MarkQueued(slot);
  headers_[slot] = header;
  owners_[slot] = &wave;
  directions_[slot] = direction;
  bases_[slot] = running_[Index(direction)];
  starts_[slot] = start;
  counts_[slot] = count;
  running_[Index(direction)] += count;
  return slot;
}

void CWaveWnd::ReleaseBlock(int slot) {
  if (slot < 0 || slot >= kSlotCount || !headers_[slot]) return;
  backend_.Unprepare(directions_[slot] == kOutput ? kOutput : kInput, *headers_[slot]);
  delete headers_[slot];
  CWave* owner = owners_[slot];
  headers_[slot] = nullptr;
  owners_[slot] = nullptr;
  directions_[slot] = 0;
  bases_[slot] = starts_[slot] = counts_[slot] = 0;
  if (owner) owner->ClearQueued(slot);
}

bool CWaveWnd::PlayBlock(CWave& wave, uint32_t start, uint32_t count) {
  return QueueBlock(wave, kOutput, start, count);
}

bool CWaveWnd::RecordBlock(CWave& wave, uint32_t start, uint32_t count) {
  return QueueBlock(wave, kInput, start, count);
}

bool CWaveWnd::QueueBlock(CWave& wave, int direction, uint32_t start, uint32_t count) {
  if (closing_[Index(direction)]) return false;
  errors_[Index(direction)] = {};
  int& queued = direction == kOutput ? queuedOutput_ : queuedInput_;
  if (!Open(direction, wave.Format())) return false;
  int slot = AddBlock(wave, direction, start, count);
  if (slot >= 0) {
    AudioStatus s = backend_.Queue(direction, *headers_[slot]);
    if (s == AudioStatus::kOk && direction == kInput) s = backend_.Start(kInput);
    if (s == AudioStatus::kOk) {
      ++queued;
      return true;
    }
    SetError(direction, s, backend_.ErrorText(direction));
    ReleaseBlock(slot);
  }
  // A device opened for this request and left without blocks would hold the device in
  // this format until the program ends; close it again.
  if (queued == 0) Close(direction);
  return false;
}

bool CWaveWnd::CloseOutput() { return Close(kOutput); }

bool CWaveWnd::CloseInput() { return Close(kInput); }

bool CWaveWnd::Close(int direction) {
  if (!backend_.IsOpen(direction)) return true;
  bool& closing = closing_[Index(direction)];
  if (closing) return false;
  closing = true;
  backend_.Pause(direction);
  int slot = -1;
  uint32_t frame = 0;
  if (MapPosition(Position(direction), direction, slot, frame) && owners_[slot]) {
    if (direction == kOutput) owners_[slot]->OnPlayDone(frame);
    else owners_[slot]->OnRecordDone(frame);
  }
  backend_.Reset(direction);
  for (int i = 0; i < kSlotCount; ++i) {
    if (headers_[i] && directions_[i] == direction) ReleaseBlock(i);
  }
  (direction == kOutput ? queuedOutput_ : queuedInput_) = 0;
  bool closed = backend_.Close(direction) == AudioStatus::kOk;
  closing = false;
  return closed;
}

uint32_t CWaveWnd::OutputPosition() { return Position(kOutput); }

uint32_t CWaveWnd::InputPosition() { return Position(kInput); }

uint32_t CWaveWnd::Position(int direction) {
  if (backend_.IsOpen(direction)) {
    uint32_t frames = 0;
    return backend_.Position(direction, frames) ? frames : 0;
  }
  // After a close, the end of the last block of that opening stays readable.
  return lastDirection_ == direction ? running_[Index(direction)] : 0;
}

bool CWaveWnd::MapPosition(uint32_t position, int direction, int& slot, uint32_t& frame) {
  if (slot < 0) {
    int found = kSlotCount;
    bool inside = false;
    for (int i = 0; i < kSlotCount; ++i) {
      if (!headers_[i] || directions_[i] != direction || bases_[i] > position) continue;
      uint64_t end = uint64_t{bases_[i]} + counts_[i];
      if (position < end) {
        found = i;
        inside = true;
        break;
      }
      if (position == end) {
        found = i;
        inside = true;
      }
    }
    slot = found;
    frame = inside ? starts_[found] + (position - bases_[found]) : position;
    return inside;
  }
  if (slot < kSlotCount && headers_[slot] && directions_[slot] == direction) {
    if (position < bases_[slot]) {
      frame = 0;
      return false;
    }
    uint32_t d = position - bases_[slot];
    if (d <= counts_[slot]) {
      frame = starts_[slot] + d;
      return true;
    }
    frame = starts_[slot] + counts_[slot];
    return false;
  }
  frame = position;
  return false;
}

void CWaveWnd::OnOutputDone(AudioHeader& header) {
  if (!backend_.IsOpen(kOutput)) return;
  if (queuedOutput_ == 0) {
    CloseOutput();
    return;
  }
  OnBlockDone(kOutput, header);
}

void CWaveWnd::OnInputData(AudioHeader& header) {
  if (!backend_.IsOpen(kInput)) {
    queuedInput_ = 0;
    return;
  }
  if (queuedInput_ == 0) {
    CloseInput();
    return;
  }
  OnBlockDone(kInput, header);
}

void CWaveWnd::OnBlockDone(int direction, AudioHeader& header) {
  int slot = header.slot;
  // Only a header this window still holds in that slot is taken; anything else is stale.
  if (slot < 0 || slot >= kSlotCount || headers_[slot] != &header || directions_[slot] != direction) {
    return;
  }
  int mapped = slot;
  uint32_t frame = 0;
  MapPosition(Position(direction), direction, mapped, frame);
  frame = std::min(frame, starts_[slot] + counts_[slot]);
  CWave* owner = owners_[slot];
  ReleaseBlock(slot);
  int& queued = direction == kOutput ? queuedOutput_ : queuedInput_;
  if (--queued <= 0) {
    queued = 0;
    Close(direction);
  }
  if (!owner) return;
  // A wave in ring mode queues its next half from here, so two blocks stay queued and the
  // device stays open.
  if (direction == kOutput) owner->OnPlayDone(frame);
  else owner->OnRecordDone(frame);
}

void CWaveWnd::OnDeviceLost(int direction) {
  if (!backend_.IsOpen(direction)) return;
  SetError(direction, AudioStatus::kLost, backend_.ErrorText(direction));
  // Ends the use cleanly: the owner learns how far the device got, and keeps what was
  // recorded up to there.
  Close(direction);
}

void CWaveWnd::SetError(int direction, AudioStatus status, std::string reason) {
  DeviceError& e = errors_[Index(direction)];
  e.status = status;
  e.reason = std::move(reason);
}

std::string CWaveWnd::ErrorMessage(int direction) const {
  const DeviceError& e = LastError(direction);
  if (e.status == AudioStatus::kOk) return {};
  std::string text = e.status == AudioStatus::kLost ? "サウンドデバイスが使えなくなりました。"
                                                    : "サウンドデバイスを開けません。";
  if (!e.reason.empty()) text += "\n" + e.reason;
  return text;
}
