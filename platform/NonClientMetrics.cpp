#include "platform/NonClientMetrics.h"

#include "platform/Window.h"

namespace orvalis::platform {

FrameInsets NonClientInsets(std::uint32_t style, bool hasMenu) {
    int border = (style & WS_THICKFRAME) ? kSizeableBorder
                 : (style & WS_DLGFRAME) ? kFixedBorder
                 : (style & WS_BORDER)   ? kThinBorder
                                         : 0;
    int caption = (style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0;
    return {border, border + caption + (hasMenu ? kMenuBarHeight : 0), border, border};
}

Rect AdjustWindowRect(const Rect& client, std::uint32_t style, bool hasMenu) {
    FrameInsets insets = NonClientInsets(style, hasMenu);
    return {client.left - insets.left, client.top - insets.top, client.right + insets.right,
            client.bottom + insets.bottom};
}

}  // namespace orvalis::platform
