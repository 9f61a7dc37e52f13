#include "graphics/Metafile.h"

#include "classes/ClassBuilder.h"

namespace orvalis {

const TClassInfo& TMetafile::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TMetafile, TGraphic>("TMetafile");
    return info;
}

void TMetafile::Draw(TCanvas&, const TRect&) {}

}  // namespace orvalis
