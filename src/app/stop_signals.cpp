#include "app/stop_signals.h"

#include <csignal>

namespace lav::app {
namespace {

// A signal handler can only reach static storage; this flag is the one piece of it.
volatile std::sig_atomic_t gStopSignal = 0;

void onStopSignal(int signal) {
  gStopSignal = signal;
}

}  // namespace

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read of standard input that waits for a line returns, so the run can end.
  // SA_RESETHAND: a second signal is not caught and ends the process.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() {
  return gStopSignal;
}

const char* StopSignalName(int signal) {
  return signal == SIGTERM ? "SIGTERM" : "SIGINT";
}

}  // namespace lav::app
