#pragma once
// Internal: the activation, focus, capture and key state kept as windows come and go
// and as input is taken (Focus.cpp).

#include <cstdint>

#include "platform/Messages.h"

namespace orvalis::platform::detail {

struct Desktop;
struct KeyInput;

void ActivateWindow(Desktop& desktop, HWND window, std::uint16_t how);
// After the active window went away (hidden, destroyed, minimised): the next candidate.
void ActivateNext(Desktop& desktop, HWND leaving);
// The focus or capture inside `subtree` moves out of it (to `fallback`, or nowhere).
void MoveFocusOutOf(Desktop& desktop, HWND subtree, HWND fallback);
void ReleaseCaptureInside(Desktop& desktop, HWND subtree);
// A key taken from the input, or dropped because its window could not take it: the key
// state follows the keyboard whichever window the key was aimed at.
void RecordKeyInput(Desktop& desktop, const KeyInput& key);

}  // namespace orvalis::platform::detail
