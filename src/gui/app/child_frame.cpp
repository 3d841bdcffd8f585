#include "gui/app/child_frame.h"

#include <QCloseEvent>

#include "gui/app/wav_view.h"

CChildFrame::CChildFrame(CWavView* view, QWidget* parent) : QMdiSubWindow(parent), view_(view) {
  setWidget(view);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(QIcon(QStringLiteral(":/icons/fftM")));
}

void CChildFrame::closeEvent(QCloseEvent* event) {
  bool accept = true;
  emit CloseRequested(this, &accept);
  if (accept) {
    QMdiSubWindow::closeEvent(event);
  } else {
    event->ignore();
  }
}
