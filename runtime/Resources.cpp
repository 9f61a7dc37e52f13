#include "runtime/Resources.h"

#include <mutex>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/TextConversions.h"

namespace orvalis {
namespace {

struct Registered {
    ResourceType type;
    std::string name;
    std::span<const std::uint8_t> bytes;
};

std::mutex& TableLock() {
    static std::mutex lock;
    return lock;
}

std::vector<Registered>& Table() {
    static std::vector<Registered> table;
    return table;
}

}  // namespace

void RegisterResource(ResourceType type, std::string_view name, std::span<const std::uint8_t> bytes) {
    std::lock_guard guard(TableLock());
    Table().push_back({type, std::string(name), bytes});
}

std::optional<std::span<const std::uint8_t>> FindResource(ResourceType type, std::string_view name) {
    std::lock_guard guard(TableLock());
    for (const Registered& entry : Table())
        if (entry.type == type && SameText(entry.name, name)) return entry.bytes;
    return std::nullopt;
}

TResourceStream::TResourceStream(std::string_view name, ResourceType type) {
    const auto bytes = FindResource(type, name);
    if (!bytes) throw EResNotFound(ResId::ResourceNotFound, {name});
    // The bytes are never written: Write below refuses.
    SetPointer(const_cast<std::uint8_t*>(bytes->data()), bytes->size());
}

std::size_t TResourceStream::Write(const void*, std::size_t) { throw EStreamError(ResId::ReadOnlyStream); }

}  // namespace orvalis
