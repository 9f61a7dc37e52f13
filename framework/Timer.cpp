#include "framework/Timer.h"

#include "classes/ClassBuilder.h"
#include "framework/Application.h"
#include "framework/UtilWindow.h"
#include "platform/Timers.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

constexpr std::uintptr_t kTimerId = 1;

}  // namespace

const TClassInfo& TTimer::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTimer, TComponent>("TTimer")
                                       .Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled)
                                       .Default(true)
                                       .Property("Interval", &TTimer::Interval, &TTimer::SetInterval)
                                       .Default(1000)
                                       .Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
    return info;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner), window_(AllocateUtilWindow(*this)) {}

TTimer::~TTimer() {
    enabled_ = false;
    UpdateTimer();
    ReleaseUtilWindow(window_);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t interval) {
    if (interval == interval_) return;
    interval_ = interval;
    UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& handler) {
    onTimer_ = handler;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    platform::KillTimer(window_, kTimerId);
    if (interval_ != 0 && enabled_ && onTimer_ && platform::SetTimer(window_, kTimerId, interval_) == 0)
        throw EOutOfResources(ResId::OutOfTimers);
}

platform::LRESULT TTimer::WindowProc(platform::HWND window, std::uint32_t message, platform::WPARAM wParam,
                                     platform::LPARAM lParam) {
    if (message != platform::WM_TIMER) return platform::DefWindowProc(window, message, wParam, lParam);
    try {
        Tick();
    } catch (...) {
        HandleUncaughtException(this);
    }
    return 0;
}

void TTimer::Tick() {
    if (onTimer_) onTimer_(this);
}

}  // namespace orvalis
