// sonvue-cli play and record against real sound servers: the shared one of the test script
// (null sink "nullsink" as default output, its monitor as source "loopin"), none at all, and
// a private one that the test takes away in the middle of a run.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_run.h"
#include "core/wave/wave.h"
#include "support/temp_dir.h"
#include "support/tone.h"

extern char** environ;

namespace {

constexpr uint32_t kRate = 44100;

// sonvue-cli running in the background with extra environment, its stderr in a file.
class CliProcess {
 public:
  CliProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
             const std::string& errPath) {
    std::vector<std::string> all = {SONVUE_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings(env);
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~CliProcess() {
    if (pid_ > 0 && status_ == kRunning) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  // The exit status, or -1 when it did not end within timeoutMs (it is then killed).
  int Wait(int timeoutMs) {
    if (pid_ <= 0) return -1;
    for (int waited = 0; status_ == kRunning; waited += 20) {
      int raw = 0;
      if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        break;
      }
      if (waited > timeoutMs) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        status_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return status_;
  }

 private:
  static constexpr int kRunning = -2;
  pid_t pid_ = -1;
  int status_ = kRunning;
};

std::string ReadText(const std::string& path) {
  auto bytes = ReadAllBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool SharedServerWithLoopSource() {
  return Shell("pactl info") && Shell("pactl list short sources | grep -q loopin");
}

void WriteSine(const std::string& path, uint32_t frames, double toneHz) {
  CWave sine;
  ASSERT_TRUE(MakeSine(sine, kRate, 2, frames, toneHz, 16384));
  ASSERT_TRUE(sine.SaveWaveFile(path, 0, 0));
}

TEST(CliSound, RecordingWhilePlayingASineCapturesItsOneKilohertzPeak) {
  if (!SharedServerWithLoopSource()) {
    GTEST_SKIP() << "no sound server with the source \"loopin\": run scripts/start-sound-server "
                    "and export the XDG_RUNTIME_DIR it prints (scripts/test-all does both)";
  }
  TempDir dir;
  WriteSine(dir.Path("sine.wav"), kRate * 3 / 2, 1000.0);
  CliProcess recorder({"record", dir.Path("heard.wav"), "--seconds", "3", "--rate", "44100", "--bits", "16",
                       "--channels", "1"},
                      {"SONVUE_AUDIO_INPUT=loopin"}, dir.Path("record.err"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  CliResult played = RunSonvueCli({"play", dir.Path("sine.wav")});
  EXPECT_EQ(played.status, 0) << played.err;
  ASSERT_EQ(recorder.Wait(15000), 0) << ReadText(dir.Path("record.err"));

  CWave heard;
  ASSERT_TRUE(heard.LoadWaveFile(dir.Path("heard.wav")));
  EXPECT_EQ(heard.FrameCount(), kRate * 3);
  EXPECT_EQ(heard.Channels(), 1);
  auto onset = FindOnset(heard, 1000);
  ASSERT_TRUE(onset.has_value()) << "the recording holds no sound";
  const uint32_t first = *onset + kRate / 20, count = kRate / 2;
  ASSERT_LE(first + count, heard.FrameCount());
  SpectrumPeak peak = FindPeak(heard, first, count, 100.0, 5000.0, 10.0);
  EXPECT_EQ(peak.peakHz, 1000.0);
  EXPECT_NEAR(20 * std::log10(peak.peakAmplitude / 16384), 0.0, 0.5);
  EXPECT_LT(peak.runnerUpAmplitude, peak.peakAmplitude / 100);
}

TEST(CliSound, WithoutASoundServerPlayAndRecordSayWhyAndFail) {
  TempDir dir;
  WriteSine(dir.Path("sine.wav"), 4410, 1000.0);
  // An explicit server address that does not exist: nothing can be started in its place.
  const std::vector<std::string> noServer = {"PULSE_SERVER=unix:" + dir.Path("no-server")};
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"play", dir.Path("sine.wav")}, {"record", dir.Path("out.wav"), "--seconds", "1"}}) {
    SCOPED_TRACE(args[0]);
    CliProcess cli(args, noServer, dir.Path("err"));
    EXPECT_EQ(cli.Wait(10000), 1);
    std::string err = ReadText(dir.Path("err"));
    EXPECT_NE(err.find("ｿﾝﾋﾞｭｰ: サウンドデバイスを開けません。"), std::string::npos) << err;
    EXPECT_NE(err.find("サウンドサーバーが動いていないか"), std::string::npos) << err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("out.wav")));
}

// A private server, so that taking it away disturbs no other test.
class PrivateServer {
 public:
  explicit PrivateServer(const std::string& runtimeDir) : dir_(runtimeDir) {
    started_ = Shell("XDG_RUNTIME_DIR=" + dir_ + " " SONVUE_SOURCE_DIR "/scripts/start-sound-server");
  }
  ~PrivateServer() { Stop(); }
  bool Started() const { return started_; }
  void Stop() {
    if (started_) Shell("XDG_RUNTIME_DIR=" + dir_ + " pulseaudio --kill");
    started_ = false;
  }

 private:
  std::string dir_;
  bool started_ = false;
};

TEST(CliSound, AServerThatGoesAwayEndsPlayAndRecordCleanlyKeepingTheRecording) {
  if (!Shell("command -v pulseaudio")) GTEST_SKIP() << "pulseaudio is not installed";
  TempDir dir;
  WriteSine(dir.Path("long.wav"), kRate * 20, 440.0);
  struct Case {
    const char* name;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"record", {"record", dir.Path("kept.wav"), "--seconds", "20", "--channels", "1"}},
      {"play", {"play", dir.Path("long.wav")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string runtime = dir.Path(std::string("rt-") + c.name);
    PrivateServer server(runtime);
    ASSERT_TRUE(server.Started()) << "a private sound server did not start";
    CliProcess cli(c.args, {"XDG_RUNTIME_DIR=" + runtime, "SONVUE_AUDIO_INPUT=loopin"}, dir.Path("err"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    server.Stop();
    EXPECT_EQ(cli.Wait(10000), 1) << "it did not end when the server went away";
    std::string err = ReadText(dir.Path("err"));
    EXPECT_NE(err.find("サウンドデバイスが使えなくなりました。"), std::string::npos) << err;
  }
  // What was recorded before the server went away is in the file.
  CWave kept;
  ASSERT_TRUE(kept.LoadWaveFile(dir.Path("kept.wav")));
  EXPECT_GT(kept.FrameCount(), kRate / 2);
  EXPECT_LT(kept.FrameCount(), kRate * 5);
}

}  // namespace
