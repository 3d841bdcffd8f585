// A saved document draws the same page as before it was saved.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

#include "core/doc/wav_doc.h"
#include "core/graph/fft_box.h"
#include "render/page_render.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

TEST(DocumentPage, ASavedDocumentDrawsTheSamePageAfterLoading) {
  TempDir dir;
  CWavDoc doc;
  CWave& w = doc.Wave();
  w.SetFormat(22050, 16, 2);
  ASSERT_TRUE(w.Allocate(22050));
  for (uint32_t i = 0; i < 22050; ++i) {
    w.SetSample(i, static_cast<int>(9000 * std::sin(i * 0.3)), kChannelLeft);
    w.SetSample(i, static_cast<int>(7000 * std::sin(i * 0.01 * (1 + i / 4000.0))), kChannelRight);
  }
  doc.SetUpForWave("tones.wav");
  for (int type : {kBoxFftLeft, kBoxFftMono, kBoxFft3dRight}) doc.SetBox(type);
  doc.Settings().fftFlags = kFftWindow;
  ASSERT_GT(doc.RunSteppingAnalysis(), 10u);
  static_cast<CFFTBox*>(doc.GetBox(kBoxFftMono))->SetLevelMode(1);
  doc.GetBox(kBoxFftLeft)->SetActive(1);
  const QImage before = RenderPageImage(doc, 96);
  ASSERT_FALSE(before.isNull());
  ASSERT_TRUE(doc.OnSaveDocument(dir.Path("tones.wft")));

  RecordingPrompt prompt;
  CWavDoc back;
  ASSERT_TRUE(back.OnOpenDocument(dir.Path("tones.wft")));
  EXPECT_TRUE(prompt.boxes.empty());
  back.GetBox(kBoxFftLeft)->SetActive(1);  // the current box is the view's, not stored
  const QImage after = RenderPageImage(back, 96);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_TRUE(after == before);
}
