#include "core/doc/app_settings.h"
#include "core/doc/document_base.h"
#include "core/graph/page_drawing.h"
#include "core/doc/wav_doc.h"

#include <gtest/gtest.h>

#include "core/graph/fft3d_box.h"
#include "core/graph/recording_dc.h"
#include "core/graph/wave_box.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

void FillWave(CWave& wave, uint16_t channels, uint32_t frames) {
  wave.SetFormat(44100, 16, channels);
  ASSERT_TRUE(wave.Allocate(frames));
  for (uint32_t f = 0; f < frames; ++f) wave.SetSample(f, static_cast<int>(f % 100) * 100, kChannelBoth);
}

std::vector<int> Slots(const CWavDoc& page) {
  std::vector<int> slots;
  for (int s = 0; s < CWavDoc::kSlotCount; ++s)
    if (page.GetBox(s)) slots.push_back(s);
  return slots;
}

}  // namespace

TEST(DocumentPage, StereoWaveGetsInfoAndBothChannelsFittedToThePage) {
  CWavDoc page;
  FillWave(page.Wave(), 2, 44100);
  page.SetUpForWave("music.wav");
  EXPECT_EQ(Slots(page), (std::vector<int>{kBoxWaveLeft, kBoxWaveRight, kBoxInfo}));
  EXPECT_EQ(page.GetBox(kBoxInfo)->GetRect(), (Rect{0, -217, 1200, 0}));
  EXPECT_EQ(page.GetBox(kBoxWaveLeft)->GetRect(), (Rect{0, -647, 1200, -247}));
  EXPECT_EQ(page.GetBox(kBoxWaveRight)->GetRect(), (Rect{0, -1077, 1200, -677}));
  EXPECT_EQ(page.GetBox(kBoxWaveLeft)->PlotRect(), (Rect{120, -557, 1145, -317}));
  EXPECT_EQ(page.GetBox(kBoxInfo)->PlotRect(), Rect{});
  EXPECT_EQ(page.GetDocSize(), (Size{1200, 1800}));  // the boxes fit on the default page
  const AnalysisSettings& s = page.Context().record;
  EXPECT_EQ(s.fftRangeStart, 0u);
  EXPECT_EQ(s.fftRangeEnd, 44100u);
  EXPECT_EQ(WaveFileName(s), "music.wav");
  EXPECT_EQ(page.GetBox(kBoxWaveRight)->Channel(), kChannelRight);
  EXPECT_EQ(page.GetBox(kBoxWaveLeft)->Colors(), kApplicationDefaultColors);
  EXPECT_EQ(page.GetBox(kBoxWaveLeft)->X().ValueEnd(), 44099 * 1000.0 / 44100);
  EXPECT_EQ(page.GetBox(kBoxWaveLeft)->PlacedByUser(), 0);
}

TEST(DocumentPage, MonoWaveGetsTheMonoBox) {
  CWavDoc page;
  FillWave(page.Wave(), 1, 1000);
  page.SetUpForWave("sine.wav");
  EXPECT_EQ(Slots(page), (std::vector<int>{kBoxWaveMono, kBoxInfo}));
  EXPECT_EQ(page.GetBox(kBoxWaveMono)->GetRect(), (Rect{0, -647, 1200, -247}));
  EXPECT_EQ(page.GetDocSize(), (Size{1200, 1800}));
  EXPECT_FALSE(page.SetBox(13));
  EXPECT_TRUE(page.SetBox(10));  // a slot without a box class stays empty
  EXPECT_EQ(page.GetBox(10), nullptr);
}

TEST(DocumentPage, OpensWaveFilesAndRefusesOthers) {
  TempDir dir;
  CWave wave;
  FillWave(wave, 1, 500);
  ASSERT_TRUE(wave.SaveWaveFile(dir.Path("x.wav"), 0, 0));
  CWavDoc page;
  ASSERT_TRUE(page.OnOpenDocument(dir.Path("x.wav")));
  EXPECT_EQ(WaveFileName(page.Context().record), "x.wav");
  EXPECT_EQ(page.Wave().FrameCount(), 500u);
  WriteAllBytes(dir.Path("bad.wav"), {'R', 'I', 'F', 'F', 1, 2});
  RecordingPrompt prompt;
  ScopedPrompt scoped(&prompt);
  EXPECT_FALSE(page.OnOpenDocument(dir.Path("bad.wav")));
  EXPECT_TRUE(Slots(page).empty());
  EXPECT_EQ(FileNamePart("/a/b/c.wav"), "c.wav");
  EXPECT_EQ(FileNamePart("f.wav"), "f.wav");
}

TEST(DocumentPage, NewLabelCellLaysThePlotsOutAgain) {
  CWavDoc page;
  FillWave(page.Wave(), 2, 1000);
  page.SetUpForWave("a.wav");
  CBox* left = page.GetBox(kBoxWaveLeft);
  left->SetValidFlags(7);
  page.SetStringSize(150, 40);
  EXPECT_EQ(page.Margins(), (TextMargins{160, 100, 75, 80}));
  EXPECT_EQ(left->GetRect(), (Rect{0, -647, 1200, -247}));
  EXPECT_EQ(left->PlotRect(), (Rect{160, -547, 1125, -327}));
  EXPECT_EQ(left->X().ValueToPixel(0.0), 160);
  EXPECT_EQ(left->ValidFlags(), 0);
  EXPECT_EQ(page.GetBox(kBoxInfo)->PlotRect(), Rect{});
  left->SetValidFlags(7);
  page.SetStringSize(150, 40);  // unchanged: nothing happens
  EXPECT_EQ(left->ValidFlags(), 7);
}

TEST(PageDrawing, MeasuresTheLabelCellThenDrawsTheCurrentBoxLast) {
  CWavDoc page;
  FillWave(page.Wave(), 2, 1000);
  page.SetUpForWave("a.wav");
  page.GetBox(kBoxWaveLeft)->SetActive(1);
  RecordingDC dc;
  DrawBoxPage(dc, page, Rect{0, -1077, 1200, 0});
  ASSERT_FALSE(dc.Calls().empty());
  const DcCall& first = dc.Calls().front();
  EXPECT_EQ(first.kind, DcCall::kTextExtent);
  EXPECT_EQ(first.text, "-200.0m");
  EXPECT_EQ(first.fontHeight, -34);
  EXPECT_EQ(page.GetStringSize().width, RecordingDC::MeasureWithHeight("-200.0m", -34).cx);
  // The first fill of each box is its whole rectangle: right box, information box, then
  // the current (left) box on top.
  std::vector<Rect> boxFills;
  for (const DcCall& c : dc.CallsOf(DcCall::kFill))
    if (c.color == kApplicationDefaultColors[kColorFrameBack]) boxFills.push_back(c.rect);
  ASSERT_EQ(boxFills.size(), 3u);
  EXPECT_EQ(boxFills[0], page.GetBox(kBoxWaveRight)->GetRect());
  EXPECT_EQ(boxFills[1], page.GetBox(kBoxInfo)->GetRect());
  EXPECT_EQ(boxFills[2], page.GetBox(kBoxWaveLeft)->GetRect());
  // The current box's border is traced in the active colour.
  EXPECT_EQ(dc.CallsOf(DcCall::kLine).back().pen.color, CBox::kActiveBorderColor);
  // Texts are drawn in the document's font and colour.
  for (const DcCall& t : dc.CallsOf(DcCall::kText)) EXPECT_EQ(t.textColor, 0u);
}

TEST(DocumentPage, SpectrumBoxesAreAnalysedAsASteppingRunAndWaterfallsTakeThe3dSettings) {
  AppSettings app;
  app.slantXPercent = 0;
  app.slantYPercent = 50;
  app.depthPitch = 20;
  app.fill3dColor = 0x123456;
  CWavDoc page(&app);
  FillWave(page.Wave(), 1, 10 * 1024 + 100);
  const int types[] = {kBoxFft3dMono, kBoxFftMono};
  page.SetUpForWave("tone.wav");
  page.ReplaceBoxes(types);
  EXPECT_EQ(Slots(page), (std::vector<int>{kBoxFftMono, kBoxFft3dMono}));
  // The 3D box comes first and is half as high again as a third of the width.
  EXPECT_EQ(page.GetBox(kBoxFft3dMono)->GetRect(), (Rect{0, -600, 1200, 0}));
  auto* waterfall = dynamic_cast<CFFT3DBox*>(page.GetBox(kBoxFft3dMono));
  auto* spectrum = dynamic_cast<CFFTBox*>(page.GetBox(kBoxFftMono));
  ASSERT_TRUE(waterfall && spectrum);
  EXPECT_EQ(waterfall->SlantX(), 0.0);
  EXPECT_EQ(waterfall->FillColor(), 0x123456u);
  EXPECT_EQ(waterfall->SliceLimit(), 11);  // a plot 440 high: 220 for the front, 220 / 20
  // Blocks at 0, 1024, ..., 9216 and a last one ending at the range end.
  EXPECT_EQ(page.RunSteppingAnalysis(), 11u);
  EXPECT_EQ(waterfall->SlicesStored(), 11);
  EXPECT_TRUE(spectrum->Engine()->IsCalculated());
  EXPECT_EQ(spectrum->Engine()->FrameCount(), 4);  // averaging 4
  EXPECT_EQ(page.Context().RunPhase(), kRunIdle);
  app.slantXPercent = 30;
  app.slantYPercent = 70;
  app.depthPitch = 10;
  page.Apply3DSettings();
  EXPECT_EQ(waterfall->DepthPitch(), 10);
  EXPECT_EQ(waterfall->SlicesStored(), 11);  // the store stays
}
