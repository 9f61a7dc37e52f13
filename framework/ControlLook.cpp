#include "framework/ControlLook.h"

#include <algorithm>

namespace orvalis {

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

void DrawArrow(TCanvas& canvas, const TRect& rect, TArrowDirection direction, TColor color) {
    // Lines of 1, 3, 5 ... pixels from the tip, as many as the rectangle allows (at most 4).
    const bool vertical = direction == TArrowDirection::Up || direction == TArrowDirection::Down;
    const std::int32_t lines = std::clamp((std::min(rect.Width(), rect.Height()) + 1) / 2, 1, 4);
    const std::int32_t centreX = rect.Left + (rect.Width() - 1) / 2;
    const std::int32_t centreY = rect.Top + (rect.Height() - 1) / 2;
    const std::int32_t first =
        (vertical ? rect.Top + (rect.Height() - lines) / 2 : rect.Left + (rect.Width() - lines) / 2);
    const bool tipFirst = direction == TArrowDirection::Up || direction == TArrowDirection::Left;
    const TColor brush = canvas.Brush().Color();
    canvas.Brush().SetColor(color);
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
