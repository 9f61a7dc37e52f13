#pragma once
// Timers and the clock. A timer belongs to a window and an identifier; each expiry
// makes a WM_TIMER (wParam: the identifier) for that window. Timer messages are not
// queued: a due timer yields one WM_TIMER when the queue has nothing else, however
// many periods passed, and its next expiry stays on its own period.

#include <cstddef>
#include <cstdint>

#include "platform/Messages.h"

namespace orvalis::platform {

// How many timers can run at once; SetTimer refuses more.
constexpr std::size_t kTimerLimit = 10000;
// Shorter periods are raised to this.
constexpr std::uint32_t kMinimumTimerPeriod = 10;

// Starts (or restarts, from now) the timer; the period is any unsigned 32-bit count of
// milliseconds. Returns the identifier, or 0 when the window is dead or the limit is
// reached.
std::uintptr_t SetTimer(HWND window, std::uintptr_t id, std::uint32_t milliseconds);
bool KillTimer(HWND window, std::uintptr_t id);

// The monotonic millisecond clock (the headless backend's is virtual).
std::uint64_t GetTickCount64();
std::uint32_t GetTickCount();

}  // namespace orvalis::platform
