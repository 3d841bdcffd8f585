#include "core/doc/wav_doc.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/doc/app_settings.h"
#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "core/graph/fft3d_box.h"
#include "core/graph/info_box.h"
#include "core/graph/wave_box.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

void WriteWave(const std::string& path, uint16_t channels, uint32_t frames, uint32_t rate = 44100) {
  CWave w;
  w.SetFormat(rate, 16, channels);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>((i * 37) % 20000) - 10000, kChannelBoth);
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

std::vector<int> Slots(const CWavDoc& doc) {
  std::vector<int> slots;
  auto present = doc.BoxPresence();
  for (int i = 0; i < 13; ++i) {
    if (present[i]) slots.push_back(i);
  }
  return slots;
}

std::vector<uint8_t> Store(CWavDoc& doc) {
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    EXPECT_TRUE(doc.Serialize(ar));
  }
  return mem.TakeBytes();
}

bool Load(CWavDoc& doc, const std::vector<uint8_t>& bytes) {
  MemoryStream mem(bytes);
  CArchive ar(mem, CArchive::Mode::Load);
  return doc.Serialize(ar);
}

// The record without its three reference words, which mean nothing in a file.
std::vector<uint8_t> RecordBytes(const AnalysisSettings& s) {
  std::vector<uint8_t> b(reinterpret_cast<const uint8_t*>(&s), reinterpret_cast<const uint8_t*>(&s) + 256);
  for (size_t at : {24u, 244u, 248u}) std::memset(&b[at], 0, 4);
  return b;
}

}  // namespace

TEST(WavDoc, NewDocumentHasInfoAndMonoWaveBoxesOnTheDefaultPage) {
  RecordingPrompt prompt;
  CWavDoc doc;
  doc.SetTitle("Sonspec1");
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(Slots(doc), (std::vector<int>{2, 12}));
  EXPECT_EQ(doc.Page().width, 1200);
  EXPECT_EQ(doc.Page().height, 1800);
  EXPECT_EQ(doc.Settings().blockSize, 1024u);
  EXPECT_EQ(doc.Settings().averagingCount, 4);
  EXPECT_EQ(doc.Settings().fftRangeStart, 0u);
  EXPECT_EQ(doc.Settings().fftRangeEnd, 0u);
  EXPECT_EQ(WaveFileName(doc.Settings()), "Sonspec1");
  // The placement rule with the default label cell of 35.
  const Rect& info = doc.GetBox(12)->GetRect();
  EXPECT_EQ(info.bottom, 0);
  EXPECT_EQ(info.top, -217);
  const Rect& mono = doc.GetBox(2)->GetRect();
  EXPECT_EQ(mono.bottom, -247);
  EXPECT_EQ(mono.top, -647);
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(WavDoc, OpeningWaveFilesCreatesTheDefaultBoxesAndTakesTheWholeRange) {
  TempDir dir;
  WriteWave(dir.Path("stereo.wav"), 2, 5000);
  WriteWave(dir.Path("MONO.WAV"), 1, 3000);
  CWavDoc stereo;
  ASSERT_TRUE(stereo.OnOpenDocument(dir.Path("stereo.wav")));
  EXPECT_EQ(Slots(stereo), (std::vector<int>{0, 1, 12}));
  EXPECT_EQ(stereo.Settings().fftRangeEnd, 5000u);
  EXPECT_EQ(WaveFileName(stereo.Settings()), "stereo.wav");
  EXPECT_EQ(stereo.Title(), "stereo.wav");

  CWavDoc mono;  // the extension in capitals is a WAVE file too
  ASSERT_TRUE(mono.OnOpenDocument(dir.Path("MONO.WAV")));
  EXPECT_EQ(Slots(mono), (std::vector<int>{2, 12}));
  EXPECT_EQ(mono.Wave().FrameCount(), 3000u);
}

TEST(WavDoc, WaveExtensionIsTakenFromTheFileNameAfterItsLastFullStop) {
  EXPECT_TRUE(IsWavePath("/a/b/c.wav"));
  EXPECT_TRUE(IsWavePath("/a/b/c.WaV"));
  EXPECT_TRUE(IsWavePath("/my.recordings/take.wav"));  // a folder's full stop does not count
  EXPECT_TRUE(IsWavePath("/a/b/take.1.wav"));
  EXPECT_TRUE(IsWavePath("mix.final.wav"));
  EXPECT_FALSE(IsWavePath("/a/b/mix.wav.wft"));
  EXPECT_FALSE(IsWavePath("/a/b/c.wft"));
  EXPECT_FALSE(IsWavePath("/a/b/wav"));
  EXPECT_FALSE(IsWavePath("/a/b.wav/c"));
}

TEST(WavDoc, FileNamesWithSeveralFullStopsOpenAndSaveAsWaveFiles) {
  TempDir dir;
  WriteWave(dir.Path("take.1.wav"), 2, 1200);
  RecordingPrompt prompt;
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(dir.Path("take.1.wav")));
  EXPECT_EQ(doc.Wave().FrameCount(), 1200u);
  EXPECT_TRUE(prompt.boxes.empty());
  // Saved under such a name, the file is a WAVE file that opens as one.
  ASSERT_TRUE(doc.OnSaveDocument(dir.Path("mix.final.wav")));
  CWave back;
  ASSERT_TRUE(back.LoadWaveFile(dir.Path("mix.final.wav")));
  EXPECT_EQ(back.FrameCount(), 1200u);
}

TEST(WavDoc, TheWaveFileNameIsStoredInCp932AndReadBack) {
  TempDir dir;
  WriteWave(dir.Path("音声.wav"), 1, 500);
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(dir.Path("音声.wav")));
  const std::vector<uint8_t> bytes = Store(doc);
  const size_t nameAt = 12 + 24 + 28;
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + nameAt, bytes.begin() + nameAt + 9),
            (std::vector<uint8_t>{0x89, 0xB9, 0x90, 0xBA, '.', 'w', 'a', 'v', 0}));
  CWavDoc back;
  ASSERT_TRUE(Load(back, bytes));
  EXPECT_EQ(WaveFileName(back.Settings()), "音声.wav");
}

TEST(WavDoc, SaveAsOffersADocumentBesideTheWaveFileItWasOpenedFrom) {
  EXPECT_EQ(SaveAsSuggestion("/rec/take.1.wav", "take.1.wav"), "/rec/take.1.wft");
  EXPECT_EQ(SaveAsSuggestion("/rec/LOUD.WAV", "LOUD.WAV"), "/rec/LOUD.wft");
  EXPECT_EQ(SaveAsSuggestion("/rec/study.wft", "study.wft"), "/rec/study.wft");
  EXPECT_EQ(SaveAsSuggestion("", "Sonspec1"), "Sonspec1.wft");
}

TEST(WavDoc, SaveAndLoadGiveTheSameDocument) {
  TempDir dir;
  WriteWave(dir.Path("in.wav"), 2, 4000);
  AppSettings app;
  app.colorSets[1][3] = 0x123456;
  CWavDoc doc(&app);
  ASSERT_TRUE(doc.OnOpenDocument(dir.Path("in.wav")));
  doc.Settings().fftFlags = kFftWindow;
  doc.Settings().overlapIndex = 2;
  doc.Settings().triggerLevel = 1234.5;
  DocumentFont font = doc.GetDocumentFont();
  font.logFont.height = -50;
  font.textColor = 0x00FF00;
  doc.SetDocumentFont(font);
  doc.GetBox(0)->SetXRange(10.0, 50.0);
  doc.GetBox(0)->SetGridShown(0);
  ASSERT_TRUE(doc.OnSaveDocument(dir.Path("doc.wft")));
  EXPECT_FALSE(doc.IsModified());

  CWavDoc back(&app);
  RecordingPrompt prompt;
  ASSERT_TRUE(back.OnOpenDocument(dir.Path("doc.wft")));
  EXPECT_TRUE(prompt.boxes.empty());
  EXPECT_EQ(std::memcmp(&back.Page(), &doc.Page(), sizeof(PageLayout)), 0);
  EXPECT_EQ(RecordBytes(back.Settings()), RecordBytes(doc.Settings()));
  EXPECT_EQ(std::memcmp(&back.GetDocumentFont().logFont, &font.logFont, 60), 0);
  EXPECT_EQ(back.GetDocumentFont().textColor, 0x00FF00u);
  ASSERT_EQ(back.Wave().FrameCount(), 4000u);
  EXPECT_EQ(std::memcmp(back.Wave().GetData(0), doc.Wave().GetData(0), 16000), 0);
  EXPECT_EQ(Slots(back), Slots(doc));
  for (int slot : Slots(doc)) {
    const CBox* a = doc.GetBox(slot);
    const CBox* b = back.GetBox(slot);
    EXPECT_EQ(a->GetRect(), b->GetRect()) << slot;
    EXPECT_EQ(a->PlotRect(), b->PlotRect()) << slot;
    EXPECT_EQ(a->Colors(), b->Colors()) << slot;
    EXPECT_EQ(a->GridShown(), b->GridShown()) << slot;
    double s0, e0, s1, e1;
    int p0, p1, q0, q1;
    a->X().GetRange(p0, p1, s0, e0);
    b->X().GetRange(q0, q1, s1, e1);
    EXPECT_EQ(s0, s1) << slot;
    EXPECT_EQ(e0, e1) << slot;
  }
  EXPECT_EQ(back.GetBox(1)->Colors()[3], 0x123456u);
  // Stored twice, the bytes are the same.
  EXPECT_EQ(Store(back), Store(doc));
}

TEST(WavDoc, HeaderOfOneDigitTooManyIsRefusedWithTheMessage) {
  CWavDoc doc;
  doc.OnNewDocument();
  std::vector<uint8_t> bytes = Store(doc);
  int32_t wrong = 998;
  std::memcpy(&bytes[8], &wrong, 4);
  RecordingPrompt prompt;
  CWavDoc other;
  EXPECT_FALSE(Load(other, bytes));
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].title, "error");
  EXPECT_EQ(prompt.boxes[0].text, "データファイルが不正です");
  EXPECT_TRUE(Slots(other).empty());
  EXPECT_EQ(other.Wave().FrameCount(), 0u);
}

TEST(WavDoc, Version219RecordsLoadWithoutTheOverlapWord) {
  CWavDoc doc;
  doc.OnNewDocument();
  doc.Settings().overlapIndex = 3;
  doc.Settings().reserved22[0] = 0x5A;
  std::vector<uint8_t> bytes = Store(doc);
  int32_t v = 219, m = 777, s = 996;
  std::memcpy(&bytes[0], &v, 4);
  std::memcpy(&bytes[4], &m, 4);
  std::memcpy(&bytes[8], &s, 4);
  CWavDoc old;
  old.Settings().reserved22[0] = 0x11;
  ASSERT_TRUE(Load(old, bytes));
  EXPECT_EQ(old.Settings().overlapIndex, 0);
  EXPECT_EQ(old.Settings().reserved22[0], 0x11);  // kept from before the load
}

TEST(WavDoc, EveryTruncationAndEveryCorruptCountIsRefusedCleanly) {
  TempDir dir;
  WriteWave(dir.Path("s.wav"), 2, 300);
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(dir.Path("s.wav")));
  const std::vector<uint8_t> bytes = Store(doc);
  RecordingPrompt prompt;
  for (size_t n = 0; n < bytes.size(); n += (n < 400 ? 1 : 7)) {
    CWavDoc cut;
    std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(n));
    EXPECT_FALSE(Load(cut, part)) << n;
    EXPECT_TRUE(Slots(cut).empty()) << n;
    EXPECT_EQ(cut.Wave().FrameCount(), 0u) << n;
  }
  // A frame count that claims gigabytes, and a block size of 0.
  auto corrupt = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> b = bytes;
    std::memcpy(&b[at], &value, 4);
    CWavDoc d;
    return Load(d, b);
  };
  const size_t waveRecord = 12 + 24 + 256 + 60 + 4;
  EXPECT_FALSE(corrupt(waveRecord + 18 + 4, 0x7FFFFFFF));  // frames
  EXPECT_FALSE(corrupt(waveRecord + 18, 0xFFFFFFF0));      // data size
  EXPECT_FALSE(corrupt(12 + 24, 0));                       // block size
  EXPECT_FALSE(corrupt(12, 0x80000000));                   // page width
  EXPECT_TRUE(corrupt(0, 220));                            // unchanged header still loads
}

TEST(WavDoc, LoadingAnUnreadableWaveKeepsTheDocumentAsItWas) {
  TempDir dir;
  WriteWave(dir.Path("good.wav"), 2, 2000);
  WriteAllBytes(dir.Path("bad.wav"), {'R', 'I', 'F', 'F', 0, 0, 0, 0});
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(dir.Path("good.wav")));
  doc.RemoveBox(1);
  RecordingPrompt prompt;
  EXPECT_FALSE(doc.LoadWaveIntoDocument(dir.Path("bad.wav")));
  EXPECT_FALSE(prompt.boxes.empty());
  EXPECT_EQ(doc.Wave().FrameCount(), 2000u);
  EXPECT_EQ(Slots(doc), (std::vector<int>{0, 12}));

  WriteWave(dir.Path("mono.wav"), 1, 700);
  ASSERT_TRUE(doc.LoadWaveIntoDocument(dir.Path("mono.wav")));
  EXPECT_EQ(doc.Wave().FrameCount(), 700u);
  EXPECT_EQ(Slots(doc), (std::vector<int>{2, 12}));
  EXPECT_EQ(doc.Settings().fftRangeEnd, 700u);
  EXPECT_EQ(WaveFileName(doc.Settings()), "mono.wav");
}

TEST(WavDoc, ARecreatedBoxTakesItsSavedRectangleUnlessItOverlapsByAFifth) {
  CWavDoc doc;
  doc.OnNewDocument();
  CBox* mono = doc.GetBox(2);
  Rect moved{0, -1200, 1000, -800};
  mono->SetRect(moved, nullptr);
  mono->SetPlacedByUser(1);
  doc.RecalcExtent();
  ASSERT_NE(doc.SavedRect(2), nullptr);
  doc.RemoveBox(2);
  doc.SetBox(2);
  EXPECT_EQ(doc.GetBox(2)->GetRect(), moved);
  EXPECT_TRUE(doc.GetBox(2)->PlacedByUser());

  // Another box now covers most of the remembered place: the rule places it instead.
  doc.RemoveBox(2);
  doc.SetBox(6 - 6);  // the left wave box lands below the info box, over the saved place
  CBox* left = doc.GetBox(0);
  left->SetRect(Rect{0, -1150, 1000, -850}, nullptr);
  doc.SetBox(2);
  EXPECT_NE(doc.GetBox(2)->GetRect(), moved);
  EXPECT_FALSE(doc.GetBox(2)->PlacedByUser());
}

TEST(WavDoc, APageThatGrewForAMovedBoxShrinksBackToTheNewDocumentPage) {
  CWavDoc doc;
  doc.OnNewDocument();
  CBox* mono = doc.GetBox(2);
  const Rect home = mono->GetRect();
  mono->SetRect(Rect{3000, -3600, 4200, -3200}, nullptr);  // dragged far away
  mono->SetPlacedByUser(1);
  doc.RecalcExtent();
  EXPECT_EQ(doc.GetDocSize(), (Size{4200, 3600}));
  mono->SetRect(home, nullptr);  // and back
  doc.RecalcExtent();
  EXPECT_EQ(doc.GetDocSize(), (Size{1200, 1800}));
  doc.RemoveBox(2);
  EXPECT_EQ(doc.GetDocSize(), (Size{1200, 1800}));
  CWavDoc back;
  ASSERT_TRUE(Load(back, Store(doc)));
  EXPECT_EQ(back.GetDocSize(), (Size{1200, 1800}));
}

TEST(WavDoc, SavingNeverDestroysThePreviousFile) {
  TempDir dir;
  WriteAllBytes(dir.Path("keep.wft"), {'o', 'l', 'd'});
  CWavDoc doc;
  doc.OnNewDocument();
  RecordingPrompt prompt;
  // An empty wave cannot be saved as a WAVE file.
  WriteAllBytes(dir.Path("keep.wav"), {'o', 'l', 'd'});
  EXPECT_FALSE(doc.OnSaveDocument(dir.Path("keep.wav")));
  EXPECT_EQ(ReadAllBytes(dir.Path("keep.wav")), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(prompt.boxes.size(), 1u);
  EXPECT_FALSE(doc.OnSaveDocument(dir.Path("no/such/dir/x.wft")));
  ASSERT_TRUE(doc.OnSaveDocument(dir.Path("keep.wft")));
  EXPECT_NE(ReadAllBytes(dir.Path("keep.wft")).size(), 3u);
}

TEST(WavDoc, LabelCellChangesRelayoutTheBoxesAndBecomeTheNewDefault) {
  AppSettings app;
  int saved = 0;
  CWavDoc doc(&app);
  doc.SetDefaultsChangedHandler([&] { ++saved; });
  doc.OnNewDocument();
  const Rect plotBefore = doc.GetBox(2)->PlotRect();
  doc.SetStringSize(150, 40);
  EXPECT_EQ(doc.Margins().left, 160);
  EXPECT_EQ(doc.GetBox(2)->PlotRect().left, doc.GetBox(2)->GetRect().left + 160);
  EXPECT_NE(doc.GetBox(2)->PlotRect(), plotBefore);
  EXPECT_EQ(app.stringWidth, 150);
  EXPECT_EQ(saved, 1);
  doc.SetStringSize(150, 40);  // unchanged: nothing happens
  EXPECT_EQ(saved, 1);
}

TEST(WavDoc, ALargerFontPlacesTheRulePlacedBoxesAgainWithoutOverlap) {
  CWavDoc doc;
  doc.Wave().SetFormat(44100, 16, 2);
  ASSERT_TRUE(doc.Wave().Allocate(1000));
  doc.CreateDefaultBoxes();
  doc.SetBox(kBoxFftMono);
  doc.GetBox(kBoxFftMono)->SetPlacedByUser(1);  // the user's place is kept
  const Rect userRect = doc.GetBox(kBoxFftMono)->GetRect();
  doc.SetStringSize(160, 50);  // a 14-point font's label cell
  doc.ReplanRulePlacedBoxes();
  const Rect info = doc.GetBox(kBoxInfo)->GetRect();
  EXPECT_EQ(info.Height(), CInfoBox::HeightFor(50));
  EXPECT_EQ(doc.GetBox(kBoxFftMono)->GetRect(), userRect);
  const Rect left = doc.GetBox(kBoxWaveLeft)->GetRect();
  const Rect right = doc.GetBox(kBoxWaveRight)->GetRect();
  // Top to bottom (y upward): information, left wave, right wave, none overlapping.
  EXPECT_LE(left.bottom, info.top);
  EXPECT_LE(right.bottom, left.top);
  EXPECT_EQ(doc.GetBox(kBoxWaveLeft)->PlotRect(), ShrinkByTextMargins(left, doc.Margins()));
}

// Documents of each kind of content; with SONVUE_FUZZ_SEEDS set they are also written there
// as the seed corpus of the document loader's fuzzer.
TEST(WavDoc, StoredDocumentsLoadBackAndSeedTheFuzzer) {
  TempDir dir;
  WriteWave(dir.Path("s.wav"), 2, 300);
  WriteWave(dir.Path("m.wav"), 1, 100, 8000);
  std::vector<std::vector<uint8_t>> docs;
  {
    CWavDoc empty;
    empty.OnNewDocument();
    docs.push_back(Store(empty));
  }
  for (const char* name : {"s.wav", "m.wav"}) {
    CWavDoc d;
    ASSERT_TRUE(d.OnOpenDocument(dir.Path(name)));
    d.Settings().blockSize = 256;  // small engines and slice stores keep the seeds small
    for (int type = 0; type < 13; ++type) d.SetBox(type);  // every box kind there is
    d.RunSteppingAnalysis();
    docs.push_back(Store(d));
  }
  const char* seeds = std::getenv("SONVUE_FUZZ_SEEDS");
  for (size_t i = 0; i < docs.size(); ++i) {
    CWavDoc back;
    EXPECT_TRUE(Load(back, docs[i])) << i;
    EXPECT_EQ(Store(back), docs[i]) << i;
    if (seeds) WriteAllBytes(std::string(seeds) + "/doc" + std::to_string(i) + ".wft", docs[i]);
  }
}

namespace {
// Saved, loaded into a fresh document and saved again, a document gives the same bytes.
void ExpectSaveLoadSaveIsStable(CWavDoc& doc, const char* after) {
  const std::vector<uint8_t> first = Store(doc);
  RecordingPrompt prompt;
  CWavDoc back;
  ASSERT_TRUE(Load(back, first)) << after;
  EXPECT_TRUE(prompt.boxes.empty()) << after;
  const std::vector<uint8_t> second = Store(back);
  ASSERT_EQ(second.size(), first.size()) << after;
  size_t differs = 0;
  while (differs < first.size() && first[differs] == second[differs]) ++differs;
  EXPECT_EQ(differs, first.size()) << after << ": the bytes differ from offset " << differs;
}
}  // namespace

TEST(WavDoc, SaveLoadSaveGivesTheSameBytesWhateverTheUserDidBefore) {
  TempDir dir;
  WriteWave(dir.Path("s.wav"), 2, 6000, 8000);
  AppSettings app;
  CWavDoc doc(&app);
  ASSERT_TRUE(doc.OnOpenDocument(dir.Path("s.wav")));
  for (int type : {2, 3, 4, 5, 6, 7, 8}) doc.SetBox(type);  // every box kind
  ExpectSaveLoadSaveIsStable(doc, "a new page of every box kind");

  AnalysisSettings s = doc.Settings();
  s.blockSize = 256;
  doc.ApplySettings(s, 0);
  doc.RunSteppingAnalysis();
  ExpectSaveLoadSaveIsStable(doc, "a run");

  s = doc.Settings();
  s.blockSize = 512;
  doc.ApplySettings(s, 1);
  ExpectSaveLoadSaveIsStable(doc, "a larger block size after the run");

  // Slice 20 chosen, then a run stopped after three steps.
  auto* waterfall = static_cast<CFFT3DBox*>(doc.GetBox(kBoxFft3dLeft));
  waterfall->SetDataFocus(20);
  ASSERT_TRUE(doc.StartRun());
  for (int i = 0; i < 3; ++i) doc.StepRun();
  doc.StopRun();
  ExpectSaveLoadSaveIsStable(doc, "a focus beyond a stopped run");

  doc.SetStringSize(160, 42);
  ExpectSaveLoadSaveIsStable(doc, "a relayout for another label cell");

  app.slantXPercent = 60;
  app.slantYPercent = 40;
  app.depthPitch = 20;
  doc.Apply3DSettings();
  ExpectSaveLoadSaveIsStable(doc, "other 3D settings");

  // Levels in dB, adjusted automatically to the largest level, over a run that ends in
  // silence.
  CWave& w = doc.Wave();
  for (uint32_t i = 3000; i < w.FrameCount(); ++i) w.SetSample(i, 0, kChannelBoth);
  s = doc.Settings();
  s.autoAdjust = 1;
  s.levelAdjustMode = 0;
  for (int type = kBoxFftLeft; type <= kBoxFft3dMono; ++type) doc.GetBox(type)->SetLevelMode(1);
  doc.ApplySettings(s, 1);
  doc.RunSteppingAnalysis();
  ExpectSaveLoadSaveIsStable(doc, "automatic adjustment over a silent end");

  CBox* mono = doc.GetBox(kBoxWaveMono);
  mono->SetRect(Rect{2000, -4000, 3000, -3500}, nullptr);
  mono->SetPlacedByUser(1);
  doc.RecalcExtent();
  doc.GetBox(kBoxFftMono)->SetMarkValue(3990.0);
  waterfall->SetDataFocus(1);
  ExpectSaveLoadSaveIsStable(doc, "a moved box, marks and a focus");
}

TEST(WavDoc, APageGrownForABoxFarOutStillLoadsOnceSaved) {
  CWavDoc doc;
  doc.OnNewDocument();
  CBox* mono = doc.GetBox(2);
  mono->SetRect(Rect{0, -CBox::kMaxStoredCoordinate, CBox::kMaxStoredCoordinate, -CBox::kMaxStoredCoordinate + 400},
                nullptr);
  doc.RecalcExtent();
  EXPECT_EQ(doc.GetDocSize(), (Size{CBox::kMaxStoredCoordinate, CBox::kMaxStoredCoordinate}));
  ExpectSaveLoadSaveIsStable(doc, "a box at the far end of the page");
}
