#pragma once
// TFont: the font a canvas writes with and a control shows its text in. Height is in
// pixels: negative, the height of the characters themselves (the em size); positive,
// the height of the character cell (ascent plus descent); 0, the default size. Size
// is the same measure in points at the font's pixels per inch (the screen's).
//
// Text is measured and drawn with the DejaVu families (fonts-dejavu-core and
// fonts-dejavu-extra, which scripts/ensure-deps.sh installs), so that measurements are
// the same everywhere: "MS Sans Serif", the forms' font, maps to DejaVu Sans Condensed,
// and any name the machine is not sure to have to DejaVu Sans (FontFamilyFor).

#include <cstdint>
#include <string_view>

#include "classes/Color.h"
#include "classes/FontCharset.h"
#include "classes/TypeInfo.h"
#include "graphics/GraphicsObject.h"
#include "runtime/String.h"

namespace orvalis {

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut, kFontStyleCount };
inline constexpr std::string_view kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
inline constexpr TTypeInfo kFontStyleType = EnumerationType<kFontStyleCount>("TFontStyle", kFontStyleNames);
inline const TTypeInfo& DescribeType(TypeTag<TFontStyle>) { return kFontStyleType; }
// A set of TFontStyle: bit v for element v.
using TFontStyles = std::uint8_t;
inline constexpr TTypeInfo kFontStylesType = SetType("TFontStyles", kFontStyleType);
constexpr TFontStyles FontStyleBit(TFontStyle style) { return static_cast<TFontStyles>(1u << style); }

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed, kFontPitchCount };
inline constexpr std::string_view kFontPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
inline constexpr TTypeInfo kFontPitchType = EnumerationType<kFontPitchCount>("TFontPitch", kFontPitchNames);
inline const TTypeInfo& DescribeType(TypeTag<TFontPitch>) { return kFontPitchType; }

class TFont : public TGraphicsObject {
    ORVALIS_TYPE_INFO(TFont)

public:
    // MS Sans Serif, 8 points (-11 pixels at 96 pixels per inch), window text colour.
    TFont() = default;

    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset charset);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    std::int32_t Height() const { return height_; }
    void SetHeight(std::int32_t height);
    const String& Name() const { return name_; }
    void SetName(const String& name);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    // Points: -Height × 72 / kPixelsPerInch, rounded; setting it sets Height.
    std::int32_t Size() const;
    void SetSize(std::int32_t size);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    bool HasStyle(TFontStyle style) const { return (style_ & FontStyleBit(style)) != 0; }
    // The resolution that Size is counted in: the one text is drawn at.
    static constexpr std::int32_t kPixelsPerInch = 96;

    // Copies another font (all of it, one OnChange); other sources as TPersistent says.
    void CopyFromObject(TPersistent* source) override;

private:
    TFontCharset charset_ = DEFAULT_CHARSET;
    TColor color_ = clWindowText;
    std::int32_t height_ = -11;
    String name_ = "MS Sans Serif";
    TFontPitch pitch_ = fpDefault;
    TFontStyles style_ = 0;
};

// The family that text in `font` is drawn with: one of the DejaVu families.
std::string_view FontFamilyFor(const TFont& font);

}  // namespace orvalis
