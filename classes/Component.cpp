#include "classes/Component.h"

#include <algorithm>
#include <cassert>

#include "classes/ClassBuilder.h"
#include "classes/Reader.h"
#include "classes/Writer.h"
#include "classes/detail/LoadingState.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

thread_local TComponentState nextComponentState = 0;

bool IsIdentifierStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentifierChar(char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }

bool IsIdentifier(std::string_view text) {
    if (text.empty() || !IsIdentifierStart(text[0])) return false;
    return std::all_of(text.begin() + 1, text.end(), IsIdentifierChar);
}

}  // namespace

const TClassInfo& TComponent::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TComponent, TPersistent>("TComponent")
                                       .Property("Name", &TComponent::Name, &TComponent::SetName)
                                       .Stored(false)
                                       .Property("Tag", &TComponent::Tag, &TComponent::SetTag)
                                       .Default(0);
    return info;
}

TNextComponentState::TNextComponentState(TComponentState state) { nextComponentState = state; }
TNextComponentState::~TNextComponentState() { nextComponentState = 0; }

TComponent::TComponent(TComponent* owner) : state_(nextComponentState) {
    nextComponentState = 0;
    if (owner) owner->InsertComponent(*this);
}

TComponent::~TComponent() {
    MarkDestroying();
    loading::ForgetComponent(*this);
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(*this);
}

TComponent* TComponent::Components(int index) const {
    assert(index >= 0 && index < ComponentCount());
    return components_[static_cast<std::size_t>(index)].get();
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    const auto* found =
        FindByName(components_, name, [](const std::unique_ptr<TComponent>& c) { return c->Name().View(); });
    return found ? found->get() : nullptr;
}

void TComponent::SetName(const String& name) {
    if (name == name_) return;
    if (!name.IsEmpty() && !IsIdentifier(name.View())) throw EComponentError(ResId::InvalidComponentName, {name});
    if (owner_) owner_->ValidateRename(*this, name_, name);
    SetOwnerField(name_, nullptr);
    name_ = name;
    SetOwnerField(name_, this);
}

void TComponent::ValidateRename(TComponent& component, const String& oldName, const String& newName) {
    if (SameText(oldName.View(), newName.View())) return;
    const TComponent* other = FindComponent(newName.View());
    if (other && other != &component) throw EComponentError(ResId::DuplicateComponentName, {newName});
}

void TComponent::SetOwnerField(const String& name, TComponent* value) {
    if (!owner_ || name.IsEmpty() || owner_->HasState(stateDestroying)) return;
    const TFieldInfo* field = FindField(owner_->ClassInfo(), name.View());
    if (!field) return;
    if (!value && field->Get(*owner_) != this) return;
    field->Set(*owner_, value);
}

void TComponent::InsertComponent(TComponent& component) {
    assert(!component.owner_ && "a component has one owner");
    ValidateRename(component, String(), component.name_);
    components_.emplace_back(&component);
    component.owner_ = this;
    component.SetOwnerField(component.name_, &component);
    Notification(component, operationInsert);
}

void TComponent::RemoveComponent(TComponent& component) {
    assert(component.owner_ == this && "removing a component of another owner");
    Notification(component, operationRemove);
    component.SetOwnerField(component.name_, nullptr);
    const auto held = std::find_if(components_.begin(), components_.end(),
                                   [&](const std::unique_ptr<TComponent>& c) { return c.get() == &component; });
    assert(held != components_.end());
    held->release();  // given up, not destroyed
    components_.erase(held);
    component.owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        // Detached first, so that its destructor neither notifies this owner nor
        // touches its fields: the owner may be half destroyed already.
        std::unique_ptr<TComponent> last = std::move(components_.back());
        components_.pop_back();
        last->owner_ = nullptr;
        last.reset();
    }
}

void TComponent::MarkDestroying() {
    IncludeState(stateDestroying);
    for (const auto& component : components_) component->MarkDestroying();
}

void TComponent::Notification(TComponent& component, TOperation operation) {
    for (std::size_t i = components_.size(); i > 0; --i) {
        if (i > components_.size()) continue;  // a handler removed components meanwhile
        TComponent* owned = components_[i - 1].get();
        if (owned != &component) owned->Notification(component, operation);
    }
}

void TComponent::SetSubComponent(bool subComponent) {
    style_ = subComponent ? static_cast<std::uint8_t>(style_ | styleSubComponent)
                          : static_cast<std::uint8_t>(style_ & ~styleSubComponent);
}

std::int16_t TComponent::DesignLeft() const { return static_cast<std::int16_t>(designInfo_ & 0xFFFF); }

std::int16_t TComponent::DesignTop() const {
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(designInfo_) >> 16);
}

void TComponent::SetDesignLeft(std::int32_t left) {
    const auto info = static_cast<std::uint32_t>(designInfo_);
    designInfo_ = static_cast<std::int32_t>((info & 0xFFFF0000u) | (static_cast<std::uint32_t>(left) & 0xFFFFu));
}

void TComponent::SetDesignTop(std::int32_t top) {
    const auto info = static_cast<std::uint32_t>(designInfo_);
    designInfo_ = static_cast<std::int32_t>((info & 0xFFFFu) | (static_cast<std::uint32_t>(top) << 16));
}

void TComponent::ReadOwnState(TReader& reader) { reader.ReadBody(*this); }

void TComponent::LoadingFinished() { ExcludeState(stateLoading); }

void TComponent::AttachToParent(TComponent*) {}

TComponent* TComponent::ChildParent() { return this; }

TComponent* TComponent::ChildOwner() { return nullptr; }

void TComponent::PlaceChildAt(TComponent&, int) {}

TComponent* TComponent::ParentComponent() const { return nullptr; }

void TComponent::EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) {
    if (this != &root) return;
    for (std::size_t i = 0; i < components_.size(); ++i)
        if (!components_[i]->IsSubComponent()) visit(*components_[i]);
}

void TComponent::DeclareCustomProperties(TFiler& filer) {
    const auto* ancestor = dynamic_cast<const TComponent*>(filer.Ancestor());
    const std::int32_t ancestorInfo = ancestor ? ancestor->designInfo_ : 0;
    const auto ancestorLeft = static_cast<std::int16_t>(ancestorInfo & 0xFFFF);
    const auto ancestorTop = static_cast<std::int16_t>(static_cast<std::uint32_t>(ancestorInfo) >> 16);
    filer.OfferCustomProperty(
        "Left", [this](TReader& reader) { SetDesignLeft(reader.ReadInteger()); },
        [this](TWriter& writer) { writer.WriteInteger(DesignLeft()); }, DesignLeft() != ancestorLeft);
    filer.OfferCustomProperty(
        "Top", [this](TReader& reader) { SetDesignTop(reader.ReadInteger()); },
        [this](TWriter& writer) { writer.WriteInteger(DesignTop()); }, DesignTop() != ancestorTop);
}

String TComponent::NamePath() const { return name_.IsEmpty() ? String(ClassName()) : name_; }

}  // namespace orvalis
