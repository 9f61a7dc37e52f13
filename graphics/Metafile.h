#pragma once
// TMetafile: the graphic class of metafiles, as far as this system needs it: a class
// that the registries name for "wmf", "emf" and the metafile clipboard formats. It
// holds no picture here: it is Empty, 0 x 0, and draws nothing; reading and writing
// metafile data are not provided (the abstract operations of TGraphic).

#include "graphics/Graphic.h"

namespace orvalis {

class TMetafile : public TGraphic {
    ORVALIS_TYPE_INFO(TMetafile)

public:
    TMetafile() = default;

    // Copies another metafile (its transparency: there is no picture to share), or nothing.
    void CopyFromObject(TPersistent* source) override { CopyWithoutPicture(source); }
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return true; }
    std::int32_t Height() const override { return 0; }
    std::int32_t Width() const override { return 0; }
};

}  // namespace orvalis
