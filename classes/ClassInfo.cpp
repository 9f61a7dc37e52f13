#include "classes/ClassInfo.h"

#include <cassert>

#include "classes/Collection.h"
#include "classes/Component.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

// The first entry named `name` in the tables of `cls`, then of its ancestors.
template <class Entry>
const Entry* FindInClassChain(const TClassInfo& cls, std::span<const Entry> (TClassInfo::*table)() const,
                              std::string_view name) {
    for (const TClassInfo* c = &cls; c; c = c->Parent())
        if (const Entry* entry = FindByName((c->*table)(), name, [](const Entry& e) { return e.Name(); })) return entry;
    return nullptr;
}

}  // namespace

TPropValue TPropInfo::Get(TObject& object) const {
    assert(getter_ && "a published property can be read");
    return getter_(*this, object);
}

void TPropInfo::Set(TObject& object, const TPropValue& value) const {
    if (!setter_) throw EReadError(ResId::ReadOnlyProperty);
    switch (Kind()) {
        case kindClass: {
            TObject* const* reference = std::get_if<TObject*>(&value);
            assert(reference && "an object property takes an object");
            if (*reference && !(*reference)->InheritsFrom(Type().ClassOf()))
                throw EReadError(ResId::InvalidPropertyValue);
            return setter_(*this, object, value);
        }
        case kindMethod: {
            const TMethod* handler = std::get_if<TMethod>(&value);
            assert(handler && "an event property takes a handler");
            if (handler->IsAssigned() && handler->Signature() != &Type()) throw EReadError(ResId::InvalidPropertyValue);
            return setter_(*this, object, value);
        }
        default:
            if (IsOrdinalKind(Kind())) {
                const std::int64_t* ordinal = std::get_if<std::int64_t>(&value);
                assert(ordinal && "an ordinal property takes an integer");
                return setter_(*this, object, FitOrdinal(Type(), *ordinal));
            }
            return setter_(*this, object, value);
    }
}

bool TFieldInfo::Set(TObject& owner, TComponent* component) const {
    if (component && !component->InheritsFrom(FieldClass())) return false;
    set_(owner, component);
    return true;
}

bool TClassInfo::InheritsFrom(const TClassInfo& ancestor) const {
    for (const TClassInfo* c = this; c; c = c->Parent())
        if (c == &ancestor) return true;
    return false;
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const {
    assert(createComponent_ && "a component class with a constructor taking its owner");
    return createComponent_(owner);
}

std::unique_ptr<TPersistent> TClassInfo::Create() const {
    assert(create_ && "a class with a constructor taking nothing");
    return create_();
}

TCollectionItem* TClassInfo::CreateItem(TCollection& collection) const {
    assert(createItem_ && "a collection item class");
    return createItem_(collection);
}

const TPropInfo* FindProperty(const TClassInfo& cls, std::string_view name) {
    return FindInClassChain(cls, &TClassInfo::Properties, name);
}

const TMethodInfo* FindMethod(const TClassInfo& cls, std::string_view name) {
    return FindInClassChain(cls, &TClassInfo::Methods, name);
}

const TFieldInfo* FindField(const TClassInfo& cls, std::string_view name) {
    return FindInClassChain(cls, &TClassInfo::Fields, name);
}

const TClassInfo* FindFieldClass(const TClassInfo& cls, std::string_view className) {
    for (const TClassInfo* c = &cls; c; c = c->Parent())
        if (const TClassInfoGetter* found =
                FindByName(c->FieldClasses(), className, [](TClassInfoGetter getter) { return getter().Name(); }))
            return &(*found)();
    return nullptr;
}

int FindEnumValue(const TTypeInfo& enumeration, std::string_view name) {
    const std::string_view* found = FindByName(enumeration.names, name, [](std::string_view n) { return n; });
    return found ? static_cast<int>(found - enumeration.names.data()) : -1;
}

std::string_view EnumValueName(const TTypeInfo& enumeration, std::int64_t value) {
    if (value < 0 || value >= static_cast<std::int64_t>(enumeration.names.size())) return {};
    return enumeration.names[static_cast<std::size_t>(value)];
}

const TMethodInfo* FindMethodOf(const TClassInfo& cls, TObject& receiver, const TMethod& handler) {
    if (!handler.IsAssigned()) return nullptr;
    for (const TClassInfo* c = &cls; c; c = c->Parent())
        for (const TMethodInfo& method : c->Methods())
            if (method.BindTo(receiver) == handler) return &method;
    return nullptr;
}

std::vector<const TPropInfo*> AllProperties(const TClassInfo& cls) {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = &cls; c; c = c->Parent()) chain.push_back(c);
    std::vector<const TPropInfo*> properties;
    for (auto c = chain.rbegin(); c != chain.rend(); ++c)
        for (const TPropInfo& property : (*c)->Properties())
            // A class that publishes a name again hides its ancestor's property.
            if (FindProperty(cls, property.Name()) == &property) properties.push_back(&property);
    return properties;
}

}  // namespace orvalis
