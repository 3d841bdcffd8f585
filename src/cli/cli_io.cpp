#include "cli/cli_io.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/doc/wav_doc.h"
#include "core/platform/prompt.h"
#include "core/wave/wave.h"
#include "core/wave/wave_header.h"

namespace {

constexpr const char* kStdinName = "standard input";
constexpr const char* kStdoutName = "standard output";
// The copy of standard input is called so inside its private folder; a document made of it
// names its wave so.
constexpr const char* kSpoolFileName = "stdin";
constexpr size_t kSpoolPieceBytes = size_t{1} << 20;

// The copy of standard input is removed by the signals that end a command too. Only one
// copy exists at a time; its names are kept where a signal handler can reach them.
char g_spoolFile[PATH_MAX];
char g_spoolFolder[PATH_MAX];
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[3];

void RemoveSpool() {
  if (g_spoolFile[0]) ::unlink(g_spoolFile);
  if (g_spoolFolder[0]) ::rmdir(g_spoolFolder);
  g_spoolFile[0] = '\0';
  g_spoolFolder[0] = '\0';
}

void RemoveSpoolAndDie(int signal) {
  RemoveSpool();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void InstallCleanup() {
  struct sigaction action {};
  action.sa_handler = RemoveSpoolAndDie;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kCleanupSignals); ++i) sigaction(kCleanupSignals[i], &action, &g_previous[i]);
}

void RestoreSignals() {
  for (size_t i = 0; i < std::size(kCleanupSignals); ++i) sigaction(kCleanupSignals[i], &g_previous[i], nullptr);
}

std::string Reason(int error) { return std::strerror(error); }

}  // namespace

bool IsStdStream(const std::string& argument) { return argument == kStdStreamArgument; }

int RefuseFile(const CliCommand& command, const std::string& subject, const std::string& message) {
  std::fprintf(stderr, "sonvue-cli %s: %s: %s\n", command.name, subject.c_str(), message.c_str());
  return kExitRefused;
}

// --- input ---------------------------------------------------------------------------

CliInput::~CliInput() {
  if (spoolFolder_.empty()) return;
  RemoveSpool();
  RestoreSignals();
}

int CliInput::Open(const CliCommand& command, const std::string& argument) {
  if (!IsStdStream(argument)) {
    path_ = argument;
    name_ = argument;
    struct stat st {};
    if (::stat(argument.c_str(), &st) != 0) {
      return RefuseFile(command, argument, errno == ENOENT ? "no such file" : "cannot be read (" + Reason(errno) + ")");
    }
    if (S_ISDIR(st.st_mode)) return RefuseFile(command, argument, "is a folder, not a file");
    return kExitOk;
  }
  name_ = kStdinName;
  if (::isatty(STDIN_FILENO)) {
    return RefuseFile(command, name_, "is a terminal; send a file into it (sonvue-cli " + std::string(command.name) +
                                          " - < FILE, or through a pipe)");
  }
  std::string folder = TempDirectory() + "/sonvue-stdin-XXXXXX";
  if (!::mkdtemp(folder.data())) {
    return RefuseFile(command, name_, "cannot be kept in " + TempDirectory() + " (" + Reason(errno) + ")");
  }
  const std::string file = folder + "/" + kSpoolFileName;
  if (folder.size() >= sizeof g_spoolFolder || file.size() >= sizeof g_spoolFile) {
    ::rmdir(folder.c_str());
    return RefuseFile(command, name_, "cannot be kept: the temporary folder's name is too long");
  }
  spoolFolder_ = folder;
  path_ = file;
  std::strcpy(g_spoolFolder, folder.c_str());
  std::strcpy(g_spoolFile, file.c_str());
  InstallCleanup();

  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return RefuseFile(command, name_, "cannot be kept in " + folder + " (" + Reason(errno) + ")");
  FileStream copy;
  copy.Attach(fd, file);
  std::vector<char> piece(kSpoolPieceBytes);
  while (true) {
    const ssize_t got = ::read(STDIN_FILENO, piece.data(), piece.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return RefuseFile(command, name_, "cannot be read (" + Reason(errno) + ")");
    if (got == 0) break;
    if (!copy.Write(piece.data(), static_cast<size_t>(got))) {
      return RefuseFile(command, name_, "cannot be kept in " + TempDirectory() + " (" + Reason(errno) + ")");
    }
  }
  SettleStreamedWaveSizes(copy);
  copy.Close();
  return kExitOk;
}

int LoadInputWave(const CliCommand& command, const CliInput& input, CWave& wave, const ChannelPick& pick) {
  if (!wave.LoadWaveFile(input.Path(), pick, input.Name())) return RefuseFile(command, input.Name(), "cannot be read");
  if (wave.FrameCount() == 0) return RefuseFile(command, input.Name(), kNoSamplesMessage);
  return kExitOk;
}

int OpenInputDocument(const CliCommand& command, const CliInput& input, CWavDoc& doc, const ChannelPick& pick) {
  const bool document = OpensAsDocument(input.Path());
  if (!doc.OnOpenDocument(input.Path(), pick, input.Name())) return RefuseFile(command, input.Name(), "cannot be read");
  if (!document && doc.Wave().FrameCount() == 0) return RefuseFile(command, input.Name(), kNoSamplesMessage);
  return kExitOk;
}

// --- output --------------------------------------------------------------------------

// Standard output as a stream that is only written: its bytes go out as they come.
class CliOutput::StdoutStream : public ByteStream {
 public:
  size_t Read(void*, size_t) override { return 0; }
  bool Write(const void* src, size_t byteCount) override {
    const auto* in = static_cast<const uint8_t*>(src);
    size_t done = 0;
    while (done < byteCount) {
      const ssize_t put = ::write(STDOUT_FILENO, in + done, byteCount - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        error_ = put < 0 ? errno : EIO;
        position_ += done;
        return false;
      }
      done += static_cast<size_t>(put);
    }
    position_ += done;
    return true;
  }
  bool Seek(uint64_t position) override { return position == position_; }
  uint64_t Tell() const override { return position_; }
  uint64_t Size() const override { return position_; }
  int Error() const { return error_; }

 private:
  uint64_t position_ = 0;
  int error_ = 0;
};

CliOutput::CliOutput() = default;

CliOutput::~CliOutput() {
  if (open_ && !stdout_) file_.Abort();
}

bool CliOutput::Begin(const CliCommand& command, const std::string& argument, bool binary) {
  command_ = &command;
  if (IsStdStream(argument)) {
    name_ = kStdoutName;
    if (binary && ::isatty(STDOUT_FILENO)) {
      RefuseFile(command, name_, "is a terminal; send the output into a pipe or a file (> FILE)");
      return false;
    }
    // What the command printed before goes out first.
    std::fflush(stdout);
    stdout_ = std::make_unique<StdoutStream>();
    open_ = true;
    return true;
  }
  name_ = argument;
  if (!file_.Begin(argument)) {
    RefuseFile(command, name_, "cannot be written (" + file_.Error() + ")");
    return false;
  }
  open_ = true;
  return true;
}

ByteStream& CliOutput::Stream() {
  if (stdout_) return *stdout_;
  return file_.Stream();
}

int CliOutput::Commit() {
  if (!open_) return kExitRefused;
  open_ = false;
  if (stdout_) {
    if (stdout_->Error() != 0) return RefuseFile(*command_, name_, "cannot be written (" + Reason(stdout_->Error()) + ")");
    return kExitOk;
  }
  if (!file_.Commit()) {
    file_.Abort();
    return RefuseFile(*command_, name_, "cannot be written (" + file_.Error() + "); nothing was replaced");
  }
  return kExitOk;
}

int CliOutput::Fail() {
  if (!open_) return kExitRefused;
  open_ = false;
  if (stdout_) {
    const int error = stdout_->Error();
    return RefuseFile(*command_, name_, "cannot be written" + (error ? " (" + Reason(error) + ")" : std::string()));
  }
  const int error = errno;
  file_.Abort();
  const std::string why = !file_.Error().empty() ? file_.Error() : error ? Reason(error) : "a write failed";
  return RefuseFile(*command_, name_, "cannot be written (" + why + "); nothing was replaced");
}

int WriteWaveOutput(const CliCommand& command, CWave& wave, const std::string& argument, uint32_t from,
                    uint32_t to) {
  CliOutput out;
  if (!out.Begin(command, argument, true)) return kExitRefused;
  if (wave.WriteWave(out.Stream(), from, to) != 0) {
    AppMessage("Failed to save file");
    return out.Fail();
  }
  return out.Commit();
}

int WriteBytesOutput(const CliCommand& command, const void* bytes, size_t byteCount, const std::string& argument,
                     bool binary) {
  CliOutput out;
  if (!out.Begin(command, argument, binary)) return kExitRefused;
  if (!out.Stream().Write(bytes, byteCount)) return out.Fail();
  return out.Commit();
}
