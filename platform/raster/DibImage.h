#pragma once
// A DIB section: a heap buffer of pixels in an exact DIB layout (1, 4, 8, 16, 24 or 32
// bits per pixel, BI_RGB, or BI_BITFIELDS for 16 and 32 bits), rows padded to 4 bytes,
// bottom-up unless the height is negative, with its colour table (8 bits or fewer) or
// masks. The buffer is zero when made.
//
// Drawing uses a cairo surface converted from the buffer once and kept (Surface()); a
// plain one-to-one copy of a DIB that keeps none converts its rows straight into the
// target instead (StretchBlt, Blit.h).
// Drawing contexts draw into that surface; Flush() converts their drawing back into the
// buffer, and every read of the buffer through this class flushes first. A caller that
// writes the buffer directly says so with OpenBits(): from then on every Surface()
// converts again, until CloseBits() says that no one writes through the old row
// addresses any more.

#include <memory>
#include <span>
#include <vector>

#include "platform/raster/BitmapInfo.h"
#include "platform/raster/Image.h"
#include "platform/raster/RowCodec.h"

namespace orvalis::platform::raster {

class DibImage final : public Image {
public:
    // CreateDIBSection. The colour table has biClrUsed entries (at most 2 to the
    // biBitCount), or as many as `info.colours` holds when biClrUsed is 0 and it holds
    // some, else 2 to the biBitCount; missing entries are black. Null for a layout that
    // no DIB has, a size of 0, more than kMaxPixelBytes of pixels, or no memory.
    static std::unique_ptr<DibImage> Create(const BitmapInfo& info);
    // The same DIB for a caller that writes every pixel at once (a decoder): its buffer
    // may be the one a picture of the same byte size was let go of with
    // (RecycledPixels.h), whose pixels it still holds; only the padding at the end of
    // each row is made zero.
    static std::unique_ptr<DibImage> CreateUnfilled(const BitmapInfo& info);
    ~DibImage() override;

    DibImage* AsDib() override { return this; }
    const DibImage* AsDib() const override { return this; }
    int BitsPerPixel() const override { return header_.biBitCount; }
    DibSection Describe() const override;

    // The layout: biSize 40, biSizeImage the buffer's size, biClrUsed and
    // biClrImportant 0 (the platform does not keep them).
    const BitmapInfoHeader& Header() const { return header_; }
    const std::array<std::uint32_t, 3>& Masks() const { return masks_; }
    std::int64_t Stride() const { return stride_; }
    bool IsTopDown() const { return header_.biHeight < 0; }

    // The buffer, and the first byte of picture row y (0 at the top).
    std::uint8_t* Bits() { return bits_.get(); }
    std::uint8_t* RowBits(int y);

    // GetDIBColorTable and SetDIBColorTable (from entry 0, at most the table's size).
    std::span<const RgbQuad> ColourTable() const { return colours_; }
    void SetColourTable(std::span<const RgbQuad> entries);

    void ReadRow(int y, std::uint32_t* pixels) override;
    // Pixels x to x + count of row y, as ReadRow gives them.
    void ReadPixels(int x, int y, int count, std::uint32_t* pixels);
    void WriteRow(int y, const std::uint32_t* pixels) override;
    cairo_surface_t* Surface() override;
    void Flush() override;
    // Whether a drawing surface is kept (made by Surface()).
    bool HasSurface() const { return surface_ != nullptr; }

    void OpenBits();
    void CloseBits();

    // Whether both hold the same bytes for the same colours (layout and colour table).
    bool SameLayoutAs(const DibImage& other) const { return codec_.SameLayoutAs(other.codec_); }
    // The first `rows` rows of `source`, a DIB of the same width and layout, byte for byte.
    void CopyRowsFrom(DibImage& source, int rows);

private:
    // A large buffer is kept for the next picture of its size (RecycledPixels.h).
    struct FreeDeleter {
        std::size_t size = 0;
        void operator()(std::uint8_t* bits) const;
    };
    static std::unique_ptr<DibImage> Make(const BitmapInfo& info, bool unfilled);

    DibImage(const BitmapInfoHeader& header, const std::array<std::uint32_t, 3>& masks, std::vector<RgbQuad> colours,
             std::int64_t stride, std::unique_ptr<std::uint8_t[], FreeDeleter> bits);
    void ContextAttached() override { surfaceAhead_ = true; }
    void LoadSurface();
    void StoreSurface();

    BitmapInfoHeader header_;
    std::array<std::uint32_t, 3> masks_;
    std::vector<RgbQuad> colours_;
    std::int64_t stride_;
    std::unique_ptr<std::uint8_t[], FreeDeleter> bits_;
    RowCodec codec_;
    SurfacePtr surface_;
    bool surfaceCurrent_ = false;  // the surface shows the buffer's pixels
    bool surfaceAhead_ = false;    // the surface holds drawing that the buffer lacks
    bool bitsOpen_ = false;        // a caller may write the buffer at any time
};

}  // namespace orvalis::platform::raster
