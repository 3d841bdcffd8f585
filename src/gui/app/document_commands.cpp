// The document window's commands: closing, saving, printing, copying the page, and writing
// or reading the wave as a WAVE file.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "core/doc/wav_doc.h"
#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/document_windows.h"
#include "gui/app/file_dialog_plan.h"
#include "gui/app/shared_printer.h"
#include "gui/app/wav_view.h"
#include "gui/realtime/setting_panel.h"
#include "render/page_render.h"
#include "render/qt_convert.h"

using namespace cmd;

namespace {


void PrintPage(CWavView& view, bool preview) {
  QPrinter& printer = SharedPrinter();
  // The paper is the one of the printer set-up; the page goes on it at its physical size.
  printer.setFullPage(true);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0));
  printer.setDocName(FromUtf8(view.Document().Title()));
  auto draw = [&view](QPrinter* p) { view.PrintOn(*p); };
  if (preview) {
    QPrintPreviewDialog dlg(&printer, &view);
    dlg.setWindowTitle(QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &view, draw);
    dlg.exec();
  } else {
    QPrintDialog dlg(&printer, &view);
    if (dlg.exec() != QDialog::Accepted) return;
    draw(&printer);
  }
  // The label cell measured on the printer may differ by a unit; the screen takes it back.
  view.Relayout();
  view.InvalidateAll();
}

// The page as an image and as SVG, and the document's own bytes.
void CopyPage(CWavView& view) {
  CWavDoc& doc = view.Document();
  auto* mime = new QMimeData;
  mime->setImageData(RenderPageImage(doc, view.logicalDpiX()));
  mime->setData(QStringLiteral("image/svg+xml"), RenderPageSvgBytes(doc));
  MemoryStream bytes;
  {
    CArchive ar(bytes, CArchive::Mode::Store);
    doc.Serialize(ar);
  }
  const auto& b = bytes.Bytes();
  mime->setData(QStringLiteral("application/x-sonvue-document"),
                QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())));
  QApplication::clipboard()->setMimeData(mime);
  view.Relayout();
  view.InvalidateAll();
}

void SaveWaveRange(CWavView& view) {
  QString path = QFileDialog::getSaveFileName(&view, QStringLiteral("名前を付けて保存"), QString(),
                                              WaveFileFilter());
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".wav");
  view.Document().SaveWaveFromDocument(ToUtf8(path));
}

void LoadWave(CWavView& view) {
  CWavDoc& doc = view.Document();
  // The panel and the FFT level dialog hold settings of the wave that is about to go.
  if (view.Panel() && view.Panel()->IsWindowCreated()) view.Panel()->Close();
  view.CloseFftLevelDialog();
  QString path = QFileDialog::getOpenFileName(&view, QStringLiteral("ファイルを開く"), QString(),
                                              OpenWaveFilters());
  if (!path.isEmpty()) doc.LoadWaveIntoDocument(ToUtf8(path));
  view.RebindPanel();
  doc.Changed();
  view.RecalcScrollRange();
  view.InvalidateAll();
  view.UpdateBoxList();
}

}  // namespace

std::vector<ViewCommand> DocumentCommands() {
  return {
      {kFileClose, [](CWavView& v, int) { if (v.Windows()) v.Windows()->CloseDocument(v.Document()); }},
      {kFileSave, [](CWavView& v, int) { if (v.Windows()) v.Windows()->SaveDocument(v.Document(), false); }},
      {kFileSaveAs, [](CWavView& v, int) { if (v.Windows()) v.Windows()->SaveDocument(v.Document(), true); }},
      {kWindowNew, [](CWavView& v, int) { if (v.Windows()) v.Windows()->NewWindow(v.Document()); }},
      {kFilePrint, [](CWavView& v, int) { PrintPage(v, false); }},
      {kFilePrintPreview, [](CWavView& v, int) { PrintPage(v, true); }},
      {kEditCopy, [](CWavView& v, int) { CopyPage(v); }},
      {kSaveWaveRange, [](CWavView& v, int) { SaveWaveRange(v); }},
      {kLoadWave, [](CWavView& v, int) { LoadWave(v); }},
  };
}
