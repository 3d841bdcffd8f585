#include "core/io/byte_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

FileStream::~FileStream() { Close(); }

bool FileStream::Open(const std::string& path, Mode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::CreateTruncate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  Attach(fd, path);
  return true;
}

void FileStream::Attach(int fd, const std::string& path) {
  Close();
  fd_ = fd;
  path_ = path;
  position_ = 0;
}

bool FileStream::Close() {
  if (fd_ < 0) return true;
  bool ok = ::close(fd_) == 0;
  fd_ = -1;
  position_ = 0;
  return ok;
}

size_t FileStream::Read(void* dest, size_t byteCount) {
  if (fd_ < 0) return 0;
  auto* out = static_cast<uint8_t*>(dest);
  size_t done = 0;
  while (done < byteCount) {
    // The kernel moves at most about 2 GB per call.
    size_t piece = std::min<size_t>(byteCount - done, size_t{1} << 30);
    ssize_t got = ::read(fd_, out + done, piece);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  position_ += done;
  return done;
}

bool FileStream::Write(const void* src, size_t byteCount) {
  if (fd_ < 0) return false;
  const auto* in = static_cast<const uint8_t*>(src);
  size_t done = 0;
  while (done < byteCount) {
    size_t piece = std::min<size_t>(byteCount - done, size_t{1} << 30);
    ssize_t put = ::write(fd_, in + done, piece);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  position_ += done;
  return done == byteCount;
}

bool FileStream::Seek(uint64_t position) {
  if (fd_ < 0) return false;
  if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) return false;
  position_ = position;
  return true;
}

uint64_t FileStream::Size() const {
  if (fd_ < 0) return 0;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

bool FileStream::Flush() { return fd_ >= 0 && ::fsync(fd_) == 0; }

MemoryStream::MemoryStream(const void* data, size_t byteCount)
    : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + byteCount) {}

size_t MemoryStream::Read(void* dest, size_t byteCount) {
  if (position_ >= bytes_.size()) return 0;
  size_t n = std::min<size_t>(byteCount, bytes_.size() - static_cast<size_t>(position_));
  std::memcpy(dest, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

bool MemoryStream::Write(const void* src, size_t byteCount) {
  size_t end = static_cast<size_t>(position_) + byteCount;
  if (end > bytes_.size()) bytes_.resize(end);
  if (byteCount) std::memcpy(bytes_.data() + position_, src, byteCount);
  position_ = end;
  return true;
}

bool MemoryStream::Seek(uint64_t position) {
  if (position > bytes_.size()) return false;
  position_ = position;
  return true;
}
