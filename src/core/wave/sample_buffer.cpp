#include "core/wave/sample_buffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kHugePageBytes = size_t{2} << 20;

size_t RoundUpToHugePages(size_t bytes) {
  return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

}  // namespace

void* AllocateHugePageBlock(size_t byteCount, size_t& mappedBytes, bool reserveLazily) {
  mappedBytes = 0;
  if (byteCount == 0 || byteCount > SIZE_MAX - 2 * kHugePageBytes) return nullptr;
  const size_t length = RoundUpToHugePages(byteCount);
  // Map one huge page more than needed and cut off what lies before the first 2 MiB
  // boundary and after the block.
  const size_t span = length + kHugePageBytes;
  const int flags = MAP_PRIVATE | MAP_ANONYMOUS | (reserveLazily ? MAP_NORESERVE : 0);
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, flags, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto* base = static_cast<uint8_t*>(raw);
  const auto address = reinterpret_cast<uintptr_t>(base);
  const size_t head = (kHugePageBytes - address % kHugePageBytes) % kHugePageBytes;
  if (head > 0) ::munmap(base, head);
  const size_t tail = span - head - length;
  if (tail > 0) ::munmap(base + head + length, tail);
  // Refused advice (a kernel without transparent huge pages) leaves ordinary pages.
  ::madvise(base + head, length, MADV_HUGEPAGE);
  mappedBytes = length;
  return base + head;
}

void ReleaseHugePageBlock(void* block, size_t mappedBytes) {
  if (block && mappedBytes > 0) ::munmap(block, mappedBytes);
}

SampleBuffer::SampleBuffer(SampleBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mappedBytes_(std::exchange(other.mappedBytes_, 0)) {}

SampleBuffer& SampleBuffer::operator=(SampleBuffer&& other) noexcept {
  if (this != &other) {
    Free();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mappedBytes_ = std::exchange(other.mappedBytes_, 0);
  }
  return *this;
}

bool SampleBuffer::Allocate(size_t byteCount, Fill fill) {
  Free();
  if (byteCount == 0) return false;
  void* p = nullptr;
  size_t mapped = 0;
  if (byteCount >= kHugeBlockBytes) p = AllocateHugePageBlock(byteCount, mapped, fill == Fill::Reserve);
  if (p) {
    // A fresh mapping reads as zero already.
    if (fill == Fill::Byte128) std::memset(p, 0x80, byteCount);
  } else {
    switch (fill) {
      case Fill::Zero: p = std::calloc(byteCount, 1); break;
      case Fill::Byte128:
        p = std::malloc(byteCount);
        if (p) std::memset(p, 0x80, byteCount);
        break;
      case Fill::Undefined:
      case Fill::Reserve: p = std::malloc(byteCount); break;
    }
    if (!p) return false;
  }
  data_ = static_cast<uint8_t*>(p);
  size_ = byteCount;
  mappedBytes_ = mapped;
  return true;
}

bool SampleBuffer::Resize(size_t byteCount) {
  if (byteCount == 0) {
    Free();
    return true;
  }
  if (!IsMapped()) {
    if (byteCount >= kHugeBlockBytes && byteCount > size_) {
      // Growing into a large block: move to a huge-page mapping.
      size_t mapped = 0;
      void* p = AllocateHugePageBlock(byteCount, mapped);
      if (p) {
        if (data_) std::memcpy(p, data_, size_);
        std::free(data_);
        data_ = static_cast<uint8_t*>(p);
        size_ = byteCount;
        mappedBytes_ = mapped;
        return true;
      }
    }
    void* p = std::realloc(data_, byteCount);
    if (!p) return false;
    data_ = static_cast<uint8_t*>(p);
    size_ = byteCount;
    return true;
  }
  const size_t length = RoundUpToHugePages(byteCount);
  if (length <= mappedBytes_) {
    // Shrinking gives the pages after the new end back.
    if (length < mappedBytes_) ::munmap(data_ + length, mappedBytes_ - length);
  } else {
    void* p = ::mremap(data_, mappedBytes_, length, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) return false;
    data_ = static_cast<uint8_t*>(p);
    ::madvise(data_, length, MADV_HUGEPAGE);
  }
  mappedBytes_ = length;
  size_ = byteCount;
  return true;
}

void SampleBuffer::Free() {
  if (IsMapped()) ReleaseHugePageBlock(data_, mappedBytes_);
  else std::free(data_);
  data_ = nullptr;
  size_ = 0;
  mappedBytes_ = 0;
}
