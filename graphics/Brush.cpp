#include "graphics/Brush.h"

#include "classes/ClassBuilder.h"

namespace orvalis {

const TClassInfo& TBrush::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TBrush, TGraphicsObject>("TBrush")
                                       .Property("Color", &TBrush::Color, &TBrush::SetColor)
                                       .Type(kColorType)
                                       .Default(clWhite)
                                       .Property("Style", &TBrush::Style, &TBrush::SetStyle)
                                       .Default(bsSolid);
    return info;
}

void TBrush::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    // A colour given to a clear brush makes it paint again.
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TBrush::CopyFromObject(TPersistent* source) {
    auto* brush = dynamic_cast<TBrush*>(source);
    if (!brush) return TGraphicsObject::CopyFromObject(source);
    color_ = brush->color_;
    style_ = brush->style_;
    Changed();
}

}  // namespace orvalis
