#include "platform/MessageQueue.h"

#include <thread>

#include "platform/Focus.h"
#include "platform/Menu.h"
#include "platform/VirtualKeys.h"
#include "platform/detail/AssistiveTools.h"
#include "platform/detail/Desktop.h"
#include "platform/detail/DialogRuns.h"
#include "platform/detail/EndSessionNotice.h"
#include "platform/detail/InputEvents.h"
#include "platform/detail/InputState.h"
#include "platform/detail/NativeEvents.h"
#include "platform/detail/Overloaded.h"
#include "platform/detail/PaintingState.h"
#include "platform/detail/PostedQueue.h"
#include "platform/detail/WindowTree.h"

namespace orvalis::platform {

namespace detail {

namespace {

std::uint32_t Clock(Desktop& desktop) { return static_cast<std::uint32_t>(desktop.backend->Now()); }

WPARAM HeldButtons(const Desktop& desktop) {
    WPARAM held = 0;
    if (desktop.keyState[VK_LBUTTON] & 0x80) held |= MK_LBUTTON;
    if (desktop.keyState[VK_RBUTTON] & 0x80) held |= MK_RBUTTON;
    if (desktop.keyState[VK_MBUTTON] & 0x80) held |= MK_MBUTTON;
    return held;
}

struct ButtonTraits {
    int virtualKey;
    WPARAM held;
    std::uint32_t down;
    std::uint32_t up;
    std::uint32_t doubleClick;
};

ButtonTraits TraitsOf(native::MouseButton button) {
    switch (button) {
        case native::MouseButton::Right:
            return {VK_RBUTTON, MK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK};
        case native::MouseButton::Middle:
            return {VK_MBUTTON, MK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK};
        case native::MouseButton::Left: break;
    }
    return {VK_LBUTTON, MK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
}

bool RouteKey(Desktop& desktop, const KeyInput& key, Message& message) {
    HWND target = desktop.focus ? desktop.focus : desktop.active;
    WindowRecord* record = desktop.Find(target);
    if (!record || !AcceptsInput(desktop, *record)) return false;
    bool alt = key.modifiers & ModAlt;
    bool ctrl = key.modifiers & ModCtrl;
    // Alt combinations and F10 are system keys; with Ctrl held (AltGr) they are not.
    bool system = key.virtualKey == VK_F10 || ((alt || key.virtualKey == VK_MENU) && !ctrl);
    std::uint32_t data = 1;
    if (alt) data |= KF_ALTDOWN;
    if (key.repeat) data |= KF_REPEAT;
    if (!key.down) data |= KF_UP | KF_REPEAT;
    message.hwnd = target;
    message.message = key.down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    message.wParam = static_cast<WPARAM>(key.virtualKey);
    message.lParam = static_cast<LPARAM>(data);
    message.character = key.down ? key.character : 0;
    message.pt = desktop.cursor;
    return true;
}

bool RouteMouse(Desktop& desktop, const MouseInput& mouse, Message& message, Point& screen) {
    WindowRecord* top = desktop.Find(mouse.topLevel);
    if (!top || !top->IsTopLevel() || !IsShowing(desktop, *top)) return false;
    Point origin = ClientOriginOnScreen(desktop, *top);
    screen = {origin.x + mouse.client.x, origin.y + mouse.client.y};
    HWND target;
    Point local;
    if (WindowRecord* capture = desktop.Find(desktop.capture)) {
        if (!AcceptsInput(desktop, *capture)) return false;
        target = capture->handle;
        Point captureOrigin = ClientOriginOnScreen(desktop, *capture);
        local = {screen.x - captureOrigin.x, screen.y - captureOrigin.y};
    } else {
        if (!Rect::FromOriginAndSize({}, ClientSizeOf(*top)).Contains(mouse.client)) return false;
        target = HitTest(desktop, *top, mouse.client, local);
        if (!target) return false;
    }
    ButtonTraits traits = TraitsOf(mouse.button);
    WPARAM held = HeldButtons(desktop);
    switch (mouse.kind) {
        case MouseInput::Kind::Move: message.message = WM_MOUSEMOVE; break;
        case MouseInput::Kind::Down:
            held |= traits.held;
            message.message =
                (mouse.doubleClick && (desktop.Get(target).classStyle & CS_DBLCLKS)) ? traits.doubleClick : traits.down;
            break;
        case MouseInput::Kind::Up:
            held &= ~traits.held;
            message.message = traits.up;
            break;
    }
    if (mouse.modifiers & ModShift) held |= MK_SHIFT;
    if (mouse.modifiers & ModCtrl) held |= MK_CONTROL;
    message.hwnd = target;
    message.wParam = held;
    message.lParam = MakeLParam(local.x, local.y);
    message.pt = screen;
    return true;
}

// The message for the input event in front, routed as things stand; false when it
// has nowhere to go.
bool RouteInput(Desktop& desktop, const InputEvent& input, Message& message, Point& screen) {
    message = Message{};
    message.time = input.time;
    if (const auto* key = std::get_if<KeyInput>(&input.event)) {
        screen = desktop.cursor;
        return RouteKey(desktop, *key, message);
    }
    return RouteMouse(desktop, std::get<MouseInput>(input.event), message, screen);
}

// What taking an input message changes: key and button state, the cursor, and the
// activation of a top-level window clicked while inactive.
void TakeInput(Desktop& desktop, const InputEvent& input, Point screen) {
    if (const auto* key = std::get_if<KeyInput>(&input.event)) {
        RecordKeyInput(desktop, *key);
        return;
    }
    const MouseInput& mouse = std::get<MouseInput>(input.event);
    desktop.cursor = screen;
    int button = TraitsOf(mouse.button).virtualKey;
    if (mouse.kind == MouseInput::Kind::Down) desktop.keyState[button] |= 0x80;
    if (mouse.kind == MouseInput::Kind::Up) desktop.keyState[button] &= ~0x80;
    if (mouse.kind == MouseInput::Kind::Down && desktop.active != mouse.topLevel)
        ActivateWindow(desktop, mouse.topLevel, WA_CLICKACTIVE);
}

// Drops the input in front that cannot be delivered; true when some can. A key dropped
// still moved the keyboard: while a box is up the task's windows are disabled, and a
// modifier let go there must not stay down for the windows that come back.
bool HasDeliverableInput(Desktop& desktop) {
    Message message;
    Point screen;
    while (!desktop.input.empty()) {
        const InputEvent& input = desktop.input.front();
        if (RouteInput(desktop, input, message, screen)) return true;
        if (const auto* key = std::get_if<KeyInput>(&input.event)) RecordKeyInput(desktop, *key);
        desktop.input.pop_front();
    }
    return false;
}

bool IsMessageAvailable(Desktop& desktop) {
    return IsEndSessionNoticePending() || !desktop.posted.IsEmpty() || desktop.quitPending ||
           HasDeliverableInput(desktop) || FindWindowToPaint(desktop) != 0 ||
           desktop.timers.Due(desktop.backend->Now(), false).has_value();
}

void HandleNativeEvent(Desktop& desktop, NativeEvent& event) {
    std::visit(Overloaded{
                   [&](const CloseEvent& e) {
                       WindowRecord* record = desktop.Find(e.window);
                       if (record && record->IsTopLevel() && record->OwnEnabled())
                           PostMessage(e.window, WM_SYSCOMMAND, SC_CLOSE, 0);
                   },
                   [&](const MenuEvent& e) {
                       WindowRecord* record = desktop.Find(e.window);
                       if (!record || !record->IsTopLevel() || !record->OwnEnabled() || !record->menu) return;
                       const MenuItem* item = FindMenuItemById(*record->menu, e.id);
                       if (item && item->enabled && item->items.empty()) PostMessage(e.window, WM_COMMAND, e.id, 0);
                   },
                   [&](const ActivatedEvent& e) {
                       WindowRecord* record = desktop.Find(e.window);
                       if (!record || !record->IsTopLevel() || !record->OwnVisible()) return;
                       if (record->OwnEnabled()) {
                           ActivateWindow(desktop, e.window, WA_ACTIVE);
                       } else if (WindowRecord* active = desktop.Find(desktop.active); active && active->native) {
                           desktop.backend->ActivateNativeWindow(active->handle);
                       }
                   },
                   [&](const ResizedEvent& e) {
                       WindowRecord* record = desktop.Find(e.window);
                       if (!record || !record->IsTopLevel()) return;
                       FrameInsets insets = InsetsOf(*record);
                       Rect bounds{record->bounds.left, record->bounds.top,
                                   record->bounds.left + e.client.width + insets.left + insets.right,
                                   record->bounds.top + e.client.height + insets.top + insets.bottom};
                       ApplyBounds(desktop, e.window, bounds, true);
                   },
                   [&](const MovedEvent& e) {
                       WindowRecord* record = desktop.Find(e.window);
                       if (!record || !record->IsTopLevel()) return;
                       Rect bounds =
                           record->bounds.Offset(e.position.x - record->bounds.left, e.position.y - record->bounds.top);
                       ApplyBounds(desktop, e.window, bounds, true);
                   },
                   [&](const ScaleEvent& e) {
                       WindowRecord* record = desktop.Find(e.window);
                       if (!record || !record->IsTopLevel() || e.scale < 1 || e.scale == record->scale) return;
                       record->scale = e.scale;
                       SyncSurface(desktop, *record);
                       InvalidateWholeTree(desktop, *record);
                   },
                   [&](const ThemeChangedEvent&) {
                       for (HWND window : desktop.topLevels) InvalidateWholeTree(desktop, desktop.Get(window));
                   },
                   [&](const BoxAnsweredEvent& e) { HandleMessageBoxAnswer(desktop, e); },
                   [&](const AccessibleRequestEvent& e) { HandleAccessibleRequest(desktop, e); },
                   [&](const auto&) { HandleFileDialogEvent(desktop, event); },
               },
               event);
}

}  // namespace

void ProcessNativeEvents(Desktop& desktop) {
    // One at a time from the front: a handler may pump the queue again, and the
    // events must still be handled in the order they came.
    while (!desktop.native.empty()) {
        NativeEvent event = std::move(desktop.native.front());
        desktop.native.pop_front();
        HandleNativeEvent(desktop, event);
    }
}

}  // namespace detail

using namespace detail;

void PostMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    Desktop& desktop = TheDesktop();
    Message posted;
    posted.hwnd = window;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    if (std::this_thread::get_id() == desktop.uiThread) {
        posted.time = Clock(desktop);
        posted.pt = desktop.cursor;
        desktop.posted.Post(posted);
    } else {
        // Stamped when taken: the clock and cursor belong to the user-interface thread.
        desktop.posted.Post(posted);
        SignalWakeup();
    }
}

void PostQuitMessage(int exitCode) {
    Desktop& desktop = UiDesktop();
    desktop.quitPending = true;
    desktop.quitCode = exitCode;
}

bool PeekMessage(Message& message, std::uint32_t flags) {
    Desktop& desktop = UiDesktop();
    bool remove = flags & PM_REMOVE;
    desktop.backend->PollEvents();
    ProcessNativeEvents(desktop);

    if (TakeEndSessionNotice()) {
        desktop.sessionEnding = true;
        std::vector<HWND> tops = desktop.topLevels;
        for (HWND top : tops) Send(desktop, top, WM_ENDSESSION, 1, 0);
        message = Message{0, WM_NULL, 0, 0, Clock(desktop), desktop.cursor};
        return true;
    }
    if (desktop.posted.Take(message, remove)) {
        if (message.time == 0) {
            message.time = Clock(desktop);
            message.pt = desktop.cursor;
        }
        return true;
    }
    if (desktop.quitPending) {
        message = Message{0, WM_QUIT, static_cast<WPARAM>(desktop.quitCode), 0, Clock(desktop), desktop.cursor};
        if (remove) desktop.quitPending = false;
        return true;
    }
    if (HasDeliverableInput(desktop)) {
        InputEvent input = desktop.input.front();
        Point screen;
        RouteInput(desktop, input, message, screen);
        if (remove) {
            desktop.input.pop_front();
            TakeInput(desktop, input, screen);
        }
        return true;
    }
    if (HWND window = FindWindowToPaint(desktop)) {
        message = Message{window, WM_PAINT, 0, 0, Clock(desktop), desktop.cursor};
        return true;
    }
    std::uint64_t now = desktop.backend->Now();
    if (auto due = desktop.timers.Due(now, remove)) {
        message = Message{due->first, WM_TIMER, due->second, 0, static_cast<std::uint32_t>(now), desktop.cursor};
        return true;
    }
    return false;
}

void WaitMessage() {
    Desktop& desktop = UiDesktop();
    unsigned dialogEvents = desktop.dialogEvents;
    for (;;) {
        ProcessNativeEvents(desktop);
        if (desktop.dialogEvents != dialogEvents || IsMessageAvailable(desktop)) return;
        ShowAccessibleTrees(desktop);
        desktop.backend->WaitForEvents(desktop.timers.NextExpiry(), WakeupFd());
        DrainWakeup();
    }
}

bool GetMessage(Message& message) {
    while (!PeekMessage(message, PM_REMOVE)) WaitMessage();
    return message.message != WM_QUIT;
}

LRESULT SendMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    return Send(UiDesktop(), window, message, wParam, lParam);
}

LRESULT DispatchMessage(const Message& message) {
    if (!message.hwnd) return 0;
    return Send(UiDesktop(), message.hwnd, message.message, message.wParam, message.lParam);
}

bool TranslateMessage(const Message& message) {
    if ((message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) || message.character == 0) return false;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool alt = GetKeyState(VK_MENU) < 0;
    char32_t character = message.character;
    if (ctrl && !alt) {
        char32_t letter = character | 0x20;
        if (letter >= U'a' && letter <= U'z')
            character = letter & 0x1F;
        else if (character == U'\r')
            character = U'\n';
        else if (character == U'\b')
            character = 0x7F;
        else
            return false;
    }
    PostMessage(message.hwnd, message.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, static_cast<WPARAM>(character),
                message.lParam);
    return true;
}

}  // namespace orvalis::platform
