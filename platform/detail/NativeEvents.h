#pragma once
// Internal: what a backend reported other than input (NativeInput.h), waiting in the
// queue; MessageQueue.cpp handles it.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/Messages.h"

namespace orvalis::platform::detail {

struct Desktop;

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
struct ThemeChangedEvent {};
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
                                 ThemeChangedEvent, BoxAnsweredEvent, FilterChangedEvent, FolderChangedEvent,
                                 SelectionChangedEvent, ConfirmedEvent, CancelledEvent, AccessibleRequestEvent>;

void ProcessNativeEvents(Desktop& desktop);

}  // namespace orvalis::platform::detail
