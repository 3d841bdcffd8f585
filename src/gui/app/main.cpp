// The desktop program.
#include "gui/app/wav_app.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  // Answered before any window system is needed.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("Sonvue %s\n", SONVUE_VERSION);
      return 0;
    }
  }
  CWavApp app(argc, argv);
  if (!app.InitInstance()) return 0;
  return app.exec();
}
