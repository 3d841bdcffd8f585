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
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/doc/wav_doc.h"
#include "core/graph/wave_box.h"
#include "gui/platform/dialog_parts.h"
#include "gui/realtime/panel_host.h"
#include "gui/realtime/record_settings_dlg.h"
#include "gui/realtime/trigger_dlg.h"

namespace {

static_assert(CSettingPanel::kZoomMiddle == ZoomSpin::kMiddle);

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

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
  batch_ = Named(new QPushButton(QStringLiteral("一括解析"), this), "batch");
  batch_->setToolTip(QStringLiteral("FFT対象範囲をタイマーを待たずにまとめて解析します"));
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
  buttons->addWidget(batch_);
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
  connect(batch_, &QPushButton::clicked, this, &CSettingPanel::OnBatch);
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
  s.realTimeMode = kRealTimeOff;
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
  batch_->setEnabled(e.start && st.realTimeChoice == kRealTimeOff);
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

void CSettingPanel::OnBatch() {
  if (!miniBox_ || !host_) return;
  if (realTime_->checkedId() != kRealTimeOff) return;
  const ApplyDecision d = ReadControls();
  if (d.changed) host_->ApplyToDocument(pending_.record, d.levelMode ? 1 : 0);
  if (mode_ == kModeTriggerLevel) SetMode(kModeFftArea);
  host_->BatchAnalyseFromView();
  if (!miniBox_) return;
  PostRedraw();
  Update(false);
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
