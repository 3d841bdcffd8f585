#include "core/io/safe_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "support/temp_dir.h"

namespace {
size_t FilesIn(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}
}  // namespace

TEST(SafeFileWriter, CommitReplacesTheTargetAndKeepsItsPermissions) {
  TempDir dir;
  std::string target = dir.Path("doc.wft");
  WriteAllBytes(target, {1, 2, 3});
  ::chmod(target.c_str(), 0640);

  SafeFileWriter w;
  ASSERT_TRUE(w.Begin(target));
  ASSERT_TRUE(w.Stream().Write("new", 3));
  EXPECT_EQ(ReadAllBytes(target), (std::vector<uint8_t>{1, 2, 3}));  // untouched until commit
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(ReadAllBytes(target), (std::vector<uint8_t>{'n', 'e', 'w'}));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesIn(dir.Root()), 1u);
}

TEST(SafeFileWriter, AbandonedWriteLeavesTheOldFileAndNoLeftovers) {
  TempDir dir;
  std::string target = dir.Path("keep.wav");
  WriteAllBytes(target, {9, 9});
  {
    SafeFileWriter w;
    ASSERT_TRUE(w.Begin(target));
    w.Stream().Write("partial", 7);
  }  // destroyed without commit
  EXPECT_EQ(ReadAllBytes(target), (std::vector<uint8_t>{9, 9}));
  EXPECT_EQ(FilesIn(dir.Root()), 1u);
}

TEST(SafeFileWriter, MissingFolderIsRefused) {
  TempDir dir;
  SafeFileWriter w;
  EXPECT_FALSE(w.Begin(dir.Path("no/such/folder/x.wav")));
}

namespace {
struct stat StatOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st;
}

// A process id that ran a moment ago and runs no more.
pid_t DeadPid() {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}
}  // namespace

TEST(SafeFileWriter, ASaveKilledWhileWritingLeavesNothingBehind) {
  TempDir dir;
  std::string target = dir.Path("big.wav");
  WriteAllBytes(target, {'o', 'l', 'd'});
  pid_t child = ::fork();
  if (child == 0) {
    SafeFileWriter w;
    if (!w.Begin(target)) ::_exit(2);
    std::vector<char> piece(1 << 16, 'x');
    for (int i = 0; i < 16; ++i) w.Stream().Write(piece.data(), piece.size());
    ::raise(SIGKILL);  // as kill -9 in the middle of the save
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadAllBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
  // An unnamed temporary file leaves nothing; a named one is gone after the next save.
  SafeFileWriter next;
  ASSERT_TRUE(next.Begin(dir.Path("other.wav")));
  next.Abort();
  EXPECT_EQ(FilesIn(dir.Root()), 1u);
}

TEST(SafeFileWriter, TheNextSaveRemovesOnlyStaleFilesOfDeadProcesses) {
  TempDir dir;
  const std::string dead = dir.Path(SaveTempFilePrefix("a.wft", DeadPid()) + "Ab12Cd");
  const std::string alive = dir.Path(SaveTempFilePrefix("b.wft", 1) + "Ab12Cd");
  const std::string mine = dir.Path(SaveTempFilePrefix("c.wft", ::getpid()) + "Ab12Cd");
  const std::string lookalike = dir.Path(".d.wft.sonvue-elsewhere-1-Ab12Cd");
  const std::string userFile = dir.Path("notes.sonvue-x");
  for (const std::string& f : {dead, alive, mine, lookalike, userFile}) WriteAllBytes(f, {1});
  SafeFileWriter w;
  ASSERT_TRUE(w.Begin(dir.Path("new.wft")));
  ASSERT_TRUE(w.Stream().Write("n", 1));
  ASSERT_TRUE(w.Commit());
  EXPECT_FALSE(std::filesystem::exists(dead));
  for (const std::string& f : {alive, mine, lookalike, userFile}) EXPECT_TRUE(std::filesystem::exists(f)) << f;
  EXPECT_EQ(FilesIn(dir.Root()), 5u);
}

TEST(SafeFileWriter, ASymbolicLinkStaysAndItsTargetIsReplacedInItsOwnFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path("real"));
  const std::string target = dir.Path("real/take.wav");
  WriteAllBytes(target, {'o', 'l', 'd'});
  ::chmod(target.c_str(), 0604);
  std::filesystem::create_symlink("real/take.wav", dir.Path("link.wav"));       // relative
  std::filesystem::create_symlink(dir.Path("link.wav"), dir.Path("chain.wav"));  // a link to a link
  SafeFileWriter w;
  ASSERT_TRUE(w.Begin(dir.Path("chain.wav")));
  EXPECT_EQ(w.Target(), dir.Path("real/take.wav"));
  ASSERT_TRUE(w.Stream().Write("new", 3));
  ASSERT_TRUE(w.Commit());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.wav")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("chain.wav")));
  EXPECT_EQ(ReadAllBytes(target), (std::vector<uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(StatOf(target).st_mode & 0777, 0604u);
  EXPECT_EQ(FilesIn(dir.Path("real")), 1u);
  EXPECT_EQ(FilesIn(dir.Root()), 3u);

  // A link to a file that does not exist yet creates that file.
  std::filesystem::create_symlink("real/later.wav", dir.Path("dangling.wav"));
  ASSERT_TRUE(w.Begin(dir.Path("dangling.wav")));
  ASSERT_TRUE(w.Stream().Write("x", 1));
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(ReadAllBytes(dir.Path("real/later.wav")), std::vector<uint8_t>{'x'});
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("dangling.wav")));
}

TEST(SafeFileWriter, AHardLinkedTargetIsReplacedUnderItsNameAndTheOtherNameKeepsTheOldFile) {
  TempDir dir;
  WriteAllBytes(dir.Path("a.wav"), {'o', 'l', 'd'});
  std::filesystem::create_hard_link(dir.Path("a.wav"), dir.Path("b.wav"));
  SafeFileWriter w;
  ASSERT_TRUE(w.Begin(dir.Path("a.wav")));
  ASSERT_TRUE(w.Stream().Write("new", 3));
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(ReadAllBytes(dir.Path("a.wav")), (std::vector<uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(ReadAllBytes(dir.Path("b.wav")), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST(SafeFileWriter, DevicesAndFifosAreWrittenStraightAndOtherKindsRefused) {
  TempDir dir;
  // A character device stays the device.
  const struct stat before = StatOf("/dev/null");
  SafeFileWriter w;
  ASSERT_TRUE(w.Begin("/dev/null"));
  EXPECT_TRUE(w.WritesStraight());
  ASSERT_TRUE(w.Stream().Write("data", 4));
  ASSERT_TRUE(w.Commit());
  const struct stat after = StatOf("/dev/null");
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);
  EXPECT_EQ(after.st_ino, before.st_ino);

  // A FIFO delivers the bytes to its reader and stays a FIFO.
  const std::string fifo = dir.Path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::vector<uint8_t> received;
  std::thread reader([&] { received = ReadAllBytes(fifo); });
  ASSERT_TRUE(w.Begin(fifo));
  ASSERT_TRUE(w.Stream().Write("through", 7));
  ASSERT_TRUE(w.Commit());
  reader.join();
  EXPECT_EQ(std::string(received.begin(), received.end()), "through");
  EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));

  // A folder is no file to replace.
  std::filesystem::create_directory(dir.Path("folder"));
  EXPECT_FALSE(w.Begin(dir.Path("folder")));
  EXPECT_FALSE(w.Error().empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("folder")));
}

TEST(SafeFileWriter, SameFileMeansOneDeviceAndInode) {
  TempDir dir;
  WriteAllBytes(dir.Path("a"), {1});
  WriteAllBytes(dir.Path("b"), {1});
  std::filesystem::create_hard_link(dir.Path("a"), dir.Path("hard"));
  std::filesystem::create_symlink(dir.Path("a"), dir.Path("soft"));
  EXPECT_TRUE(IsSameFile(dir.Path("a"), dir.Path("hard")));
  EXPECT_TRUE(IsSameFile(dir.Path("soft"), dir.Path("a")));
  EXPECT_TRUE(IsSameFile(dir.Path("a"), dir.Root() + "/./a"));
  EXPECT_FALSE(IsSameFile(dir.Path("a"), dir.Path("b")));
  EXPECT_FALSE(IsSameFile(dir.Path("a"), dir.Path("missing")));
}
