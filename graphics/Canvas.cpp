#include "graphics/Canvas.h"

#include <cassert>
#include <cmath>
#include <numbers>
#include <string>

#include "classes/ClassBuilder.h"
#include "graphics/SystemColours.h"
#include "graphics/detail/CanvasText.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

// Restores the context's state (source, operator, clip, transformation, path) when
// the operation ends, so that a context shared with its owner comes back unchanged.
class SavedState {
public:
    explicit SavedState(cairo_t* context) : context_(context) {
        cairo_save(context_);
        cairo_new_path(context_);
        cairo_set_antialias(context_, CAIRO_ANTIALIAS_NONE);
    }
    ~SavedState() { cairo_restore(context_); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    cairo_t* context_;
};

void SetSourceColour(cairo_t* context, TColor color) {
    const TColor rgb = ColourToRGB(color);
    cairo_set_source_rgb(context, RedOf(rgb) / 255.0, GreenOf(rgb) / 255.0, BlueOf(rgb) / 255.0);
}

TRect Normalized(const TRect& rect) {
    return {std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom), std::max(rect.Left, rect.Right),
            std::max(rect.Top, rect.Bottom)};
}

void AddRect(cairo_t* context, const TRect& rect) {
    cairo_rectangle(context, rect.Left, rect.Top, rect.Width(), rect.Height());
}

// The dashes (on, off, ...) of the pen styles drawn with a one-pixel pen; wider pens
// draw solid lines.
struct PenDashes {
    TPenStyle style;
    std::span<const double> dashes;
};
constexpr double kDash[] = {18, 6};
constexpr double kDot[] = {3, 3};
constexpr double kDashDot[] = {9, 6, 3, 6};
constexpr double kDashDotDot[] = {9, 3, 3, 3, 3, 3};
constexpr PenDashes kPenDashes[] = {
    {psDash, kDash},
    {psDot, kDot},
    {psDashDot, kDashDot},
    {psDashDotDot, kDashDotDot},
};

// The pixels of one 8 × 8 tile of a hatch, as (x, y) pairs drawn in the brush colour.
platform::PatternPtr HatchPattern(TBrushStyle style, TColor color) {
    const platform::SurfacePtr tile(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
    const platform::ContextPtr owned(cairo_create(tile.get()));
    cairo_t* context = owned.get();
    SetSourceColour(context, color);
    const bool horizontal = style == bsHorizontal || style == bsCross;
    const bool vertical = style == bsVertical || style == bsCross;
    const bool forward = style == bsFDiagonal || style == bsDiagCross;
    const bool backward = style == bsBDiagonal || style == bsDiagCross;
    for (int i = 0; i < 8; ++i) {
        if (horizontal) cairo_rectangle(context, i, 0, 1, 1);
        if (vertical) cairo_rectangle(context, 0, i, 1, 1);
        if (forward) cairo_rectangle(context, i, i, 1, 1);
        if (backward) cairo_rectangle(context, 7 - i, i, 1, 1);
    }
    cairo_fill(context);
    platform::PatternPtr pattern(cairo_pattern_create_for_surface(tile.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    return pattern;
}

// A text as DrawText shows it: line ends and tabs replaced as the flags say, and the
// "&" markers taken out, the position of the marked character kept.
struct PreparedText {
    std::string text;
    std::size_t mnemonic = std::string::npos;
};

PreparedText PrepareText(std::string_view text, std::uint32_t flags) {
    PreparedText prepared;
    const bool prefixes = (flags & DT_NOPREFIX) == 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if ((flags & DT_SINGLELINE) && (c == '\r' || c == '\n')) c = ' ';
        if (!(flags & DT_EXPANDTABS) && c == '\t') c = ' ';
        if (prefixes && c == '&') {
            if (++i == text.size()) break;
            c = text[i];
            if (c != '&' && prepared.mnemonic == std::string::npos) prepared.mnemonic = prepared.text.size();
        }
        prepared.text += c;
    }
    return prepared;
}

// The length of the UTF-8 character starting at `index`.
std::size_t CharacterLength(std::string_view text, std::size_t index) {
    std::size_t end = index + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    return end - index;
}

}  // namespace

const TClassInfo& TCanvas::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TCanvas, TPersistent>("TCanvas");
    return info;
}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), brush_(std::make_unique<TBrush>()), pen_(std::make_unique<TPen>()) {
    font_->SetOnChange(TNotifyEvent(this, &TCanvas::FontChanged));
    brush_->SetOnChange(TNotifyEvent(this, &TCanvas::BrushChanged));
    pen_->SetOnChange(TNotifyEvent(this, &TCanvas::PenChanged));
}

TCanvas::~TCanvas() = default;

cairo_t* TCanvas::Handle() {
    RequiredState(csHandleValid);
    return handle_.get();
}

void TCanvas::SetHandle(cairo_t* context) {
    if (context == handle_.get()) return;
    handle_.reset(context ? cairo_reference(context) : nullptr);
    state_ = context ? static_cast<std::uint8_t>(state_ | csHandleValid)
                     : static_cast<std::uint8_t>(state_ & ~csHandleValid);
}

void TCanvas::FreeHandle() { SetHandle(nullptr); }

void TCanvas::CreateHandle() {}

void TCanvas::RequiredState(std::uint8_t state) {
    // A system colour's brush follows the desktop's theme, which may change while the
    // canvas lives: the brush is made again when its colour reads otherwise.
    if ((state & state_ & csBrushValid) && brush_->Color() < 0 && ColourToRGB(brush_->Color()) != brushRgb_)
        state_ &= ~csBrushValid;
    const std::uint8_t needed = state & ~state_;
    if (needed == 0) return;
    if (needed & csHandleValid) {
        CreateHandle();
        if (!handle_.get()) throw EInvalidOperation(ResId::CanvasCannotDraw);
    }
    if (needed & csFontValid) face_ = std::make_unique<canvastext::TextFace>(*font_);
    if (needed & csPenValid) {
        penDashes_.clear();
        if (pen_->Width() == 1)
            for (const PenDashes& entry : kPenDashes)
                if (entry.style == pen_->Style()) penDashes_.assign(entry.dashes.begin(), entry.dashes.end());
    }
    if (needed & csBrushValid) {
        brushPattern_.reset();
        brushRgb_ = ColourToRGB(brush_->Color());
        if (brush_->Style() == bsSolid) {
            brushPattern_.reset(cairo_pattern_create_rgb(RedOf(brushRgb_) / 255.0, GreenOf(brushRgb_) / 255.0,
                                                         BlueOf(brushRgb_) / 255.0));
        } else if (brush_->Style() != bsClear) {
            brushPattern_ = HatchPattern(brush_->Style(), brush_->Color());
        }
    }
    state_ |= needed;
}

TRect TCanvas::ClipRect() {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(Handle(), &x1, &y1, &x2, &y2);
    return {static_cast<std::int32_t>(std::floor(x1)), static_cast<std::int32_t>(std::floor(y1)),
            static_cast<std::int32_t>(std::ceil(x2)), static_cast<std::int32_t>(std::ceil(y2))};
}

void TCanvas::FontChanged(TObject*) { state_ &= ~csFontValid; }
void TCanvas::PenChanged(TObject*) { state_ &= ~csPenValid; }
void TCanvas::BrushChanged(TObject*) { state_ &= ~csBrushValid; }

bool TCanvas::UseBrush() {
    if (!brushPattern_) return false;
    cairo_set_source(handle_.get(), brushPattern_.get());
    return true;
}

bool TCanvas::UsePen() {
    if (pen_->Style() == psClear || pen_->Mode() == pmNop) return false;
    cairo_set_line_width(handle_.get(), pen_->Width());
    cairo_set_dash(handle_.get(), penDashes_.data(), static_cast<int>(penDashes_.size()), 0);
    switch (pen_->Mode()) {
        case pmBlack: SetSourceColour(handle_.get(), clBlack); break;
        case pmWhite: SetSourceColour(handle_.get(), clWhite); break;
        case pmNot:
            SetSourceColour(handle_.get(), clWhite);
            cairo_set_operator(handle_.get(), CAIRO_OPERATOR_DIFFERENCE);
            break;
        default: SetSourceColour(handle_.get(), pen_->Color()); break;
    }
    return true;
}

void TCanvas::FillBrushRect(const TRect& rect) {
    if (!UseBrush()) return;
    AddRect(handle_.get(), Normalized(rect));
    cairo_fill(handle_.get());
}

TSize TCanvas::TextExtent(std::string_view text) {
    RequiredState(csHandleValid | csFontValid);
    const canvastext::PixelSize size = face_->Layout(text).Size();
    return {size.width, size.height};
}

void TCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    canvastext::TextLayout layout = face_->Layout(text);
    const canvastext::PixelSize size = layout.Size();
    {
        SavedState saved(handle_.get());
        FillBrushRect({x, y, x + size.width, y + size.height});
        SetSourceColour(handle_.get(), font_->Color());
        layout.Show(handle_.get(), x, y);
    }
    penPos_ = {x + size.width, y};
    Changed();
}

void TCanvas::TextRect(const TRect& rect, std::int32_t x, std::int32_t y, std::string_view text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    {
        SavedState saved(handle_.get());
        AddRect(handle_.get(), Normalized(rect));
        cairo_clip(handle_.get());
        FillBrushRect(rect);
        SetSourceColour(handle_.get(), font_->Color());
        face_->Layout(text).Show(handle_.get(), x, y);
    }
    Changed();
}

std::int32_t TCanvas::DrawText(std::string_view text, TRect& rect, std::uint32_t flags) {
    RequiredState(csHandleValid | csFontValid);
    const PreparedText prepared = PrepareText(text, flags);
    canvastext::TextLayout layout = face_->Layout(prepared.text);
    if (prepared.mnemonic != std::string::npos)
        layout.UnderlineAt(prepared.mnemonic, CharacterLength(prepared.text, prepared.mnemonic));
    if (flags & DT_EXPANDTABS) layout.SetTabSpacing(8 * face_->AverageCharSize().width);
    const bool wrapped = (flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE);
    const int alignment = (flags & DT_CENTER) ? 1 : (flags & DT_RIGHT) ? 2 : 0;
    if (wrapped) layout.WrapAt(rect.Width());
    layout.Align(alignment);
    canvastext::PixelSize size = layout.Size();

    if (flags & DT_CALCRECT) {
        if (wrapped) {
            // The widest line, not the width it was wrapped at.
            canvastext::TextLayout unaligned = face_->Layout(prepared.text);
            unaligned.WrapAt(rect.Width());
            size.width = unaligned.Size().width;
        }
        rect.Right = rect.Left + size.width;
        rect.Bottom = rect.Top + size.height;
        return size.height;
    }

    // Wrapped lines are aligned within the rectangle's width by the layout itself; the
    // others within the widest line, which is then placed in the rectangle.
    std::int32_t x = rect.Left;
    if (!wrapped && alignment == 1) x += (rect.Width() - size.width) / 2;
    if (!wrapped && alignment == 2) x += rect.Width() - size.width;
    std::int32_t y = rect.Top;
    if ((flags & DT_SINGLELINE) && (flags & DT_VCENTER)) y += (rect.Height() - size.height) / 2;
    if ((flags & DT_SINGLELINE) && (flags & DT_BOTTOM)) y = rect.Bottom - size.height;

    Changing();
    {
        SavedState saved(handle_.get());
        if (!(flags & DT_NOCLIP)) {
            AddRect(handle_.get(), Normalized(rect));
            cairo_clip(handle_.get());
        }
        SetSourceColour(handle_.get(), font_->Color());
        layout.Show(handle_.get(), x, y);
    }
    Changed();
    return size.height;
}

void TCanvas::FillRect(const TRect& rect) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    {
        SavedState saved(handle_.get());
        FillBrushRect(rect);
    }
    Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    const TRect r = Normalized(rect);
    if (r.Width() > 0 && r.Height() > 0) {
        SavedState saved(handle_.get());
        if (UseBrush()) {
            cairo_rectangle(handle_.get(), r.Left, r.Top, r.Width(), 1);
            if (r.Height() > 1) cairo_rectangle(handle_.get(), r.Left, r.Bottom - 1, r.Width(), 1);
            if (r.Height() > 2) {
                cairo_rectangle(handle_.get(), r.Left, r.Top + 1, 1, r.Height() - 2);
                if (r.Width() > 1) cairo_rectangle(handle_.get(), r.Right - 1, r.Top + 1, 1, r.Height() - 2);
            }
            cairo_fill(handle_.get());
        }
    }
    Changed();
}

void TCanvas::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    {
        SavedState saved(handle_.get());
        const TRect r = Normalized({left, top, right, bottom});
        FillBrushRect(r);
        if (UsePen()) {
            const double inset = pen_->Width() / 2.0;
            cairo_rectangle(handle_.get(), r.Left + inset, r.Top + inset, r.Width() - pen_->Width(),
                            r.Height() - pen_->Width());
            cairo_stroke(handle_.get());
        }
    }
    Changed();
}

void TCanvas::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    {
        SavedState saved(handle_.get());
        const TRect r = Normalized({left, top, right, bottom});
        const double width = pen_->Style() == psClear ? 0 : pen_->Width();
        const auto addEllipse = [&](double inset) {
            const double rx = (r.Width() - 2 * inset) / 2.0;
            const double ry = (r.Height() - 2 * inset) / 2.0;
            if (rx <= 0 || ry <= 0) return false;
            cairo_save(handle_.get());
            cairo_translate(handle_.get(), r.Left + r.Width() / 2.0, r.Top + r.Height() / 2.0);
            cairo_scale(handle_.get(), rx, ry);
            cairo_arc(handle_.get(), 0, 0, 1, 0, 2 * std::numbers::pi);
            cairo_restore(handle_.get());
            return true;
        };
        if (UseBrush() && addEllipse(0)) cairo_fill(handle_.get());
        if (UsePen() && addEllipse(width / 2)) cairo_stroke(handle_.get());
    }
    Changed();
}

void TCanvas::LineTo(std::int32_t x, std::int32_t y) {
    Changing();
    RequiredState(csHandleValid | csPenValid);
    {
        SavedState saved(handle_.get());
        if (UsePen()) {
            // Pixel centres lie on half coordinates; the end point is left out, so a
            // horizontal or vertical line stops at the pixel before it.
            const double centre = pen_->Width() % 2 ? 0.5 : 0.0;
            const TPoint from = penPos_;
            if (from.Y == y && from.X != x) {
                const double shift = x > from.X ? 0 : 1;
                cairo_move_to(handle_.get(), from.X + shift, y + centre);
                cairo_line_to(handle_.get(), x + shift, y + centre);
            } else if (from.X == x && from.Y != y) {
                const double shift = y > from.Y ? 0 : 1;
                cairo_move_to(handle_.get(), x + centre, from.Y + shift);
                cairo_line_to(handle_.get(), x + centre, y + shift);
            } else {
                cairo_move_to(handle_.get(), from.X + centre, from.Y + centre);
                cairo_line_to(handle_.get(), x + centre, y + centre);
            }
            cairo_stroke(handle_.get());
        }
    }
    penPos_ = {x, y};
    Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
    if (points.empty()) return;
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    {
        SavedState saved(handle_.get());
        const double centre = pen_->Width() % 2 ? 0.5 : 0.0;
        const auto addPath = [&] {
            cairo_move_to(handle_.get(), points[0].X + centre, points[0].Y + centre);
            for (const TPoint& point : points.subspan(1))
                cairo_line_to(handle_.get(), point.X + centre, point.Y + centre);
            cairo_close_path(handle_.get());
        };
        cairo_set_fill_rule(handle_.get(), CAIRO_FILL_RULE_EVEN_ODD);
        if (UseBrush()) {
            addPath();
            cairo_fill(handle_.get());
        }
        if (UsePen()) {
            addPath();
            cairo_stroke(handle_.get());
        }
    }
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    Changing();
    RequiredState(csHandleValid);
    const TRect r = Normalized(rect);
    {
        SavedState saved(handle_.get());
        SetSourceColour(handle_.get(), clWhite);
        cairo_set_operator(handle_.get(), CAIRO_OPERATOR_DIFFERENCE);
        const auto dot = [&](std::int32_t x, std::int32_t y) {
            if ((x + y) % 2 == 0) cairo_rectangle(handle_.get(), x, y, 1, 1);
        };
        for (std::int32_t x = r.Left; x < r.Right; ++x) {
            dot(x, r.Top);
            if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
        }
        for (std::int32_t y = r.Top + 1; y < r.Bottom - 1; ++y) {
            dot(r.Left, y);
            if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
        }
        cairo_fill(handle_.get());
    }
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    cairo_t* from = source.Handle();
    // The source rectangle is in the source canvas's user space; the surface is not.
    double x = 0, y = 0;
    cairo_user_to_device(from, &x, &y);
    const auto dx = static_cast<std::int32_t>(std::lround(x));
    const auto dy = static_cast<std::int32_t>(std::lround(y));
    DrawSurface(dest, cairo_get_target(from),
                {sourceRect.Left + dx, sourceRect.Top + dy, sourceRect.Right + dx, sourceRect.Bottom + dy});
}

void TCanvas::DrawSurface(const TRect& dest, cairo_surface_t* source, const TRect& sourceRect) {
    if (dest.Width() == 0 || dest.Height() == 0 || sourceRect.Width() == 0 || sourceRect.Height() == 0) return;
    Changing();
    RequiredState(csHandleValid);
    {
        SavedState saved(handle_.get());
        AddRect(handle_.get(), Normalized(dest));
        cairo_clip(handle_.get());
        switch (copyMode_) {
            case cmSrcCopy: {
                cairo_surface_flush(source);
                // Copying within one surface reads a copy of the source part.
                platform::SurfacePtr from(cairo_surface_reference(source));
                TRect part = sourceRect;
                if (source == cairo_get_target(handle_.get())) {
                    const TRect n = Normalized(sourceRect);
                    from.reset(
                        cairo_surface_create_similar(source, cairo_surface_get_content(source), n.Width(), n.Height()));
                    const platform::ContextPtr context(cairo_create(from.get()));
                    cairo_set_source_surface(context.get(), source, -n.Left, -n.Top);
                    cairo_set_operator(context.get(), CAIRO_OPERATOR_SOURCE);
                    cairo_paint(context.get());
                    part = {sourceRect.Left - n.Left, sourceRect.Top - n.Top, sourceRect.Right - n.Left,
                            sourceRect.Bottom - n.Top};
                }
                const platform::PatternPtr owned(cairo_pattern_create_for_surface(from.get()));
                cairo_pattern_t* pattern = owned.get();
                cairo_matrix_t matrix;
                cairo_matrix_init_translate(&matrix, part.Left, part.Top);
                cairo_matrix_scale(&matrix, static_cast<double>(part.Width()) / dest.Width(),
                                   static_cast<double>(part.Height()) / dest.Height());
                cairo_matrix_translate(&matrix, -dest.Left, -dest.Top);
                cairo_pattern_set_matrix(pattern, &matrix);
                cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
                cairo_set_source(handle_.get(), pattern);
                cairo_set_operator(handle_.get(), CAIRO_OPERATOR_SOURCE);
                cairo_paint(handle_.get());
                break;
            }
            case cmBlackness:
                SetSourceColour(handle_.get(), clBlack);
                cairo_paint(handle_.get());
                break;
            case cmWhiteness:
                SetSourceColour(handle_.get(), clWhite);
                cairo_paint(handle_.get());
                break;
            case cmDstInvert:
                SetSourceColour(handle_.get(), clWhite);
                cairo_set_operator(handle_.get(), CAIRO_OPERATOR_DIFFERENCE);
                cairo_paint(handle_.get());
                break;
            default: assert(false && "a copy mode that the canvas does not perform");
        }
    }
    Changed();
}

void TCanvas::Changing() {
    if (onChanging_) onChanging_(this);
}

void TCanvas::Changed() {
    if (onChange_) onChange_(this);
}

void TCanvas::Lock() {
    lock_.lock();
    ++lockCount_;
}

bool TCanvas::TryLock() {
    if (!lock_.try_lock()) return false;
    ++lockCount_;
    return true;
}

void TCanvas::Unlock() {
    --lockCount_;
    lock_.unlock();
}

}  // namespace orvalis
