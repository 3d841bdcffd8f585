#include "core/io/safe_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

SafeFileWriter::~SafeFileWriter() { Abort(); }

bool SafeFileWriter::Begin(const std::string& targetPath) {
  Abort();
  target_ = targetPath;
  std::string dir = ".";
  std::string base = targetPath;
  if (auto slash = targetPath.rfind('/'); slash != std::string::npos) {
    dir = slash == 0 ? "/" : targetPath.substr(0, slash);
    base = targetPath.substr(slash + 1);
  }
  if (base.empty()) return false;
  std::string pattern = (dir == "/" ? "" : dir) + "/." + base + ".sonvue-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  temp_ = name.data();
  stream_.Attach(fd, temp_);
  return true;
}

bool SafeFileWriter::Commit() {
  if (temp_.empty() || !stream_.IsOpen()) return false;
  // An existing target keeps its permissions; a new file gets the usual 0666 minus umask.
  mode_t mode;
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(stream_.Descriptor(), mode) == 0;
  ok = stream_.Flush() && ok;
  ok = stream_.Close() && ok;
  if (!ok || ::rename(temp_.c_str(), target_.c_str()) != 0) {
    Abort();
    return false;
  }
  temp_.clear();
  return true;
}

void SafeFileWriter::Abort() {
  stream_.Close();
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}
