#include "graphics/Font.h"

#include <cmath>

#include "classes/ClassBuilder.h"
#include "runtime/TextConversions.h"

namespace orvalis {
namespace {

struct FamilyEntry {
    std::string_view name;
    std::string_view family;
};

// The names with a family of their own; every other name is drawn in DejaVu Sans. The
// forms' "MS Sans Serif" is drawn narrower, in DejaVu Sans Condensed: at -11 it keeps the
// text height of 13 the forms were made with, and its widths fit the forms' labels
// ("Délai entre chaque vue", 8 pixels from the options dialog's edge, ends before the
// edit box at 128).
constexpr FamilyEntry kFamilies[] = {
    {"MS Sans Serif", "DejaVu Sans Condensed"},
    {"DejaVu Sans", "DejaVu Sans"},
    {"DejaVu Sans Condensed", "DejaVu Sans Condensed"},
    {"DejaVu Sans Mono", "DejaVu Sans Mono"},
    {"DejaVu Serif", "DejaVu Serif"},
    {"Courier New", "DejaVu Sans Mono"},
    {"Courier", "DejaVu Sans Mono"},
    {"Times New Roman", "DejaVu Serif"},
};
constexpr std::string_view kDefaultFamily = "DejaVu Sans";
constexpr std::string_view kFixedFamily = "DejaVu Sans Mono";

std::int32_t RoundedRatio(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
    return static_cast<std::int32_t>(std::lround(static_cast<double>(value) * numerator / denominator));
}

}  // namespace

const TClassInfo& TFont::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TFont, TGraphicsObject>("TFont")
                                       .Property("Charset", &TFont::Charset, &TFont::SetCharset)
                                       .Type(kFontCharsetType)
                                       .Property("Color", &TFont::Color, &TFont::SetColor)
                                       .Type(kColorType)
                                       .Property("Height", &TFont::Height, &TFont::SetHeight)
                                       .Property("Name", &TFont::Name, &TFont::SetName)
                                       .Property("Pitch", &TFont::Pitch, &TFont::SetPitch)
                                       .Default(fpDefault)
                                       .Property("Size", &TFont::Size, &TFont::SetSize)
                                       .Stored(false)
                                       .Property("Style", &TFont::Style, &TFont::SetStyle)
                                       .Type(kFontStylesType);
    return info;
}

void TFont::SetCharset(TFontCharset charset) {
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TFont::SetHeight(std::int32_t height) {
    if (height == height_) return;
    height_ = height;
    Changed();
}

void TFont::SetName(const String& name) {
    if (name.IsEmpty() || name == name_) return;
    name_ = name;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == pitch_) return;
    pitch_ = pitch;
    Changed();
}

std::int32_t TFont::Size() const { return -RoundedRatio(height_, 72, kPixelsPerInch); }

void TFont::SetSize(std::int32_t size) { SetHeight(-RoundedRatio(size, kPixelsPerInch, 72)); }

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::CopyFromObject(TPersistent* source) {
    auto* font = dynamic_cast<TFont*>(source);
    if (!font) return TGraphicsObject::CopyFromObject(source);
    charset_ = font->charset_;
    color_ = font->color_;
    height_ = font->height_;
    name_ = font->name_;
    pitch_ = font->pitch_;
    style_ = font->style_;
    Changed();
}

std::string_view FontFamilyFor(const TFont& font) {
    for (const FamilyEntry& entry : kFamilies)
        if (SameText(entry.name, font.Name().View())) return entry.family;
    return font.Pitch() == fpFixed ? kFixedFamily : kDefaultFamily;
}

}  // namespace orvalis
