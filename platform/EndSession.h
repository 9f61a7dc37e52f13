#pragma once
// The end of the session: SIGTERM, SIGINT and SIGHUP become WM_ENDSESSION (wParam
// non-zero), sent to every top-level window from the queue, so that the program ends
// through its normal shutdown and loses nothing. The signal handler only sets a flag and wakes the
// queue. A second signal that arrives before the first was delivered (the program does
// not take messages any more) ends the process the ordinary way.

namespace orvalis::platform {

// Called once by the program at start-up.
void InstallEndSessionHandler();
// Whether a WM_ENDSESSION has been sent; the platform's modal loops end then.
bool IsSessionEnding();

}  // namespace orvalis::platform
