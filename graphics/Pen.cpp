#include "graphics/Pen.h"

#include <algorithm>

#include "classes/ClassBuilder.h"

namespace orvalis {

const TClassInfo& TPen::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TPen, TGraphicsObject>("TPen")
                                       .Property("Color", &TPen::Color, &TPen::SetColor)
                                       .Type(kColorType)
                                       .Default(clBlack)
                                       .Property("Mode", &TPen::Mode, &TPen::SetMode)
                                       .Default(pmCopy)
                                       .Property("Style", &TPen::Style, &TPen::SetStyle)
                                       .Default(psSolid)
                                       .Property("Width", &TPen::Width, &TPen::SetWidth)
                                       .Default(1);
    return info;
}

void TPen::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TPen::SetWidth(std::int32_t width) {
    width = std::max(width, 1);
    if (width == width_) return;
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TPen::SetMode(TPenMode mode) {
    if (mode == mode_) return;
    mode_ = mode;
    Changed();
}

void TPen::CopyFromObject(TPersistent* source) {
    auto* pen = dynamic_cast<TPen*>(source);
    if (!pen) return TGraphicsObject::CopyFromObject(source);
    color_ = pen->color_;
    width_ = pen->width_;
    style_ = pen->style_;
    mode_ = pen->mode_;
    Changed();
}

}  // namespace orvalis
