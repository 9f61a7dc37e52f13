// The plain look's arrows (where the platform has no theme): drawn in device pixels, so
// that on a high-density surface they are a finer triangle of the same size in units,
// not the one-unit triangle enlarged.

#include <cairo.h>
#include <gtest/gtest.h>

#include <vector>

#include "framework/ControlLook.h"

namespace orvalis::test {
namespace {

constexpr int kSide = 9;  // units of the arrow's square

// The number of pixels of each device row that the arrow covers, drawn in a square of
// kSide units on a surface of `scale` device pixels per unit.
std::vector<int> ArrowRows(TArrowDirection direction, int scale) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSide * scale, kSide * scale);
    cairo_surface_set_device_scale(surface, scale, scale);
    cairo_t* context = cairo_create(surface);
    cairo_set_source_rgb(context, 1, 1, 1);
    cairo_paint(context);
    {
        TCanvas canvas;
        canvas.SetHandle(context);
        DrawArrow(canvas, {0, 0, kSide, kSide}, direction, true);
        canvas.SetHandle(nullptr);
    }
    cairo_surface_flush(surface);
    std::vector<int> rows;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < kSide * scale; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        int covered = 0;
        for (int x = 0; x < kSide * scale; ++x) covered += (row[x] & 0xFFFFFF) != 0xFFFFFF;
        if (covered) rows.push_back(covered);
    }
    cairo_destroy(context);
    cairo_surface_destroy(surface);
    return rows;
}

TEST(PlainArrows, AreTrianglesOfDevicePixelsAtEveryScale) {
    struct Case {
        TArrowDirection direction;
        int scale;
        std::vector<int> rows;  // covered pixels of each inked device row, top first
    };
    const Case cases[] = {
        {TArrowDirection::Up, 1, {1, 3, 5, 7}},
        {TArrowDirection::Down, 1, {7, 5, 3, 1}},
        {TArrowDirection::Up, 2, {1, 3, 5, 7, 9, 11, 13, 15}},
        {TArrowDirection::Down, 2, {15, 13, 11, 9, 7, 5, 3, 1}},
        // Left and right: every row of the triangle's height, the widest in the middle.
        {TArrowDirection::Right, 1, {1, 2, 3, 4, 3, 2, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArrowRows(c.direction, c.scale), c.rows)
            << "direction " << static_cast<int>(c.direction) << " at scale " << c.scale;
}

}  // namespace
}  // namespace orvalis::test
