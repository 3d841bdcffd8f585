#include "gui/realtime/setting_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstdlib>

#include "core/doc/wav_doc.h"
#include "core/graph/wave_box.h"
#include "core/realtime/recording_plan.h"
#include "gui/realtime/panel_host.h"
#include "gui/realtime/record_settings_dlg.h"
#include "gui/realtime/trigger_dlg.h"
#include "render/qt_convert.h"
#include "render/qt_device_context.h"

namespace {

constexpr int kOverviewWidthPx = 400;
constexpr int kOverviewHeightPx = 120;
constexpr int kZoomMiddle = 50;

// The zoom control is an up-down pair without a number: each step zooms once and the
// position returns to the middle.
class ZoomSpin : public QSpinBox {
 public:
  explicit ZoomSpin(QWidget* parent) : QSpinBox(parent) {
    lineEdit()->setReadOnly(true);
    lineEdit()->hide();
    setFixedWidth(22);
    setRange(0, 100);
    setValue(kZoomMiddle);
  }
};

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

// --- the overview control ---

COverviewView::COverviewView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(kOverviewWidthPx, kOverviewHeightPx);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setCursor(Qt::CrossCursor);
  setMouseTracking(true);
}

void COverviewView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!image_.isNull()) p.drawImage(0, 0, image_);
}

void COverviewView::resizeEvent(QResizeEvent*) {
  image_ = QImage(size(), QImage::Format_RGB32);
  image_.fill(ColorFromRef(kOverviewColorsFftArea[kColorFrameBack]));
  emit Resized();
}

void COverviewView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit Pressed(e->position().toPoint());
}

void COverviewView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit Pressed(e->position().toPoint());
}

void COverviewView::mouseMoveEvent(QMouseEvent* e) { emit Moved(e->position().toPoint()); }

void COverviewView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit Released(e->position().toPoint());
}

// --- the panel ---

CSettingPanel::CSettingPanel(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("設定パネル"));
  setModal(false);
  redrawTimer_.setSingleShot(true);
  redrawTimer_.setInterval(kRedrawDelayMs);
  connect(&redrawTimer_, &QTimer::timeout, this, &CSettingPanel::Redraw);
  startupTimer_.setSingleShot(true);
  startupTimer_.setInterval(kStartupDelayMs);
  connect(&startupTimer_, &QTimer::timeout, this, &CSettingPanel::OnStartupTimer);
  BuildControls();
}

CSettingPanel::~CSettingPanel() = default;

void CSettingPanel::BuildControls() {
  overview_ = Named(new COverviewView(this), "overview");
  scroll_ = Named(new QScrollBar(Qt::Horizontal, this), "scroll");
  zoom_ = Named(new ZoomSpin(this), "zoom");
  levelRange_ = Named(new QPushButton(QStringLiteral("ﾚﾍﾞﾙﾚﾝｼﾞ"), this), "levelRange");
  full_ = Named(new QPushButton(QStringLiteral("ﾌﾙ"), this), "full");
  selectAll_ = Named(new QPushButton(QStringLiteral("全選択"), this), "selectAll");
  fftArea_ = Named(new QPushButton(QStringLiteral("FFTｴﾘｱ"), this), "fftArea");
  triggerLevel_ = Named(new QPushButton(QStringLiteral("ﾄﾘｶﾞﾚﾍﾞﾙ"), this), "triggerLevel");
  fftArea_->setCheckable(true);
  triggerLevel_->setCheckable(true);
  fftArea_->setChecked(true);
  auto* modes = new QButtonGroup(this);
  modes->addButton(fftArea_, kModeFftArea);
  modes->addButton(triggerLevel_, kModeTriggerLevel);
  for (size_t i = 0; i < texts_.size(); ++i) {
    texts_[i] = new QLabel(this);
    texts_[i]->setObjectName(QStringLiteral("text%1").arg(i + 1));
    texts_[i]->setMinimumWidth(200);
  }

  blockSize_ = Named(new QComboBox(this), "blockSize");
  for (uint32_t n : kPanelBlockSizes) blockSize_->addItem(QString::number(n));
  averaging_ = Named(new QComboBox(this), "averaging");
  for (const AveragingEntry& e : kPanelAveraging) averaging_->addItem(QString::fromUtf8(e.label));
  overlap_ = Named(new QComboBox(this), "overlap");
  for (const char* label : kPanelOverlaps) overlap_->addItem(QString::fromUtf8(label));
  window_ = Named(new QCheckBox(QStringLiteral("ｳｨﾝﾄﾞｳ"), this), "window");
  simpleFilter_ = Named(new QCheckBox(QStringLiteral("簡易ﾌｨﾙﾀｰ"), this), "simpleFilter");
  autoAdjust_ = Named(new QCheckBox(QStringLiteral("ｵｰﾄｱｼﾞｬｽﾄ"), this), "autoAdjust");
  autoScale_ = Named(new QCheckBox(QStringLiteral("ｵｰﾄｽｹｰﾙ"), this), "autoScale");
  trigger_ = Named(new QCheckBox(QStringLiteral("ﾄﾘｶﾞ"), this), "trigger");
  triggerSettings_ = Named(new QPushButton(QStringLiteral("トリガ設定"), this), "triggerSettings");
  realTime_ = new QButtonGroup(this);
  const char* radioNames[] = {"realTimeOff", "realTimeRecord", "realTimePlay"};
  const QString radioTexts[] = {QStringLiteral("OFF"), QStringLiteral("録音"), QStringLiteral("再生")};
  for (int i = 0; i < 3; ++i) realTime_->addButton(Named(new QRadioButton(radioTexts[i], this), radioNames[i]), i);
  realTime_->button(0)->setChecked(true);
  recordSettings_ = Named(new QPushButton(QStringLiteral("録音設定"), this), "recordSettings");
  start_ = Named(new QPushButton(QStringLiteral("ｽﾀｰﾄ"), this), "start");
  stop_ = Named(new QPushButton(QStringLiteral("ｽﾄｯﾌﾟ"), this), "stop");
  close_ = Named(new QPushButton(QStringLiteral("閉じる"), this), "close");
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  close_->setDefault(true);

  // Layout: the overview with its scroll bar, zoom and range buttons on top, the texts
  // beside the mode buttons, then the analysis settings and the run buttons.
  auto* overviewRow = new QHBoxLayout;
  overviewRow->addWidget(scroll_, 1);
  overviewRow->addWidget(zoom_);
  auto* rangeButtons = new QHBoxLayout;
  rangeButtons->addWidget(levelRange_);
  rangeButtons->addWidget(full_);
  rangeButtons->addWidget(selectAll_);
  rangeButtons->addStretch();
  rangeButtons->addWidget(fftArea_);
  rangeButtons->addWidget(triggerLevel_);
  auto* textBox = new QVBoxLayout;
  for (QLabel* t : texts_) textBox->addWidget(t);

  auto* analysis = new QGroupBox(this);
  auto* grid = new QGridLayout(analysis);
  grid->addWidget(new QLabel(QStringLiteral("ﾌﾞﾛｯｸｻｲｽﾞ"), analysis), 0, 0);
  grid->addWidget(blockSize_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("ｱﾍﾞﾚｰｼﾞ"), analysis), 1, 0);
  grid->addWidget(averaging_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("ｵｰﾊﾞｰﾗｯﾌﾟ"), analysis), 2, 0);
  grid->addWidget(overlap_, 2, 1);
  grid->addWidget(window_, 0, 2);
  grid->addWidget(simpleFilter_, 1, 2);
  grid->addWidget(autoAdjust_, 0, 3);
  grid->addWidget(autoScale_, 1, 3);

  auto* run = new QGroupBox(this);
  auto* runGrid = new QGridLayout(run);
  runGrid->addWidget(trigger_, 0, 0);
  runGrid->addWidget(triggerSettings_, 0, 1, 1, 2);
  for (int i = 0; i < 3; ++i) runGrid->addWidget(realTime_->button(i), 1, i);
  runGrid->addWidget(recordSettings_, 1, 3);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(start_);
  buttons->addWidget(stop_);
  buttons->addStretch();
  buttons->addWidget(close_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(overview_, 1);
  layout->addLayout(overviewRow);
  layout->addLayout(rangeButtons);
  layout->addLayout(textBox);
  layout->addWidget(analysis);
  layout->addWidget(run);
  layout->addLayout(buttons);

  connect(overview_, &COverviewView::Pressed, this, &CSettingPanel::OnPress);
  connect(overview_, &COverviewView::Moved, this, &CSettingPanel::OnMove);
  connect(overview_, &COverviewView::Released, this, &CSettingPanel::OnRelease);
  // A new back buffer holds none of the XOR drawings.
  connect(overview_, &COverviewView::Resized, this, [this] {
    bandShown_ = crossHairShown_ = 0;
    cursorLineX_ = -1;
    PostRedraw();
  });
  connect(scroll_, &QScrollBar::valueChanged, this, &CSettingPanel::OnScroll);
  connect(zoom_, &QSpinBox::valueChanged, this, &CSettingPanel::OnZoom);
  connect(modes, &QButtonGroup::idClicked, this, &CSettingPanel::SetMode);
  connect(levelRange_, &QPushButton::clicked, this, &CSettingPanel::OnLevelRange);
  connect(full_, &QPushButton::clicked, this, &CSettingPanel::OnFull);
  connect(selectAll_, &QPushButton::clicked, this, &CSettingPanel::OnSelectAll);
  connect(trigger_, &QCheckBox::clicked, this, &CSettingPanel::OnTriggerCheck);
  connect(realTime_, &QButtonGroup::idClicked, this, &CSettingPanel::OnRealTimeChoice);
  connect(triggerSettings_, &QPushButton::clicked, this, &CSettingPanel::OnTriggerSettings);
  connect(recordSettings_, &QPushButton::clicked, this, &CSettingPanel::OnRecordSettings);
  connect(start_, &QPushButton::clicked, this, &CSettingPanel::OnStart);
  connect(stop_, &QPushButton::clicked, this, &CSettingPanel::OnStop);
  connect(close_, &QPushButton::clicked, this, &CSettingPanel::Close);
  // A new block size moves the band's whole blocks and the trigger point.
  connect(blockSize_, &QComboBox::activated, this, &CSettingPanel::PostRedraw);
}

void CSettingPanel::Bind(CWavDoc* doc, int kind, PanelHost* host, std::unique_ptr<CWaveBox> box) {
  const ColorSet& colors = mode_ == kModeTriggerLevel ? kOverviewColorsTriggerLevel : kOverviewColorsFftArea;
  miniBox_.reset();
  doc_ = doc;
  host_ = host;
  miniBoxKind_ = kind >= 0 && kind <= 2 ? kind : 2;
  dragging_ = bandShown_ = crossHairShown_ = 0;
  cursorLineX_ = -1;
  realTimeChoice_ = 0;
  {
    const QSignalBlocker block(realTime_);
    realTime_->button(0)->setChecked(true);
  }
  if (!doc_) return;
  if (box) {
    miniBox_ = std::move(box);
  } else {
    std::unique_ptr<CBox> created = doc_->CreateBox(miniBoxKind_, true);
    if (dynamic_cast<CWaveBox*>(created.get()))
      miniBox_.reset(static_cast<CWaveBox*>(created.release()));
  }
  // The record the box shows is the document's (a given box may bring its own).
  pending_ = doc_->Context();
  if (miniBox_ && miniBox_->Settings()) pending_.record = miniBox_->Settings()->record;
  CWave& wave = doc_->Wave();
  AnalysisSettings& s = pending_.record;
  s.realTimeMode = 0;
  s.recordingRateHz = wave.Rate();
  s.recordingBits = wave.Bits();
  s.recordingChannels = wave.Channels();
  s.recordingFrames = wave.FrameCount() ? wave.FrameCount() : 2 * wave.Rate();
  frameCount_ = wave.FrameCount();
  if (!miniBox_) return;
  miniBox_->SetGridShown(0);
  miniBox_->SetColors(colors);
  // From now on the box shows the settings being edited.
  miniBox_->SetSource(&wave, &pending_, miniBox_->Channel());
}

void CSettingPanel::Show(QWidget* parentView) {
  if (created_) {
    update();
    PostRedraw();
    return;
  }
  if (parentView && parentWidget() != parentView) setParent(parentView, windowFlags() | Qt::Dialog);
  created_ = 1;
  InitDialog();
  adjustSize();
  const QPoint base = parentView ? parentView->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0);
  move(base + QPoint(kOpenOffsetX, kOpenOffsetY));
  show();
  PostRedraw();
}

void CSettingPanel::InitDialog() {
  {
    const QSignalBlocker block(zoom_);
    zoom_->setRange(0, 100);
    zoom_->setValue(kZoomMiddle);
  }
  if (miniBox_) {
    SetScrollBarFromBox();
    ShowControls(ControlsFromRecord(pending_.record));
    bandEnd_ = std::min(pending_.record.fftRangeEnd, frameCount_);
    bandStart_ = std::min(pending_.record.fftRangeStart, bandEnd_);
  }
  realTimeChoice_ = 0;
  {
    const QSignalBlocker block(realTime_);
    realTime_->button(0)->setChecked(true);
  }
  ShowTexts();
  RefreshControls();
  startupTimer_.start();
}

void CSettingPanel::ShowControls(const PanelControls& c) {
  blockSize_->setCurrentIndex(c.blockSizeIndex);
  averaging_->setCurrentIndex(c.averagingIndex);
  overlap_->setCurrentIndex(c.overlapIndex);
  window_->setChecked(c.window);
  simpleFilter_->setChecked(c.simpleFilter);
  autoAdjust_->setChecked(c.autoAdjust);
  autoScale_->setChecked(c.autoScale);
  trigger_->setChecked(c.triggerOn);
}

PanelControls CSettingPanel::ControlsNow() const {
  PanelControls c;
  c.blockSizeIndex = blockSize_->currentIndex();
  c.averagingIndex = averaging_->currentIndex();
  c.overlapIndex = overlap_->currentIndex();
  c.window = window_->isChecked();
  c.simpleFilter = simpleFilter_->isChecked();
  c.autoAdjust = autoAdjust_->isChecked();
  c.autoScale = autoScale_->isChecked();
  c.triggerOn = trigger_->isChecked();
  c.realTimeChoice = std::max(0, realTime_->checkedId());
  return c;
}

ApplyDecision CSettingPanel::ReadControls() {
  const PanelControls c = ControlsNow();
  realTimeChoice_ = c.realTimeChoice;
  ApplyControls(c, pending_.record);
  if (doc_) frameCount_ = doc_->Wave().FrameCount();
  if (!dragging_) {
    bandStart_ = pending_.record.fftRangeStart;
    bandEnd_ = pending_.record.fftRangeEnd;
    ShowTexts();
  }
  if (!doc_) return {};
  return CompareWithDocument(pending_.record, doc_->Settings());
}

void CSettingPanel::RefreshControls() {
  PanelState st;
  st.bound = doc_ && miniBox_;
  st.runPhase = doc_ ? doc_->RunPhase() : kRunIdle;
  st.realTimeChoice = std::max(0, realTime_->checkedId());
  st.recordingFrames = pending_.record.recordingFrames;
  st.waveFrames = doc_ ? doc_->Wave().FrameCount() : 0;
  st.triggerOn = trigger_->isChecked();
  const PanelEnabling e = EnablingFor(st);
  stop_->setEnabled(e.stop);
  start_->setEnabled(e.start);
  for (QWidget* w : std::initializer_list<QWidget*>{simpleFilter_, window_, averaging_, blockSize_, autoAdjust_,
                                                    autoScale_, trigger_, overlap_})
    w->setEnabled(e.settings);
  triggerSettings_->setEnabled(e.triggerSettings);
  recordSettings_->setEnabled(e.recordSettings);
  triggerLevel_->setEnabled(e.triggerLevelMode);
  if (!st.triggerOn && mode_ == kModeTriggerLevel) SetMode(kModeFftArea);
}

void CSettingPanel::RefreshFromRecord(const AnalysisSettings& record) {
  TakeLevelReference(record, pending_.record);
  {
    const QSignalBlocker block(autoAdjust_);
    autoAdjust_->setChecked(record.autoAdjust != 0);
  }
  PostRedraw();
}

void CSettingPanel::SetPendingRecord(const AnalysisSettings& record) {
  pending_.record = record;
  SetPendingRealTimeMode(record.realTimeMode);
}

void CSettingPanel::SetPendingRealTimeMode(int mode) {
  mode = std::clamp(mode, 0, 2);
  pending_.record.realTimeMode = mode;
  realTimeChoice_ = mode;
  const QSignalBlocker block(realTime_);
  realTime_->button(mode)->setChecked(true);
}

void CSettingPanel::Update(bool first) {
  if (!doc_) return;
  if (doc_->RunPhase() == kRunIdle) {
    pending_.record = doc_->Settings();
    PostRedraw();
    return;
  }
  int x = -1;
  if (miniBox_) {
    const double t = miniBox_->FrameToTime(doc_->Settings().currentPosition);
    const CCordConv& axis = miniBox_->X();
    if (t >= axis.ValueStart() && t <= axis.ValueEnd()) x = axis.ValueToPixel(t);
  }
  const bool drawn = miniBox_ && OnOverview([&](DeviceContext& dc) {
    if (cursorLineX_ >= 0) DrawCursorLine(dc, cursorLineX_);
    cursorLineX_ = -1;
    pending_.record = doc_->Settings();
    if (first) recordedSoFar_ = pending_.record.fftRangeEnd;
    if (doc_->RunPhase() == kRunRecording && !first)
      recordedSoFar_ = miniBox_->DrawNewSamples(dc, recordedSoFar_, pending_.record.fftRangeEnd);
    if (x >= 0) {
      DrawCursorLine(dc, x);
      cursorLineX_ = x;
    }
  });
  if (!drawn) {
    pending_.record = doc_->Settings();
    if (first) recordedSoFar_ = pending_.record.fftRangeEnd;
  }
  RefreshControls();
  texts_[1]->setText(QString::fromStdString(doc_->StatusText()));
  texts_[2]->clear();
}

void CSettingPanel::Close() {
  if (created_ && miniBox_ && host_) {
    const ApplyDecision d = ReadControls();
    if (d.changed) host_->ApplyToDocument(pending_.record, d.levelMode ? 1 : 0);
  }
  hide();
  Destroyed();
}

void CSettingPanel::Destroyed() {
  redrawTimer_.stop();
  startupTimer_.stop();
  dragging_ = bandShown_ = crossHairShown_ = 0;
  cursorLineX_ = -1;
  miniBox_.reset();
  created_ = 0;
  if (doc_) doc_->UpdateAllViews();
}

void CSettingPanel::closeEvent(QCloseEvent* event) {
  if (created_) Close();
  event->accept();
}

// Esc and Enter close the panel as its close button does: what was edited is applied.
void CSettingPanel::reject() {
  if (created_) Close();
}

void CSettingPanel::accept() {
  if (created_) Close();
}

// --- redrawing ---

void CSettingPanel::PostRedraw() {
  if (created_) redrawTimer_.start();
}

void CSettingPanel::OnStartupTimer() {
  {
    const QSignalBlocker block(zoom_);
    zoom_->setRange(0, 100);
    zoom_->setValue(kZoomMiddle);
  }
  Redraw();
}

DeviceMapping CSettingPanel::OverviewMapping() const {
  DeviceMapping m;
  if (!miniBox_) return m;
  const Rect r = NormalizeRect(miniBox_->GetRect());
  m.windowOrgX = r.left;
  m.windowOrgY = r.bottom;  // the box's upper edge at the top of the control
  m.windowExtX = std::max(r.Width(), 1);
  m.windowExtY = -std::max(r.Height(), 1);
  m.viewportExtX = std::max(overview_->width(), 1);
  m.viewportExtY = std::max(overview_->height(), 1);
  return m;
}

template <typename Draw>
bool CSettingPanel::OnOverview(Draw draw) {
  QImage& image = overview_->BackBuffer();
  if (image.isNull() || !miniBox_ || !doc_) return false;
  {
    QPainter painter(&image);
    QtDeviceContext dc(painter, QtDeviceContext::Surface::kScreen, OverviewMapping());
    SelectDocumentFont(dc, doc_->GetDocumentFont());
    draw(dc);
  }
  overview_->update();
  return true;
}

void CSettingPanel::Redraw() {
  redrawTimer_.stop();
  if (!created_) return;
  ReadControls();
  crossHairShown_ = 0;
  if (miniBox_ && doc_) {
    SetScrollBarFromBox();
    OnOverview([&](DeviceContext& dc) {
      miniBox_->SetValidFlags(0);
      miniBox_->Draw(dc, nullptr);
      // A band being dragged stays on screen.
      bandShown_ = 0;
      if (dragging_ && mode_ == kModeFftArea && bandEnd_ != bandStart_) {
        DrawBand(dc);
        bandShown_ = 1;
      }
    });
    // While the user places the marker, it stays where the pointer is.
    if (!(dragging_ && mode_ == kModeTriggerLevel)) {
      ComputeTriggerPoint();
      markerX_ = triggerPointX_;
      markerY_ = triggerPointY_;
    }
    if (mode_ == kModeTriggerLevel && pending_.record.triggerOn && markerX_ >= 0)
      SetCrossHairAt(markerX_, markerY_);
  } else {
    QImage& image = overview_->BackBuffer();
    if (!image.isNull()) image.fill(palette().color(QPalette::Window));
    overview_->update();
  }
  ShowTexts();
  cursorLineX_ = -1;
  RefreshControls();
}

void CSettingPanel::ComputeTriggerPoint() {
  if (!miniBox_ || mode_ != kModeTriggerLevel) {
    triggerPointX_ = triggerPointY_ = -1;
    return;
  }
  const Rect& plot = miniBox_->PlotRect();
  triggerPointX_ = TriggerPointX(plot.left, plot.right, pending_.record.blockSize,
                                 pending_.record.triggerDelayFrames);
  triggerPointY_ = miniBox_->Y().ValueToPixel(pending_.record.triggerLevel);
}

void CSettingPanel::ShowTexts() {
  PanelTexts t;
  const AnalysisSettings& s = pending_.record;
  if (mode_ == kModeTriggerLevel) {
    double level = s.triggerLevel;
    uint32_t delay = static_cast<uint32_t>(std::max(0, s.triggerDelayFrames));
    if (miniBox_ && markerX_ >= 0) {
      const Rect& plot = miniBox_->PlotRect();
      level = miniBox_->Y().PixelToValue(markerY_);
      delay = DelayAtX(markerX_, plot.left, plot.right, s.blockSize);
    }
    t = TriggerLevelTexts(s.triggerOn != 0, s.triggerChannel, level * 0.01, delay);
  } else {
    const bool needsNewBuffer = doc_ && RecordingNeedsNewBuffer(doc_->Wave(), s);
    t = FftAreaTexts(realTimeChoice_, bandStart_, bandEnd_, s, needsNewBuffer);
  }
  texts_[0]->setText(QString::fromStdString(t.line1));
  texts_[1]->setText(QString::fromStdString(t.line2));
  texts_[2]->setText(QString::fromStdString(t.line3));
}

void CSettingPanel::SetScrollBarFromBox() {
  if (!miniBox_) return;
  ScrollInfo info;
  miniBox_->GetXScrollInfo(info);
  const ScrollSteps steps = ScrollStepsFor(info);
  const QSignalBlocker block(scroll_);
  scroll_->setRange(steps.minimum, steps.maximumPosition);
  scroll_->setPageStep(steps.page);
  scroll_->setSingleStep(steps.line);
  scroll_->setValue(info.position);
}

// --- XOR drawings ---

void CSettingPanel::DrawBand(DeviceContext& dc) {
  const Rect& box = miniBox_->GetRect();
  const Point corners[4] = {{bandLeft_, box.top}, {bandLeft_, box.bottom}, {bandRight_, box.bottom},
                            {bandRight_, box.top}};
  const Pen oldPen = dc.SelectPen({PenStyle::kNull, 0, 0});
  const Brush oldBrush = dc.SelectBrush({kBandXorColor, false});
  const int32_t oldRop = dc.SetROP2(kRopXorPen);
  dc.Polygon(corners, 4);
  dc.SetROP2(oldRop);
  dc.SelectBrush(oldBrush);
  dc.SelectPen(oldPen);
}

void CSettingPanel::DrawCrossHair(DeviceContext& dc) {
  const Pen oldPen = dc.SelectPen({PenStyle::kSolid, 0, kCrossHairXorColor});
  const int32_t oldRop = dc.SetROP2(kRopXorPen);
  const auto& l = crossHairLines_;
  dc.MoveTo(l[0], l[1]);
  dc.LineTo(l[2], l[3]);
  dc.MoveTo(l[4], l[5]);
  dc.LineTo(l[6], l[7]);
  dc.SetROP2(oldRop);
  dc.SelectPen(oldPen);
}

// Moves the cross-hair to (x, y), or hides it when x is negative.
void CSettingPanel::SetCrossHairAt(int x, int y) {
  OnOverview([&](DeviceContext& dc) {
    if (crossHairShown_) DrawCrossHair(dc);
    crossHairShown_ = 0;
    if (x < 0) return;
    const Rect& plot = miniBox_->PlotRect();
    crossHairLines_ = {plot.left, y, plot.right, y, x, plot.top, x, plot.bottom};
    DrawCrossHair(dc);
    crossHairShown_ = 1;
  });
}

void CSettingPanel::DrawCursorLine(DeviceContext& dc, int x) {
  const Rect& plot = miniBox_->PlotRect();
  const Pen oldPen = dc.SelectPen({PenStyle::kSolid, 0, kCursorLineXorColor});
  const int32_t oldRop = dc.SetROP2(kRopXorPen);
  dc.MoveTo(x, plot.top);
  dc.LineTo(x, plot.bottom);
  dc.SetROP2(oldRop);
  dc.SelectPen(oldPen);
}

// --- commands ---

void CSettingPanel::SetMode(int mode) {
  ReadControls();
  mode_ = mode == kModeTriggerLevel ? kModeTriggerLevel : kModeFftArea;
  fftArea_->setChecked(mode_ == kModeFftArea);
  triggerLevel_->setChecked(mode_ == kModeTriggerLevel);
  if (miniBox_)
    miniBox_->SetColors(mode_ == kModeTriggerLevel ? kOverviewColorsTriggerLevel : kOverviewColorsFftArea);
  ComputeTriggerPoint();  // none in FFT area mode
  markerX_ = triggerPointX_;
  markerY_ = triggerPointY_;
  ShowTexts();
  PostRedraw();
}

void CSettingPanel::OnStart() {
  if (!miniBox_ || !host_) return;
  const ApplyDecision d = ReadControls();
  if (d.changed) host_->ApplyToDocument(pending_.record, d.levelMode ? 1 : 0);
  if (mode_ == kModeTriggerLevel) SetMode(kModeFftArea);
  host_->StartRunFromView();
  if (!miniBox_) return;  // the view closed the panel meanwhile
  miniBox_->SetDefaultRanges();
  PostRedraw();
  Update(true);
}

void CSettingPanel::OnStop() {
  if (host_) host_->StopRunFromView();
  RefreshControls();
}

void CSettingPanel::OnTriggerCheck() {
  ReadControls();
  RefreshControls();
  PostRedraw();
}

void CSettingPanel::OnRealTimeChoice() {
  ReadControls();
  RefreshControls();
  ShowTexts();
}

void CSettingPanel::OnSelectAll() {
  if (!doc_) return;
  pending_.record.fftRangeStart = 0;
  pending_.record.fftRangeEnd = doc_->Wave().FrameCount();
  PostRedraw();
}

void CSettingPanel::OnLevelRange() {
  if (!miniBox_) return;
  miniBox_->AutoRangeY();
  PostRedraw();
}

void CSettingPanel::OnFull() {
  if (!miniBox_) return;
  miniBox_->FullRangeX();
  miniBox_->FullRangeY();
  SetScrollBarFromBox();
  PostRedraw();
}

void CSettingPanel::OnTriggerSettings() {
  if (!doc_) return;
  ReadControls();
  CTriggerDlg dlg(pending_.record, doc_->Wave(), this);
  if (dlg.exec() != QDialog::Accepted) return;
  pending_.record = dlg.Record();
  PostRedraw();
}

void CSettingPanel::OnRecordSettings() {
  if (!doc_) return;
  ReadControls();
  CRecordSettingsDlg dlg(pending_.record, doc_->Wave(), this);
  if (dlg.exec() != QDialog::Accepted) return;
  pending_.record = dlg.Record();
  PostRedraw();
}

void CSettingPanel::OnScroll(int position) {
  if (!miniBox_) return;
  ScrollInfo info;
  miniBox_->GetXScrollInfo(info);
  PostRedraw();
  miniBox_->SetXRange(miniBox_->FrameToTime(position), miniBox_->FrameToTime(double(position) + info.page));
  SetScrollBarFromBox();
}

void CSettingPanel::OnZoom(int position) {
  if (position == kZoomMiddle) return;
  if (miniBox_) {
    bool changed = false;
    for (int i = 0; i < std::abs(position - kZoomMiddle); ++i)
      changed = miniBox_->ZoomX(position > kZoomMiddle ? 1 : 0) != 0 || changed;
    if (changed) {
      miniBox_->X().CalcTickStep(0, 0);
      PostRedraw();
    }
  }
  {
    const QSignalBlocker block(zoom_);
    zoom_->setValue(kZoomMiddle);
  }
  SetScrollBarFromBox();
}

// --- the mouse on the overview ---

Point CSettingPanel::ToLogical(QPoint device) const {
  return OverviewMapping().DeviceToLogical(Point{device.x(), device.y()});
}

bool CSettingPanel::InsidePlot(Point p) const { return miniBox_ && miniBox_->PlotRect().Contains(p); }

void CSettingPanel::OnPress(QPoint device) {
  if (!miniBox_ || !doc_) return;
  const Point p = ToLogical(device);
  if (!InsidePlot(p)) return;
  frameCount_ = doc_->Wave().FrameCount();
  const uint32_t n = pending_.record.blockSize;
  if (mode_ == kModeFftArea) {
    bandStart_ = BandStartAt(FrameValueAt(*miniBox_, p.x), n, frameCount_);
    bandEnd_ = n ? bandStart_ + n - 1 : bandStart_;
    OnOverview([&](DeviceContext& dc) {
      if (bandShown_) DrawBand(dc);
      bandLeft_ = miniBox_->X().ValueToPixel(miniBox_->FrameToTime(bandStart_));
      bandRight_ = miniBox_->X().ValueToPixel(miniBox_->FrameToTime(bandEnd_));
      DrawBand(dc);
      bandShown_ = 1;
    });
  } else {
    markerX_ = p.x;
    markerY_ = p.y;
    SetCrossHairAt(p.x, p.y);
  }
  dragging_ = 1;
  ShowTexts();
}

void CSettingPanel::OnMove(QPoint device) {
  if (!dragging_ || !miniBox_ || !doc_) return;
  const Point p = ToLogical(device);
  if (mode_ == kModeFftArea) {
    const std::optional<uint32_t> end =
        BandEndAt(bandStart_, FrameValueAt(*miniBox_, p.x), pending_.record.blockSize, frameCount_);
    OnOverview([&](DeviceContext& dc) {
      if (bandShown_) DrawBand(dc);
      bandShown_ = 0;
      if (!end) return;
      bandLeft_ = miniBox_->X().ValueToPixel(miniBox_->FrameToTime(bandStart_));
      bandRight_ = miniBox_->X().ValueToPixel(miniBox_->FrameToTime(*end));
      DrawBand(dc);
      bandShown_ = 1;
    });
    bandEnd_ = end ? *end : bandStart_;
  } else if (InsidePlot(p)) {
    markerX_ = p.x;
    markerY_ = p.y;
    SetCrossHairAt(p.x, p.y);
  } else {
    markerX_ = triggerPointX_;
    markerY_ = triggerPointY_;
    SetCrossHairAt(-1, -1);
  }
  ShowTexts();
}

void CSettingPanel::OnRelease(QPoint device) {
  if (!dragging_ || !miniBox_ || !doc_) return;
  const Point p = ToLogical(device);
  AnalysisSettings& s = pending_.record;
  if (mode_ == kModeFftArea) {
    const std::optional<uint32_t> end = BandEndAt(bandStart_, FrameValueAt(*miniBox_, p.x), s.blockSize, frameCount_);
    if (end) {
      s.fftRangeStart = bandStart_;
      s.fftRangeEnd = *end;
    }
    OnOverview([&](DeviceContext& dc) {
      if (bandShown_) DrawBand(dc);
    });
    bandShown_ = 0;
  } else {
    if (InsidePlot(p)) {
      markerX_ = p.x;
      markerY_ = p.y;
      const Rect& plot = miniBox_->PlotRect();
      s.triggerLevel = miniBox_->Y().PixelToValue(p.y);
      s.triggerDelayFrames = static_cast<int32_t>(DelayAtX(p.x, plot.left, plot.right, s.blockSize));
    }
    SetCrossHairAt(-1, -1);
  }
  dragging_ = 0;
  // The band and the marker return to what the record holds; the redraw shows the result.
  bandStart_ = s.fftRangeStart;
  bandEnd_ = s.fftRangeEnd;
  ShowTexts();
  PostRedraw();
}
