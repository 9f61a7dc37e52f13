#pragma once
// TPen: how a canvas draws lines and outlines: colour, width in pixels, style (solid,
// dashed, dotted, clear: no line) and mode (how the line combines with what is there).

#include <cstdint>
#include <string_view>

#include "classes/Color.h"
#include "classes/TypeInfo.h"
#include "graphics/GraphicsObject.h"

namespace orvalis {

enum TPenStyle : std::uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame,
    kPenStyleCount
};
inline constexpr std::string_view kPenStyleNames[] = {"psSolid",      "psDash",  "psDot",        "psDashDot",
                                                      "psDashDotDot", "psClear", "psInsideFrame"};
inline constexpr TTypeInfo kPenStyleType = EnumerationType<kPenStyleCount>("TPenStyle", kPenStyleNames);
inline const TTypeInfo& DescribeType(TypeTag<TPenStyle>) { return kPenStyleType; }

// pmCopy draws the pen colour; pmNot inverts what is there (drawing twice restores
// it); pmNop draws nothing; pmBlack and pmWhite draw those colours.
enum TPenMode : std::uint8_t { pmBlack, pmWhite, pmNop, pmNot, pmCopy, kPenModeCount };
inline constexpr std::string_view kPenModeNames[] = {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy"};
inline constexpr TTypeInfo kPenModeType = EnumerationType<kPenModeCount>("TPenMode", kPenModeNames);
inline const TTypeInfo& DescribeType(TypeTag<TPenMode>) { return kPenModeType; }

class TPen : public TGraphicsObject {
    ORVALIS_TYPE_INFO(TPen)

public:
    // Black, 1 pixel, solid, copy.
    TPen() = default;

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    std::int32_t Width() const { return width_; }
    // Widths below 1 are 1.
    void SetWidth(std::int32_t width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);

    void CopyFromObject(TPersistent* source) override;

private:
    TColor color_ = clBlack;
    std::int32_t width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

}  // namespace orvalis
