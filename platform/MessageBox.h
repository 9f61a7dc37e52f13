#pragma once
// The platform's message box. It runs the platform's modal loop: queued messages keep
// being translated and dispatched while it is open (timers tick, and a handler may open
// another box above it). The caller disables the other windows; input for disabled
// windows is dropped by the queue anyway.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/Messages.h"

namespace orvalis::platform {

// Flags: the low four bits choose the buttons, the next four the icon.
enum : std::uint32_t {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_TYPEMASK = 0xF,
    MB_ICONHAND = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = 0x30,
    MB_ICONASTERISK = 0x40,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_DEFMASK = 0xF00,
    MB_APPLMODAL = 0x0000,
    MB_SYSTEMMODAL = 0x1000,
    MB_TASKMODAL = 0x2000,
    MB_RTLREADING = 0x100000,
};

// The answers: the button pressed.
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

struct MessageBoxRequest {
    HWND owner = 0;
    std::string text;
    std::string caption;
    std::uint32_t flags = 0;
};

// The buttons the flags ask for, in the order they are shown.
std::span<const int> MessageBoxButtons(std::uint32_t flags);
// The answer a box gives when it is closed without a choice (the session ends, the
// queue quits): Cancel when it has one, else No, else Abort, else OK.
int MessageBoxDismissAnswer(std::uint32_t flags);

// Shows the box and returns the button pressed. A WM_QUIT taken from the queue while it
// is open closes it (dismiss answer) and is posted again for the loop outside; so does
// the end of the session.
int MessageBox(HWND owner, std::string_view text, std::string_view caption, std::uint32_t flags);
// The default beep.
void MessageBeep();

}  // namespace orvalis::platform
