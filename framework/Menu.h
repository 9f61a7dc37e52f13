#pragma once
// TMenu: a menu, whose items hang under a root item (Items), and TMainMenu, the menu of
// a form's menu bar: the form shows it as the platform's native menu bar, and choosing
// an item there (WM_COMMAND with the item's command) runs the item's Click. Each change
// of an item shows at once. TPopupMenu: the menu that a control names as its PopupMenu;
// this platform does not show pop-up menus, so it only holds its items (and their
// shortcuts do nothing either: only the form's main menu is asked for them).

#include <cstdint>

#include "framework/MenuItem.h"
#include "platform/Menu.h"

namespace orvalis {

class TCustomForm;

class TMenu : public TComponent {
    ORVALIS_TYPE_INFO(TMenu)

public:
    explicit TMenu(TComponent* owner);

    // The root item: the menu's items are its submenu.
    TMenuItem& Items() const { return *items_; }
    TMenuItem* FindItem(std::uint32_t command) { return items_->FindItem(command); }
    // Clicks the enabled, visible item whose shortcut is the key (with the keyboard's
    // modifiers); false when there is none.
    bool IsShortCut(const TWMKey& key);

    // Items written inside the menu in a resource come under the root item.
    void EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) override;

protected:
    // An item changed: shows it. Nothing here.
    virtual void MenuChanged();

private:
    friend class TMenuItem;
    TMenuItem* items_;  // owned as a component of the menu
};

class TMainMenu : public TMenu {
    ORVALIS_TYPE_INFO(TMainMenu)

public:
    explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
    // The form that shows it forgets it.
    ~TMainMenu() override;

    // The form whose menu bar this is (set by the form's Menu).
    TCustomForm* Form() const { return form_; }
    void AttachForm(TCustomForm& form);
    void DetachForm(TCustomForm& form);
    // The native menu bar: the visible items and their submenus, in order.
    platform::MenuBar BuildMenuBar() const;

protected:
    void MenuChanged() override;

private:
    TCustomForm* form_ = nullptr;
};

class TPopupMenu : public TMenu {
    ORVALIS_TYPE_INFO(TPopupMenu)

public:
    explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}
};

}  // namespace orvalis
