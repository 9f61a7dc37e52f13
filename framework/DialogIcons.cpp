#include "framework/DialogIcons.h"

#include "graphics/Canvas.h"
#include "graphics/SystemColours.h"
#include "platform/ControlTheme.h"
#include "platform/ScreenMetrics.h"

namespace orvalis {
namespace {

constexpr TColor kStopRed = RGB(200, 32, 32);
constexpr TColor kStopEdge = RGB(128, 0, 0);
constexpr TColor kWarningYellow = RGB(255, 204, 0);
constexpr TColor kWarningEdge = RGB(160, 112, 0);
constexpr TColor kInformationBlue = RGB(32, 96, 208);
constexpr TColor kInformationEdge = RGB(16, 48, 128);

void Disc(TCanvas& canvas, TColor fill, TColor edge) {
    canvas.Brush().SetColor(fill);
    canvas.Pen().SetColor(edge);
    canvas.Ellipse(1, 1, kDialogIconSize - 1, kDialogIconSize - 1);
}

// A glyph of the icon's own font, white or black, centred.
void Glyph(TCanvas& canvas, std::string_view glyph, TColor color) {
    canvas.Font().SetName("DejaVu Sans");
    canvas.Font().SetHeight(-22);
    canvas.Font().SetStyle(FontStyleBit(fsBold));
    canvas.Font().SetColor(color);
    TRect rect{0, 0, kDialogIconSize, kDialogIconSize};
    canvas.DrawText(glyph, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The icons of the desktop's icon theme, in the order of TDialogIcon.
constexpr const char* kThemeIconNames[] = {"dialog-error", "dialog-warning", "dialog-information", "dialog-question"};

// The framework's own drawing of the icon, in units of 32 × 32.
void PaintPlainIcon(TCanvas& canvas, TDialogIcon icon) {
    switch (icon) {
        case TDialogIcon::Stop:
            Disc(canvas, kStopRed, kStopEdge);
            canvas.Pen().SetColor(clWhite);
            canvas.Pen().SetWidth(4);
            canvas.MoveTo(10, 10);
            canvas.LineTo(22, 22);
            canvas.MoveTo(22, 10);
            canvas.LineTo(10, 22);
            canvas.Pen().SetWidth(1);
            break;
        case TDialogIcon::Exclamation: {
            const TPoint triangle[] = {{16, 1}, {31, 29}, {0, 29}};
            canvas.Brush().SetColor(kWarningYellow);
            canvas.Pen().SetColor(kWarningEdge);
            canvas.Polygon(triangle);
            canvas.Brush().SetColor(clBlack);
            canvas.FillRect({14, 9, 18, 21});
            canvas.FillRect({14, 23, 18, 27});
            break;
        }
        case TDialogIcon::Information:
            Disc(canvas, kInformationBlue, kInformationEdge);
            canvas.Brush().SetColor(clWhite);
            canvas.FillRect({14, 7, 18, 11});
            canvas.FillRect({14, 13, 18, 25});
            break;
        case TDialogIcon::Question:
            Disc(canvas, kInformationBlue, kInformationEdge);
            canvas.Brush().SetStyle(bsClear);
            Glyph(canvas, "?", clWhite);
            break;
    }
}

// Scales the canvas's drawing up for as long as it lives.
class ScaledDrawing {
public:
    ScaledDrawing(TCanvas& canvas, int scale) : context_(canvas.Handle()) {
        cairo_save(context_);
        cairo_scale(context_, scale, scale);
    }
    ~ScaledDrawing() { cairo_restore(context_); }
    ScaledDrawing(const ScaledDrawing&) = delete;
    ScaledDrawing& operator=(const ScaledDrawing&) = delete;

private:
    cairo_t* context_;
};

}  // namespace

void PaintDialogIcon(TBitmap& bitmap, TDialogIcon icon) {
    const int scale = platform::GetScreenMetrics().deviceScale;
    const std::int32_t pixels = kDialogIconSize * scale;
    bitmap.SetWidth(pixels);
    bitmap.SetHeight(pixels);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect({0, 0, pixels, pixels});
    if (const platform::ControlTheme* theme = platform::DesktopTheme()) {
        canvas.Changing();
        const bool drawn =
            theme->DrawIcon(canvas.Handle(), kThemeIconNames[static_cast<int>(icon)], kDialogIconSize, scale);
        canvas.Changed();
        if (drawn) return;
    }
    ScaledDrawing scaled(canvas, scale);
    PaintPlainIcon(canvas, icon);
}

}  // namespace orvalis
