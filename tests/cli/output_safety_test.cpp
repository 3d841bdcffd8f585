// What sonvue-cli does to its output files: never the input itself, never a half-written
// file in place of a good one, devices and FIFOs written straight, nothing left behind by
// a save that was killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "cli_run.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

void WriteStereo(const std::string& path, uint32_t frames) {
  CWave w;
  w.SetFormat(44100, 16, 2);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(i % 2000) * 10 - 10000, kChannelBoth);
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

std::vector<std::string> NamesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs sonvue-cli through the shell after the given shell commands (limits, traps).
int RunSonvueCliAfter(const std::string& setup, const std::vector<std::string>& args) {
  std::string cmd = setup + "; exec " + ShellQuote(SONVUE_CLI_PATH);
  for (const std::string& a : args) cmd += " " + ShellQuote(a);
  cmd += " >/dev/null 2>&1";
  const int raw = std::system(("bash -c " + ShellQuote(cmd)).c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

TEST(CliOutput, EveryCommandRefusesToWriteOverItsInput) {
  TempDir dir;
  WriteStereo(dir.Path("in.wav"), 4096);
  const std::vector<uint8_t> original = ReadAllBytes(dir.Path("in.wav"));
  // Other names of the same file: links of either kind, and the names an output needs.
  std::filesystem::create_symlink(dir.Path("in.wav"), dir.Path("link.wav"));
  std::filesystem::create_hard_link(dir.Path("in.wav"), dir.Path("hard.wav"));
  std::filesystem::create_hard_link(dir.Path("in.wav"), dir.Path("page.png"));
  std::filesystem::create_symlink(dir.Path("in.wav"), dir.Path("doc.wft"));
  const std::vector<std::vector<std::string>> cases = {
      {"cut", dir.Path("in.wav"), dir.Path("in.wav")},
      {"cut", dir.Path("in.wav"), dir.Path("link.wav")},
      {"cut", dir.Path("hard.wav"), dir.Root() + "/./in.wav"},
      {"spectrum", dir.Path("in.wav"), "--out", dir.Path("in.wav")},
      {"render", dir.Path("in.wav"), dir.Path("page.png")},
      {"doc", dir.Path("in.wav"), dir.Path("doc.wft")},
  };
  for (const auto& args : cases) {
    CliResult r = RunSonvueCli(args);
    EXPECT_EQ(r.status, 1) << args[0] << " " << args.back();
    EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAllBytes(dir.Path("in.wav")), original) << args[0];
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.wav")));
}

TEST(CliOutput, DevicesAndFifosAreWrittenStraightAndLinksLeadToTheirTarget) {
  TempDir dir;
  WriteStereo(dir.Path("in.wav"), 1000);
  struct stat before {};
  ASSERT_EQ(::stat("/dev/null", &before), 0);
  EXPECT_EQ(RunSonvueCli({"cut", dir.Path("in.wav"), "/dev/null"}).status, 0);
  struct stat after {};
  ASSERT_EQ(::stat("/dev/null", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);

  ASSERT_EQ(::mkfifo(dir.Path("pipe").c_str(), 0600), 0);
  std::vector<uint8_t> received;
  std::thread reader([&] { received = ReadAllBytes(dir.Path("pipe")); });
  EXPECT_EQ(RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("pipe"), "--from", "0", "--to", "10"}).status, 0);
  reader.join();
  EXPECT_EQ(received.size(), 46u + 40 + 8 + 130);  // header, 10 stereo frames, "ZSTR"
  EXPECT_EQ(std::string(received.begin(), received.begin() + 4), "RIFF");

  // Through a link into another folder: the link stays, its target is the new file.
  std::filesystem::create_directory(dir.Path("takes"));
  WriteAllBytes(dir.Path("takes/cut.wav"), {'o', 'l', 'd'});
  std::filesystem::create_symlink("takes/cut.wav", dir.Path("latest.wav"));
  EXPECT_EQ(RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("latest.wav"), "--from", "0", "--to", "10"}).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("latest.wav")));
  EXPECT_EQ(ReadAllBytes(dir.Path("takes/cut.wav")).size(), 46u + 40 + 8 + 130);
  EXPECT_EQ(NamesIn(dir.Path("takes")), std::vector<std::string>{"cut.wav"});
}

TEST(CliOutput, APictureThatCannotBeWrittenCompletelyExitsOneAndReplacesNothing) {
  TempDir dir;
  WriteStereo(dir.Path("in.wav"), 4410);
  // Files may grow to 8 KiB only, as on a nearly full disk; the pictures need more.
  for (const char* name : {"page.png", "page.pdf", "page.svg"}) {
    const std::vector<uint8_t> old(20000, 'x');
    WriteAllBytes(dir.Path(name), old);
    EXPECT_EQ(RunSonvueCliAfter("ulimit -f 8; trap '' XFSZ", {"render", dir.Path("in.wav"), dir.Path(name)}), 1)
        << name;
    EXPECT_EQ(ReadAllBytes(dir.Path(name)), old) << name;
  }
  EXPECT_EQ(NamesIn(dir.Root()), (std::vector<std::string>{"in.wav", "page.pdf", "page.png", "page.svg"}));
  // Without the limit every picture is written.
  for (const char* name : {"page.png", "page.pdf", "page.svg"}) {
    EXPECT_EQ(RunSonvueCli({"render", dir.Path("in.wav"), dir.Path(name)}).status, 0) << name;
    EXPECT_NE(ReadAllBytes(dir.Path(name)).size(), 20000u) << name;
  }
}

TEST(CliOutput, ACutKilledAtAnyMomentLeavesTheTargetWholeAndNothingBesideIt) {
  TempDir dir;
  WriteStereo(dir.Path("in.wav"), 44100 * 60);  // about 10 MB
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  WriteAllBytes(dir.Path("out.wav"), old);
  const std::vector<uint8_t> whole = ReadAllBytes(dir.Path("in.wav"));
  for (int delayMs : {0, 5, 15, 30, 60}) {
    std::vector<std::string> all = {SONVUE_CLI_PATH, "cut", dir.Path("in.wav"), dir.Path("out.wav")};
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const std::vector<uint8_t> now = ReadAllBytes(dir.Path("out.wav"));
    EXPECT_TRUE(now == old || now == whole) << delayMs << " ms: " << now.size() << " bytes";
    EXPECT_EQ(NamesIn(dir.Root()), (std::vector<std::string>{"in.wav", "out.wav"})) << delayMs << " ms";
  }
}

TEST(CliOutput, RecordChecksItsOutputBeforeTheDeviceStarts) {
  TempDir dir;
  // No sound server either: the output is the first thing refused, and nothing is recorded.
  const std::string noServer = "export PULSE_SERVER=unix:" + dir.Path("no-server");
  const std::string cmd = noServer + "; exec " + ShellQuote(SONVUE_CLI_PATH) + " record " +
                          ShellQuote(dir.Path("no/such/folder/take.wav")) + " --seconds 10 2>" +
                          ShellQuote(dir.Path("err"));
  const int raw = std::system(("bash -c " + ShellQuote(cmd)).c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
  const std::vector<uint8_t> errBytes = ReadAllBytes(dir.Path("err"));
  const std::string err(errBytes.begin(), errBytes.end());
  EXPECT_NE(err.find("cannot be written"), std::string::npos) << err;
  EXPECT_NE(err.find("nothing was recorded"), std::string::npos) << err;
  EXPECT_EQ(err.find("サウンドデバイス"), std::string::npos) << err;
}
