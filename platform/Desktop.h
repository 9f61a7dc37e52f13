#pragma once
// Internal to the platform layer: the state behind the free functions (windows, queue,
// timers, focus, running dialogs) and the helpers the sources share. One Desktop exists
// while a backend is installed.

#include <cairo.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Backend.h"
#include "platform/Geometry.h"
#include "platform/Menu.h"
#include "platform/Messages.h"
#include "platform/NativeInput.h"
#include "platform/NonClientMetrics.h"
#include "platform/OpenFileDialog.h"
#include "platform/PostedQueue.h"
#include "platform/TimerTable.h"
#include "platform/Window.h"

namespace orvalis::platform::detail {

struct RegionDeleter {
    void operator()(cairo_region_t* region) const { cairo_region_destroy(region); }
};
using RegionPtr = std::unique_ptr<cairo_region_t, RegionDeleter>;
struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// Visiting a variant with one lambda per alternative.
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
// Spelled out for the compilers that do not deduce an aggregate's arguments (clang < 17).
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

inline RegionPtr MakeRegion(const Rect& rect) {
    cairo_rectangle_int_t r{rect.left, rect.top, rect.Width(), rect.Height()};
    return RegionPtr(rect.IsEmpty() ? cairo_region_create() : cairo_region_create_rectangle(&r));
}

enum class ShowState { Normal, Minimized, Maximized };

struct WindowRecord {
    HWND handle = 0;
    HWND parent = 0;
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

struct KeyInput {
    int virtualKey = 0;
    char32_t character = 0;
    unsigned modifiers = 0;
    bool down = false;
    bool repeat = false;
};
struct MouseInput {
    enum class Kind { Move, Down, Up } kind = Kind::Move;
    HWND topLevel = 0;
    Point client;
    native::MouseButton button = native::MouseButton::Left;
    bool doubleClick = false;
    unsigned modifiers = 0;
};
struct InputEvent {
    std::variant<KeyInput, MouseInput> event;
    std::uint32_t time = 0;
};

// Backend reports other than input, handled in order before the queue is looked at.
struct CloseEvent {
    HWND window;
};
struct MenuEvent {
    HWND window;
    std::uint32_t id;
};
struct ActivatedEvent {
    HWND window;
};
struct ResizedEvent {
    HWND window;
    Size client;
};
struct MovedEvent {
    HWND window;
    Point position;
};
struct ScaleEvent {
    HWND window;
    int scale;
};
struct BoxAnsweredEvent {
    int dialog;
    int button;
};
struct FilterChangedEvent {
    int dialog;
    int filterIndex;
};
struct FolderChangedEvent {
    int dialog;
    std::string folder;
};
struct SelectionChangedEvent {
    int dialog;
    std::string path;
};
struct ConfirmedEvent {
    int dialog;
    std::string folder;
    std::vector<std::string> names;
    bool readOnly;
};
struct CancelledEvent {
    int dialog;
};
struct AccessibleRequestEvent {
    HWND window;
    AccessibleRequest request;
};
using NativeEvent = std::variant<CloseEvent, MenuEvent, ActivatedEvent, ResizedEvent, MovedEvent, ScaleEvent,
                                 BoxAnsweredEvent, FilterChangedEvent, FolderChangedEvent, SelectionChangedEvent,
                                 ConfirmedEvent, CancelledEvent, AccessibleRequestEvent>;

// A message box or file dialog while its modal loop runs.
struct MessageBoxRun {
    bool answered = false;
    int answer = 0;
};
struct FileDialogRun {
    const OpenFileRequest* request = nullptr;
    OpenFileHooks* hooks = nullptr;
    FileDialogState state;
    bool finished = false;
    bool confirmed = false;
    OpenFileResult result;
};

struct Desktop {
    explicit Desktop(std::unique_ptr<Backend> backend);
    ~Desktop();

    WindowRecord* Find(HWND window);
    WindowRecord& Get(HWND window);  // asserts that the window lives

    std::unique_ptr<Backend> backend;
    std::thread::id uiThread;

    std::unordered_map<HWND, std::unique_ptr<WindowRecord>> windows;
    std::vector<HWND> topLevels;  // front first
    std::map<std::string, WindowClass, std::less<>> classes;
    HWND nextHandle = 0x10000;

    PostedQueue posted;
    std::deque<InputEvent> input;
    std::deque<NativeEvent> native;
    bool quitPending = false;
    int quitCode = 0;
    TimerTable timers;

    HWND focus = 0;
    HWND active = 0;
    HWND capture = 0;
    std::array<std::uint8_t, 256> keyState{};
    Point cursor;

    int nextDialog = 1;
    std::map<int, MessageBoxRun*> messageBoxes;
    std::map<int, FileDialogRun*> fileDialogs;
    unsigned dialogEvents = 0;  // grows with each dialog report handled
    bool sessionEnding = false;

    SurfacePtr scratch;  // GetDC(0)
};

// The installed desktop; asserts that there is one.
Desktop& TheDesktop();
// The installed desktop asserted to be used from the user-interface thread.
Desktop& UiDesktop();

// Window.cpp
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

// Painting.cpp
// The part of the window that shows, in its top-level window's client coordinates:
// within the top-level window's surface (below), so nothing off the screen is painted.
RegionPtr VisibleRegion(Desktop& desktop, const WindowRecord& record);
// Invalidates (with erase) an area of a top-level client area in every window it shows.
void InvalidateArea(Desktop& desktop, WindowRecord& topLevel, const cairo_region_t* area);
void InvalidateWholeTree(Desktop& desktop, WindowRecord& topLevel);
// The size of a top-level window's surface in units: its client area from the client
// origin, up to where the screen can show it (the screen's size, more when the window
// lies partly left of or above the screen). A picture larger than the screen is then
// painted, and kept, only as far as it can be seen.
Size SurfaceSizeOf(Desktop& desktop, const WindowRecord& topLevel);
// Makes the surface match that size and the device scale, keeping the pixels that
// still fit.
void SyncSurface(Desktop& desktop, WindowRecord& topLevel);
HWND FindWindowToPaint(Desktop& desktop);

// Focus.cpp
void ActivateWindow(Desktop& desktop, HWND window, std::uint16_t how);
// After the active window went away (hidden, destroyed, minimised): the next candidate.
void ActivateNext(Desktop& desktop, HWND leaving);
// The focus or capture inside `subtree` moves out of it (to `fallback`, or nowhere).
void MoveFocusOutOf(Desktop& desktop, HWND subtree, HWND fallback);
void ReleaseCaptureInside(Desktop& desktop, HWND subtree);
void RecordKeyMessage(Desktop& desktop, const Message& message);

// MessageQueue.cpp
void ProcessNativeEvents(Desktop& desktop);

// EndSession.cpp: the signal that asked for the end of the session, not yet delivered.
bool TakeEndSessionNotice();
bool IsEndSessionNoticePending();

// MessageBox.cpp, OpenFileDialog.cpp
void HandleMessageBoxAnswer(Desktop& desktop, const BoxAnsweredEvent& event);
void HandleFileDialogEvent(Desktop& desktop, const NativeEvent& event);

// Accessibility.cpp: an assistive tool's request sent to its window; the description of
// every shown window handed to a backend that shows them to assistive tools.
void HandleAccessibleRequest(Desktop& desktop, const AccessibleRequestEvent& event);
void ShowAccessibleTrees(Desktop& desktop);

// ModalLoop.cpp: pumps the queue (peek, translate, dispatch; wait when empty) until
// `done` holds, a WM_QUIT is taken (it is posted again for the loop outside) or the
// session ends. Returns done().
bool RunModalLoop(const std::function<bool()>& done);

}  // namespace orvalis::platform::detail
