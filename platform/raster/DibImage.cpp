#include "platform/raster/DibImage.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "platform/raster/RecycledPixels.h"

namespace orvalis::platform::raster {

namespace {

bool IsDibLayout(const BitmapInfoHeader& header) {
    switch (header.biBitCount) {
        case 1:
        case 4:
        case 8:
        case 24: return header.biCompression == BI_RGB;
        case 16:
        case 32: return header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS;
        default: return false;
    }
}

}  // namespace

void DibImage::FreeDeleter::operator()(std::uint8_t* bits) const { RecyclePixels(bits, size); }

std::unique_ptr<DibImage> DibImage::Create(const BitmapInfo& info) { return Make(info, false); }

std::unique_ptr<DibImage> DibImage::CreateUnfilled(const BitmapInfo& info) { return Make(info, true); }

std::unique_ptr<DibImage> DibImage::Make(const BitmapInfo& info, bool unfilled) {
    BitmapInfoHeader header = info.header;
    if (!IsDibLayout(header) || header.biPlanes != 1 || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biHeight == INT32_MIN)
        return nullptr;
    const std::int64_t stride = RowStride(header.biWidth, header.biBitCount);
    const std::int64_t rows = std::abs(std::int64_t(header.biHeight));
    if (stride > kMaxPixelBytes / rows) return nullptr;  // compared before multiplying: no overflow
    const std::int64_t size = stride * rows;
    // A picture let go of with the same size gives its pages (already mapped, and with
    // large pages); a zero-filled one gets fresh pages, the buffer kept going first.
    std::uint8_t* recycled = TakeRecycledPixels(std::size_t(size));
    if (recycled && !unfilled) {
        std::free(recycled);
        recycled = nullptr;
    }
    // calloc: large buffers come as zero pages that cost nothing until written.
    std::unique_ptr<std::uint8_t[], FreeDeleter> bits(
        recycled ? recycled : static_cast<std::uint8_t*>(std::calloc(std::size_t(size), 1)),
        FreeDeleter{std::size_t(size)});
    if (!bits) return nullptr;
    if (recycled) {
        // The old picture's padding must not show in a copy or a saved file.
        const std::int64_t used = (std::int64_t(header.biWidth) * header.biBitCount + 7) / 8;
        for (std::int64_t row = 0; row < rows; ++row) std::memset(recycled + row * stride + used, 0, stride - used);
    } else {
        AdviseLargePages(bits.get(), std::size_t(size));
    }

    std::vector<RgbQuad> colours;
    if (header.biBitCount <= 8) {
        const std::size_t full = std::size_t(1) << header.biBitCount;
        std::size_t count = header.biClrUsed != 0  ? header.biClrUsed
                            : info.colours.empty() ? full
                                                   : info.colours.size();
        count = std::min(count, full);
        colours.assign(count, RgbQuad{});
        std::copy_n(info.colours.begin(), std::min(count, info.colours.size()), colours.begin());
    }
    header.biSize = 40;
    header.biSizeImage = std::uint32_t(size);
    header.biClrUsed = 0;
    header.biClrImportant = 0;
    std::array<std::uint32_t, 3> masks{};
    if (header.biCompression == BI_BITFIELDS) masks = EffectiveMasks(header, info.masks);
    return std::unique_ptr<DibImage>(new DibImage(header, masks, std::move(colours), stride, std::move(bits)));
}

DibImage::DibImage(const BitmapInfoHeader& header, const std::array<std::uint32_t, 3>& masks,
                   std::vector<RgbQuad> colours, std::int64_t stride, std::unique_ptr<std::uint8_t[], FreeDeleter> bits)
    : Image(header.biWidth, header.biHeight < 0 ? -header.biHeight : header.biHeight),
      header_(header),
      masks_(masks),
      colours_(std::move(colours)),
      stride_(stride),
      bits_(std::move(bits)),
      codec_(header_, masks_, colours_) {}

DibImage::~DibImage() = default;

DibSection DibImage::Describe() const {
    DibSection section;
    section.dsBm = {0, Width(), Height(), std::int32_t(stride_), 1, header_.biBitCount, bits_.get()};
    section.dsBmih = header_;
    section.dsBitfields = masks_;
    return section;
}

std::uint8_t* DibImage::RowBits(int y) {
    assert(y >= 0 && y < Height());
    const int memoryRow = IsTopDown() ? y : Height() - 1 - y;
    return bits_.get() + memoryRow * stride_;
}

void DibImage::SetColourTable(std::span<const RgbQuad> entries) {
    Flush();
    std::copy_n(entries.begin(), std::min(entries.size(), colours_.size()), colours_.begin());
    codec_ = RowCodec(header_, masks_, colours_);
    surfaceCurrent_ = false;
}

void DibImage::ReadRow(int y, std::uint32_t* pixels) {
    Flush();
    codec_.Decode(RowBits(y), pixels, Width());
}

void DibImage::ReadPixels(int x, int y, int count, std::uint32_t* pixels) {
    assert(x >= 0 && count >= 0 && x + count <= Width());
    Flush();
    codec_.Decode(RowBits(y), x, pixels, count);
}

void DibImage::WriteRow(int y, const std::uint32_t* pixels) {
    Flush();
    codec_.Encode(pixels, RowBits(y), Width());
    surfaceCurrent_ = false;
}

cairo_surface_t* DibImage::Surface() {
    if (!surface_) {
        surface_ = CreateRgbSurface(Width(), Height());
        if (!surface_) return nullptr;
        surfaceCurrent_ = false;
    }
    if (!surfaceCurrent_ || bitsOpen_) {
        Flush();
        LoadSurface();
    }
    return surface_.get();
}

void DibImage::Flush() {
    if (!surfaceAhead_) return;
    StoreSurface();
    // A context still bound may draw again.
    surfaceAhead_ = ContextCount() > 0;
}

void DibImage::OpenBits() {
    Flush();
    bitsOpen_ = true;
}

void DibImage::CloseBits() {
    if (!bitsOpen_) return;
    bitsOpen_ = false;
    surfaceCurrent_ = false;
}

void DibImage::CopyRowsFrom(DibImage& source, int rows) {
    assert(source.Width() == Width() && SameLayoutAs(source) && rows <= Height() && rows <= source.Height());
    source.Flush();
    Flush();
    for (int y = 0; y < rows; ++y) std::memcpy(RowBits(y), source.RowBits(y), std::size_t(stride_));
    surfaceCurrent_ = false;
}

void DibImage::LoadSurface() {
    cairo_surface_flush(surface_.get());
    for (int y = 0; y < Height(); ++y) {
        // A 32-bit row is already in cairo's layout: copied as it is (cairo ignores the
        // fourth byte).
        if (codec_.HasCairoLayout())
            std::memcpy(SurfaceRow(surface_.get(), y), RowBits(y), std::size_t(Width()) * 4);
        else
            codec_.Decode(RowBits(y), SurfaceRow(surface_.get(), y), Width());
    }
    cairo_surface_mark_dirty(surface_.get());
    surfaceCurrent_ = true;
}

void DibImage::StoreSurface() {
    cairo_surface_flush(surface_.get());
    for (int y = 0; y < Height(); ++y) codec_.Encode(SurfaceRow(surface_.get(), y), RowBits(y), Width());
}

}  // namespace orvalis::platform::raster
