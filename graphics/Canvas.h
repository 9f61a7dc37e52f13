#pragma once
// TCanvas: drawing on a cairo context with a font, a brush and a pen: text measured and
// drawn through pango (CanvasText.h), shapes and fills through cairo, and copies of
// rectangles from other drawing surfaces.
//
// The drawing context is made when first needed: CreateHandle, which a subclass
// overrides to bind the canvas to its target (a control's window, a bitmap's image);
// a canvas that still has none then raises EInvalidOperation "Le canevas ne permet pas
// de dessiner". Every drawing operation first announces the change (Changing, which
// fires OnChanging), makes the canvas ready for it (RequiredState) and announces the
// end (Changed, OnChange) after drawing. Coordinates are pixels of the context's user
// space; shapes are drawn without antialiasing so that their pixels are exact, and an
// outline lies inside the rectangle of its shape.

#include <cairo.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

#include "classes/Events.h"
#include "classes/Persistent.h"
#include "classes/Rect.h"
#include "graphics/Brush.h"
#include "graphics/Font.h"
#include "graphics/Pen.h"
#include "platform/CairoPointers.h"

namespace orvalis {

namespace canvastext {
class TextFace;
}

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// DrawText: horizontal alignment, vertical alignment (single lines only), layout.
enum : std::uint32_t {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,   // lines broken between words to fit the rectangle's width
    DT_SINGLELINE = 0x20,  // line ends shown as blanks
    DT_EXPANDTABS = 0x40,  // tab stops every 8 average character widths (else a tab is a blank)
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,  // nothing drawn: the rectangle is set to the text's extent
    DT_NOPREFIX = 0x800,  // "&" shown as it is (else it underlines the next character, "&&" is "&")
};

// The copy modes (raster operations) that CopyRect and DrawSurface perform.
enum : std::uint32_t {
    cmBlackness = 0x00000042,
    cmDstInvert = 0x00550009,
    cmSrcCopy = 0x00CC0020,
    cmWhiteness = 0x00FF0062,
};

// What RequiredState makes ready.
enum TCanvasState : std::uint8_t {
    csHandleValid = 0x1,
    csFontValid = 0x2,
    csPenValid = 0x4,
    csBrushValid = 0x8,
    csAllValid = 0xF,
};

class TCanvas : public TPersistent {
    ORVALIS_TYPE_INFO(TCanvas)

public:
    TCanvas();
    ~TCanvas() override;

    // The drawing context, made when first needed.
    cairo_t* Handle();
    // Binds the canvas to `context` (or to none); the canvas holds a reference of its own.
    void SetHandle(cairo_t* context);
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Releases the drawing context. A canvas that made its own in CreateHandle gives it
    // back to its target.
    virtual void FreeHandle();
    // Makes ready what `state` (TCanvasState flags) names; the drawing context first.
    void RequiredState(std::uint8_t state);
    // The part of the user space that drawing can reach (the context's clip).
    TRect ClipRect();

    TFont& Font() { return *font_; }
    void SetFont(TFont& font) { font_->CopyFromObject(&font); }
    TBrush& Brush() { return *brush_; }
    void SetBrush(TBrush& brush) { brush_->CopyFromObject(&brush); }
    TPen& Pen() { return *pen_; }
    void SetPen(TPen& pen) { pen_->CopyFromObject(&pen); }
    std::uint32_t CopyMode() const { return copyMode_; }
    void SetCopyMode(std::uint32_t copyMode) { copyMode_ = copyMode; }
    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint position) { penPos_ = position; }

    // Text (UTF-8). The extent is the text's logical size: its width, and ascent plus
    // descent of the font per line.
    TSize TextExtent(std::string_view text);
    std::int32_t TextWidth(std::string_view text) { return TextExtent(text).cx; }
    std::int32_t TextHeight(std::string_view text) { return TextExtent(text).cy; }
    // The text with its top-left corner at (x, y) in the font colour, on the brush
    // colour unless the brush is clear; the pen position moves past it.
    void TextOut(std::int32_t x, std::int32_t y, std::string_view text);
    // As TextOut, clipped to `rect`, which the brush fills first unless it is clear.
    void TextRect(const TRect& rect, std::int32_t x, std::int32_t y, std::string_view text);
    // The text laid out in `rect` by `flags` (DT_...), in the font colour over what is
    // there. Returns the height of the text; with DT_CALCRECT draws nothing and sets
    // the rectangle's right and bottom to the text's extent.
    std::int32_t DrawText(std::string_view text, TRect& rect, std::uint32_t flags);

    // Shapes. Fills use the brush, lines and outlines the pen.
    void FillRect(const TRect& rect);
    // A one-pixel border of `rect` in the brush.
    void FrameRect(const TRect& rect);
    void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    void MoveTo(std::int32_t x, std::int32_t y) { penPos_ = {x, y}; }
    // A line from the pen position up to (x, y), that point excluded; the pen moves there.
    void LineTo(std::int32_t x, std::int32_t y);
    void Polygon(std::span<const TPoint> points);
    // A dotted frame that inverts what is under it: drawn twice, it is gone.
    void DrawFocusRect(const TRect& rect);

    // Copies (or scales) `sourceRect` of another canvas's context into `dest`, with
    // CopyMode.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
    // The same from a surface; a negative width or height of `sourceRect` mirrors.
    void DrawSurface(const TRect& dest, cairo_surface_t* source, const TRect& sourceRect);

    // Called before and after each drawing operation; they fire OnChanging and OnChange.
    virtual void Changing();
    virtual void Changed();
    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(const TNotifyEvent& handler) { onChange_ = handler; }
    const TNotifyEvent& OnChanging() const { return onChanging_; }
    void SetOnChanging(const TNotifyEvent& handler) { onChanging_ = handler; }

    // The canvas's lock, for the code that releases contexts from anywhere: whoever
    // draws holds it, and a release pass only takes the canvases it can lock at once.
    void Lock();
    bool TryLock();
    void Unlock();
    int LockCount() const { return lockCount_.load(); }

protected:
    // Binds the canvas to its target when a drawing context is first needed (by
    // SetHandle). Nothing here: a plain canvas only draws on a context it was given.
    virtual void CreateHandle();

private:
    void FontChanged(TObject* sender);
    void PenChanged(TObject* sender);
    void BrushChanged(TObject* sender);
    // The brush as the context's source; false for a clear brush.
    bool UseBrush();
    // The pen as the context's source, width and dashes; false when it draws nothing.
    bool UsePen();
    void FillBrushRect(const TRect& rect);

    platform::ContextPtr handle_;
    std::uint8_t state_ = 0;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TBrush> brush_;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<canvastext::TextFace> face_;  // while csFontValid
    platform::PatternPtr brushPattern_;           // while csBrushValid; null for a clear brush
    TColor brushRgb_ = clBlack;                   // the colour brushPattern_ was made in
    std::vector<double> penDashes_;               // while csPenValid
    std::uint32_t copyMode_ = cmSrcCopy;
    TPoint penPos_;
    TNotifyEvent onChange_;
    TNotifyEvent onChanging_;
    std::recursive_mutex lock_;
    std::atomic<int> lockCount_{0};
};

}  // namespace orvalis
