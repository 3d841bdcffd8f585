#pragma once
// The start-up picture: shown while the program starts, closed after one second or by the
// first key or mouse press, which it swallows so that it does not reach the main window.
#include <QPixmap>
#include <QWidget>

// The picture itself (drawn, so the program carries no bitmap).
QPixmap SplashPicture();

class CSplashScreen : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kShowMs = 1000;
  // Shows the splash screen over `owner` unless one is showing; returns it.
  static CSplashScreen* ShowSplash(QWidget* owner);
  static CSplashScreen* Current();
  ~CSplashScreen() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  explicit CSplashScreen(QWidget* owner);
  void Hide();
  QPixmap picture_;
};
