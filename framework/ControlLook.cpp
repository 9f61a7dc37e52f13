#include "framework/ControlLook.h"

#include <algorithm>

#include "graphics/DevicePixels.h"

namespace orvalis {

bool DrawThemedPart(TCanvas& canvas, const TRect& rect, platform::ControlPart part, platform::ControlState state) {
    const platform::ControlTheme* theme = platform::DesktopTheme();
    if (!theme) return false;
    canvas.Changing();
    canvas.RequiredState(csHandleValid);
    theme->DrawPart(canvas.Handle(), {rect.Left, rect.Top, rect.Right, rect.Bottom}, part, state);
    canvas.Changed();
    return true;
}

void Frame3D(TCanvas& canvas, TRect& rect, TColor topLeft, TColor bottomRight) {
    const TColor brush = canvas.Brush().Color();
    canvas.Brush().SetColor(topLeft);
    canvas.FillRect({rect.Left, rect.Top, rect.Right, rect.Top + 1});
    canvas.FillRect({rect.Left, rect.Top, rect.Left + 1, rect.Bottom});
    canvas.Brush().SetColor(bottomRight);
    canvas.FillRect({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom});
    canvas.FillRect({rect.Right - 1, rect.Top, rect.Right, rect.Bottom});
    canvas.Brush().SetColor(brush);
    rect = {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
}

void DrawRaisedBevel(TCanvas& canvas, TRect& rect) {
    Frame3D(canvas, rect, clBtnHighlight, cl3DDkShadow);
    Frame3D(canvas, rect, cl3DLight, clBtnShadow);
}

void DrawSunkenBevel(TCanvas& canvas, TRect& rect) {
    Frame3D(canvas, rect, clBtnShadow, clBtnHighlight);
    Frame3D(canvas, rect, cl3DDkShadow, cl3DLight);
}

void DrawArrow(TCanvas& canvas, const TRect& rect, TArrowDirection direction, bool enabled) {
    static constexpr platform::ControlPart kParts[] = {platform::ControlPart::ArrowUp, platform::ControlPart::ArrowDown,
                                                       platform::ControlPart::ArrowLeft,
                                                       platform::ControlPart::ArrowRight};
    if (DrawThemedPart(canvas, rect, kParts[static_cast<int>(direction)], {.disabled = !enabled})) return;
    // Lines of 1, 3, 5 ... device pixels from the tip, as many as the rectangle allows
    // (at most 4 per unit of the device scale), so that a high-density screen shows a
    // finer triangle, not the one-unit triangle enlarged.
    DevicePixels device(canvas);
    const std::int32_t scale = device.Scale();
    const TRect area{rect.Left * scale, rect.Top * scale, rect.Right * scale, rect.Bottom * scale};
    const bool vertical = direction == TArrowDirection::Up || direction == TArrowDirection::Down;
    const std::int32_t lines = scale * std::clamp((std::min(rect.Width(), rect.Height()) + 1) / 2, 1, 4);
    const std::int32_t centreX = area.Left + (area.Width() - 1) / 2;
    const std::int32_t centreY = area.Top + (area.Height() - 1) / 2;
    const std::int32_t first =
        (vertical ? area.Top + (area.Height() - lines) / 2 : area.Left + (area.Width() - lines) / 2);
    const bool tipFirst = direction == TArrowDirection::Up || direction == TArrowDirection::Left;
    const TColor brush = canvas.Brush().Color();
    canvas.Brush().SetColor(enabled ? clBtnText : clGrayText);
    for (std::int32_t line = 0; line < lines; ++line) {
        const std::int32_t half = tipFirst ? line : lines - 1 - line;
        const std::int32_t at = first + line;
        if (vertical)
            canvas.FillRect({centreX - half, at, centreX + half + 1, at + 1});
        else
            canvas.FillRect({at, centreY - half, at + 1, centreY + half + 1});
    }
    canvas.Brush().SetColor(brush);
}

}  // namespace orvalis
