#pragma once
// TFontCharset: the character set of a font, an unsigned byte. Character-set
// properties are uint8_t members described with .Type(kFontCharsetType); forms name
// the values through the character-set identifier map (DEFAULT_CHARSET, ...).

#include <cstdint>
#include <string_view>

#include "classes/TypeInfo.h"
#include "runtime/String.h"

namespace orvalis {

using TFontCharset = std::uint8_t;

inline constexpr TTypeInfo kFontCharsetType = IntegerType("TFontCharset", ordUByte, 0, 255);

inline constexpr TFontCharset ANSI_CHARSET = 0;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;
inline constexpr TFontCharset SYMBOL_CHARSET = 2;
inline constexpr TFontCharset MAC_CHARSET = 77;
inline constexpr TFontCharset SHIFTJIS_CHARSET = 128;
inline constexpr TFontCharset HANGEUL_CHARSET = 129;
inline constexpr TFontCharset JOHAB_CHARSET = 130;
inline constexpr TFontCharset GB2312_CHARSET = 134;
inline constexpr TFontCharset CHINESEBIG5_CHARSET = 136;
inline constexpr TFontCharset GREEK_CHARSET = 161;
inline constexpr TFontCharset TURKISH_CHARSET = 162;
inline constexpr TFontCharset VIETNAMESE_CHARSET = 163;
inline constexpr TFontCharset HEBREW_CHARSET = 177;
inline constexpr TFontCharset ARABIC_CHARSET = 178;
inline constexpr TFontCharset BALTIC_CHARSET = 186;
inline constexpr TFontCharset RUSSIAN_CHARSET = 204;
inline constexpr TFontCharset THAI_CHARSET = 222;
inline constexpr TFontCharset EASTEUROPE_CHARSET = 238;
inline constexpr TFontCharset OEM_CHARSET = 255;

// The character-set identifier map.
bool IdentToCharset(std::string_view ident, std::int32_t& charset);
bool CharsetToIdent(std::int32_t charset, String& ident);

}  // namespace orvalis
