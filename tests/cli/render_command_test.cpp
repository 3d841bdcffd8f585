// sonvue-cli render, run as a user runs it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "cli_run.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

void WriteWave(const std::string& path, uint16_t channels, uint32_t frames) {
  CWave w;
  w.SetFormat(44100, 16, channels);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(i % 200) * 100, kChannelBoth);
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

// Width and height from a PNG's header chunk.
std::pair<uint32_t, uint32_t> PngSize(const std::vector<uint8_t>& png) {
  if (png.size() < 24 || std::memcmp(png.data() + 1, "PNG", 3) != 0) return {0, 0};
  auto be32 = [&](size_t at) {
    return uint32_t{png[at]} << 24 | uint32_t{png[at + 1]} << 16 | uint32_t{png[at + 2]} << 8 | png[at + 3];
  };
  return {be32(16), be32(20)};
}

}  // namespace

TEST(CliRender, PngOfTheDefaultPageAtTheRequestedResolution) {
  TempDir dir;
  WriteWave(dir.Path("mono.wav"), 1, 4410);
  CliResult r = RunSonvueCli({"render", dir.Path("mono.wav"), dir.Path("mono.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  // Information box and mono box fit on the default page of 1200 x 1800 units: 96 dpi.
  EXPECT_EQ(PngSize(ReadAllBytes(dir.Path("mono.png"))), (std::pair<uint32_t, uint32_t>{453, 680}));

  WriteWave(dir.Path("stereo.wav"), 2, 4410);
  r = RunSonvueCli({"render", dir.Path("stereo.wav"), dir.Path("stereo.png"), "--dpi", "254",
                    "--width-mm", "200", "--timing"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("render_ms: "), std::string::npos);
  // 2000 units wide; the boxes (a third as high as wide: 6.2 x 35 + 30 + 666 + 30 + 666 =
  // 1609 units) still fit on the page's 1800.
  EXPECT_EQ(PngSize(ReadAllBytes(dir.Path("stereo.png"))), (std::pair<uint32_t, uint32_t>{2000, 1800}));
}

TEST(CliRender, PdfAndSvgOutputs) {
  TempDir dir;
  WriteWave(dir.Path("a.wav"), 2, 1000);
  ASSERT_EQ(RunSonvueCli({"render", dir.Path("a.wav"), dir.Path("a.pdf")}).status, 0);
  std::vector<uint8_t> pdf = ReadAllBytes(dir.Path("a.pdf"));
  ASSERT_GT(pdf.size(), 4u);
  EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 4), "%PDF");
  ASSERT_EQ(RunSonvueCli({"render", dir.Path("a.wav"), dir.Path("a.SVG")}).status, 0);
  std::vector<uint8_t> svg = ReadAllBytes(dir.Path("a.SVG"));
  EXPECT_NE(std::string(svg.begin(), svg.end()).find("Wave R-ch"), std::string::npos);
}

TEST(CliRender, RefusesBadRequestsWithoutWriting) {
  TempDir dir;
  WriteWave(dir.Path("a.wav"), 1, 100);
  EXPECT_EQ(RunSonvueCli({"render", dir.Path("a.wav"), dir.Path("a.gif")}).status, 2);
  EXPECT_EQ(RunSonvueCli({"render", dir.Path("a.wav")}).status, 2);
  EXPECT_EQ(RunSonvueCli({"render", dir.Path("a.wav"), dir.Path("a.png"), "--dpi", "5"}).status, 2);
  EXPECT_EQ(RunSonvueCli({"render", dir.Path("a.wav"), dir.Path("a.png"), "--width-mm", "x"}).status, 2);
  CliResult missing = RunSonvueCli({"render", dir.Path("none.wav"), dir.Path("a.png")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find(dir.Path("none.wav") + ": no such file"), std::string::npos) << missing.err;
  EXPECT_TRUE(ReadAllBytes(dir.Path("a.png")).empty());
}

namespace {

// A 1 kHz sine at half of full scale, 44100 Hz, mono or stereo.
void WriteSine1k(const std::string& path, uint16_t channels, uint32_t frames) {
  CWave w;
  w.SetFormat(44100, 16, channels);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i)
    w.SetSample(i, static_cast<int>(16384 * std::sin(2 * M_PI * 1000 * i / 44100.0)), kChannelBoth);
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadAllBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(CliRender, SpectrumAndWaterfallBoxesShowTheAnalysedWave) {
  TempDir dir;
  WriteSine1k(dir.Path("stereo.wav"), 2, 44100);
  CliResult r = RunSonvueCli({"render", dir.Path("stereo.wav"), dir.Path("all.png"), "--boxes",
                              "info,wave:L,wave:R,fft:L,fft3d:L"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");  // nothing from Qt on the way out either
  // 217 + 30 + 400 + 30 + 400 + 30 + 400 + 30 + 600 (a 3D box is half as high again) units
  // at 96 dpi.
  EXPECT_EQ(PngSize(ReadAllBytes(dir.Path("all.png"))), (std::pair<uint32_t, uint32_t>{453, 807}));
  WriteSine1k(dir.Path("sine.wav"), 1, 44100);

  r = RunSonvueCli({"render", dir.Path("sine.wav"), dir.Path("db.svg"), "--boxes", "fft:M,fft3d:M",
                    "--db", "--mark", "990.52734375", "--focus", "5"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = ReadText(dir.Path("db.svg"));
  for (const char* text : {"FFT Mono", "3D-FFT Mono", ">1k<", ">10k<", ">-20.0<",
                           "Mark : 990.53Hz", "Mark : Block 5(Max"}) {
    EXPECT_NE(svg.find(text), std::string::npos) << text;
  }
  EXPECT_NE(svg.find("dB<"), std::string::npos);
  r = RunSonvueCli({"render", dir.Path("sine.wav"), dir.Path("lin.svg"), "--boxes", "fft:M",
                    "--log-frequency", "off", "--mark", "1000"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string linear = ReadText(dir.Path("lin.svg"));
  EXPECT_NE(linear.find(">20k<"), std::string::npos);
  EXPECT_NE(linear.find("%<"), std::string::npos);
}

TEST(CliRender, RefusesBoxesTheWaveCannotShowAndWrongOptions) {
  TempDir dir;
  WriteSine1k(dir.Path("mono.wav"), 1, 4410);
  const std::string wav = dir.Path("mono.wav"), png = dir.Path("x.png");
  CliResult r = RunSonvueCli({"render", wav, png, "--boxes", "info,fft:L"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("one channel"), std::string::npos);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"render", wav, png, "--boxes", "fft"},
           {"render", wav, png, "--boxes", "fft:X"},
           {"render", wav, png, "--boxes", ""},
           {"render", wav, png, "--log-frequency", "yes"},
           {"render", wav, png, "--slant-x", "101"},
           {"render", wav, png, "--depth-pitch", "0"},
           {"render", wav, png, "--mark", "-5"},
           {"render", wav, png, "--average", "3"}}) {
    EXPECT_EQ(RunSonvueCli(args).status, 2) << args[3] << " " << args[4];
  }
  EXPECT_TRUE(ReadAllBytes(png).empty());
}

TEST(CliDoc, MakesADocumentWithAnalysedSpectraThatRenderDraws) {
  TempDir dir;
  WriteWave(dir.Path("in.wav"), 2, 44100);
  CliResult r = RunSonvueCli({"doc", dir.Path("in.wav"), dir.Path("out.wft"), "--boxes", "fft:M,fft3d:L",
                              "--block", "2048", "--window"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunSonvueCli({"info", dir.Path("out.wft")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("boxes: wave:L,wave:R,fft:M,fft3d:L,info\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("block_size: 2048\n"), std::string::npos);
  EXPECT_NE(r.out.find("window: on\n"), std::string::npos);

  r = RunSonvueCli({"render", dir.Path("out.wft"), dir.Path("out.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(ReadAllBytes(dir.Path("out.png")).empty());
  // Options that shape a new page do not apply to a document.
  EXPECT_EQ(RunSonvueCli({"render", dir.Path("out.wft"), dir.Path("x.png"), "--block", "512"}).status, 2);
  EXPECT_EQ(RunSonvueCli({"doc", dir.Path("in.wav"), dir.Path("x.wav")}).status, 2);
  EXPECT_EQ(RunSonvueCli({"doc", dir.Path("missing.wav"), dir.Path("x.wft")}).status, 1);
}

TEST(CliDoc, ADocumentOpenedAndSavedAgainKeepsItsBytesAndIsAnalysedAnewOnlyWhenAsked) {
  TempDir dir;
  WriteWave(dir.Path("in.wav"), 2, 30000);
  CliResult r = RunSonvueCli({"doc", dir.Path("in.wav"), dir.Path("a.wft"), "--boxes",
                              "wave:M,fft:L,fft:R,fft:M,fft3d:L,fft3d:R,fft3d:M", "--block", "512"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunSonvueCli({"doc", dir.Path("a.wft"), dir.Path("b.wft")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadAllBytes(dir.Path("b.wft")), ReadAllBytes(dir.Path("a.wft")));

  r = RunSonvueCli({"doc", dir.Path("a.wft"), dir.Path("c.wft"), "--block", "1024"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunSonvueCli({"info", dir.Path("c.wft")});
  EXPECT_NE(r.out.find("block_size: 1024\n"), std::string::npos) << r.out;
  EXPECT_NE(ReadAllBytes(dir.Path("c.wft")), ReadAllBytes(dir.Path("a.wft")));
  EXPECT_EQ(RunSonvueCli({"doc", dir.Path("a.wft"), dir.Path("a.wft")}).status, 1);
}
