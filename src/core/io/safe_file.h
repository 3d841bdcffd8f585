#pragma once
// Replacing a file without ever destroying the old one: everything is written to a
// temporary file in the same folder, which is flushed to the disk and renamed over the
// target only when complete. Until Commit succeeds the target stays as it was.
#include <string>

#include "core/io/byte_stream.h"

class SafeFileWriter {
 public:
  SafeFileWriter() = default;
  ~SafeFileWriter();  // abandons an uncommitted write
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Creates the temporary file beside target; false when the folder refuses it.
  bool Begin(const std::string& targetPath);
  FileStream& Stream() { return stream_; }
  // Flushes, closes and renames over the target (keeping an existing target's permissions).
  bool Commit();
  // Removes the temporary file; the target is untouched.
  void Abort();

 private:
  FileStream stream_;
  std::string target_;
  std::string temp_;
};
