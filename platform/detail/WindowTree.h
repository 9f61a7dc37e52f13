#pragma once
// Internal: the record the platform layer keeps of each window, and the helpers
// (Window.cpp) that the sources share to walk the tree of windows and to change a
// window's geometry.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/CairoPointers.h"
#include "platform/Geometry.h"
#include "platform/Menu.h"
#include "platform/Messages.h"
#include "platform/NonClientMetrics.h"
#include "platform/Window.h"

namespace orvalis::platform::detail {

struct Desktop;

enum class ShowState { Normal, Minimized, Maximized };

struct WindowRecord {
    HWND handle = 0;
    HWND parent = 0;
    HWND owner = 0;              // top-level: the window it belongs to (SetWindowOwner)
    std::vector<HWND> children;  // front first
    std::string className;
    std::uint32_t classStyle = 0;
    std::string text;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    Rect bounds;         // parent's client coordinates; top-level: outer frame on the screen
    Rect restoreBounds;  // top-level: the bounds to come back to from minimised or maximised
    ShowState showState = ShowState::Normal;
    WindowProcedure* procedure = nullptr;
    std::optional<MenuBar> menu;
    int menuWidth = 0;  // the client width that the menu bar's items need
    RegionPtr update;   // the invalid area, client coordinates; never null
    bool erasePending = false;
    SurfacePtr surface;   // top-level windows only, made when first needed
    int scale = 1;        // top-level windows: device pixels per unit of the screen they show on
    bool native = false;  // the backend shows a native window for it
    bool destroying = false;

    bool IsTopLevel() const { return parent == 0; }
    bool OwnVisible() const { return (style & WS_VISIBLE) != 0; }
    bool OwnEnabled() const { return (style & WS_DISABLED) == 0; }
};

FrameInsets InsetsOf(const WindowRecord& record);
Size ClientSizeOf(const WindowRecord& record);
// The window's client origin in its top-level window's client coordinates.
Point ClientOriginInTop(Desktop& desktop, const WindowRecord& record);
Point ClientOriginOnScreen(Desktop& desktop, const WindowRecord& record);
bool IsShowing(Desktop& desktop, const WindowRecord& record);     // it and its ancestors visible
bool AcceptsInput(Desktop& desktop, const WindowRecord& record);  // it and its ancestors enabled
WindowRecord& TopLevelOf(Desktop& desktop, WindowRecord& record);
bool IsInside(Desktop& desktop, HWND window, HWND ancestor);  // window is ancestor or below it
// The deepest visible, enabled window at a point of a top-level client area, with the
// point in that window's client coordinates. 0 when the top-level window is disabled.
HWND HitTest(Desktop& desktop, WindowRecord& topLevel, Point client, Point& local);
// Pre-order walk of a window and its descendants, front children first.
void CollectTree(Desktop& desktop, HWND root, std::vector<HWND>& out);
// Changes what shapes a window (bounds, frame style, menu bar) and settles the
// consequences: surface, native window, invalidation, then WM_MOVE and WM_SIZE.
void ChangeGeometry(Desktop& desktop, HWND window, const std::function<void(WindowRecord&)>& change, bool fromBackend);
void ApplyBounds(Desktop& desktop, HWND window, const Rect& bounds, bool fromBackend);
LRESULT Send(Desktop& desktop, HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);

}  // namespace orvalis::platform::detail
