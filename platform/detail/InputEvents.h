#pragma once
// Internal: the user's input as a backend reported it (NativeInput.h), waiting in the
// queue to be routed when its message is taken.

#include <cstdint>
#include <variant>

#include "platform/Geometry.h"
#include "platform/Messages.h"
#include "platform/NativeInput.h"

namespace orvalis::platform::detail {

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

}  // namespace orvalis::platform::detail
