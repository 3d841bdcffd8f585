// Opening a long WAVE file in the desktop program: the time from opening to the first
// complete paint of its window, and of toggling the mono spectrum box on.
//   open_paint FILE.wav
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>

#include <cstdio>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "gui/app/child_frame.h"
#include "gui/app/command_ids.h"
#include "gui/app/main_frame.h"
#include "gui/app/wav_view.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: open_paint FILE.wav\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  CMainFrame frame;
  frame.resize(1200, 900);
  frame.show();
  QApplication::processEvents();
  AppSettings settings;

  QElapsedTimer timer;
  timer.start();
  CWavDoc doc(&settings);
  if (!doc.OnOpenDocument(argv[1])) return 1;
  const double loadedMs = timer.nsecsElapsed() / 1e6;
  auto* view = new CWavView(doc, settings, &frame);
  frame.MdiArea()->addSubWindow(new CChildFrame(view))->showMaximized();
  QApplication::processEvents();
  view->BackBuffer();  // the whole window painted
  const double paintedMs = timer.nsecsElapsed() / 1e6;

  timer.restart();
  frame.RunCommand(cmd::kFftMono);
  view->BackBuffer();
  const double toggledMs = timer.nsecsElapsed() / 1e6;

  timer.restart();
  frame.RunCommand(cmd::kZoomXIn);
  view->SelectBox(0);
  frame.RunCommand(cmd::kShiftXPlus);
  view->BackBuffer();
  const double shiftMs = timer.nsecsElapsed() / 1e6;

  std::printf("frames: %u\n", doc.Wave().FrameCount());
  std::printf("open to loaded: %.1f ms\n", loadedMs);
  std::printf("open to first complete paint: %.1f ms\n", paintedMs);
  std::printf("toggle the mono spectrum box and paint: %.1f ms\n", toggledMs);
  std::printf("shift the wave box and paint: %.1f ms\n", shiftMs);
  return 0;
}
