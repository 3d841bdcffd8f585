// sonvue-cli in pipes: "-" as input reads standard input, "-" as output writes standard
// output, and either gives exactly the bytes of the file form.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "cli_run.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/riff_builder.h"
#include "support/temp_dir.h"

namespace {

void WriteTone(const std::string& path, uint32_t frames, uint16_t channels = 2) {
  CWave w;
  w.SetFormat(8000, 16, channels);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) {
    w.SetSample(i, static_cast<int>((i * 7919) % 20000) - 10000, kChannelLeft);
    if (channels == 2) w.SetSample(i, static_cast<int>((i * 104729) % 16000) - 8000, kChannelRight);
  }
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

std::string FileText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadAllBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// Points the commands' temporary files at a folder of the test's own for its lifetime, so
// that what they leave behind can be seen there.
class OwnTempFolder {
 public:
  explicit OwnTempFolder(const std::string& folder) : folder_(folder) {
    std::filesystem::create_directories(folder);
    if (const char* old = std::getenv("TMPDIR")) previous_ = old;
    ::setenv("TMPDIR", folder.c_str(), 1);
  }
  ~OwnTempFolder() {
    if (previous_.empty()) ::unsetenv("TMPDIR");
    else ::setenv("TMPDIR", previous_.c_str(), 1);
  }
  const std::string& Folder() const { return folder_; }
  // No copy of standard input is left in the folder.
  bool NoSpoolLeft() const {
    for (const auto& e : std::filesystem::directory_iterator(folder_)) {
      if (e.path().filename().string().rfind("sonvue-stdin-", 0) == 0) return false;
    }
    return true;
  }

 private:
  std::string folder_;
  std::string previous_;
};

}  // namespace

TEST(CliPipes, EveryOutputDashGivesTheBytesOfTheFileForm) {
  TempDir dir;
  const std::string in = dir.Path("in.wav");
  WriteTone(in, 3000);
  WriteAllBytes(dir.Path("levels.txt"), {'1', '0', '\n', '-', '5', '0', '\n', '2', '5', '\n'});
  const std::string text = dir.Path("levels.txt");
  // Each command once with a file OUT (at the marker) and once with "-".
  const std::vector<std::vector<std::string>> commands = {
      {"cut", in, "@", "--from", "100", "--to", "2100"},
      {"edit", in, "@", "reverse", "--from", "10", "--to", "900"},
      {"filter", in, "@", "--type", "lp", "--f1", "1000", "--order", "40"},
      {"convert", in, "@", "--channels", "1", "--bits", "8"},
      {"import-text", text, "@", "--rate", "8000", "--bits", "16", "--channels", "1", "--frames", "5"},
      {"export-wave", in, "@"},
      {"export-wave", in, "@", "--csv", "--channels", "L,M"},
      {"spectrum", in, "--out", "@", "--block", "256"},
      {"spectrum", in, "--out", "@", "--block", "512", "--csv"},
      {"render", in, "@.png"},
      {"render", in, "@.svg", "--format", "svg"},
      {"doc", in, "@.wft", "--boxes", "fft:M"},
      {"generate", "@", "--rate", "8000", "--bits", "8", "--channels", "2", "--duration-ms", "300", "--sine", "440",
       "--noise", "level=2"},
  };
  for (const auto& command : commands) {
    std::vector<std::string> toFile = command, toStdout = command;
    for (size_t i = 0; i < command.size(); ++i) {
      if (command[i][0] != '@') continue;
      toFile[i] = dir.Path("out" + command[i].substr(1));
      toStdout[i] = "-";
    }
    const std::string label = command[0] + " " + command.back();
    CliResult file = RunSonvueCli(toFile);
    ASSERT_EQ(file.status, 0) << label << ": " << file.err;
    CliResult piped = RunShellLine(SonvueCliLine(toStdout) + " | cat");
    ASSERT_EQ(piped.status, 0) << label << ": " << piped.err;
    for (size_t i = 0; i < command.size(); ++i) {
      if (command[i][0] == '@') {
        EXPECT_EQ(piped.out, FileText(toFile[i])) << label;
      }
    }
    EXPECT_FALSE(piped.out.empty()) << label;
  }
  // A PDF holds its time of making, so only its kind is compared.
  CliResult pdf = RunShellLine(SonvueCliLine({"render", in, "-", "--format", "pdf"}) + " | cat");
  ASSERT_EQ(pdf.status, 0) << pdf.err;
  EXPECT_EQ(pdf.out.rfind("%PDF", 0), 0u);
}

TEST(CliPipes, EveryInputDashReadsStandardInputAsTheFile) {
  TempDir dir;
  const OwnTempFolder temp(dir.Path("tmp"));
  const std::string in = dir.Path("in.wav");
  WriteTone(in, 3000);
  const std::vector<std::vector<std::string>> commands = {
      {"info", "@"},
      {"info", "@", "--stats"},
      {"cut", "@", "-", "--from", "5", "--to", "50"},
      {"edit", "@", "-", "fade-in"},
      {"filter", "@", "-", "--type", "hp", "--f1", "500", "--order", "20"},
      {"convert", "@", "-", "--rate", "11025"},
      {"export-wave", "@", "-", "--csv"},
      {"spectrum", "@", "--block", "256", "--channels", "L,R"},
      {"render", "@", "-", "--boxes", "wave:L,fft:M"},
  };
  for (const auto& command : commands) {
    std::vector<std::string> fromFile = command, fromStdin = command;
    for (size_t i = 0; i < command.size(); ++i) {
      if (command[i] != "@") continue;
      fromFile[i] = in;
      fromStdin[i] = "-";
    }
    const std::string label = command[0] + " " + command.back();
    CliResult file = RunShellLine(SonvueCliLine(fromFile) + " | cat");
    ASSERT_EQ(file.status, 0) << label << ": " << file.err;
    // Through a pipe, and redirected from the file.
    CliResult piped = RunShellLine("cat " + ShellQuote(in) + " | " + SonvueCliLine(fromStdin) + " | cat");
    ASSERT_EQ(piped.status, 0) << label << ": " << piped.err;
    EXPECT_EQ(piped.out, file.out) << label;
    CliResult redirected = RunShellLine(SonvueCliLine(fromStdin) + " < " + ShellQuote(in) + " | cat");
    EXPECT_EQ(redirected.out, file.out) << label;
  }
  // Text comes through standard input too.
  WriteAllBytes(dir.Path("levels.txt"), {'5', '0', '\n', '2', '5', '\n'});
  const std::vector<std::string> importArgs = {"--rate", "8000", "--bits", "16", "--channels", "1", "--frames", "2"};
  std::vector<std::string> fromFile = {"import-text", dir.Path("levels.txt"), dir.Path("a.wav")};
  std::vector<std::string> fromStdin = {"import-text", "-", dir.Path("b.wav")};
  fromFile.insert(fromFile.end(), importArgs.begin(), importArgs.end());
  fromStdin.insert(fromStdin.end(), importArgs.begin(), importArgs.end());
  ASSERT_EQ(RunSonvueCli(fromFile).status, 0);
  ASSERT_EQ(RunShellLine(SonvueCliLine(fromStdin) + " < " + ShellQuote(dir.Path("levels.txt"))).status, 0);
  EXPECT_EQ(ReadAllBytes(dir.Path("a.wav")), ReadAllBytes(dir.Path("b.wav")));
  EXPECT_TRUE(temp.NoSpoolLeft());
}

TEST(CliPipes, CommandsJoinInAPipeline) {
  TempDir dir;
  const std::string in = dir.Path("in.wav");
  WriteTone(in, 3000);
  CliResult chained = RunShellLine(SonvueCliLine({"cut", in, "-", "--from", "1000", "--to", "2024"}) + " | " +
                                   SonvueCliLine({"filter", "-", "-", "--type", "lp", "--f1", "900"}) + " | " +
                                   SonvueCliLine({"spectrum", "-", "--block", "1024", "--csv"}));
  ASSERT_EQ(chained.status, 0) << chained.err;
  ASSERT_EQ(RunSonvueCli({"cut", in, dir.Path("c.wav"), "--from", "1000", "--to", "2024"}).status, 0);
  ASSERT_EQ(RunSonvueCli({"filter", dir.Path("c.wav"), dir.Path("f.wav"), "--type", "lp", "--f1", "900"}).status, 0);
  EXPECT_EQ(chained.out, RunSonvueCli({"spectrum", dir.Path("f.wav"), "--block", "1024", "--csv"}).out);
  CliResult info = RunShellLine(SonvueCliLine({"cut", in, "-", "--to", "441"}) + " | " + SonvueCliLine({"info", "-"}));
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("frames: 441\n"), std::string::npos) << info.out;
  CliResult generated = RunShellLine(SonvueCliLine({"generate", "-", "--rate", "8000", "--bits", "16", "--channels", "1",
                                                    "--duration-ms", "500", "--sine", "440"}) +
                                     " | " + SonvueCliLine({"info", "-"}));
  EXPECT_EQ(generated.status, 0) << generated.err;
  EXPECT_NE(generated.out.find("frames: 4000\n"), std::string::npos) << generated.out;
}

TEST(CliPipes, AStreamWithUnsetSizesIsReadToItsEnd) {
  TempDir dir;
  WriteTone(dir.Path("in.wav"), 500, 1);
  const std::vector<uint8_t> file = ReadAllBytes(dir.Path("in.wav"));
  const std::vector<uint8_t> samples(file.begin() + 46, file.begin() + 46 + 1000);
  const auto fmt = RiffBuilder::Fmt(1, 1, 8000, 16);
  // As writers that cannot seek back leave them: unset, 0, or a placeholder far too large.
  for (uint32_t claimed : {0xFFFFFFFFu, 0u, 0x7FFFF000u}) {
    WriteAllBytes(dir.Path("stream.wav"),
                  RiffBuilder().Chunk("fmt ", fmt).Chunk("data", samples, false, claimed).Build(claimed));
    CliResult r = RunShellLine("cat " + ShellQuote(dir.Path("stream.wav")) + " | " +
                               SonvueCliLine({"cut", "-", dir.Path("out.wav")}));
    ASSERT_EQ(r.status, 0) << claimed << ": " << r.err;
    EXPECT_EQ(ReadAllBytes(dir.Path("out.wav")), file) << claimed;
    // The same file read from its name keeps the reader's refusal of a size it cannot trust.
    if (claimed == 0xFFFFFFFFu) {
      EXPECT_EQ(RunSonvueCli({"info", dir.Path("stream.wav")}).status, 1);
    }
  }
}

TEST(CliPipes, SoxStreamsIntoSpectrum) {
  if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
  TempDir dir;
  WriteTone(dir.Path("in.wav"), 8000);
  CliResult piped = RunShellLine("sox " + ShellQuote(dir.Path("in.wav")) + " -t wav - 2>/dev/null | " +
                                 SonvueCliLine({"spectrum", "-", "--csv"}));
  ASSERT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, RunSonvueCli({"spectrum", dir.Path("in.wav"), "--csv"}).out);
}

TEST(CliPipes, RefusedAndInterruptedStreamsSayWhichAndLeaveNothing) {
  TempDir dir;
  const OwnTempFolder temp(dir.Path("tmp"));
  CliResult empty = RunShellLine(SonvueCliLine({"info", "-"}) + " </dev/null");
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("sonvue-cli info: standard input: cannot be read"), std::string::npos) << empty.err;
  // The sentence saying what is wrong names standard input too, never the private copy.
  CliResult text = RunShellLine("echo hello | " + SonvueCliLine({"spectrum", "-"}));
  EXPECT_EQ(text.status, 1);
  EXPECT_NE(text.err.find("ファイル「standard input」を開けません。"), std::string::npos) << text.err;
  EXPECT_EQ(text.err.find("sonvue-stdin-"), std::string::npos) << text.err;
  // A reader that goes away makes the write fail with a message, not a silent death.
  WriteTone(dir.Path("in.wav"), 200000);
  CliResult gone = RunShellLine(SonvueCliLine({"export-wave", dir.Path("in.wav"), "-"}) + " | head -c 10 >/dev/null; exit ${PIPESTATUS[0]}");
  EXPECT_EQ(gone.status, 1);
  EXPECT_NE(gone.err.find("standard output: cannot be written"), std::string::npos) << gone.err;
  // A command stopped while standard input still flows removes its copy.
  CliResult stopped = RunShellLine("{ head -c 100000 /dev/zero; sleep 2; } | " + SonvueCliLine({"info", "-"}) +
                                   " & pid=$!; sleep 1; ls " + ShellQuote(temp.Folder()) +
                                   "; kill -TERM $pid; wait $pid; echo status $?");
  EXPECT_NE(stopped.out.find("sonvue-stdin-"), std::string::npos) << stopped.out;
  EXPECT_NE(stopped.out.find("status 143"), std::string::npos) << stopped.out;
  EXPECT_TRUE(temp.NoSpoolLeft());
}
