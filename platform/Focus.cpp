#include "platform/Focus.h"

#include <utility>

#include "platform/Window.h"
#include "platform/detail/Desktop.h"
#include "platform/detail/InputEvents.h"
#include "platform/detail/InputState.h"
#include "platform/detail/WindowTree.h"

namespace orvalis::platform {

namespace detail {

namespace {
constexpr std::uint8_t kKeyDown = 0x80;
constexpr std::uint8_t kKeyToggled = 0x01;

bool CanBeActive(const WindowRecord& record) {
    return record.IsTopLevel() && record.OwnVisible() && record.OwnEnabled() && !record.destroying;
}
}  // namespace

void ActivateWindow(Desktop& desktop, HWND window, std::uint16_t how) {
    if (window == desktop.active) return;
    if (window) {
        WindowRecord* record = desktop.Find(window);
        if (!record || !CanBeActive(*record)) return;
    }
    HWND old = desktop.active;
    desktop.active = window;
    if (old && desktop.Find(old))
        Send(desktop, old, WM_ACTIVATE, MakeWParam(WA_INACTIVE, IsIconic(old) ? 1 : 0), static_cast<LPARAM>(window));
    if ((old == 0) != (window == 0)) {
        std::vector<HWND> tops = desktop.topLevels;
        for (HWND top : tops) Send(desktop, top, WM_ACTIVATEAPP, window ? 1 : 0, 0);
    }
    if (desktop.active != window) return;  // a handler moved the activation on

    if (!window) {
        if (HWND lost = std::exchange(desktop.focus, 0)) Send(desktop, lost, WM_KILLFOCUS, 0, 0);
        return;
    }
    WindowRecord* record = desktop.Find(window);
    if (!record) return;
    std::erase(desktop.topLevels, window);
    desktop.topLevels.insert(desktop.topLevels.begin(), window);
    if (record->native) desktop.backend->ActivateNativeWindow(window);
    bool minimized = record->showState == ShowState::Minimized;
    Send(desktop, window, WM_ACTIVATE, MakeWParam(how, minimized ? 1 : 0), static_cast<LPARAM>(old));
    if (desktop.active == window && desktop.Find(window) && !minimized && !IsInside(desktop, desktop.focus, window))
        SetFocus(window);
}

void ActivateNext(Desktop& desktop, HWND leaving) {
    if (desktop.active != leaving) return;
    std::vector<HWND> tops = desktop.topLevels;
    for (HWND top : tops) {
        WindowRecord* record = desktop.Find(top);
        if (top == leaving || !record || !CanBeActive(*record) || record->showState == ShowState::Minimized) continue;
        ActivateWindow(desktop, top, WA_ACTIVE);
        return;
    }
    ActivateWindow(desktop, 0, WA_INACTIVE);
}

void MoveFocusOutOf(Desktop& desktop, HWND subtree, HWND fallback) {
    if (!desktop.focus || !IsInside(desktop, desktop.focus, subtree)) return;
    WindowRecord* target = fallback ? desktop.Find(fallback) : nullptr;
    if (target && !target->destroying && IsShowing(desktop, *target) && AcceptsInput(desktop, *target) &&
        SetFocus(fallback) != 0)
        return;
    if (desktop.focus && IsInside(desktop, desktop.focus, subtree)) SetFocus(0);
}

void ReleaseCaptureInside(Desktop& desktop, HWND subtree) {
    if (desktop.capture && IsInside(desktop, desktop.capture, subtree)) ReleaseCapture();
}

void RecordKeyInput(Desktop& desktop, const KeyInput& key) {
    std::uint8_t& state = desktop.keyState[key.virtualKey & 0xFF];
    if (key.down) {
        if (!(state & kKeyDown)) state ^= kKeyToggled;
        state |= kKeyDown;
    } else {
        state &= ~kKeyDown;
    }
}

}  // namespace detail

using namespace detail;

HWND SetFocus(HWND window) {
    Desktop& desktop = UiDesktop();
    if (!window) {
        HWND old = std::exchange(desktop.focus, 0);
        if (old) Send(desktop, old, WM_KILLFOCUS, 0, 0);
        return old;
    }
    WindowRecord* record = desktop.Find(window);
    if (!record || record->destroying || !IsShowing(desktop, *record) || !AcceptsInput(desktop, *record)) return 0;
    HWND top = TopLevelOf(desktop, *record).handle;
    if (desktop.active != top) {
        ActivateWindow(desktop, top, WA_ACTIVE);
        if (!desktop.Find(window) || desktop.active != top) return 0;
    }
    HWND old = desktop.focus;
    if (old == window) return old;
    desktop.focus = window;
    if (old) Send(desktop, old, WM_KILLFOCUS, static_cast<WPARAM>(window), 0);
    if (desktop.focus == window) Send(desktop, window, WM_SETFOCUS, static_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() { return UiDesktop().focus; }

HWND SetActiveWindow(HWND window) {
    Desktop& desktop = UiDesktop();
    HWND old = desktop.active;
    if (window) {
        WindowRecord* record = desktop.Find(window);
        if (!record) return 0;
        window = TopLevelOf(desktop, *record).handle;
    }
    ActivateWindow(desktop, window, window ? WA_ACTIVE : WA_INACTIVE);
    return old;
}

HWND GetActiveWindow() { return UiDesktop().active; }

HWND SetCapture(HWND window) {
    Desktop& desktop = UiDesktop();
    HWND old = desktop.capture;
    if (!desktop.Find(window) || old == window) return old;
    desktop.capture = window;
    if (old) Send(desktop, old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(window));
    return old;
}

bool ReleaseCapture() {
    Desktop& desktop = UiDesktop();
    HWND old = std::exchange(desktop.capture, 0);
    if (old) Send(desktop, old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetCapture() { return UiDesktop().capture; }

std::int16_t GetKeyState(int virtualKey) {
    std::uint8_t state = UiDesktop().keyState[virtualKey & 0xFF];
    return static_cast<std::int16_t>(((state & 0x80) ? 0x8000 : 0) | (state & 0x01));
}

Point GetCursorPos() { return UiDesktop().cursor; }

}  // namespace orvalis::platform
