#pragma once
// CWavApp: starts the program and keeps the process-wide settings. Start-up, in order:
// the command line, the settings, the single-instance check, the main window at its
// remembered place, then the files named on the command line. On exit the settings are
// written back.
#include <QApplication>

#include <memory>
#include <vector>

#include "core/doc/app_settings.h"
#include "gui/app/document_windows.h"

class CChildFrame;
class CMainFrame;
class CWaveWnd;
class CWavDoc;
class CWavView;
class QtAudioBackend;
class QtSettingsStore;
class SingleInstance;

class CWavApp : public QApplication, public DocumentWindows {
  Q_OBJECT
 public:
  CWavApp(int& argc, char** argv);
  ~CWavApp() override;

  static CWavApp* Instance();

  // False ends the program (a second start, or a failure already reported).
  bool InitInstance();
  // Writes the settings back; called on exit.
  void ExitInstance();

  AppSettings& Settings() { return settings_; }
  void SaveSettingsNow();
  CMainFrame* MainFrame() const { return frame_.get(); }

  // Opens a ".wft" document, a WAVE file or any other audio file the program imports in a new
  // window (or shows its window when it is open already); false after the messages.
  bool OpenDocumentFile(const QString& path);
  // A new document, titled "SonspecN", in a new window.
  CWavDoc* NewDocument();
  const std::vector<std::unique_ptr<CWavDoc>>& Documents() const { return docs_; }
  CWaveWnd* SoundDevice() const { return device_.get(); }

  // --- DocumentWindows ---
  void CloseDocument(CWavDoc& doc) override;
  bool SaveDocument(CWavDoc& doc, bool askName) override;
  void NewWindow(CWavDoc& doc) override;

  // Asks whether to save a modified document: false when the user cancelled.
  bool SaveModified(CWavDoc& doc);

 private:
  std::unique_ptr<CWavDoc> MakeDocument();
  CChildFrame* AddWindow(CWavDoc& doc);
  std::vector<CChildFrame*> WindowsOf(const CWavDoc& doc) const;
  void RetitleWindows(const CWavDoc& doc);
  void OnWindowClosing(CChildFrame* frame, bool* accept);
  void ForgetDocument(CWavDoc* doc);

  AppSettings settings_;
  std::unique_ptr<QtSettingsStore> store_;
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<QtAudioBackend> backend_;
  std::unique_ptr<CWaveWnd> device_;
  std::vector<std::unique_ptr<CWavDoc>> docs_;
  int untitled_ = 0;
  bool closingDocument_ = false;
  std::unique_ptr<CMainFrame> frame_;
  bool splash_ = true;
  QStringList files_;
};
