#pragma once
// TBrush: how a canvas fills areas (FillRect, the inside of shapes, the background of
// text): a colour and a style, solid, clear (nothing is filled) or one of the hatches
// (lines of the brush colour over what is there).

#include <cstdint>
#include <string_view>

#include "classes/Color.h"
#include "classes/TypeInfo.h"
#include "graphics/GraphicsObject.h"

namespace orvalis {

enum TBrushStyle : std::uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross,
    kBrushStyleCount
};
inline constexpr std::string_view kBrushStyleNames[] = {"bsSolid",     "bsClear",     "bsHorizontal", "bsVertical",
                                                        "bsFDiagonal", "bsBDiagonal", "bsCross",      "bsDiagCross"};
inline constexpr TTypeInfo kBrushStyleType = EnumerationType<kBrushStyleCount>("TBrushStyle", kBrushStyleNames);
inline const TTypeInfo& DescribeType(TypeTag<TBrushStyle>) { return kBrushStyleType; }

class TBrush : public TGraphicsObject {
    ORVALIS_TYPE_INFO(TBrush)

public:
    // White, solid.
    TBrush() = default;

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);

    void CopyFromObject(TPersistent* source) override;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

}  // namespace orvalis
