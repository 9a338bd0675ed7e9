// The stop signals, SIGTERM, SIGINT and SIGHUP. They are taken from a descriptor in the main
// loop, so one that comes while a frame is drawn waits for it and none is lost between a test
// and the wait; blocking them before EGL starts also keeps them off the renderer's threads.
#pragma once

// Blocks the stop signals and returns a descriptor to read them from; -1 when none can be made,
// with the signals unblocked again, so that they still end the program.
int BlockStopSignals();

// For the span of a call that waits for the compositor or the session bus to answer (a round
// trip, a swap, a D-Bus call), however long that takes: a stop signal, one already waiting
// included, ends the program at once, as it ends any program that does not handle it.
class StopSignalsEndAtOnce {
 public:
  StopSignalsEndAtOnce();
  ~StopSignalsEndAtOnce();
  StopSignalsEndAtOnce(const StopSignalsEndAtOnce&) = delete;
  StopSignalsEndAtOnce& operator=(const StopSignalsEndAtOnce&) = delete;
};
