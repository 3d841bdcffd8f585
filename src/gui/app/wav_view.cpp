#include "gui/app/wav_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressDialog>
#include <QPageSize>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "core/doc/app_settings.h"
#include "core/doc/box_layout.h"
#include "core/graph/page_drawing.h"
#include "core/doc/wav_doc.h"
#include "core/graph/box.h"
#include "core/graph/fft3d_box.h"
#include "core/graph/fft_box.h"
#include "core/graph/wave_box.h"
#include "gui/app/command_registry.h"
#include "gui/app/command_table.h"
#include "gui/app/cursors.h"
#include "gui/app/main_frame.h"
#include "gui/graph/fft_level_dlg.h"
#include "gui/realtime/setting_panel.h"
#include "render/page_render.h"
#include "render/qt_convert.h"
#include "render/qt_device_context.h"

namespace {

constexpr int kBatchProgressSteps = 1000;
constexpr int kBatchProgressDelayMs = 300;  // short analyses finish without a dialog
constexpr int64_t kMaxPrintSheetsAcross = 20;  // a larger page is cut at 20 sheets either way

}  // namespace

class CWavView::ClientDC {
 public:
  explicit ClientDC(CWavView& view)
      : view_(view), painter_((view.PaintDirty(), &view.buffer_)),
        dc_(painter_, QtDeviceContext::Surface::kScreen, view.Mapping()) {
    previous_ = SelectDocumentFont(dc_, view.doc_.GetDocumentFont());
  }
  ~ClientDC() {
    dc_.SelectFont(previous_);
    dc_.Flush();
    painter_.end();
    view_.viewport()->update();
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;
  DeviceContext& dc() { return dc_; }

 private:
  CWavView& view_;
  QPainter painter_;
  QtDeviceContext dc_;
  LogFont previous_;
};

CWavView::CWavView(CWavDoc& doc, AppSettings& app, CMainFrame* frame, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), app_(app), frame_(frame), loop_(doc, *this) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  horizontalScrollBar()->setSingleStep(16);
  verticalScrollBar()->setSingleStep(16);
  runTimer_.setTimerType(Qt::PreciseTimer);
  connect(&runTimer_, &QTimer::timeout, this, [this] { loop_.OnTimer(); });
  doc_.AddView(this);
  RecalcScrollRange();
}

CWavView::~CWavView() {
  runTimer_.stop();
  panel_.reset();
  fftLevel_.reset();
  doc_.RemoveView(this);
}

// --- geometry -------------------------------------------------------------------------

DeviceMapping CWavView::Mapping() const {
  const Size page = doc_.GetDocSize();
  return DeviceMapping::ForPage(page.cx, page.cy, logicalDpiX(), logicalDpiY(),
                                -horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void CWavView::RecalcScrollRange() {
  const Size page = doc_.GetDocSize();
  const int w = page.cx * logicalDpiX() / kLogicalUnitsPerInch;
  const int h = page.cy * logicalDpiY() / kLogicalUnitsPerInch;
  const QSize v = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, w - v.width()));
  horizontalScrollBar()->setPageStep(std::max(1, v.width()));
  verticalScrollBar()->setRange(0, std::max(0, h - v.height()));
  verticalScrollBar()->setPageStep(std::max(1, v.height()));
}

void CWavView::InvalidateAll() {
  dirty_ = QRegion(viewport()->rect());
  viewport()->update();
}

void CWavView::InvalidateLogical(const Rect& r) {
  const DeviceMapping m = Mapping();
  const Point a = m.LogicalToDevice({r.left, r.top});
  const Point b = m.LogicalToDevice({r.right, r.bottom});
  const Rect d = NormalizeRect({a.x, a.y, b.x, b.y});
  const QRect device = QRect(QPoint(d.left, d.top), QPoint(d.right, d.bottom)).adjusted(-1, -1, 2, 2);
  dirty_ += device;
  viewport()->update(device);
}

void CWavView::InvalidateBox(const CBox* box) {
  if (box) InvalidateLogical(box->GetRect());
}

void CWavView::OnDocumentUpdate(int) {
  RecalcScrollRange();
  InvalidateAll();
}

// --- commands ---------------------------------------------------------------------------

bool CWavView::HandlesCommand(int id) const { return FindViewCommand(id) != nullptr; }

void CWavView::OnUpdateCommand(int id, CommandState& s) {
  const ViewCommand* c = FindViewCommand(id);
  if (!c) return;
  s.enabled = !c->enabled || c->enabled(*this, id);
  s.checked = c->checked && c->checked(*this, id);
}

void CWavView::OnCommand(int id) {
  if (const ViewCommand* c = FindViewCommand(id)) c->run(*this, id);
}

void CWavView::BoxChanged(CBox* box) {
  InvalidateBox(box);
  doc_.Changed();
}

void CWavView::XDefaultRange(int thousandths) {
  CBox* box = CurrentBox();
  if (!box || box->GetKind() < kBoxWaveLeft || box->GetKind() > kBoxWaveMono) return;
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

void CWavView::QuickStart(RealTimeMode mode) {
  // The settings panel's pending record: recording binds a panel only when it is new (so a
  // recording format set in the panel is kept), playback whenever its window is closed.
  const bool created = EnsurePanel();
  if ((mode == kRealTimeRecording && created) || (mode == kRealTimePlayback && !panel_->IsWindowCreated())) BindPanel();
  panel_->SetPendingRealTimeMode(mode);
  ApplyToDocument(panel_->PendingRecord(), 0);
  StartRunFromView();
}

// --- printing ---------------------------------------------------------------------------

void CWavView::PrintOn(QPrinter& printer) {
  // The page keeps its physical size (0.1 mm per logical unit at the printer's resolution)
  // on the paper the printer is set up with; a page larger than the paper goes on as many
  // sheets as it needs, row by row.
  const int dpi = printer.resolution();
  const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
  if (paper.width() <= 0 || paper.height() <= 0 || dpi <= 0) return;
  const Size page = doc_.GetDocSize();
  const int64_t pageWidth = int64_t{page.cx} * dpi / kLogicalUnitsPerInch;
  const int64_t pageHeight = int64_t{page.cy} * dpi / kLogicalUnitsPerInch;
  const int columns = static_cast<int>(std::clamp<int64_t>((pageWidth + paper.width() - 1) / paper.width(), 1, kMaxPrintSheetsAcross));
  const int rows = static_cast<int>(std::clamp<int64_t>((pageHeight + paper.height() - 1) / paper.height(), 1, kMaxPrintSheetsAcross));
  QPainter painter(&printer);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      if (row > 0 || column > 0) printer.newPage();
      DrawPageWithPainter(painter, QtDeviceContext::Surface::kPrinter, doc_, dpi, dpi,
                          QPoint(-column * paper.width(), -row * paper.height()));
    }
  }
}

// --- painting -------------------------------------------------------------------------

void CWavView::PaintDirty() {
  // Threads are changing the boxes: the buffer keeps the old picture until they are done.
  if (doc_.BatchRunning()) return;
  const QSize size = viewport()->size();
  if (buffer_.size() != size) {
    buffer_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    dirty_ = QRegion(buffer_.rect());
  }
  if (dirty_.isEmpty()) return;
  const QRect area = dirty_.boundingRect().intersected(buffer_.rect());
  dirty_ = QRegion();
  if (area.isEmpty()) return;
  QPainter p(&buffer_);
  p.fillRect(area, Qt::white);
  const DeviceMapping m = Mapping();
  QtDeviceContext dc(p, QtDeviceContext::Surface::kScreen, m);
  const Point a = m.DeviceToLogical({area.left(), area.top()});
  const Point b = m.DeviceToLogical({area.right() + 1, area.bottom() + 1});
  DrawBoxPage(dc, doc_, NormalizeRect({a.x, a.y, b.x, b.y}));
  dc.Flush();
}

const QImage& CWavView::BackBuffer() {
  PaintDirty();
  return buffer_;
}

void CWavView::paintEvent(QPaintEvent* event) {
  PaintDirty();
  QPainter p(viewport());
  p.drawImage(event->rect(), buffer_, event->rect());
}

void CWavView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  RecalcScrollRange();
  InvalidateAll();
}

void CWavView::scrollContentsBy(int, int) { InvalidateAll(); }

void CWavView::RedrawBoxes() {
  ClientDC client(*this);
  for (int slot = 0; slot < CWavDoc::kSlotCount; ++slot) {
    CBox* box = doc_.GetBox(slot);
    if (box && slot != kBoxInfo) box->Redraw(client.dc(), nullptr);
  }
}

void CWavView::MoveFocus(int step) {
  auto* waterfall = dynamic_cast<CFFT3DBox*>(CurrentBox());
  if (!waterfall) return;
  ClientDC client(*this);
  waterfall->MoveFocus(client.dc(), step);
}

void CWavView::Relayout() {
  ClientDC client(*this);
  Size cell = MeasureLabelCell(client.dc(), doc_.GetDocumentFont());
  doc_.SetStringSize(cell.cx, cell.cy);
}

// --- the run ----------------------------------------------------------------------------

void CWavView::SetTimer(int intervalMs) { runTimer_.start(intervalMs); }
void CWavView::KillTimer() { runTimer_.stop(); }

void CWavView::ApplyToDocument(const AnalysisSettings& record, int levelModeFlag) {
  doc_.ApplySettings(record, levelModeFlag);
  if (panel_ && panel_->IsWindowCreated()) panel_->RefreshFromRecord(record);
  if (fftLevel_ && fftLevel_->IsWindowCreated()) fftLevel_->SyncFromRecord(record);
}

void CWavView::StartRunFromView() {
  doc_.StartRun();
  InvalidateAll();
  if (panel_ && panel_->IsWindowCreated()) panel_->RefreshControls();
  SetTimer(RunTimerLoop::kFirstIntervalMs);
}

void CWavView::BatchAnalyseFromView() {
  if (doc_.RunPhase() != kRunIdle || doc_.Wave().IsBusy() || doc_.Wave().FrameCount() == 0) return;
  QProgressDialog progress(QStringLiteral("FFT対象範囲を解析しています..."), QStringLiteral("キャンセル"), 0,
                           kBatchProgressSteps, this);
  progress.setWindowTitle(QStringLiteral("一括解析"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(kBatchProgressDelayMs);
  progress.setAutoReset(false);
  progress.setAutoClose(false);
  CWavDoc::BatchOptions options;
  options.progress = [&progress](uint64_t done, uint64_t total) {
    progress.setValue(total ? static_cast<int>(done * kBatchProgressSteps / total) : 0);
    QCoreApplication::processEvents();
    return !progress.wasCanceled();
  };
  const std::optional<uint32_t> blocks = doc_.RunBatchAnalysis(options);
  progress.close();
  InvalidateAll();
  if (panel_ && panel_->IsWindowCreated()) panel_->RefreshControls();
  if (frame_) {
    frame_->ShowStatus(blocks ? QStringLiteral("一括解析：%1 ブロックを解析しました").arg(*blocks)
                              : QStringLiteral("一括解析を中止しました"));
  }
}

void CWavView::StopRunFromView() {
  // The timer keeps running: its next tick finds the run idle, stops itself and lets the
  // panel take the run's end (range, position line) from the document.
  loop_.Stop();
  if (panel_ && panel_->IsWindowCreated()) panel_->RefreshControls();
  InvalidateAll();
}

void CWavView::RefreshPanel() {
  if (panel_ && panel_->IsWindowCreated()) panel_->Update(false);
}

bool CWavView::EnsurePanel() {
  if (panel_) return false;
  panel_ = std::make_unique<CSettingPanel>(this);
  return true;
}

void CWavView::BindPanel() { panel_->Bind(&doc_, kBoxWaveMono, this); }

void CWavView::RebindPanel() {
  if (!panel_ || !panel_->IsWindowCreated()) return;
  BindPanel();
  panel_->PostRedraw();
}

void CWavView::OpenPanel() {
  EnsurePanel();
  if (!panel_->IsWindowCreated()) {
    BindPanel();
    panel_->Show(this);
  }
}

void CWavView::OpenFftLevelDialog() {
  if (!fftLevel_) fftLevel_ = std::make_unique<CFFTLevelDlg>(this);
  if (!fftLevel_->IsWindowCreated()) {
    fftLevel_->Bind(&doc_);
    fftLevel_->SetView(this);
  }
  fftLevel_->Show(this);
}

void CWavView::CloseFftLevelDialog() {
  if (fftLevel_ && fftLevel_->IsWindowCreated()) fftLevel_->Close();
}

// --- boxes -----------------------------------------------------------------------------

CBox* CWavView::CurrentBox() const { return doc_.GetActiveBox(); }

void CWavView::SelectBox(int slot) {
  CBox* box = doc_.GetBox(slot);
  if (!box) return;
  CBox* current = CurrentBox();
  if (current && current != box) {
    current->SetActive(0);
    InvalidateBox(current);
  }
  box->SetActive(1);
  InvalidateBox(box);
  UpdateBoxList();
}

void CWavView::UpdateBoxList() {
  if (!frame_) return;
  CBox* current = CurrentBox();
  frame_->UpdateBoxList(current ? current->GetKind() : -1, doc_.BoxPresence());
}

void CWavView::ToggleBox(int slot) {
  if (doc_.GetBox(slot)) {
    doc_.RemoveBox(slot);
  } else {
    CBox* previous = CurrentBox();
    doc_.SetBox(slot);
    if (previous) previous->SetActive(0);
    if (CBox* created = doc_.GetBox(slot)) created->SetActive(1);
  }
  RecalcScrollRange();
  doc_.SetModifiedFlag();
  doc_.UpdateAllViews();
  InvalidateAll();
  UpdateBoxList();
}

// --- mouse -----------------------------------------------------------------------------

void CWavView::SetCursorFor(int code) {
  code &= 0xFF;
  if (code == cursorKind_) return;
  cursorKind_ = code;
  Qt::CursorShape shape = Qt::ArrowCursor;
  switch (code) {
    case 1: shape = Qt::CrossCursor; break;
    case 2: shape = Qt::SizeAllCursor; break;
    case 3: shape = Qt::SizeFDiagCursor; break;
    case 4: shape = Qt::SizeBDiagCursor; break;
    case 5: shape = Qt::SizeHorCursor; break;
    case 6: shape = Qt::SizeVerCursor; break;
    default: break;
  }
  if (code >= 7 && code <= 13) {
    viewport()->setCursor(ProgramCursor(code));
  } else if (code == 0) {
    viewport()->unsetCursor();
  } else {
    viewport()->setCursor(shape);
  }
}

std::vector<CBox*> CWavView::BoxesInMouseOrder() const {
  // The current box first, then every other box in slot order; while the button is held
  // only the box being dragged (the active one).
  std::vector<CBox*> order;
  CBox* current = CurrentBox();
  if (capturing_) {
    if (current) order.push_back(current);
    return order;
  }
  if (current) order.push_back(current);
  for (int slot = 0; slot < CWavDoc::kSlotCount; ++slot) {
    CBox* box = doc_.GetBox(slot);
    if (box && box != current) order.push_back(box);
  }
  return order;
}

void CWavView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  int32_t code = 0;
  {
    ClientDC client(*this);
    for (CBox* box : BoxesInMouseOrder()) {
      code = box->OnMouseMove(client.dc(), p.x(), p.y());
      if (code != 0) break;
    }
  }
  SetCursorFor(code);
  QAbstractScrollArea::mouseMoveEvent(event);
}

void CWavView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const QPoint p = event->position().toPoint();
  int32_t code = 0;
  {
    ClientDC client(*this);
    // The box under the point takes the press and becomes current; the boxes asked before
    // it (the current one first) give it up. Borders are drawn at once, before the press
    // draws its rubber band, so that the XOR band is never painted over.
    for (CBox* box : BoxesInMouseOrder()) {
      if (box->OnMouseMove(client.dc(), p.x(), p.y()) != 0) {
        if (!box->IsActive()) {
          box->SetActive(1);
          box->DrawActiveBorder(client.dc(), nullptr);
        }
        code = box->OnLButtonDown(client.dc(), p.x(), p.y());
        break;
      }
      if (box->IsActive()) {
        box->SetActive(0);
        box->DrawActiveBorder(client.dc(), nullptr);
      }
    }
  }
  SetCursorFor(code);
  capturing_ = true;
  UpdateBoxList();
}

void CWavView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void CWavView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    return;
  }
  const QPoint p = event->position().toPoint();
  int32_t code = 0;
  bool repaint = false;
  Rect area{};
  CBox* marked = nullptr;
  {
    ClientDC client(*this);
    for (CBox* box : BoxesInMouseOrder()) {
      code = box->OnLButtonUp(client.dc(), p.x(), p.y());
      if (code & CBox::kMarkChanged) marked = box;
      Rect r;
      if (box->TakeInvalidRect(r)) {
        repaint = true;
        area = UnionRect(area, r);
      }
      if ((code & ~CBox::kMarkChanged) != 0) break;
    }
  }
  // A mark set in a spectrum box gives the open FFT level dialog its reference point.
  if (auto* spectrum = dynamic_cast<CFFTBox*>(marked); spectrum && fftLevel_ && fftLevel_->IsWindowCreated())
    fftLevel_->SetReferencePoint(spectrum->MarkValue(), 0.01 * spectrum->GetLevelAtMark(1));
  SetCursorFor(code & CBox::kHitCursorMask);
  capturing_ = false;
  if (repaint) {
    doc_.RecalcExtent();
    doc_.SetModifiedFlag();
    RecalcScrollRange();
    if (area.IsEmpty()) InvalidateAll();
    else InvalidateLogical(area);
  }
  UpdateBoxList();
}

void CWavView::contextMenuEvent(QContextMenuEvent* event) {
  const Point logical = Mapping().DeviceToLogical({event->pos().x(), event->pos().y()});
  int found = -1;
  for (int slot = 0; slot < CWavDoc::kSlotCount; ++slot) {
    CBox* box = doc_.GetBox(slot);
    if (!box) continue;
    if (NormalizeRect(box->GetRect()).Contains(logical)) {
      found = slot;
      break;
    }
  }
  if (found < 0) return;
  if (CurrentBox() != doc_.GetBox(found)) SelectBox(found);
  const int group = BoxGroup(found);
  if (group >= 3 || !frame_) return;
  if (cursorKind_ != 0) SetCursorFor(0);
  QMenu menu(this);
  std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill = [&](QMenu* m, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& e : entries) {
      if (e.kind == MenuEntry::Kind::Separator) {
        m->addSeparator();
      } else if (e.kind == MenuEntry::Kind::Submenu) {
        fill(m->addMenu(QString::fromUtf8(e.text)), e.children);
      } else if (QAction* a = frame_->Action(e.id)) {
        frame_->UpdateCommand(e.id);
        m->addAction(a);
      }
    }
  };
  fill(&menu, BoxPopupMenu(group));
  menu.exec(event->globalPos() - QPoint(0, 10));
}
