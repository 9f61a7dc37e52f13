#pragma once
// TImage: the windowless control that paints a picture (TPicture) in its client area.
// Where and how large the picture is drawn is TargetRect: at its own size at the top
// left, stretched to the client area, scaled down keeping its proportions, centred. On a
// high-density screen the picture is laid out in device pixels: at its own size each of
// its pixels is one pixel of the screen, and it covers ShownPictureWidth/Height units.
// The picture's changes repaint the control, its progress may paint it while a graphic
// is still being decoded (IncrementalDisplay), and a graphic whose palette changed asks
// the form to realise its palette (message 0x030F).

#include <cstdint>
#include <memory>

#include "framework/GraphicControl.h"
#include "graphics/Picture.h"

namespace orvalis {

class TImage : public TGraphicControl {
    ORVALIS_TYPE_INFO(TImage)

public:
    // An empty picture, 105 x 105 pixels.
    explicit TImage(TComponent* owner);
    ~TImage() override;

    TPicture* Picture() const { return picture_.get(); }
    // The picture copies `picture` (CopyFromObject).
    void SetPicture(TPicture* picture);
    // Each of these, when it changes the value, runs PictureUpdated.
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool Center() const { return center_; }
    void SetCenter(bool center);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool proportional);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool IncrementalDisplay() const { return incrementalDisplay_; }
    void SetIncrementalDisplay(bool incrementalDisplay) { incrementalDisplay_ = incrementalDisplay; }
    // The graphic's palette; none without graphic.
    raster::PaletteHandle Palette() const;
    // Where the picture is drawn in the client area.
    TRect TargetRect() const;
    // The picture's size in the control's units when it is drawn at its own size: its
    // size in pixels divided by the device scale of the screen the form shows on, rounded
    // up (the size itself on an ordinary screen).
    std::int32_t ShownPictureWidth() const;
    std::int32_t ShownPictureHeight() const;

    TProgressEvent OnProgress;

    // An image named by its Hint, else by the caption of its form (which names what the
    // window shows).
    bool DescribeAccessible(platform::AccessibleElement& element) override;

protected:
    // DrawScaled of the graphic into TargetRect.
    void Paint() override;
    // The picture's size, in the dimensions the alignment leaves free; always true.
    bool CanAutoSize(std::int32_t& width, std::int32_t& height) override;
    // The picture's OnChange: size (AutoSize), the graphic's transparency, the opaque
    // style, the palette, a repaint.
    void PictureUpdated(TObject* sender);

private:
    // Where the picture goes in a client area of that size (in any unit the picture's
    // pixels are).
    TRect PlacePicture(std::int32_t clientWidth, std::int32_t clientHeight) const;
    // Device pixels per unit of the screen the form shows on.
    int DeviceScale() const;
    // Asks the form to realise the graphic's changed palette; whether it asked.
    bool PaletteCheck();
    void PictureProgress(TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                         const TRect& rect, const String& message);

    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool incrementalDisplay_ = false;
    bool transparent_ = false;
    bool drawing_ = false;  // a paint of this control is under way
    bool proportional_ = false;
};

}  // namespace orvalis
