#include "classes/IdentMaps.h"

#include <mutex>
#include <vector>

#include "classes/ClassInfo.h"
#include "classes/Color.h"
#include "classes/FontCharset.h"

namespace orvalis {
namespace {

struct Registration {
    const TTypeInfo* type;
    TIdentMap map;
};

struct Registry {
    std::mutex lock;
    std::vector<Registration> maps;
};

// The maps of this layer's own types are there from the start. Never destroyed:
// components read during the program's exit may still need it.
Registry& Maps() {
    static Registry* registry = new Registry{
        {}, {{&kColorType, {&IdentToColor, &ColorToIdent}}, {&kFontCharsetType, {&IdentToCharset, &CharsetToIdent}}}};
    return *registry;
}

}  // namespace

void RegisterIdentMap(const TTypeInfo& type, TIdentToInt toInt, TIntToIdent toIdent) {
    Registry& registry = Maps();
    std::lock_guard guard(registry.lock);
    registry.maps.push_back({&type, {toInt, toIdent}});
}

std::optional<TIdentMap> FindIdentMap(const TTypeInfo& type) {
    Registry& registry = Maps();
    std::lock_guard guard(registry.lock);
    for (auto entry = registry.maps.rbegin(); entry != registry.maps.rend(); ++entry)
        if (entry->type == &type) return entry->map;
    return std::nullopt;
}

bool IdentToIntByTable(std::span<const TIdentMapEntry> table, std::string_view ident, std::int32_t& value) {
    const TIdentMapEntry* entry = FindByName(table, ident, [](const TIdentMapEntry& e) { return e.name; });
    if (!entry) return false;
    value = entry->value;
    return true;
}

bool IntToIdentByTable(std::span<const TIdentMapEntry> table, std::int32_t value, String& ident) {
    for (const TIdentMapEntry& entry : table)
        if (entry.value == value) {
            ident = String(entry.name);
            return true;
        }
    return false;
}

}  // namespace orvalis
