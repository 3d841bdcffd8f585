#include "core/io/safe_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

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
