#pragma once
// The text side of the canvas, on pango: a face made from a TFont, and laid-out texts
// that measure and draw themselves. All text goes through one font map and context per
// thread at 96 pixels per inch with fixed font options (grey antialiasing, no hinting
// of outlines or metrics), so that a text measures the same on every machine.

#include <pango/pangocairo.h>

#include <memory>
#include <string_view>

#include "graphics/Font.h"

namespace orvalis::canvastext {

struct GObjectRelease {
    void operator()(void* object) const { g_object_unref(object); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectRelease>;

struct FontDescriptionRelease {
    void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};

struct PixelSize {
    int width = 0;
    int height = 0;
};

class TextLayout;

// The pango form of a font: family, size in pixels, weight, slant, and the underline
// and strike-out that each text in it gets.
class TextFace {
public:
    explicit TextFace(const TFont& font);

    // A layout of `text` (UTF-8) in this face, on one line per paragraph.
    TextLayout Layout(std::string_view text) const;
    // The width of the 52 letters "A".."Z", "a".."z" divided by 52, and their height.
    PixelSize AverageCharSize() const;

private:
    std::unique_ptr<PangoFontDescription, FontDescriptionRelease> description_;
    bool underline_ = false;
    bool strikeOut_ = false;
};

class TextLayout {
public:
    // The logical extents of the text (ascent plus descent per line), in whole pixels.
    PixelSize Size() const;
    // Lays the text out within `width` pixels, breaking lines between words (a word
    // longer than the width stays whole).
    void WrapAt(int width);
    // Lines aligned within the widest line (or the wrap width): 0 left, 1 centre, 2 right.
    void Align(int alignment);
    // Tab stops every `spacing` pixels.
    void SetTabSpacing(int spacing);
    // Underlines the character that starts at byte `index` (a mnemonic).
    void UnderlineAt(std::size_t index, std::size_t length);
    // Draws the text with its top-left corner at (x, y) in the source colour of `context`.
    void Show(cairo_t* context, double x, double y);

private:
    friend class TextFace;
    explicit TextLayout(PangoLayout* layout) : layout_(layout) {}

    GObjectPtr<PangoLayout> layout_;
};

}  // namespace orvalis::canvastext
