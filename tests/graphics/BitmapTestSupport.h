#pragma once
// What the bitmap, BMP and picture tests share: bitmaps of known pixels, reading pixels
// back, and a canvas drawing on a surface of its own.

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"

namespace orvalis::test {

// A pl32Bit bitmap of these rows (top first) of 0x00RRGGBB pixels.
inline std::unique_ptr<TBitmap> Bitmap32(const std::vector<std::vector<std::uint32_t>>& rows) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelLayout(pl32Bit);
    bitmap->SetWidth(std::int32_t(rows.at(0).size()));
    bitmap->SetHeight(std::int32_t(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y)
        std::memcpy(bitmap->RowPointer(std::int32_t(y)), rows[y].data(), rows[y].size() * 4);
    return bitmap;
}

// The pixels of a bitmap, top row first, as 0x00RRGGBB: read from a pl32Bit copy, so
// that the bitmap itself is left as it is.
inline std::vector<std::vector<std::uint32_t>> Pixels(TBitmap& bitmap) {
    TBitmap copy;
    copy.CopyFromObject(&bitmap);
    copy.SetPixelLayout(pl32Bit);
    std::vector<std::vector<std::uint32_t>> rows;
    for (std::int32_t y = 0; y < copy.Height(); ++y) {
        const auto* words = reinterpret_cast<const std::uint32_t*>(copy.RowPointer(y));
        std::vector<std::uint32_t>& row = rows.emplace_back(words, words + copy.Width());
        for (std::uint32_t& pixel : row) pixel &= 0xFFFFFF;
    }
    return rows;
}

// A plain canvas on a white RGB24 surface.
class SurfaceTarget {
public:
    SurfaceTarget(int width, int height) : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)) {
        cairo_t* context = cairo_create(surface_);
        cairo_set_source_rgb(context, 1, 1, 1);
        cairo_paint(context);
        canvas_.SetHandle(context);
        cairo_destroy(context);
    }
    ~SurfaceTarget() {
        canvas_.SetHandle(nullptr);
        cairo_surface_destroy(surface_);
    }
    SurfaceTarget(const SurfaceTarget&) = delete;
    SurfaceTarget& operator=(const SurfaceTarget&) = delete;

    TCanvas& Canvas() { return canvas_; }
    std::uint32_t Pixel(int x, int y) {
        cairo_surface_flush(surface_);
        const unsigned char* row =
            cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
        return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
    }

private:
    cairo_surface_t* surface_;
    TCanvas canvas_;
};

}  // namespace orvalis::test
