#pragma once
// Identifier maps: names for the values of integer types (colours, character sets,
// cursors). A map is a pair of conversion functions registered under the type
// description of the integer type; the newest registration for a type is the one
// used. The colour and character-set maps of this layer are registered from the
// start. Identifiers compare without regard to case.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "classes/TypeInfo.h"
#include "runtime/String.h"

namespace orvalis {

using TIdentToInt = bool (*)(std::string_view ident, std::int32_t& value);
using TIntToIdent = bool (*)(std::int32_t value, String& ident);

struct TIdentMap {
    TIdentToInt toInt = nullptr;
    TIntToIdent toIdent = nullptr;
};

void RegisterIdentMap(const TTypeInfo& type, TIdentToInt toInt, TIntToIdent toIdent);
// The newest map registered for `type`, if any.
std::optional<TIdentMap> FindIdentMap(const TTypeInfo& type);

// Conversions through a table of names, for the functions of a map.
struct TIdentMapEntry {
    std::int32_t value;
    std::string_view name;
};
bool IdentToIntByTable(std::span<const TIdentMapEntry> table, std::string_view ident, std::int32_t& value);
bool IntToIdentByTable(std::span<const TIdentMapEntry> table, std::int32_t value, String& ident);

}  // namespace orvalis
