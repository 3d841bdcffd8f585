// The editing dialog: its controls, the hand-over with the document, the information texts,
// the channel lists, scrolling and zooming, play and stop, and the context menus. The
// editing commands are in edit_dlg_commands.cpp, drawing and the mouse in edit_dlg_graph.cpp.
#include "gui/edit/edit_dlg.h"
#include "gui/edit/edit_controls.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cstdio>

#include "core/doc/wav_doc.h"
#include "core/graph/overview_logic.h"
#include "core/platform/hooks.h"
#include "core/platform/prompt.h"
#include "core/wave/wave_device.h"
#include "gui/platform/dialog_parts.h"
#include "gui/realtime/setting_panel.h"


namespace {

const char* Prefix(int buffer) { return buffer == kTempBuffer ? "temp" : "wave"; }

QPushButton* Button(QWidget* parent, const char* text, int buffer, const char* role) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(Prefix(buffer)), QString::fromLatin1(role)));
  b->setAutoDefault(false);
  return b;
}

// An information text, wide enough for the longest text it shows.
QLabel* Text(QWidget* parent, int buffer, const char* role, const char* longest) {
  auto* l = new QLabel(parent);
  l->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(Prefix(buffer)), QString::fromLatin1(role)));
  l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QString::fromUtf8(longest)));
  return l;
}

}  // namespace

const std::vector<CEditDlg::MenuEntry>& CEditDlg::ContextMenu(int buffer) {
  static const std::vector<MenuEntry> wave = {
      {kCopyWaveToTemp, "コピー（ｳｪｰﾌﾞ → ﾃﾝﾎﾟﾗﾘ）"},
      {kMixWaveToTemp, "合成（ｳｪｰﾌﾞ → ﾃﾝﾎﾟﾗﾘ）"},
      {kDeleteWave, "削除（ｳｪｰﾌﾞ）"},
      {kFadeInWave, "ﾌｪｰﾄﾞｲﾝ"},
      {kFadeOutWave, "ﾌｪｰﾄﾞｱｳﾄ"},
      {kLevelWave, "ﾚﾍﾞﾙ変換"},
      {kEchoWave, "ディレイ（エコー）"},
      {kReverseWave, "波形逆転"},
      {kUndoWave, "ｳｪｰﾌﾞﾊﾞｯﾌｧﾃﾞｰﾀ 操作ｷｬﾝｾﾙ"},
  };
  static const std::vector<MenuEntry> temp = {
      {kCopyTempToWave, "コピー（ﾃﾝﾎﾟﾗﾘ → ｳｪｰﾌﾞ）"},
      {kMixTempToWave, "合成（ﾃﾝﾎﾟﾗﾘ → ｳｪｰﾌﾞ）"},
      {kDeleteTemp, "削除（ﾃﾝﾎﾟﾗﾘ）"},
      {kFadeInTemp, "ﾌｪｰﾄﾞｲﾝ"},
      {kFadeOutTemp, "ﾌｪｰﾄﾞｱｳﾄ"},
      {kLevelTemp, "ﾚﾍﾞﾙ変換"},
      {kEchoTemp, "ディレイ（エコー）"},
      {kReverseTemp, "波形逆転"},
      {kUndoTemp, "ﾃﾝﾎﾟﾗﾘﾊﾞｯﾌｧﾃﾞｰﾀ操作ｷｬﾝｾﾙ"},
  };
  return buffer == kTempBuffer ? temp : wave;
}

CEditDlg::Remembered& CEditDlg::Choices() {
  static Remembered remembered;
  return remembered;
}

CEditDlg::CEditDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("編集"));
  auto* layout = new QVBoxLayout(this);
  for (int b : {kWaveBuffer, kTempBuffer}) {
    ui_[b] = new Controls;
    auto* group = new QGroupBox(QString::fromUtf8(BufferName(b)), this);
    BuildControls(b, *ui_[b]);
    auto* g = new QGridLayout(group);
    Controls& c = *ui_[b];
    g->addWidget(c.graph, 0, 0, 1, 2);
    g->addWidget(c.scroll, 1, 0);
    g->addWidget(c.zoom, 1, 1);
    g->setColumnStretch(0, 1);  // the scroll bar takes the width, the zoom spin only what it needs
    auto* view = new QHBoxLayout;
    view->addWidget(c.channels);
    view->addWidget(c.selectAll);
    view->addWidget(c.fullRange);
    view->addWidget(c.autoY);
    view->addStretch();
    if (b == kTempBuffer) {
      load_ = Button(this, "ファイル読込み", b, "load");
      view->addWidget(load_);
    }
    view->addWidget(c.play);
    view->addWidget(c.stop);
    g->addLayout(view, 2, 0, 1, 2);
    auto* ops = new QHBoxLayout;
    for (QPushButton* p : {c.copy, c.mix, c.erase, c.fadeIn, c.fadeOut, c.level}) ops->addWidget(p);
    ops->addStretch();
    g->addLayout(ops, 3, 0, 1, 2);
    auto* texts = new QHBoxLayout;
    texts->addWidget(c.total);
    texts->addSpacing(16);
    for (auto [caption, label] : {std::pair{"始点：", c.start}, std::pair{"終点：", c.end}, std::pair{"長さ：", c.length}}) {
      texts->addWidget(new QLabel(QString::fromUtf8(caption), group));
      texts->addWidget(label);
    }
    texts->addStretch();
    g->addLayout(texts, 4, 0, 1, 2);
    g->setRowStretch(0, 1);
    layout->addWidget(group, 1);
  }
  layout->addWidget(OkCancelButtons(this));
  connect(load_, &QPushButton::clicked, this, &CEditDlg::LoadFile);

  autoScroll_.setInterval(kAutoScrollMs);
  connect(&autoScroll_, &QTimer::timeout, this, &CEditDlg::OnAutoScroll);
  playPoll_.setInterval(kPlayPollMs);
  connect(&playPoll_, &QTimer::timeout, this, &CEditDlg::PollPlaying);
  resize(760, 640);
}

CEditDlg::~CEditDlg() {
  for (int b : {kWaveBuffer, kTempBuffer}) buffers_[b].Wave().Stop();
  for (Controls* c : ui_) delete c;
}

void CEditDlg::BuildControls(int b, Controls& c) {
  c.graph = new COverviewView(this);
  c.graph->setObjectName(QStringLiteral("%1_graph").arg(QString::fromLatin1(Prefix(b))));
  c.graph->setMinimumSize(600, 150);
  c.graph->setContextMenuPolicy(Qt::CustomContextMenu);
  c.scroll = new QScrollBar(Qt::Horizontal, this);
  c.scroll->setObjectName(QStringLiteral("%1_scroll").arg(QString::fromLatin1(Prefix(b))));
  c.zoom = new ZoomSpin(this);
  c.zoom->setObjectName(QStringLiteral("%1_zoom").arg(QString::fromLatin1(Prefix(b))));
  c.channels = new QComboBox(this);
  c.channels->setObjectName(QStringLiteral("%1_channels").arg(QString::fromLatin1(Prefix(b))));
  const bool wave = b == kWaveBuffer;
  c.copy = Button(this, "コピー", b, "copy");
  c.copy->setToolTip(QString::fromUtf8(wave ? "ｳｪｰﾌﾞ → ﾃﾝﾎﾟﾗﾘ" : "ﾃﾝﾎﾟﾗﾘ → ｳｪｰﾌﾞ"));
  c.mix = Button(this, "合成", b, "mix");
  c.mix->setToolTip(c.copy->toolTip());
  c.erase = Button(this, "削除", b, "delete");
  c.fadeIn = Button(this, "ﾌｪｰﾄﾞｲﾝ", b, "fadeIn");
  c.fadeOut = Button(this, "ﾌｪｰﾄﾞｱｳﾄ", b, "fadeOut");
  c.level = Button(this, "レベル変換", b, "level");
  c.selectAll = Button(this, "全選択", b, "selectAll");
  c.fullRange = Button(this, "ﾌﾙﾚﾝｼﾞ", b, "fullRange");
  c.autoY = Button(this, "Ｙﾚﾝｼﾞｵｰﾄｽﾞｰﾑ", b, "autoY");
  c.play = Button(this, "再生", b, "play");
  c.stop = Button(this, "停止", b, "stop");
  c.total = Text(this, b, "total", "全長:000000000(00000.00sec)");
  c.start = Text(this, b, "start", "000000000");
  c.end = Text(this, b, "end", "000000000");
  c.length = Text(this, b, "length", "000000000(00000.00sec)");
  c.redraw.setSingleShot(true);
  c.redraw.setInterval(kRedrawDelayMs);

  connect(c.copy, &QPushButton::clicked, this, [this, b] { CopySelection(b); });
  connect(c.mix, &QPushButton::clicked, this, [this, b] { MixSelection(b); });
  connect(c.erase, &QPushButton::clicked, this, [this, b] { DeleteSelection(b); });
  connect(c.fadeIn, &QPushButton::clicked, this, [this, b] { FadeSelection(b, true); });
  connect(c.fadeOut, &QPushButton::clicked, this, [this, b] { FadeSelection(b, false); });
  connect(c.level, &QPushButton::clicked, this, [this, b] { ChangeLevel(b); });
  connect(c.selectAll, &QPushButton::clicked, this, [this, b] { SelectAll(b); });
  connect(c.fullRange, &QPushButton::clicked, this, [this, b] { ShowFullRange(b); });
  connect(c.autoY, &QPushButton::clicked, this, [this, b] { AutoZoomY(b); });
  connect(c.play, &QPushButton::clicked, this, [this, b] { Play(b); });
  connect(c.stop, &QPushButton::clicked, this, [this, b] { Stop(b); });
  connect(c.channels, &QComboBox::activated, this, [this, b](int index) { ChooseChannel(b, index); });
  connect(c.scroll, &QScrollBar::valueChanged, this, [this, b](int v) { OnScroll(b, v); });
  connect(c.zoom, &QSpinBox::valueChanged, this, [this, b](int v) { OnZoom(b, v); });
  connect(&c.redraw, &QTimer::timeout, this, [this, b] { Redraw(b); });
  connect(c.graph, &COverviewView::Pressed, this, [this, b](QPoint p) { OnPress(b, p); });
  connect(c.graph, &COverviewView::Moved, this, [this, b](QPoint p) { OnMove(b, p); });
  connect(c.graph, &COverviewView::Released, this, [this, b](QPoint p) { OnRelease(b, p); });
  connect(c.graph, &COverviewView::Resized, this, [this, b] {
    ui_[b]->selectionShown = false;
    FitBox(b);
    PostRedraw(b);
  });
  connect(c.graph, &QWidget::customContextMenuRequested, this, [this, b](QPoint p) { ShowContextMenu(b, p); });
}

// --- the hand-over ---

bool CEditDlg::Initialise(CWavDoc& doc, int boxType, const std::string& handOverPath) {
  doc_ = &doc;
  handOverPath_ = handOverPath;
  CWave& wave = buffers_[kWaveBuffer].Wave();
  bool fromFile = false;
  if (!handOverPath_.empty()) {
    WaitCursor wait;
    fromFile = wave.LoadFromFile(handOverPath_);
  }
  if (!fromFile && !handOverPath_.empty()) {
    // The dialog cannot read the stashed samples: the document takes them back at once,
    // so that it never keeps only the silence the stash left.
    if (!doc.RestoreWave(handOverPath_)) {
      ShowMessage("ウェーブ編集",
                  "編集のために退避したウェーブデータを読み込めませんでした。\n"
                  "データは次の一時ファイルに残っています：\n" + handOverPath_,
                  PromptButtons::Ok, PromptIcon::Warning);
      return false;
    }
    handOverPath_.clear();
    ShowMessage("ウェーブ編集",
                "編集のために退避したウェーブデータを読み込めなかったため、\n"
                "ドキュメントのデータを直接読み込みました。",
                PromptButtons::Ok, PromptIcon::Information);
  }
  if (!fromFile) {
    WaitCursor wait;
    if (!wave.CopyFrom(doc.Wave())) {
      ShowMessage("ウェーブ編集", "メモリが不足しているため、ウェーブ編集を始められません。", PromptButtons::Ok,
                  PromptIcon::Warning);
      return false;
    }
  }
  WaveDevice* device = doc.Wave().Device();
  wave.SetDevice(device);
  CWave& temp = buffers_[kTempBuffer].Wave();
  temp.SetDevice(device);
  temp.SetFormat(wave.Rate(), wave.Bits(), wave.Channels());
  for (int b : {kWaveBuffer, kTempBuffer}) {
    buffers_[b].SetUp(doc, boxType);
    FillChannelList(b);
    FitBox(b);
    RefreshTexts(b);
  }
  undo_.Open();
  initialised_ = true;
  return true;
}

void CEditDlg::HandBack(bool accepted) {
  if (!initialised_ || handedBack_) return;
  handedBack_ = true;
  CWave& wave = buffers_[kWaveBuffer].Wave();
  for (int b : {kWaveBuffer, kTempBuffer}) buffers_[b].Wave().Stop();
  if (accepted) {
    WaitCursor wait;
    doc_->Wave().TakeSamplesFrom(wave);
    if (!handOverPath_.empty()) std::remove(handOverPath_.c_str());
    handOverPath_.clear();
    return;
  }
  if (handOverPath_.empty()) return;
  if (doc_->RestoreWave(handOverPath_)) {
    handOverPath_.clear();
    return;
  }
  // The samples from before the dialog cannot be read back: the document keeps the wave
  // buffer, which started as a copy of them, rather than the stash's silence.
  doc_->Wave().TakeSamplesFrom(wave);
  ShowMessage("ウェーブ編集",
              "編集前のウェーブデータを一時ファイルから戻せませんでした。\n"
              "ウェーブバッファのデータ（編集した内容を含みます）をドキュメントに残します。\n"
              "一時ファイル：" + handOverPath_,
              PromptButtons::Ok, PromptIcon::Warning);
}

// --- texts, lists, scrolling ---

void CEditDlg::FillChannelList(int b) {
  QComboBox* list = ui_[b]->channels;
  const QSignalBlocker block(list);
  list->clear();
  const std::vector<ChannelEntry> entries = ChannelEntries(buffers_[b].Wave().Channels());
  for (const ChannelEntry& e : entries) list->addItem(QString::fromUtf8(e.label), e.selector);
  CWaveBox* box = buffers_[b].Box();
  const int index = ChannelEntryIndex(entries, box ? box->Channel() : 0);
  list->setCurrentIndex(index);
  buffers_[b].SetSelector(entries[static_cast<size_t>(index)].selector);
}

void CEditDlg::ChooseChannel(int b, int index) {
  const std::vector<ChannelEntry> entries = ChannelEntries(buffers_[b].Wave().Channels());
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  {
    const QSignalBlocker block(ui_[b]->channels);
    ui_[b]->channels->setCurrentIndex(index);
  }
  buffers_[b].SetSelector(entries[static_cast<size_t>(index)].selector);
  PostRedraw(b);
}

void CEditDlg::RefreshTexts(int b) {
  EditBuffer& buf = buffers_[b];
  uint32_t start = buf.Start(), end = buf.End();
  if (dragBuffer_ == b + 1) {
    start = anchor_;
    end = current_;
  }
  const SelectionTexts t = MakeSelectionTexts(buf.Box() != nullptr, buf.Wave().FrameCount(), buf.Wave().Rate(), start, end);
  Controls& c = *ui_[b];
  c.total->setText(QString::fromStdString(t.total));
  c.start->setText(QString::fromStdString(t.start));
  c.end->setText(QString::fromStdString(t.end));
  c.length->setText(QString::fromStdString(t.length));
}

void CEditDlg::SetScrollBar(int b) {
  CWaveBox* box = buffers_[b].Box();
  if (!box) return;
  ScrollInfo info;
  box->GetXScrollInfo(info);
  const ScrollSteps steps = ScrollStepsFor(info);
  QScrollBar* scroll = ui_[b]->scroll;
  const QSignalBlocker block(scroll);
  scroll->setRange(steps.minimum, steps.maximumPosition);
  scroll->setPageStep(steps.page);
  scroll->setSingleStep(steps.line);
  scroll->setValue(info.position);
}

void CEditDlg::OnScroll(int b, int position) {
  CWaveBox* box = buffers_[b].Box();
  if (!box || buffers_[b].Wave().FrameCount() == 0) return;
  ScrollInfo info;
  box->GetXScrollInfo(info);
  box->SetXRange(box->FrameToTime(position), box->FrameToTime(double(position) + info.page));
  box->SetValidFlags(0);
  PostRedraw(b);
}

void CEditDlg::OnZoom(int b, int position) {
  ZoomSpin* zoom = ui_[b]->zoom;
  if (position == ZoomSpin::kMiddle) return;
  CWaveBox* box = buffers_[b].Box();
  if (box && buffers_[b].Wave().FrameCount() > 0) {
    bool changed = false;
    for (int i = 0; i < std::abs(position - ZoomSpin::kMiddle); ++i) {
      changed = box->ZoomX(position > ZoomSpin::kMiddle ? 1 : 0) != 0 || changed;
    }
    if (changed) PostRedraw(b);
  }
  const QSignalBlocker block(zoom);
  zoom->setValue(ZoomSpin::kMiddle);
}

void CEditDlg::SelectAll(int b) {
  buffers_[b].SelectAll();
  PostRedraw(b);
}

void CEditDlg::ShowFullRange(int b) {
  buffers_[b].ShowWhole();
  PostRedraw(b);
}

void CEditDlg::AutoZoomY(int b) {
  if (CWaveBox* box = buffers_[b].Box(); box && buffers_[b].Wave().FrameCount() > 0) {
    box->AutoRangeY();
    PostRedraw(b);
  }
}

void CEditDlg::AfterLengthChange(int b) {
  buffers_[b].FollowWave();
  buffers_[b].ShowWhole();
  PostRedraw(b);
}

// --- play and stop ---

void CEditDlg::Play(int b) {
  EditBuffer& buf = buffers_[b];
  const uint64_t count = uint64_t{buf.End()} - buf.Start() + 1;
  if (count <= 1 || buf.Wave().FrameCount() == 0) return;
  if (!buf.Wave().Play(buf.Start(), static_cast<uint32_t>(std::min<uint64_t>(count, UINT32_MAX)))) {
    WaveDevice* device = buf.Wave().Device();
    const std::string why = device ? device->ErrorMessage(WaveDevice::kOutput) : std::string();
    AppMessage(why.empty() ? "再生できませんでした。サウンドデバイスを確認してください。" : why);
    return;
  }
  PollPlaying();
  playPoll_.start();
}

void CEditDlg::Stop(int b) {
  buffers_[b].Wave().Stop();
  PollPlaying();
}

bool CEditDlg::OperationsEnabled() const {
  return !buffers_[kWaveBuffer].Wave().IsBusy() && !buffers_[kTempBuffer].Wave().IsBusy();
}

void CEditDlg::PollPlaying() {
  const bool idle = OperationsEnabled();
  for (Controls* c : ui_) {
    for (QPushButton* p : {c->copy, c->mix, c->erase, c->fadeIn, c->fadeOut, c->level}) p->setEnabled(idle);
  }
  if (idle) playPoll_.stop();
}

// --- the context menus ---

void CEditDlg::ShowContextMenu(int b, QPoint devicePos) {
  QMenu menu(this);
  for (const MenuEntry& e : ContextMenu(b)) {
    QAction* a = menu.addAction(QString::fromUtf8(e.text));
    a->setData(e.id);
    const bool operation = e.id != kUndoWave && e.id != kUndoTemp && e.id != kEchoWave && e.id != kEchoTemp &&
                           e.id != kReverseWave && e.id != kReverseTemp;
    a->setEnabled(!operation || OperationsEnabled());
  }
  const QPoint at = ui_[b]->graph->mapToGlobal(devicePos - QPoint(0, kMenuRaisePx));
  if (QAction* chosen = menu.exec(at)) RunMenuCommand(chosen->data().toInt());
}

void CEditDlg::RunMenuCommand(int id) {
  switch (id) {
    case kCopyWaveToTemp: CopySelection(kWaveBuffer); break;
    case kCopyTempToWave: CopySelection(kTempBuffer); break;
    case kMixWaveToTemp: MixSelection(kWaveBuffer); break;
    case kMixTempToWave: MixSelection(kTempBuffer); break;
    case kDeleteWave: DeleteSelection(kWaveBuffer); break;
    case kDeleteTemp: DeleteSelection(kTempBuffer); break;
    case kFadeInWave: FadeSelection(kWaveBuffer, true); break;
    case kFadeInTemp: FadeSelection(kTempBuffer, true); break;
    case kFadeOutWave: FadeSelection(kWaveBuffer, false); break;
    case kFadeOutTemp: FadeSelection(kTempBuffer, false); break;
    case kLevelWave: ChangeLevel(kWaveBuffer); break;
    case kLevelTemp: ChangeLevel(kTempBuffer); break;
    case kEchoWave: EchoSelection(kWaveBuffer); break;
    case kEchoTemp: EchoSelection(kTempBuffer); break;
    case kReverseWave: ReverseSelection(kWaveBuffer); break;
    case kReverseTemp: ReverseSelection(kTempBuffer); break;
    case kUndoWave: UndoBuffer(kWaveBuffer); break;
    case kUndoTemp: UndoBuffer(kTempBuffer); break;
    default: break;
  }
}
