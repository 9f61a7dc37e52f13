#include "graphics/SystemColours.h"

#include "platform/ControlTheme.h"

namespace orvalis {
namespace {

struct SystemColourEntry {
    TColor system;
    TColor rgb;
};

// One light, neutral look: grey faces, white windows, black text, blue selection.
constexpr SystemColourEntry kSystemColours[] = {
    {clScrollBar, RGB(200, 200, 200)},
    {clBackground, RGB(58, 110, 165)},
    {clActiveCaption, RGB(153, 180, 209)},
    {clInactiveCaption, RGB(191, 205, 219)},
    {clMenu, RGB(240, 240, 240)},
    {clWindow, RGB(255, 255, 255)},
    {clWindowFrame, RGB(100, 100, 100)},
    {clMenuText, RGB(0, 0, 0)},
    {clWindowText, RGB(0, 0, 0)},
    {clCaptionText, RGB(0, 0, 0)},
    {clActiveBorder, RGB(180, 180, 180)},
    {clInactiveBorder, RGB(244, 247, 252)},
    {clAppWorkSpace, RGB(171, 171, 171)},
    {clHighlight, RGB(0, 120, 215)},
    {clHighlightText, RGB(255, 255, 255)},
    {clBtnFace, RGB(240, 240, 240)},
    {clBtnShadow, RGB(160, 160, 160)},
    {clGrayText, RGB(109, 109, 109)},
    {clBtnText, RGB(0, 0, 0)},
    {clInactiveCaptionText, RGB(0, 0, 0)},
    {clBtnHighlight, RGB(255, 255, 255)},
    {cl3DDkShadow, RGB(105, 105, 105)},
    {cl3DLight, RGB(227, 227, 227)},
    {clInfoText, RGB(0, 0, 0)},
    {clInfoBk, RGB(255, 255, 225)},
    {clHotLight, RGB(0, 102, 204)},
    {clGradientActiveCaption, RGB(185, 209, 234)},
    {clGradientInactiveCaption, RGB(215, 228, 242)},
    {clMenuHighlight, RGB(0, 120, 215)},
    {clMenuBar, RGB(240, 240, 240)},
};

}  // namespace

TColor ColourToRGB(TColor color) {
    if (color >= 0) return color;
    if (const platform::ControlTheme* theme = platform::DesktopTheme())
        if (const auto colour = theme->Colour(color & 0xFF)) return RGB(colour->red, colour->green, colour->blue);
    for (const SystemColourEntry& entry : kSystemColours)
        if (entry.system == color) return entry.rgb;
    return clBlack;
}

}  // namespace orvalis
