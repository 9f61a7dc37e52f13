#pragma once
// The platform's messages: the record that travels through the queue, the message
// numbers the framework relies on (with their original values, so that message paths
// read the same in code), and the packing of their parameters.

#include <cstdint>

#include "platform/Geometry.h"

namespace orvalis::platform {

// A window handle. 0 is "no window"; handles are never reused within a run, so a
// handle kept after its window is gone simply names no window.
using HWND = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct Message {
    HWND hwnd = 0;
    std::uint32_t message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::uint32_t time = 0;  // the millisecond clock when the message was queued
    Point pt;                // the cursor, in screen coordinates, at that moment
    char32_t character = 0;  // key-down messages: the character the key produces (0: none)
};

enum : std::uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETTEXT = 0x000C,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_ENDSESSION = 0x0016,
    WM_SHOWWINDOW = 0x0018,
    WM_ACTIVATEAPP = 0x001C,
    WM_CANCELMODE = 0x001F,
    WM_NCDESTROY = 0x0082,

    WM_KEYFIRST = 0x0100,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_DEADCHAR = 0x0103,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_SYSDEADCHAR = 0x0107,
    WM_KEYLAST = 0x0108,  // one past the last key message

    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,  // 274
    WM_TIMER = 0x0113,       // 275

    WM_MOUSEFIRST = 0x0200,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSELAST = 0x0209,
    WM_CAPTURECHANGED = 0x0215,

    WM_USER = 0x0400,
    CM_BASE = 0xB000,  // the framework's own notifications
    CN_BASE = 0xBC00,  // reflected notifications: the message number plus CN_BASE
};

// WM_ACTIVATE: the low word of wParam.
enum : std::uint16_t { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
// WM_SIZE: wParam.
enum : WPARAM { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// Mouse messages: wParam, the buttons and modifier keys held.
enum : WPARAM { MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10 };
// WM_SYSCOMMAND: wParam.
enum : WPARAM { SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120 };

// Key messages: the bits of the 32-bit key data in lParam (repeat count 1 in the low word).
enum : std::uint32_t {
    KF_ALTDOWN = 0x20000000,  // Alt was held (the "context" bit)
    KF_REPEAT = 0x40000000,   // the key was already down
    KF_UP = 0x80000000,       // key-up messages
};

constexpr LPARAM MakeLParam(int low, int high) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>((low & 0xFFFF) | ((high & 0xFFFF) << 16)));
}
constexpr WPARAM MakeWParam(int low, int high) {
    return static_cast<WPARAM>(static_cast<std::uint32_t>(MakeLParam(low, high)));
}
constexpr std::uint16_t LoWord(std::uintptr_t value) { return static_cast<std::uint16_t>(value & 0xFFFF); }
constexpr std::uint16_t HiWord(std::uintptr_t value) { return static_cast<std::uint16_t>((value >> 16) & 0xFFFF); }
// The signed coordinates packed in a mouse message's lParam.
constexpr Point PointFromLParam(LPARAM lParam) {
    return {static_cast<std::int16_t>(LoWord(static_cast<std::uintptr_t>(lParam))),
            static_cast<std::int16_t>(HiWord(static_cast<std::uintptr_t>(lParam)))};
}
constexpr bool IsKeyMessage(std::uint32_t message) { return message >= WM_KEYFIRST && message < WM_KEYLAST; }
constexpr bool IsMouseMessage(std::uint32_t message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

}  // namespace orvalis::platform
