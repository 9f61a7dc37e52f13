#include "platform/raster/Blit.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/raster/DibImage.h"

namespace orvalis::platform::raster {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

// The result of a raster operation for one pixel, bit by bit.
std::uint32_t Rop3(std::uint8_t code, std::uint32_t pattern, std::uint32_t source, std::uint32_t destination) {
    std::uint32_t result = 0;
    for (int i = 0; i < 8; ++i)
        if (code >> i & 1)
            result |= (i & 4 ? pattern : ~pattern) & (i & 2 ? source : ~source) & (i & 1 ? destination : ~destination);
    return result & 0xFFFFFF;
}

// The image's pixels as a surface, with a monochrome device image recoloured when the
// context's colours are not black and white. `holder` keeps a recoloured copy alive.
cairo_surface_t* ShownSurface(Image& image, const BlitColours& colours, SurfacePtr& holder) {
    if (!image.IsMonochromeDevice() || (colours.text == 0 && colours.background == kWhite)) return image.Surface();
    holder = CreateRgbSurface(image.Width(), image.Height());
    if (!holder) return nullptr;
    std::vector<std::uint32_t> row(std::size_t(image.Width()));
    for (int y = 0; y < image.Height(); ++y) {
        image.ReadRow(y, row.data());
        std::uint32_t* target = SurfaceRow(holder.get(), y);
        for (int x = 0; x < image.Width(); ++x) target[x] = row[x] ? colours.background : colours.text;
    }
    cairo_surface_mark_dirty(holder.get());
    return holder.get();
}

Rect Normalized(const Rect& r) {
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
}

// A pattern showing `sourceRect` of the surface over `destinationRect` of user space.
PatternPtr ScaledPattern(cairo_surface_t* surface, const Rect& destinationRect, const Rect& sourceRect,
                         cairo_filter_t filter) {
    PatternPtr owned(cairo_pattern_create_for_surface(surface));
    cairo_pattern_t* pattern = owned.get();
    const double sx = double(sourceRect.Width()) / destinationRect.Width();
    const double sy = double(sourceRect.Height()) / destinationRect.Height();
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, sx, 0, 0, sy, sourceRect.left - destinationRect.left * sx,
                      sourceRect.top - destinationRect.top * sy);
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_pattern_set_filter(pattern, filter);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    return owned;
}

cairo_filter_t FilterOf(StretchMode mode) {
    return mode == StretchMode::Halftone ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST;
}

// The context's clip inside `area` (user space) as rectangles of the target's pixels,
// `offset` being where user space's origin lies on the target; nothing when the clip is
// not made of whole pixels.
std::optional<std::vector<Rect>> PixelClip(cairo_t* context, const Rect& area, Point offset) {
    cairo_save(context);
    cairo_rectangle(context, area.left, area.top, area.Width(), area.Height());
    cairo_clip(context);
    const RectangleListPtr owned(cairo_copy_clip_rectangle_list(context));
    const cairo_rectangle_list_t* list = owned.get();
    cairo_restore(context);
    std::optional<std::vector<Rect>> clips;
    if (list->status == CAIRO_STATUS_SUCCESS) {
        clips.emplace();
        for (int i = 0; i < list->num_rectangles; ++i) {
            const cairo_rectangle_t& r = list->rectangles[i];
            clips->push_back(Rect{int(std::lround(r.x)), int(std::lround(r.y)), int(std::lround(r.x + r.width)),
                                  int(std::lround(r.y + r.height))}
                                 .Offset(offset.x, offset.y));
        }
    }
    return clips;
}

Rect Bounds(cairo_surface_t* image) {
    return {0, 0, cairo_image_surface_get_width(image), cairo_image_surface_get_height(image)};
}

// Combines `scaled` (the source already scaled to the size of `destinationRect`) with
// the context's target pixel by pixel, inside the context's clip. The context's
// transformation is taken as a translation, as every context of this system has.
void ApplyRasterOperation(cairo_t* destination, const Rect& destinationRect, cairo_surface_t* scaled,
                          const StretchSettings& settings) {
    cairo_surface_t* target = cairo_get_target(destination);
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return;
    double dx = 0, dy = 0;
    cairo_user_to_device(destination, &dx, &dy);
    const int ox = int(std::lround(dx)), oy = int(std::lround(dy));
    const Rect bounds = Bounds(target);
    const Rect area = destinationRect.Offset(ox, oy).Intersect(bounds);
    // A clip that is no set of whole pixels: the whole area.
    const std::vector<Rect> clips = PixelClip(destination, destinationRect, {ox, oy}).value_or(std::vector{area});

    const auto code = std::uint8_t(settings.rop >> 16);
    cairo_surface_flush(target);
    cairo_surface_flush(scaled);
    for (const Rect& unbounded : clips) {
        const Rect clip = unbounded.Intersect(area);
        for (int y = clip.top; y < clip.bottom; ++y) {
            std::uint32_t* row = SurfaceRow(target, y);
            const std::uint32_t* source = SurfaceRow(scaled, y - (destinationRect.top + oy));
            for (int x = clip.left; x < clip.right; ++x)
                row[x] = Rop3(code, settings.brush, source[x - (destinationRect.left + ox)], row[x]);
        }
        cairo_surface_mark_dirty_rectangle(target, clip.left, clip.top, clip.Width(), clip.Height());
    }
}

// Where user space's origin lies on the context's target, when the context's
// transformation and the target's device scale and offset together move by whole pixels
// and nothing else (a window of a high-density screen drawn in its device pixels).
std::optional<Point> PixelTranslation(cairo_t* context) {
    cairo_matrix_t m;
    cairo_get_matrix(context, &m);
    double offsetX = 0, offsetY = 0, scaleX = 1, scaleY = 1;
    cairo_surface_t* target = cairo_get_target(context);
    cairo_surface_get_device_offset(target, &offsetX, &offsetY);
    cairo_surface_get_device_scale(target, &scaleX, &scaleY);
    if (m.xx * scaleX != 1 || m.yy * scaleY != 1 || m.xy != 0 || m.yx != 0) return std::nullopt;
    const double x = m.x0 * scaleX + offsetX, y = m.y0 * scaleY + offsetY;
    if (x != std::trunc(x) || y != std::trunc(y) || std::abs(x) > 1 << 30 || std::abs(y) > 1 << 30) return std::nullopt;
    return Point{int(x), int(y)};
}

// SRCCOPY of `sourceRect` of a DIB, inside the picture, at its own size and unmirrored,
// into an image surface of 32-bit pixels: the DIB's rows are converted straight into the
// target's pixels inside the clip, the colours that a copy through its drawing surface
// gives, without making that surface (for a large picture, tens of MB of fresh memory
// filled at every new picture). Only for a DIB that keeps no surface: a kept one is
// copied as it is. False, and nothing drawn, for a copy of any other kind.
bool CopyDibPixels(cairo_t* destination, const Rect& destinationRect, DibImage& source, const Rect& sourceRect) {
    if (source.HasSurface() || cairo_status(destination) != CAIRO_STATUS_SUCCESS) return false;
    if (sourceRect.IsEmpty() || destinationRect.Width() != sourceRect.Width() ||
        destinationRect.Height() != sourceRect.Height() || sourceRect.left < 0 || sourceRect.top < 0 ||
        sourceRect.right > source.Width() || sourceRect.bottom > source.Height())
        return false;
    cairo_surface_t* target = cairo_get_target(destination);
    if (cairo_get_group_target(destination) != target || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE)
        return false;
    const cairo_format_t format = cairo_image_surface_get_format(target);
    if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32) return false;
    const std::optional<Point> offset = PixelTranslation(destination);
    if (!offset) return false;
    const std::optional<std::vector<Rect>> clips = PixelClip(destination, destinationRect, *offset);
    if (!clips) return false;

    // Copied from RGB24, a pixel is opaque.
    const std::uint32_t alpha = format == CAIRO_FORMAT_ARGB32 ? 0xFF000000 : 0;
    const Rect placed = destinationRect.Offset(offset->x, offset->y);
    cairo_surface_flush(target);
    for (const Rect& unbounded : *clips) {
        const Rect clip = unbounded.Intersect(placed).Intersect(Bounds(target));
        for (int y = clip.top; y < clip.bottom; ++y) {
            std::uint32_t* row = SurfaceRow(target, y) + clip.left;
            source.ReadPixels(sourceRect.left + clip.left - placed.left, sourceRect.top + y - placed.top, clip.Width(),
                              row);
            if (alpha)
                for (int x = 0; x < clip.Width(); ++x) row[x] |= alpha;
        }
        cairo_surface_mark_dirty_rectangle(target, clip.left, clip.top, clip.Width(), clip.Height());
    }
    return true;
}

}  // namespace

void CopyImage(Image& destination, Image& source, const BlitColours& colours) {
    const int width = std::min(destination.Width(), source.Width());
    const int height = std::min(destination.Height(), source.Height());
    if (width <= 0 || height <= 0) return;
    DibImage* dibTarget = destination.AsDib();
    DibImage* dibSource = source.AsDib();
    if (dibTarget && dibSource && dibTarget->Width() == dibSource->Width() && dibTarget->SameLayoutAs(*dibSource)) {
        dibTarget->CopyRowsFrom(*dibSource, height);
        return;
    }

    const bool monochromeSource = source.IsMonochromeDevice();
    const bool monochromeTarget = destination.IsMonochromeDevice();
    std::vector<std::uint32_t> in(std::size_t(source.Width()));
    std::vector<std::uint32_t> out(std::size_t(destination.Width()));
    for (int y = 0; y < height; ++y) {
        source.ReadRow(y, in.data());
        if (width < destination.Width()) destination.ReadRow(y, out.data());
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = in[std::size_t(x)];
            if (monochromeSource && !monochromeTarget)
                pixel = pixel ? colours.background : colours.text;
            else if (!monochromeSource && monochromeTarget)
                pixel = pixel == colours.background ? kWhite : 0;
            out[std::size_t(x)] = pixel;
        }
        destination.WriteRow(y, out.data());
    }
}

void FillImage(Image& destination, std::uint32_t rgb) {
    const std::vector<std::uint32_t> row(std::size_t(destination.Width()), rgb & 0xFFFFFF);
    for (int y = 0; y < destination.Height(); ++y) destination.WriteRow(y, row.data());
}

std::uint32_t GetPixel(Image& image, int x, int y) {
    assert(x >= 0 && x < image.Width() && y >= 0 && y < image.Height());
    std::vector<std::uint32_t> row(std::size_t(image.Width()));
    image.ReadRow(y, row.data());
    return row[std::size_t(x)];
}

bool StretchBlt(cairo_t* destination, const Rect& destinationRect, Image& source, const Rect& sourceRect,
                const StretchSettings& settings) {
    if (DibImage* dib = source.AsDib();
        dib && settings.rop == SRCCOPY && CopyDibPixels(destination, destinationRect, *dib, sourceRect))
        return true;
    SurfacePtr recoloured;
    cairo_surface_t* surface = ShownSurface(source, settings.colours, recoloured);
    if (!surface) return false;
    if (destinationRect.Width() == 0 || destinationRect.Height() == 0 || sourceRect.Width() == 0 ||
        sourceRect.Height() == 0)
        return true;
    const Rect area = Normalized(destinationRect);

    if (settings.rop == SRCCOPY) {
        cairo_save(destination);
        cairo_rectangle(destination, area.left, area.top, area.Width(), area.Height());
        cairo_clip(destination);
        const PatternPtr pattern = ScaledPattern(surface, destinationRect, sourceRect, FilterOf(settings.mode));
        cairo_set_source(destination, pattern.get());
        cairo_set_operator(destination, CAIRO_OPERATOR_SOURCE);
        cairo_paint(destination);
        cairo_restore(destination);
        return true;
    }

    // Any other operation combines pixels: the source is scaled first, on its own.
    SurfacePtr scaled = CreateRgbSurface(area.Width(), area.Height());
    if (!scaled) return false;
    {
        const ContextPtr scaling(cairo_create(scaled.get()));
        const PatternPtr pattern =
            ScaledPattern(surface, destinationRect.Offset(-area.left, -area.top), sourceRect, FilterOf(settings.mode));
        cairo_set_source(scaling.get(), pattern.get());
        cairo_set_operator(scaling.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(scaling.get());
    }
    ApplyRasterOperation(destination, area, scaled.get(), settings);
    return true;
}

bool MaskedStretchBlt(cairo_t* destination, const Rect& destinationRect, Image& source, const Rect& sourceRect,
                      Image& mask, StretchMode mode) {
    cairo_surface_t* surface = source.Surface();
    if (!surface) return false;
    // The mask as coverage: opaque where it is black.
    const int width = mask.Width(), height = mask.Height();
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > kMaxPixelBytes / 4) return false;
    SurfacePtr coverage(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    if (cairo_surface_status(coverage.get()) != CAIRO_STATUS_SUCCESS) return false;
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
    unsigned char* data = cairo_image_surface_get_data(coverage.get());
    const int stride = cairo_image_surface_get_stride(coverage.get());
    for (int y = 0; y < height; ++y) {
        mask.ReadRow(y, row.data());
        for (int x = 0; x < width; ++x) data[std::ptrdiff_t(y) * stride + x] = row[std::size_t(x)] ? 0 : 0xFF;
    }
    cairo_surface_mark_dirty(coverage.get());
    if (destinationRect.Width() == 0 || destinationRect.Height() == 0 || sourceRect.Width() == 0 ||
        sourceRect.Height() == 0)
        return true;

    const Rect area = Normalized(destinationRect);
    cairo_save(destination);
    cairo_rectangle(destination, area.left, area.top, area.Width(), area.Height());
    cairo_clip(destination);
    const PatternPtr pattern = ScaledPattern(surface, destinationRect, sourceRect, FilterOf(mode));
    const PatternPtr maskPattern = ScaledPattern(coverage.get(), destinationRect, sourceRect, CAIRO_FILTER_NEAREST);
    cairo_set_source(destination, pattern.get());
    cairo_mask(destination, maskPattern.get());
    cairo_restore(destination);
    return true;
}

}  // namespace orvalis::platform::raster
