#pragma once
// TColor: a signed 32-bit colour. 0x00BBGGRR for an explicit colour; 0x80000000 plus
// an index for a system colour (converted to 0x00BBGGRR by the graphics layer);
// clNone and clDefault for "no colour" and "the automatic choice". Colour properties
// are int32_t members described with .Type(kColorType); forms name colours through
// the colour identifier map (clBtnFace, clWindowText, ...).

#include <cstdint>
#include <string_view>

#include "classes/TypeInfo.h"
#include "runtime/String.h"

namespace orvalis {

using TColor = std::int32_t;

inline constexpr TTypeInfo kColorType = IntegerType("TColor", ordLong, INT32_MIN, INT32_MAX);

constexpr TColor SystemColour(int index) { return static_cast<TColor>(0x80000000u + static_cast<unsigned>(index)); }

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clScrollBar = SystemColour(0);
inline constexpr TColor clBackground = SystemColour(1);
inline constexpr TColor clActiveCaption = SystemColour(2);
inline constexpr TColor clInactiveCaption = SystemColour(3);
inline constexpr TColor clMenu = SystemColour(4);
inline constexpr TColor clWindow = SystemColour(5);
inline constexpr TColor clWindowFrame = SystemColour(6);
inline constexpr TColor clMenuText = SystemColour(7);
inline constexpr TColor clWindowText = SystemColour(8);
inline constexpr TColor clCaptionText = SystemColour(9);
inline constexpr TColor clActiveBorder = SystemColour(10);
inline constexpr TColor clInactiveBorder = SystemColour(11);
inline constexpr TColor clAppWorkSpace = SystemColour(12);
inline constexpr TColor clHighlight = SystemColour(13);
inline constexpr TColor clHighlightText = SystemColour(14);
inline constexpr TColor clBtnFace = SystemColour(15);
inline constexpr TColor clBtnShadow = SystemColour(16);
inline constexpr TColor clGrayText = SystemColour(17);
inline constexpr TColor clBtnText = SystemColour(18);
inline constexpr TColor clInactiveCaptionText = SystemColour(19);
inline constexpr TColor clBtnHighlight = SystemColour(20);
inline constexpr TColor cl3DDkShadow = SystemColour(21);
inline constexpr TColor cl3DLight = SystemColour(22);
inline constexpr TColor clInfoText = SystemColour(23);
inline constexpr TColor clInfoBk = SystemColour(24);
inline constexpr TColor clHotLight = SystemColour(26);
inline constexpr TColor clGradientActiveCaption = SystemColour(27);
inline constexpr TColor clGradientInactiveCaption = SystemColour(28);
inline constexpr TColor clMenuHighlight = SystemColour(29);
inline constexpr TColor clMenuBar = SystemColour(30);

// The colour identifier map.
bool IdentToColor(std::string_view ident, std::int32_t& color);
bool ColorToIdent(std::int32_t color, String& ident);

}  // namespace orvalis
