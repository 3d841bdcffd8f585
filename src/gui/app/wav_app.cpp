#include "gui/app/wav_app.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>

#include "core/doc/wav_doc.h"
#include "core/graph/box.h"
#include "core/realtime/wave_wnd.h"
#include "core/wave/wave.h"
#include "gui/app/child_frame.h"
#include "gui/app/file_dialog_plan.h"
#include "gui/app/main_frame.h"
#include "gui/app/qt_settings_store.h"
#include "gui/app/single_instance.h"
#include "gui/app/splash_screen.h"
#include "gui/app/wav_view.h"
#include "audio/qt_audio_backend.h"
#include "gui/platform/qt_platform.h"
#include "render/qt_convert.h"

namespace {

constexpr const char* kRecentGroup = "Recent File List";

}  // namespace

CWavApp::CWavApp(int& argc, char** argv) : QApplication(argc, argv) {
  setOrganizationName(QStringLiteral("tamarisk"));
  setApplicationName(QStringLiteral("Sonvue"));
  setApplicationVersion(QStringLiteral(SONVUE_VERSION));
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
  InstallJapaneseTranslations();

  // 4, 5. The settings, with the screen the main window will appear on.
  store_ = std::make_unique<QtSettingsStore>();
  QRect screen = primaryScreen() ? primaryScreen()->geometry() : QRect(0, 0, 1024, 768);
  LoadSettings(*store_, settings_, screen.width(), screen.height());
  CBox::SetMouseOperation(settings_.mouseOp);

  // 6. The sound device, shared by every document's wave.
  backend_ = std::make_unique<QtAudioBackend>();
  device_ = std::make_unique<CWaveWnd>(*backend_);
  device_->Create();

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
  connect(frame_.get(), &CMainFrame::BoxListChosen, this, [this](int type) {
    auto* sub = qobject_cast<CChildFrame*>(frame_->MdiArea()->activeSubWindow());
    if (sub && sub->View()) sub->View()->SelectBox(type);
  });

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
  const QString absolute = QFileInfo(path).absoluteFilePath();
  for (const auto& doc : docs_) {
    if (DocumentShowsFile(*doc, absolute)) {
      std::vector<CChildFrame*> windows = WindowsOf(*doc);
      if (!windows.empty()) frame_->MdiArea()->setActiveSubWindow(windows.front());
      return true;
    }
  }
  std::unique_ptr<CWavDoc> doc = MakeDocument();
  if (!doc->OnOpenDocument(ToUtf8(absolute))) return false;
  CWavDoc& ref = *doc;
  docs_.push_back(std::move(doc));
  AddWindow(ref);
  return true;
}

std::unique_ptr<CWavDoc> CWavApp::MakeDocument() {
  // Every document shares the sound device and the defaults, and saves them when it changes them.
  auto doc = std::make_unique<CWavDoc>(&settings_, device_.get());
  doc->SetDefaultsChangedHandler([this] { SaveSettingsNow(); });
  return doc;
}

CWavDoc* CWavApp::NewDocument() {
  std::unique_ptr<CWavDoc> doc = MakeDocument();
  doc->SetTitle("Sonspec" + std::to_string(++untitled_));
  doc->OnNewDocument();
  CWavDoc& ref = *doc;
  docs_.push_back(std::move(doc));
  AddWindow(ref);
  return &ref;
}

CChildFrame* CWavApp::AddWindow(CWavDoc& doc) {
  auto* view = new CWavView(doc, settings_, frame_.get());
  view->SetDocumentWindows(this);
  auto* child = new CChildFrame(view);
  frame_->MdiArea()->addSubWindow(child);
  connect(child, &CChildFrame::CloseRequested, this, &CWavApp::OnWindowClosing);
  connect(child, &QObject::destroyed, this, [this, docPtr = &doc] {
    // The window is gone: the title numbers of the others follow.
    for (const auto& d : docs_) {
      if (d.get() == docPtr) RetitleWindows(*d);
    }
  });
  frame_->PlaceNewWindow(child);
  child->show();
  RetitleWindows(doc);
  view->UpdateBoxList();
  return child;
}

std::vector<CChildFrame*> CWavApp::WindowsOf(const CWavDoc& doc) const {
  std::vector<CChildFrame*> windows;
  if (!frame_) return windows;
  for (QMdiSubWindow* sub : frame_->MdiArea()->subWindowList()) {
    auto* child = qobject_cast<CChildFrame*>(sub);
    if (child && child->View() && &child->View()->Document() == &doc && !child->property("closing").toBool()) {
      windows.push_back(child);
    }
  }
  return windows;
}

void CWavApp::RetitleWindows(const CWavDoc& doc) {
  std::vector<CChildFrame*> windows = WindowsOf(doc);
  const QString title = FromUtf8(doc.Title());
  for (size_t i = 0; i < windows.size(); ++i) {
    windows[i]->setWindowTitle(windows.size() == 1 ? title : title + QStringLiteral(":%1").arg(i + 1));
  }
}

bool CWavApp::SaveModified(CWavDoc& doc) {
  if (!doc.IsModified()) return true;
  QMessageBox box(QMessageBox::Question, QStringLiteral("ｿﾝﾋﾞｭｰ"),
                  QStringLiteral("%1 への変更を保存しますか?").arg(FromUtf8(doc.Title())),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, frame_.get());
  switch (box.exec()) {
    case QMessageBox::Yes: return SaveDocument(doc, false);
    case QMessageBox::No: return true;
    default: return false;
  }
}

void CWavApp::OnWindowClosing(CChildFrame* frame, bool* accept) {
  if (!frame->View()) return;
  CWavDoc& doc = frame->View()->Document();
  if (!closingDocument_ && WindowsOf(doc).size() == 1) {
    // The last window of the document: the document goes with it.
    if (!SaveModified(doc)) {
      *accept = false;
      return;
    }
    frame->setProperty("closing", true);
    ForgetDocument(&doc);
    return;
  }
  frame->setProperty("closing", true);
}

void CWavApp::ForgetDocument(CWavDoc* doc) {
  doc->Wave().Stop();
  auto it = std::find_if(docs_.begin(), docs_.end(), [doc](const auto& d) { return d.get() == doc; });
  if (it == docs_.end()) return;
  // The views go first (they are attached to the document); then the document.
  std::unique_ptr<CWavDoc> owned = std::move(*it);
  docs_.erase(it);
  for (QMdiSubWindow* sub : frame_->MdiArea()->subWindowList()) {
    auto* child = qobject_cast<CChildFrame*>(sub);
    if (child && child->View() && &child->View()->Document() == doc) {
      child->setProperty("closing", true);
      delete child->View();
    }
  }
  owned.reset();
}

void CWavApp::CloseDocument(CWavDoc& doc) {
  if (!SaveModified(doc)) return;
  std::vector<CChildFrame*> windows = WindowsOf(doc);
  closingDocument_ = true;
  for (CChildFrame* w : windows) w->setProperty("closing", true);
  ForgetDocument(&doc);
  for (CChildFrame* w : windows) w->close();
  closingDocument_ = false;
}

bool CWavApp::SaveDocument(CWavDoc& doc, bool askName) {
  const SavePlan plan = PlanSave(doc, askName);
  QString path = plan.path;
  if (plan.askName) {
    QString filter;
    path = QFileDialog::getSaveFileName(
        frame_.get(), QStringLiteral("名前を付けて保存"), plan.path,
        SaveDocumentFilters(), &filter);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += filter == WaveFileFilter() ? QStringLiteral(".wav") : QStringLiteral(".wft");
  }
  if (!doc.OnSaveDocument(ToUtf8(path))) return false;
  RetitleWindows(doc);
  if (frame_) frame_->AddRecentFile(QFileInfo(path).absoluteFilePath());
  return true;
}

void CWavApp::NewWindow(CWavDoc& doc) { AddWindow(doc); }
