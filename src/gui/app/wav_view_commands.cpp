// The view's command table: what each command does and when it is enabled and checked.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <cmath>

#include "core/doc/app_settings.h"
#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "core/doc/wav_doc.h"
#include "core/graph/box.h"
#include "core/graph/fft3d_box.h"
#include "core/graph/wave_box.h"
#include "gui/app/command_ids.h"
#include "gui/app/document_windows.h"
#include "gui/graph/font_dlg.h"
#include "gui/app/shared_printer.h"
#include "gui/app/wav_view.h"
#include "gui/graph/settings_3d_dlg.h"
#include "gui/realtime/setting_panel.h"
#include "render/page_render.h"
#include "render/qt_convert.h"

using namespace cmd;

namespace {

constexpr const char* kWaveFilter = "Wave files (*.wav)";

int BoxSlotOfToggle(int id) {
  if (id >= kWaveLeft && id <= kFftMono) return id - kWaveLeft;
  if (id >= kFft3dLeft && id <= kFft3dMono) return id - kFft3dLeft + 6;
  if (id == kInfoBox) return kBoxInfo;
  return -1;
}

int XRangeThousandths(int id) {
  switch (id) {
    case kXRangeEighth: return 125;
    case kXRangeQuarter: return 250;
    case kXRangeHalf: return 500;
    case kXRangeOne: return 1000;
    case kXRangeTwo: return 2000;
    case kXRangeFour: return 4000;
    case kXRangeEight: return 8000;
    default: return 0;
  }
}

bool IsWaveBox(const CBox* box) { return box && box->GetKind() >= kBoxWaveLeft && box->GetKind() <= kBoxWaveMono; }

}  // namespace

bool CWavView::HandlesCommand(int id) const {
  if (BoxSlotOfToggle(id) >= 0 || XRangeThousandths(id) > 0) return true;
  switch (id) {
    case kFileClose:
    case kFileSave:
    case kFileSaveAs:
    case kFilePrint:
    case kFilePrintPreview:
    case kEditCopy:
    case kWindowNew:
    case kSaveWaveRange:
    case kLoadWave:
    case kRecord:
    case kPlay:
    case kStop:
    case kCrossHair:
    case kGrid:
    case kFont:
    case kFullRangeY:
    case kZoomXIn:
    case kZoomXOut:
    case kZoomYIn:
    case kZoomYOut:
    case kShiftXPlus:
    case kShiftXMinus:
    case kShiftYPlus:
    case kShiftYMinus:
    case kLogFrequency:
    case kLogLevel:
    case kAutoRangeY:
    case kXDefaultRange:
    case kSettingPanel:
    case kPeakSearch:
    case kSettings3d:
    case kFullRangeX:
    case kFocusPlus:
    case kFocusMinus:
      return true;
    default:
      return false;
  }
}

void CWavView::OnUpdateCommand(int id, CommandState& s) {
  CBox* box = CurrentBox();
  const bool samples = doc_.Wave().FrameCount() > 0;
  if (int slot = BoxSlotOfToggle(id); slot >= 0) {
    s.checked = doc_.GetBox(slot) != nullptr;
    if (id >= kWaveLeft && id <= kFftMono) s.enabled = doc_.Wave().Channels() != 1;
    return;
  }
  if (int v = XRangeThousandths(id); v > 0) {
    s.enabled = IsWaveBox(box);
    s.checked = s.enabled && static_cast<CWaveBox*>(box)->DefaultWidth() == v;
    return;
  }
  switch (id) {
    case kRecord:
    case kPlay: s.enabled = !doc_.Wave().IsBusy(); break;
    case kStop: s.enabled = doc_.Wave().IsBusy(); break;
    case kCrossHair:
      s.enabled = box && box->HasScale();
      s.checked = box && box->CrossHair();
      break;
    case kGrid:
      s.enabled = box && box->HasScale();
      s.checked = box && box->GridShown();
      break;
    case kFullRangeY:
    case kFullRangeX:
    case kZoomXIn:
    case kZoomXOut:
    case kZoomYIn:
    case kZoomYOut:
    case kShiftXPlus:
    case kShiftXMinus:
    case kShiftYPlus:
    case kShiftYMinus: s.enabled = box && samples; break;
    case kLogFrequency:
      s.enabled = box && box->CanLogFrequency();
      s.checked = box && box->IsLogFrequency();
      break;
    case kLogLevel:
      s.enabled = box && box->CanLogLevel();
      s.checked = box && box->IsLogLevel();
      break;
    case kAutoRangeY: s.enabled = box && samples && box->CanAutoRangeY(); break;
    case kPeakSearch:
      s.enabled = box && box->CanPeakSearch();
      s.checked = box && box->PeakSearch();
      break;
    case kFocusPlus:
    case kFocusMinus: s.enabled = dynamic_cast<CFFT3DBox*>(box) != nullptr; break;
    default: break;
  }
}

void CWavView::OnCommand(int id) {
  CBox* box = CurrentBox();
  if (int slot = BoxSlotOfToggle(id); slot >= 0) {
    ToggleBox(slot);
    return;
  }
  if (int v = XRangeThousandths(id); v > 0) {
    XDefaultRange(v);
    return;
  }
  // Commands on the current box that change what it shows: redraw it, document modified.
  auto changed = [&](int result) {
    if (!result) return;
    InvalidateBox(box);
    doc_.Changed();
  };
  switch (id) {
    case kFileClose:
      if (windows_) windows_->CloseDocument(doc_);
      break;
    case kFileSave:
      if (windows_) windows_->SaveDocument(doc_, false);
      break;
    case kFileSaveAs:
      if (windows_) windows_->SaveDocument(doc_, true);
      break;
    case kWindowNew:
      if (windows_) windows_->NewWindow(doc_);
      break;
    case kFilePrint: PrintPage(false); break;
    case kFilePrintPreview: PrintPage(true); break;
    case kEditCopy: CopyPage(); break;
    case kSaveWaveRange: SaveWaveRange(); break;
    case kLoadWave: LoadWave(); break;
    case kRecord: QuickStart(1); break;
    case kPlay: QuickStart(2); break;
    case kStop: StopRunFromView(); break;
    case kCrossHair:
      if (box && box->HasScale()) {
        box->SetCrossHair(!box->CrossHair());
        box->SetValidFlags(0);
        InvalidateBox(box);
      }
      break;
    case kGrid:
      if (box && box->HasScale()) {
        box->SetGridShown(!box->GridShown());
        box->SetValidFlags(0);
        doc_.Changed();
        InvalidateAll();
      }
      break;
    case kFont: ChooseFont(); break;
    case kFullRangeY:
      if (box) {
        box->FullRangeY();
        changed(1);
      }
      break;
    case kFullRangeX:
      if (box) {
        box->FullRangeX();
        changed(1);
      }
      break;
    case kZoomXIn: if (box) changed(box->ZoomX(1)); break;
    case kZoomXOut: if (box) changed(box->ZoomX(0)); break;
    case kZoomYIn: if (box) changed(box->ZoomY(1)); break;
    case kZoomYOut: if (box) changed(box->ZoomY(0)); break;
    case kShiftXPlus: if (box) changed(box->ShiftX(1)); break;
    case kShiftXMinus: if (box) changed(box->ShiftX(0)); break;
    case kShiftYPlus: if (box) changed(box->ShiftY(1)); break;
    case kShiftYMinus: if (box) changed(box->ShiftY(0)); break;
    case kLogFrequency:
      if (box && box->CanLogFrequency()) {
        box->ToggleLogFrequency();
        InvalidateBox(box);
      }
      doc_.Changed();
      break;
    case kLogLevel:
      if (box && box->CanLogLevel()) {
        box->ToggleLogLevel();
        InvalidateBox(box);
      }
      doc_.Changed();
      break;
    case kAutoRangeY:
      if (box) {
        box->AutoRangeY();
        changed(1);
      }
      break;
    case kXDefaultRange:
      if (IsWaveBox(box)) XDefaultRange(static_cast<CWaveBox*>(box)->DefaultWidth());
      break;
    case kPeakSearch:
      if (box && box->CanPeakSearch()) {
        box->SetPeakSearch(!box->PeakSearch());
        doc_.Changed();
      }
      break;
    case kSettings3d: Settings3D(); break;
    case kSettingPanel: OpenPanel(); break;
    case kFocusPlus:
    case kFocusMinus:
      MoveFocus(id == kFocusPlus ? 1 : -1);
      break;
    default: break;
  }
}

void CWavView::XDefaultRange(int thousandths) {
  CBox* box = CurrentBox();
  if (!IsWaveBox(box)) return;
  auto* wave = static_cast<CWaveBox*>(box);
  wave->SetDefaultWidth(thousandths);
  AnalysisSettings& s = doc_.Settings();
  if (doc_.RunPhase() == kRunIdle) {
    double ms = wave->MarkValue() >= 0 ? wave->MarkValue() : wave->X().ValueStart();
    double frame = std::floor(ms * doc_.Wave().Rate() / 1000.0);
    s.currentPosition = frame <= 0 ? 0 : static_cast<uint32_t>(std::min(frame, 4294967295.0));
  }
  wave->SetWidthInBlocks(thousandths * 0.001);
  wave->SetXFromBlocks(s.currentPosition);
  wave->SetValidFlags(0);
  InvalidateAll();
  doc_.Changed();
}

void CWavView::QuickStart(int mode) {
  // The settings panel's pending record: recording binds a panel only when it is new (so a
  // recording format set in the panel is kept), playback whenever its window is closed.
  const bool created = EnsurePanel();
  if ((mode == 1 && created) || (mode == 2 && !panel_->IsWindowCreated())) BindPanel();
  panel_->SetPendingRealTimeMode(mode);
  ApplyToDocument(panel_->PendingRecord(), 0);
  StartRunFromView();
}

void CWavView::ChooseFont() {
  DocumentFont font = doc_.GetDocumentFont();
  if (!RunFontDialog(this, font, logicalDpiY())) return;
  doc_.SetDocumentFont(font);
  Relayout();
  doc_.Changed();
  InvalidateAll();
}

void CWavView::Settings3D() {
  C3DSettingsDlg::Values v;
  v.slantXPercent = app_.slantXPercent;
  v.slantYPercent = app_.slantYPercent;
  v.depthPitch = app_.depthPitch;
  v.fillColor = app_.fill3dColor;
  v.userColors = app_.userColors;
  C3DSettingsDlg dlg(v, this);
  if (dlg.exec() != QDialog::Accepted) return;
  const C3DSettingsDlg::Values& r = dlg.Result();
  app_.slantXPercent = r.slantXPercent;
  app_.slantYPercent = r.slantYPercent;
  app_.depthPitch = r.depthPitch;
  app_.fill3dColor = r.fillColor;
  app_.userColors = r.userColors;
  doc_.Apply3DSettings();
  for (int slot = kBoxFft3dLeft; slot <= kBoxFft3dMono; ++slot) {
    if (CBox* box = doc_.GetBox(slot)) box->SetValidFlags(0);
  }
  InvalidateAll();
  doc_.Changed();
}

QPageSize CWavView::PrintPageSize() const {
  const Size page = doc_.GetDocSize();
  return QPageSize(QSizeF(page.cx / 10.0, page.cy / 10.0), QPageSize::Millimeter, QString(),
                   QPageSize::ExactMatch);
}

void CWavView::PrintOn(QPrinter& printer) {
  QPainter painter(&printer);
  // The page keeps its physical size: 0.1 mm per logical unit at the printer's resolution.
  DrawPageWithPainter(painter, QtDeviceContext::Surface::kPrinter, doc_, printer.resolution(),
                      printer.resolution());
}

void CWavView::PrintPage(bool preview) {
  QPrinter& printer = SharedPrinter();
  printer.setFullPage(true);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0));
  printer.setPageSize(PrintPageSize());
  printer.setDocName(FromUtf8(doc_.Title()));
  auto draw = [this](QPrinter* p) { PrintOn(*p); };
  if (preview) {
    QPrintPreviewDialog dlg(&printer, this);
    dlg.setWindowTitle(QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this, draw);
    dlg.exec();
  } else {
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    draw(&printer);
  }
  // The label cell measured on the printer may differ by a unit; the screen takes it back.
  Relayout();
  InvalidateAll();
}

void CWavView::CopyPage() {
  auto* mime = new QMimeData;
  mime->setImageData(RenderPageImage(doc_, logicalDpiX()));
  mime->setData(QStringLiteral("image/svg+xml"), RenderPageSvgBytes(doc_));
  MemoryStream bytes;
  {
    CArchive ar(bytes, CArchive::Mode::Store);
    doc_.Serialize(ar);
  }
  const auto& b = bytes.Bytes();
  mime->setData(QStringLiteral("application/x-sonvue-document"),
                QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())));
  QApplication::clipboard()->setMimeData(mime);
  Relayout();
  InvalidateAll();
}

void CWavView::SaveWaveRange() {
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("名前を付けて保存"), QString(),
                                              QString::fromUtf8(kWaveFilter));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".wav");
  doc_.SaveWaveFromDocument(ToUtf8(path));
}

void CWavView::LoadWave() {
  // The panel shows the wave that is about to go.
  if (panel_ && panel_->IsWindowCreated()) panel_->Close();
  QString path = QFileDialog::getOpenFileName(this, QStringLiteral("ファイルを開く"), QString(),
                                              QString::fromUtf8(kWaveFilter));
  if (!path.isEmpty()) doc_.LoadWaveIntoDocument(ToUtf8(path));
  RebindPanel();
  doc_.Changed();
  RecalcScrollRange();
  InvalidateAll();
  UpdateBoxList();
}
