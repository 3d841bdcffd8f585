#include "core/wave/wave.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "core/io/archive.h"
#include "core/wave/wave_device.h"

namespace {

constexpr double kLevelPer8BitStep = 78.125;             // 10000 / 128
constexpr double kLevelPer16BitStep = 0.30517578125;     // 10000 / 32768

int16_t LoadI16(const uint8_t* p) {
  int16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void StoreI16(uint8_t* p, int v) {
  auto s = static_cast<int16_t>(v);
  std::memcpy(p, &s, sizeof s);
}

int ByteToSample(uint8_t x) {
  int d = static_cast<int>(x) - 128;
  return d * 256 + (d & 0xFF);
}

}  // namespace

CWave::~CWave() { Free(); }

void CWave::SetFormat(uint32_t rate, uint16_t bits, uint16_t channels) {
  if (frameCount_ > 0 || !block_.Empty()) Free();
  format_.samplesPerSec = rate;
  format_.bitsPerSample = bits;
  format_.channels = channels;
  format_.blockAlign = static_cast<uint16_t>(bits * channels / 8);
  format_.avgBytesPerSec = rate * format_.blockAlign;
  wrapped_ = 0;
}

void CWave::SetWaveFormat(const WaveFormatRecord& record) {
  if (frameCount_ > 0 || !block_.Empty()) Free();
  format_ = record;
  wrapped_ = 0;
}

void CWave::GetFormat(uint32_t& rate, uint16_t& bits, uint16_t& channels) const {
  rate = format_.samplesPerSec;
  bits = format_.bitsPerSample;
  channels = format_.channels;
}

bool CWave::AllocateBlock(uint32_t frames, SampleBuffer::Fill fill) {
  wrapped_ = 0;
  source_.reset();
  if (!block_.Empty() || frameCount_ > 0) Free();
  if (frames == 0) return true;
  uint64_t bytes = uint64_t{format_.channels} * (format_.bitsPerSample / 8u) * frames;
  if (bytes == 0 || bytes > std::numeric_limits<uint32_t>::max()) return false;
  if (!block_.Allocate(static_cast<size_t>(bytes), fill)) return false;
  dataSize_ = static_cast<uint32_t>(bytes);
  frameCount_ = frames;
  return true;
}

bool CWave::Allocate(uint32_t frames) {
  return AllocateBlock(frames, format_.bitsPerSample == 16 ? SampleBuffer::Fill::Zero
                                                           : SampleBuffer::Fill::Byte128);
}

bool CWave::AllocateForOverwrite(uint32_t frames) {
  return AllocateBlock(frames, SampleBuffer::Fill::Undefined);
}

void CWave::Free() {
  if (IsBusy() && device_) {
    device_->CloseOutput();
    device_->CloseInput();
  }
  block_.Free();
  dataSize_ = 0;
  frameCount_ = 0;
  wrapped_ = 0;
  source_.reset();
}

bool CWave::CopyFrom(const CWave& source) {
  if (this == &source) return true;
  if (frameCount_ > 0) Free();
  SetFormat(source.Rate(), source.Bits(), source.Channels());
  if (source.FrameCount() == 0) return true;
  if (!Allocate(source.FrameCount())) return false;
  size_t bytes = size_t{source.Channels()} * source.Bits() * source.FrameCount() / 8;
  bytes = std::min({bytes, block_.Size(), source.block_.Size()});
  if (bytes > 0) std::memcpy(block_.Data(), source.block_.Data(), bytes);
  return true;
}

void CWave::TakeSamplesFrom(CWave& other) {
  if (this == &other) return;
  Free();
  other.Stop();
  format_ = other.format_;
  comment_ = other.comment_;
  block_ = std::move(other.block_);
  source_ = std::exchange(other.source_, std::nullopt);
  dataSize_ = std::exchange(other.dataSize_, 0);
  frameCount_ = std::exchange(other.frameCount_, 0);
  wrapped_ = 0;
  ring_ = 0;
  other.wrapped_ = 0;
}

void CWave::AdoptBlock(SampleBuffer&& block, uint32_t frames) {
  Free();
  if (frames == 0) return;
  block_ = std::move(block);
  frameCount_ = frames;
  dataSize_ = frames * format_.blockAlign;
}

uint8_t* CWave::GetData(uint32_t frame) {
  if (block_.Empty()) return nullptr;
  return block_.Data() + size_t{frame} * format_.blockAlign;
}

const uint8_t* CWave::GetData(uint32_t frame) const {
  if (block_.Empty()) return nullptr;
  return block_.Data() + size_t{frame} * format_.blockAlign;
}

bool CWave::Delete(uint32_t from, uint32_t to) {
  if (block_.Empty()) return false;
  uint32_t n = frameCount_;
  if (to == 0 || to > n) to = n;
  if (from >= to) return false;
  size_t align = format_.blockAlign;
  if (to < n) {
    std::memmove(block_.Data() + from * align, block_.Data() + to * align, (n - to) * align);
  }
  frameCount_ = from + n - to;
  dataSize_ = static_cast<uint32_t>(frameCount_ * align);
  if (!block_.Resize(dataSize_)) {
    // Shrinking in place cannot really fail; if it does, the block simply stays larger.
  }
  return true;
}

bool CWave::InsertFrames(uint32_t at, uint32_t frames) {
  if (frames == 0) return true;
  const uint64_t align = format_.blockAlign;
  const uint64_t total = uint64_t{frameCount_} + frames;
  if (align == 0 || total * align > std::numeric_limits<uint32_t>::max()) return false;
  if (block_.Empty()) return frameCount_ == 0 && Allocate(frames);
  // The block may move: the device must not keep reading the old one.
  if (IsBusy()) Stop();
  if (!block_.Resize(static_cast<size_t>(total * align))) return false;
  at = std::min(at, frameCount_);
  uint8_t* gap = block_.Data() + at * align;
  std::memmove(gap + frames * align, gap, (frameCount_ - at) * align);
  std::memset(gap, format_.bitsPerSample == 8 ? 0x80 : 0, frames * align);
  frameCount_ = static_cast<uint32_t>(total);
  dataSize_ = static_cast<uint32_t>(total * align);
  return true;
}

bool CWave::Linearize(uint32_t position) {
  if (block_.Empty()) return false;
  uint32_t n = frameCount_;
  uint32_t s = MsToFrames(1000);
  if (s >= n) return false;
  position = std::min(position, n);
  uint32_t d = position + s;
  if (d > n) d -= n;
  if (d < position) {
    Delete(position, n);
    Delete(0, d);
    return true;
  }
  size_t align = format_.blockAlign;
  SampleBuffer fresh;
  if (!fresh.Allocate(size_t{n - s} * align, SampleBuffer::Fill::Undefined)) return false;
  size_t tail = size_t{n - d} * align;
  std::memcpy(fresh.Data(), block_.Data() + size_t{d} * align, tail);
  std::memcpy(fresh.Data() + tail, block_.Data(), size_t{position} * align);
  block_ = std::move(fresh);
  frameCount_ = n - s;
  dataSize_ = static_cast<uint32_t>(size_t{frameCount_} * align);
  return true;
}

int CWave::ReadSampleAt(uint32_t frame, int channelIndex) const {
  const uint8_t* p = block_.Data() + size_t{frame} * format_.blockAlign;
  if (format_.bitsPerSample == 8) {
    if (channelIndex >= format_.blockAlign) return 0;
    return ByteToSample(p[channelIndex]);
  }
  if (2 * channelIndex + 2 > format_.blockAlign) return 0;
  return LoadI16(p + 2 * channelIndex);
}

double CWave::ReadLevelAt(uint32_t frame, int channelIndex) const {
  const uint8_t* p = block_.Data() + size_t{frame} * format_.blockAlign;
  if (format_.bitsPerSample == 8) {
    if (channelIndex >= format_.blockAlign) return 0.0;
    return (static_cast<int>(p[channelIndex]) - 128) * kLevelPer8BitStep;
  }
  if (2 * channelIndex + 2 > format_.blockAlign) return 0.0;
  return LoadI16(p + 2 * channelIndex) * kLevelPer16BitStep;
}

double CWave::GetValue(uint32_t position, int selector) const {
  if (selector == kChannelNone || block_.Empty() || frameCount_ == 0) return 0.0;
  uint32_t f = WrapPosition(position);
  bool stereo = format_.channels >= 2;
  switch (selector) {
    case kChannelLeft: return ReadLevelAt(f, 0);
    case kChannelRight: return ReadLevelAt(f, stereo ? 1 : 0);
    case kChannelBoth:
      if (!stereo) return ReadLevelAt(f, 0);
      return (ReadLevelAt(f, 0) + ReadLevelAt(f, 1)) / 2.0;
    default: return 0.0;
  }
}

namespace {

// Level-scale values of count contiguous frames of 16-bit samples, kAlign bytes apart (0:
// take the stride from align). Separate loops per case, with the stride a constant where it
// can be, so that the compiler turns them into vector code. The results are GetValue's bit
// for bit: s * 10000/32768 = s * 625 / 2048 is exact in a double, so the mean of two such
// values, (a * step + b * step) / 2, is exactly (a + b) * (step / 2).
template <size_t kAlign>
void Read16(const uint8_t* p, size_t align, uint32_t count, int first, bool mean, double* out) {
  const size_t stride = kAlign ? kAlign : align;
  if (mean) {
    constexpr double kHalfStep = kLevelPer16BitStep / 2.0;
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* f = p + size_t{i} * stride;
      out[i] = (LoadI16(f) + LoadI16(f + 2)) * kHalfStep;
    }
  } else {
    const uint8_t* q = p + 2 * first;
    for (uint32_t i = 0; i < count; ++i) out[i] = LoadI16(q + size_t{i} * stride) * kLevelPer16BitStep;
  }
}

}  // namespace

void CWave::GetValues(uint32_t position, uint32_t count, int selector, double* out) const {
  bool contiguous = !wrapped_ && uint64_t{position} + count <= frameCount_;
  if (!contiguous || block_.Empty() || selector < kChannelLeft || selector > kChannelBoth) {
    for (uint32_t i = 0; i < count; ++i) out[i] = GetValue(position + i, selector);
    return;
  }
  const uint8_t* p = block_.Data() + size_t{position} * format_.blockAlign;
  const size_t align = format_.blockAlign;
  const bool stereo = format_.channels >= 2;
  const int first = selector == kChannelRight && stereo ? 1 : 0;
  const bool mean = selector == kChannelBoth && stereo;
  if (format_.bitsPerSample == 8) {
    if (mean) {
      for (uint32_t i = 0; i < count; ++i, p += align) {
        out[i] = ((static_cast<int>(p[0]) - 128) * kLevelPer8BitStep +
                  (static_cast<int>(p[1]) - 128) * kLevelPer8BitStep) / 2.0;
      }
    } else {
      for (uint32_t i = 0; i < count; ++i, p += align) {
        out[i] = (static_cast<int>(p[first]) - 128) * kLevelPer8BitStep;
      }
    }
  } else if (align >= size_t(mean ? 4 : 2 * first + 2)) {
    if (align == 4) Read16<4>(p, align, count, first, mean, out);
    else if (align == 2) Read16<2>(p, align, count, first, mean, out);
    else Read16<0>(p, align, count, first, mean, out);
  } else {
    for (uint32_t i = 0; i < count; ++i) out[i] = GetValue(position + i, selector);
  }
}

int CWave::GetSample(uint32_t position, int selector) const {
  if (selector == kChannelNone || block_.Empty() || frameCount_ == 0) return 0;
  uint32_t f = WrapPosition(position);
  bool stereo = format_.channels >= 2;
  switch (selector) {
    case kChannelLeft: return ReadSampleAt(f, 0);
    case kChannelRight: return ReadSampleAt(f, stereo ? 1 : 0);
    case kChannelBoth:
      if (!stereo) return ReadSampleAt(f, 0);
      return (ReadSampleAt(f, 0) + ReadSampleAt(f, 1)) / 2;
    default: return 0;
  }
}

int CWave::GetLR(uint32_t position, int& left, int& right, bool subtract) const {
  left = GetSample(position, kChannelLeft);
  right = format_.channels >= 2 ? GetSample(position, kChannelRight) : left;
  return subtract ? (left - right) / 2 : (left + right) / 2;
}

void CWave::SetSample(uint32_t position, int value, int selector) {
  if (selector == kChannelNone || block_.Empty() || frameCount_ == 0) return;
  value = std::clamp(value, -32768, 32767);
  uint32_t f = WrapPosition(position);
  uint8_t* p = block_.Data() + size_t{f} * format_.blockAlign;
  bool stereo = format_.channels >= 2;
  auto store = [&](int channelIndex) {
    if (format_.bitsPerSample == 8) {
      if (channelIndex < format_.blockAlign) p[channelIndex] = static_cast<uint8_t>((value >> 8) + 128);
    } else if (2 * channelIndex + 2 <= format_.blockAlign) {
      StoreI16(p + 2 * channelIndex, value);
    }
  };
  switch (selector) {
    case kChannelLeft: store(0); break;
    case kChannelRight: store(stereo ? 1 : 0); break;
    case kChannelBoth:
      store(0);
      if (stereo) store(1);
      break;
    default: break;
  }
}

void CWave::GetMinMax(uint32_t from, uint32_t to, double& nearer, double& farther,
                      double reference, int selector) const {
  if (to <= from) to = from + 1;
  double lo = GetValue(from, selector);
  double hi = lo;
  uint32_t step = (to - from) / 100 + 1;
  for (uint64_t p = uint64_t{from} + 1; p < to; p += step) {
    double v = GetValue(static_cast<uint32_t>(p), selector);
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  if (lo != hi) {
    if (std::fabs(lo - reference) >= std::fabs(hi - reference)) {
      nearer = hi;
      farther = lo;
    } else {
      nearer = lo;
      farther = hi;
    }
  } else {
    nearer = farther = lo;
  }
}

uint32_t CWave::WrapPosition(uint32_t position) const {
  if (frameCount_ == 0) return 0;
  if (wrapped_) return position % frameCount_;
  return position >= frameCount_ ? frameCount_ - 1 : position;
}

uint32_t CWave::AdjustForWrap(uint32_t position, uint32_t reference) const {
  if (wrapped_ && uint64_t{position} + MsToFrames(500) < reference) return position + frameCount_;
  return position;
}

bool CWave::ZoomRange(uint32_t& startFrame, uint32_t& endFrame, uint32_t anchorFrame,
                      double factor, uint32_t limitFrame) const {
  if (startFrame >= endFrame) return false;
  const int64_t n = frameCount_;
  const bool w = wrapped_ != 0;
  int64_t start = startFrame, end = endFrame, anchor = anchorFrame, limit = limitFrame;
  bool edge = false;
  if (anchor < start) {
    if (w && anchor + n <= end) anchor += n;
    if (anchor < start) anchor = start;
  }
  if (anchor > end) anchor = end;
  int64_t width = static_cast<int64_t>(std::floor(static_cast<double>(end - start) * factor + 0.5));
  int64_t offset =
      static_cast<int64_t>(std::floor(static_cast<double>(anchor - start) * factor + 0.5));
  int64_t cut = offset;
  if (anchor < offset) {
    if (!w) {
      edge = true;
      cut = anchor;
    } else {
      anchor += n;
      limit += n;
    }
  }
  start = anchor - cut;
  end = anchor + width - offset;
  if (end > limit) {
    int64_t span = end - start;
    end = limit;
    if (limit < span) {
      if (!w || n < limit) {
        edge = true;
        span = limit;
      } else {
        end = n + limit;
      }
    }
    start = end - span;
  }
  auto toFrame = [](int64_t v) {
    return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, std::numeric_limits<uint32_t>::max()));
  };
  startFrame = toFrame(start);
  endFrame = toFrame(end);
  return edge;
}

uint32_t CWave::MsToFrames(uint32_t ms) const {
  // Computed in 64 bits so that long times do not wrap around.
  return static_cast<uint32_t>(uint64_t{ms} * format_.samplesPerSec / 1000);
}

bool CWave::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.Write(&format_, sizeof format_);
    ar.WriteU32(dataSize_);
    ar.WriteU32(frameCount_);
    if (dataSize_ > 0) ar.Write(block_.Data(), std::min<size_t>(dataSize_, block_.Size()));
    return !ar.Failed();
  }
  WaveFormatRecord record{};
  ar.Read(&record, sizeof record);
  uint32_t dataSize = ar.ReadU32();
  uint32_t frames = ar.ReadU32();
  Free();
  if (ar.Failed()) return false;
  SetWaveFormat(record);
  if (frames == 0) {
    if (dataSize != 0) {
      ar.Fail();
      return false;
    }
    return true;
  }
  // The record must describe exactly the bytes that follow, and they must be there,
  // before anything is allocated.
  uint64_t align = uint64_t{record.channels} * (record.bitsPerSample / 8u);
  bool sane = record.channels >= 1 && record.channels <= 2 &&
              (record.bitsPerSample == 8 || record.bitsPerSample == 16) &&
              record.blockAlign == align && uint64_t{frames} * align == dataSize &&
              dataSize <= ar.BytesRemaining();
  if (!sane || !AllocateForOverwrite(frames)) {
    ar.Fail();
    return false;
  }
  if (!ar.Read(block_.Data(), dataSize_)) {
    Free();
    return false;
  }
  return true;
}

std::string CWave::SaveToTempFile() {
  std::string path;
  if (!MakeTempFileName("wft", path)) return {};
  FileStream file;
  if (!file.Open(path, FileStream::Mode::CreateTruncate)) {
    std::remove(path.c_str());
    return {};
  }
  bool ok;
  {
    CArchive ar(file, CArchive::Mode::Store, CArchive::kDefaultBufferBytes);
    ok = Serialize(ar) && ar.Flush();
  }
  ok = file.Close() && ok;
  if (!ok) {
    // A half-written file would lose the wave when it is read back.
    std::remove(path.c_str());
    return {};
  }
  return path;
}

bool CWave::LoadFromFile(const std::string& path) {
  FileStream file;
  if (!file.Open(path, FileStream::Mode::Read)) return false;
  CArchive ar(file, CArchive::Mode::Load, CArchive::kDefaultBufferBytes);
  return Serialize(ar);
}

bool CWave::Play(uint32_t from, uint32_t count) {
  if (!device_) return false;
  wrapped_ = 0;
  return device_->PlayBlock(*this, from, count);
}

bool CWave::Record(uint32_t from, uint32_t count) {
  if (!device_) return false;
  ring_ = 0;
  wrapped_ = 0;
  return device_->RecordBlock(*this, from, count);
}

bool CWave::RecordRing() {
  ring_ = 1;
  wrapped_ = 0;
  if (!device_) return false;
  uint32_t half = frameCount_ / 2;
  if (!device_->RecordBlock(*this, 0, half)) return false;
  device_->RecordBlock(*this, half, frameCount_ - half);
  return true;
}

bool CWave::Stop() {
  if (!device_) return false;
  if (IsBusy()) {
    ring_ = 0;
    device_->CloseOutput();
    device_->CloseInput();
  }
  return true;
}

void CWave::OnRecordDone(uint32_t position) {
  lastRecordPosition_ = position;
  if (!ring_ || !device_) return;
  uint32_t half = frameCount_ / 2;
  if (position == frameCount_) {
    device_->RecordBlock(*this, half, frameCount_ - half);
    wrapped_ = 1;
  } else {
    device_->RecordBlock(*this, 0, half);
  }
}

void CWave::MarkQueued(int slot) {
  if (slot >= 0 && slot < kDeviceSlotCount) queued_[slot] = 1;
}

void CWave::ClearQueued(int slot) {
  if (slot >= 0 && slot < kDeviceSlotCount) queued_[slot] = 0;
}

bool CWave::IsBusy() const {
  return std::any_of(queued_.begin(), queued_.end(), [](int q) { return q != 0; });
}

uint32_t CWave::CurrentDevicePosition(int direction, uint32_t last) {
  if (!device_) return 0;
  if (!IsBusy()) return last;
  uint32_t p = direction == WaveDevice::kInput ? device_->InputPosition() : device_->OutputPosition();
  int slot = -1;
  uint32_t frame = 0;
  // A position outside every block is no frame of this wave. The end of the wave itself is
  // a position: the device has got there and its report is on the way; falling back to the
  // last report would jump back to where the previous block ended.
  if (!device_->MapPosition(p, direction, slot, frame)) return last;
  return frame <= frameCount_ ? frame : last;
}

uint32_t CWave::GetRecordPosition() {
  return CurrentDevicePosition(WaveDevice::kInput, lastRecordPosition_);
}

uint32_t CWave::GetPlayPosition() {
  return CurrentDevicePosition(WaveDevice::kOutput, lastPlayPosition_);
}
