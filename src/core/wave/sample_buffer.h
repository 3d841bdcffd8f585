#pragma once
// The owned block of sample bytes behind a wave. Large zero-filled blocks come from calloc,
// whose fresh pages cost nothing until they are touched, so loading a long file pays for
// its pages once, while reading.
#include <cstddef>
#include <cstdint>

class SampleBuffer {
 public:
  enum class Fill { Zero, Byte128, Undefined };

  SampleBuffer() = default;
  ~SampleBuffer() { Free(); }
  SampleBuffer(const SampleBuffer&) = delete;
  SampleBuffer& operator=(const SampleBuffer&) = delete;
  SampleBuffer(SampleBuffer&& other) noexcept;
  SampleBuffer& operator=(SampleBuffer&& other) noexcept;

  // Replaces the block by one of byteCount bytes; false (and no block) when refused.
  bool Allocate(size_t byteCount, Fill fill);
  // Keeps the first min(old, new) bytes; false (block unchanged) when refused.
  bool Resize(size_t byteCount);
  void Free();

  uint8_t* Data() { return data_; }
  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  bool Empty() const { return data_ == nullptr; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};
