#include "gui/app/file_dialog_plan.h"

#include <QFileInfo>

#include "core/doc/wav_doc.h"
#include "core/wave/audio_file.h"
#include "render/qt_convert.h"

QString AudioFilesFilter() {
  return QStringLiteral("音声ﾌｧｲﾙ (%1)").arg(QString::fromLatin1(AudioFilePatterns()));
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
