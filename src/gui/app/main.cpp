// The desktop program.
#include <QApplication>

#include "gui/app/main_frame.h"
#include "gui/platform/qt_platform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("tamarisk"));
  QApplication::setApplicationName(QStringLiteral("Sonvue"));
  InstallQtPlatform();

  CMainFrame frame;
  frame.show();
  for (int i = 1; i < argc; ++i) frame.OpenFile(QString::fromLocal8Bit(argv[i]));
  return app.exec();
}
