#pragma once
// The typed description of a class's type information, written once per class in
// its StaticClassInfo() next to the class:
//
//     const TClassInfo& TTimer::StaticClassInfo() {
//         static const TClassInfo info = DescribeClass<TTimer, TComponent>("TTimer")
//             .Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true)
//             .Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000)
//             .Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
//         return info;
//     }
//
// A property is read and written through one data member (`.Property("Tag", &C::tag_)`),
// or read through a getter (`T Get() const`, or `T Get(int index) const` with
// .Index(n)) and written through a setter (`void Set(T)`, or `void Set(int index, T)`),
// a data member, or nothing (a getter alone, or nullptr as setter: read-only). Its
// type description comes from the C++ type (TypeInfoOf<T>) unless .Type() names
// another one of the same storage (a colour is an int32_t with .Type(kColorType)).
// Methods are the handlers that form resources name; fields are the members that
// designate the named children, and their classes form the field class table.

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <tuple>
#include <type_traits>
#include <utility>

#include "classes/ClassInfo.h"
#include "classes/Collection.h"
#include "classes/Component.h"

namespace orvalis {
namespace describe {

// What a member pointer used as read or write access is made of.
template <class M>
struct MemberFunction {
    static constexpr bool isFunction = false;
};
#define ORVALIS_MEMBER_FUNCTION(qualifiers)                          \
    template <class C, class R, class... A>                          \
    struct MemberFunction<R (C::*)(A...) qualifiers> {               \
        static constexpr bool isFunction = true;                     \
        using Class = C;                                             \
        using Result = R;                                            \
        static constexpr std::size_t arity = sizeof...(A);           \
        template <std::size_t I>                                     \
        using Arg = std::tuple_element_t<I, std::tuple<A..., void>>; \
    };
ORVALIS_MEMBER_FUNCTION()
ORVALIS_MEMBER_FUNCTION(const)
ORVALIS_MEMBER_FUNCTION(noexcept)
ORVALIS_MEMBER_FUNCTION(const noexcept)
#undef ORVALIS_MEMBER_FUNCTION

// How many arguments a member function takes before its value (0 or the int index);
// -1 when it has another shape. Data members count 0.
template <class F, std::size_t valueArguments>
constexpr int IndexArguments() {
    if constexpr (!F::isFunction)
        return 0;
    else if constexpr (F::arity == valueArguments)
        return 0;
    else if constexpr (F::arity == valueArguments + 1)
        return std::is_same_v<typename F::template Arg<0>, int> ? 1 : -1;
    else
        return -1;
}

template <class M>
struct DataMember;
template <class C, class T>
struct DataMember<T C::*> {
    using Class = C;
    using Value = T;
};

// A read access: a data member `T C::*`, `T (C::*)()` or `T (C::*)(int)`.
template <class Read>
struct ReadAccess {
    using F = MemberFunction<Read>;
    static constexpr bool isFunction = F::isFunction;
    static auto ClassOf() {
        if constexpr (isFunction)
            return std::type_identity<typename F::Class>{};
        else
            return std::type_identity<typename DataMember<Read>::Class>{};
    }
    static auto ValueOf() {
        if constexpr (isFunction)
            return std::type_identity<std::remove_cvref_t<typename F::Result>>{};
        else
            return std::type_identity<typename DataMember<Read>::Value>{};
    }
    using Class = typename decltype(ClassOf())::type;
    using Value = typename decltype(ValueOf())::type;
    static constexpr bool indexed = IndexArguments<F, 0>() == 1;
    static_assert(IndexArguments<F, 0>() >= 0, "a getter takes nothing, or the property's int index");
};

// A write access: a data member, `void (C::*)(T)` or `void (C::*)(int, T)`.
template <class Write>
struct WriteAccess {
    using F = MemberFunction<Write>;
    static constexpr bool isFunction = F::isFunction;
    static auto ClassOf() {
        if constexpr (isFunction)
            return std::type_identity<typename F::Class>{};
        else
            return std::type_identity<typename DataMember<Write>::Class>{};
    }
    static auto ValueOf() {
        if constexpr (isFunction)
            return std::type_identity<std::remove_cvref_t<typename F::template Arg<F::arity - 1>>>{};
        else
            return std::type_identity<typename DataMember<Write>::Value>{};
    }
    using Class = typename decltype(ClassOf())::type;
    using Value = typename decltype(ValueOf())::type;
    static constexpr bool indexed = IndexArguments<F, 1>() == 1;
    static_assert(IndexArguments<F, 1>() >= 0, "a setter takes the value, or the property's int index and the value");
};

template <class T>
struct IsEvent : std::false_type {};
template <class S>
struct IsEvent<TEvent<S>> : std::true_type {};

template <class T>
constexpr bool kIsOrdinal = std::is_integral_v<T> || std::is_enum_v<T>;
template <class T>
constexpr bool kIsObjectPointer =
    std::is_pointer_v<T>&& std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<T>>>;

// Whether a type description fits the C++ storage of a property.
template <class T>
constexpr bool Fits(TTypeKind kind) {
    if constexpr (kIsOrdinal<T>)
        return kind == kindInteger || kind == kindChar || kind == kindEnumeration || kind == kindSet ||
               (kind == kindInt64 && sizeof(T) == 8);
    else if constexpr (std::is_floating_point_v<T>)
        return kind == kindFloat;
    else if constexpr (std::is_same_v<T, String>)
        return kind == kindLongString || kind == kindShortString;
    else if constexpr (std::is_same_v<T, std::u16string>)
        return kind == kindWideString;
    else if constexpr (kIsObjectPointer<T>)
        return kind == kindClass;
    else if constexpr (IsEvent<T>::value)
        return kind == kindMethod;
    else
        return false;
}

template <class T>
TPropValue ToValue(const T& value) {
    if constexpr (std::is_same_v<T, char>)
        return static_cast<std::int64_t>(static_cast<unsigned char>(value));
    else if constexpr (std::is_enum_v<T>)
        return static_cast<std::int64_t>(static_cast<std::underlying_type_t<T>>(value));
    else if constexpr (kIsOrdinal<T>)
        return static_cast<std::int64_t>(value);
    else if constexpr (std::is_floating_point_v<T>)
        return static_cast<long double>(value);
    else if constexpr (kIsObjectPointer<T>)
        return static_cast<TObject*>(const_cast<std::remove_cv_t<std::remove_pointer_t<T>>*>(value));
    else if constexpr (IsEvent<T>::value)
        return value.Method();
    else
        return value;
}

// A float in the range of T: values beyond it become infinities, as a float
// operation would give, instead of an undefined conversion.
template <class T>
T ToFloat(long double value) {
    if constexpr (!std::is_same_v<T, long double>) {
        constexpr long double largest = std::numeric_limits<T>::max();
        if (std::isfinite(value) && std::fabs(value) > largest)
            return value > 0 ? std::numeric_limits<T>::infinity() : -std::numeric_limits<T>::infinity();
    }
    return static_cast<T>(value);
}

template <class T>
T FromValue(const TPropValue& value) {
    if constexpr (kIsOrdinal<T>) {
        const std::int64_t ordinal = std::get<std::int64_t>(value);
        if constexpr (std::is_same_v<T, bool>)
            return ordinal != 0;
        else if constexpr (std::is_enum_v<T>)
            return static_cast<T>(static_cast<std::underlying_type_t<T>>(ordinal));
        else
            return static_cast<T>(ordinal);
    } else if constexpr (std::is_floating_point_v<T>) {
        return ToFloat<T>(std::get<long double>(value));
    } else if constexpr (kIsObjectPointer<T>) {
        // The property has checked the class already; the cast keeps it safe anyway.
        return dynamic_cast<T>(std::get<TObject*>(value));
    } else if constexpr (IsEvent<T>::value) {
        return T::FromMethod(std::get<TMethod>(value));
    } else {
        return std::get<T>(value);
    }
}

template <class C>
TComponent* ConstructComponent(TComponent* owner) {
    auto* component = new C(owner);
    try {
        component->AfterConstruction();
    } catch (...) {
        delete component;
        throw;
    }
    return component;
}

template <class C>
std::unique_ptr<TPersistent> ConstructPersistent() {
    auto object = std::make_unique<C>();
    object->AfterConstruction();
    return object;
}

template <class C>
TCollectionItem* ConstructItem(TCollection& collection) {
    auto* item = new C(&collection);
    try {
        item->AfterConstruction();
    } catch (...) {
        delete item;
        throw;
    }
    return item;
}

}  // namespace describe

template <class C, class Parent>
class TClassDescription {
public:
    explicit TClassDescription(std::string_view name) {
        assert(!name.empty() && name.size() <= 255 && "a class name is a short string");
        info_.name_ = name;
        if constexpr (!std::is_void_v<Parent>) info_.parent_ = &Parent::StaticClassInfo();
        if constexpr (!std::is_abstract_v<C>) {
            if constexpr (std::is_base_of_v<TComponent, C> && std::is_constructible_v<C, TComponent*>)
                info_.createComponent_ = &describe::ConstructComponent<C>;
            else if constexpr (std::is_base_of_v<TCollectionItem, C> && std::is_constructible_v<C, TCollection*>)
                info_.createItem_ = &describe::ConstructItem<C>;
            else if constexpr (std::is_base_of_v<TPersistent, C> && std::is_default_constructible_v<C>)
                info_.create_ = &describe::ConstructPersistent<C>;
        }
    }

    // A data member read and written directly, or a getter alone (read-only).
    template <class Read>
    TClassDescription&& Property(std::string_view name, Read read) && {
        if constexpr (std::is_member_function_pointer_v<Read>)
            AddProperty<Read, std::nullptr_t>(name, read, nullptr);
        else
            AddProperty<Read, Read>(name, read, read);
        return std::move(*this);
    }
    // Read access and write access; nullptr as write access makes it read-only.
    template <class Read, class Write>
    TClassDescription&& Property(std::string_view name, Read read, Write write) && {
        AddProperty<Read, Write>(name, read, write);
        return std::move(*this);
    }

    // Modifiers of the property described last.
    TClassDescription&& Default(std::int64_t value) && {
        TPropInfo& property = Last();
        assert(IsOrdinalKind(property.Kind()) && "only ordinals have a default value");
        property.default_ = value;
        return std::move(*this);
    }
    TClassDescription&& Stored(bool stored) && {
        Last().stored_ = stored ? TPropInfo::StoredRule() : [](TObject&) { return false; };
        return std::move(*this);
    }
    // Stored when `rule` (`bool Rule() const` of the class or an ancestor) answers true.
    template <class R>
    TClassDescription&& Stored(bool (R::*rule)() const) && {
        static_assert(std::is_base_of_v<R, C>, "a rule of the class or of one of its ancestors");
        Last().stored_ = [rule](TObject& object) { return (static_cast<R&>(object).*rule)(); };
        return std::move(*this);
    }
    TClassDescription&& Index(int index) && {
        Last().index_ = index;
        return std::move(*this);
    }
    TClassDescription&& Type(const TTypeInfo& type) && {
        TPropInfo& property = Last();
        assert(lastFits_(type.kind) && "a type description of another storage");
        property.type_ = &type;
        return std::move(*this);
    }

    // A published method: a handler that form resources bind by name.
    template <class R, class... Args>
    TClassDescription&& Method(std::string_view name, void (R::*method)(Args...)) && {
        static_assert(std::is_base_of_v<R, C>, "a method of the class or of one of its ancestors");
        assert(!name.empty() && name.size() <= 255 && "a method name is a short string");
        TMethodInfo& entry = info_.methods_.emplace_back();
        entry.name_ = name;
        entry.signature_ = &kEventType<void(Args...)>;
        entry.bind_ = [method](TObject& receiver) { return TMethod::Bind(&static_cast<C&>(receiver), method); };
        return std::move(*this);
    }

    // A published field: the member that designates the owned component `name`.
    template <class F, class D>
    TClassDescription&& Field(std::string_view name, F* D::*member) && {
        static_assert(std::is_base_of_v<D, C>, "a field of the class or of one of its ancestors");
        static_assert(std::is_base_of_v<TComponent, F>, "a field designates a component");
        static_assert(std::is_same_v<typename F::DescribedClass, F>,
                      "the class of a field declares ORVALIS_TYPE_INFO itself");
        assert(!name.empty() && name.size() <= 255 && "a field name is a short string");
        TFieldInfo& entry = info_.fields_.emplace_back();
        entry.name_ = name;
        entry.fieldClass_ = &F::StaticClassInfo;
        entry.get_ = [member](TObject& owner) -> TComponent* { return static_cast<D&>(owner).*member; };
        entry.set_ = [member](TObject& owner, TComponent* component) {
            static_cast<D&>(owner).*member = dynamic_cast<F*>(component);
        };
        auto& classes = info_.fieldClasses_;
        if (std::find(classes.begin(), classes.end(), entry.fieldClass_) == classes.end())
            classes.push_back(entry.fieldClass_);
        return std::move(*this);
    }

    operator TClassInfo() && { return std::move(info_); }

private:
    template <class Read, class Write>
    void AddProperty(std::string_view name, Read read, Write write) {
        using R = describe::ReadAccess<Read>;
        using Value = typename R::Value;
        static_assert(std::is_base_of_v<typename R::Class, C>, "a getter or member of the class or of an ancestor");
        assert(!name.empty() && name.size() <= 255 && "a property name is a short string");

        TPropInfo& property = info_.properties_.emplace_back();
        property.name_ = name;
        property.type_ = &TypeInfoOf<Value>();
        assert(describe::Fits<Value>(property.Kind()) && "the type's description is of another storage");
        property.readAccess_ = R::isFunction ? accessFunction : accessMember;
        property.getter_ = [read](const TPropInfo& self, TObject& object) -> TPropValue {
            auto& typed = static_cast<typename R::Class&>(object);
            if constexpr (!R::isFunction) {
                return describe::ToValue(typed.*read);
            } else if constexpr (R::indexed) {
                assert(self.Index() && "an indexed getter needs .Index()");
                return describe::ToValue((typed.*read)(*self.Index()));
            } else {
                return describe::ToValue((typed.*read)());
            }
        };
        if constexpr (!std::is_same_v<Write, std::nullptr_t>) {
            using W = describe::WriteAccess<Write>;
            static_assert(std::is_same_v<typename W::Value, Value>, "the getter and the setter take the same type");
            static_assert(std::is_base_of_v<typename W::Class, C>, "a setter or member of the class or of an ancestor");
            property.writeAccess_ = W::isFunction ? accessFunction : accessMember;
            property.setter_ = [write](const TPropInfo& self, TObject& object, const TPropValue& value) {
                auto& typed = static_cast<typename W::Class&>(object);
                const Value converted = describe::FromValue<Value>(value);
                if constexpr (!W::isFunction) {
                    typed.*write = converted;
                } else if constexpr (W::indexed) {
                    assert(self.Index() && "an indexed setter needs .Index()");
                    (typed.*write)(*self.Index(), converted);
                } else {
                    (typed.*write)(converted);
                }
            };
        }
        lastFits_ = &describe::Fits<Value>;
    }

    TPropInfo& Last() {
        assert(!info_.properties_.empty() && "a modifier follows a property");
        return info_.properties_.back();
    }

    TClassInfo info_;
    bool (*lastFits_)(TTypeKind) = nullptr;
};

// Starts the description of class C, derived from Parent (void for TObject only).
template <class C, class Parent>
TClassDescription<C, Parent> DescribeClass(std::string_view name) {
    static_assert(std::is_same_v<typename C::DescribedClass, C>, "the class declares ORVALIS_TYPE_INFO");
    static_assert(std::is_void_v<Parent> || std::is_base_of_v<Parent, C>, "the parent is a base of the class");
    return TClassDescription<C, Parent>(name);
}

}  // namespace orvalis
