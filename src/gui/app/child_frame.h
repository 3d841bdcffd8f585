#pragma once
// CChildFrame: the MDI sub-window of one view. Its title is the document's title, numbered
// ":1", ":2", ... while the document has several windows. Closing the last window of a
// document closes the document, asking first whether to save its changes.
#include <QMdiSubWindow>
#include <QPointer>

class CWavView;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit CChildFrame(CWavView* view, QWidget* parent = nullptr);
  // The view, or null once its document has closed.
  CWavView* View() const { return view_; }

 signals:
  // Asks whether this window may close (false keeps it open).
  void CloseRequested(CChildFrame* frame, bool* accept);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QPointer<CWavView> view_;
};
