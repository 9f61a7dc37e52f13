#include "framework/TaskModalScope.h"

#include "framework/Application.h"
#include "platform/Focus.h"

namespace orvalis {
namespace {

// The top-level windows of the program that are visible and enabled, but for the
// application's own hidden one.
std::vector<platform::HWND> DisableTaskWindows(const TApplication& application) {
    std::vector<platform::HWND> disabled;
    for (platform::HWND window : platform::GetTopLevelWindows()) {
        if (window == application.Handle() || !platform::IsWindowVisible(window) || !platform::IsWindowEnabled(window))
            continue;
        platform::EnableWindow(window, false);
        disabled.push_back(window);
    }
    return disabled;
}

}  // namespace

TTaskModalScope::TTaskModalScope(TApplication* application, TGivesBack givesBack)
    : active_(platform::GetActiveWindow()),
      focus_(givesBack == TGivesBack::ActivationAndFocus ? platform::GetFocus() : 0),
      disabled_(application ? DisableTaskWindows(*application) : std::vector<platform::HWND>{}) {}

TTaskModalScope::~TTaskModalScope() {
    // A window may have gone while the run lasted.
    for (platform::HWND window : disabled_)
        if (platform::IsWindow(window)) platform::EnableWindow(window, true);
    if (active_ && platform::IsWindow(active_)) platform::SetActiveWindow(active_);
    if (focus_ && platform::IsWindow(focus_)) platform::SetFocus(focus_);
}

}  // namespace orvalis
