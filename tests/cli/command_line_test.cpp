// sonvue-cli as scripts expect it: exit status 2 with a message naming the option for every
// wrong command line, one message for empty waves in every command, files named in errors,
// oversized pages drawn to scale, and help with an example for every command.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_run.h"
#include "core/doc/wav_doc.h"
#include "core/graph/box.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/riff_builder.h"
#include "support/temp_dir.h"

namespace {

void WriteTone(const std::string& path, uint32_t frames) {
  CWave w;
  w.SetFormat(8000, 16, 2);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(i % 400) * 50 - 10000, kChannelBoth);
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

uint32_t BigEndian32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

}  // namespace

TEST(CliCommandLine, EveryWrongCommandLineExitsTwoNamingWhatIsWrong) {
  TempDir dir;
  const std::string in = dir.Path("in.wav");
  const std::string out = dir.Path("out.wav");
  WriteTone(in, 3000);
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      // Numbers: decimal digits only, checked to the end, within 32 bits.
      {{"cut", in, out, "--from", "0x20"}, "--from needs a whole number"},
      {{"cut", in, out, "--from", "1e3"}, "--from needs a whole number"},
      {{"cut", in, out, "--to", "12abc"}, "--to needs a whole number"},
      {{"cut", in, out, "--to", "-0"}, "--to needs a whole number"},
      {{"cut", in, out, "--to", "-5"}, "--to needs a whole number"},
      {{"cut", in, out, "--to", "+5"}, "--to needs a whole number"},
      {{"cut", in, out, "--to", " 5"}, "--to needs a whole number"},
      {{"cut", in, out, "--to", ""}, "--to needs a whole number"},
      {{"cut", in, out, "--to", "4294967296"}, "--to needs a whole number"},
      {{"cut", in, out, "--to", "99999999999999999999"}, "--to needs a whole number"},
      {{"edit", in, out, "level", "--percent", "1e2"}, "--percent needs a whole number"},
      {{"spectrum", in, "--from", "0x10"}, "--from needs a whole number"},
      {{"render", in, dir.Path("p.png"), "--dpi", "96.0"}, "--dpi needs a whole number"},
      {{"filter", in, out, "--type", "lp", "--f1", "1e3"}, "--f1 needs a decimal number"},
      {{"filter", in, out, "--type", "lp", "--f1", "0x100"}, "--f1 needs a decimal number"},
      {{"filter", in, out, "--type", "lp", "--f1", "inf"}, "--f1 needs a decimal number"},
      {{"filter", in, out, "--type", "lp", "--f1", "nan"}, "--f1 needs a decimal number"},
      {{"filter", in, out, "--type", "lp", "--f1", "100Hz"}, "--f1 needs a decimal number"},
      {{"filter", in, out, "--type", "lp", "--f1", "-0"}, "--f1 needs a decimal number"},
      {{"filter", in, out, "--type", "lp", "--f1", "1.2.3"}, "--f1 needs a decimal number"},
      {{"render", in, dir.Path("p.png"), "--width-mm", "1e2"}, "--width-mm needs a decimal number"},
      // Options.
      {{"cut", in, out, "--bogus"}, "unknown option --bogus"},
      {{"cut", in, out, "-x"}, "unknown option -x"},
      {{"cut", in, out, "--to"}, "--to needs a value"},
      {{"cut", in, out, "--from", "1", "--from", "2"}, "--from is given twice"},
      {{"spectrum", in, "--csv=yes"}, "--csv takes no value"},
      {{"spectrum", in, "--block", "300"}, "--block takes 256, 512"},
      {{"spectrum", in, "--block", "0x400"}, "--block takes 256, 512"},
      {{"render", in, dir.Path("p.png"), "--block", "131072"}, "--block takes 256, 512"},
      {{"render", in, "-", "--format", "gif"}, "--format takes png, pdf or svg"},
      {{"render", in, dir.Path("p.png"), "--format", "svg"}, "--format svg does not match"},
      // Arguments.
      {{"cut", in}, "needs IN and OUT.wav"},
      {{"info"}, "needs exactly one FILE"},
  };
  for (const auto& c : cases) {
    CliResult r = RunSonvueCli(c.args);
    EXPECT_EQ(r.status, 2) << c.message << " / " << c.args.back();
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << c.message;
  }
  EXPECT_TRUE(ReadAllBytes(out).empty());
  // Numbers that are right: the largest 32-bit value, a fraction, a negative where allowed.
  EXPECT_EQ(RunSonvueCli({"cut", in, out, "--from", "4294967295", "--to", "4294967295"}).status, 1);
  EXPECT_EQ(RunSonvueCli({"filter", in, out, "--type", "lp", "--f1", "1000.5", "--order", "20"}).status, 0);
  EXPECT_EQ(RunSonvueCli({"filter", in, out, "--type", "lp", "--f1=500.25", "--order", "20"}).status, 0);
  // After "--" a name that starts with a dash is a file.
  CliResult dashed = RunShellLine("cd " + ShellQuote(dir.Root()) + " && cp in.wav ./-x.wav && " +
                                  SonvueCliLine({"info", "--", "-x.wav"}));
  EXPECT_EQ(dashed.status, 0) << dashed.err;
}

TEST(CliCommandLine, AnEmptyWaveIsRefusedAlikeByEveryCommand) {
  TempDir dir;
  // Written by another program: a header and a data chunk of no bytes.
  WriteAllBytes(dir.Path("empty.wav"),
                RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 2, 8000, 16)).Chunk("data", {}).Build());
  const std::string empty = dir.Path("empty.wav");
  const std::string out = dir.Path("out");
  const std::vector<std::vector<std::string>> commands = {
      {"info", empty},
      {"info", empty, "--stats"},
      {"cut", empty, out},
      {"edit", empty, out, "reverse"},
      {"spectrum", empty},
      {"export-wave", empty, out},
      {"render", empty, out + ".png"},
      {"doc", empty, out + ".wft"},
      {"filter", empty, out, "--type", "lp", "--f1", "100"},
      {"convert", empty, out, "--rate", "11025"},
      {"play", empty},
  };
  for (const auto& command : commands) {
    CliResult r = RunSonvueCli(command);
    EXPECT_EQ(r.status, 1) << command[0];
    EXPECT_NE(r.err.find("sonvue-cli " + command[0] + ": " + empty + ": the wave holds no samples\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("Failed to save file"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("0..0"), std::string::npos) << r.err;
  }
  CliResult piped = RunShellLine(SonvueCliLine({"spectrum", "-"}) + " < " + ShellQuote(empty));
  EXPECT_EQ(piped.status, 1);
  EXPECT_NE(piped.err.find("standard input: the wave holds no samples"), std::string::npos) << piped.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliCommandLine, ErrorsNameTheFileTheyAreAbout) {
  TempDir dir;
  const std::string in = dir.Path("in.wav");
  WriteTone(in, 3000);
  WriteAllBytes(dir.Path("bad.wav"), {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
  const std::string bad = dir.Path("bad.wav");
  const std::string missing = dir.Path("none.wav");
  const std::string noFolder = dir.Path("no/such/out.wav");
  const struct {
    std::vector<std::string> args;
    std::string named;
  } cases[] = {
      {{"info", bad}, bad},
      {{"info", missing}, missing},
      {{"cut", bad, dir.Path("o.wav")}, bad},
      {{"cut", in, noFolder}, noFolder},
      {{"cut", in, dir.Path("o.wav"), "--from", "20", "--to", "10"}, in},
      {{"edit", in, dir.Path("o.wav"), "reverse", "--to", "5000"}, in},
      {{"spectrum", in, "--block", "4096"}, in},
      {{"spectrum", in, "--from", "2999", "--to", "5000"}, in},
      {{"spectrum", in, "--out", noFolder}, noFolder},
      {{"export-wave", missing, dir.Path("o.txt")}, missing},
      {{"export-wave", in, noFolder}, noFolder},
      {{"import-text", missing, dir.Path("o.wav"), "--rate", "8000", "--bits", "8", "--channels", "1", "--frames", "9"}, missing},
      {{"render", bad, dir.Path("p.png")}, bad},
      {{"render", in, dir.Path("no/p.png")}, dir.Path("no/p.png")},
      {{"doc", in, dir.Path("no/d.wft")}, dir.Path("no/d.wft")},
      {{"filter", in, dir.Path("o.wav"), "--type", "lp", "--f1", "5000"}, in},
      {{"convert", missing, dir.Path("o.wav")}, missing},
      {{"play", missing}, missing},
  };
  for (const auto& c : cases) {
    CliResult r = RunSonvueCli(c.args);
    EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.named;
    EXPECT_NE(r.err.find("sonvue-cli " + c.args[0] + ": " + c.named + ": "), std::string::npos)
        << c.args[0] << ": " << r.err;
  }
}

TEST(CliCommandLine, CutPastTheEndSaysWhatItSaved) {
  TempDir dir;
  WriteTone(dir.Path("in.wav"), 1000);
  CliResult tail = RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("a.wav"), "--from", "900", "--to", "5000"});
  ASSERT_EQ(tail.status, 0) << tail.err;
  EXPECT_NE(tail.err.find("frames 900..1000 were saved"), std::string::npos) << tail.err;
  CWave a;
  RecordingPrompt quiet;
  ASSERT_TRUE(a.LoadWaveFile(dir.Path("a.wav")));
  EXPECT_EQ(a.FrameCount(), 100u);
  // A start past the end saves the whole wave, as the program's save does.
  CliResult whole = RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("b.wav"), "--from", "2000", "--to", "3000"});
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_NE(whole.err.find("the whole wave (frames 0..1000) was saved"), std::string::npos) << whole.err;
  EXPECT_EQ(ReadAllBytes(dir.Path("b.wav")), ReadAllBytes(dir.Path("in.wav")));
  // A range inside the wave says nothing.
  EXPECT_EQ(RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("c.wav"), "--from", "1", "--to", "1000"}).err, "");
}

TEST(CliCommandLine, APageFarLargerThanASheetIsDrawnToScale) {
  TempDir dir;
  {
    // A box 110 m down the page: the page grows to hold it. Drawn at 96 dpi as it stands,
    // the image would be 453 x 415748 pixels.
    RecordingPrompt quiet;
    CWavDoc doc;
    doc.OnNewDocument();
    CBox* box = doc.GetBox(kBoxWaveMono);
    ASSERT_NE(box, nullptr);
    box->SetRect(Rect{0, -1100000, 1000, -1100000 + 400}, nullptr);
    box->SetPlacedByUser(1);
    doc.RecalcExtent();
    ASSERT_EQ(doc.GetDocSize().cy, 1100000);
    ASSERT_TRUE(doc.OnSaveDocument(dir.Path("tall.wft")));
  }
  EXPECT_LT(ReadAllBytes(dir.Path("tall.wft")).size(), 2000u);
  CliResult r = RunSonvueCli({"render", dir.Path("tall.wft"), dir.Path("tall.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("is larger than an A0 sheet (841 x 1189 mm); drawn at 1.081 % of its size"),
            std::string::npos)
      << r.err;
  const std::vector<uint8_t> png = ReadAllBytes(dir.Path("tall.png"));
  ASSERT_GT(png.size(), 24u);
  // The page fits on an A0 sheet at 96 dpi: 1189 mm are 4494 pixels.
  const uint32_t width = BigEndian32(png, 16), height = BigEndian32(png, 20);
  EXPECT_LE(height, 4494u);
  EXPECT_GE(height, 4490u);
  EXPECT_LE(width, 5u);
  for (const char* picture : {"tall.svg", "tall.pdf"}) {
    CliResult vector = RunSonvueCli({"render", dir.Path("tall.wft"), dir.Path(picture)});
    EXPECT_EQ(vector.status, 0) << vector.err;
    EXPECT_NE(vector.err.find("A0 sheet"), std::string::npos) << picture;
  }
  // A page that fits is drawn as asked and nothing is said.
  WriteTone(dir.Path("in.wav"), 1000);
  CliResult normal = RunSonvueCli({"render", dir.Path("in.wav"), dir.Path("p.png"), "--dpi", "300"});
  EXPECT_EQ(normal.err, "");
  EXPECT_EQ(BigEndian32(ReadAllBytes(dir.Path("p.png")), 16), 1417u);  // 120 mm at 300 dpi
}

TEST(CliCommandLine, AShortFmtChunkIsRefusedWithTheFormatMessage) {
  TempDir dir;
  // Ten bytes of "fmt ": tag, channels, rate, but no block alignment or width.
  WriteAllBytes(dir.Path("short.wav"),
                RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 1, 44100, 16, 10)).Chunk("data", std::vector<uint8_t>(100)).Build());
  for (const char* command : {"info", "cut"}) {
    std::vector<std::string> args = {command, dir.Path("short.wav")};
    if (std::string(command) == "cut") args.push_back(dir.Path("out.wav"));
    CliResult r = RunSonvueCli(args);
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_NE(r.err.find("error: error4 \n"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("rate: 22050"), std::string::npos) << r.out;
  }
}

TEST(CliCommandLine, HelpListsEveryCommandOnOneLineAndEachHelpShowsAnExample) {
  CliResult help = RunSonvueCli({"--help"});
  ASSERT_EQ(help.status, 0);
  size_t listed = 0;
  size_t at = help.out.find("commands:\n");
  ASSERT_NE(at, std::string::npos);
  for (size_t line = help.out.find('\n', at) + 1; help.out.compare(line, 2, "  ") == 0;
       line = help.out.find('\n', line) + 1) {
    const size_t nameEnd = help.out.find(' ', line + 2);
    const std::string name = help.out.substr(line + 2, nameEnd - line - 2);
    ++listed;
    CliResult own = RunSonvueCli({name, "--help"});
    EXPECT_EQ(own.status, 0) << name;
    EXPECT_EQ(own.out.rfind("usage: sonvue-cli " + name, 0), 0u) << name;
    EXPECT_NE(own.out.find("\nexample: "), std::string::npos) << name;
    EXPECT_NE(own.out.find("sonvue-cli " + name, own.out.find("\nexample: ")), std::string::npos) << name;
  }
  EXPECT_GE(listed, 12u);
}
