// TBitmap: rows and their addresses, layouts, copy on write, rebuilds, handles, storage
// kinds, palettes, transparency, drawing and the device image kept for it, the canvas,
// released resources and the clipboard.

#include <gtest/gtest.h>

#include <cstring>

#include "BitmapTestSupport.h"
#include "graphics/Bitmap.h"
#include "graphics/BitmapCanvas.h"
#include "graphics/CanvasReleaseHooks.h"
#include "graphics/SystemColours.h"
#include "platform/headless/HeadlessSession.h"
#include "platform/raster/Blit.h"
#include "platform/raster/DeviceImage.h"
#include "platform/raster/DibImage.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

using test::Bitmap32;
using test::Pixels;
using Rows = std::vector<std::vector<std::uint32_t>>;

constexpr std::uint32_t kWhite = 0xFFFFFF;

// Counts the OnChange of a graphic.
struct ChangeCounter {
    int count = 0;
    void Changed(TObject*) { ++count; }
    TNotifyEvent Event() { return TNotifyEvent(this, &ChangeCounter::Changed); }
};

std::uint8_t* Buffer(TBitmap& bitmap) { return static_cast<std::uint8_t*>(bitmap.ImageRecord().DIB().dsBm.bmBits); }

std::unique_ptr<raster::DibImage> Dib(int width, int height, int bitCount, std::uint32_t compression = raster::BI_RGB,
                                      std::array<std::uint32_t, 3> masks = {}) {
    raster::BitmapInfo info;
    info.header = {40, width, height, 1, std::uint16_t(bitCount), compression, 0, 0, 0, 0, 0};
    info.masks = masks;
    return raster::DibImage::Create(info);
}

TEST(Bitmap, ANewBitmapIsEmptyAndHasNoRows) {
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_EQ(bitmap.PixelLayout(), plDevice);
    EXPECT_EQ(bitmap.StorageKind(), skDevice);
    EXPECT_EQ(bitmap.ImageRecord().ShareCount(), 1);
    try {
        bitmap.RowPointer(0);
        FAIL() << "no row 0";
    } catch (const EInvalidGraphicOperation& error) {
        EXPECT_STREQ(error.what(), "Indice ligne hors limites");
    }
}

// The size and the layout in either order give the same white, bottom-up DIB.
class SizeAndLayout : public ::testing::TestWithParam<bool> {};

TEST_P(SizeAndLayout, GiveABottomUpWhiteDibWhoseRowZeroIsTheLastInMemory) {
    TBitmap bitmap;
    if (GetParam()) bitmap.SetPixelLayout(pl32Bit);
    bitmap.SetWidth(3);
    bitmap.SetHeight(2);
    if (!GetParam()) bitmap.SetPixelLayout(pl32Bit);

    EXPECT_FALSE(bitmap.Empty());
    EXPECT_EQ(bitmap.PixelLayout(), pl32Bit);
    EXPECT_EQ(bitmap.StorageKind(), skDIB);
    const raster::DibSection& dib = bitmap.ImageRecord().DIB();
    EXPECT_GT(dib.dsBmih.biHeight, 0);
    EXPECT_EQ(dib.dsBm.bmWidthBytes, 12);
    EXPECT_EQ(bitmap.RowPointer(0), Buffer(bitmap) + 12);
    EXPECT_EQ(bitmap.RowPointer(1), Buffer(bitmap));
    EXPECT_EQ(Pixels(bitmap), (Rows{{kWhite, kWhite, kWhite}, {kWhite, kWhite, kWhite}}));
    EXPECT_THROW(bitmap.RowPointer(2), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.RowPointer(-1), EInvalidGraphicOperation);
}

INSTANTIATE_TEST_SUITE_P(LayoutFirstOrLast, SizeAndLayout, ::testing::Bool());

TEST(Bitmap, ASizeOfZeroKeepsTheOtherDimensionAndTheLayout) {
    TBitmap bitmap;
    bitmap.SetPixelLayout(pl24Bit);
    bitmap.SetWidth(5);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.PixelLayout(), pl24Bit);
    bitmap.SetHeight(1);
    EXPECT_EQ(bitmap.ImageRecord().DIB().dsBm.bmWidthBytes, 16);
    bitmap.SetHeight(0);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.ImageRecord().DIB().dsBm.bmBits, nullptr);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.PixelLayout(), pl24Bit);
}

TEST(Bitmap, SettingTheSameSizeChangesNothing) {
    auto bitmap = Bitmap32({{1, 2}});
    ChangeCounter changes;
    bitmap->SetOnChange(changes.Event());
    const TBitmapImage* record = &bitmap->ImageRecord();
    bitmap->SetWidth(2);
    bitmap->SetHeight(1);
    EXPECT_EQ(changes.count, 0);
    EXPECT_EQ(&bitmap->ImageRecord(), record);
    bitmap->SetWidth(3);
    EXPECT_EQ(changes.count, 1);
}

TEST(Bitmap, ACopySharesTheRecordUntilOneOfThemWritesItsRows) {
    auto a = Bitmap32({{0x112233, 0x445566}, {0x778899, 0xAABBCC}});
    std::uint8_t* buffer = Buffer(*a);
    TBitmap b;
    b.CopyFromObject(a.get());
    EXPECT_EQ(&a->ImageRecord(), &b.ImageRecord());
    EXPECT_EQ(a->ImageRecord().ShareCount(), 2);
    EXPECT_EQ(Buffer(b), buffer);  // no pixel copied

    reinterpret_cast<std::uint32_t*>(b.RowPointer(0))[0] = 0x00FF00;
    EXPECT_NE(&a->ImageRecord(), &b.ImageRecord());
    EXPECT_EQ(a->ImageRecord().ShareCount(), 1);
    EXPECT_EQ(b.ImageRecord().ShareCount(), 1);
    EXPECT_EQ(Buffer(*a), buffer);
    EXPECT_NE(Buffer(b), buffer);
    EXPECT_EQ(Pixels(*a), (Rows{{0x112233, 0x445566}, {0x778899, 0xAABBCC}}));
    EXPECT_EQ(Pixels(b), (Rows{{0x00FF00, 0x445566}, {0x778899, 0xAABBCC}}));
}

TEST(Bitmap, RowsReadOnlyLeaveTheRecordSharedAndAnnounceNothing) {
    const Rows picture = {{0x112233, 0x445566}, {0x778899, 0xAABBCC}};
    // Held as a DIB, or as a device image alone (its DIB made beside it for reading).
    for (const TStorageKind kind : {skDIB, skDevice}) {
        SCOPED_TRACE(kind == skDIB ? "DIB" : "device image");
        auto a = Bitmap32(picture);
        a->SetStorageKind(kind);
        if (kind == skDevice) a->Handle();  // the device image alone is the picture
        TBitmap b;
        b.CopyFromObject(a.get());
        ChangeCounter changes;
        b.SetOnChange(changes.Event());

        for (int y = 0; y < 2; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(b.ReadOnlyRowPointer(y));
            EXPECT_EQ(row[0] & 0xFFFFFF, picture[std::size_t(y)][0]);
            EXPECT_EQ(row[1] & 0xFFFFFF, picture[std::size_t(y)][1]);
        }
        EXPECT_EQ(&a->ImageRecord(), &b.ImageRecord()) << "no private copy";
        EXPECT_EQ(b.ImageRecord().ShareCount(), 2);
        EXPECT_EQ(b.ReadOnlyRowPointer(0), a->ReadOnlyRowPointer(0)) << "one buffer read by both";
        EXPECT_EQ(changes.count, 0);
        EXPECT_EQ(b.StorageKind(), kind);
        EXPECT_THROW(b.ReadOnlyRowPointer(2), EInvalidGraphicOperation);
        EXPECT_THROW(b.ReadOnlyRowPointer(-1), EInvalidGraphicOperation);
    }
}

TEST(Bitmap, RowsReadOnlyShowWhatTheCanvasDrew) {
    auto bitmap = Bitmap32({{0x112233, 0x445566}});
    bitmap->Canvas().Brush().SetColor(clBlue);  // 0xFF0000: blue
    bitmap->Canvas().FillRect({0, 0, 1, 1});
    const auto* row = reinterpret_cast<const std::uint32_t*>(bitmap->ReadOnlyRowPointer(0));
    EXPECT_EQ(row[0] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(row[1] & 0xFFFFFF, 0x445566u);
}

TEST(Bitmap, CopyingNothingEmptiesTheBitmapWithOneChange) {
    auto bitmap = Bitmap32({{1}});
    ChangeCounter changes;
    bitmap->SetOnChange(changes.Event());
    bitmap->CopyFromObject(nullptr);
    EXPECT_TRUE(bitmap->Empty());
    EXPECT_EQ(bitmap->Width(), 0);
    EXPECT_EQ(changes.count, 1);
    EXPECT_TRUE(bitmap->ChangedFlag());
}

TEST(Bitmap, CopyingAnotherKindOfObjectIsTheAssignError) {
    TBitmap bitmap;
    TGraphic graphic;
    try {
        bitmap.CopyFromObject(&graphic);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Impossible d'affecter TGraphic à TBitmap");
    }
}

TEST(Bitmap, ATopDownDibResizedBecomesBottomUpWithThePictureUnchanged) {
    auto dib = Dib(2, -2, 32);
    auto* words = reinterpret_cast<std::uint32_t*>(dib->Bits());
    words[0] = 0x010101;  // top row, top-down
    words[1] = 0x020202;
    words[2] = 0x030303;
    words[3] = 0x040404;
    TBitmap bitmap;
    bitmap.SetHandle(std::move(dib));
    EXPECT_LT(bitmap.ImageRecord().DIB().dsBmih.biHeight, 0);
    EXPECT_EQ(bitmap.RowPointer(0), Buffer(bitmap));
    EXPECT_EQ(Pixels(bitmap), (Rows{{0x010101, 0x020202}, {0x030303, 0x040404}}));

    bitmap.SetHeight(3);
    EXPECT_EQ(bitmap.ImageRecord().DIB().dsBmih.biHeight, 3);
    EXPECT_EQ(bitmap.RowPointer(0), Buffer(bitmap) + 2 * 8);
    EXPECT_EQ(Pixels(bitmap), (Rows{{0x010101, 0x020202}, {0x030303, 0x040404}, {kWhite, kWhite}}));
}

TEST(Bitmap, GrowingFillsTheNewAreaWithWhiteOrTheCanvasBrush) {
    auto bitmap = Bitmap32({{0x123456}});
    bitmap->SetWidth(2);
    EXPECT_EQ(Pixels(*bitmap), (Rows{{0x123456, kWhite}}));
    bitmap->Canvas().Brush().SetColor(clRed);  // 0x0000FF: red
    bitmap->SetHeight(2);
    EXPECT_EQ(Pixels(*bitmap), (Rows{{0x123456, kWhite}, {0xFF0000, 0xFF0000}}));
}

TEST(Bitmap, EveryLayoutKeepsThePureColoursAndHasItsDescription) {
    struct Case {
        TPixelLayout layout;
        std::uint16_t bitCount;
        std::uint32_t compression;
    };
    const Case cases[] = {
        {pl1Bit, 1, raster::BI_RGB},   {pl4Bit, 4, raster::BI_RGB},         {pl8Bit, 8, raster::BI_RGB},
        {pl15Bit, 16, raster::BI_RGB}, {pl16Bit, 16, raster::BI_BITFIELDS}, {pl24Bit, 24, raster::BI_RGB},
        {pl32Bit, 32, raster::BI_RGB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.layout));
        const bool blackAndWhite = c.layout == pl1Bit;
        const Rows pixels = blackAndWhite ? Rows{{0, kWhite, 0}} : Rows{{0xFF0000, 0x00FF00, 0x0000FF}};
        auto bitmap = Bitmap32(pixels);
        bitmap->SetPixelLayout(c.layout);
        EXPECT_EQ(bitmap->PixelLayout(), c.layout);
        const raster::DibSection& dib = bitmap->ImageRecord().DIB();
        EXPECT_EQ(dib.dsBmih.biBitCount, c.bitCount);
        EXPECT_EQ(dib.dsBmih.biCompression, c.compression);
        EXPECT_EQ(dib.dsBm.bmWidthBytes, raster::RowStride(3, c.bitCount));
        EXPECT_EQ(Pixels(*bitmap), pixels);
    }
}

// The colours of a DIB's table, as 0x00RRGGBB.
std::vector<std::uint32_t> TableOf(TBitmap& bitmap) {
    std::vector<std::uint32_t> colours;
    for (const raster::RgbQuad& quad : bitmap.ImageRecord().DIBHandle()->ColourTable())
        colours.push_back(raster::RgbOf(quad));
    return colours;
}

// Every layout made from every other keeps black and white, also when the palette was
// read in between (drawing reads it; on an 8-bit screen a true-colour picture gets the
// halftone palette then). A 1-bit layout made from more than two colours has a black
// and white table: the first two system colours are black and a dark red.
TEST(Bitmap, EveryLayoutMadeFromAnyOtherKeepsBlackAndWhite) {
    constexpr TPixelLayout kLayouts[] = {pl1Bit, pl4Bit, pl8Bit, pl15Bit, pl16Bit, pl24Bit, pl32Bit};
    for (const int screenBits : {32, 8}) {
        platform::ScreenMetrics screen;
        screen.bitsPerPixel = screenBits;
        platform::headless::HeadlessSession session(screen);
        int pairs = 0;
        for (const TPixelLayout from : kLayouts) {
            for (const TPixelLayout to : kLayouts) {
                if (from == to) continue;
                SCOPED_TRACE(::testing::Message() << screenBits << "-bit screen, " << int(from) << " to " << int(to));
                auto bitmap = Bitmap32({{0, kWhite}, {kWhite, 0}});
                bitmap->SetPixelLayout(from);
                bitmap->Palette();
                bitmap->SetPixelLayout(to);
                EXPECT_EQ(bitmap->PixelLayout(), to);
                EXPECT_EQ(Pixels(*bitmap), (Rows{{0, kWhite}, {kWhite, 0}}));
                if (to == pl1Bit) {
                    EXPECT_EQ(TableOf(*bitmap), (std::vector<std::uint32_t>{0, kWhite}));
                }
                ++pairs;
            }
        }
        EXPECT_EQ(pairs, 42);
    }
}

TEST(Bitmap, AOneBitLayoutKeepsATwoColourPaletteAndMakesGreysBlackAndWhite) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> table;  // colours of an 8-bit DIB; pixels 0 and the last index
        std::vector<std::uint32_t> oneBitTable;
        Rows pixels;
    };
    std::vector<std::uint32_t> greys;
    for (std::uint32_t level = 0; level < 256; ++level) greys.push_back(level * 0x010101);
    const Case cases[] = {
        {"256 greys", greys, {0, kWhite}, {{0, kWhite}}},
        {"red and blue", {0xFF0000, 0x0000FF}, {0xFF0000, 0x0000FF}, {{0xFF0000, 0x0000FF}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        raster::BitmapInfo info;
        info.header = {40, 2, 1, 1, 8, raster::BI_RGB, 0, 0, 0, std::uint32_t(c.table.size()), 0};
        for (const std::uint32_t colour : c.table)
            info.colours.push_back({std::uint8_t(colour), std::uint8_t(colour >> 8), std::uint8_t(colour >> 16), 0});
        auto dib = raster::DibImage::Create(info);
        dib->Bits()[1] = std::uint8_t(c.table.size() - 1);
        TBitmap bitmap;
        bitmap.SetHandle(std::move(dib));
        bitmap.SetPixelLayout(pl1Bit);
        EXPECT_EQ(TableOf(bitmap), c.oneBitTable);
        EXPECT_EQ(Pixels(bitmap), c.pixels);
    }
}

TEST(Bitmap, LayoutsGiveTheirPalettes) {
    auto bitmap = Bitmap32({{0}});
    EXPECT_EQ(bitmap->Palette(), nullptr);  // 32 bits on a 32-bit screen
    bitmap->SetPixelLayout(pl8Bit);
    ASSERT_NE(bitmap->Palette(), nullptr);
    EXPECT_EQ(bitmap->Palette()->Size(), 256u);
    EXPECT_TRUE(bitmap->PaletteModified());
    EXPECT_EQ(bitmap->ImageRecord().DIBHandle()->ColourTable().size(), 256u);

    bitmap->SetPixelLayout(pl4Bit);
    EXPECT_EQ(bitmap->Palette(), raster::SystemPalette16());
    EXPECT_EQ(bitmap->ImageRecord().DIBHandle()->ColourTable().size(), 16u);
}

TEST(Bitmap, SixteenBitFieldsOtherThanFiveSixFiveAreCustomAndCustomCannotBeSet) {
    TBitmap bitmap;
    bitmap.SetHandle(Dib(2, 2, 16, raster::BI_BITFIELDS, {0x7C00, 0x03E0, 0x001F}));
    EXPECT_EQ(bitmap.PixelLayout(), plCustom);
    bitmap.SetHandle(Dib(2, 2, 32, raster::BI_BITFIELDS, {0xFF0000, 0x00FF00, 0x0000FF}));
    EXPECT_EQ(bitmap.PixelLayout(), plCustom);

    auto other = Bitmap32({{1, 2}});
    const TBitmapImage* record = &other->ImageRecord();
    try {
        other->SetPixelLayout(plCustom);
        FAIL();
    } catch (const EInvalidGraphic& error) {
        EXPECT_STREQ(error.what(), "Format de pixel incorrect");
    }
    EXPECT_EQ(&other->ImageRecord(), record);
    EXPECT_EQ(other->PixelLayout(), pl32Bit);
}

TEST(Bitmap, StorageKindsMoveThePictureBetweenDeviceImageAndDib) {
    auto bitmap = Bitmap32({{0x102030, 0x405060}});
    bitmap->SetPixelLayout(plDevice);
    EXPECT_EQ(bitmap->StorageKind(), skDevice);
    EXPECT_EQ(bitmap->PixelLayout(), plDevice);
    EXPECT_NE(bitmap->ImageRecord().DeviceHandle(), bitmap->ImageRecord().DIBHandle());
    EXPECT_EQ(Pixels(*bitmap), (Rows{{0x102030, 0x405060}}));

    bitmap->SetStorageKind(skDIB);
    EXPECT_EQ(bitmap->StorageKind(), skDIB);
    EXPECT_EQ(bitmap->ImageRecord().DeviceHandle(), bitmap->ImageRecord().DIBHandle());
    EXPECT_EQ(bitmap->PixelLayout(), pl32Bit);
    EXPECT_EQ(Pixels(*bitmap), (Rows{{0x102030, 0x405060}}));

    // Without any image only the kind of description changes.
    TBitmap empty;
    empty.SetStorageKind(skDIB);
    EXPECT_EQ(empty.StorageKind(), skDIB);
    EXPECT_EQ(empty.ImageRecord().DIB().dsBmih.biSize, 40u);
}

TEST(Bitmap, ADeviceImageWrittenThroughItsRowsLosesItsStaleDib) {
    auto bitmap = Bitmap32({{0x102030}});
    bitmap->SetStorageKind(skDevice);
    ASSERT_NE(bitmap->ImageRecord().DIBHandle(), nullptr);  // the DIB made the device image
    bitmap->Handle();                                       // Changing: the device image is the picture now
    EXPECT_EQ(bitmap->ImageRecord().DIBHandle(), nullptr);
    // Its rows are those of a DIB made from it once, in the screen's layout, which then
    // is the picture.
    reinterpret_cast<std::uint32_t*>(bitmap->RowPointer(0))[0] = 0x0A0B0C;
    EXPECT_EQ(bitmap->PixelLayout(), pl32Bit);
    EXPECT_EQ(bitmap->ImageRecord().DeviceHandle(), bitmap->ImageRecord().DIBHandle());
    EXPECT_EQ(Pixels(*bitmap), (Rows{{0x0A0B0C}}));
}

TEST(Bitmap, HandlesAreTakenAndGivenAway) {
    auto device = raster::DeviceImage::CreateCompatible(2, 1);
    raster::FillImage(*device, 0x335577);
    raster::Image* given = device.get();
    TBitmap bitmap;
    ChangeCounter changes;
    bitmap.SetOnChange(changes.Event());
    bitmap.SetHandle(std::move(device));
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(bitmap.StorageKind(), skDevice);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Handle(), given);

    std::unique_ptr<raster::Image> taken = bitmap.DetachHandle();
    EXPECT_EQ(taken.get(), given);
    EXPECT_TRUE(bitmap.Empty());

    // Handle := 0 empties a bitmap and keeps its palette.
    auto paletted = Bitmap32({{0}});
    paletted->SetPixelLayout(pl8Bit);
    const raster::PaletteHandle palette = paletted->Palette();
    paletted->SetHandle(nullptr);
    EXPECT_TRUE(paletted->Empty());
    EXPECT_EQ(paletted->Palette(), palette);
}

TEST(Bitmap, MonochromeBitmapsAreOneBitDeviceImages) {
    // Colour into monochrome: white stays white (the background colour), all else is black.
    auto bitmap = Bitmap32({{0x000000, 0xFFFFFF, 0x202020, 0xE0E0E0}});
    bitmap->SetMonochrome(true);
    EXPECT_TRUE(bitmap->Monochrome());
    EXPECT_EQ(bitmap->PixelLayout(), plDevice);
    EXPECT_EQ(bitmap->ImageRecord().DIB().dsBm.bmBitsPixel, 1);
    EXPECT_EQ(Pixels(*bitmap), (Rows{{0, kWhite, 0, 0}}));
    bitmap->SetMonochrome(false);
    EXPECT_FALSE(bitmap->Monochrome());
    EXPECT_EQ(bitmap->ImageRecord().DIB().dsBm.bmBitsPixel, 32);
}

TEST(Bitmap, TheTransparentColourIsTheBottomLeftPixelUnlessOneIsSet) {
    auto bitmap = Bitmap32({{0x112233, 0}, {0x0000FF, 0}});  // bottom-left: blue
    EXPECT_EQ(bitmap->TransparentColor(), 0x02FF0000);
    bitmap->SetTransparentColor(clBtnFace);
    EXPECT_EQ(bitmap->TransparentMode(), tmFixed);
    EXPECT_EQ(bitmap->TransparentColor(), ColourToRGB(clBtnFace) | 0x02000000);
    bitmap->SetTransparentColor(clDefault);
    EXPECT_EQ(bitmap->TransparentMode(), tmAuto);
    bitmap->SetMonochrome(true);
    EXPECT_EQ(bitmap->TransparentColor(), 0x02FFFFFF);
}

TEST(Bitmap, TheMaskIsWhiteWhereThePixelIsTheTransparentColour) {
    auto bitmap = Bitmap32({{0x00FF00, 0xFF0000}, {0xFF0000, 0x00FF00}});
    bitmap->SetTransparentColor(clRed);
    raster::Image* mask = bitmap->MaskBitmapHandle();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->BitsPerPixel(), 1);
    EXPECT_EQ(raster::GetPixel(*mask, 0, 0), 0u);
    EXPECT_EQ(raster::GetPixel(*mask, 1, 0), kWhite);
    EXPECT_EQ(raster::GetPixel(*mask, 0, 1), kWhite);
    EXPECT_EQ(bitmap->MaskBitmapHandle(), mask);  // still valid

    bitmap->SetTransparentColor(clNone);
    mask = bitmap->MaskBitmapHandle();
    EXPECT_EQ(raster::GetPixel(*mask, 1, 0), 0u);  // nothing transparent
}

TEST(Bitmap, DrawingScalesTheWholeBitmapOrLeavesOutItsTransparentColour) {
    auto bitmap = Bitmap32({{0xFF0000, 0x0000FF}});
    test::SurfaceTarget target(4, 2);
    bitmap->Draw(target.Canvas(), {0, 0, 4, 2});
    EXPECT_EQ(target.Pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(target.Pixel(2, 0), 0x0000FFu);

    test::SurfaceTarget second(4, 1);
    bitmap->SetTransparentColor(clRed);
    bitmap->SetTransparent(true);
    bitmap->Draw(second.Canvas(), {0, 0, 2, 1});
    EXPECT_EQ(second.Pixel(0, 0), kWhite);
    EXPECT_EQ(second.Pixel(1, 0), 0x0000FFu);
}

TEST(Bitmap, TheDeviceImageIsMadeOnceAndSharedUntilTheRowsChange) {
    auto a = Bitmap32({{0x123456}});
    TBitmap b;
    b.CopyFromObject(a.get());  // from now on nobody writes through the old row addresses
    // Scaled, so that drawing goes through the picture's surface (a one-to-one copy reads
    // the rows straight into the target and keeps no surface).
    test::SurfaceTarget target(2, 2);
    a->Draw(target.Canvas(), {0, 0, 2, 2});
    EXPECT_EQ(target.Pixel(0, 0), 0x123456u);

    // Both draw from the one device image made then: a change of the buffer made behind
    // the bitmaps' back shows in neither.
    *reinterpret_cast<std::uint32_t*>(Buffer(*a)) = 0x654321;
    b.Draw(target.Canvas(), {0, 0, 2, 2});
    EXPECT_EQ(target.Pixel(0, 0), 0x123456u);
    a->Draw(target.Canvas(), {0, 0, 2, 2});
    EXPECT_EQ(target.Pixel(0, 0), 0x123456u);

    // Rows written through RowPointer show at the next drawing, even without asking
    // for the row again.
    auto c = Bitmap32({{0x111111}});
    auto* row = reinterpret_cast<std::uint32_t*>(c->RowPointer(0));
    c->Draw(target.Canvas(), {0, 0, 1, 1});
    EXPECT_EQ(target.Pixel(0, 0), 0x111111u);
    row[0] = 0x222222;
    c->Draw(target.Canvas(), {0, 0, 1, 1});
    EXPECT_EQ(target.Pixel(0, 0), 0x222222u);
}

TEST(Bitmap, TheCanvasDrawsIntoAPrivateCopyAndAnnouncesTheChange) {
    auto a = Bitmap32({{kWhite, kWhite}});
    TBitmap b;
    b.CopyFromObject(a.get());
    ChangeCounter changes;
    b.SetOnChange(changes.Event());
    b.Canvas().Brush().SetColor(clBlue);
    b.Canvas().FillRect({0, 0, 1, 1});
    EXPECT_GE(changes.count, 1);
    EXPECT_EQ(a->ImageRecord().ShareCount(), 1);
    EXPECT_EQ(Pixels(*a), (Rows{{kWhite, kWhite}}));
    EXPECT_EQ(Pixels(b), (Rows{{0x0000FF, kWhite}}));
    // The drawing is in the rows.
    EXPECT_EQ(reinterpret_cast<std::uint32_t*>(b.RowPointer(0))[0] & 0xFFFFFF, 0x0000FFu);
}

TEST(Bitmap, TheReleasePassFreesTheContextsOfCanvasesNobodyHolds) {
    auto a = Bitmap32({{0}});
    auto b = Bitmap32({{0}});
    a->Canvas().FillRect({0, 0, 1, 1});
    b->Canvas().FillRect({0, 0, 1, 1});
    EXPECT_TRUE(a->Canvas().HandleAllocated());
    const std::size_t listed = TBitmapCanvas::ListedCount();
    EXPECT_GE(listed, 2u);
    b->Canvas().Lock();
    RunCanvasReleaseHooks();
    EXPECT_FALSE(a->Canvas().HandleAllocated());
    EXPECT_TRUE(b->Canvas().HandleAllocated());
    EXPECT_EQ(TBitmapCanvas::ListedCount(), listed - 1);
    b->Canvas().Unlock();
    RunCanvasReleaseHooks();
    EXPECT_FALSE(b->Canvas().HandleAllocated());
}

TEST(Bitmap, AnEmptyBitmapsCanvasDrawsNowhere) {
    TBitmap bitmap;
    bitmap.Canvas().FillRect({0, 0, 10, 10});
    EXPECT_TRUE(bitmap.Empty());
}

TEST(Bitmap, ReleasedResourcesComeBackOnTheNextUse) {
    auto bitmap = Bitmap32({{0x010203, 0x040506}, {0x070809, 0x0A0B0C}});
    bitmap->SetPixelLayout(pl24Bit);
    bitmap->ReleaseResources();
    EXPECT_EQ(bitmap->ImageRecord().DeviceHandle(), nullptr);
    EXPECT_NE(bitmap->ImageRecord().SavedStream(), nullptr);
    EXPECT_FALSE(bitmap->Empty());
    EXPECT_EQ(bitmap->Width(), 2);
    // Writing a row brings the pixels back before the file goes.
    bitmap->RowPointer(0)[0] = 0xFF;
    EXPECT_EQ(bitmap->ImageRecord().SavedStream(), nullptr);
    EXPECT_EQ(bitmap->PixelLayout(), pl24Bit);
    EXPECT_EQ(Pixels(*bitmap), (Rows{{0x0102FF, 0x040506}, {0x070809, 0x0A0B0C}}));

    TBitmap empty;
    empty.ReleaseResources();
    EXPECT_TRUE(empty.Empty());
}

TEST(Bitmap, IsSameAsComparesTheStoredPictures) {
    auto a = Bitmap32({{1, 2}});
    auto b = Bitmap32({{1, 2}});
    auto c = Bitmap32({{1, 3}});
    TBitmap empty1, empty2;
    EXPECT_TRUE(a->IsSameAs(*b));
    EXPECT_FALSE(a->IsSameAs(*c));
    EXPECT_TRUE(empty1.IsSameAs(empty2));
    EXPECT_FALSE(a->IsSameAs(empty1));
}

TEST(Bitmap, TheClipboardTakesAndGivesDeviceImagesOnly) {
    auto bitmap = Bitmap32({{0x102030, 0x405060}});
    TClipboardData data = bitmap->SaveClipboardData();
    EXPECT_EQ(data.format, CF_BITMAP);
    ASSERT_TRUE(data.data);
    EXPECT_EQ(data.data->AsDib(), nullptr);
    EXPECT_EQ(raster::GetPixel(*data.data, 1, 0), 0x405060u);

    TBitmap other;
    other.LoadClipboardData(CF_BITMAP, data.data.get(), data.palette);
    EXPECT_EQ(Pixels(other), (Rows{{0x102030, 0x405060}}));
    for (std::uint16_t format : {std::uint16_t(3), std::uint16_t(14)}) {
        try {
            other.LoadClipboardData(format, data.data.get(), nullptr);
            FAIL();
        } catch (const EInvalidGraphic& error) {
            EXPECT_STREQ(error.what(), "Format de Presse-papiers non supporté");
        }
    }
    EXPECT_THROW(other.LoadClipboardData(CF_BITMAP, nullptr, nullptr), EInvalidGraphic);
}

TEST(Bitmap, SettingAPaletteGivesAPalettedDibItsColours) {
    auto bitmap = Bitmap32({{0xFF0000, 0x0000FF}});
    bitmap->SetPixelLayout(pl8Bit);
    const raster::PaletteEntry entries[2] = {{0xFF, 0, 0, 0}, {0, 0, 0xFF, 0}};
    const raster::PaletteHandle palette = raster::CreatePalette(entries);
    bitmap->SetPaletteModified(false);
    bitmap->SetPalette(palette);
    EXPECT_EQ(bitmap->Palette(), palette);
    EXPECT_TRUE(bitmap->PaletteModified());
    const auto table = bitmap->ImageRecord().DIBHandle()->ColourTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(raster::RgbOf(table[0]), 0xFF0000u);
    EXPECT_EQ(bitmap->RowPointer(0)[0], 0);
    EXPECT_EQ(bitmap->RowPointer(0)[1], 1);
}

TEST(Bitmap, OnAnEightBitScreenTrueColourBitmapsGetTheHalftonePalette) {
    platform::ScreenMetrics screen;
    screen.bitsPerPixel = 8;
    platform::headless::HeadlessSession session(screen);
    auto bitmap = Bitmap32({{0x123456}});
    ASSERT_NE(bitmap->Palette(), nullptr);
    EXPECT_EQ(bitmap->Palette()->Size(), 256u);
    EXPECT_TRUE(bitmap->ImageRecord().Halftone());

    // A device image takes the screen's layout.
    bitmap->SetPixelLayout(plDevice);
    EXPECT_EQ(bitmap->ImageRecord().DeviceHandle()->BitsPerPixel(), 8);
}

}  // namespace
}  // namespace orvalis
