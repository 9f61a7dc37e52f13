// The raster services: row sizes, row conversions, the RLE decoders, DIBs and their
// drawing surface, blits, stretches with raster operations and masks, palettes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/raster/Blit.h"
#include "platform/raster/DeviceImage.h"
#include "platform/raster/DibImage.h"
#include "platform/raster/ImageContext.h"
#include "platform/raster/Palette.h"
#include "platform/raster/RleDecoder.h"
#include "platform/raster/RowCodec.h"
#include "tests/platform/RasterLayout.h"

namespace orvalis::platform::raster {
namespace {

std::vector<std::uint32_t> Row(Image& image, int y) {
    std::vector<std::uint32_t> pixels(std::size_t(image.Width()));
    image.ReadRow(y, pixels.data());
    return pixels;
}

TEST(RowStride, RoundsEachRowUpToTheAlignment) {
    struct Case {
        int width, bits, alignment;
        std::int64_t stride;
    };
    const Case cases[] = {
        {1, 24, 32, 4},
        {33, 1, 32, 8},
        {5, 32, 32, 20},
        {3, 24, 32, 12},
        {7, 4, 32, 4},
        {7, 8, 32, 8},
        {9, 1, 16, 2},
        {17, 1, 16, 4},
        {3, 16, 32, 8},
        {0, 32, 32, 0},
        {0x7FFFFFFF, 32, 32, std::int64_t(0x7FFFFFFF) * 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RowStride(c.width, c.bits, c.alignment), c.stride) << c.width << " x " << c.bits;
}

TEST(RowCodec, MaskedChannelsWidenByRepeatingTheirBits) {
    BitmapInfoHeader header = Layout(1, 1, 16, BI_BITFIELDS).header;
    RowCodec codec(header, {0xF800, 0x07E0, 0x001F}, {});
    const std::uint8_t row[2] = {0x1F, 0xF8};  // red 0x1F (all ones), green 0, blue 0x1F
    std::uint32_t pixel = 0;
    codec.Decode(row, &pixel, 1);
    EXPECT_EQ(pixel, 0xFF00FFu);
    const std::uint8_t mid[2] = {0x10, 0x84};  // red 10000, green 100000, blue 10000
    codec.Decode(mid, &pixel, 1);
    EXPECT_EQ(pixel, 0x848284u);

    std::uint8_t back[2] = {};
    codec.Encode(&pixel, back, 1);
    EXPECT_EQ(std::memcmp(back, mid, 2), 0);
}

TEST(RowCodec, FiveFiveFiveForSixteenBitsWithoutMasks) {
    RowCodec codec(Layout(1, 1, 16).header, {}, {});
    const std::uint8_t row[2] = {0xE0, 0x03};  // green all ones
    std::uint32_t pixel = 0;
    codec.Decode(row, &pixel, 1);
    EXPECT_EQ(pixel, 0x00FF00u);
}

TEST(RowCodec, TwentyFourBitPixelsAreBlueGreenRedFromAnyFirstPixel) {
    // Long enough for the conversion of sixteen pixels at a time, with a rest.
    constexpr int kWidth = 53;
    RowCodec codec(Layout(kWidth, 1, 24).header, {}, {});
    std::vector<std::uint8_t> row(std::size_t(kWidth) * 3);
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = std::uint8_t(i * 37 + 11);
    for (const int first : {0, 1, 5, 16, 20}) {
        const int count = kWidth - first;
        std::vector<std::uint32_t> pixels(std::size_t(count), 0xDEADBEEF);
        codec.Decode(row.data(), first, pixels.data(), count);
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* bgr = &row[std::size_t(first + i) * 3];
            ASSERT_EQ(pixels[std::size_t(i)], std::uint32_t(bgr[2]) << 16 | std::uint32_t(bgr[1]) << 8 | bgr[0])
                << "first " << first << ", pixel " << i;
        }
    }
}

TEST(RowCodec, ColoursMissingFromTheTableTakeTheNearestEntry) {
    const RgbQuad table[3] = {{0, 0, 0, 0}, {0, 0, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0}};
    RowCodec codec(Layout(3, 1, 4).header, {}, table);
    const std::uint32_t pixels[3] = {0xF01010, 0x202020, 0xEEEEEE};
    std::uint8_t row[2] = {};
    codec.Encode(pixels, row, 3);
    EXPECT_EQ(row[0], 0x10);  // red, black
    EXPECT_EQ(row[1], 0x20);  // white
}

TEST(RowCodec, ThirtyTwoBitPixelsAreWrittenWithAZeroFourthByte) {
    RowCodec codec(Layout(1, 1, 32).header, {}, {});
    const std::uint32_t pixel = 0xFF123456;
    std::uint8_t row[4] = {};
    codec.Encode(&pixel, row, 1);
    EXPECT_EQ(row[0], 0x56);
    EXPECT_EQ(row[1], 0x34);
    EXPECT_EQ(row[2], 0x12);
    EXPECT_EQ(row[3], 0);
}

// --- RLE ---------------------------------------------------------------------------------

TEST(RleDecoder, RunsEscapesAndDeltasOfRle8) {
    // 4 x 3, rows from the bottom: an absolute run with its padding byte, an encoded
    // run, an end of line, a delta of (1, 1), a run, the end of the bitmap.
    const std::vector<std::uint8_t> data = {
        0, 3, 1, 2, 3, 0,  // bottom row: 1 2 3, padded to an even count of bytes
        1, 7,              // then 7
        0, 0,              // end of line
        0, 2, 1, 1,        // delta: from (0, 1) to (1, 2)
        1, 9,              // top row: . 9
        0, 1,
    };
    const auto indices = DecodeRle(RleKind::Rle8, data, 4, 3);
    ASSERT_TRUE(indices);
    // Top row first; skipped pixels keep index 0.
    const std::vector<std::uint8_t> expected = {0, 9, 0, 0, 0, 0, 0, 0, 1, 2, 3, 7};
    EXPECT_EQ(*indices, expected);
}

TEST(RleDecoder, Rle4AlternatesNibbles) {
    const std::vector<std::uint8_t> data = {
        5, 0x12,                    // 1 2 1 2 1
        0, 0,    0, 3, 0x45, 0x60,  // absolute: 4 5 6 (two bytes, already even)
        0, 1,
    };
    const auto indices = DecodeRle(RleKind::Rle4, data, 5, 2);
    ASSERT_TRUE(indices);
    const std::vector<std::uint8_t> expected = {4, 5, 6, 0, 0, 1, 2, 1, 2, 1};
    EXPECT_EQ(*indices, expected);
}

TEST(RleDecoder, DamagedDataGivesNothing) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> data;
    };
    const std::vector<Case> cases = {
        {"data that stops before the top row", {2, 1, 0, 0}},
        {"data that stops inside the top row", {4, 1, 0, 0, 3, 2}},
        {"a command cut short", {2}},
        {"an absolute run cut short", {0, 4, 1, 2}},
        {"a delta cut short", {0, 2, 1}},
        {"a delta past the top", {0, 2, 0, 3, 0, 1}},
        {"a delta past the right edge", {0, 2, 5, 0, 0, 1}},
        {"pixels above the top row", {0, 0, 0, 0, 1, 1, 0, 1}},
        {"empty data", {}},
    };
    for (const Case& c : cases) EXPECT_FALSE(DecodeRle(RleKind::Rle8, c.data, 4, 2)) << c.what;
}

TEST(RleDecoder, TheEndOfBitmapMayBeMissingOnceEveryRowIsDecoded) {
    // 2 x 2: the data may stop right after the top row's pixels, after its end of line,
    // or after padding read as ends of line; a delta may be the last command too.
    const std::vector<std::uint8_t> expected = {3, 3, 1, 2};  // top row first
    const std::vector<std::vector<std::uint8_t>> endings = {
        {1, 1, 1, 2, 0, 0, 2, 3},
        {1, 1, 1, 2, 0, 0, 2, 3, 0, 0},
        {1, 1, 1, 2, 0, 0, 2, 3, 0, 0, 0, 0},
        {1, 1, 1, 2, 0, 0, 2, 3, 0, 2, 0, 1},
    };
    for (const auto& data : endings) EXPECT_EQ(DecodeRle(RleKind::Rle8, data, 2, 2), expected);
    EXPECT_EQ(DecodeRle(RleKind::Rle4, std::vector<std::uint8_t>{2, 0x12, 0, 0, 2, 0x33}, 2, 2), expected);
}

TEST(RleDecoder, PixelsPastTheRightEdgeAreDropped) {
    // 3 x 1 written as the 4 pixels of its padded row, and again as an absolute run.
    const std::vector<std::uint8_t> encoded = {4, 5, 0, 1};
    EXPECT_EQ(DecodeRle(RleKind::Rle8, encoded, 3, 1), (std::vector<std::uint8_t>{5, 5, 5}));
    const std::vector<std::uint8_t> absolute = {0, 5, 1, 2, 3, 4, 5, 0, 0, 1};
    EXPECT_EQ(DecodeRle(RleKind::Rle8, absolute, 3, 1), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(DeviceImage, CompressedDataOfAnotherKindOrTopDownIsRefused) {
    const std::vector<std::uint8_t> data = {1, 0, 0, 1};
    const RgbQuad colours[2] = {{0, 0, 0, 0}, {0xFF, 0, 0, 0}};
    BitmapInfoHeader header = Layout(1, 1, 8, BI_RLE8).header;
    EXPECT_TRUE(DeviceImage::CreateFromCompressed(header, colours, data));
    header.biHeight = -1;
    EXPECT_FALSE(DeviceImage::CreateFromCompressed(header, colours, data));
    header = Layout(1, 1, 8, BI_RLE4).header;
    EXPECT_FALSE(DeviceImage::CreateFromCompressed(header, colours, data));
    header = Layout(1, 1, 8, 4).header;  // JPEG data
    EXPECT_FALSE(DeviceImage::CreateFromCompressed(header, colours, data));
}

// --- DIBs ---------------------------------------------------------------------------------

TEST(DibImage, RowsAreBottomUpUnlessTheHeightIsNegative) {
    auto bottomUp = DibImage::Create(Layout(3, 2, 32));
    ASSERT_TRUE(bottomUp);
    EXPECT_EQ(bottomUp->Stride(), 12);
    EXPECT_EQ(bottomUp->RowBits(0), bottomUp->Bits() + 12);
    EXPECT_EQ(bottomUp->RowBits(1), bottomUp->Bits());
    auto topDown = DibImage::Create(Layout(3, -2, 32));
    ASSERT_TRUE(topDown);
    EXPECT_EQ(topDown->Height(), 2);
    EXPECT_EQ(topDown->RowBits(0), topDown->Bits());
}

TEST(DibImage, LayoutsThatNoDibHasAreRefused) {
    EXPECT_FALSE(DibImage::Create(Layout(1, 1, 24, BI_BITFIELDS)));
    EXPECT_FALSE(DibImage::Create(Layout(1, 1, 8, BI_RLE8)));
    EXPECT_FALSE(DibImage::Create(Layout(1, 1, 2)));
    EXPECT_FALSE(DibImage::Create(Layout(0, 1, 8)));
    EXPECT_FALSE(DibImage::Create(Layout(1, 0, 8)));
    EXPECT_FALSE(DibImage::Create(Layout(65536, 65536, 32)));  // 16 GiB of pixels
}

TEST(DibImage, TheColourTableHasTheEntriesGivenOrTheFullTable) {
    BitmapInfo info = Layout(1, 1, 8);
    info.colours.resize(20, RgbQuad{1, 2, 3, 0});
    EXPECT_EQ(DibImage::Create(info)->ColourTable().size(), 20u);
    info.header.biClrUsed = 5;
    EXPECT_EQ(DibImage::Create(info)->ColourTable().size(), 5u);
    info.colours.clear();
    info.header.biClrUsed = 0;
    EXPECT_EQ(DibImage::Create(info)->ColourTable().size(), 256u);
    info = Layout(1, 1, 4);
    info.header.biClrUsed = 200;
    EXPECT_EQ(DibImage::Create(info)->ColourTable().size(), 16u);
}

TEST(DibImage, TheSurfaceIsConvertedOnceAndAgainOnlyAfterTheBitsChange) {
    auto dib = DibImage::Create(Layout(2, 2, 24));
    ASSERT_TRUE(dib);
    dib->RowBits(0)[2] = 0xFF;  // top-left red
    cairo_surface_t* surface = dib->Surface();
    ASSERT_TRUE(surface);
    EXPECT_EQ(SurfaceRow(surface, 0)[0] & 0xFFFFFF, 0xFF0000u);

    // Written behind its back, the buffer is not seen: the surface is kept.
    dib->RowBits(0)[0] = 0xFF;
    EXPECT_EQ(SurfaceRow(dib->Surface(), 0)[0] & 0xFFFFFF, 0xFF0000u);

    // Opened for direct writing, every use converts again.
    dib->OpenBits();
    EXPECT_EQ(SurfaceRow(dib->Surface(), 0)[0] & 0xFFFFFF, 0xFF00FFu);
    dib->RowBits(1)[1] = 0xFF;
    EXPECT_EQ(SurfaceRow(dib->Surface(), 1)[0] & 0xFFFFFF, 0x00FF00u);
    dib->CloseBits();
    EXPECT_EQ(dib->Surface(), surface);
}

TEST(DibImage, DrawingThroughAContextReachesTheBufferAtTheFlush) {
    BitmapInfo info = Layout(2, 1, 8);
    info.colours = {RgbQuad{0, 0, 0, 0}, RgbQuad{0xFF, 0, 0, 0}};  // black, blue
    auto dib = DibImage::Create(info);
    {
        auto context = ImageContext::Create(*dib);
        ASSERT_TRUE(context);
        cairo_set_source_rgb(context->Cairo(), 0, 0, 0.9);
        cairo_rectangle(context->Cairo(), 1, 0, 1, 1);
        cairo_fill(context->Cairo());
    }
    EXPECT_EQ(dib->Bits()[1], 0);  // not yet
    dib->Flush();
    EXPECT_EQ(dib->Bits()[0], 0);
    EXPECT_EQ(dib->Bits()[1], 1);  // the nearest entry
    EXPECT_EQ(Row(*dib, 0), (std::vector<std::uint32_t>{0, 0x0000FF}));
}

// --- Blits ---------------------------------------------------------------------------------

TEST(CopyImage, CopiesTheCornerBothShareThroughTheTargetLayout) {
    auto source = DeviceImage::CreateCompatible(3, 2);
    FillImage(*source, 0x123456);
    auto target = DibImage::Create(Layout(2, 3, 32));
    FillImage(*target, 0xFFFFFF);
    CopyImage(*target, *source);
    EXPECT_EQ(Row(*target, 0), (std::vector<std::uint32_t>{0x123456, 0x123456}));
    EXPECT_EQ(Row(*target, 1), (std::vector<std::uint32_t>{0x123456, 0x123456}));
    EXPECT_EQ(Row(*target, 2), (std::vector<std::uint32_t>{0xFFFFFF, 0xFFFFFF}));
}

TEST(CopyImage, MonochromeImagesUseTheTextAndBackgroundColours) {
    auto colour = DeviceImage::CreateCompatible(2, 1);
    const std::uint32_t pixels[2] = {0x336699, 0x00FF00};
    colour->WriteRow(0, pixels);
    auto mask = DeviceImage::CreateMonochrome(2, 1);
    CopyImage(*mask, *colour, {0, 0x00FF00});
    EXPECT_EQ(Row(*mask, 0), (std::vector<std::uint32_t>{0, 0xFFFFFF}));

    auto back = DeviceImage::CreateCompatible(2, 1);
    CopyImage(*back, *mask, {0xAA0000, 0x0000BB});
    EXPECT_EQ(Row(*back, 0), (std::vector<std::uint32_t>{0xAA0000, 0x0000BB}));
}

class StretchTest : public ::testing::Test {
protected:
    StretchTest() : target_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4)), cairo_(cairo_create(target_)) {
        cairo_set_source_rgb(cairo_, 1, 1, 1);
        cairo_paint(cairo_);
    }
    ~StretchTest() override {
        cairo_destroy(cairo_);
        cairo_surface_destroy(target_);
    }
    std::uint32_t At(int x, int y) {
        cairo_surface_flush(target_);
        return SurfaceRow(target_, y)[x] & 0xFFFFFF;
    }

    cairo_surface_t* target_;
    cairo_t* cairo_;
};

TEST_F(StretchTest, RowDroppingScalesByWholePixels) {
    auto source = DeviceImage::CreateCompatible(2, 1);
    const std::uint32_t pixels[2] = {0xFF0000, 0x0000FF};
    source->WriteRow(0, pixels);
    ASSERT_TRUE(StretchBlt(cairo_, {0, 0, 4, 2}, *source, {0, 0, 2, 1}, {}));
    EXPECT_EQ(At(0, 0), 0xFF0000u);
    EXPECT_EQ(At(1, 1), 0xFF0000u);
    EXPECT_EQ(At(2, 0), 0x0000FFu);
    EXPECT_EQ(At(3, 1), 0x0000FFu);
    EXPECT_EQ(At(0, 2), 0xFFFFFFu);  // outside the rectangle
}

TEST_F(StretchTest, AnExtentOfOppositeSignMirrors) {
    auto source = DeviceImage::CreateCompatible(2, 1);
    const std::uint32_t pixels[2] = {0xFF0000, 0x0000FF};
    source->WriteRow(0, pixels);
    ASSERT_TRUE(StretchBlt(cairo_, {2, 0, 0, 1}, *source, {0, 0, 2, 1}, {}));
    EXPECT_EQ(At(0, 0), 0x0000FFu);
    EXPECT_EQ(At(1, 0), 0xFF0000u);
}

TEST_F(StretchTest, RasterOperationsCombineSourceDestinationAndBrushInsideTheClip) {
    auto source = DeviceImage::CreateCompatible(4, 4);
    FillImage(*source, 0x0F0F0F);
    cairo_set_source_rgb(cairo_, 0, 0, 0);  // destination: black in the left half
    cairo_rectangle(cairo_, 0, 0, 2, 4);
    cairo_fill(cairo_);
    cairo_rectangle(cairo_, 0, 0, 4, 2);  // clip: the top half
    cairo_clip(cairo_);

    StretchSettings invert;
    invert.rop = SRCINVERT;
    ASSERT_TRUE(StretchBlt(cairo_, {0, 0, 4, 4}, *source, {0, 0, 4, 4}, invert));
    EXPECT_EQ(At(0, 0), 0x0F0F0Fu);
    EXPECT_EQ(At(3, 0), 0xF0F0F0u);
    EXPECT_EQ(At(3, 3), 0xFFFFFFu);  // clipped out

    StretchSettings pattern;
    pattern.rop = PATCOPY;
    pattern.brush = 0x102030;
    ASSERT_TRUE(StretchBlt(cairo_, {0, 0, 4, 4}, *source, {0, 0, 4, 4}, pattern));
    EXPECT_EQ(At(1, 1), 0x102030u);
    StretchSettings black;
    black.rop = BLACKNESS;
    ASSERT_TRUE(StretchBlt(cairo_, {0, 0, 1, 1}, *source, {0, 0, 4, 4}, black));
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(1, 0), 0x102030u);
}

TEST_F(StretchTest, TheMaskKeepsTheDestinationWhereItIsWhite) {
    auto source = DeviceImage::CreateCompatible(2, 1);
    FillImage(*source, 0x00FF00);
    auto mask = DeviceImage::CreateMonochrome(2, 1);
    const std::uint32_t bits[2] = {0, 0xFFFFFF};
    mask->WriteRow(0, bits);
    ASSERT_TRUE(MaskedStretchBlt(cairo_, {0, 0, 4, 1}, *source, {0, 0, 2, 1}, *mask, StretchMode::DeleteScans));
    EXPECT_EQ(At(0, 0), 0x00FF00u);
    EXPECT_EQ(At(1, 0), 0x00FF00u);
    EXPECT_EQ(At(2, 0), 0xFFFFFFu);
    EXPECT_EQ(At(3, 0), 0xFFFFFFu);
}

// --- One-to-one copies of DIBs ---------------------------------------------------------------

// A DIB copied at its own size converts its rows straight into the target's pixels; the
// same copy from a DIB that keeps its drawing surface goes through cairo. Both must give
// the same pixels, for every layout, either row order, both kinds of target surface,
// inside a clip of several rectangles, through a translation and over the target's edge.
TEST(StretchBlt, AOneToOneCopyOfADibGivesThePixelsOfTheCopyThroughItsSurface) {
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    constexpr int kWidth = 41, kHeight = 9, kTargetWidth = 56, kTargetHeight = 16;

    for (const int bitCount : {1, 4, 8, 16, 24, 32})
        for (const bool topDown : {false, true})
            for (const cairo_format_t format : {CAIRO_FORMAT_RGB24, CAIRO_FORMAT_ARGB32})
                for (const StretchMode mode : {StretchMode::DeleteScans, StretchMode::Halftone}) {
                    SCOPED_TRACE(testing::Message()
                                 << bitCount << " bits, " << (topDown ? "top-down" : "bottom-up") << ", target "
                                 << (format == CAIRO_FORMAT_RGB24 ? "RGB24" : "ARGB32")
                                 << (mode == StretchMode::Halftone ? ", halftone" : ""));
                    BitmapInfo info = Layout(kWidth, topDown ? -kHeight : kHeight, bitCount);
                    if (bitCount <= 8)
                        for (int i = 0; i < 1 << bitCount; ++i) {
                            const std::uint32_t c = next();
                            info.colours.push_back(
                                RgbQuad{std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16), 0});
                        }
                    auto direct = DibImage::Create(info);
                    auto throughSurface = DibImage::Create(info);
                    ASSERT_TRUE(direct && throughSurface);
                    for (std::uint32_t i = 0; i < direct->Header().biSizeImage; ++i)
                        direct->Bits()[i] = throughSurface->Bits()[i] = std::uint8_t(next() >> 24);
                    ASSERT_TRUE(throughSurface->Surface());

                    // Targets of opaque noise; the clip is two rectangles of the target.
                    std::vector<std::uint32_t> noise(std::size_t(kTargetWidth) * kTargetHeight);
                    for (std::uint32_t& pixel : noise) pixel = next() | 0xFF000000;
                    auto draw = [&](DibImage& source) {
                        SurfacePtr target(cairo_image_surface_create(format, kTargetWidth, kTargetHeight));
                        for (int y = 0; y < kTargetHeight; ++y)
                            std::copy_n(&noise[std::size_t(y) * kTargetWidth], kTargetWidth,
                                        SurfaceRow(target.get(), y));
                        cairo_surface_mark_dirty(target.get());
                        cairo_t* cairo = cairo_create(target.get());
                        cairo_rectangle(cairo, 2, 1, 30, 11);
                        cairo_rectangle(cairo, 34, 3, 20, 4);
                        cairo_clip(cairo);
                        cairo_translate(cairo, 3, 2);
                        StretchSettings settings;
                        settings.mode = mode;
                        EXPECT_TRUE(StretchBlt(cairo, {1, 0, 38, 7}, source, {3, 1, 40, 8}, settings));
                        EXPECT_TRUE(StretchBlt(cairo, {20, 8, 20 + kWidth, 8 + kHeight}, source,
                                               {0, 0, kWidth, kHeight},
                                               settings));  // over the right and bottom edges
                        cairo_destroy(cairo);
                        cairo_surface_flush(target.get());
                        return target;
                    };
                    const SurfacePtr expected = draw(*throughSurface);
                    const SurfacePtr actual = draw(*direct);
                    EXPECT_FALSE(direct->HasSurface());
                    // An RGB24 pixel's top byte means nothing.
                    const std::uint32_t meaningful = format == CAIRO_FORMAT_RGB24 ? 0xFFFFFF : 0xFFFFFFFF;
                    int differing = 0;
                    for (int y = 0; y < kTargetHeight; ++y)
                        for (int x = 0; x < kTargetWidth; ++x)
                            differing += (SurfaceRow(actual.get(), y)[x] & meaningful) !=
                                         (SurfaceRow(expected.get(), y)[x] & meaningful);
                    EXPECT_EQ(differing, 0);
                }
}

// --- Palettes ------------------------------------------------------------------------------

TEST(Palette, TheSystemPaletteIsOneAndCopiesAreNew) {
    EXPECT_EQ(SystemPalette16(), SystemPalette16());
    EXPECT_EQ(SystemPalette16()->Size(), 16u);
    const PaletteHandle copy = CopyPalette(SystemPalette16());
    EXPECT_NE(copy, SystemPalette16());
    EXPECT_TRUE(std::equal(copy->Entries().begin(), copy->Entries().end(), SystemPalette16()->Entries().begin()));
    EXPECT_EQ(CopyPalette(nullptr), nullptr);
    EXPECT_NE(CreateHalftonePalette(), CreateHalftonePalette());
}

TEST(Palette, TheHalftonePaletteHoldsTheCubeAndDistinctGreys) {
    const PaletteHandle halftone = CreateHalftonePalette();
    ASSERT_EQ(halftone->Size(), 256u);
    auto has = [&](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        return std::find(halftone->Entries().begin(), halftone->Entries().end(), PaletteEntry{r, g, b, 0}) !=
               halftone->Entries().end();
    };
    EXPECT_TRUE(has(0, 51, 255));
    EXPECT_TRUE(has(204, 153, 102));
    EXPECT_TRUE(has(128, 128, 128));
    EXPECT_TRUE(has(8, 8, 8));
    EXPECT_TRUE(has(238, 238, 238));
    EXPECT_EQ(DefaultColourTable(8).size(), 256u);
    EXPECT_EQ(DefaultColourTable(1), (std::vector<RgbQuad>{{0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0}}));
}

}  // namespace
}  // namespace orvalis::platform::raster
