#include "graphics/Icon.h"

#include "classes/ClassBuilder.h"

namespace orvalis {

const TClassInfo& TIcon::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TIcon, TGraphic>("TIcon");
    return info;
}

void TIcon::Draw(TCanvas&, const TRect&) {}

}  // namespace orvalis
