#include "framework/MenuItem.h"

#include <algorithm>
#include <cassert>

#include "classes/ClassBuilder.h"
#include "framework/Menu.h"

namespace orvalis {
namespace {

// Commands are never reused within a run, so a stale choice names no item.
std::uint32_t NextCommand() {
    static std::uint32_t next = 1;
    return next++;
}

}  // namespace

const TClassInfo& TMenuItem::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TMenuItem, TComponent>("TMenuItem")
                                       .Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
                                       .Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
                                       .Default(false)
                                       .Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
                                       .Default(true)
                                       .Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut)
                                       .Type(kShortCutType)
                                       .Default(0)
                                       .Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
                                       .Default(true)
                                       .Property("OnClick", &TMenuItem::OnClick);
    return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
    for (TMenuItem* item : items_) item->parent_ = nullptr;
    items_.clear();
    if (parent_) parent_->Remove(*this);
}

void TMenuItem::SetCaption(const String& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed();
}

void TMenuItem::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed();
}

TMenuItem* TMenuItem::Items(int index) const {
    assert(index >= 0 && index < Count());
    return items_[static_cast<std::size_t>(index)];
}

void TMenuItem::Insert(int index, TMenuItem& item) {
    assert(!item.parent_ && &item != this && "an item has one parent");
    assert(index >= 0 && index <= Count());
    items_.insert(items_.begin() + index, &item);
    item.parent_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem& item) {
    std::erase(items_, &item);
    item.parent_ = nullptr;
    Changed();
}

TMenu* TMenuItem::ParentMenu() const {
    const TMenuItem* root = this;
    while (root->parent_) root = root->parent_;
    return root->menu_;
}

TMenuItem* TMenuItem::FindItem(std::uint32_t command) {
    if (command == command_) return this;
    for (TMenuItem* item : items_)
        if (TMenuItem* found = item->FindItem(command)) return found;
    return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut) {
    for (TMenuItem* item : items_) {
        if (!item->visible_ || !item->enabled_) continue;
        if (item->shortCut_ == shortCut && item->shortCut_ != 0) return item;
        if (TMenuItem* found = item->FindShortCut(shortCut)) return found;
    }
    return nullptr;
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

platform::MenuItem TMenuItem::NativeItem() const {
    platform::MenuItem native{command_, caption_.ToStdString(), enabled_, checked_, caption_ == "-"};
    for (const TMenuItem* item : items_)
        if (item->visible_) native.items.push_back(item->NativeItem());
    return native;
}

void TMenuItem::AttachToParent(TComponent* parent) {
    if (parent_) parent_->Remove(*this);
    if (auto* menu = dynamic_cast<TMenu*>(parent))
        menu->Items().Add(*this);
    else if (auto* item = dynamic_cast<TMenuItem*>(parent))
        item->Add(*this);
}

TComponent* TMenuItem::ParentComponent() const {
    if (parent_ && parent_->menu_) return parent_->menu_;
    return parent_;
}

void TMenuItem::EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) {
    for (TMenuItem* item : items_)
        if (item->Owner() == &root) visit(*item);
}

void TMenuItem::Changed() {
    if (TMenu* menu = ParentMenu()) menu->MenuChanged();
}

}  // namespace orvalis
