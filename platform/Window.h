#pragma once
// Windows: top-level windows (shown by the backend as native windows) and child
// windows (ours entirely), each with a window procedure bound to an object.
// Everything here runs on the user-interface thread.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Messages.h"

namespace orvalis::platform {

// The object a window's messages go to. The platform never owns it: the owner
// destroys the window (or rebinds it) before the object goes away.
class WindowProcedure {
public:
    virtual LRESULT WindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~WindowProcedure() = default;
};

// Window styles, with their original values. A window with a parent is a child
// window whatever its style says; the frame bits only shape top-level windows.
enum : std::uint32_t {
    WS_OVERLAPPED = 0x00000000,
    WS_MAXIMIZEBOX = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_THICKFRAME = 0x00040000,  // sizeable border, 4 pixels
    WS_SYSMENU = 0x00080000,
    WS_DLGFRAME = 0x00400000,  // fixed border, 3 pixels
    WS_BORDER = 0x00800000,    // thin border, 1 pixel
    WS_CAPTION = 0x00C00000,   // both bits: a caption bar of 19 pixels
    WS_MAXIMIZE = 0x01000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_DISABLED = 0x08000000,
    WS_VISIBLE = 0x10000000,
    WS_MINIMIZE = 0x20000000,
    WS_CHILD = 0x40000000,
    WS_POPUP = 0x80000000,
    WS_OVERLAPPEDWINDOW = 0x00CF0000,
    WS_TABSTOP = 0x00010000,
};
// Extended styles are kept for the framework's sake; they change nothing here.
enum : std::uint32_t { WS_EX_TOOLWINDOW = 0x00000080, WS_EX_CLIENTEDGE = 0x00000200 };
// Class styles.
enum : std::uint32_t { CS_DBLCLKS = 0x0008 };

// ShowWindow commands.
enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MAXIMIZE = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
};

// SetWindowPos flags and the insert-after values that are not windows.
enum : std::uint32_t {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOACTIVATE = 0x0010,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
};
constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;

// A window class: a name that windows are created under, and its class style.
struct WindowClass {
    std::string name;
    std::uint32_t style = 0;
};
// False when the name is empty or already registered.
bool RegisterWindowClass(const WindowClass& windowClass);
bool UnregisterWindowClass(std::string_view name);
bool IsWindowClassRegistered(std::string_view name);

struct CreateWindowParams {
    std::string className;  // a registered class
    std::string text;       // caption of a top-level window, text of a child
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    Rect bounds;      // top-level: outer frame in screen coordinates; child: in the parent's client area
    HWND parent = 0;  // 0: a top-level window
    WindowProcedure* procedure = nullptr;  // null: every message gets the default handling
};

// Creates the window and sends it WM_CREATE (lParam: the params); a result of -1
// destroys it again. Returns 0 for an unknown class or parent, or a refused WM_CREATE.
// WS_VISIBLE shows it at once (as ShowWindow(SW_SHOW) would).
HWND CreateWindow(const CreateWindowParams& params);
// WM_DESTROY to the window, then to its children (parent first); the handles are
// dead afterwards. Timers, posted messages, focus, capture and activation are settled.
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);

// The default handling: WM_CLOSE destroys, WM_PAINT validates, WM_SETTEXT stores the
// text, WM_ACTIVATE focuses the activated window, WM_SYSCOMMAND performs the command
// (SC_CLOSE sends WM_CLOSE), Alt+F4 asks to close, WM_CANCELMODE releases the capture.
LRESULT DefWindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);
WindowProcedure* GetWindowProcedure(HWND window);
// Binds another object; returns the previous one.
WindowProcedure* SetWindowProcedure(HWND window, WindowProcedure* procedure);
std::string GetClassName(HWND window);

// The parent chain.
HWND GetParent(HWND window);
// Moves a child window under another window (both children of one top-level window or not).
HWND SetParent(HWND child, HWND newParent);
HWND GetTopLevelWindow(HWND window);
bool IsChild(HWND parent, HWND window);  // window lies anywhere below parent
// Top-level windows and the children of a window, front first.
std::vector<HWND> GetTopLevelWindows();
std::vector<HWND> GetChildWindows(HWND window);

// The owner of a top-level window: the top-level window it belongs to, the one a dialog
// was opened from. The desktop keeps an owned window above its owner and treats it as
// the owner's dialog (never minimised on its own). 0: none; a child window has none.
void SetWindowOwner(HWND window, HWND owner);
HWND GetWindowOwner(HWND window);

// Visibility. ShowWindow returns whether the window was visible before; showing a
// top-level window activates it unless the command says otherwise.
bool ShowWindow(HWND window, int command);
// The window and every ancestor visible.
bool IsWindowVisible(HWND window);
bool IsIconic(HWND window);
bool IsZoomed(HWND window);

// Enabled state (WM_ENABLE on change). A disabled window, or one below a disabled
// window, gets no input. Returns whether the window was disabled before.
bool EnableWindow(HWND window, bool enable);
bool IsWindowEnabled(HWND window);  // the window's own state

// Sends WM_SETTEXT; the default handling stores the text (and titles the native window).
void SetWindowText(HWND window, std::string_view text);
std::string GetWindowText(HWND window);

std::uint32_t GetWindowStyle(HWND window);
std::uint32_t GetWindowExStyle(HWND window);
// Changes the frame of a top-level window at once (its outer bounds stay).
void SetWindowStyle(HWND window, std::uint32_t style);

// Geometry. Bounds are relative to the parent's client area (top-level: the outer
// frame in screen coordinates). Changes send WM_MOVE then WM_SIZE, as they happen.
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, std::uint32_t flags);
bool MoveWindow(HWND window, const Rect& bounds);
bool BringWindowToTop(HWND window);
Rect GetWindowBounds(HWND window);
Rect GetWindowRect(HWND window);  // outer bounds in screen coordinates
Rect GetClientRect(HWND window);  // (0, 0, client width, client height)
Point ClientToScreen(HWND window, Point point);
Point ScreenToClient(HWND window, Point point);
// The deepest visible, enabled window under a screen point (0: none).
HWND WindowFromPoint(Point screenPoint);

}  // namespace orvalis::platform
