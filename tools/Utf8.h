#pragma once
// UTF-8 steps that the form compiler needs beyond the runtime's conversions:
// checking a sequence where it stands (the printer escapes the bytes that are
// not UTF-8, the lexer refuses them).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/TextConversions.h"

namespace orvalis::formc {

// The code point of the well-formed UTF-8 sequence at `position` (no overlong
// form, no surrogate, at most U+10FFFF), and `position` moved past it; nothing,
// with `position` unchanged, when the bytes there are not such a sequence.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& position);

// Appending a code point is the runtime's AppendUtf8.
using orvalis::AppendUtf8;

constexpr bool IsSurrogate(char32_t codePoint) { return codePoint >= 0xD800 && codePoint <= 0xDFFF; }

}  // namespace orvalis::formc
