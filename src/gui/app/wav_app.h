#pragma once
// CWavApp: starts the program and keeps the process-wide settings. Start-up, in order:
// the command line, the settings, the single-instance check, the main window at its
// remembered place, then the files named on the command line. On exit the settings are
// written back.
#include <QApplication>

#include <memory>

#include "core/doc/app_settings.h"

class CMainFrame;
class QtSettingsStore;
class SingleInstance;

class CWavApp : public QApplication {
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

  // Opens a ".wft" or ".wav" document in a new window; false after the messages.
  bool OpenDocumentFile(const QString& path);
  void NewDocument();

 private:
  AppSettings settings_;
  std::unique_ptr<QtSettingsStore> store_;
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<CMainFrame> frame_;
  bool splash_ = true;
  QStringList files_;
};
