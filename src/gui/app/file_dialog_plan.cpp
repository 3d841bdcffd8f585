#include "gui/app/file_dialog_plan.h"

#include <QFileInfo>
#include <QStringList>

#include "core/doc/wav_doc.h"
#include "core/wave/audio_file.h"
#include "render/qt_convert.h"

namespace {
const QString kDocumentFilter = QStringLiteral("ｿﾝﾋﾞｭｰ32 ﾌｧｲﾙ (*.wft)");
const QString kAnyFileFilter = QStringLiteral("すべてのﾌｧｲﾙ (*)");
}  // namespace

QString AudioFilesFilter() {
  return QStringLiteral("音声ﾌｧｲﾙ (%1)").arg(QString::fromLatin1(AudioFilePatterns()));
}

QString WaveFileFilter() { return QStringLiteral("ｳｪｰﾌﾞﾌｧｲﾙ (*.wav)"); }

QString OpenDocumentFilters() {
  const QString all = QStringLiteral("開けるすべてのﾌｧｲﾙ (*.wft %1)").arg(QString::fromLatin1(AudioFilePatterns()));
  return QStringList{all, kDocumentFilter, WaveFileFilter(), AudioFilesFilter(), kAnyFileFilter}.join(QStringLiteral(";;"));
}

QString SaveDocumentFilters() {
  return QStringList{kDocumentFilter, WaveFileFilter(), kAnyFileFilter}.join(QStringLiteral(";;"));
}

QString OpenWaveFilters() {
  return QStringList{AudioFilesFilter(), WaveFileFilter(), kAnyFileFilter}.join(QStringLiteral(";;"));
}

SavePlan PlanSave(const CWavDoc& doc, bool askName) {
  if (!doc.PathName().empty() && !askName) return {false, FromUtf8(doc.PathName())};
  if (doc.PathName().empty() && !doc.ImportedFrom().empty()) {
    const QFileInfo source(FromUtf8(doc.ImportedFrom()));
    return {true, source.absolutePath() + QStringLiteral("/") + source.completeBaseName() + QStringLiteral(".wft")};
  }
  return {true, FromUtf8(SaveAsSuggestion(doc.PathName(), doc.Title()))};
}

bool DocumentShowsFile(const CWavDoc& doc, const QString& absolutePath) {
  return FromUtf8(doc.PathName()) == absolutePath ||
         (!doc.ImportedFrom().empty() && FromUtf8(doc.ImportedFrom()) == absolutePath);
}
