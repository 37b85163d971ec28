// leave: the close button and the ending signals, noted for the poll point.
#include "platform/leave.h"

#include <allegro.h>
#include <atomic>
#include <csignal>

namespace {

/// Set by a signal's handler.
volatile std::sig_atomic_t signalled = 0;

/// Set by the close button's callback, which the graphics library runs on its
/// own thread.
std::atomic<int> closed{0};

/// The signals that end the program.
constexpr int leave_signals[] = {SIGTERM, SIGHUP, SIGINT};

/// A signal's handler: only notes it.
void leave_on_signal(int) {
    signalled = 1;
}

/// The close button's callback: only notes it.
void leave_on_close() {
    closed = 1;
}

} // namespace

int leave_install() {
    struct sigaction action = {};
    action.sa_handler = leave_on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    int all = 1;
    for (int number : leave_signals)
        all &= sigaction(number, &action, nullptr) == 0;
    set_close_button_callback(leave_on_close);
    return all;
}

int leave_requested() {
    return signalled || closed;
}

void leave_request(int on) {
    signalled = on != 0;
    closed = on != 0;
}
