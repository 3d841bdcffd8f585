// The desktop program.
#include "gui/app/wav_app.h"

int main(int argc, char** argv) {
  CWavApp app(argc, argv);
  if (!app.InitInstance()) return 0;
  return app.exec();
}
