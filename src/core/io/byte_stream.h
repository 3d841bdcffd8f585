#pragma once
// Byte streams under the archive and the RIFF reader: a POSIX file and a block of memory.
// Positions and sizes are in bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Reads up to byteCount bytes; returns how many arrived (fewer only at the end or on error).
  virtual size_t Read(void* dest, size_t byteCount) = 0;
  // Writes all bytes; false when any could not be written.
  virtual bool Write(const void* src, size_t byteCount) = 0;
  virtual bool Seek(uint64_t position) = 0;
  virtual uint64_t Tell() const = 0;
  // Total size in bytes (for a file: its size now).
  virtual uint64_t Size() const = 0;
  virtual bool Flush() { return true; }
};

// A file opened with open(2). Large reads and writes go straight to the kernel.
class FileStream : public ByteStream {
 public:
  enum class Mode { Read, CreateTruncate, ReadWrite };
  FileStream() = default;
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  bool Open(const std::string& path, Mode mode);
  // Takes over an open descriptor (for example one from mkstemp).
  void Attach(int fd, const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Closes the file; false when the kernel reported a failure of the last writes.
  bool Close();
  const std::string& Path() const { return path_; }
  int Descriptor() const { return fd_; }

  size_t Read(void* dest, size_t byteCount) override;
  bool Write(const void* src, size_t byteCount) override;
  bool Seek(uint64_t position) override;
  uint64_t Tell() const override { return position_; }
  uint64_t Size() const override;
  // Pushes the written data to the storage device (fsync).
  bool Flush() override;

 private:
  int fd_ = -1;
  uint64_t position_ = 0;
  std::string path_;
};

// A growable block of memory; reading starts at the beginning.
class MemoryStream : public ByteStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  MemoryStream(const void* data, size_t byteCount);

  size_t Read(void* dest, size_t byteCount) override;
  bool Write(const void* src, size_t byteCount) override;
  bool Seek(uint64_t position) override;
  uint64_t Tell() const override { return position_; }
  uint64_t Size() const override { return bytes_.size(); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t> TakeBytes() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t position_ = 0;
};
