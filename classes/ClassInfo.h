#pragma once
// The type information of a class: its name and parent class, its published
// properties, methods and fields, the classes of its fields and its virtual
// constructor; and the one set of lookup functions that find things by name in
// these tables. Names compare by length first, then by their characters without
// regard to ASCII letter case; a class is searched before its ancestors and the
// first match wins.
//
// A class builds its tables once, in its StaticClassInfo(), with the typed
// description of classes/ClassBuilder.h.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "classes/Events.h"
#include "classes/Object.h"
#include "classes/TypeInfo.h"
#include "runtime/String.h"
#include "runtime/TextConversions.h"

namespace orvalis {

class TCollection;
class TCollectionItem;
class TComponent;
class TPersistent;

template <class C, class Parent>
class TClassDescription;

// How a property is read or written: not at all, through a data member, or through
// a member function (a virtual one dispatches on the object's class as usual).
enum TAccessKind : std::uint8_t { accessNone, accessMember, accessFunction };

// A property value in the form the reader and the writer handle: every ordinal
// (integer, character, enumeration, set, Int64) as a 64-bit integer, floats as
// long double, texts, wide texts, object references and handlers.
using TPropValue = std::variant<std::int64_t, long double, String, std::u16string, TObject*, TMethod>;

class TPropInfo {
public:
    std::string_view Name() const { return name_; }
    const TTypeInfo& Type() const { return *type_; }
    TTypeKind Kind() const { return type_->kind; }
    TAccessKind ReadAccess() const { return readAccess_; }
    TAccessKind WriteAccess() const { return writeAccess_; }
    bool IsWritable() const { return writeAccess_ != accessNone; }
    // The index passed to indexed access functions; none for the others.
    const std::optional<int>& Index() const { return index_; }
    // The value that is not written to a form resource; none: always written.
    const std::optional<std::int64_t>& Default() const { return default_; }
    // Whether a form resource holds the property of `object`: always, never, or as a
    // rule of the object says (a colour taken from the parent is not held).
    bool IsStored(TObject& object) const { return !stored_ || stored_(object); }

    TPropValue Get(TObject& object) const;
    // Ordinals are cut to the type's storage size first. Raises EReadError
    // "Propriété en lecture seule" without write access, and "Valeur de propriété
    // incorrecte" for an object of another class or a handler of another signature.
    void Set(TObject& object, const TPropValue& value) const;

private:
    template <class, class>
    friend class TClassDescription;
    using Getter = std::function<TPropValue(const TPropInfo&, TObject&)>;
    using Setter = std::function<void(const TPropInfo&, TObject&, const TPropValue&)>;
    using StoredRule = std::function<bool(TObject&)>;

    std::string name_;
    const TTypeInfo* type_ = nullptr;
    TAccessKind readAccess_ = accessNone;
    TAccessKind writeAccess_ = accessNone;
    std::optional<int> index_;
    std::optional<std::int64_t> default_;
    StoredRule stored_;  // none: always stored
    Getter getter_;
    Setter setter_;
};

// A published method: a handler that form resources name.
class TMethodInfo {
public:
    std::string_view Name() const { return name_; }
    // The event type that the method fits.
    const TTypeInfo& Signature() const { return *signature_; }
    // The handler that calls this method on `receiver` (an instance of the class).
    TMethod BindTo(TObject& receiver) const { return bind_(receiver); }

private:
    template <class, class>
    friend class TClassDescription;

    std::string name_;
    const TTypeInfo* signature_ = nullptr;
    std::function<TMethod(TObject&)> bind_;
};

// A published field: a member of an owner that designates its owned component of
// the same name.
class TFieldInfo {
public:
    std::string_view Name() const { return name_; }
    const TClassInfo& FieldClass() const { return fieldClass_(); }
    TComponent* Get(TObject& owner) const { return get_(owner); }
    // Stores `component` (or null) when it is an instance of the field's class;
    // returns whether it did. A component of another class is never stored.
    bool Set(TObject& owner, TComponent* component) const;

private:
    template <class, class>
    friend class TClassDescription;

    std::string name_;
    TClassInfoGetter fieldClass_ = nullptr;
    std::function<TComponent*(TObject&)> get_;
    std::function<void(TObject&, TComponent*)> set_;
};

class TClassInfo {
public:
    TClassInfo(TClassInfo&&) = default;
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    std::string_view Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    // True for the class itself and for every class derived from `ancestor`.
    bool InheritsFrom(const TClassInfo& ancestor) const;

    // The tables of this class alone, in declaration order.
    std::span<const TPropInfo> Properties() const { return properties_; }
    std::span<const TMethodInfo> Methods() const { return methods_; }
    std::span<const TFieldInfo> Fields() const { return fields_; }
    // The distinct classes of this class's published fields.
    std::span<const TClassInfoGetter> FieldClasses() const { return fieldClasses_; }

    // Virtual constructors; a class has the one that fits its kind, or none when it
    // is abstract. Each runs AfterConstruction once the object is complete.
    bool CanCreateComponent() const { return createComponent_ != nullptr; }
    // The owner, when given, owns the new component; otherwise the caller does.
    TComponent* CreateComponent(TComponent* owner) const;
    bool CanCreate() const { return create_ != nullptr; }
    std::unique_ptr<TPersistent> Create() const;
    bool CanCreateItem() const { return createItem_ != nullptr; }
    // The new item belongs to the collection.
    TCollectionItem* CreateItem(TCollection& collection) const;

private:
    template <class, class>
    friend class TClassDescription;
    TClassInfo() = default;

    std::string name_;
    const TClassInfo* parent_ = nullptr;
    std::vector<TPropInfo> properties_;
    std::vector<TMethodInfo> methods_;
    std::vector<TFieldInfo> fields_;
    std::vector<TClassInfoGetter> fieldClasses_;
    TComponent* (*createComponent_)(TComponent* owner) = nullptr;
    std::unique_ptr<TPersistent> (*create_)() = nullptr;
    TCollectionItem* (*createItem_)(TCollection& collection) = nullptr;
};

// The lookup functions.

// The first element of `range` whose name (given by `nameOf`) matches `name`.
template <class Range, class NameOf>
auto FindByName(Range&& range, std::string_view name, NameOf nameOf) -> decltype(&*std::begin(range)) {
    for (auto& element : range)
        if (SameText(nameOf(element), name)) return &element;
    return nullptr;
}

const TPropInfo* FindProperty(const TClassInfo& cls, std::string_view name);
const TMethodInfo* FindMethod(const TClassInfo& cls, std::string_view name);
const TFieldInfo* FindField(const TClassInfo& cls, std::string_view name);
// A class of the field class tables of `cls` and of its ancestors, by class name.
const TClassInfo* FindFieldClass(const TClassInfo& cls, std::string_view className);
// The value of an enumeration element name, or -1.
int FindEnumValue(const TTypeInfo& enumeration, std::string_view name);
// The name of an enumeration value; empty when out of range.
std::string_view EnumValueName(const TTypeInfo& enumeration, std::int64_t value);
// The published method of `cls` or its ancestors that `handler` calls on `receiver`.
const TMethodInfo* FindMethodOf(const TClassInfo& cls, TObject& receiver, const TMethod& handler);
// Every published property of `cls`, its ancestors' first (the order of writing).
std::vector<const TPropInfo*> AllProperties(const TClassInfo& cls);

}  // namespace orvalis
