#include "graphics/GraphicsObject.h"

#include "classes/ClassBuilder.h"

namespace orvalis {

const TClassInfo& TGraphicsObject::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TGraphicsObject, TPersistent>("TGraphicsObject");
    return info;
}

void TGraphicsObject::Changed() {
    if (onChange_) onChange_(this);
}

}  // namespace orvalis
