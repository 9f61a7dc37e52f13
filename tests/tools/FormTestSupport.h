#pragma once
// Small helpers shared by the form compiler's tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/FormEmitter.h"
#include "tools/FormParser.h"

namespace orvalis::formc::test {

using Bytes = std::vector<std::uint8_t>;

// "54 50 46 30" -> the bytes; blanks are free.
inline Bytes HexBytes(std::string_view hex) {
    Bytes bytes;
    int pending = -1;
    for (const char c : hex) {
        if (c == ' ' || c == '\n') continue;
        const int value = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        if (pending < 0) {
            pending = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(pending * 16 + value));
            pending = -1;
        }
    }
    return bytes;
}

inline Bytes TextBytes(std::string_view text) { return {text.begin(), text.end()}; }

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes Compile(std::string_view source) { return CompileForm(ParseFormSource(source, "test.form")); }

// The bytes of one value, written as the only property P of "TA a".
inline Bytes ValueBytes(std::string_view value) {
    const Bytes all = Compile("TA a { P = " + std::string(value) + " }");
    // TPF0, 02 "TA", 01 "a", 01 "P" ... 00 (properties) 00 (children)
    const std::size_t head = 4 + 3 + 2 + 2;
    return {all.begin() + head, all.end() - 2};
}

// A form "TA a" whose only property P holds the given value bytes.
inline Bytes FormWithValue(const Bytes& value) {
    return Concat({TextBytes("TPF0"), HexBytes("02"), TextBytes("TA"), HexBytes("01"), TextBytes("a"), HexBytes("01"),
                   TextBytes("P"), value, HexBytes("00 00")});
}

}  // namespace orvalis::formc::test
