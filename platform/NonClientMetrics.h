#pragma once
// The virtual frame of top-level windows. Backends draw their own decorations, but the
// framework's arithmetic between a window's size and its client size keeps the
// original platform's metrics: a sizeable border of 4 pixels on each side, a fixed one
// of 3, a thin one of 1, a caption of 19 and a menu bar of 19. A 696 × 480 sizeable
// window with a caption and a menu bar has a 688 × 434 client area. Child windows have
// no frame: their client area is their whole bounds. A window with a menu bar is never
// narrower than the bar's items (Menu.h).

#include <cstdint>

#include "platform/Geometry.h"

namespace orvalis::platform {

constexpr int kSizeableBorder = 4;
constexpr int kFixedBorder = 3;
constexpr int kThinBorder = 1;
constexpr int kCaptionHeight = 19;
constexpr int kMenuBarHeight = 19;

// The menu font, in which menu bars are measured and shown: the face and size that the
// forms' "MS Sans Serif" of height -11 is drawn in (graphics/Font.cpp), as the original
// platform's menu font was the forms' own.
inline constexpr const char* kMenuFontFamily = "DejaVu Sans Condensed";
constexpr int kMenuFontPixels = 11;

struct FrameInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const FrameInsets&, const FrameInsets&) = default;
};

// The frame of a top-level window with that style, with or without a menu bar.
FrameInsets NonClientInsets(std::uint32_t style, bool hasMenu);
// The outer bounds of a top-level window whose client area is `client`.
Rect AdjustWindowRect(const Rect& client, std::uint32_t style, bool hasMenu);

}  // namespace orvalis::platform
