#include "tools/Utf8.h"

namespace orvalis::formc {

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& position) {
    if (position >= text.size()) return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[position]);
    if (lead < 0x80) return text[position++];

    int length;
    char32_t codePoint;
    char32_t smallest;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - position < static_cast<std::size_t>(length)) return std::nullopt;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[position + i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF || IsSurrogate(codePoint)) return std::nullopt;
    position += static_cast<std::size_t>(length);
    return codePoint;
}

}  // namespace orvalis::formc
