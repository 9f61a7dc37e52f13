#include "framework/Menu.h"

#include "classes/ClassBuilder.h"
#include "framework/Form.h"
#include "platform/Messages.h"

namespace orvalis {

const TClassInfo& TMenu::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TMenu, TComponent>("TMenu");
    return info;
}

const TClassInfo& TMainMenu::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TMainMenu, TMenu>("TMainMenu");
    return info;
}

const TClassInfo& TPopupMenu::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TPopupMenu, TMenu>("TPopupMenu");
    return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) { items_->menu_ = this; }

bool TMenu::IsShortCut(const TWMKey& key) {
    TShiftState shift = KeyboardShiftState();
    if (static_cast<std::uint32_t>(key.KeyData) & platform::KF_ALTDOWN) shift |= ssAlt;
    TMenuItem* item = items_->FindShortCut(ShortCut(key.CharCode, shift));
    if (!item) return false;
    item->Click();
    return true;
}

void TMenu::EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) {
    items_->EnumerateChildren(visit, root);
}

void TMenu::MenuChanged() {}

TMainMenu::~TMainMenu() {
    if (form_) form_->SetMenu(nullptr);
}

void TMainMenu::AttachForm(TCustomForm& form) {
    if (form_ && form_ != &form) form_->SetMenu(nullptr);
    form_ = &form;
}

void TMainMenu::DetachForm(TCustomForm& form) {
    if (form_ == &form) form_ = nullptr;
}

platform::MenuBar TMainMenu::BuildMenuBar() const {
    platform::MenuBar bar;
    for (int i = 0; i < Items().Count(); ++i)
        if (Items().Items(i)->Visible()) bar.items.push_back(Items().Items(i)->NativeItem());
    return bar;
}

void TMainMenu::MenuChanged() {
    if (form_) form_->MenuChanged();
}

}  // namespace orvalis
