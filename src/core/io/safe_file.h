#pragma once
// Replacing a file without ever destroying the old one.
//
// A regular file (or a new one) is written to a temporary file in the target's own folder,
// flushed to the disk, and renamed over the target only when complete; until Commit
// succeeds the target stays as it was. Where the file system offers unnamed temporary files
// (O_TMPFILE) the data lives in one until Commit gives it a name, so a save that is killed
// leaves nothing behind. Elsewhere the temporary file carries a recognisable name (host and
// process id), and the next save into the same folder removes those of processes that no
// longer run.
//
// The target is what the path finally names: symbolic links are followed and their target
// is replaced in its own folder (the link stays a link). An existing target keeps its
// permissions and, where allowed, its owner. A hard-linked target is replaced under the
// name given; its other names keep the previous contents, as with every save that renames.
// Character devices and FIFOs are written straight (nothing to replace, nothing to keep);
// anything else that is no regular file (a folder, a block device, a socket) is refused.
#include <string>

#include "core/io/byte_stream.h"

class SafeFileWriter {
 public:
  SafeFileWriter() = default;
  ~SafeFileWriter();  // abandons an uncommitted write
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Prepares the write; false (with Error()) when the target cannot be written: a missing
  // or read-only folder, a target that is no regular file, device or FIFO.
  bool Begin(const std::string& targetPath);
  FileStream& Stream() { return stream_; }
  // Flushes, closes and puts the new file in place; false (with Error()) when any of that
  // failed, in which case the target is as it was (a device may have received a part).
  bool Commit();
  // Removes the temporary file; the target is untouched.
  void Abort();

  // The file Commit replaces: the target path with its symbolic links followed.
  const std::string& Target() const { return target_; }
  // The target is a device or FIFO written directly.
  bool WritesStraight() const { return kind_ == Kind::kStraight; }
  // Why the last Begin or Commit failed, in English (for messages on the command line).
  const std::string& Error() const { return error_; }

 private:
  enum class Kind { kNone, kUnnamed, kNamed, kStraight };
  bool Fail(const std::string& why);
  bool GiveName();

  FileStream stream_;
  Kind kind_ = Kind::kNone;
  std::string target_;
  std::string folder_;
  std::string temp_;  // the temporary file's name, once it has one
  std::string error_;
};

// The path with its symbolic links followed (at most 40 of them); a link to a file that
// does not exist yet gives the path of that file.
std::string ResolveSymbolicLinks(const std::string& path);

// Both paths name one existing file (the same device and inode, links followed).
bool IsSameFile(const std::string& a, const std::string& b);

// The start of the name of every named temporary file a save to base by process pid makes:
// ".BASE.sonvue-HOST-PID-" (base cut to 100 bytes), followed by six random characters.
std::string SaveTempFilePrefix(const std::string& base, int pid);

// Removes the temporary files that saves of this host's processes which no longer run left
// in folder (owned by this user); returns how many went.
int RemoveStaleSaveFiles(const std::string& folder);
