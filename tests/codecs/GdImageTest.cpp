#include <gtest/gtest.h>

#include "codecs/GdImage.h"

namespace orvalis::gd {
namespace {

TEST(GdImage, CreateGivesABlankPaletteImage) {
    std::unique_ptr<gdImage> image = gdImageCreate(5, 3);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->sx, 5);
    EXPECT_EQ(image->sy, 3);
    EXPECT_EQ(image->colorsTotal, 0);
    EXPECT_EQ(image->transparent, -1);
    EXPECT_EQ(image->interlace, 0);
    ASSERT_EQ(image->pixels.size(), 3u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(image->pixels[y][x], 0);
    for (int i = 0; i < gdMaxColors; ++i) {
        EXPECT_EQ(image->open[i], 1);
        EXPECT_EQ(image->red[i] | image->green[i] | image->blue[i], 0);
    }
    gdImageDestroy(std::move(image));
}

TEST(GdImage, GetPixelReadsInsideAndGivesZeroOutside) {
    std::unique_ptr<gdImage> image = gdImageCreate(4, 2);
    ASSERT_NE(image, nullptr);
    image->pixels[0][0] = 7;
    image->pixels[1][3] = 9;
    image->pixels[0][3] = 5;
    image->pixels[1][0] = 6;  // just past the end of row 0 in memory
    EXPECT_EQ(gdImageGetPixel(*image, 0, 0), 7);
    EXPECT_EQ(gdImageGetPixel(*image, 3, 1), 9);
    EXPECT_EQ(gdImageGetPixel(*image, 3, 0), 5);
    EXPECT_EQ(gdImageGetPixel(*image, 0, 1), 6);

    const struct { int x, y; } outside[] = {{4, 0}, {0, -1}, {-1, 0}, {0, 2}, {4, 2}, {-1, -1}};
    for (const auto& point : outside)
        EXPECT_EQ(gdImageGetPixel(*image, point.x, point.y), 0) << point.x << "," << point.y;
}

}  // namespace
}  // namespace orvalis::gd
