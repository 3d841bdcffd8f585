#include "core/wave/sample_buffer.h"

#include <cstdlib>
#include <cstring>
#include <utility>

SampleBuffer::SampleBuffer(SampleBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

SampleBuffer& SampleBuffer::operator=(SampleBuffer&& other) noexcept {
  if (this != &other) {
    Free();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool SampleBuffer::Allocate(size_t byteCount, Fill fill) {
  Free();
  if (byteCount == 0) return false;
  void* p = nullptr;
  switch (fill) {
    case Fill::Zero: p = std::calloc(byteCount, 1); break;
    case Fill::Byte128:
      p = std::malloc(byteCount);
      if (p) std::memset(p, 0x80, byteCount);
      break;
    case Fill::Undefined: p = std::malloc(byteCount); break;
  }
  if (!p) return false;
  data_ = static_cast<uint8_t*>(p);
  size_ = byteCount;
  return true;
}

bool SampleBuffer::Resize(size_t byteCount) {
  if (byteCount == 0) {
    Free();
    return true;
  }
  void* p = std::realloc(data_, byteCount);
  if (!p) return false;
  data_ = static_cast<uint8_t*>(p);
  size_ = byteCount;
  return true;
}

void SampleBuffer::Free() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
}
