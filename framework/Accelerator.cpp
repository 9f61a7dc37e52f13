#include "framework/Accelerator.h"

namespace orvalis {
namespace {

// The code point at `index` of UTF-8 text (a malformed byte stands for itself).
char32_t CodePointAt(std::string_view text, std::size_t index) {
    const auto lead = static_cast<unsigned char>(text[index]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    if (length == 1 || index + static_cast<std::size_t>(length) > text.size()) return lead;
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) code = (code << 6) | (static_cast<unsigned char>(text[index + i]) & 0x3F);
    return code;
}

// Lower case for the letters a French caption uses: ASCII and Latin-1.
char32_t FoldCase(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    return c;
}

}  // namespace

bool IsAccel(char32_t key, std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return FoldCase(CodePointAt(caption, i + 1)) == FoldCase(key);
    }
    return false;
}

}  // namespace orvalis
