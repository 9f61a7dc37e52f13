#pragma once
// The messages of the control layer: the record that a control's WndProc handles, the
// framework's own notifications (CM_, from 0xB000), the reflected key notifications
// (CN_, the key message plus 0xBC00), and the dialog-code query with its answers.

#include <cstdint>

#include "platform/Messages.h"

namespace orvalis {

using platform::HWND;
using platform::LPARAM;
using platform::LRESULT;
using platform::WPARAM;

// A message as a control handles it; Result is what its window procedure answers.
struct TMessage {
    std::uint32_t Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

enum : std::uint32_t {
    CM_ACTIVATE = platform::CM_BASE + 0x00,    // a form becomes the focused form (OnActivate)
    CM_DEACTIVATE = platform::CM_BASE + 0x01,  // it stops being it (OnDeactivate)
    CM_DIALOGKEY = platform::CM_BASE + 0x05,   // a dialog key offered to the form and its controls
    CM_DIALOGCHAR = platform::CM_BASE + 0x06,  // a character offered as a mnemonic
    CM_PARENTFONTCHANGED = platform::CM_BASE + 0x08,
    CM_PARENTCOLORCHANGED = platform::CM_BASE + 0x09,
    CM_MOUSEENTER = platform::CM_BASE + 0x13,
    CM_MOUSELEAVE = platform::CM_BASE + 0x14,
    CM_APPKEYDOWN = platform::CM_BASE + 0x16,  // a key offered to the application's shortcuts
    CM_ENTER = platform::CM_BASE + 0x1A,       // a control gets the focus within its form
    CM_EXIT = platform::CM_BASE + 0x1B,        // it loses it
    CM_WANTSPECIALKEY = platform::CM_BASE + 0x1E,
    CM_RELEASE = platform::CM_BASE + 0x21,  // a form destroys itself (ReleaseLater)
    CM_CHILDKEY = platform::CM_BASE + 0x2E,

    CN_KEYDOWN = platform::CN_BASE + platform::WM_KEYDOWN,
    CN_KEYUP = platform::CN_BASE + platform::WM_KEYUP,
    CN_CHAR = platform::CN_BASE + platform::WM_CHAR,
    CN_SYSKEYDOWN = platform::CN_BASE + platform::WM_SYSKEYDOWN,
    CN_SYSKEYUP = platform::CN_BASE + platform::WM_SYSKEYUP,
    CN_SYSCHAR = platform::CN_BASE + platform::WM_SYSCHAR,

    // Which keys a control handles itself rather than leaving them to its form.
    WM_GETDLGCODE = 0x0087,
};

// The answers to WM_GETDLGCODE.
enum : std::uint32_t { DLGC_WANTARROWS = 0x01, DLGC_WANTTAB = 0x02, DLGC_WANTALLKEYS = 0x04, DLGC_WANTCHARS = 0x80 };

}  // namespace orvalis
