#include "platform/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace brindle::stop_signals {

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Process-wide by nature: a signal handler can reach nothing else.
volatile std::sig_atomic_t g_received = 0;
int g_wakeup[2] = {-1, -1};

void record(int signal) {
    if (g_received == 0) g_received = signal;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_wakeup[1], &byte, 1);
}

}  // namespace

void install() {
    if (g_wakeup[0] < 0 && ::pipe2(g_wakeup, O_CLOEXEC | O_NONBLOCK) != 0) g_wakeup[0] = g_wakeup[1] = -1;
    struct sigaction action = {};
    action.sa_handler = record;
    sigemptyset(&action.sa_mask);
    // Restarted, so that a signal never turns a read or write of the run into a failure.
    // Caught once: should the run not stop (a directory that no longer answers), the same
    // signal sent again ends the process as it would have without a handler.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

int received() {
    return g_received;
}

int wakeupDescriptor() {
    return g_wakeup[0];
}

QString name(int signal) {
    switch (signal) {
        case SIGTERM:
            return QStringLiteral("SIGTERM");
        case SIGINT:
            return QStringLiteral("SIGINT");
        case SIGHUP:
            return QStringLiteral("SIGHUP");
        default:
            return QStringLiteral("signal %1").arg(signal);
    }
}

}  // namespace brindle::stop_signals
