#pragma once
// CWavView: the scrolling view of one document window. It draws the document's page of
// boxes at 0.1 mm per logical unit (y upward) at the screen's resolution, keeps a back
// buffer of its viewport so that boxes can draw XOR marks and rubber bands into it at once,
// turns commands into operations on the document and the current box, forwards the mouse
// to the boxes, and drives the analysis run with its timer.
#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QTimer>

#include <memory>
#include <vector>

#include "core/doc/document_base.h"
#include "core/doc/run_timer_loop.h"
#include "core/graph/device_context.h"
#include "core/realtime/analysis_settings.h"
#include "gui/app/command_target.h"
#include "gui/realtime/panel_host.h"

class CBox;
class CFFTLevelDlg;
class CMainFrame;
class CSettingPanel;
class CWavDoc;
class DocumentWindows;
class QPageSize;
class QPrinter;
class QtDeviceContext;
struct AppSettings;

class CWavView : public QAbstractScrollArea,
                 public CommandTarget,
                 public DocumentView,
                 public PanelHost,
                 private RunTimerLoop::Host {
  Q_OBJECT
 public:
  CWavView(CWavDoc& doc, AppSettings& app, CMainFrame* frame, QWidget* parent = nullptr);
  ~CWavView() override;

  CWavDoc& Document() { return doc_; }
  void SetDocumentWindows(DocumentWindows* windows) { windows_ = windows; }

  // --- CommandTarget ---
  bool HandlesCommand(int id) const override;
  void OnCommand(int id) override;
  void OnUpdateCommand(int id, CommandState& state) override;
  void OnIdle() override { UpdateBoxList(); }

  // --- what the command handlers work on (command_registry.h) ---
  AppSettings& App() { return app_; }
  DocumentWindows* Windows() const { return windows_; }
  // The active box, or none.
  CBox* CurrentBox() const;
  // A command changed what the box shows: redraw it and mark the document modified.
  void BoxChanged(CBox* box);
  // Shows the box of a slot, or removes it when it is shown.
  void ToggleBox(int slot);
  // Sets the current wave box's default width (thousandths of a block) and shows it.
  void XDefaultRange(int thousandths);
  // Starts a real-time run with the settings panel's pending record.
  void QuickStart(RealTimeMode mode);
  void OpenPanel();
  // Opens the FFT level dialog bound to this document (brought forward when it is open).
  void OpenFftLevelDialog();
  // Closes the FFT level dialog's window when it is open: commands that replace the wave
  // call it first, since the dialog's copy of the settings belongs to the old one.
  void CloseFftLevelDialog();
  // Moves the data focus of the current 3D box, drawn at once.
  void MoveFocus(int step);
  // Measures the label cell again and lays the boxes out.
  void Relayout();

  // --- DocumentView ---
  void OnDocumentUpdate(int hint) override;

  // --- PanelHost ---
  void ApplyToDocument(const AnalysisSettings& record, int levelModeFlag) override;
  void StartRunFromView() override;
  void StopRunFromView() override;
  void BatchAnalyseFromView() override;
  void RebindPanel();

  // The page mapping of the viewport: logical (0, 0) at the scrolled page origin.
  DeviceMapping Mapping() const;
  // Invalidates a logical rectangle (the whole view without one).
  void InvalidateLogical(const Rect& r);
  void InvalidateAll();
  void InvalidateBox(const CBox* box);
  void RecalcScrollRange();
  // Makes the box of the slot the current one (the previous one is deactivated).
  void SelectBox(int slot);
  // The box-list entry to show: the current box's slot and the slots' presence.
  void UpdateBoxList();

  // Prints the page on a printer that is set up already: the page keeps its physical size,
  // on as many sheets of the printer's paper as it needs.
  void PrintOn(QPrinter& printer);

  // The back buffer as shown (tests and screenshots).
  const QImage& BackBuffer();
  CSettingPanel* Panel() const { return panel_.get(); }
  CFFTLevelDlg* FftLevelDialog() const { return fftLevel_.get(); }
  // The run timer (tests).
  bool RunTimerActive() const { return runTimer_.isActive(); }
  void RunTimerTick() { loop_.OnTimer(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // A device context on the back buffer with the view's mapping and the document font,
  // for drawing outside a paint; the touched area is shown when it goes away.
  class ClientDC;

  // --- RunTimerLoop::Host ---
  void RedrawBoxes() override;
  void RefreshPanel() override;
  void SetTimer(int intervalMs) override;
  void KillTimer() override;

  void PaintDirty();
  void SetCursorFor(int code);
  // Creates the panel object when there is none; true when it was created now.
  bool EnsurePanel();
  void BindPanel();
  std::vector<CBox*> BoxesInMouseOrder() const;

  CWavDoc& doc_;
  AppSettings& app_;
  QPointer<CMainFrame> frame_;
  DocumentWindows* windows_ = nullptr;
  std::unique_ptr<CSettingPanel> panel_;
  std::unique_ptr<CFFTLevelDlg> fftLevel_;
  QImage buffer_;
  QRegion dirty_;
  int cursorKind_ = 0;
  bool capturing_ = false;
  QTimer runTimer_;
  RunTimerLoop loop_;
};
