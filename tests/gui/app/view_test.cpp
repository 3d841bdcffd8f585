// The view in a main window, driven as a user drives it.
#include "gui/app/wav_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <tuple>
#include <QScrollBar>
#include <QClipboard>
#include <QMimeData>
#include <QPrintPreviewWidget>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QPrinter>
#include <QPageSize>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "core/doc/app_settings.h"
#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "core/doc/wav_doc.h"
#include "core/graph/fft3d_box.h"
#include "core/graph/fft_box.h"
#include "core/graph/wave_box.h"
#include "core/realtime/simulated_audio.h"
#include "core/realtime/wave_wnd.h"
#include "gui/app/child_frame.h"
#include "gui/app/command_ids.h"
#include "gui/app/main_frame.h"
#include "gui/realtime/setting_panel.h"
#include "support/recording_prompt.h"
#include "support/screenshot.h"
#include "support/temp_dir.h"

namespace {

class ViewTest : public ::testing::Test {
 protected:
  void Open(uint16_t channels, uint32_t frames = 44100) {
    CWave& w = doc.Wave();
    w.SetFormat(44100, 16, channels);
    ASSERT_TRUE(w.Allocate(frames));
    for (uint32_t i = 0; i < frames; ++i) {
      w.SetSample(i, static_cast<int>(12000 * std::sin(i * 0.05)), kChannelBoth);
    }
    doc.Settings().fftRangeEnd = frames;
    doc.CreateDefaultBoxes();
    view = new CWavView(doc, app, &frame);
    frame.MdiArea()->addSubWindow(new CChildFrame(view));
    frame.resize(1000, 800);
    frame.show();
    frame.MdiArea()->subWindowList().front()->showMaximized();
    QApplication::processEvents();
  }

  CommandState State(int id) { return frame.UpdateCommand(id); }

  RecordingPrompt prompt;
  AppSettings app;
  SimulatedAudio sim;
  CWaveWnd wnd{sim};
  CWavDoc doc{&app, &wnd};
  CMainFrame frame;
  CWavView* view = nullptr;
};

}  // namespace

TEST_F(ViewTest, OneChannelWaveKeepsOnlyTheMonoWaveAndSpectrumToggles) {
  Open(1);
  for (int id : {cmd::kWaveLeft, cmd::kWaveRight, cmd::kFftLeft, cmd::kFftRight}) EXPECT_FALSE(State(id).enabled) << id;
  for (int id : {cmd::kWaveMono, cmd::kFftMono, cmd::kFft3dLeft, cmd::kFft3dRight, cmd::kFft3dMono, cmd::kInfoBox})
    EXPECT_TRUE(State(id).enabled) << id;
  EXPECT_TRUE(State(cmd::kWaveMono).checked);
  EXPECT_TRUE(State(cmd::kInfoBox).checked);
  EXPECT_FALSE(State(cmd::kWaveLeft).checked);
  // The mono spectrum of a one-channel wave is its only channel's.
  frame.RunCommand(cmd::kFftMono);
  ASSERT_NE(doc.GetBox(kBoxFftMono), nullptr);
  EXPECT_TRUE(State(cmd::kFftMono).checked);
  frame.RunCommand(cmd::kBatchAnalysis);
  auto* fft = static_cast<CFFTBox*>(doc.GetBox(kBoxFftMono));
  ASSERT_NE(fft->Engine(), nullptr);
  EXPECT_TRUE(fft->Engine()->IsCalculated());
  MaybeShoot(frame, QStringLiteral("main_window_mono"));
}

TEST_F(ViewTest, TheMouseOperationIsOneChoiceShownInTheStatusBarAndKeptInTheSettings) {
  Open(2);
  frame.RunCommand(cmd::kMouseMark);
  EXPECT_EQ(CBox::GetMouseOperation(), CBox::kMouseMark);
  EXPECT_EQ(app.mouseOp, 0);
  EXPECT_TRUE(State(cmd::kMouseMark).checked);
  EXPECT_FALSE(State(cmd::kMouseZoom).checked);
  EXPECT_EQ(frame.MouseOperationField()->text(), QStringLiteral("マウス：マーク"));
  frame.RunCommand(cmd::kMouseSlice);
  EXPECT_EQ(app.mouseOp, 2);
  EXPECT_FALSE(State(cmd::kMouseMark).checked);
  EXPECT_TRUE(frame.Action(cmd::kMouseSlice)->isChecked());
  EXPECT_FALSE(frame.Action(cmd::kMouseMark)->isChecked());
  EXPECT_EQ(frame.MouseOperationField()->text(), QStringLiteral("マウス：3Dデータ選択"));
  frame.RunCommand(cmd::kMouseZoom);
  EXPECT_EQ(app.mouseOp, 1);
  EXPECT_EQ(CBox::GetMouseOperation(), CBox::kMouseZoomBand);
}

TEST_F(ViewTest, RecordPlayAndStopFollowTheDevice) {
  Open(2);
  EXPECT_TRUE(State(cmd::kRecord).enabled);
  EXPECT_TRUE(State(cmd::kPlay).enabled);
  EXPECT_FALSE(State(cmd::kStop).enabled);
  frame.RunCommand(cmd::kPlay);
  EXPECT_TRUE(doc.Wave().IsBusy());
  EXPECT_TRUE(view->RunTimerActive());
  EXPECT_FALSE(State(cmd::kRecord).enabled);
  EXPECT_FALSE(State(cmd::kPlay).enabled);
  EXPECT_TRUE(State(cmd::kStop).enabled);
  frame.RunCommand(cmd::kStop);
  EXPECT_FALSE(doc.Wave().IsBusy());
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_TRUE(State(cmd::kPlay).enabled);
}

TEST_F(ViewTest, XDefaultRangeChecksExactlyOneOfSeven) {
  Open(2);
  const int ids[] = {cmd::kXRangeEighth, cmd::kXRangeQuarter, cmd::kXRangeHalf, cmd::kXRangeOne,
                     cmd::kXRangeTwo,    cmd::kXRangeFour,    cmd::kXRangeEight};
  for (int id : ids) EXPECT_FALSE(State(id).enabled) << "no current box";
  view->SelectBox(kBoxWaveLeft);
  auto checked = [&] {
    int n = 0, which = 0;
    for (int id : ids) {
      CommandState s = State(id);
      EXPECT_TRUE(s.enabled);
      if (s.checked) {
        ++n;
        which = id;
      }
    }
    EXPECT_EQ(n, 1);
    return which;
  };
  EXPECT_EQ(checked(), cmd::kXRangeOne);
  frame.RunCommand(cmd::kXRangeFour);
  EXPECT_EQ(checked(), cmd::kXRangeFour);
  auto* box = static_cast<CWaveBox*>(doc.GetBox(kBoxWaveLeft));
  EXPECT_DOUBLE_EQ(box->WidthInBlocks(), 4.0);
  view->SelectBox(kBoxInfo);
  for (int id : ids) EXPECT_FALSE(State(id).enabled);
}

TEST_F(ViewTest, TogglingASlotTwiceRestoresTheBoxesAndTheNewBoxIsCurrent) {
  Open(2);
  const auto before = doc.BoxPresence();
  view->SelectBox(kBoxWaveLeft);
  frame.RunCommand(cmd::kWaveMono);
  ASSERT_NE(doc.GetBox(kBoxWaveMono), nullptr);
  EXPECT_EQ(doc.GetActiveBox(), doc.GetBox(kBoxWaveMono));
  EXPECT_FALSE(doc.GetBox(kBoxWaveLeft)->IsActive());
  EXPECT_TRUE(doc.IsModified());
  frame.RunCommand(cmd::kWaveMono);
  EXPECT_EQ(doc.BoxPresence(), before);
}

TEST_F(ViewTest, ARightClickOnTheInformationBoxMakesItCurrentAndOpensNoMenu) {
  Open(2);
  view->SelectBox(kBoxWaveLeft);
  // The information box lies at the top of the page.
  const QPoint onInfo = QPoint(40, 20);
  bool menuOpened = false;
  QTimer::singleShot(300, [&] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      menuOpened = true;
      popup->close();
    }
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, onInfo, view->viewport()->mapToGlobal(onInfo));
  QApplication::sendEvent(view->viewport(), &event);
  QTest::qWait(400);
  EXPECT_FALSE(menuOpened);
  EXPECT_EQ(doc.GetActiveBox(), doc.GetBox(kBoxInfo));

  // On a wave box the wave pop-up opens.
  const Point inWave = view->Mapping().LogicalToDevice({600, -450});
  QTimer::singleShot(300, [&] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      menuOpened = true;
      MaybeShoot(*popup, QStringLiteral("popup_wave"));
      popup->close();
    }
  });
  QContextMenuEvent waveEvent(QContextMenuEvent::Mouse, QPoint(inWave.x, inWave.y),
                              view->viewport()->mapToGlobal(QPoint(inWave.x, inWave.y)));
  QApplication::sendEvent(view->viewport(), &waveEvent);
  QTest::qWait(400);
  EXPECT_TRUE(menuOpened);
  EXPECT_EQ(doc.GetActiveBox(), doc.GetBox(kBoxWaveLeft));
}

TEST_F(ViewTest, ArrowKeysShiftAndShiftArrowsZoomTheCurrentBox) {
  Open(2, 441000);
  view->SelectBox(kBoxWaveLeft);
  CBox* box = doc.GetBox(kBoxWaveLeft);
  box->SetXRange(1000.0, 2000.0);
  frame.activateWindow();
  view->setFocus();
  QApplication::processEvents();
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_GT(box->X().ValueStart(), 1000.0);
  const double span = box->X().ValueEnd() - box->X().ValueStart();
  QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_LT(box->X().ValueEnd() - box->X().ValueStart(), span * 0.9);
  QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);  // Y zoom in
  EXPECT_LT(box->Y().ValueEnd() - box->Y().ValueStart(), 21000.0);
}

namespace {

// A PDF printer with the paper of a printer set-up (full page, no margins).
void SetUpPdf(QPrinter& printer, const std::string& path) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setFullPage(true);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0));
  printer.setPageSize(QPageSize(QPageSize::A4));
}

// The first sheet of a PDF as an image at 50 dpi (pdftoppm, from poppler-utils); null without it.
QImage RenderPdfPage(const std::string& path) {
  const QString out = QString::fromStdString(path) + QStringLiteral(".sheet");
  QProcess p;
  p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                                       QStringLiteral("-singlefile"), QString::fromStdString(path), out});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return QImage(out + QStringLiteral(".png"));
}

// The sheets of a PDF and the size of its first one in points.
std::pair<int, QSizeF> PdfSheets(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {0, {}};
  const QString pdf = QString::fromLatin1(file.readAll());
  const int sheets = static_cast<int>(pdf.count(QRegularExpression(QStringLiteral("/Type /Page\\b"))));
  QRegularExpressionMatch m = QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")).match(pdf);
  return {sheets, m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF()};
}

}  // namespace

TEST_F(ViewTest, PrintsThePageAtItsPhysicalSizeOnThePaperOfThePrinterSetUp) {
  Open(2);
  TempDir dir;
  {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, dir.Path("page.pdf"));
    view->PrintOn(printer);
  }
  const auto [sheets, paper] = PdfSheets(dir.Path("page.pdf"));
  EXPECT_EQ(sheets, 1);
  EXPECT_NEAR(paper.width(), 210.0 / 25.4 * 72, 0.5);  // the set-up's paper, not the page
  EXPECT_NEAR(paper.height(), 297.0 / 25.4 * 72, 0.5);
  // The page drawn on it keeps its size: its boxes end a little inside its 120 mm.
  const QImage sheet = RenderPdfPage(dir.Path("page.pdf"));
  if (!sheet.isNull()) {
    int right = 0;
    for (int y = 0; y < sheet.height(); ++y)
      for (int x = sheet.width() - 1; x > right; --x)
        if (qGray(sheet.pixel(x, y)) < 200) right = x;
    const double pageRight = 1200.0 * sheet.width() / 2100.0;
    EXPECT_LE(right, pageRight);
    EXPECT_GE(right, pageRight * 0.9);
  }
  // A page taller than the paper goes on a second sheet; the preview shows the same sheets.
  doc.Page().height = 4000;
  {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, dir.Path("tall.pdf"));
    view->PrintOn(printer);
  }
  EXPECT_EQ(PdfSheets(dir.Path("tall.pdf")).first, 2);
  QPrinter printer(QPrinter::HighResolution);
  printer.setFullPage(true);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0));
  printer.setPageSize(QPageSize(QPageSize::A4));
  QPrintPreviewWidget preview(&printer);
  QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter* p) { view->PrintOn(*p); });
  preview.updatePreview();
  EXPECT_EQ(preview.pageCount(), 2);
}

TEST_F(ViewTest, ThePanelOpensOnceAndQuickStartRecordsWithItsPendingRecord) {
  Open(2);
  frame.RunCommand(cmd::kSettingPanel);
  ASSERT_NE(view->Panel(), nullptr);
  EXPECT_TRUE(view->Panel()->IsWindowCreated());
  MaybeShoot(*view->Panel(), QStringLiteral("panel_from_view"));
  // The panel binds with the wave's format as the recording format: the recording goes into
  // the FFT range of the existing buffer.
  frame.RunCommand(cmd::kRecord);
  EXPECT_EQ(doc.RunPhase(), kRunRecording);
  EXPECT_TRUE(doc.Wave().IsBusy());
  EXPECT_FALSE(doc.NewBuffer());
  sim.AdvanceFrames(4410);
  view->RunTimerTick();
  frame.RunCommand(cmd::kStop);
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_EQ(doc.Wave().FrameCount(), 44100u);
  EXPECT_EQ(doc.Settings().realTimeMode, 1);
}

TEST_F(ViewTest, StopLeavesTheEndOfTheRunToTheTimerSoThatThePanelShowsIt) {
  Open(2);
  frame.RunCommand(cmd::kSettingPanel);
  CSettingPanel* panel = view->Panel();
  ASSERT_NE(panel, nullptr);
  frame.RunCommand(cmd::kRecord);
  ASSERT_EQ(doc.RunPhase(), kRunRecording);
  sim.AdvanceFrames(8820);
  view->RunTimerTick();
  EXPECT_GE(panel->CursorLineX(), 0);  // the run position on the overview
  frame.RunCommand(cmd::kStop);
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_TRUE(view->RunTimerActive());
  // The timer's next tick finds the run idle: it stops and the panel takes the run's end.
  for (int i = 0; i < 100 && view->RunTimerActive(); ++i) QTest::qWait(10);
  EXPECT_FALSE(view->RunTimerActive());
  for (int i = 0; i < 100 && panel->IsRedrawPending(); ++i) QTest::qWait(5);
  EXPECT_EQ(panel->CursorLineX(), -1);
  EXPECT_EQ(panel->PendingRecord().fftRangeStart, doc.Settings().fftRangeStart);
  EXPECT_EQ(panel->PendingRecord().fftRangeEnd, doc.Settings().fftRangeEnd);
  EXPECT_EQ(doc.Settings().fftRangeEnd, 8820u - 4410u);  // read 100 ms behind the device
}

namespace {

QPoint DeviceOf(CWavView* view, int x, int y) {
  Point p = view->Mapping().LogicalToDevice({x, y});
  return QPoint(p.x, p.y);
}

void Drag(QWidget* w, QPoint from, QPoint to) {
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
  for (int i = 1; i <= 5; ++i) QTest::mouseMove(w, from + (to - from) * i / 5);
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
}

}  // namespace

TEST_F(ViewTest, DraggingTheMarginMovesABoxAndDraggingAnEdgeSizesIt) {
  Open(2);
  CBox* left = doc.GetBox(kBoxWaveLeft);
  const Rect before = left->GetRect();  // {0, -647, 1200, -247}
  const QPoint grip = DeviceOf(view, 60, -400);  // in the label margin, outside the plot
  Drag(view->viewport(), grip, grip + QPoint(30, 20));
  const Rect moved = left->GetRect();
  EXPECT_NEAR(moved.left - before.left, 30 * 254 / 96, 3);
  EXPECT_NEAR(moved.bottom - before.bottom, -20 * 254 / 96, 3);
  EXPECT_EQ(moved.Width(), before.Width());
  EXPECT_TRUE(left->PlacedByUser());
  EXPECT_TRUE(left->IsActive());
  EXPECT_TRUE(doc.IsModified());

  const QPoint edge = DeviceOf(view, moved.right, (moved.top + moved.bottom) / 2) - QPoint(2, 0);
  Drag(view->viewport(), edge, edge + QPoint(40, 0));
  EXPECT_NEAR(left->GetRect().Width() - moved.Width(), 40 * 254 / 96, 3);
  EXPECT_EQ(left->GetRect().left, moved.left);
}

TEST_F(ViewTest, AClickSetsTheMarkABandZoomsInAndASliceIsPickedByTheChosenOperation) {
  Open(2);
  CBox* left = doc.GetBox(kBoxWaveLeft);
  const Rect plot = left->PlotRect();
  const int mid = (plot.top + plot.bottom) / 2;
  frame.RunCommand(cmd::kMouseMark);
  const QPoint at = DeviceOf(view, plot.left + plot.Width() / 3, mid);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_GE(left->MarkValue(), 0.0);
  EXPECT_EQ(doc.GetActiveBox(), left);

  frame.RunCommand(cmd::kMouseZoom);
  const double span = left->X().ValueEnd() - left->X().ValueStart();
  Drag(view->viewport(), DeviceOf(view, plot.left + plot.Width() / 4, mid + 50),
       DeviceOf(view, plot.left + plot.Width() / 2, mid - 50));
  EXPECT_LT(left->X().ValueEnd() - left->X().ValueStart(), span * 0.4);

  // A waterfall with its slices; a click low in the plot picks a nearer slice than the
  // newest one the run left in focus.
  frame.RunCommand(cmd::kFft3dMono);
  frame.RunCommand(cmd::kBatchAnalysis);
  auto* waterfall = static_cast<CFFT3DBox*>(doc.GetBox(kBoxFft3dMono));
  ASSERT_NE(waterfall, nullptr);
  ASSERT_GT(waterfall->SlicesStored(), 3);
  const int32_t focusBefore = waterfall->DataFocus();
  frame.RunCommand(cmd::kMouseSlice);
  const Rect wplot = waterfall->PlotRect();
  view->verticalScrollBar()->setValue(0);
  const Point low = {wplot.left + wplot.Width() / 3, wplot.top + 5};
  const Point device = view->Mapping().LogicalToDevice(low);
  view->verticalScrollBar()->setValue(std::max(0, device.y - 200));
  QApplication::processEvents();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, DeviceOf(view, low.x, low.y));
  EXPECT_NE(waterfall->DataFocus(), focusBefore);
  frame.RunCommand(cmd::kMouseZoom);
  MaybeShoot(frame, QStringLiteral("main_window_zoomed"));
}

TEST_F(ViewTest, CopyPutsThePageAsImageSvgAndDocumentOnTheClipboard) {
  Open(2);
  frame.RunCommand(cmd::kEditCopy);
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_TRUE(mime->hasImage());
  const QImage image = qvariant_cast<QImage>(mime->imageData());
  EXPECT_EQ(image.width(), 1200 * view->logicalDpiX() / 254);
  EXPECT_TRUE(mime->data(QStringLiteral("image/svg+xml")).startsWith("<?xml"));
  const QByteArray bytes = mime->data(QStringLiteral("application/x-sonvue-document"));
  ASSERT_GT(bytes.size(), 12);
  MemoryStream stream(bytes.constData(), static_cast<size_t>(bytes.size()));
  CArchive ar(stream, CArchive::Mode::Load);
  CWavDoc pasted;
  ASSERT_TRUE(pasted.Serialize(ar));
  EXPECT_EQ(pasted.Wave().FrameCount(), doc.Wave().FrameCount());
  EXPECT_EQ(pasted.BoxPresence(), doc.BoxPresence());
}

TEST_F(ViewTest, ScreenshotsOfAllBoxKindsThePopUpsAndThePrintPreview) {
  Open(2);
  for (int type : {kBoxFftLeft, kBoxFftRight, kBoxFftMono, kBoxFft3dLeft, kBoxFft3dRight, kBoxFft3dMono}) {
    doc.SetBox(type);
  }
  doc.RunSteppingAnalysis();
  view->OnDocumentUpdate(0);
  view->SelectBox(kBoxFftMono);
  EXPECT_EQ(doc.BoxPresence()[kBoxFft3dMono], true);
  const QImage page = view->BackBuffer();
  EXPECT_FALSE(page.isNull());
  frame.resize(1300, 1000);
  QApplication::processEvents();
  MaybeShoot(frame, QStringLiteral("main_window_all_boxes"));
  view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
  QApplication::processEvents();
  MaybeShoot(frame, QStringLiteral("main_window_spectra"));
  view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
  QApplication::processEvents();
  MaybeShoot(frame, QStringLiteral("main_window_waterfalls"));
  // The pop-up of each box group, with its items.
  for (auto [slot, name, items] : {std::tuple{kBoxFftMono, "popup_fft", 8}, std::tuple{kBoxFft3dMono, "popup_3d", 9}}) {
    const Rect& r = doc.GetBox(slot)->GetRect();
    view->verticalScrollBar()->setValue(0);
    const Point at = view->Mapping().LogicalToDevice({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    view->verticalScrollBar()->setValue(std::max(0, at.y - 200));
    QApplication::processEvents();
    const Point in = view->Mapping().LogicalToDevice({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    int count = 0;
    QTimer::singleShot(300, [&, name = name] {
      if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        count = static_cast<int>(popup->actions().size());
        MaybeShoot(*popup, QString::fromLatin1(name));
        popup->close();
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(in.x, in.y), view->viewport()->mapToGlobal(QPoint(in.x, in.y)));
    QApplication::sendEvent(view->viewport(), &event);
    QTest::qWait(400);
    EXPECT_EQ(count, items) << name;
    EXPECT_EQ(doc.GetActiveBox(), doc.GetBox(slot));
  }

  QPrinter printer(QPrinter::HighResolution);
  printer.setFullPage(true);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0));
  printer.setPageSize(QPageSize(QPageSize::A4));
  QPrintPreviewWidget preview(&printer);
  QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter* p) { view->PrintOn(*p); });
  preview.resize(700, 900);
  preview.updatePreview();
  MaybeShoot(preview, QStringLiteral("print_preview"));
  // The page of every box is taller than one A4 sheet (297 mm).
  EXPECT_EQ(preview.pageCount(), (doc.GetDocSize().cy + 2969) / 2970);
}
