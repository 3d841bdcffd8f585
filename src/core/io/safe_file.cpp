#include "core/io/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kMostLinkHops = 40;
constexpr size_t kMostBaseBytesInTempName = 100;
constexpr size_t kMostHostBytesInTempName = 32;
constexpr size_t kRandomChars = 6;
constexpr const char* kTempMarker = ".sonvue-";

struct PathParts {
  std::string folder;  // "." for a bare name
  std::string base;
};

PathParts Split(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// This host's name with nothing but letters, digits and '_', so that a temporary file's
// name splits unambiguously at its '-'.
const std::string& HostTag() {
  static const std::string tag = [] {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::string("host");
    std::string t;
    for (const char* c = name; *c && t.size() < kMostHostBytesInTempName; ++c) {
      const unsigned char u = static_cast<unsigned char>(*c);
      t.push_back(std::isalnum(u) ? *c : '_');
    }
    return t;
  }();
  return tag;
}

std::string TempPrefix(const std::string& base) { return SaveTempFilePrefix(base, ::getpid()); }

std::string RandomChars() {
  static std::mt19937_64 generator{std::random_device{}() ^ (uint64_t(::getpid()) << 32)};
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string s;
  for (size_t i = 0; i < kRandomChars; ++i) s.push_back(kChars[generator() % (sizeof kChars - 1)]);
  return s;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Copies everything of one open file into another, from the start.
bool CopyAll(int from, int to) {
  if (::lseek(from, 0, SEEK_SET) < 0) return false;
  std::vector<char> buffer(size_t{1} << 20);
  while (true) {
    ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
  }
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string SaveTempFilePrefix(const std::string& base, int pid) {
  size_t n = std::min(base.size(), kMostBaseBytesInTempName);
  while (n > 0 && n < base.size() && (static_cast<unsigned char>(base[n]) & 0xC0) == 0x80) --n;
  std::string prefix(1, '.');
  prefix.append(base, 0, n);
  prefix.append(kTempMarker).append(HostTag()).append("-").append(std::to_string(pid)).append("-");
  return prefix;
}

std::string ResolveSymbolicLinks(const std::string& path) {
  std::string p = path;
  for (int hop = 0; hop < kMostLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t n = ::readlink(p.c_str(), target.data(), target.size() - 1);
    if (n <= 0) return p;
    const std::string to(target.data(), static_cast<size_t>(n));
    p = to[0] == '/' || p.find('/') == std::string::npos ? to : Join(Split(p).folder, to);
  }
  return p;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int RemoveStaleSaveFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  const std::string ownHost = HostTag();
  const pid_t ownPid = ::getpid();
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] != '.') continue;
    const auto marker = name.rfind(kTempMarker);
    if (marker == std::string::npos) continue;
    // HOST-PID-XXXXXX after the marker.
    const std::string rest = name.substr(marker + std::strlen(kTempMarker));
    const auto lastDash = rest.rfind('-');
    if (lastDash == std::string::npos || rest.size() - lastDash - 1 != kRandomChars) continue;
    const auto pidDash = rest.rfind('-', lastDash - 1);
    if (pidDash == std::string::npos || rest.substr(0, pidDash) != ownHost) continue;
    const std::string pidText = rest.substr(pidDash + 1, lastDash - pidDash - 1);
    if (pidText.empty() || pidText.size() > 9 || pidText.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(pidText));
    if (pid <= 0 || pid == ownPid) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to judge
    struct stat st {};
    if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    if (::unlinkat(::dirfd(dir), name.c_str(), 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

SafeFileWriter::~SafeFileWriter() { Abort(); }

bool SafeFileWriter::Fail(const std::string& why) {
  Abort();
  error_ = why;
  return false;
}

bool SafeFileWriter::Begin(const std::string& targetPath) {
  Abort();
  error_.clear();
  target_ = ResolveSymbolicLinks(targetPath);
  const PathParts parts = Split(target_);
  folder_ = parts.folder;
  if (parts.base.empty() || parts.base == "." || parts.base == "..") return Fail(targetPath + " names no file");

  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode)) {
      return Fail(targetPath + " is no regular file, device or FIFO");
    }
    // Nothing to keep: the bytes go straight in (a FIFO waits here for its reader).
    int fd;
    do {
      fd = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Fail(targetPath + ": " + std::strerror(errno));
    stream_.Attach(fd, target_);
    kind_ = Kind::kStraight;
    return true;
  }

  RemoveStaleSaveFiles(folder_);
  int fd = -1;
#ifdef O_TMPFILE
  if (::access("/proc/self/fd", X_OK) == 0) {
    fd = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  }
#endif
  if (fd >= 0) {
    stream_.Attach(fd, target_);
    kind_ = Kind::kUnnamed;
    return true;
  }
  std::string pattern = Join(folder_, TempPrefix(parts.base) + "XXXXXX");
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return Fail(targetPath + ": " + std::strerror(errno));
  temp_ = name.data();
  stream_.Attach(fd, target_);
  kind_ = Kind::kNamed;
  return true;
}

bool SafeFileWriter::GiveName() {
  // The unnamed file gets a name of the recognisable kind for the moment before the rename.
  const std::string prefix = Join(folder_, TempPrefix(Split(target_).base));
  const std::string self = "/proc/self/fd/" + std::to_string(stream_.Descriptor());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = prefix + RandomChars();
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temp_ = name;
      return true;
    }
    if (errno != EEXIST) break;
  }
  // No way to name it: copy it into a named temporary file instead.
  std::string pattern = prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  temp_ = name.data();
  kind_ = Kind::kNamed;
  const bool copied = CopyAll(stream_.Descriptor(), fd) && ::fsync(fd) == 0;
  stream_.Close();
  stream_.Attach(fd, target_);
  return copied;
}

bool SafeFileWriter::Commit() {
  if (kind_ == Kind::kNone || !stream_.IsOpen()) return Fail("nothing is being written");
  if (kind_ == Kind::kStraight) {
    const bool ok = stream_.Close();
    kind_ = Kind::kNone;
    return ok ? true : Fail(target_ + ": " + std::strerror(errno));
  }
  // An existing target keeps its owner (where this user may give it) and permissions; a new
  // file gets the usual 0666 less the umask.
  mode_t mode = NewFileMode();
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
    struct stat own {};
    if (::fstat(stream_.Descriptor(), &own) == 0 && (own.st_uid != st.st_uid || own.st_gid != st.st_gid)) {
      [[maybe_unused]] int ignored = ::fchown(stream_.Descriptor(), st.st_uid, st.st_gid);
    }
  }
  if (::fchmod(stream_.Descriptor(), mode) != 0) return Fail(target_ + ": " + std::strerror(errno));
  if (!stream_.Flush()) return Fail(target_ + ": " + std::strerror(errno));
  if (kind_ == Kind::kUnnamed && !GiveName()) return Fail(target_ + ": " + std::strerror(errno));
  if (!stream_.Close()) return Fail(target_ + ": " + std::strerror(errno));
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return Fail(target_ + ": " + std::strerror(errno));
  temp_.clear();
  kind_ = Kind::kNone;
  SyncFolder(folder_);
  return true;
}

void SafeFileWriter::Abort() {
  stream_.Close();
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  kind_ = Kind::kNone;
}
