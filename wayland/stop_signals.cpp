#include "wayland/stop_signals.h"

#include <pthread.h>
#include <sys/signalfd.h>

#include <csignal>

namespace {

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  return signals;
}

}  // namespace

int BlockStopSignals() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  const int descriptor = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
  if (descriptor < 0) pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
  return descriptor;
}

// Only this thread's mask changes: the renderer's threads keep them blocked.
StopSignalsEndAtOnce::StopSignalsEndAtOnce() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

StopSignalsEndAtOnce::~StopSignalsEndAtOnce() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}
