#pragma once
// TIcon: the graphic class of icon files, as far as this system needs it: a class that
// the file-format registry names for "ico" and that a picture can be forced to hold
// (TPicture::Icon). It holds no picture here: it is Empty, 0 x 0, and draws nothing;
// reading and writing icon data are not provided (the abstract operations of TGraphic).

#include "graphics/Graphic.h"

namespace orvalis {

class TIcon : public TGraphic {
    ORVALIS_TYPE_INFO(TIcon)

public:
    TIcon() = default;

    // Copies another icon (its transparency: there is no picture to share), or nothing.
    void CopyFromObject(TPersistent* source) override { CopyWithoutPicture(source); }
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return true; }
    std::int32_t Height() const override { return 0; }
    std::int32_t Width() const override { return 0; }
};

}  // namespace orvalis
