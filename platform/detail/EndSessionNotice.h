#pragma once
// Internal: the signal that asked for the end of the session, not yet delivered
// (EndSession.cpp); the queue takes it and sends WM_ENDSESSION.

namespace orvalis::platform::detail {

bool TakeEndSessionNotice();
bool IsEndSessionNoticePending();

}  // namespace orvalis::platform::detail
