#pragma once
// Calls that other threads hand to the user-interface thread. Queueing is thread-safe
// and wakes the user-interface thread (the application posts WM_NULL to its window);
// the calls run there, in order, from the application window's WM_NULL and from the
// idle step of the message loop.

#include <functional>

namespace orvalis {

// Queues `call` and wakes the user-interface thread.
void QueueSynchronisedCall(std::function<void()> call);
// Runs the queued calls on the user-interface thread; true when any ran.
bool RunSynchronisedCalls();
// What wakes the user-interface thread when a call is queued (the application's; none
// while there is no application, and then the calls wait for it).
void SetSynchronisationWakeUp(std::function<void()> wakeUp);

}  // namespace orvalis
