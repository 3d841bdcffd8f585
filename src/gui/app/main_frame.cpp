#include "gui/app/main_frame.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

#include <memory>

#include "core/wave/wave.h"
#include "render/qt_convert.h"

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("ｿﾝﾋﾞｭｰ"));
  mdi_ = new QMdiArea(this);
  setCentralWidget(mdi_);

  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  QAction* open = file->addAction(QStringLiteral("開く(&O)..."));
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, &CMainFrame::OnFileOpen);
  file->addSeparator();
  QAction* exit = file->addAction(QStringLiteral("アプリケーションの終了(&X)"));
  connect(exit, &QAction::triggered, this, &QWidget::close);

  statusBar()->showMessage(QStringLiteral("レディ"));
  resize(900, 650);
}

void CMainFrame::OnFileOpen() {
  QString path = QFileDialog::getOpenFileName(
      this, QStringLiteral("開く"), QString(),
      QStringLiteral("Wave Files (*.wav);;すべてのﾌｧｲﾙ (*)"));
  if (!path.isEmpty()) OpenFile(path);
}

bool CMainFrame::OpenFile(const QString& path) {
  CWave wave;
  if (!wave.LoadWaveFile(ToUtf8(path))) return false;
  auto* label = new QLabel(QStringLiteral("%1 ch, %2 Hz, %3 bits, %4 frames")
                               .arg(wave.Channels())
                               .arg(wave.Rate())
                               .arg(wave.Bits())
                               .arg(wave.FrameCount()));
  label->setMargin(12);
  QMdiSubWindow* sub = mdi_->addSubWindow(label);
  sub->setWindowTitle(QFileInfo(path).fileName());
  sub->show();
  return true;
}
