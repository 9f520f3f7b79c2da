// SIGINT and SIGTERM in a batch run: there is no Escape key, so the signals take its place. The
// first one stops what runs as Escape would; a second one ends the process at once.
#pragma once

namespace lav::app {

// Catches SIGINT and SIGTERM from now on.
void CatchStopSignals();

// The signal that asked the run to stop, or 0.
int StopSignal();

// "SIGINT" or "SIGTERM".
const char* StopSignalName(int signal);

}  // namespace lav::app
