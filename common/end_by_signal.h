// How a front end that has taken itself down after a stop signal ends.
#pragma once

#include <csignal>
#include <cstdlib>

// Dies by the signal, so whoever sent it sees the program ended by it.
[[noreturn]] inline void EndBySignal(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(signal);
  std::_Exit(128 + signal);
}
