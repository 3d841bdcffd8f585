#include "core/io/archive.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "stored records are little-endian and copied as they are in memory");

CArchive::CArchive(ByteStream& stream, Mode mode, size_t bufferBytes)
    : stream_(stream), mode_(mode), buffer_(std::max<size_t>(bufferBytes, 16)) {}

CArchive::~CArchive() {
  if (IsStoring()) Flush();
}

bool CArchive::Flush() {
  if (!IsStoring()) return !failed_;
  if (bufferUsed_ > 0) {
    if (!stream_.Write(buffer_.data(), bufferUsed_)) failed_ = true;
    bufferUsed_ = 0;
  }
  return !failed_;
}

bool CArchive::Write(const void* src, size_t byteCount) {
  if (!IsStoring() || failed_) {
    failed_ = true;
    return false;
  }
  const auto* in = static_cast<const uint8_t*>(src);
  if (byteCount >= buffer_.size()) {
    // Large blocks go straight to the stream after what is waiting.
    if (!Flush()) return false;
    if (!stream_.Write(in, byteCount)) failed_ = true;
    return !failed_;
  }
  if (bufferUsed_ + byteCount > buffer_.size() && !Flush()) return false;
  std::memcpy(buffer_.data() + bufferUsed_, in, byteCount);
  bufferUsed_ += byteCount;
  return true;
}

bool CArchive::FillBuffer() {
  bufferUsed_ = stream_.Read(buffer_.data(), buffer_.size());
  bufferPos_ = 0;
  return bufferUsed_ > 0;
}

bool CArchive::Read(void* dest, size_t byteCount) {
  auto* out = static_cast<uint8_t*>(dest);
  if (!IsLoading() || failed_) {
    failed_ = true;
    std::memset(out, 0, byteCount);
    return false;
  }
  size_t done = 0;
  while (done < byteCount) {
    size_t held = bufferUsed_ - bufferPos_;
    if (held > 0) {
      size_t n = std::min(held, byteCount - done);
      std::memcpy(out + done, buffer_.data() + bufferPos_, n);
      bufferPos_ += n;
      done += n;
      continue;
    }
    size_t left = byteCount - done;
    if (left >= buffer_.size()) {
      // Large blocks are read straight into their destination.
      size_t got = stream_.Read(out + done, left);
      done += got;
      if (got < left) break;
      continue;
    }
    if (!FillBuffer()) break;
  }
  if (done < byteCount) {
    failed_ = true;
    std::memset(out, 0, byteCount);
    return false;
  }
  return true;
}

uint64_t CArchive::BytesRemaining() const {
  if (!IsLoading()) return 0;
  uint64_t size = stream_.Size();
  uint64_t pos = stream_.Tell();
  uint64_t streamLeft = size > pos ? size - pos : 0;
  return streamLeft + (bufferUsed_ - bufferPos_);
}

void CArchive::WriteU16(uint16_t v) { Write(&v, sizeof v); }
void CArchive::WriteU32(uint32_t v) { Write(&v, sizeof v); }
void CArchive::WriteF32(float v) { Write(&v, sizeof v); }
void CArchive::WriteF64(double v) { Write(&v, sizeof v); }

uint8_t CArchive::ReadU8() {
  uint8_t v = 0;
  Read(&v, sizeof v);
  return v;
}
uint16_t CArchive::ReadU16() {
  uint16_t v = 0;
  Read(&v, sizeof v);
  return v;
}
uint32_t CArchive::ReadU32() {
  uint32_t v = 0;
  Read(&v, sizeof v);
  return v;
}
float CArchive::ReadF32() {
  float v = 0;
  Read(&v, sizeof v);
  return v;
}
double CArchive::ReadF64() {
  double v = 0;
  Read(&v, sizeof v);
  return v;
}
