#pragma once
// CSettingPanel ("設定パネル"): the modeless panel of a document window. It edits a private
// copy of the document's analysis settings (block size, averaging, overlap, window, simple
// filter, auto adjust and scale, trigger, real-time mode) and the FFT range, which the user
// drags on a mini overview of the wave, or the trigger point, which the user places on it.
// It starts and stops the run through its view and follows the run on the overview.
//
// The overview is a plain mono wave box of the document drawn through the render device
// context into a back buffer; the band, the cross-hair and the run position line are XOR
// drawings on that buffer, removed by drawing them again. Everything that changes the
// overview asks for one redraw 10 ms later, so that several changes cost one redraw.
#include <QDialog>
#include <QImage>
#include <QTimer>

#include <array>
#include <memory>

#include "core/graph/device_context.h"
#include "core/graph/overview_logic.h"
#include "core/realtime/analysis_settings.h"
#include "core/realtime/panel_logic.h"

class CWavDoc;
class CWaveBox;
class PanelHost;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpinBox;

// The static control that shows the mini overview: a back buffer of its client size, the
// mouse handed to the panel in device pixels.
class COverviewView : public QWidget {
  Q_OBJECT
 public:
  explicit COverviewView(QWidget* parent);
  QImage& BackBuffer() { return image_; }

 signals:
  void Pressed(QPoint device);
  void Moved(QPoint device);
  void Released(QPoint device);
  void Resized();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QImage image_;
};

class CSettingPanel : public QDialog {
  Q_OBJECT
 public:
  enum Mode { kModeFftArea = 0, kModeTriggerLevel = 1 };
  static constexpr int kRedrawTimerId = 1111;
  static constexpr int kRedrawDelayMs = 10;
  static constexpr int kStartupTimerId = 1112;
  static constexpr int kStartupDelayMs = 1000;
  // Offset of a newly opened panel from where it would be placed.
  static constexpr int kOpenOffsetX = 100;
  static constexpr int kOpenOffsetY = 50;
  // The zoom control's rest position; each step away from it zooms once.
  static constexpr int kZoomMiddle = 50;

  explicit CSettingPanel(QWidget* parent = nullptr);
  ~CSettingPanel() override;

  // Binds the panel to a document and its view. The mini box is the given one or a new
  // plain box of the kind (0..2, else 2) from the document; the pending record restarts
  // from the document's with real-time mode 0 and the wave's recording format and length.
  void Bind(CWavDoc* doc, int kind, PanelHost* host, std::unique_ptr<CWaveBox> box = nullptr);
  // Opens the window (the first time, 100 pixels right and 50 down from the top left of
  // parentView); when it is open, only has it painted again.
  void Show(QWidget* parentView);
  bool IsWindowCreated() const { return created_ != 0; }

  // Copies the controls into the pending record.
  ApplyDecision ReadControls();
  // Enables the controls for the run phase; leaves trigger level mode when the trigger is
  // off.
  void RefreshControls();
  // Takes over the level reference values and auto adjust of a record just applied.
  void RefreshFromRecord(const AnalysisSettings& record);
  // Shows the run: the position line and, while recording, the new samples. Idle: the
  // pending record follows the document's and the overview is drawn again.
  void Update(bool first);
  // Applies what changed and closes the window.
  void Close();
  // Asks for one redraw of the overview 10 ms from now (the view's rebind uses it).
  void PostRedraw();

  // The record being edited. The view's quick start sets the real-time mode with
  // SetPendingRealTimeMode, which the radio buttons then show as well.
  AnalysisSettings& PendingRecord() { return pending_.record; }
  const AnalysisSettings& PendingRecord() const { return pending_.record; }
  void SetPendingRecord(const AnalysisSettings& record);
  void SetPendingRealTimeMode(int mode);
  int RealTimeChoice() const { return realTimeChoice_; }

  // --- state the tests and the view look at ---
  CWaveBox* MiniBox() const { return miniBox_.get(); }
  int CurrentMode() const { return mode_; }
  uint32_t BandStart() const { return bandStart_; }
  uint32_t BandEnd() const { return bandEnd_; }
  bool IsBandShown() const { return bandShown_ != 0; }
  bool IsCrossHairShown() const { return crossHairShown_ != 0; }
  Point TriggerPoint() const { return {triggerPointX_, triggerPointY_}; }
  Point Marker() const { return {markerX_, markerY_}; }
  int CursorLineX() const { return cursorLineX_; }
  bool IsRedrawPending() const { return redrawTimer_.isActive(); }
  // The overview's mapping from the box's logical coordinates to its pixels.
  DeviceMapping OverviewMapping() const;
  COverviewView* Overview() const { return overview_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  void accept() override;

 private:
  void BuildControls();
  void InitDialog();
  void Destroyed();
  void Redraw();
  void OnStartupTimer();
  void ShowTexts();
  PanelControls ControlsNow() const;
  void ShowControls(const PanelControls& c);
  void SetMode(int mode);
  void ComputeTriggerPoint();
  void SetScrollBarFromBox();

  void OnStart();
  void OnBatch();
  void OnStop();
  void OnTriggerCheck();
  void OnRealTimeChoice();
  void OnSelectAll();
  void OnLevelRange();
  void OnFull();
  void OnTriggerSettings();
  void OnRecordSettings();
  void OnScroll(int position);
  void OnZoom(int position);
  void OnPress(QPoint device);
  void OnMove(QPoint device);
  void OnRelease(QPoint device);

  // Drawing on the overview's back buffer; each returns false when there is nothing to draw
  // on.
  template <typename Draw>
  bool OnOverview(Draw draw);
  void DrawBand(DeviceContext& dc);
  void DrawCrossHair(DeviceContext& dc);
  void SetCrossHairAt(int x, int y);
  void DrawCursorLine(DeviceContext& dc, int x);
  Point ToLogical(QPoint device) const;
  bool InsidePlot(Point p) const;

  CWavDoc* doc_ = nullptr;
  PanelHost* host_ = nullptr;
  std::unique_ptr<CWaveBox> miniBox_;
  int miniBoxKind_ = 2;
  int created_ = 0;
  AnalysisContext pending_;  // the record being edited, with the document's live references
  uint32_t bandStart_ = 0;
  uint32_t bandEnd_ = 0;
  uint32_t frameCount_ = 0;
  int bandShown_ = 0;
  int bandLeft_ = 0;
  int bandRight_ = 0;
  uint32_t recordedSoFar_ = 0;
  int mode_ = kModeFftArea;
  int triggerPointX_ = -1;
  int triggerPointY_ = -1;
  int crossHairShown_ = 0;
  std::array<int, 8> crossHairLines_{};
  int markerX_ = -1;
  int markerY_ = -1;
  int dragging_ = 0;
  int realTimeChoice_ = 0;
  int cursorLineX_ = -1;

  QTimer redrawTimer_;
  QTimer startupTimer_;

  COverviewView* overview_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QSpinBox* zoom_ = nullptr;
  QComboBox* blockSize_ = nullptr;
  QComboBox* averaging_ = nullptr;
  QComboBox* overlap_ = nullptr;
  QCheckBox* window_ = nullptr;
  QCheckBox* simpleFilter_ = nullptr;
  QCheckBox* autoAdjust_ = nullptr;
  QCheckBox* autoScale_ = nullptr;
  QCheckBox* trigger_ = nullptr;
  QButtonGroup* realTime_ = nullptr;
  QPushButton* fftArea_ = nullptr;
  QPushButton* triggerLevel_ = nullptr;
  QPushButton* levelRange_ = nullptr;
  QPushButton* full_ = nullptr;
  QPushButton* selectAll_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* batch_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* triggerSettings_ = nullptr;
  QPushButton* recordSettings_ = nullptr;
  QPushButton* close_ = nullptr;
  std::array<QLabel*, 3> texts_{};
};
