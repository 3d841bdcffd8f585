#pragma once
// The binary archive through which every stored record is written and read: fixed-width
// little-endian fields over a byte stream, with a 4096-byte buffer. A short read or a failed
// write does not throw: the archive becomes failed, reads then deliver zeros, and the loader
// checks Failed() (or the bool results) before it trusts what it read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/io/byte_stream.h"

class CArchive {
 public:
  enum class Mode { Store, Load };
  static constexpr size_t kDefaultBufferBytes = 4096;

  CArchive(ByteStream& stream, Mode mode, size_t bufferBytes = kDefaultBufferBytes);
  ~CArchive();  // flushes a storing archive
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  bool IsStoring() const { return mode_ == Mode::Store; }
  bool IsLoading() const { return mode_ == Mode::Load; }
  bool Failed() const { return failed_; }
  // Marks the archive failed (a loader that found an impossible value calls it).
  void Fail() { failed_ = true; }

  // Raw bytes. Read gives false (and fails the archive, zero-filling dest) when fewer
  // than byteCount bytes remain.
  bool Write(const void* src, size_t byteCount);
  bool Read(void* dest, size_t byteCount);

  // Bytes not yet read from the stream (loading).
  uint64_t BytesRemaining() const;
  // Writes the buffer to the stream (storing); false when the stream refused it.
  bool Flush();
  ByteStream& Stream() { return stream_; }

  // Fixed-width little-endian fields.
  void WriteU8(uint8_t v) { Write(&v, 1); }
  void WriteU16(uint16_t v);
  void WriteI16(int16_t v) { WriteU16(static_cast<uint16_t>(v)); }
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteF32(float v);
  void WriteF64(double v);

  uint8_t ReadU8();
  uint16_t ReadU16();
  int16_t ReadI16() { return static_cast<int16_t>(ReadU16()); }
  uint32_t ReadU32();
  int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
  float ReadF32();
  double ReadF64();

  // Stores or loads one field, by the archive's direction: the serialisers of the
  // records use these so that one function describes both directions.
  void Field(uint16_t& v) { IsStoring() ? WriteU16(v) : void(v = ReadU16()); }
  void Field(int16_t& v) { IsStoring() ? WriteI16(v) : void(v = ReadI16()); }
  void Field(uint32_t& v) { IsStoring() ? WriteU32(v) : void(v = ReadU32()); }
  void Field(int32_t& v) { IsStoring() ? WriteI32(v) : void(v = ReadI32()); }
  void Field(float& v) { IsStoring() ? WriteF32(v) : void(v = ReadF32()); }
  void Field(double& v) { IsStoring() ? WriteF64(v) : void(v = ReadF64()); }
  void Bytes(void* data, size_t byteCount) {
    IsStoring() ? void(Write(data, byteCount)) : void(Read(data, byteCount));
  }

 private:
  bool FillBuffer();

  ByteStream& stream_;
  Mode mode_;
  std::vector<uint8_t> buffer_;
  size_t bufferUsed_ = 0;  // storing: bytes waiting; loading: bytes held
  size_t bufferPos_ = 0;   // loading: next byte to hand out
  bool failed_ = false;
};
