#include "runtime/Format.h"

#include <cassert>
#include <cstdio>
#include <string>

namespace orvalis {

String Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(pattern.size() + 16);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool leftAlign = false;
        if (j < pattern.size() && pattern[j] == '-') {
            leftAlign = true;
            ++j;
        }
        int width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') width = width * 10 + (pattern[j++] - '0');
        assert(j < pattern.size() && "format pattern ends inside a conversion");
        assert(next != args.end() && "format pattern has more conversions than arguments");
        const char conversion = pattern[j];
        std::string piece;
        char digits[32];
        switch (conversion) {
            case 's':
                assert(next->IsText());
                piece = std::string(next->Text());
                break;
            case 'd':
                assert(!next->IsText());
                std::snprintf(digits, sizeof digits, "%d", static_cast<std::int32_t>(next->Integer()));
                piece = digits;
                break;
            case 'u':
                assert(!next->IsText());
                std::snprintf(digits, sizeof digits, "%u", static_cast<std::uint32_t>(next->Integer()));
                piece = digits;
                break;
            case 'X':
                assert(!next->IsText());
                std::snprintf(digits, sizeof digits, "%X", static_cast<std::uint32_t>(next->Integer()));
                piece = digits;
                break;
            default: assert(false && "unknown conversion in format pattern");
        }
        ++next;
        if (static_cast<int>(piece.size()) < width) {
            const std::string pad(width - piece.size(), ' ');
            piece = leftAlign ? piece + pad : pad + piece;
        }
        out += piece;
        i = j;
    }
    return String(out);
}

}  // namespace orvalis
