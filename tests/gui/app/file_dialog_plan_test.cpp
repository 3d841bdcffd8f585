// Where saves go and what the open dialogs offer: an imported document never saves over the
// file it came from.
#include "gui/app/file_dialog_plan.h"

#include <gtest/gtest.h>

#include "core/doc/wav_doc.h"
#include "render/qt_convert.h"
#include "support/audio_writer.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

std::string WriteFlac(const TempDir& dir, const std::string& name) {
  const std::string path = dir.Path(name);
  EXPECT_TRUE(WriteAudioInts(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 1, {0, 1 << 20, -(1 << 20), 0}));
  return path;
}

}  // namespace

TEST(FileDialogPlan, OverwritingAnImportedDocumentAsksForANameBesideTheOriginal) {
  TempDir dir;
  const std::string flac = WriteFlac(dir, "field take.flac");
  const std::vector<uint8_t> original = ReadAllBytes(flac);
  RecordingPrompt prompt;
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(flac));
  const SavePlan overwrite = PlanSave(doc, false);
  EXPECT_TRUE(overwrite.askName);
  EXPECT_EQ(overwrite.path, FromUtf8(dir.Path("field take.wft")));
  EXPECT_TRUE(DocumentShowsFile(doc, FromUtf8(flac)));
  // Saved where the dialog proposes, the original is untouched and the next save goes there.
  ASSERT_TRUE(doc.OnSaveDocument(ToUtf8(overwrite.path)));
  EXPECT_EQ(ReadAllBytes(flac), original);
  const SavePlan next = PlanSave(doc, false);
  EXPECT_FALSE(next.askName);
  EXPECT_EQ(next.path, overwrite.path);
  EXPECT_TRUE(PlanSave(doc, true).askName);
}

TEST(FileDialogPlan, NewAndPlainDocuments) {
  TempDir dir;
  RecordingPrompt prompt;
  CWavDoc fresh;
  fresh.SetTitle("Sonspec2");
  fresh.OnNewDocument();
  EXPECT_TRUE(PlanSave(fresh, false).askName);
  EXPECT_EQ(PlanSave(fresh, false).path, QStringLiteral("Sonspec2.wft"));

  CWave w;
  w.SetFormat(8000, 8, 1);
  ASSERT_TRUE(w.Allocate(10));
  ASSERT_TRUE(w.SaveWaveFile(dir.Path("p.wav"), 0, 0));
  CWavDoc plain;
  ASSERT_TRUE(plain.OnOpenDocument(dir.Path("p.wav")));
  const SavePlan overwrite = PlanSave(plain, false);
  EXPECT_FALSE(overwrite.askName);
  EXPECT_EQ(overwrite.path, FromUtf8(dir.Path("p.wav")));
  // Saving under a new name proposes the document beside the WAVE file.
  const SavePlan saveAs = PlanSave(plain, true);
  EXPECT_TRUE(saveAs.askName);
  EXPECT_EQ(saveAs.path, FromUtf8(dir.Path("p.wft")));
  EXPECT_FALSE(DocumentShowsFile(plain, FromUtf8(dir.Path("other.wav"))));
}

TEST(FileDialogPlan, TheAudioEntryListsTheImportedTypes) {
  const QString filter = AudioFilesFilter();
  EXPECT_TRUE(filter.startsWith(QStringLiteral("音声ﾌｧｲﾙ (")));
  for (const char* pattern : {"*.wav", "*.flac", "*.ogg", "*.opus", "*.mp3", "*.aiff", "*.caf", "*.rf64", "*.w64"}) {
    EXPECT_TRUE(filter.contains(QString::fromLatin1(pattern))) << pattern;
  }
}

// "開く" starts on a filter that shows documents and every audio file together; the dialogs
// that read a wave start on the audio files; every entry is named in Japanese.
TEST(FileDialogPlan, OpenDialogsStartOnEveryTypeTheyOpen) {
  const QStringList open = OpenDocumentFilters().split(QStringLiteral(";;"));
  ASSERT_GE(open.size(), 2);
  EXPECT_TRUE(open.front().startsWith(QStringLiteral("開けるすべてのﾌｧｲﾙ (")));
  for (const char* pattern : {"*.wft", "*.wav", "*.flac", "*.mp3", "*.aiff"}) {
    EXPECT_TRUE(open.front().contains(QString::fromLatin1(pattern))) << pattern;
  }
  const QStringList wave = OpenWaveFilters().split(QStringLiteral(";;"));
  EXPECT_EQ(wave.front(), AudioFilesFilter());
  EXPECT_FALSE(wave.front().contains(QStringLiteral("*.wft")));
  for (const QStringList& filters : {open, wave, SaveDocumentFilters().split(QStringLiteral(";;"))}) {
    for (const QString& f : filters) EXPECT_GT(f.front().unicode(), 0x7F) << f.toStdString();
  }
}
