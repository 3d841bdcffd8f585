#pragma once
// CMainFrame: the main window - menus, toolbars, the MDI area holding one sub-window per
// view, and the status bar.
#include <QMainWindow>

class QMdiArea;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit CMainFrame(QWidget* parent = nullptr);

  QMdiArea* MdiArea() const { return mdi_; }
  // Opens a file as the File menu's open does; false (after the messages) when refused.
  bool OpenFile(const QString& path);

 private:
  void OnFileOpen();

  QMdiArea* mdi_ = nullptr;
};
