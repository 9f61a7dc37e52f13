#include "classes/TypeInfo.h"

namespace orvalis {

std::int64_t FitOrdinal(const TTypeInfo& type, std::int64_t value) {
    if (type.kind == kindInt64) return value;
    switch (type.ordinalSize) {
        case ordSByte: return static_cast<std::int8_t>(value);
        case ordUByte: return static_cast<std::uint8_t>(value);
        case ordSWord: return static_cast<std::int16_t>(value);
        case ordUWord: return static_cast<std::uint16_t>(value);
        case ordLong: break;
    }
    if (type.minValue < 0) return static_cast<std::int32_t>(value);
    return static_cast<std::uint32_t>(value);
}

}  // namespace orvalis
