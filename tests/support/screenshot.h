#pragma once
// Saves a picture of a widget when SONVUE_SHOTS names a folder, so that a developer can
// look at what the GUI tests drive: SONVUE_SHOTS=/tmp/shots ctest -R gui_
#include <QDir>
#include <QWidget>

inline void MaybeShoot(QWidget& widget, const QString& name) {
  QString dir = qEnvironmentVariable("SONVUE_SHOTS");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  if (!widget.isVisible()) widget.adjustSize();
  widget.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
