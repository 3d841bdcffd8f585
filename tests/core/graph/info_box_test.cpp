#include "core/graph/info_box.h"

#include <gtest/gtest.h>

#include "graph_test_support.h"

namespace {

struct InfoSetup {
  std::unique_ptr<CWave> wave;
  TestContext ctx;
  CInfoBox box;
  InfoSetup(uint32_t frames, uint16_t channels, uint32_t rate, uint16_t bits) {
    wave = std::make_unique<CWave>();
    wave->SetFormat(rate, bits, channels);
    wave->Allocate(frames);
    box.SetSource(wave.get(), &ctx.context, 0);
    box.SetRect({0, -217, 1200, 0}, nullptr);
    SetWaveFileName(ctx.context.record, "test.wav");
  }
};

}  // namespace

TEST(InfoBoxText, FormatLengthAndFftLines) {
  InfoSetup s(22050, 1, 11025, 8);
  EXPECT_EQ(s.box.TitleText(), "< test.wav >");
  EXPECT_EQ(s.box.FormatText(),
            "ｻﾝﾌﾟﾘﾝｸﾞ周波数：11025 ｻﾝﾌﾟﾙ/秒　ﾃﾞｰﾀ長：8 ﾋﾞｯﾄ　ﾁｬﾝﾈﾙ数：1(ﾓﾉﾗﾙ)");
  EXPECT_EQ(s.box.LengthText(), "総ｻﾝﾌﾟﾙ数 = 22050　   2.000 秒  ");
  EXPECT_EQ(s.box.FftText(), "FFTﾌﾞﾛｯｸ：1024　平均回数：4  ｵｰﾊﾞｰﾗｯﾌﾟ：0%");
  s.ctx.context.record.overlapIndex = 3;
  s.ctx.context.record.fftFlags = kFftWindow;
  EXPECT_EQ(s.box.FftText(), "FFTﾌﾞﾛｯｸ：1024　平均回数：4  ｵｰﾊﾞｰﾗｯﾌﾟ：75%Hanning");
  InfoSetup stereo(44100, 2, 44100, 16);
  EXPECT_NE(stereo.box.FormatText().find("ﾁｬﾝﾈﾙ数：2(ｽﾃﾚｵ)"), std::string::npos);
  SetWaveFileName(stereo.ctx.context.record, "");
  EXPECT_EQ(stereo.box.TitleText(), "<  >");
}

TEST(InfoBoxDraw, FourLinesPlacedBelowTheUpperEdgeAndCutAtTheBox) {
  InfoSetup s(22050, 1, 11025, 8);
  RecordingDC dc;
  dc.SelectFont(s.ctx.font.logFont);
  s.box.Draw(dc, nullptr);
  std::vector<DcCall> texts = dc.CallsOf(DcCall::kText);
  ASSERT_EQ(texts.size(), 4u);
  // G = 35: y1 = -17, y2 = y1 + 8 - 70, y3 = y2 - 43, y4 = y3 - 43.
  const Point at[] = {{30, -17}, {90, -79}, {90, -122}, {90, -165}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(texts[i].to, at[i]) << i;
    EXPECT_TRUE(texts[i].clipped);
    EXPECT_EQ(texts[i].rect, (Rect{0, -217, 1200, 0}));
    EXPECT_EQ(texts[i].textAlign, kAlignLeft | kAlignTop);
    EXPECT_EQ(texts[i].bkColor, kBoxDefaultColors[kColorFrameBack]);
  }
  EXPECT_EQ(texts[0].fontHeight, -34 + (-34 >> 2));  // a quarter larger: -43
  EXPECT_EQ(texts[1].fontHeight, -34);
  EXPECT_EQ(dc.CurrentFont().height, -34);  // the title font was given back
  // The frame is filled, the plot stays empty; the border is traced on screen.
  std::vector<DcCall> fills = dc.CallsOf(DcCall::kFill);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].color, kBoxDefaultColors[kColorFrameBack]);
  EXPECT_EQ(dc.CallsOf(DcCall::kLine).size(), 4u);
  RecordingDC paper(RecordingDC::Surface::kPrinter);
  s.box.Draw(paper, nullptr);
  EXPECT_TRUE(paper.CallsOf(DcCall::kLine).empty());
  // A label cell of height 0 becomes 35 in the cell itself.
  s.ctx.cell.height = 0;
  dc.Clear();
  s.box.Draw(dc, nullptr);
  EXPECT_EQ(s.ctx.cell.height, 35);
}

TEST(InfoBoxBehaviour, NoPlotNoScaleAndNoCommands) {
  InfoSetup s(1000, 1, 8000, 16);
  Rect plot{100, -200, 1100, -20};
  s.box.SetRect({0, -217, 1200, 0}, &plot);
  EXPECT_EQ(s.box.PlotRect(), Rect{});
  s.box.SetPlotRect(plot);  // the layout of the other boxes does not give it one
  EXPECT_EQ(s.box.PlotRect(), Rect{});
  EXPECT_EQ(s.box.GetKind(), kBoxInfo);
  EXPECT_EQ(s.box.HasScale(), 0);
  EXPECT_EQ(s.box.CanAutoRangeY(), 0);
  EXPECT_EQ(s.box.IsGraphBox(), 0);
  EXPECT_EQ(s.box.CanPeakSearch(), 0);
  const double before = s.box.X().ValueEnd();
  EXPECT_EQ(s.box.ShiftX(1) + s.box.ShiftY(1) + s.box.ZoomX(1) + s.box.ZoomY(0), 0);
  s.box.FullRangeX();
  s.box.SetXRange(0.0, 5000.0);
  EXPECT_EQ(s.box.X().ValueEnd(), before);
  double a = 0, b = 1;
  EXPECT_EQ(s.box.LimitXRange(a, b), 0);
  RecordingDC dc;
  s.box.SetMarkValue(0.5);
  EXPECT_EQ(s.box.DrawCursor(dc, nullptr, 0), 0);
  s.box.DrawScale(dc, nullptr);
  EXPECT_TRUE(dc.Calls().empty());
  EXPECT_EQ(CInfoBox::HeightFor(35), 217);
  EXPECT_EQ(CInfoBox::HeightFor(0), 217);
  EXPECT_EQ(CInfoBox::HeightFor(40), 248);
}
