#pragma once
// TTimer: calls OnTimer periodically on the user-interface thread, through a platform
// timer (identifier 1) on a hidden utility window of its own. It runs while Enabled,
// Interval (milliseconds) is not 0 and a handler is set. Every change of one of the
// three kills the platform timer and starts it again, so the next tick comes one whole
// period after the change; setting a property to the value it has changes nothing,
// except OnTimer, which always restarts. A platform that has no timer left gives
// EOutOfResources "Pas assez de timers disponibles" (the timer stays stopped, its
// properties keep their new values). A handler's exception goes to the application
// (HandleUncaught, the timer as sender) and the timer keeps ticking. Destroying the
// timer stops the ticks before anything else goes.

#include <cstdint>

#include "classes/Component.h"
#include "classes/Events.h"
#include "platform/Messages.h"
#include "platform/Window.h"

namespace orvalis {

class TTimer : public TComponent, public platform::WindowProcedure {
    ORVALIS_TYPE_INFO(TTimer)

public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t interval);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(const TNotifyEvent& handler);

    // The hidden window's procedure: WM_TIMER ticks, the rest gets the default handling.
    platform::LRESULT WindowProc(platform::HWND window, std::uint32_t message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

protected:
    // One tick: OnTimer with the timer as sender.
    virtual void Tick();

private:
    // Kills the platform timer, then starts it again when the timer runs.
    void UpdateTimer();

    bool enabled_ = true;
    std::uint32_t interval_ = 1000;
    TNotifyEvent onTimer_;
    platform::HWND window_;
};

}  // namespace orvalis
