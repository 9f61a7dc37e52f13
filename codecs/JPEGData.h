#pragma once
// TJPEGData: the compressed bytes of a JPEG image, exactly as they were read, with what
// their header says. Several images share one record (copying a JPEG image into another
// takes a share); nothing ever changes the bytes of a record: an image that gets new
// bytes takes a fresh record first.

#include <cstdint>
#include <memory>

#include "graphics/SharedImage.h"
#include "runtime/Stream.h"

namespace orvalis {

class TJPEGData final : public TSharedImage {
public:
    // No stream: the record of an empty image, or of one made from a bitmap.
    TJPEGData() = default;

    // The compressed bytes; null when there are none.
    TMemoryStream* Stream() const { return stream_.get(); }
    // The size from the file header (image_width, image_height).
    std::int32_t Height() const { return height_; }
    std::int32_t Width() const { return width_; }
    // The file is coded in greyscale.
    bool Gray() const { return gray_; }

protected:
    // A record holds no platform object.
    void ReleaseHandles() override {}

private:
    friend class TJPEGImage;

    std::unique_ptr<TMemoryStream> stream_;
    std::int32_t height_ = 0;
    std::int32_t width_ = 0;
    bool gray_ = false;
};

}  // namespace orvalis
