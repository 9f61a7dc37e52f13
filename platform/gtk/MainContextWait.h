#pragma once
// Waiting on GLib's default main context without touching its sources. Attaching a
// source wakes the context, so a wait that attached its own timeout and descriptor
// sources each time returned at once, every time, and the program spun a processor core
// while it seemed idle. Here the context is driven by hand (prepare, query, poll, check,
// dispatch), with the platform's wake-up descriptor added to the descriptors it polls
// and the timeout cut to the next deadline: nothing is attached, so nothing wakes it but
// a real event.

#include <glib.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvalis::platform::gtk {

class MainContextWait {
public:
    // Blocks until a source of the default main context is ready, `wakeFd` is readable
    // or `limitMilliseconds` have passed (none: no limit), then dispatches the sources
    // that are ready. Returns at once when another thread owns the context.
    void Wait(int wakeFd, std::optional<std::uint64_t> limitMilliseconds);

private:
    std::vector<GPollFD> fds_;  // the context's descriptors, then the wake-up descriptor; kept between waits
};

}  // namespace orvalis::platform::gtk
