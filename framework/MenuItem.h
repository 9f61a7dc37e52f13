#pragma once
// TMenuItem: an entry of a menu, with its caption ("&" marks the accelerator letter,
// "-" makes a separator), check mark, enabled and visible states, keyboard shortcut,
// OnClick handler, and the items of its submenu. An item read from a resource is owned
// by the form and placed under the menu or item it was written in, in resource order.
// A change of an item reaches the menu it belongs to, which shows it at once.

#include <cstdint>
#include <vector>

#include "classes/Component.h"
#include "classes/Events.h"
#include "framework/Control.h"
#include "platform/Menu.h"
#include "runtime/String.h"

namespace orvalis {

class TMenu;

// A key with its modifiers: the virtual-key code or'ed with scShift, scCtrl and scAlt.
using TShortCut = std::uint16_t;
inline constexpr TTypeInfo kShortCutType = IntegerType("TShortCut", ordUWord, 0, 65535);
enum : TShortCut { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };
constexpr TShortCut ShortCut(std::uint16_t key, TShiftState shift) {
    return static_cast<TShortCut>((key & 0xFF) | ((shift & ssShift) ? scShift : 0) | ((shift & ssCtrl) ? scCtrl : 0) |
                                  ((shift & ssAlt) ? scAlt : 0));
}

class TMenuItem : public TComponent {
    ORVALIS_TYPE_INFO(TMenuItem)

public:
    explicit TMenuItem(TComponent* owner);
    // Leaves its parent item; its own items stay with their owner, without a parent.
    ~TMenuItem() override;

    const String& Caption() const { return caption_; }
    void SetCaption(const String& caption);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; }
    TNotifyEvent OnClick;

    // The submenu.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    void Add(TMenuItem& item) { Insert(Count(), item); }
    void Insert(int index, TMenuItem& item);
    void Remove(TMenuItem& item);
    TMenuItem* ParentItem() const { return parent_; }
    // The menu the item belongs to (through its parent items), or null.
    TMenu* ParentMenu() const;

    // The id the platform's menu bar gives back when the item is chosen.
    std::uint32_t Command() const { return command_; }
    // The item with that command among this one and its submenu items; null when none.
    TMenuItem* FindItem(std::uint32_t command);
    // The enabled, visible item with that shortcut below this one; null when none.
    TMenuItem* FindShortCut(TShortCut shortCut);
    // Runs OnClick with the item as sender, when the item is enabled; nothing without handler.
    virtual void Click();
    // The item as the platform shows it, with its visible submenu items.
    platform::MenuItem NativeItem() const;

    void AttachToParent(TComponent* parent) override;
    TComponent* ParentComponent() const override;
    void EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) override;

private:
    friend class TMenu;
    // Tells the menu that it should show the change.
    void Changed();

    String caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    TShortCut shortCut_ = 0;
    std::uint32_t command_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // the root item's menu
    std::vector<TMenuItem*> items_;
};

}  // namespace orvalis
