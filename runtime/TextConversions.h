#pragma once
// Number and text conversions of the runtime library.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/String.h"

namespace orvalis {

// The decimal text of a number ("-12", "0").
String IntToStr(std::int64_t value);

// Reads a decimal integer the lenient way: leading blanks skipped, one optional
// sign, then digits up to the first character that is not a digit; no digit at
// all gives 0. The value wraps around in 32 bits.
std::int32_t LeadingInteger(std::string_view text);

// ASCII letters changed case; every other byte (UTF-8 included) kept.
String UpperCase(std::string_view text);
String LowerCase(std::string_view text);
// Equal without regard to ASCII letter case.
bool SameText(std::string_view a, std::string_view b);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);
// The code point of the well-formed UTF-8 sequence at `position` (no overlong form, no
// surrogate, at most U+10FFFF), and `position` moved past it; nothing, with `position`
// unchanged, when the bytes there are not such a sequence.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& position);
// The text with U+FFFD for each byte that begins no well-formed sequence, as the
// conversions below read such a byte: what comes from outside is UTF-8 from then on.
String ValidUtf8(std::string_view text);
// The first `count` characters of a UTF-8 text (all of it when it has fewer).
std::string_view FirstCharacters(std::string_view utf8, std::size_t count);
// UTF-16 code units to UTF-8 (unpaired surrogates become U+FFFD).
String Utf16ToUtf8(const char16_t* units, std::size_t count);
// UTF-8 to UTF-16 code units (a byte that begins no well-formed sequence gives U+FFFD).
std::u16string Utf8ToUtf16(std::string_view utf8);
// UTF-8 to the Windows-1252 code page; characters it lacks become "?".
std::string Utf8ToWindows1252(std::string_view utf8);
// The same, or none when a character has no byte in the code page (or the text is not
// UTF-8): for data that must keep every character.
std::optional<std::string> Utf8ToWindows1252Exactly(std::string_view utf8);
// Windows-1252 bytes to UTF-8. The five bytes that the code page leaves undefined (81,
// 8D, 8F, 90, 9D) stand for the control characters of the same value, as in the
// platform's own conversion, so that every byte comes back through Utf8ToWindows1252.
String Windows1252ToUtf8(std::string_view bytes);

}  // namespace orvalis
