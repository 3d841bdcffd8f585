#include "gui/app/wav_app.h"

#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>

#include "core/wave/wave.h"
#include "gui/app/main_frame.h"
#include "gui/app/qt_settings_store.h"
#include "gui/app/single_instance.h"
#include "gui/app/splash_screen.h"
#include "gui/platform/qt_platform.h"
#include "render/qt_convert.h"

namespace {

constexpr const char* kRecentGroup = "Recent File List";

}  // namespace

CWavApp::CWavApp(int& argc, char** argv) : QApplication(argc, argv) {
  setOrganizationName(QStringLiteral("tamarisk"));
  setApplicationName(QStringLiteral("Sonvue"));
  setApplicationVersion(QStringLiteral("2.20"));
  setQuitOnLastWindowClosed(true);
}

CWavApp::~CWavApp() = default;

CWavApp* CWavApp::Instance() { return qobject_cast<CWavApp*>(QCoreApplication::instance()); }

bool CWavApp::InitInstance() {
  // 1. The command line: files to open; --no-splash for scripted starts.
  for (const QString& a : arguments().mid(1)) {
    if (a == QLatin1String("--no-splash")) splash_ = false;
    else if (!a.startsWith(QLatin1String("--"))) files_.append(QFileInfo(a).absoluteFilePath());
  }
  InstallQtPlatform();

  // 4, 5. The settings, with the screen the main window will appear on.
  store_ = std::make_unique<QtSettingsStore>();
  QRect screen = primaryScreen() ? primaryScreen()->geometry() : QRect(0, 0, 1024, 768);
  LoadSettings(*store_, settings_, screen.width(), screen.height());

  // 9. One program at a time.
  instance_ = std::make_unique<SingleInstance>();
  if (!instance_->TryBecomeFirst()) {
    if (!files_.isEmpty() && instance_->HandOver(files_)) return false;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("ｿﾝﾋﾞｭｰ"), QStringLiteral("既に起動されています"),
                    QMessageBox::Ok);
    box.exec();
    return false;
  }

  // 11. The main window at its remembered place.
  frame_ = std::make_unique<CMainFrame>();
  QRect rect(QPoint(settings_.frameLeft, settings_.frameTop), QPoint(settings_.frameRight - 1, settings_.frameBottom - 1));
  frame_->setGeometry(rect);
  frame_->SetRemembered(rect, settings_.maxFrame != 0);
  QSettings recent;
  frame_->SetRecentFiles(recent.value(QString::fromLatin1(kRecentGroup)).toStringList());
  frame_->SetOpenHandler([this](const QString& path) { return OpenDocumentFile(path); });
  frame_->SetNewHandler([this] { NewDocument(); });
  connect(instance_.get(), &SingleInstance::FilesReceived, this, [this](const QStringList& files) {
    for (const QString& f : files) frame_->OpenFile(f);
    frame_->raise();
    frame_->activateWindow();
  });
  connect(this, &QCoreApplication::aboutToQuit, this, &CWavApp::ExitInstance);

  // 14. Show the window, then open what the command line names.
  if (settings_.maxFrame) frame_->showMaximized();
  else frame_->show();
  if (splash_) CSplashScreen::ShowSplash(frame_.get());
  for (const QString& f : files_) frame_->OpenFile(f);
  return true;
}

void CWavApp::SaveSettingsNow() {
  if (!store_) return;
  if (frame_) {
    QRect r = frame_->RememberedRect();
    settings_.frameLeft = r.left();
    settings_.frameTop = r.top();
    settings_.frameRight = r.right() + 1;
    settings_.frameBottom = r.bottom() + 1;
    settings_.maxFrame = frame_->RememberedMaximized() ? 1 : 0;
  }
  SaveSettings(*store_, settings_);
  store_->Sync();
}

void CWavApp::ExitInstance() {
  SaveSettingsNow();
  if (frame_) {
    QSettings recent;
    recent.setValue(QString::fromLatin1(kRecentGroup), frame_->RecentFiles());
  }
  instance_.reset();
}

bool CWavApp::OpenDocumentFile(const QString& path) {
  auto wave = std::make_unique<CWave>();
  if (!wave->LoadWaveFile(ToUtf8(path))) return false;
  auto* label = new QLabel(QStringLiteral("%1 ch, %2 Hz, %3 bits, %4 frames")
                               .arg(wave->Channels())
                               .arg(wave->Rate())
                               .arg(wave->Bits())
                               .arg(wave->FrameCount()));
  label->setMargin(12);
  QMdiSubWindow* sub = frame_->MdiArea()->addSubWindow(label);
  sub->setWindowTitle(QFileInfo(path).fileName());
  sub->show();
  return true;
}

void CWavApp::NewDocument() {}
