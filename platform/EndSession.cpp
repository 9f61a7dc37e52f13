#include "platform/EndSession.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include "platform/detail/Desktop.h"
#include "platform/detail/EndSessionNotice.h"
#include "platform/detail/PostedQueue.h"

namespace orvalis::platform {

namespace detail {

namespace {

// The signal that asked for the end of the session and has not been delivered yet.
volatile std::sig_atomic_t pendingSignal = 0;

extern "C" void OnEndSessionSignal(int signal) {
    int savedErrno = errno;
    if (pendingSignal != 0) {
        // The first request was never taken: the program does not read its queue any more.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    } else {
        pendingSignal = signal;
        SignalWakeup();
    }
    errno = savedErrno;
}

}  // namespace

bool TakeEndSessionNotice() {
    if (pendingSignal == 0) return false;
    pendingSignal = 0;
    return true;
}

bool IsEndSessionNoticePending() { return pendingSignal != 0; }

}  // namespace detail

void InstallEndSessionHandler() {
    detail::WakeupFd();  // made now, so that the handler only writes to it
    struct sigaction action = {};
    action.sa_handler = detail::OnEndSessionSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // Termination, the interrupt key, and the hang-up of the terminal that started the
    // program (closing it): each asks for the end, none may lose what is open.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool IsSessionEnding() { return detail::TheDesktop().sessionEnding; }

}  // namespace orvalis::platform
