#pragma once
// What the file dialogs of the application offer and propose, kept out of the dialogs so
// that it can be tested without one.
#include <QString>

class CWavDoc;

// The open dialogs' entry for the audio files the program reads: "音声ﾌｧｲﾙ (*.wav *.flac ...)".
QString AudioFilesFilter();

// The filters of "開く": first every type the program opens (documents and audio files), so
// that the dialog starts showing them all, then each kind alone and every file.
QString OpenDocumentFilters();

// The filters of the dialogs that read a wave into an open document or buffer: the audio
// files first, then WAVE files alone and every file.
QString OpenWaveFilters();

// The filter of the dialogs that write a WAVE file.
QString WaveFileFilter();

// The filters of "名前を付けて保存": documents, WAVE files, every file.
QString SaveDocumentFilters();

// Where a save of the document goes. "上書き保存" writes to the document's own path without
// asking; a document without one asks for a name: a new document, and one imported from
// another audio file, whose original must never be written over (the dialog then proposes
// the imported file's folder and name with ".wft"). "名前を付けて保存" always asks, starting
// from the name SaveAsSuggestion gives.
struct SavePlan {
  bool askName = false;
  QString path;  // the file to write, or the dialog's proposal
};
SavePlan PlanSave(const CWavDoc& doc, bool askName);

// Whether the document shows the file: its own path, or the file it was imported from.
bool DocumentShowsFile(const CWavDoc& doc, const QString& absolutePath);
