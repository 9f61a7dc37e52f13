// BMP files read and written by TBitmap: the headers, colour tables, masks, the kept
// compressed file, row order, the form property "Data", and every kind of bad file,
// which is refused with its message and leaves the bitmap as it was.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "BitmapTestSupport.h"
#include "graphics/Bitmap.h"
#include "runtime/Exceptions.h"
#include "runtime/FileStream.h"
#include "runtime/Stream.h"
#include "tests/support/TemporaryFolder.h"

namespace orvalis {
namespace {

using test::Bitmap32;
using test::Pixels;
using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<std::vector<std::uint32_t>>;

void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

// A Windows BMP file, field by field.
struct BmpFile {
    std::uint16_t signature = 0x4D42;
    std::uint32_t offBits = 0;  // 0: right after the colour table
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> masks;    // written after a 40-byte header
    std::vector<std::uint32_t> colours;  // 0x00RRGGBB, written as blue, green, red, 0
    Bytes gap;                           // between the colour table and the pixels
    Bytes pixels;

    Bytes Build() const {
        Bytes out;
        const std::uint32_t tableBytes = std::uint32_t(masks.size() * 4 + colours.size() * 4);
        const std::uint32_t start = 14 + headerSize + tableBytes + std::uint32_t(gap.size());
        Put16(out, signature);
        Put32(out, start + std::uint32_t(pixels.size()));
        Put32(out, 0);
        Put32(out, offBits ? offBits : start);
        Put32(out, headerSize);
        Put32(out, std::uint32_t(width));
        Put32(out, std::uint32_t(height));
        Put16(out, planes);
        Put16(out, bitCount);
        Put32(out, compression);
        Put32(out, sizeImage);
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, clrUsed);
        Put32(out, 0);
        out.resize(14 + headerSize, 0);  // a longer header: its further fields are zero
        for (std::uint32_t mask : masks) Put32(out, mask);
        for (std::uint32_t colour : colours) Put32(out, colour);
        out.insert(out.end(), gap.begin(), gap.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

std::unique_ptr<TMemoryStream> StreamOf(const Bytes& bytes) {
    auto stream = std::make_unique<TMemoryStream>();
    if (!bytes.empty()) stream->WriteBuffer(bytes.data(), bytes.size());
    stream->SetPosition(0);
    return stream;
}

Bytes BytesOf(TMemoryStream& stream) { return Bytes(stream.Memory(), stream.Memory() + stream.Size()); }

void Load(TBitmap& bitmap, const Bytes& bytes) { bitmap.LoadStream(*StreamOf(bytes)); }

Bytes Save(TBitmap& bitmap) {
    TMemoryStream stream;
    bitmap.SaveStream(stream);
    return BytesOf(stream);
}

struct ChangeCounter {
    int count = 0;
    void Changed(TObject*) { ++count; }
};

TEST(BmpFile, AStreamWithNoBytesLeftLoadsAnEmptyBitmapWithoutChange) {
    auto bitmap = Bitmap32({{1, 2}});
    ChangeCounter changes;
    bitmap->SetOnChange(TNotifyEvent(&changes, &ChangeCounter::Changed));
    auto stream = StreamOf({1, 2, 3});
    stream->SetPosition(3);
    bitmap->LoadStream(*stream);
    EXPECT_TRUE(bitmap->Empty());
    EXPECT_EQ(changes.count, 0);
}

TEST(BmpFile, TwentyFourBitRowsArePaddedToFourBytes) {
    BmpFile file;
    file.width = 3;
    file.height = 2;
    // Bottom row first: blue green red pixels, 3 bytes of padding.
    file.pixels = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0,  // bottom: blue, green, red
                   1,    2, 3, 4, 5,    6, 7, 8, 9,    0, 0, 0};
    file.sizeImage = 24;  // as the writer puts it
    TBitmap bitmap;
    Load(bitmap, file.Build());
    EXPECT_EQ(bitmap.PixelLayout(), pl24Bit);
    EXPECT_EQ(Pixels(bitmap), (Rows{{0x030201, 0x060504, 0x090807}, {0x0000FF, 0x00FF00, 0xFF0000}}));
    // Written back: the same bytes (the resolution and counts are carried).
    EXPECT_EQ(Save(bitmap), file.Build());
}

TEST(BmpFile, PixelsStartRightAfterTheColourTableWhateverTheOffsetSays) {
    BmpFile file;
    file.bitCount = 8;
    file.clrUsed = 2;
    file.colours = {0x000000, 0x11AA22};
    file.gap = {9, 9, 9, 9};
    file.pixels = {1, 1, 1, 1};
    TBitmap bitmap;
    Load(bitmap, file.Build());
    // The gap's first byte is read as the pixel: index 9, beyond the table, black.
    EXPECT_EQ(Pixels(bitmap), (Rows{{0}}));
    file.gap.clear();
    Load(bitmap, file.Build());
    EXPECT_EQ(Pixels(bitmap), (Rows{{0x11AA22}}));
}

TEST(BmpFile, OnlyTheImageSizeIsReadAndShorterPixelDataIsAReadError) {
    BmpFile file;
    file.width = 1;
    file.height = 2;
    file.sizeImage = 4;  // one row of the two
    file.pixels = {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0, 0xEE, 0xEE};
    TBitmap bitmap;
    Load(bitmap, file.Build());
    EXPECT_EQ(Pixels(bitmap), (Rows{{0}, {0x302010}}));

    file.sizeImage = 0;
    file.pixels.resize(6);
    try {
        Load(bitmap, file.Build());
        FAIL();
    } catch (const EReadError& error) {
        EXPECT_STREQ(error.what(), "Erreur de lecture du flux");
    }
}

TEST(BmpFile, BitFieldsComeAfterAFortyByteHeaderOrInsideALongerOne) {
    for (std::uint32_t headerSize : {40u, 108u}) {
        SCOPED_TRACE(headerSize);
        BmpFile file;
        file.headerSize = headerSize;
        file.bitCount = 16;
        file.compression = 3;
        file.width = 2;
        const std::vector<std::uint32_t> masks = {0xF800, 0x07E0, 0x001F};
        Bytes bytes;
        if (headerSize == 40) file.masks = masks;
        file.pixels = {0x00, 0xF8, 0xE0, 0x07};  // red, green
        bytes = file.Build();
        if (headerSize > 40)
            for (int i = 0; i < 3; ++i)
                for (int b = 0; b < 4; ++b) bytes[14 + 40 + 4 * i + b] = std::uint8_t(masks[i] >> (8 * b));
        TBitmap bitmap;
        Load(bitmap, bytes);
        EXPECT_EQ(bitmap.PixelLayout(), pl16Bit);
        EXPECT_EQ(Pixels(bitmap), (Rows{{0xFF0000, 0x00FF00}}));
        // Written back with a 40-byte header and the masks after it.
        const Bytes saved = Save(bitmap);
        EXPECT_EQ(Get32(saved, 14), 40u);
        EXPECT_EQ(Get32(saved, 10), 14u + 40 + 12);
        EXPECT_EQ(Get32(saved, 14 + 40 + 4), 0x07E0u);
    }
}

TEST(BmpFile, AnOs2FileBecomesABottomUpDibAndIsWrittenBackAsOs2) {
    Bytes bytes;
    Put16(bytes, 0x4D42);
    const std::uint32_t stride = 152;  // 300 pixels of 4 bits
    Put32(bytes, 14 + 12 + 48 + stride * 200);
    Put32(bytes, 0);
    Put32(bytes, 14 + 12 + 48);
    Put32(bytes, 12);
    Put16(bytes, 300);
    Put16(bytes, 200);
    Put16(bytes, 1);
    Put16(bytes, 4);
    for (int i = 0; i < 16; ++i) {
        bytes.push_back(std::uint8_t(i * 16));  // blue
        bytes.push_back(0);
        bytes.push_back(std::uint8_t(255 - i * 16));  // red
    }
    for (std::uint32_t y = 0; y < 200; ++y)
        for (std::uint32_t x = 0; x < stride; ++x) bytes.push_back(std::uint8_t((y % 16) << 4 | (y % 16)));

    TBitmap bitmap;
    Load(bitmap, bytes);
    EXPECT_EQ(bitmap.Width(), 300);
    EXPECT_EQ(bitmap.Height(), 200);
    EXPECT_EQ(bitmap.PixelLayout(), pl4Bit);
    EXPECT_EQ(bitmap.ImageRecord().DIB().dsBmih.biHeight, 200);
    EXPECT_TRUE(bitmap.ImageRecord().OS2Format());
    // The bottom row uses colour 0, the top row (199) colour 7.
    const Rows pixels = Pixels(bitmap);
    EXPECT_EQ(pixels[199][0], 0xFF0000u);
    EXPECT_EQ(pixels[0][299], std::uint32_t(255 - 7 * 16) << 16 | 7 * 16);

    const Bytes saved = Save(bitmap);
    EXPECT_EQ(saved, bytes);
    EXPECT_EQ(Get32(saved, 14), 12u);
    EXPECT_EQ(Get32(saved, 10), 14u + 12 + 48);
}

TEST(BmpFile, TopDownFilesStayTopDownUntilResized) {
    BmpFile file;
    file.width = 1;
    file.height = -2;
    file.bitCount = 32;
    file.pixels = {1, 2, 3, 0, 4, 5, 6, 0};  // top row first
    TBitmap bitmap;
    Load(bitmap, file.Build());
    EXPECT_EQ(Pixels(bitmap), (Rows{{0x030201}, {0x060504}}));
    EXPECT_EQ(bitmap.RowPointer(0), bitmap.ImageRecord().DIB().dsBm.bmBits);
    const Bytes saved = Save(bitmap);
    EXPECT_EQ(std::int32_t(Get32(saved, 22)), -2);

    bitmap.SetHeight(3);
    const Bytes resized = Save(bitmap);
    EXPECT_EQ(std::int32_t(Get32(resized, 22)), 3);
    EXPECT_EQ(Pixels(bitmap), (Rows{{0x030201}, {0x060504}, {0xFFFFFF}}));
}

// RLE8, 4 x 2: bottom row 1 1 1 2, top row 3 then an absolute run 3 2 1, end.
BmpFile Rle8File() {
    BmpFile file;
    file.width = 4;
    file.height = 2;
    file.bitCount = 8;
    file.compression = 1;
    file.clrUsed = 4;
    file.colours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    file.pixels = {3, 1, 1, 2, 0, 0, 1, 3, 0, 3, 3, 2, 1, 0, 0, 0, 0, 1};
    file.sizeImage = std::uint32_t(file.pixels.size());
    return file;
}

TEST(BmpFile, ACompressedFileIsKeptAndWrittenBackUnchangedUntilItIsModified) {
    const Bytes bytes = Rle8File().Build();
    TBitmap bitmap;
    Load(bitmap, bytes);
    EXPECT_EQ(bitmap.StorageKind(), skDevice);
    EXPECT_EQ(bitmap.PixelLayout(), plDevice);
    EXPECT_EQ(Save(bitmap), bytes);
    TBitmap copy;
    copy.CopyFromObject(&bitmap);
    EXPECT_EQ(Save(copy), bytes);

    // Its stored data is the same file after its length.
    TMemoryStream data;
    bitmap.WriteStoredData(data);
    EXPECT_EQ(Get32(BytesOf(data), 0), bytes.size());

    bitmap.RowPointer(0);
    const Bytes modified = Save(bitmap);
    EXPECT_NE(modified, bytes);
    EXPECT_EQ(Get32(modified, 14), 40u);
    EXPECT_EQ(modified[28], 32);  // the screen's layout
    EXPECT_EQ(Get32(modified, 30), 0u);
    EXPECT_EQ(Pixels(bitmap),
              (Rows{{0x0000FF, 0x0000FF, 0x00FF00, 0xFF0000}, {0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00}}));
    EXPECT_EQ(Save(copy), bytes);
}

// Files made by tests/data/bmp/make-rle-without-end-marker.py: every row is there, the
// end-of-bitmap marker is not (the RLE8 data stops after the top row's last pixel, the
// RLE4 data after its end of line). Each of their last 4 bytes is the top row.
TEST(BmpFile, RunLengthFilesWithoutTheirEndMarkerAreReadOnceEveryRowIsThere) {
    constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
    struct Case {
        const char* file;
        Rows rows;  // top first
    };
    const Case cases[] = {
        {"rle8-without-end-marker.bmp",
         {{kGreen, kGreen, kBlue, kBlue}, {kGreen, kBlue, kRed, kGreen}, {kRed, kRed, kRed, kRed}}},
        {"rle4-without-end-marker.bmp",
         {{kBlue, kBlue, kBlue, kBlue}, {kBlue, kRed, kGreen, kBlue}, {kRed, kGreen, kRed, kGreen}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string(ORVALIS_TEST_DATA) + "/bmp/" + c.file;
        Bytes bytes;
        {
            TFileStream file(path, fmOpenRead);
            bytes.resize(file.Size());
            file.ReadBuffer(bytes.data(), bytes.size());
        }

        TBitmap bitmap;
        bitmap.LoadFile(String(path));
        EXPECT_EQ(bitmap.PixelLayout(), plDevice);
        EXPECT_EQ(Save(bitmap), bytes) << "kept as it was read";
        EXPECT_EQ(Pixels(bitmap), c.rows);

        // The same data stopping before the top row is cut short: refused.
        const Bytes cut(bytes.begin(), bytes.end() - 4);
        TBitmap refused;
        EXPECT_THROW(Load(refused, cut), EInvalidGraphic);
    }
}

TEST(BmpFile, RowsOfACompressedFileAreRowsOfOneDibThatKeepsWhatIsWrittenThroughThem) {
    // 10 x 8195, RLE4: runs on the bottom rows, the rest colour 0 of the table (green).
    // Reading its rows one by one once rebuilt the whole picture from the device image at
    // every call, and lost what was written through the rows given before.
    TBitmap bitmap;
    bitmap.LoadFile(String(std::string(ORVALIS_TEST_DATA) + "/bmp/rle4-tall.bmp"));
    ASSERT_EQ(bitmap.PixelLayout(), plDevice);
    ASSERT_EQ(bitmap.Height(), 8195);

    auto* top = reinterpret_cast<std::uint32_t*>(bitmap.RowPointer(0));
    EXPECT_EQ(bitmap.PixelLayout(), pl32Bit);  // a DIB of the screen's layout now
    const raster::DibImage* dib = bitmap.ImageRecord().DIBHandle();
    EXPECT_EQ(bitmap.ImageRecord().DeviceHandle(), dib);
    EXPECT_EQ(top[0] & 0xFFFFFF, 0x00FF00u);
    top[0] = 0x123456;
    auto* bottom = reinterpret_cast<std::uint32_t*>(bitmap.RowPointer(8194));
    EXPECT_EQ(bottom[0] & 0xFFFFFF, 0x08EF10u);  // colour 1
    bottom[1] = 0xABCDEF;

    // Every row is a row of that one DIB (bottom-up: the bottom row first in memory).
    EXPECT_EQ(reinterpret_cast<std::uint32_t*>(bitmap.RowPointer(0)), top);
    EXPECT_EQ(bitmap.ImageRecord().DIBHandle(), dib);
    EXPECT_EQ(bitmap.RowPointer(8194), static_cast<std::uint8_t*>(bitmap.ImageRecord().DIB().dsBm.bmBits));
    EXPECT_EQ(top[0], 0x123456u);
    EXPECT_EQ(bottom[1], 0xABCDEFu);

    // What was written is the picture that is drawn and saved.
    const Rows pixels = Pixels(bitmap);
    EXPECT_EQ(pixels[0][0], 0x123456u);
    EXPECT_EQ(pixels[8194][1], 0xABCDEFu);
    TBitmap saved;
    Load(saved, Save(bitmap));
    EXPECT_EQ(Pixels(saved), pixels);
}

TEST(BmpFile, StoredDataIsALengthThenTheFileAndNothingForAnEmptyBitmap) {
    TBitmap empty;
    TMemoryStream data;
    empty.WriteStoredData(data);
    EXPECT_EQ(BytesOf(data), (Bytes{0, 0, 0, 0}));

    auto bitmap = Bitmap32({{0x123456, 0x654321}});
    TMemoryStream stored;
    bitmap->WriteStoredData(stored);
    stored.WriteBuffer("tail", 4);  // what follows in a form
    stored.SetPosition(0);
    TBitmap read;
    read.ReadStoredData(stored);
    EXPECT_EQ(Pixels(read), (Rows{{0x123456, 0x654321}}));
    EXPECT_EQ(stored.Position(), stored.Size() - 4);

    stored.SetPosition(0);
    stored.SetSize(12);  // the file cut short in its file header
    EXPECT_THROW(read.ReadStoredData(stored), EReadError);
    EXPECT_EQ(Pixels(read), (Rows{{0x123456, 0x654321}}));
}

TEST(BmpFile, FilesAreLoadedAndSavedByName) {
    const test::TemporaryFolder folder("bmpfile");
    const std::filesystem::path path = folder / "vue.bmp";
    auto bitmap = Bitmap32({{0xABCDEF}});
    bitmap->SaveFile(path.string());
    TBitmap read;
    read.LoadFile(path.string());
    EXPECT_EQ(Pixels(read), (Rows{{0xABCDEF}}));
    std::filesystem::remove(path);
    EXPECT_THROW(read.LoadFile(path.string()), EFileOpenError);
}

// --- Bad files ----------------------------------------------------------------------------

enum class Refusal { InvalidBitmap, ReadError };

struct BadFile {
    const char* what;
    Bytes bytes;
    Refusal refusal;
};

template <class Change>
BadFile Bad(const char* what, Refusal refusal, Change change) {
    BmpFile file;
    file.width = 2;
    file.height = 2;
    file.pixels.assign(16, 0x55);
    change(file);
    return {what, file.Build(), refusal};
}

Bytes Cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

std::vector<BadFile> BadFiles() {
    using R = Refusal;
    std::vector<BadFile> files = {
        Bad("no BM", R::InvalidBitmap, [](BmpFile& f) { f.signature = 0x5A4D; }),
        Bad("a header size of gigabytes", R::InvalidBitmap, [](BmpFile& f) { f.headerSize = 40; }),
        Bad("a header shorter than 40 bytes", R::InvalidBitmap, [](BmpFile& f) { f.headerSize = 40; }),
        Bad("two planes", R::InvalidBitmap, [](BmpFile& f) { f.planes = 2; }),
        Bad("no bits per pixel", R::InvalidBitmap, [](BmpFile& f) { f.bitCount = 0; }),
        Bad("2 bits per pixel", R::InvalidBitmap, [](BmpFile& f) { f.bitCount = 2; }),
        Bad("64 bits per pixel", R::InvalidBitmap, [](BmpFile& f) { f.bitCount = 64; }),
        Bad("JPEG data", R::InvalidBitmap, [](BmpFile& f) { f.compression = 4; }),
        Bad("PNG data", R::InvalidBitmap, [](BmpFile& f) { f.compression = 5; }),
        Bad("bit fields of 24 bits", R::InvalidBitmap, [](BmpFile& f) { f.compression = 3; }),
        Bad("RLE4 of 8 bits", R::InvalidBitmap,
            [](BmpFile& f) {
                f.bitCount = 8;
                f.compression = 2;
            }),
        Bad("a colour table of 257 entries", R::InvalidBitmap,
            [](BmpFile& f) {
                f.bitCount = 8;
                f.clrUsed = 257;
            }),
        Bad("a colour table of 2^32 - 1 entries", R::InvalidBitmap,
            [](BmpFile& f) {
                f.bitCount = 8;
                f.clrUsed = 0xFFFFFFFF;
            }),
        Bad("a width of 0", R::InvalidBitmap, [](BmpFile& f) { f.width = 0; }),
        Bad("a negative width", R::InvalidBitmap, [](BmpFile& f) { f.width = -2; }),
        Bad("a height of 0", R::InvalidBitmap, [](BmpFile& f) { f.height = 0; }),
        Bad("a height of -2^31", R::InvalidBitmap, [](BmpFile& f) { f.height = INT32_MIN; }),
        Bad("rows whose size times height overflows", R::InvalidBitmap,
            [](BmpFile& f) {
                f.width = INT32_MAX;
                f.height = INT32_MAX;
                f.bitCount = 32;
            }),
        Bad("more than 1 GiB of pixels", R::InvalidBitmap,
            [](BmpFile& f) {
                f.width = 20000;
                f.height = -20000;
                f.bitCount = 32;
            }),
        Bad("a top-down compressed picture", R::InvalidBitmap,
            [](BmpFile& f) {
                f.bitCount = 8;
                f.compression = 1;
                f.height = -2;
            }),
        Bad("RLE8 without its end", R::InvalidBitmap,
            [](BmpFile& f) {
                f.bitCount = 8;
                f.compression = 1;
                f.clrUsed = 1;
                f.colours = {0};
                f.pixels = {2, 0, 0, 0};
            }),
        Bad("RLE8 above the top row", R::InvalidBitmap,
            [](BmpFile& f) {
                f.bitCount = 8;
                f.compression = 1;
                f.clrUsed = 1;
                f.colours = {0};
                f.pixels = {0, 2, 0, 2, 1, 0, 0, 1};
            }),
        Bad("pixels cut short", R::ReadError, [](BmpFile& f) { f.pixels.resize(15); }),
        Bad("a colour table cut short", R::ReadError,
            [](BmpFile& f) {
                f.bitCount = 8;
                f.clrUsed = 200;
                f.colours = {0, 0};
                f.pixels.clear();
            }),
        Bad("masks cut short", R::ReadError,
            [](BmpFile& f) {
                f.bitCount = 16;
                f.compression = 3;
                f.pixels.clear();
            }),
    };
    // Headers that the builder cannot say.
    BmpFile plain;
    plain.pixels.assign(4, 0);
    Bytes bytes = plain.Build();
    Bytes huge = bytes;
    huge[14] = 0xF0, huge[15] = 0xFF, huge[16] = 0xFF, huge[17] = 0x7F;
    files[1].bytes = huge;
    Bytes small = bytes;
    small[14] = 20;
    files[2].bytes = small;
    files.push_back({"a file header cut short", Cut(bytes, 10), Refusal::ReadError});
    files.push_back({"no header size", Cut(bytes, 16), Refusal::InvalidBitmap});
    files.push_back({"an info header cut short", Cut(bytes, 14 + 30), Refusal::InvalidBitmap});
    Bytes os2 = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 1, 0, 1, 0, 1, 0, 3, 0, 0, 0, 0, 0};
    files.push_back({"an OS/2 header of 3 bits per pixel", os2, Refusal::InvalidBitmap});
    files.push_back({"an OS/2 header cut short", Cut(os2, 20), Refusal::InvalidBitmap});
    os2[24] = 8;
    files.push_back({"an OS/2 colour table cut short", os2, Refusal::ReadError});
    return files;
}

TEST(BmpFile, BadFilesAreRefusedAndTheBitmapKeepsItsImage) {
    for (const BadFile& bad : BadFiles()) {
        SCOPED_TRACE(bad.what);
        auto bitmap = Bitmap32({{0x0A0B0C, 0x0D0E0F}});
        const TBitmapImage* record = &bitmap->ImageRecord();
        try {
            Load(*bitmap, bad.bytes);
            ADD_FAILURE() << "loaded";
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(bad.refusal, Refusal::InvalidBitmap);
            EXPECT_STREQ(error.what(), "Image bitmap incorrecte");
        } catch (const EReadError& error) {
            EXPECT_EQ(bad.refusal, Refusal::ReadError);
            EXPECT_STREQ(error.what(), "Erreur de lecture du flux");
        }
        EXPECT_EQ(&bitmap->ImageRecord(), record);
        EXPECT_EQ(Pixels(*bitmap), (Rows{{0x0A0B0C, 0x0D0E0F}}));
    }
}

TEST(BmpFile, AStoredFileThatClaimsGigabytesIsRefusedForWhatItHolds) {
    // The length says 4 GiB; the compressed file that follows stops inside its top row.
    Bytes data;
    Put32(data, 0xFFFFFFF0);
    const Bytes file = Rle8File().Build();
    data.insert(data.end(), file.begin(), file.end() - 8);
    TBitmap bitmap;
    EXPECT_THROW(bitmap.ReadStoredData(*StreamOf(data)), EInvalidGraphic);
}

// A file of 1 bit per pixel whose rows are 33,554,461 pixels wide (4 MB each) and that
// holds only the first 68 bytes of its pixels. With 145 rows it is the 130-byte file that
// claims 608 MB of rows: within the bound of a picture's bytes.
Bytes WideOneBitFile(std::int32_t height) {
    BmpFile file;
    file.width = 33554461;
    file.height = height;
    file.bitCount = 1;
    file.colours = {0x000000, 0xFFFFFF};
    file.sizeImage = 68;
    file.pixels = Bytes(68, 0xA5);
    return file.Build();
}
constexpr std::int32_t kWideRowBytes = 4194308;

TEST(BmpFile, TheHundredAndThirtyByteFileOfHugeRowsIsTakenAsItSays) {
    const Bytes bytes = WideOneBitFile(145);
    ASSERT_EQ(bytes.size(), 130u);
    TBitmap bitmap;
    Load(bitmap, bytes);
    EXPECT_EQ(bitmap.Width(), 33554461);
    EXPECT_EQ(bitmap.Height(), 145);
    EXPECT_EQ(bitmap.PixelLayout(), pl1Bit);
    EXPECT_EQ(bitmap.ImageRecord().DIB().dsBmih.biSizeImage, std::uint32_t(kWideRowBytes) * 145);
}

// A change through a bitmap that shares the picture makes a private copy of its rows, byte
// for byte, whichever way they are stored, and no fill before it (a fill goes through the
// colour table pixel by pixel: minutes for the 145 rows of the file above); the first
// bitmap keeps the file's pixels.
TEST(BmpFile, AChangeThroughASharerOfWideRowsCopiesTheRows) {
    for (const std::int32_t height : {3, -3}) {
        SCOPED_TRACE(height > 0 ? "bottom-up" : "top-down");
        TBitmap bitmap;
        Load(bitmap, WideOneBitFile(height));
        TBitmap sharer;
        sharer.CopyFromObject(&bitmap);
        const std::int32_t first = height > 0 ? 2 : 0;  // the row the file's pixels begin
        std::uint8_t* row = sharer.RowPointer(first);
        Bytes expected(68, 0xA5);
        expected.resize(72, 0);
        EXPECT_EQ(Bytes(row, row + 72), expected);
        EXPECT_EQ(sharer.RowPointer(2 - first)[kWideRowBytes - 1], 0);
        EXPECT_EQ(sharer.PixelLayout(), pl1Bit);
        EXPECT_EQ(sharer.ImageRecord().DIB().dsBmih.biHeight, height);
        EXPECT_NE(&sharer.ImageRecord(), &bitmap.ImageRecord());
        row[0] = 0x5A;
        EXPECT_EQ(bitmap.RowPointer(first)[0], 0xA5);
    }
}

// Every picture that a bitmap makes is held to the bound of a picture's bytes, and refused
// at once when it would pass it; the bitmap keeps its picture.
TEST(BmpFile, APictureMadeFromTheHugeFileThatWouldPassTheBoundIsRefusedAtOnce) {
    struct Change {
        const char* what;
        void (*make)(TBitmap& bitmap);
    };
    const Change changes[] = {
        {"32 bits", [](TBitmap& bitmap) { bitmap.SetPixelLayout(pl32Bit); }},
        {"24 bits", [](TBitmap& bitmap) { bitmap.SetPixelLayout(pl24Bit); }},
        {"8 bits", [](TBitmap& bitmap) { bitmap.SetPixelLayout(pl8Bit); }},
        {"4 bits", [](TBitmap& bitmap) { bitmap.SetPixelLayout(pl4Bit); }},
        {"a device image", [](TBitmap& bitmap) { bitmap.SetStorageKind(skDevice); }},
        {"drawing on its canvas",
         [](TBitmap& bitmap) {
             bitmap.Canvas().FillRect({0, 0, 1, 1});
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        TBitmap bitmap;
        Load(bitmap, WideOneBitFile(145));
        const TBitmapImage* record = &bitmap.ImageRecord();
        try {
            change.make(bitmap);
            ADD_FAILURE() << "made";
        } catch (const EOutOfResources& error) {
            EXPECT_STREQ(error.what(), "Ressources système insuffisantes");
        }
        EXPECT_EQ(&bitmap.ImageRecord(), record);
        EXPECT_EQ(bitmap.PixelLayout(), pl1Bit);
    }
}

// The length before the file in the form property "Data" is stored least significant byte
// first, whatever the machine's order, for each kind of picture a bitmap writes.
TEST(BmpFile, TheStoredLengthIsLittleEndian) {
    struct Stored {
        const char* what;
        std::unique_ptr<TBitmap> bitmap;
    };
    std::vector<Stored> stored;
    stored.push_back({"an empty bitmap", std::make_unique<TBitmap>()});
    stored.push_back({"a DIB", Bitmap32({{0x123456, 0x654321}})});
    stored.push_back({"a kept compressed file", std::make_unique<TBitmap>()});
    Load(*stored.back().bitmap, Rle8File().Build());
    for (const Stored& each : stored) {
        SCOPED_TRACE(each.what);
        TMemoryStream data;
        each.bitmap->WriteStoredData(data);
        const Bytes bytes = BytesOf(data);
        ASSERT_GE(bytes.size(), 4u);
        const std::size_t length = bytes.size() - 4;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4),
                  (Bytes{std::uint8_t(length), std::uint8_t(length >> 8), std::uint8_t(length >> 16), 0}));
    }

    // Read back by that length: 58 bytes of a one-pixel file, then what follows in a form.
    Bytes data{58, 0, 0, 0};
    BmpFile onePixel;
    onePixel.pixels = {0x56, 0x34, 0x12, 0};
    const Bytes file = onePixel.Build();
    ASSERT_EQ(file.size(), 58u);
    data.insert(data.end(), file.begin(), file.end());
    data.insert(data.end(), {'t', 'a', 'i', 'l'});
    auto stream = StreamOf(data);
    TBitmap read;
    read.ReadStoredData(*stream);
    EXPECT_EQ(Pixels(read), (Rows{{0x123456}}));
    EXPECT_EQ(stream->Position(), 62);
}

}  // namespace
}  // namespace orvalis
