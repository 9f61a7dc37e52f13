#pragma once
// Type descriptions of published properties: the kind, with its number in the form
// format's tables, and per kind what reading and writing need: the storage size and
// range of ordinals, the element names of enumerations, the element type of sets,
// the class of object references, the float type of floats.
//
// Descriptions are constant data (`inline constexpr`), compared by address. The C++
// type of a property selects its description through DescribeType(TypeTag<T>),
// found by argument-dependent lookup: the header that defines an enumeration or a
// set type defines its DescribeType beside it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "runtime/String.h"

namespace orvalis {

class TClassInfo;
class TObject;

enum TTypeKind : std::uint8_t {
    kindUnknown = 0,
    kindInteger = 1,
    kindChar = 2,
    kindEnumeration = 3,
    kindFloat = 4,
    kindShortString = 5,
    kindSet = 6,
    kindClass = 7,
    kindMethod = 8,
    kindWideChar = 9,
    kindLongString = 10,
    kindWideString = 11,
    kindVariant = 12,
    kindInterface = 15,
    kindInt64 = 16,
};

// How many bytes an ordinal occupies, and whether it is signed.
enum TOrdinalSize : std::uint8_t { ordSByte, ordUByte, ordSWord, ordUWord, ordLong };

enum TFloatType : std::uint8_t { floatSingle, floatDouble, floatExtended };

// Class references name their class through its StaticClassInfo, called when
// needed, so that two classes may refer to each other.
using TClassInfoGetter = const TClassInfo& (*)();

struct TTypeInfo {
    TTypeKind kind = kindUnknown;
    std::string_view name;
    // Ordinals (integers, characters, enumerations, sets) and Int64.
    TOrdinalSize ordinalSize = ordLong;
    std::int64_t minValue = 0;
    std::int64_t maxValue = 0;
    // Enumerations: the element names, in order of their values (0, 1, 2, ...).
    std::span<const std::string_view> names;
    // Enumerations that read "False" and "True".
    bool boolean = false;
    // Sets: the enumeration of their elements.
    const TTypeInfo* elementType = nullptr;
    // Class references.
    TClassInfoGetter classInfo = nullptr;
    TFloatType floatType = floatDouble;
    // Short strings: the most bytes the property keeps.
    std::uint8_t maxLength = 255;

    const TClassInfo& ClassOf() const { return classInfo(); }
};

// Integers, characters, enumerations, sets and Int64: the kinds held as integers.
constexpr bool IsOrdinalKind(TTypeKind kind) {
    return kind == kindInteger || kind == kindChar || kind == kindEnumeration || kind == kindSet || kind == kindInt64;
}

// Descriptions of the types that a framework header defines.
constexpr TTypeInfo SimpleType(TTypeKind kind, std::string_view name) {
    TTypeInfo type;
    type.kind = kind;
    type.name = name;
    return type;
}
constexpr TTypeInfo IntegerType(std::string_view name, TOrdinalSize size, std::int64_t min, std::int64_t max) {
    TTypeInfo type = SimpleType(kindInteger, name);
    type.ordinalSize = size;
    type.minValue = min;
    type.maxValue = max;
    return type;
}
constexpr TTypeInfo EnumerationType(std::string_view name, std::span<const std::string_view> names,
                                    TOrdinalSize size = ordUByte) {
    TTypeInfo type = SimpleType(kindEnumeration, name);
    type.ordinalSize = size;
    type.maxValue = static_cast<std::int64_t>(names.size()) - 1;
    type.names = names;
    return type;
}
// An enumeration of the framework, checked as it is described: its last enumerator,
// `Count` (k<Name>Count), follows the others and is not one of its values, and its
// names, one per enumerator in order, must be as many, so that an enumerator added
// without its name does not compile.
template <auto Count, std::size_t NameCount>
constexpr TTypeInfo EnumerationType(std::string_view name, const std::string_view (&names)[NameCount],
                                    TOrdinalSize size = ordUByte) {
    static_assert(std::is_enum_v<decltype(Count)>, "the count is the enumeration's last enumerator");
    static_assert(NameCount == static_cast<std::size_t>(Count), "one name per enumerator, in order");
    return EnumerationType(name, std::span<const std::string_view>(names), size);
}
// A set of up to 32 elements stored as a bit mask of 1, 2 or 4 bytes.
constexpr TTypeInfo SetType(std::string_view name, const TTypeInfo& elementType, TOrdinalSize size = ordUByte) {
    TTypeInfo type = SimpleType(kindSet, name);
    type.ordinalSize = size;
    type.elementType = &elementType;
    return type;
}
constexpr TTypeInfo ShortStringType(std::string_view name, std::uint8_t maxLength) {
    TTypeInfo type = SimpleType(kindShortString, name);
    type.maxLength = maxLength;
    return type;
}
constexpr TTypeInfo FloatType(std::string_view name, TFloatType floatType) {
    TTypeInfo type = SimpleType(kindFloat, name);
    type.floatType = floatType;
    return type;
}
inline constexpr std::string_view kBooleanNames[] = {"False", "True"};
constexpr TTypeInfo BooleanType(std::string_view name, TOrdinalSize size, std::int64_t min, std::int64_t max) {
    TTypeInfo type = EnumerationType(name, kBooleanNames, size);
    type.minValue = min;
    type.maxValue = max;
    type.boolean = true;
    return type;
}
constexpr TTypeInfo ClassType(TClassInfoGetter classInfo) {
    TTypeInfo type = SimpleType(kindClass, {});
    type.classInfo = classInfo;
    return type;
}

inline constexpr TTypeInfo kShortIntType = IntegerType("ShortInt", ordSByte, -128, 127);
inline constexpr TTypeInfo kByteType = IntegerType("Byte", ordUByte, 0, 255);
inline constexpr TTypeInfo kSmallIntType = IntegerType("SmallInt", ordSWord, -32768, 32767);
inline constexpr TTypeInfo kWordType = IntegerType("Word", ordUWord, 0, 65535);
inline constexpr TTypeInfo kIntegerType = IntegerType("Integer", ordLong, INT32_MIN, INT32_MAX);
inline constexpr TTypeInfo kCardinalType = IntegerType("Cardinal", ordLong, 0, UINT32_MAX);
inline constexpr TTypeInfo kInt64Type = [] {
    TTypeInfo type = SimpleType(kindInt64, "Int64");
    type.minValue = INT64_MIN;
    type.maxValue = INT64_MAX;
    return type;
}();
inline constexpr TTypeInfo kCharType = [] {
    TTypeInfo type = SimpleType(kindChar, "Char");
    type.ordinalSize = ordUByte;
    type.maxValue = 255;
    return type;
}();
inline constexpr TTypeInfo kBooleanType = BooleanType("Boolean", ordUByte, 0, 1);
// A 32-bit boolean whose range starts below zero: True is stored as -1.
inline constexpr TTypeInfo kLongBoolType = BooleanType("LongBool", ordLong, INT32_MIN, INT32_MAX);
inline constexpr TTypeInfo kSingleType = FloatType("Single", floatSingle);
inline constexpr TTypeInfo kDoubleType = FloatType("Double", floatDouble);
inline constexpr TTypeInfo kExtendedType = FloatType("Extended", floatExtended);
inline constexpr TTypeInfo kStringType = SimpleType(kindLongString, "String");
inline constexpr TTypeInfo kWideStringType = SimpleType(kindWideString, "WideString");

// The description of a reference to class T (T declares ORVALIS_TYPE_INFO).
template <class T>
inline constexpr TTypeInfo kClassType = ClassType(&T::StaticClassInfo);

// The description of a C++ type: DescribeType(TypeTag<T>{}), found by argument-
// dependent lookup; TypeInfoOf<T>() is the short way to ask for it.
template <class T>
struct TypeTag {};

inline const TTypeInfo& DescribeType(TypeTag<std::int8_t>) { return kShortIntType; }
inline const TTypeInfo& DescribeType(TypeTag<std::uint8_t>) { return kByteType; }
inline const TTypeInfo& DescribeType(TypeTag<std::int16_t>) { return kSmallIntType; }
inline const TTypeInfo& DescribeType(TypeTag<std::uint16_t>) { return kWordType; }
inline const TTypeInfo& DescribeType(TypeTag<std::int32_t>) { return kIntegerType; }
inline const TTypeInfo& DescribeType(TypeTag<std::uint32_t>) { return kCardinalType; }
inline const TTypeInfo& DescribeType(TypeTag<std::int64_t>) { return kInt64Type; }
inline const TTypeInfo& DescribeType(TypeTag<char>) { return kCharType; }
inline const TTypeInfo& DescribeType(TypeTag<bool>) { return kBooleanType; }
inline const TTypeInfo& DescribeType(TypeTag<float>) { return kSingleType; }
inline const TTypeInfo& DescribeType(TypeTag<double>) { return kDoubleType; }
inline const TTypeInfo& DescribeType(TypeTag<long double>) { return kExtendedType; }
inline const TTypeInfo& DescribeType(TypeTag<String>) { return kStringType; }
inline const TTypeInfo& DescribeType(TypeTag<std::u16string>) { return kWideStringType; }

template <class T>
requires std::is_base_of_v<TObject, T>
const TTypeInfo& DescribeType(TypeTag<T*>) {
    static_assert(std::is_same_v<typename T::DescribedClass, T>,
                  "a class used as a property type declares ORVALIS_TYPE_INFO itself");
    return kClassType<T>;
}

template <class T>
const TTypeInfo& TypeInfoOf() {
    return DescribeType(TypeTag<T>{});
}

// The value cut to the type's storage: a byte, a word or 32 bits, signed or not as
// the type's range says (Int64 values pass unchanged).
std::int64_t FitOrdinal(const TTypeInfo& type, std::int64_t value);

}  // namespace orvalis
