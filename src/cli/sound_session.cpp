#include "cli/sound_session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <csignal>

#include "core/wave/wave.h"
#include "audio/qt_audio_backend.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

int g_argc = 1;
char g_name[] = "sonvue-cli";
char* g_argv[] = {g_name, nullptr};

}  // namespace

CliSoundSession::CliSoundSession() {
  if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(g_argc, g_argv);
  backend_ = std::make_unique<QtAudioBackend>();
  wnd_ = std::make_unique<CWaveWnd>(*backend_);
  wnd_->Create();
}

CliSoundSession::~CliSoundSession() {
  wnd_.reset();
  backend_.reset();
}

CliSoundSession::Outcome CliSoundSession::WaitWhileBusy(CWave& wave, uint64_t timeoutMs) {
  g_interrupted = 0;
  auto previousInt = std::signal(SIGINT, OnInterrupt);
  auto previousTerm = std::signal(SIGTERM, OnInterrupt);
  Outcome outcome = Outcome::kDone;
  QEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (!wave.IsBusy()) {
      loop.quit();
      return;
    }
    if (g_interrupted || static_cast<uint64_t>(clock.elapsed()) > timeoutMs) {
      outcome = g_interrupted ? Outcome::kInterrupted : Outcome::kTimedOut;
      wave.Stop();
      loop.quit();
    }
  });
  check.start(10);
  if (wave.IsBusy()) loop.exec();
  std::signal(SIGINT, previousInt);
  std::signal(SIGTERM, previousTerm);
  return outcome;
}
