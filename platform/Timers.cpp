#include "platform/Timers.h"

#include <algorithm>

#include "platform/detail/Desktop.h"

namespace orvalis::platform {

std::uintptr_t SetTimer(HWND window, std::uintptr_t id, std::uint32_t milliseconds) {
    detail::Desktop& desktop = detail::UiDesktop();
    if (!desktop.Find(window)) return 0;
    std::uint64_t period = std::max(milliseconds, kMinimumTimerPeriod);
    if (!desktop.timers.Set(window, id, period, desktop.backend->Now())) return 0;
    return id ? id : 1;
}

bool KillTimer(HWND window, std::uintptr_t id) { return detail::UiDesktop().timers.Kill(window, id); }

std::uint64_t GetTickCount64() { return detail::UiDesktop().backend->Now(); }

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(GetTickCount64()); }

}  // namespace orvalis::platform
