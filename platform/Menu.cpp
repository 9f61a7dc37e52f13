#include "platform/Menu.h"

#include <cassert>

#include "platform/detail/Desktop.h"
#include "platform/detail/WindowTree.h"

namespace orvalis::platform {

namespace {

const MenuItem* FindById(const std::vector<MenuItem>& items, std::uint32_t id) {
    for (const MenuItem& item : items) {
        if (!item.separator && item.items.empty() && item.id == id) return &item;
        if (const MenuItem* found = FindById(item.items, id)) return found;
    }
    return nullptr;
}

}  // namespace

void SetMenu(HWND window, std::optional<MenuBar> menu) {
    detail::Desktop& desktop = detail::UiDesktop();
    detail::WindowRecord* record = desktop.Find(window);
    if (!record) return;
    assert(record->IsTopLevel() && "only top-level windows have a menu bar");
    // The backend hears of the new bar before the new client size that it brings.
    detail::ChangeGeometry(
        desktop, window,
        [&](detail::WindowRecord& r) {
            r.menu = std::move(menu);
            r.menuWidth = r.menu ? desktop.backend->MenuBarWidth(*r.menu) : 0;
            if (r.native) desktop.backend->SetNativeMenu(window, r.menu ? &*r.menu : nullptr);
        },
        false);
}

const MenuBar* GetMenu(HWND window) {
    detail::WindowRecord* record = detail::UiDesktop().Find(window);
    return record && record->menu ? &*record->menu : nullptr;
}

int GetMenuBarWidth(HWND window) {
    detail::WindowRecord* record = detail::UiDesktop().Find(window);
    return record && record->menu ? record->menuWidth : 0;
}

std::string StripAccelerator(std::string_view caption) {
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        // "&" marks the next letter; "&&" stands for one "&".
        if (caption[i] == '&' && ++i == caption.size()) break;
        shown += caption[i];
    }
    return shown;
}

const MenuItem* FindMenuItem(const MenuBar& menu, const std::vector<std::string>& captionPath) {
    const std::vector<MenuItem>* items = &menu.items;
    const MenuItem* found = nullptr;
    for (const std::string& caption : captionPath) {
        found = nullptr;
        std::string wanted = StripAccelerator(caption);
        for (const MenuItem& item : *items) {
            if (!item.separator && StripAccelerator(item.caption) == wanted) {
                found = &item;
                break;
            }
        }
        if (!found) return nullptr;
        items = &found->items;
    }
    return found;
}

const MenuItem* FindMenuItemById(const MenuBar& menu, std::uint32_t id) { return FindById(menu.items, id); }

}  // namespace orvalis::platform
