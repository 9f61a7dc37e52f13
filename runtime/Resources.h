#pragma once
// The module's embedded resources: byte blocks linked into the program, found by
// type and by name without regard to letter case. The build registers them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "runtime/Stream.h"
#include "runtime/String.h"

namespace orvalis {

enum class ResourceType : std::uint16_t {
    Icon = 14,     // a group of icon images (the application icon "MAINICON")
    RawData = 10,  // raw bytes (the form resources)
};

// Makes `bytes` findable under `name`; the bytes must outlive the program's use.
void RegisterResource(ResourceType type, std::string_view name, std::span<const std::uint8_t> bytes);
// The bytes registered under that type and name (case-insensitive), if any.
std::optional<std::span<const std::uint8_t>> FindResource(ResourceType type, std::string_view name);

// A read-only stream over a resource. Missing: EResNotFound "Ressource %s non
// trouvée"; writing: EStreamError "Impossible d'écrire dans un flux en lecture seule".
class TResourceStream : public TCustomMemoryStream {
public:
    TResourceStream(std::string_view name, ResourceType type = ResourceType::RawData);
    std::size_t Write(const void* buffer, std::size_t count) override;
};

}  // namespace orvalis
