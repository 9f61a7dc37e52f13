#pragma once
// The UTF-8 steps of the form compiler (the printer escapes the bytes that are not
// UTF-8, the lexer refuses them) are the runtime's.

#include "runtime/TextConversions.h"

namespace orvalis::formc {

using orvalis::AppendUtf8;
using orvalis::DecodeUtf8;

constexpr bool IsSurrogate(char32_t codePoint) { return codePoint >= 0xD800 && codePoint <= 0xDFFF; }

}  // namespace orvalis::formc
