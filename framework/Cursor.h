#pragma once
// TCursor: a mouse cursor, a signed 16-bit number; the standard cursors are the negative
// numbers below (crDefault is 0). Cursor properties are int16_t members described with
// .Type(kCursorType); forms name the standard cursors through the cursor identifier map
// (registered with the framework's classes). This platform does not change the mouse pointer: a cursor
// property is kept and written back, nothing more.

#include <cstdint>
#include <string_view>

#include "classes/TypeInfo.h"
#include "runtime/String.h"

namespace orvalis {

using TCursor = std::int16_t;

inline constexpr TTypeInfo kCursorType = IntegerType("TCursor", ordSWord, INT16_MIN, INT16_MAX);

inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// The cursor identifier map.
bool IdentToCursor(std::string_view ident, std::int32_t& cursor);
bool CursorToIdent(std::int32_t cursor, String& ident);

}  // namespace orvalis
