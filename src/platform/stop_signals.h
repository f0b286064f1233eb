#pragma once

#include <QString>

namespace brindle::stop_signals {

// Turns SIGTERM, SIGINT and SIGHUP into a request to stop, so that a run ends between two
// subscribers with its files whole instead of dying in the middle of a line. The handler only
// records the first signal and wakes a pipe; everything else happens in ordinary code.

// Installs the handlers. From then on the first of these signals no longer ends the process
// by itself; a second one of the same kind does.
void install();

// The first of the three signals caught since install(), or 0.
int received();

// Becomes readable once a signal has been caught, for an event loop to watch; -1 before install().
int wakeupDescriptor();

// "SIGTERM", "SIGINT", "SIGHUP"; the number for any other signal.
QString name(int signal);

}  // namespace brindle::stop_signals
