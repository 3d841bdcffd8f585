// The settings panel's decisions that need no window: list values, enabling, the FFT band,
// the trigger point and the texts.
#include <gtest/gtest.h>

#include "core/graph/box.h"
#include "core/realtime/panel_logic.h"

TEST(PanelLists, AveragingModesAreStoredAsCountOneWithTheirFlagAndSelectedAgain) {
  struct Case {
    int index;
    uint16_t flag;
    int count;
  };
  for (Case c : {Case{0, kFftSingle, 1}, Case{7, kFftCumulative, 1}, Case{8, kFftPeakHold, 1}, Case{3, 0, 8}}) {
    AnalysisSettings s = DefaultAnalysisSettings();
    s.fftFlags = kFftDecayingPeakHold | kFftSingle | kFftWindow;
    PanelControls controls = ControlsFromRecord(s);
    controls.averagingIndex = c.index;
    ApplyControls(controls, s);
    EXPECT_EQ(s.averagingCount, c.count) << c.index;
    EXPECT_EQ(s.fftFlags & (kFftSingle | kFftCumulative | kFftPeakHold | kFftDecayingPeakHold), c.flag) << c.index;
    EXPECT_TRUE(s.fftFlags & kFftWindow);
    EXPECT_EQ(AveragingSelection(s), c.index);
  }
}

TEST(PanelLists, ASelectionIsTheFirstEntryAtLeastTheRecordsValue) {
  AnalysisSettings s = DefaultAnalysisSettings();
  s.blockSize = 3000;
  EXPECT_EQ(BlockSizeSelection(s), 4);  // 4096
  s.blockSize = 100000;
  EXPECT_EQ(BlockSizeSelection(s), 0);  // nothing qualifies
  s.fftFlags = 0;
  s.averagingCount = 5;
  EXPECT_EQ(AveragingSelection(s), 3);  // 8
  s.overlapIndex = 7;
  EXPECT_EQ(OverlapSelection(s), 0);

  PanelControls none;
  none.blockSizeIndex = -1;
  none.overlapIndex = -1;
  none.realTimeChoice = 2;
  ApplyControls(none, s);
  EXPECT_EQ(s.blockSize, 256u);
  EXPECT_EQ(s.overlapIndex, 0);
  EXPECT_EQ(s.realTimeMode, 2);
}

TEST(PanelLists, ChangedAndLevelModeCompareWithTheDocument) {
  const AnalysisSettings doc = DefaultAnalysisSettings();
  AnalysisSettings p = doc;
  p.currentPosition = 12345;  // run state is no setting
  p.levelOffsetDb = 3;        // the level dialog's business
  EXPECT_FALSE(CompareWithDocument(p, doc).changed);
  p.triggerLevel = 1.0;
  EXPECT_TRUE(CompareWithDocument(p, doc).changed);
  EXPECT_FALSE(CompareWithDocument(p, doc).levelMode);
  p = doc;
  p.autoScale = 1;
  EXPECT_TRUE(CompareWithDocument(p, doc).changed);
  EXPECT_TRUE(CompareWithDocument(p, doc).levelMode);
}

TEST(PanelEnabling, StartNeedsAnIdleDocumentAndEnoughToRecordOrAnalyse) {
  PanelState st;
  st.bound = true;
  st.waveFrames = 1000;
  st.recordingFrames = 299;
  EXPECT_TRUE(EnablingFor(st).start);
  st.realTimeChoice = 1;
  EXPECT_FALSE(EnablingFor(st).start);
  EXPECT_TRUE(EnablingFor(st).recordSettings);
  st.recordingFrames = 300;
  EXPECT_TRUE(EnablingFor(st).start);
  st.realTimeChoice = 2;
  st.waveFrames = 0;
  EXPECT_FALSE(EnablingFor(st).start);
  EXPECT_FALSE(EnablingFor(st).recordSettings);

  st.waveFrames = 1000;
  st.triggerOn = true;
  st.runPhase = kRunPlayback;
  PanelEnabling e = EnablingFor(st);
  EXPECT_TRUE(e.stop);
  EXPECT_FALSE(e.start || e.settings || e.triggerSettings);
  EXPECT_TRUE(e.triggerLevelMode);

  st.bound = false;  // neither idle nor running
  st.runPhase = kRunIdle;
  e = EnablingFor(st);
  EXPECT_FALSE(e.stop || e.start || e.settings || e.triggerSettings);
}

TEST(PanelBand, APressNearTheEndMovesTheStartBackSoThatABlockFits) {
  EXPECT_EQ(BandStartAt(5000.7, 1024, 100000), 5000u);
  EXPECT_EQ(BandStartAt(-3.0, 1024, 100000), 0u);
  EXPECT_EQ(BandStartAt(99990.0, 1024, 100000), 100000u - 1024u - 1u);
  EXPECT_EQ(BandStartAt(98975.0, 1024, 100000), 98975u);
  EXPECT_EQ(BandStartAt(98976.0, 1024, 100000), 98975u);
  EXPECT_EQ(BandStartAt(10.0, 1024, 500), 0u);  // no block fits at all
}

TEST(PanelBand, ADragCoversWholeBlocksThatFitBelowTheFrameCount) {
  EXPECT_EQ(BandEndAt(1000, 1000 + 2.5 * 1024, 1024, 100000), 1000u + 3 * 1024u);
  EXPECT_EQ(BandEndAt(1000, 1000.0, 1024, 100000), 1000u + 1024u);  // a click: one block
  EXPECT_EQ(BandEndAt(1000, 1000 + 1023.9, 1024, 100000), 1000u + 1024u);
  EXPECT_EQ(BandEndAt(1000, 1000 + 1024.0, 1024, 100000), 1000u + 2048u);
  // Three blocks from 97000 end at 100072, past the end; two (99048) fit.
  EXPECT_EQ(BandEndAt(97000, 99500.0, 1024, 100000), 97000u + 2 * 1024u);
  EXPECT_EQ(BandEndAt(97000, 1.0e12, 1024, 100000), 97000u + 2 * 1024u);
  // The end is always below the frame count, one block at least.
  EXPECT_EQ(BandEndAt(98975, 99999.0, 1024, 100000), 99999u);
  EXPECT_EQ(BandEndAt(1000, 999.9, 1024, 100000), std::nullopt);
  EXPECT_EQ(BandEndAt(0, -0.5, 1024, 100000), std::nullopt);
  EXPECT_EQ(BandEndAt(0, 300.0, 1024, 500), 500u);  // a wave shorter than a block
}

TEST(PanelTrigger, PointAndDelaySplitThePlotIntoTheBlock) {
  EXPECT_EQ(TriggerPointX(200, 1200, 1024, 256), 450);
  EXPECT_EQ(TriggerPointX(200, 1200, 1024, 5000), 1200);  // beyond N: at the right
  EXPECT_EQ(TriggerPointX(200, 1200, 1024, -5), 200);
  EXPECT_EQ(DelayAtX(450, 200, 1200, 1024), 256u);
  EXPECT_EQ(DelayAtX(1200, 200, 1200, 1024), 1024u);
  EXPECT_EQ(DelayAtX(201, 200, 1200, 1024), 1u);  // 1.024 rounds to 1
  EXPECT_EQ(DelayAtX(150, 200, 1200, 1024), 0u);
}

TEST(PanelTexts, TriggerLevelAndFftAreaLines) {
  PanelTexts t = TriggerLevelTexts(true, 2, 25.0, 100);
  EXPECT_EQ(t.line1, "トリガポイントの設定");
  EXPECT_EQ(t.line2, "ﾄﾘｶﾞﾚﾍﾞﾙ : Wave-R");
  EXPECT_EQ(t.line3, "Level: 25.000   Delay:100");
  EXPECT_EQ(TriggerLevelTexts(false, 2, -3.5, 0).line2, "ﾄﾘｶﾞﾚﾍﾞﾙ : OFF");
  EXPECT_EQ(TriggerLevelTexts(true, 9, 0, 0).line2, "ﾄﾘｶﾞﾚﾍﾞﾙ : Off");

  AnalysisSettings s = DefaultAnalysisSettings();
  s.recordingRateHz = 44100;
  s.recordingFrames = 88200;
  t = FftAreaTexts(0, 0, 44100, s, false);
  EXPECT_EQ(t.line1, "FFT対象範囲の設定");
  EXPECT_EQ(t.line2, "FFTｴﾘｱ");
  EXPECT_EQ(t.line3, "0 ～ 44100");
  EXPECT_EQ(FftAreaTexts(1, 0, 44100, s, true).line2, "FFTｴﾘｱ  録音時間   2.0sec");
  EXPECT_EQ(FftAreaTexts(1, 0, 44100, s, false).line2, "FFTｴﾘｱ  録音時間   1.0sec");
  EXPECT_EQ(FftAreaTexts(2, 22050, 44100, s, true).line2, "FFTｴﾘｱ  再生時間   0.5sec");
  s.recordingRateHz = 0;  // an empty document's format
  EXPECT_EQ(FftAreaTexts(2, 0, 44100, s, true).line2, "FFTｴﾘｱ  再生時間   0.0sec");
}
