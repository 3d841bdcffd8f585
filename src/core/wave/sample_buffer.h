#pragma once
// The owned block of sample bytes behind a wave.
//
// Loading a long file is bound by the page faults of the fresh block, not by the disk: a
// 635 MB read into 4 KiB pages faults 155000 times. Blocks of kHugeBlockBytes or more are
// therefore anonymous mappings aligned to 2 MiB and advised for transparent huge pages, so
// the kernel can back them with 2 MiB pages (320 faults for the same file, and sparse reads
// across the block miss the TLB far less). Where the kernel refuses the mapping or the
// advice, the block quietly comes from the ordinary heap instead. Pages of a mapping cost
// memory only once they are touched, so a block may be reserved for more bytes than will
// arrive (Fill::Reserve) and cut down afterwards (Resize).
#include <cstddef>
#include <cstdint>

class SampleBuffer {
 public:
  // Reserve: undefined bytes, and a mapping that the kernel does not count against the
  // memory limit until its pages are touched (for a length that is only a guess; the others
  // are refused at once when the memory is not there).
  enum class Fill { Zero, Byte128, Undefined, Reserve };

  // Blocks this large or larger are huge-page mappings.
  static constexpr size_t kHugeBlockBytes = size_t{2} << 20;

  SampleBuffer() = default;
  ~SampleBuffer() { Free(); }
  SampleBuffer(const SampleBuffer&) = delete;
  SampleBuffer& operator=(const SampleBuffer&) = delete;
  SampleBuffer(SampleBuffer&& other) noexcept;
  SampleBuffer& operator=(SampleBuffer&& other) noexcept;

  // Replaces the block by one of byteCount bytes; false (and no block) when refused.
  bool Allocate(size_t byteCount, Fill fill);
  // Keeps the first min(old, new) bytes; bytes beyond the old size are undefined. False
  // (block unchanged) when refused.
  bool Resize(size_t byteCount);
  void Free();

  uint8_t* Data() { return data_; }
  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  bool Empty() const { return data_ == nullptr; }
  // Whether the block is a huge-page mapping (rather than heap memory).
  bool IsMapped() const { return mappedBytes_ != 0; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t mappedBytes_ = 0;  // length of the mapping; 0 for a heap block
};

// An anonymous mapping of at least byteCount bytes, starting on a 2 MiB boundary and advised
// for transparent huge pages; its pages read as zero. Null when the kernel refuses it.
// mappedBytes receives the mapping's length (byteCount rounded up to whole 2 MiB pages),
// which is what ReleaseHugePageBlock needs back. With reserveLazily the pages are not
// counted against the memory limit before they are touched.
void* AllocateHugePageBlock(size_t byteCount, size_t& mappedBytes, bool reserveLazily = false);
void ReleaseHugePageBlock(void* block, size_t mappedBytes);
