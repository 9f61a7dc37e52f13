// TJPEGImage: loading reads the header only, decoding fills a bitmap in the layout the
// output asks for, the compressed record is shared, the size is fixed, saving encodes a
// bitmap, and the start-up registers the class for pictures.

#include <gtest/gtest.h>
#include <jerror.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "JPEGImageFiles.h"
#include "codecs/JPEGImage.h"
#include "graphics/FileFormats.h"
#include "graphics/Picture.h"
#include "platform/headless/HeadlessSession.h"
#include "runtime/Exceptions.h"
#include "tests/support/Messages.h"
#include "tests/support/StoredData.h"

namespace orvalis {
namespace {

using test::Bytes;
using test::ColourPicture;
using test::JpegOptions;
using test::MessageOf;
using test::PixelOf;
using test::Raised;
using test::ReadStoredData;
using test::ReferenceDecode;
using test::Rgb;
using test::SampleOf;
using test::Samples;
using test::StoredData;
using test::WriteJpeg;

Samples GreyPicture(int width, int height) {
    Samples picture{width, height, 1, Bytes(std::size_t(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            *picture.Pixel(x, y) = static_cast<std::uint8_t>((x * 255 / (width - 1) + y * 3) % 256);
    return picture;
}

Bytes BytesOf(TMemoryStream& stream) { return Bytes(stream.Memory(), stream.Memory() + stream.Size()); }

class JPEGImageTest : public ::testing::Test {
protected:
    platform::headless::HeadlessSession session_;
    test::JpegImageStartUp startUp_;
};

// --- Decoding ------------------------------------------------------------------------

struct ColourCase {
    const char* name;
    J_COLOR_SPACE stored;
};

class ColourDecode : public JPEGImageTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(ColourDecode, GivesA24BitBitmapOfBlueGreenRedBytes) {
    const Bytes file = WriteJpeg(ColourPicture(37, 23), {.stored = GetParam().stored});
    const Samples expected = ReferenceDecode(file);
    TJPEGImage image;
    test::LoadBytes(image, file);

    TBitmap& bitmap = image.DecodeToBitmap();
    ASSERT_EQ(bitmap.PixelLayout(), pl24Bit);
    ASSERT_EQ(bitmap.Width(), 37);
    ASSERT_EQ(bitmap.Height(), 23);
    // Described as a 24-bit bitmap given that size describes itself.
    TBitmap sized;
    sized.SetPixelLayout(pl24Bit);
    sized.SetWidth(37);
    sized.SetHeight(23);
    const raster::DibSection& got = bitmap.ImageRecord().DIB();
    const raster::DibSection& want = sized.ImageRecord().DIB();
    EXPECT_EQ(std::memcmp(&got.dsBmih, &want.dsBmih, sizeof got.dsBmih), 0);
    EXPECT_EQ(got.dsBm.bmWidthBytes, want.dsBm.bmWidthBytes);
    EXPECT_EQ(got.dsBm.bmHeight, want.dsBm.bmHeight);
    EXPECT_EQ(got.dsBm.bmBitsPixel, want.dsBm.bmBitsPixel);
    EXPECT_EQ(bitmap.Palette(), nullptr);
    for (int y = 0; y < 23; ++y) {
        const std::uint8_t* row = bitmap.RowPointer(y);
        for (int x = 0; x < 37; ++x) {
            const std::uint8_t* wantPixel = expected.Pixel(x, y);
            ASSERT_EQ(row[3 * x], wantPixel[2]) << x << "," << y;      // blue
            ASSERT_EQ(row[3 * x + 1], wantPixel[1]) << x << "," << y;  // green
            ASSERT_EQ(row[3 * x + 2], wantPixel[0]) << x << "," << y;  // red
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codings, ColourDecode,
                         ::testing::Values(ColourCase{"YCbCr", JCS_YCbCr}, ColourCase{"RGB", JCS_RGB}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(JPEGImageTest, AGreyFileGivesAn8BitBitmapOfAtMost236GreysEvenFor24BitOutput) {
    const Bytes file = WriteJpeg(GreyPicture(50, 40));
    const Samples expected = ReferenceDecode(file, JCS_GRAYSCALE);
    TJPEGImage image;
    ASSERT_EQ(image.OutputDepth(), od24Bit);
    test::LoadBytes(image, file);
    EXPECT_TRUE(image.Compressed().Gray());

    TBitmap& bitmap = image.DecodeToBitmap();
    ASSERT_EQ(bitmap.PixelLayout(), pl8Bit);
    ASSERT_TRUE(bitmap.Palette());
    EXPECT_LE(bitmap.Palette()->Size(), 236u);
    EXPECT_GT(bitmap.Palette()->Size(), 200u);
    for (const raster::PaletteEntry& entry : bitmap.Palette()->Entries()) {
        EXPECT_EQ(entry.peRed, entry.peGreen);
        EXPECT_EQ(entry.peGreen, entry.peBlue);
    }
    // 236 levels with error diffusion: each pixel within a step or two of its grey.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_LE(std::abs(PixelOf(bitmap, x, y).red - SampleOf(expected, x, y).red), 3) << x << "," << y;
}

TEST_F(JPEGImageTest, AnEmptyImageDecodesToAnEmptyBitmap) {
    TJPEGImage image;
    EXPECT_TRUE(image.Empty());
    EXPECT_TRUE(image.DecodeToBitmap().Empty());
    EXPECT_TRUE(image.Empty());
}

// --- Loading ---------------------------------------------------------------------------

TEST_F(JPEGImageTest, ZeroBytesLoadAsAnEmptyStreamThatFailsToDecodeAsEmptyInput) {
    TJPEGImage image;
    test::LoadBytes(image, {});
    ASSERT_NE(image.Compressed().Stream(), nullptr);
    EXPECT_EQ(image.Compressed().Stream()->Size(), 0);
    EXPECT_FALSE(image.Empty());
    EXPECT_EQ(image.Width(), 0);

    const std::optional<EJPEG> error = Raised<EJPEG>([&] { image.DecodeToBitmap(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->ErrorCode(), JERR_INPUT_EMPTY);
    EXPECT_EQ(std::string(error->what()), "Erreur JPEG #" + std::to_string(JERR_INPUT_EMPTY));
}

TEST_F(JPEGImageTest, BytesThatAreNoJpegFailInTheLoadAndLeaveTheImageAsItWas) {
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(30, 20)));
    const TJPEGData* before = &image.Compressed();

    const std::optional<EJPEG> error = Raised<EJPEG>([&] { test::LoadBytes(image, {'B', 'M', 1, 2, 3, 4, 5, 6}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->ErrorCode(), JERR_NO_SOI);
    EXPECT_EQ(&image.Compressed(), before);
    EXPECT_EQ(image.Width(), 30);
    EXPECT_EQ(image.DecodeToBitmap().Height(), 20);
}

TEST_F(JPEGImageTest, AStoredCountBeyondTheBytesThereFailsBeforeAllocating) {
    TJPEGImage image;
    TMemoryStream stored;
    const std::uint8_t count[4] = {0xFF, 0xFF, 0xFF, 0x7F};  // two gigabytes announced
    stored.WriteBuffer(count, 4);
    stored.WriteBuffer("\xFF\xD8\xFF", 3);
    stored.SetPosition(0);
    EXPECT_EQ(MessageOf<EReadError>([&] { image.ReadStoredData(stored); }), "Erreur de lecture du flux");
    EXPECT_TRUE(image.Empty());
}

TEST_F(JPEGImageTest, WidthAndHeightOfALoadedImageComeFromTheHeaderWithoutDecoding) {
    TJPEGImage image;
    int reports = 0;
    struct Counter {
        int* reports;
        void Report(TObject*, TProgressStage, std::uint8_t, bool, const TRect&, const String&) { ++*reports; }
    } counter{&reports};
    image.SetOnProgress(TProgressEvent(&counter, &Counter::Report));
    test::LoadBytes(image, WriteJpeg(ColourPicture(301, 77), {.progressive = true}));

    EXPECT_EQ(image.Width(), 301);
    EXPECT_EQ(image.Height(), 77);
    EXPECT_TRUE(image.ProgressiveSave());
    EXPECT_EQ(image.DecodedBitmap(), nullptr);
    EXPECT_EQ(reports, 0);
}

TEST_F(JPEGImageTest, AReducedOutputScaleGivesTheScaledSizeWithoutDecoding) {
    DefaultJPEGSettings.OutputScale = osQuarter;
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(301, 77)));
    EXPECT_EQ(image.Width(), 76);  // rounded up, as the library scales
    EXPECT_EQ(image.Height(), 20);
    EXPECT_EQ(image.DecodedBitmap(), nullptr);

    // A new load computes the size again.
    test::LoadBytes(image, WriteJpeg(ColourPicture(64, 32)));
    EXPECT_EQ(image.Width(), 16);
    EXPECT_EQ(image.DecodeToBitmap().Width(), 16);
    EXPECT_EQ(image.DecodeToBitmap().Height(), 8);
}

TEST_F(JPEGImageTest, TheSizeCannotBeSet) {
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(30, 20)));
    for (auto set : {&TJPEGImage::SetWidth, &TJPEGImage::SetHeight}) {
        for (int value : {0, 30, 100}) {
            EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { (image.*set)(value); }),
                      "Impossible de modifier la taille d'une image JPEG");
        }
    }
    EXPECT_EQ(image.Width(), 30);
}

TEST_F(JPEGImageTest, AnImageAnnouncingAHugeSizeIsRefusedBeforeTheBitmapIsAllocated) {
    TJPEGImage image;
    test::LoadBytes(image, test::WithFrameSize(WriteJpeg(ColourPicture(32, 32)), 65000, 65000));
    EXPECT_EQ(image.Width(), 65000);

    TBitmap bitmap;
    const std::optional<EJPEG> error = Raised<EJPEG>([&] { bitmap.CopyFromObject(&image); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->ErrorCode(), JERR_IMAGE_TOO_BIG);
    ASSERT_NE(image.DecodedBitmap(), nullptr);
    EXPECT_TRUE(image.DecodedBitmap()->Empty());
    EXPECT_EQ(image.DecodedBitmap()->ImageRecord().DIBHandle(), nullptr);
    EXPECT_TRUE(bitmap.Empty());
}

TEST_F(JPEGImageTest, ATruncatedFileDecodesWithItsMissingRowsFilledByTheLibrary) {
    Bytes file = WriteJpeg(ColourPicture(64, 96));
    file.resize(file.size() / 2);
    // The library's own memory source ends a truncated file the same way.
    const Samples expected = ReferenceDecode(file);
    TJPEGImage image;
    test::LoadBytes(image, file);

    TBitmap& bitmap = image.DecodeToBitmap();
    ASSERT_EQ(bitmap.Height(), 96);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(PixelOf(bitmap, x, y), SampleOf(expected, x, y)) << x << "," << y;
}

// --- Sharing ---------------------------------------------------------------------------

TEST_F(JPEGImageTest, CopiesShareTheCompressedRecordUntilOneLoadsNewBytes) {
    const Bytes first = WriteJpeg(ColourPicture(30, 20));
    TJPEGImage a;
    test::LoadBytes(a, first);
    TJPEGImage b;
    b.CopyFromObject(&a);
    EXPECT_EQ(&a.Compressed(), &b.Compressed());
    EXPECT_EQ(a.Compressed().ShareCount(), 2);
    EXPECT_TRUE(a.IsSameAs(b));

    test::LoadBytes(b, WriteJpeg(ColourPicture(40, 10)));
    EXPECT_NE(&a.Compressed(), &b.Compressed());
    EXPECT_EQ(a.Compressed().ShareCount(), 1);
    EXPECT_EQ(BytesOf(*a.Compressed().Stream()), first);
    EXPECT_EQ(a.Width(), 30);
    EXPECT_EQ(b.Width(), 40);
    EXPECT_FALSE(a.IsSameAs(b));
}

TEST_F(JPEGImageTest, ACopyOfADecodedImageSharesItsPixelsAndACopyOfAnUndecodedOneDropsItsOwn) {
    TJPEGImage decoded;
    test::LoadBytes(decoded, WriteJpeg(ColourPicture(30, 20)));
    decoded.DecodeToBitmap();
    TJPEGImage copy;
    copy.CopyFromObject(&decoded);
    ASSERT_NE(copy.DecodedBitmap(), nullptr);
    EXPECT_EQ(&copy.DecodedBitmap()->ImageRecord(), &decoded.DecodedBitmap()->ImageRecord());

    // The bitmap of the old picture does not stay with the new bytes.
    TJPEGImage loaded;
    test::LoadBytes(loaded, WriteJpeg(ColourPicture(40, 10)));
    copy.CopyFromObject(&loaded);
    EXPECT_EQ(copy.DecodedBitmap(), nullptr);
    EXPECT_EQ(copy.Width(), 40);
    EXPECT_EQ(copy.DecodeToBitmap().Width(), 40);
}

TEST_F(JPEGImageTest, ABitmapCopiedFromAnImageSharesTheDecodedRecord) {
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(30, 20)));
    TBitmap bitmap;
    bitmap.CopyFromObject(&image);

    ASSERT_NE(image.DecodedBitmap(), nullptr);
    const TBitmapImage& record = image.DecodedBitmap()->ImageRecord();
    EXPECT_EQ(&bitmap.ImageRecord(), &record);
    EXPECT_EQ(record.ShareCount(), 2);
    EXPECT_EQ(bitmap.Width(), 30);
    EXPECT_EQ(bitmap.PixelLayout(), pl24Bit);
}

TEST_F(JPEGImageTest, DrawingDecodesAndPaintsThePicture) {
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(30, 20)));
    TBitmap target;
    target.SetPixelLayout(pl32Bit);
    target.SetWidth(30);
    target.SetHeight(20);
    image.Draw(target.Canvas(), TRect{0, 0, 30, 20});

    ASSERT_NE(image.DecodedBitmap(), nullptr);
    TBitmap& decoded = *image.DecodedBitmap();
    for (int y = 0; y < 20; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(target.RowPointer(y));
        for (int x = 0; x < 30; ++x) {
            const Rgb want = PixelOf(decoded, x, y);
            ASSERT_EQ(row[x] & 0xFFFFFF, std::uint32_t(want.red << 16 | want.green << 8 | want.blue)) << x << "," << y;
        }
    }
}

TEST_F(JPEGImageTest, ClipboardDataIsTheDecodedPictureAndLoadingItLeavesNoOldBytes) {
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(30, 20)));
    TClipboardData data = image.SaveClipboardData();
    EXPECT_EQ(data.format, CF_BITMAP);
    ASSERT_TRUE(data.data);
    EXPECT_EQ(data.data->Width(), 30);

    TJPEGImage other;
    test::LoadBytes(other, WriteJpeg(ColourPicture(8, 8)));
    other.LoadClipboardData(data.format, data.data.get(), data.palette);
    EXPECT_EQ(other.Compressed().Stream(), nullptr);
    EXPECT_EQ(other.Width(), 30);
    EXPECT_EQ(other.Height(), 20);
    TMemoryStream saved;
    other.SaveStream(saved);  // the clipboard's picture, encoded
    TJPEGImage reloaded;
    saved.SetPosition(0);
    reloaded.LoadStream(saved);
    EXPECT_EQ(reloaded.Width(), 30);

    EXPECT_THROW(other.LoadClipboardData(3, data.data.get(), data.palette), EInvalidGraphic);
    EXPECT_EQ(other.Width(), 30);  // a refused format changes nothing
}

TEST_F(JPEGImageTest, OnlyABitmapTakesAnImage) {
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(8, 8)));
    TPicture picture;
    EXPECT_EQ(MessageOf<EConvertError>([&] { image.CopyInto(picture); }),
              "Impossible d'affecter TJPEGImage à TPicture");
    EXPECT_THROW(image.CopyFromObject(nullptr), EConvertError);
}

// --- Saving ----------------------------------------------------------------------------

TEST_F(JPEGImageTest, AnImageMadeFromABitmapSavesAJpegThatLoadsBack) {
    TBitmap source;
    source.SetPixelLayout(pl32Bit);
    source.SetWidth(40);
    source.SetHeight(30);
    for (int y = 0; y < 30; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(source.RowPointer(y));
        for (int x = 0; x < 40; ++x) row[x] = std::uint32_t(x * 6) << 16 | std::uint32_t(y * 8) << 8 | 0x60;
    }
    TJPEGImage image;
    image.CopyFromObject(&source);
    EXPECT_FALSE(image.Empty());
    EXPECT_EQ(image.Compressed().Stream(), nullptr);
    EXPECT_EQ(image.Width(), 40);

    TMemoryStream saved;
    image.SaveStream(saved);
    const Bytes file = BytesOf(saved);
    ASSERT_GT(file.size(), 4u);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xD8);
    EXPECT_EQ(file[file.size() - 2], 0xFF);
    EXPECT_EQ(file[file.size() - 1], 0xD9);

    TJPEGImage reloaded;
    test::LoadBytes(reloaded, file);
    EXPECT_EQ(reloaded.Width(), 40);
    EXPECT_EQ(reloaded.Height(), 30);
    TBitmap& bitmap = reloaded.DecodeToBitmap();
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const Rgb got = PixelOf(bitmap, x, y);
            EXPECT_NEAR(got.red, x * 6, 12) << x << "," << y;
            EXPECT_NEAR(got.green, y * 8, 12) << x << "," << y;
            EXPECT_NEAR(got.blue, 0x60, 12) << x << "," << y;
        }
    }
}

TEST_F(JPEGImageTest, SavingALoadedImageWritesItsBytesUnchanged) {
    const Bytes file = WriteJpeg(ColourPicture(30, 20), {.quality = 50});
    TJPEGImage image;
    test::LoadBytes(image, file);
    image.DecodeToBitmap();
    TMemoryStream saved;
    image.SaveStream(saved);
    EXPECT_EQ(BytesOf(saved), file);
}

TEST_F(JPEGImageTest, SavingAnEmptyImageWritesNothingAndLeavesItEmpty) {
    TJPEGImage image;
    TMemoryStream saved;
    image.SaveStream(saved);
    EXPECT_EQ(saved.Size(), 0);
    EXPECT_TRUE(image.Empty());
}

// --- Palette -----------------------------------------------------------------------------

TEST_F(JPEGImageTest, AGivenPaletteDropsADecodedBitmapOfAnotherPaletteButNotTheOnlyCopy) {
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(30, 20)));
    image.DecodeToBitmap();
    image.SetPaletteModified(false);
    int changes = 0;
    struct Counter {
        int* changes;
        void Changed(TObject*) { ++*changes; }
    } counter{&changes};
    image.SetOnChange(TNotifyEvent(&counter, &Counter::Changed));

    const raster::PaletteHandle palette = raster::CreateHalftonePalette();
    image.SetPalette(palette);
    EXPECT_EQ(image.DecodedBitmap(), nullptr);
    EXPECT_EQ(image.Palette(), palette);
    EXPECT_TRUE(image.PaletteModified());
    EXPECT_EQ(changes, 1);

    TBitmap source;
    source.SetPixelLayout(pl24Bit);
    source.SetWidth(4);
    source.SetHeight(4);
    TJPEGImage bitmapOnly;
    bitmapOnly.CopyFromObject(&source);
    bitmapOnly.SetPalette(raster::CreateHalftonePalette());
    ASSERT_NE(bitmapOnly.DecodedBitmap(), nullptr);
    EXPECT_EQ(bitmapOnly.Width(), 4);
}

// --- Stored data and the registry --------------------------------------------------------

TEST_F(JPEGImageTest, StartUpRegistersJpegAndJpgOnceAndTheLastShutDownRemovesThem) {
    auto jpegEntries = [] {
        std::vector<std::string> found;
        TFileFormatsList& formats = FileFormats();
        for (std::size_t i = 0; i < formats.Count(); ++i) {
            const TFileFormat& entry = formats.Entry(i);
            if (entry.graphicClass != &TJPEGImage::StaticClassInfo()) continue;
            EXPECT_EQ(std::string(entry.description.CStr()), "Fichier image JPEG");
            found.push_back(entry.extension.CStr());
        }
        return found;
    };
    const std::vector<std::string> both = {"jpeg", "jpg"};
    EXPECT_EQ(jpegEntries(), both);
    EXPECT_EQ(FileFormats().LookUpClassByName("TJPEGImage"), &TJPEGImage::StaticClassInfo());

    StartUpJPEGImage();
    EXPECT_EQ(jpegEntries(), both);
    ShutDownJPEGImage();
    EXPECT_EQ(jpegEntries(), both);
    ShutDownJPEGImage();
    EXPECT_TRUE(jpegEntries().empty());
    EXPECT_EQ(FileFormats().LookUpClassByName("TJPEGImage"), nullptr);
    StartUpJPEGImage();  // for the fixture's own shutdown
    EXPECT_EQ(jpegEntries(), both);
}

TEST_F(JPEGImageTest, APicturesDataHoldingAnImageReadsBack) {
    const Bytes file = WriteJpeg(ColourPicture(30, 20));
    TJPEGImage image;
    test::LoadBytes(image, file);
    TPicture picture;
    picture.SetGraphic(&image);

    EXPECT_TRUE(test::HasDataToWrite(picture));
    const Bytes data = StoredData(picture);
    const std::string name = "TJPEGImage";
    ASSERT_EQ(data.size(), 1 + name.size() + 4 + file.size());
    EXPECT_EQ(data[0], name.size());
    EXPECT_EQ(std::string(data.begin() + 1, data.begin() + 1 + std::ptrdiff_t(name.size())), name);
    const std::size_t count = data[11] | data[12] << 8 | data[13] << 16 | std::size_t(data[14]) << 24;
    EXPECT_EQ(count, file.size());

    TPicture read;
    ReadStoredData(read, data);
    auto* jpeg = dynamic_cast<TJPEGImage*>(read.Graphic());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->Width(), 30);
    EXPECT_EQ(jpeg->Height(), 20);
    EXPECT_TRUE(jpeg->IsSameAs(image));
}

TEST_F(JPEGImageTest, TheStoredDataOfAnImageMadeFromABitmapHoldsThePicture) {
    TBitmap source;
    source.SetPixelLayout(pl24Bit);
    source.SetWidth(16);
    source.SetHeight(8);
    TJPEGImage image;
    image.CopyFromObject(&source);

    EXPECT_TRUE(test::HasDataToWrite(image));
    const Bytes data = StoredData(image);
    ASSERT_GT(data.size(), 4u);
    TJPEGImage read;
    ReadStoredData(read, data);
    EXPECT_EQ(read.Width(), 16);
    EXPECT_EQ(read.Height(), 8);
}

// --- A screen of 8 bits per pixel ----------------------------------------------------------

class JPEGImageOn8BitScreen : public ::testing::Test {
protected:
    platform::headless::HeadlessSession session_{platform::ScreenMetrics{.bitsPerPixel = 8}};
    test::JpegImageStartUp startUp_;
};

TEST_F(JPEGImageOn8BitScreen, AColourImageDecodesToAtMost236Colours) {
    const Bytes file = WriteJpeg(ColourPicture(64, 48));
    const Samples expected = ReferenceDecode(file);
    TJPEGImage image;
    EXPECT_EQ(image.OutputDepth(), od8Bit);
    test::LoadBytes(image, file);

    TBitmap& bitmap = image.DecodeToBitmap();
    ASSERT_EQ(bitmap.PixelLayout(), pl8Bit);
    ASSERT_TRUE(bitmap.Palette());
    EXPECT_LE(bitmap.Palette()->Size(), 236u);
    // Colours chosen for the picture, with error diffusion: close on average.
    long error = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const Rgb got = PixelOf(bitmap, x, y), want = SampleOf(expected, x, y);
            error += std::abs(got.red - want.red) + std::abs(got.green - want.green) + std::abs(got.blue - want.blue);
        }
    }
    EXPECT_LT(double(error) / (64 * 48 * 3), 6.0);
}

TEST_F(JPEGImageOn8BitScreen, AGivenPaletteIsTheOneThe8BitRowsUse) {
    const std::vector<raster::PaletteEntry> entries = {{0, 0, 0, 0}, {255, 255, 255, 0}, {255, 0, 0, 0}};
    const raster::PaletteHandle palette = raster::CreatePalette(entries);
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(16, 16)));
    image.SetPalette(palette);

    TBitmap& bitmap = image.DecodeToBitmap();
    ASSERT_EQ(bitmap.PixelLayout(), pl8Bit);
    ASSERT_TRUE(bitmap.Palette());
    EXPECT_NE(bitmap.Palette(), palette);  // a copy
    EXPECT_TRUE(std::equal(bitmap.Palette()->Entries().begin(), bitmap.Palette()->Entries().end(), entries.begin(),
                           entries.end()));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_LT(bitmap.RowPointer(y)[x], 3);
}

TEST_F(JPEGImageOn8BitScreen, AProgressiveRedrawMapsEveryPassOntoAGivenPalette) {
    DefaultJPEGSettings.ProgressiveRedraw = true;
    const std::vector<raster::PaletteEntry> entries = {{0, 0, 0, 0}, {255, 255, 255, 0}, {255, 0, 0, 0}};
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(32, 24), {.progressive = true}));
    image.SetPalette(raster::CreatePalette(entries));

    TBitmap& bitmap = image.DecodeToBitmap();
    ASSERT_EQ(bitmap.PixelLayout(), pl8Bit);
    EXPECT_TRUE(std::equal(bitmap.Palette()->Entries().begin(), bitmap.Palette()->Entries().end(), entries.begin(),
                           entries.end()));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_LT(bitmap.RowPointer(y)[x], 3);
}

TEST_F(JPEGImageOn8BitScreen, AGreyImageKeepsItsGreysWhenGivenAColourPalette) {
    // The library maps greys onto a ramp of its own: the bitmap takes that ramp.
    const Bytes file = WriteJpeg(GreyPicture(40, 30));
    const Samples expected = ReferenceDecode(file, JCS_GRAYSCALE);
    TJPEGImage image;
    test::LoadBytes(image, file);
    image.SetPalette(raster::CreatePalette(std::vector<raster::PaletteEntry>{{255, 0, 0, 0}, {0, 0, 255, 0}}));

    TBitmap& bitmap = image.DecodeToBitmap();
    ASSERT_EQ(bitmap.PixelLayout(), pl8Bit);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_LE(std::abs(PixelOf(bitmap, x, y).green - SampleOf(expected, x, y).green), 3) << x << "," << y;
}

TEST_F(JPEGImageOn8BitScreen, TwentyFourBitOutputOffersAHalftonePaletteAndDecodesWithoutIt) {
    DefaultJPEGSettings.OutputDepth = od24Bit;
    TJPEGImage image;
    test::LoadBytes(image, WriteJpeg(ColourPicture(16, 16)));
    const raster::PaletteHandle halftone = image.Palette();
    ASSERT_TRUE(halftone);
    EXPECT_EQ(halftone->Size(), 256u);
    EXPECT_EQ(image.Palette(), halftone);  // kept

    EXPECT_EQ(image.DecodeToBitmap().PixelLayout(), pl24Bit);
}

}  // namespace
}  // namespace orvalis
