#pragma once
// The native menu bar of a top-level window, as a model: the backend shows it, and
// choosing an item posts WM_COMMAND (wParam: the item's id) to the window.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Messages.h"

namespace orvalis::platform {

struct MenuItem {
    std::uint32_t id = 0;
    std::string caption;  // "&" marks the accelerator letter, "&&" is a plain "&"
    bool enabled = true;
    bool checked = false;
    bool separator = false;
    std::vector<MenuItem> items{};  // a submenu when not empty: choosing the item opens it
};

struct MenuBar {
    std::vector<MenuItem> items{};
};

// Sets (or, with nullopt, removes) the menu bar of a top-level window. Its frame grows
// or shrinks by the menu bar's height and the client area with it (WM_SIZE).
//
// The bar stays on one line and whole: a window with a menu bar is never narrower than
// the bar's items (GetMenuBarWidth), whatever size the program or the user asks for; it
// is widened and its client area with it. (The original platform wraps a narrow
// window's bar onto more lines instead; either way every menu stays within reach.)
void SetMenu(HWND window, std::optional<MenuBar> menu);
// Null when the window has no menu bar.
const MenuBar* GetMenu(HWND window);
// The client width that the window's menu bar needs, as the backend measures it; 0
// without a bar.
int GetMenuBarWidth(HWND window);

// A caption as shown: "&" markers removed, "&&" kept as one "&".
std::string StripAccelerator(std::string_view caption);
// The item reached by following captions (compared as shown) from the bar; null when none.
const MenuItem* FindMenuItem(const MenuBar& menu, const std::vector<std::string>& captionPath);
// The item with that id anywhere in the bar; null when none.
const MenuItem* FindMenuItemById(const MenuBar& menu, std::uint32_t id);

}  // namespace orvalis::platform
