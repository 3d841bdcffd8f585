#include "gui/app/splash_screen.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <cmath>
#include <numbers>

namespace {
CSplashScreen* g_current = nullptr;
}

QPixmap SplashPicture() {
  QPixmap pix(420, 220);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 220);
  sky.setColorAt(0, QColor(20, 40, 90));
  sky.setColorAt(1, QColor(60, 110, 170));
  p.fillRect(pix.rect(), sky);
  // A waveform and, below it, a spectrum: what the program shows.
  QPainterPath wave;
  for (int x = 0; x <= 420; ++x) {
    double t = x / 420.0;
    double y = 80 - 35 * std::exp(-2 * t) * std::sin(2 * std::numbers::pi * 9 * t) -
               10 * std::sin(2 * std::numbers::pi * 31 * t);
    x == 0 ? wave.moveTo(x, y) : wave.lineTo(x, y);
  }
  p.setPen(QPen(QColor(150, 220, 255), 2));
  p.drawPath(wave);
  for (int i = 0; i < 40; ++i) {
    double h = 60 * std::exp(-std::pow((i - 9) / 3.0, 2)) + 35 * std::exp(-std::pow((i - 27) / 2.0, 2)) + 4;
    p.fillRect(QRectF(12 + i * 10, 205 - h, 7, h), QColor(120, 230, 140));
  }
  p.setPen(Qt::white);
  QFont title = p.font();
  title.setPixelSize(34);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(0, 95, 420, 50), Qt::AlignCenter, QStringLiteral("ｿﾝﾋﾞｭｰ"));
  QFont small = p.font();
  small.setPixelSize(13);
  small.setBold(false);
  p.setFont(small);
  p.drawText(QRect(0, 140, 410, 20), Qt::AlignRight, QStringLiteral("Version " SONVUE_VERSION));
  return pix;
}

CSplashScreen* CSplashScreen::ShowSplash(QWidget* owner) {
  if (g_current) return g_current;
  auto* s = new CSplashScreen(owner);
  s->show();
  // Painted now: the files of the command line load next and keep the event loop busy.
  s->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return s;
}

CSplashScreen* CSplashScreen::Current() { return g_current; }

CSplashScreen::CSplashScreen(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(SplashPicture()) {
  g_current = this;
  setAttribute(Qt::WA_DeleteOnClose);
  setCursor(Qt::ArrowCursor);
  setFixedSize(picture_.size());
  QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen) move(screen->geometry().center() - rect().center());
  qApp->installEventFilter(this);
  QTimer::singleShot(kShowMs, this, &CSplashScreen::Hide);
}

CSplashScreen::~CSplashScreen() {
  qApp->removeEventFilter(this);
  if (g_current == this) g_current = nullptr;
}

void CSplashScreen::Hide() {
  qApp->removeEventFilter(this);
  if (QWidget* owner = parentWidget()) owner->update();
  close();
}

bool CSplashScreen::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Keep the key from triggering a shortcut; its key press follows and closes us.
      event->accept();
      return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
      Hide();
      return true;  // swallowed
    default:
      return false;
  }
}

void CSplashScreen::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, picture_);
}
