#pragma once
// Internal to the platform layer: the state behind the free functions (windows, queue,
// timers, focus, running dialogs). One Desktop exists while a backend is installed.
// The records it holds and the helpers that the sources share have headers of their
// own, one a concern (docs/platform.md lists them).

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/Backend.h"
#include "platform/CairoPointers.h"
#include "platform/Geometry.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "platform/detail/InputEvents.h"
#include "platform/detail/NativeEvents.h"
#include "platform/detail/PostedQueue.h"
#include "platform/detail/TimerTable.h"

namespace orvalis::platform::detail {

struct WindowRecord;
struct MessageBoxRun;
struct FileDialogRun;

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

}  // namespace orvalis::platform::detail
