#pragma once
// Integers stored least significant byte first, as the form format and BMP files
// store them, read and written byte by byte whatever the machine's own order.

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvalis {

// The unsigned integer of the `size` bytes (1 to 8) at `bytes`.
constexpr std::uint64_t ReadLittleEndian(const std::uint8_t* bytes, std::size_t size) {
    assert(size >= 1 && size <= 8);
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;) value = (value << 8) | bytes[i];
    return value;
}

// The same bytes as a signed integer of that width, its sign extended.
constexpr std::int64_t ReadLittleEndianSigned(const std::uint8_t* bytes, std::size_t size) {
    const auto unused = static_cast<unsigned>(64 - 8 * size);
    return static_cast<std::int64_t>(ReadLittleEndian(bytes, size) << unused) >> unused;
}

// The `size` (1 to 8) low bytes of `value`, written at `out`.
constexpr void WriteLittleEndian(std::uint8_t* out, std::uint64_t value, std::size_t size) {
    assert(size >= 1 && size <= 8);
    // Never past the value's 8 bytes, in a release build too (no assertion there): a
    // shift by 64 bits is undefined, and the caller's buffer is sized for 8 at most.
    const std::size_t count = size < 8 ? size : 8;
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The same bytes, appended to `out`.
inline void AppendLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t size) {
    // Byte after byte: written into the vector's grown end in one copy, GCC 12's optimiser
    // loses track of the new storage and warns falsely (-Wstringop-overflow).
    std::uint8_t bytes[8] = {};
    WriteLittleEndian(bytes, value, size);
    for (std::size_t i = 0; i < size && i < 8; ++i) out.push_back(bytes[i]);
}

}  // namespace orvalis
