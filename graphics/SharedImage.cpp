#include "graphics/SharedImage.h"

namespace orvalis {

void TSharedImage::Release(TSharedImage* image) {
    if (!image) return;
    if (image->shareCount_-- == 1) {
        image->ReleaseHandles();
        delete image;
    }
}

}  // namespace orvalis
