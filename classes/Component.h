#pragma once
// TComponent: a persistent object with a name, an owner that destroys it and an
// ordered list of the components it owns. Naming a component also sets the owner's
// published field of that name (the way a form's code reaches its children).
//
// A component with an owner lives on the heap and belongs to the owner: the owner
// destroys its components, the last inserted first. Components are created, named
// and destroyed on the user-interface thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "classes/Persistent.h"
#include "runtime/String.h"

namespace orvalis {

class TReader;

enum TComponentStateFlag : std::uint16_t {
    stateLoading = 1 << 0,     // read from a resource; cleared by LoadingFinished
    stateReading = 1 << 1,     // its properties and children are being read
    stateDestroying = 1 << 2,  // being destroyed with its owner
    stateDesigning = 1 << 3,   // never set in this system
    stateInline = 1 << 4,      // an inline child, read with its own lookup scope
    stateFixups = 1 << 5,      // waits for references into a form not read yet
};
using TComponentState = std::uint16_t;

enum TComponentStyleFlag : std::uint8_t {
    styleSubComponent = 1 << 0,  // a part of its owner, reached through a property
};

enum TOperation : std::uint8_t { operationInsert, operationRemove };

class TComponent : public TPersistent {
    ORVALIS_TYPE_INFO(TComponent)

public:
    // Inserts the new component into `owner` when one is given.
    explicit TComponent(TComponent* owner);
    // Destroys the owned components (the last inserted first), then leaves the owner.
    ~TComponent() override;

    // The name: empty, or an identifier unique (without regard to case) among the
    // components of the same owner. Raises EComponentError "''%s'' n'est pas un nom
    // de composant correct" or "Un composant nommé %s existe déjà".
    const String& Name() const { return name_; }
    void SetName(const String& name);
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    // The first owned component named `name`, without regard to case; null for an
    // empty name.
    TComponent* FindComponent(std::string_view name) const;
    // Takes `component` (which has no owner) as the last owned component.
    void InsertComponent(TComponent& component);
    // Gives `component` up without destroying it; it has no owner afterwards.
    void RemoveComponent(TComponent& component);
    // Destroys the owned components, the last inserted first. A destructor that needs
    // them gone while its own members still exist calls it first.
    void DestroyComponents();
    // Marks this component and those it owns, at every depth, as being destroyed.
    void MarkDestroying();

    TComponentState State() const { return state_; }
    // Whether any of `flags` is set.
    bool HasState(TComponentState flags) const { return (state_ & flags) != 0; }
    void IncludeState(TComponentState flags) { state_ = static_cast<TComponentState>(state_ | flags); }
    void ExcludeState(TComponentState flags) { state_ = static_cast<TComponentState>(state_ & ~flags); }
    bool IsSubComponent() const { return (style_ & styleSubComponent) != 0; }
    void SetSubComponent(bool subComponent);

    // The design position of a non-visual component, stored as two 16-bit halves of
    // one design-information word (left in the low half). Read and written as the
    // custom properties Left and Top; not used otherwise.
    std::int32_t DesignInfo() const { return designInfo_; }
    void SetDesignInfo(std::int32_t designInfo) { designInfo_ = designInfo; }
    std::int16_t DesignLeft() const;
    std::int16_t DesignTop() const;
    void SetDesignLeft(std::int32_t left);
    void SetDesignTop(std::int32_t top);

    // What the form reader calls.
    // Reads the properties and children of this component: ReadBody by default.
    virtual void ReadOwnState(TReader& reader);
    // Once the whole chain of resources has been read: clears stateLoading.
    virtual void LoadingFinished();
    // Takes `parent` (the component whose body is being read) as parent: nothing here.
    virtual void AttachToParent(TComponent* parent);
    // The parent of the children read in this component's body: itself.
    virtual TComponent* ChildParent();
    // The owner of the children read in this component's body: null, meaning the root.
    virtual TComponent* ChildOwner();
    // Moves `child` to `position` among this component's children: nothing here.
    virtual void PlaceChildAt(TComponent& child, int position);
    // The parent of this component among components (a control's parent): none here.
    virtual TComponent* ParentComponent() const;
    // What the form writer calls: each child to write inside this component. Here
    // the owned components (sub-components excepted) when this is the root.
    virtual void EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root);

    // Offers Left and Top (the design position).
    void DeclareCustomProperties(TFiler& filer) override;
    // The name, or the class name while there is none.
    String NamePath() const override;

protected:
    // Told of each insertion into and removal from this component's owned list;
    // passes the news on to the owned components (so that a sibling can forget a
    // component it refers to). A component being removed no longer has its derived
    // parts when its own destructor reports it: compare addresses only.
    virtual void Notification(TComponent& component, TOperation operation);
    // Raises EComponentError "Un composant nommé %s existe déjà" when another owned
    // component is named `newName` and the rename is not a change of case.
    virtual void ValidateRename(TComponent& component, const String& oldName, const String& newName);

private:
    // Points the owner's published field `name` at `value` (clearing it only when it
    // designates this component).
    void SetOwnerField(const String& name, TComponent* value);

    TComponent* owner_ = nullptr;
    std::vector<std::unique_ptr<TComponent>> components_;
    String name_;
    std::int32_t tag_ = 0;
    std::int32_t designInfo_ = 0;
    TComponentState state_ = 0;
    std::uint8_t style_ = 0;
};

// While it lives, the next component constructed on this thread starts with `state`
// (the reader marks inline children loading and inline before their constructors run).
class TNextComponentState {
public:
    explicit TNextComponentState(TComponentState state);
    TNextComponentState(const TNextComponentState&) = delete;
    TNextComponentState& operator=(const TNextComponentState&) = delete;
    ~TNextComponentState();
};

}  // namespace orvalis
