#include "platform/Window.h"

#include <algorithm>
#include <cassert>

#include "platform/CairoPointers.h"
#include "platform/Focus.h"
#include "platform/MessageQueue.h"
#include "platform/NonClientMetrics.h"
#include "platform/Painting.h"
#include "platform/VirtualKeys.h"
#include "platform/detail/AssistiveTools.h"
#include "platform/detail/Desktop.h"
#include "platform/detail/InputState.h"
#include "platform/detail/PaintingState.h"
#include "platform/detail/WindowTree.h"

namespace orvalis::platform {

namespace detail {

FrameInsets InsetsOf(const WindowRecord& record) {
    return record.IsTopLevel() ? NonClientInsets(record.style, record.menu.has_value()) : FrameInsets{};
}

Size ClientSizeOf(const WindowRecord& record) {
    FrameInsets insets = InsetsOf(record);
    return {std::max(0, record.bounds.Width() - insets.left - insets.right),
            std::max(0, record.bounds.Height() - insets.top - insets.bottom)};
}

Point ClientOriginInTop(Desktop& desktop, const WindowRecord& record) {
    Point origin;
    for (const WindowRecord* w = &record; !w->IsTopLevel(); w = &desktop.Get(w->parent)) {
        origin.x += w->bounds.left;
        origin.y += w->bounds.top;
    }
    return origin;
}

Point ClientOriginOnScreen(Desktop& desktop, const WindowRecord& record) {
    const WindowRecord* top = &record;
    while (!top->IsTopLevel()) top = &desktop.Get(top->parent);
    FrameInsets insets = InsetsOf(*top);
    Point inTop = ClientOriginInTop(desktop, record);
    return {top->bounds.left + insets.left + inTop.x, top->bounds.top + insets.top + inTop.y};
}

bool IsShowing(Desktop& desktop, const WindowRecord& record) {
    for (const WindowRecord* w = &record;; w = &desktop.Get(w->parent)) {
        if (!w->OwnVisible()) return false;
        if (w->IsTopLevel()) return true;
    }
}

bool AcceptsInput(Desktop& desktop, const WindowRecord& record) {
    for (const WindowRecord* w = &record;; w = &desktop.Get(w->parent)) {
        if (!w->OwnEnabled()) return false;
        if (w->IsTopLevel()) return true;
    }
}

WindowRecord& TopLevelOf(Desktop& desktop, WindowRecord& record) {
    WindowRecord* w = &record;
    while (!w->IsTopLevel()) w = &desktop.Get(w->parent);
    return *w;
}

bool IsInside(Desktop& desktop, HWND window, HWND ancestor) {
    for (WindowRecord* w = desktop.Find(window); w; w = w->parent ? desktop.Find(w->parent) : nullptr)
        if (w->handle == ancestor) return true;
    return false;
}

HWND HitTest(Desktop& desktop, WindowRecord& topLevel, Point client, Point& local) {
    if (!topLevel.OwnEnabled()) return 0;
    WindowRecord* current = &topLevel;
    for (;;) {
        WindowRecord* next = nullptr;
        for (HWND child : current->children) {
            WindowRecord& c = desktop.Get(child);
            if (c.OwnVisible() && c.OwnEnabled() && c.bounds.Contains(client)) {
                next = &c;
                break;
            }
        }
        if (!next) break;
        client.x -= next->bounds.left;
        client.y -= next->bounds.top;
        current = next;
    }
    local = client;
    return current->handle;
}

void CollectTree(Desktop& desktop, HWND root, std::vector<HWND>& out) {
    out.push_back(root);
    for (HWND child : desktop.Get(root).children) CollectTree(desktop, child, out);
}

LRESULT Send(Desktop& desktop, HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = desktop.Find(window);
    if (!record) return 0;
    WindowProcedure* procedure = record->procedure;
    return procedure ? procedure->WindowProc(window, message, wParam, lParam)
                     : platform::DefWindowProc(window, message, wParam, lParam);
}

namespace {

Rect BoundsInTop(Desktop& desktop, const WindowRecord& record) {
    return Rect::FromOriginAndSize(ClientOriginInTop(desktop, record), ClientSizeOf(record));
}

void InvalidateRectInTop(Desktop& desktop, WindowRecord& record, const Rect& area) {
    RegionPtr region = MakeRegion(area);
    InvalidateArea(desktop, TopLevelOf(desktop, record), region.get());
}

// The client origin as WM_MOVE reports it: on the screen for a top-level window, in
// the parent's client area for a child.
Point ReportedOrigin(Desktop& desktop, const WindowRecord& record) {
    if (!record.IsTopLevel()) return record.bounds.Origin();
    return ClientOriginOnScreen(desktop, record);
}

WPARAM SizeType(const WindowRecord& record) {
    switch (record.showState) {
        case ShowState::Minimized: return SIZE_MINIMIZED;
        case ShowState::Maximized: return SIZE_MAXIMIZED;
        case ShowState::Normal: break;
    }
    return SIZE_RESTORED;
}

std::vector<HWND>& Siblings(Desktop& desktop, WindowRecord& record) {
    return record.IsTopLevel() ? desktop.topLevels : desktop.Get(record.parent).children;
}

void Restack(Desktop& desktop, WindowRecord& record, HWND insertAfter) {
    std::vector<HWND>& siblings = Siblings(desktop, record);
    std::erase(siblings, record.handle);
    auto position = siblings.begin();
    if (insertAfter == HWND_BOTTOM) {
        position = siblings.end();
    } else if (insertAfter != HWND_TOP) {
        auto found = std::find(siblings.begin(), siblings.end(), insertAfter);
        if (found != siblings.end()) position = found + 1;
    }
    siblings.insert(position, record.handle);
    if (!record.IsTopLevel() && IsShowing(desktop, record))
        InvalidateRectInTop(desktop, record, BoundsInTop(desktop, record));
}

// Widens a top-level window that is narrower than its menu bar's items (its frame
// added); true when it did.
bool KeepMenuBarWhole(WindowRecord& record) {
    if (!record.IsTopLevel() || !record.menu) return false;
    const FrameInsets insets = InsetsOf(record);
    const int narrowest = record.menuWidth + insets.left + insets.right;
    if (record.bounds.Width() >= narrowest) return false;
    record.bounds.right = record.bounds.left + narrowest;
    return true;
}

NativeWindowState NativeStateOf(const WindowRecord& record) {
    return {record.text,
            record.bounds,
            ClientSizeOf(record),
            record.style,
            record.menu ? &*record.menu : nullptr,
            record.OwnEnabled(),
            record.showState == ShowState::Minimized,
            record.owner};
}

// Makes the window visible (WM_SHOWWINDOW first); a top-level window gets its native
// window and is painted whole.
void Reveal(Desktop& desktop, HWND window) {
    WindowRecord* record = desktop.Find(window);
    if (!record) return;
    if (!record->OwnVisible()) {
        Send(desktop, window, WM_SHOWWINDOW, 1, 0);
        record = desktop.Find(window);
        if (!record) return;
        record->style |= WS_VISIBLE;
    }
    if (record->IsTopLevel()) {
        SyncSurface(desktop, *record);
        if (!record->native) {
            desktop.backend->CreateNativeWindow(window, NativeStateOf(*record));
            record->native = true;
        }
        ShowAccessibleTree(desktop, window);
        desktop.backend->ShowNativeWindow(window, true);
        InvalidateWholeTree(desktop, *record);
    } else if (IsShowing(desktop, *record)) {
        InvalidateRectInTop(desktop, *record, BoundsInTop(desktop, *record));
    }
}

void Conceal(Desktop& desktop, HWND window) {
    Send(desktop, window, WM_SHOWWINDOW, 0, 0);
    WindowRecord* record = desktop.Find(window);
    if (!record || !record->OwnVisible()) return;
    bool wasShowing = IsShowing(desktop, *record);
    Rect area = BoundsInTop(desktop, *record);
    record->style &= ~WS_VISIBLE;
    HWND parent = record->parent;
    ReleaseCaptureInside(desktop, window);
    if (!parent) {
        if (record->native) desktop.backend->ShowNativeWindow(window, false);
        // The activation moves first; the focus follows it.
        ActivateNext(desktop, window);
    }
    MoveFocusOutOf(desktop, window, parent);
    if (parent && wasShowing && desktop.Find(window)) InvalidateRectInTop(desktop, desktop.Get(window), area);
}

void SetShowState(Desktop& desktop, WindowRecord& record, ShowState state) {
    if (record.showState == ShowState::Normal && state != ShowState::Normal) record.restoreBounds = record.bounds;
    bool wasMinimized = record.showState == ShowState::Minimized;
    record.showState = state;
    record.style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
    if (state == ShowState::Minimized) record.style |= WS_MINIMIZE;
    if (state == ShowState::Maximized) record.style |= WS_MAXIMIZE;
    bool minimized = state == ShowState::Minimized;
    if (record.native && minimized != wasMinimized) desktop.backend->MinimizeNativeWindow(record.handle, minimized);
}

void ShowTopLevel(Desktop& desktop, HWND window, int command) {
    WindowRecord& record = desktop.Get(window);
    switch (command) {
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE: {
            bool changed = record.showState != ShowState::Minimized;
            SetShowState(desktop, record, ShowState::Minimized);
            Reveal(desktop, window);
            if (!IsWindow(window)) return;
            if (changed) {
                Size client = ClientSizeOf(desktop.Get(window));
                Send(desktop, window, WM_SIZE, SIZE_MINIMIZED, MakeLParam(client.width, client.height));
            }
            if (command == SW_SHOWMINIMIZED)
                ActivateWindow(desktop, window, WA_ACTIVE);
            else
                ActivateNext(desktop, window);
            return;
        }
        case SW_SHOWMAXIMIZED: {
            ScreenMetrics screen = desktop.backend->Screen();
            SetShowState(desktop, record, ShowState::Maximized);
            ApplyBounds(desktop, window, Rect{0, 0, screen.width, screen.height}, false);
            break;
        }
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            if (record.showState != ShowState::Normal) {
                Rect restore = record.restoreBounds;
                SetShowState(desktop, record, ShowState::Normal);
                ApplyBounds(desktop, window, restore, false);
            }
            break;
        default: break;
    }
    Reveal(desktop, window);
    if (!IsWindow(window)) return;
    if (command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) ActivateWindow(desktop, window, WA_ACTIVE);
}

}  // namespace

void ChangeGeometry(Desktop& desktop, HWND window, const std::function<void(WindowRecord&)>& change, bool fromBackend) {
    WindowRecord& record = desktop.Get(window);
    Rect oldBounds = record.bounds;
    Size oldClient = ClientSizeOf(record);
    Size oldSurface = record.IsTopLevel() ? SurfaceSizeOf(desktop, record) : Size{};
    Point oldOrigin = ReportedOrigin(desktop, record);
    Rect oldArea = record.IsTopLevel() ? Rect{} : BoundsInTop(desktop, record);
    change(record);
    // A native window that the user made narrower than its menu bar is put back.
    if (KeepMenuBarWhole(record) && fromBackend && record.native)
        desktop.backend->SetNativeGeometry(window, record.bounds, ClientSizeOf(record));
    Size newClient = ClientSizeOf(record);
    Point newOrigin = ReportedOrigin(desktop, record);
    if (record.bounds == oldBounds && newClient == oldClient && newOrigin == oldOrigin) return;

    if (record.IsTopLevel()) {
        SyncSurface(desktop, record);
        if (record.native && !fromBackend) desktop.backend->SetNativeGeometry(window, record.bounds, newClient);
        // A move can bring a part of the client area onto the screen that was never painted.
        const bool surfaceChanged = SurfaceSizeOf(desktop, record) != oldSurface;
        if ((newClient != oldClient || surfaceChanged) && IsShowing(desktop, record))
            InvalidateWholeTree(desktop, record);
    } else if (IsShowing(desktop, record)) {
        RegionPtr area = MakeRegion(oldArea);
        RegionPtr fresh = MakeRegion(BoundsInTop(desktop, record));
        cairo_region_union(area.get(), fresh.get());
        InvalidateArea(desktop, TopLevelOf(desktop, record), area.get());
    }
    if (newOrigin != oldOrigin) Send(desktop, window, WM_MOVE, 0, MakeLParam(newOrigin.x, newOrigin.y));
    WindowRecord* after = desktop.Find(window);
    if (after && newClient != oldClient)
        Send(desktop, window, WM_SIZE, SizeType(*after), MakeLParam(newClient.width, newClient.height));
}

void ApplyBounds(Desktop& desktop, HWND window, const Rect& bounds, bool fromBackend) {
    ChangeGeometry(
        desktop, window, [&](WindowRecord& record) { record.bounds = bounds; }, fromBackend);
}

}  // namespace detail

using namespace detail;

bool RegisterWindowClass(const WindowClass& windowClass) {
    Desktop& desktop = UiDesktop();
    if (windowClass.name.empty() || desktop.classes.contains(windowClass.name)) return false;
    desktop.classes.emplace(windowClass.name, windowClass);
    return true;
}

bool UnregisterWindowClass(std::string_view name) {
    Desktop& desktop = UiDesktop();
    auto found = desktop.classes.find(name);
    if (found == desktop.classes.end()) return false;
    desktop.classes.erase(found);
    return true;
}

bool IsWindowClassRegistered(std::string_view name) {
    Desktop& desktop = UiDesktop();
    return desktop.classes.find(name) != desktop.classes.end();
}

HWND CreateWindow(const CreateWindowParams& params) {
    Desktop& desktop = UiDesktop();
    auto windowClass = desktop.classes.find(params.className);
    if (windowClass == desktop.classes.end()) return 0;
    if (params.parent && !desktop.Find(params.parent)) return 0;

    auto record = std::make_unique<WindowRecord>();
    HWND window = desktop.nextHandle++;
    record->handle = window;
    record->parent = params.parent;
    record->className = params.className;
    record->classStyle = windowClass->second.style;
    record->text = params.text;
    record->style = params.style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    record->exStyle = params.exStyle;
    record->bounds = params.bounds;
    record->restoreBounds = params.bounds;
    record->procedure = params.procedure;
    record->update = MakeRegion({});
    // A new window comes in front of its siblings.
    if (params.parent) {
        auto& siblings = desktop.Get(params.parent).children;
        siblings.insert(siblings.begin(), window);
    } else {
        desktop.topLevels.insert(desktop.topLevels.begin(), window);
        // Drawn at the screen's density from its first paint, which may come before the
        // backend tells the density of the screen it shows on.
        record->scale = std::max(1, desktop.backend->Screen().deviceScale);
    }
    desktop.windows.emplace(window, std::move(record));

    LRESULT created = Send(desktop, window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&params));
    if (!desktop.Find(window)) return 0;
    if (created == -1) {
        DestroyWindow(window);
        return 0;
    }
    if (params.style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return desktop.Find(window) ? window : 0;
}

bool DestroyWindow(HWND window) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record || record->destroying) return false;

    std::vector<HWND> tree;
    CollectTree(desktop, window, tree);
    for (HWND h : tree) desktop.Get(h).destroying = true;
    HWND parent = record->parent;
    bool wasShowing = IsShowing(desktop, *record);
    Rect area = record->IsTopLevel() ? Rect{} : BoundsInTop(desktop, *record);

    ReleaseCaptureInside(desktop, window);
    if (!parent) ActivateNext(desktop, window);
    MoveFocusOutOf(desktop, window, parent);

    for (HWND h : tree)
        if (desktop.Find(h)) Send(desktop, h, WM_DESTROY, 0, 0);
    for (auto it = tree.rbegin(); it != tree.rend(); ++it)
        if (desktop.Find(*it)) Send(desktop, *it, WM_NCDESTROY, 0, 0);

    // Windows that the handlers created under the dying ones go with them.
    tree.clear();
    if (desktop.Find(window)) CollectTree(desktop, window, tree);
    for (HWND h : tree) {
        WindowRecord& dying = desktop.Get(h);
        desktop.timers.KillAll(h);
        desktop.posted.Purge(h);
        if (desktop.capture == h) desktop.capture = 0;
        if (desktop.focus == h) desktop.focus = 0;
        if (desktop.active == h) desktop.active = 0;
        if (dying.native) desktop.backend->DestroyNativeWindow(h);
    }
    if (parent && desktop.Find(parent)) std::erase(desktop.Get(parent).children, window);
    std::erase(desktop.topLevels, window);
    for (HWND h : tree) desktop.windows.erase(h);

    if (parent && wasShowing && desktop.Find(parent)) {
        RegionPtr region = MakeRegion(area);
        InvalidateArea(desktop, TopLevelOf(desktop, desktop.Get(parent)), region.get());
    }
    return true;
}

bool IsWindow(HWND window) { return window && UiDesktop().Find(window) != nullptr; }

LRESULT DefWindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return 0;
    switch (message) {
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_PAINT: {
            PaintStruct paint;
            BeginPaint(window, paint);
            EndPaint(window, paint);
            return 0;
        }
        case WM_SETTEXT:
            record->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            if (record->IsTopLevel() && record->native) desktop.backend->SetNativeTitle(window, record->text);
            return 1;
        case WM_ACTIVATE:
            if (LoWord(wParam) != WA_INACTIVE && record->showState != ShowState::Minimized) SetFocus(window);
            return 0;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE: Send(desktop, window, WM_CLOSE, 0, 0); break;
                case SC_MINIMIZE: ShowWindow(window, SW_MINIMIZE); break;
                case SC_MAXIMIZE: ShowWindow(window, SW_SHOWMAXIMIZED); break;
                case SC_RESTORE: ShowWindow(window, SW_RESTORE); break;
                default: break;
            }
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4 && (static_cast<std::uint32_t>(lParam) & KF_ALTDOWN))
                PostMessage(TopLevelOf(desktop, *record).handle, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_CANCELMODE:
            if (desktop.capture == window) ReleaseCapture();
            return 0;
        default: return 0;
    }
}

WindowProcedure* GetWindowProcedure(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? record->procedure : nullptr;
}

WindowProcedure* SetWindowProcedure(HWND window, WindowProcedure* procedure) {
    WindowRecord* record = UiDesktop().Find(window);
    if (!record) return nullptr;
    return std::exchange(record->procedure, procedure);
}

std::string GetClassName(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? record->className : std::string();
}

HWND GetParent(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? record->parent : 0;
}

HWND SetParent(HWND child, HWND newParent) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(child);
    if (!record || !desktop.Find(newParent) || IsInside(desktop, newParent, child)) return 0;
    assert(!record->IsTopLevel() && "only child windows change parents");
    HWND oldParent = record->parent;
    if (oldParent == newParent) return oldParent;

    if (IsShowing(desktop, *record)) InvalidateRectInTop(desktop, *record, BoundsInTop(desktop, *record));
    HWND oldTop = TopLevelOf(desktop, *record).handle;
    std::erase(desktop.Get(oldParent).children, child);
    auto& siblings = desktop.Get(newParent).children;
    siblings.insert(siblings.begin(), child);
    record->parent = newParent;
    if (TopLevelOf(desktop, *record).handle != oldTop) {
        MoveFocusOutOf(desktop, child, 0);
        ReleaseCaptureInside(desktop, child);
    }
    if (IsShowing(desktop, *record)) InvalidateRectInTop(desktop, *record, BoundsInTop(desktop, *record));
    return oldParent;
}

HWND GetTopLevelWindow(HWND window) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    return record ? TopLevelOf(desktop, *record).handle : 0;
}

bool IsChild(HWND parent, HWND window) { return parent != window && IsInside(UiDesktop(), window, parent); }

std::vector<HWND> GetTopLevelWindows() { return UiDesktop().topLevels; }

std::vector<HWND> GetChildWindows(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? record->children : std::vector<HWND>{};
}

bool ShowWindow(HWND window, int command) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return false;
    bool wasVisible = record->OwnVisible();
    if (command == SW_HIDE) {
        if (wasVisible) Conceal(desktop, window);
    } else if (record->IsTopLevel()) {
        ShowTopLevel(desktop, window, command);
    } else {
        Reveal(desktop, window);
    }
    return wasVisible;
}

bool IsWindowVisible(HWND window) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    return record && IsShowing(desktop, *record);
}

bool IsIconic(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record && record->showState == ShowState::Minimized;
}

bool IsZoomed(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record && record->showState == ShowState::Maximized;
}

bool EnableWindow(HWND window, bool enable) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return false;
    bool wasDisabled = !record->OwnEnabled();
    if (enable == !wasDisabled) return wasDisabled;
    if (enable) {
        record->style &= ~WS_DISABLED;
    } else {
        Send(desktop, window, WM_CANCELMODE, 0, 0);
        record = desktop.Find(window);
        if (!record) return wasDisabled;
        record->style |= WS_DISABLED;
        ReleaseCaptureInside(desktop, window);
        MoveFocusOutOf(desktop, window, 0);
    }
    if (record->IsTopLevel() && record->native) desktop.backend->EnableNativeWindow(window, enable);
    Send(desktop, window, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record && record->OwnEnabled();
}

void SetWindowOwner(HWND window, HWND owner) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record || !record->IsTopLevel()) return;
    owner = owner && owner != window && desktop.Find(owner) ? GetTopLevelWindow(owner) : 0;
    if (record->owner == owner) return;
    record->owner = owner;
    if (record->native) desktop.backend->SetNativeOwner(window, owner);
}

HWND GetWindowOwner(HWND window) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    // An owner that is gone owns nothing.
    return record && desktop.Find(record->owner) ? record->owner : 0;
}

void SetWindowText(HWND window, std::string_view text) {
    std::string copy(text);
    Send(UiDesktop(), window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

std::string GetWindowText(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? record->text : std::string();
}

std::uint32_t GetWindowStyle(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? record->style : 0;
}

std::uint32_t GetWindowExStyle(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? record->exStyle : 0;
}

void SetWindowStyle(HWND window, std::uint32_t style) {
    Desktop& desktop = UiDesktop();
    if (!desktop.Find(window)) return;
    // Visibility, enabled and show state change through their own calls only.
    constexpr std::uint32_t kept = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
    ChangeGeometry(
        desktop, window, [&](WindowRecord& record) { record.style = (style & ~kept) | (record.style & kept); }, false);
}

bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, std::uint32_t flags) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return false;
    Rect bounds = record->bounds;
    if (!(flags & SWP_NOMOVE)) bounds = bounds.Offset(x - bounds.left, y - bounds.top);
    if (!(flags & SWP_NOSIZE)) {
        bounds.right = bounds.left + std::max(0, width);
        bounds.bottom = bounds.top + std::max(0, height);
    }
    if (bounds != record->bounds) ApplyBounds(desktop, window, bounds, false);
    record = desktop.Find(window);
    if (!record) return false;
    if (!(flags & SWP_NOZORDER)) Restack(desktop, *record, insertAfter);
    if (flags & SWP_SHOWWINDOW) ShowWindow(window, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
    return true;
}

bool MoveWindow(HWND window, const Rect& bounds) {
    return SetWindowPos(window, HWND_TOP, bounds.left, bounds.top, bounds.Width(), bounds.Height(),
                        SWP_NOZORDER | SWP_NOACTIVATE);
}

bool BringWindowToTop(HWND window) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return false;
    Restack(desktop, *record, HWND_TOP);
    if (record->IsTopLevel() && record->OwnVisible() && record->OwnEnabled())
        ActivateWindow(desktop, window, WA_ACTIVE);
    return true;
}

Rect GetWindowBounds(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? record->bounds : Rect{};
}

Rect GetWindowRect(HWND window) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return {};
    if (record->IsTopLevel()) return record->bounds;
    Point origin = ClientOriginOnScreen(desktop, *record);
    return Rect::FromOriginAndSize(origin, record->bounds.Extent());
}

Rect GetClientRect(HWND window) {
    WindowRecord* record = UiDesktop().Find(window);
    return record ? Rect::FromOriginAndSize({}, ClientSizeOf(*record)) : Rect{};
}

Point ClientToScreen(HWND window, Point point) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return point;
    Point origin = ClientOriginOnScreen(desktop, *record);
    return {point.x + origin.x, point.y + origin.y};
}

Point ScreenToClient(HWND window, Point point) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return point;
    Point origin = ClientOriginOnScreen(desktop, *record);
    return {point.x - origin.x, point.y - origin.y};
}

HWND WindowFromPoint(Point screenPoint) {
    Desktop& desktop = UiDesktop();
    for (HWND top : desktop.topLevels) {
        WindowRecord& record = desktop.Get(top);
        if (!record.OwnVisible() || record.showState == ShowState::Minimized || !record.bounds.Contains(screenPoint))
            continue;
        if (!record.OwnEnabled()) continue;
        Point origin = ClientOriginOnScreen(desktop, record);
        Point client{screenPoint.x - origin.x, screenPoint.y - origin.y};
        if (!Rect::FromOriginAndSize({}, ClientSizeOf(record)).Contains(client)) return top;
        Point local;
        return HitTest(desktop, record, client, local);
    }
    return 0;
}

}  // namespace orvalis::platform
