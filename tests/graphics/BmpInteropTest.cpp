// BMP files exchanged with a peer, ImageMagick's convert: every kind of file it writes
// (1, 4, 8, 24 and 32 bits, bit fields, OS/2 headers, RLE8) reads into a TBitmap with the
// pixels ImageMagick reports for the same file; RLE4 and top-down files made here read
// the same in both; and every layout a TBitmap writes reads back in ImageMagick with the
// bitmap's pixels. ImageMagick is a declared dependency (scripts/ensure-deps.sh): without
// it these tests fail and say so.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "BitmapTestSupport.h"
#include "graphics/Bitmap.h"
#include "tests/support/TemporaryFolder.h"

namespace orvalis {
namespace {

using test::Pixels;
using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<std::vector<std::uint32_t>>;

constexpr int kWidth = 7;  // odd, so that rows are padded
constexpr int kHeight = 5;

Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
    return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 | std::uint32_t(bytes.at(at + 3)) << 24;
}
std::uint16_t Get16(const Bytes& bytes, std::size_t at) { return std::uint16_t(bytes.at(at) | bytes.at(at + 1) << 8); }

// What a file's header says of its layout.
struct FileLayout {
    std::uint32_t headerSize;
    std::uint16_t bitCount;
    std::uint32_t compression;
    std::int32_t height;
};

FileLayout LayoutOf(const Bytes& file) {
    const std::uint32_t headerSize = Get32(file, 14);
    if (headerSize == 12) return {12, Get16(file, 24), 0, Get16(file, 20)};
    return {headerSize, Get16(file, 28), Get32(file, 30), std::int32_t(Get32(file, 22))};
}

// Pictures to give ImageMagick, as 0x00RRGGBB.
Rows FiveColours() {
    const std::uint32_t colours[5] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000};
    Rows rows(kHeight, std::vector<std::uint32_t>(kWidth));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) rows[y][x] = colours[(x + 2 * y) % 5];
    return rows;
}

Rows ManyColours() {
    Rows rows(kHeight, std::vector<std::uint32_t>(kWidth));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            rows[y][x] = std::uint32_t(x * 40) << 16 | std::uint32_t(y * 60) << 8 | (x + y) * 15;
    return rows;
}

Rows BlackAndWhite() {
    Rows rows(kHeight, std::vector<std::uint32_t>(kWidth));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) rows[y][x] = (x * y) % 3 == 0 ? 0xFFFFFF : 0;
    return rows;
}

class BmpInterop : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v convert > /dev/null 2>&1") != 0)
            FAIL() << "ImageMagick's convert is missing: it is a declared dependency of the tests "
                      "(install the package imagemagick, see scripts/ensure-deps.sh)";
    }

    std::filesystem::path Path(const std::string& name) const { return folder_ / name; }

    // A binary PPM of the picture, for ImageMagick to start from.
    std::filesystem::path Source(const Rows& rows, const std::string& name) {
        Bytes bytes;
        const std::string head =
            "P6\n" + std::to_string(rows[0].size()) + " " + std::to_string(rows.size()) + "\n255\n";
        bytes.assign(head.begin(), head.end());
        for (const auto& row : rows)
            for (std::uint32_t pixel : row) {
                bytes.push_back(std::uint8_t(pixel >> 16));
                bytes.push_back(std::uint8_t(pixel >> 8));
                bytes.push_back(std::uint8_t(pixel));
            }
        WriteAll(Path(name), bytes);
        return Path(name);
    }

    void Convert(const std::string& arguments) {
        const std::string command = "convert " + arguments + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    // The pixels ImageMagick reads from a file, top row first.
    Rows PixelsSeenByPeer(const std::filesystem::path& file, int width, int height) {
        const std::string command = "convert '" + file.string() + "' -depth 8 rgb:-";
        FILE* pipe = popen(command.c_str(), "r");
        EXPECT_NE(pipe, nullptr) << command;
        if (!pipe) return {};
        Bytes bytes;
        std::uint8_t chunk[4096];
        for (std::size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + got);
        EXPECT_EQ(pclose(pipe), 0) << command;
        EXPECT_EQ(bytes.size(), std::size_t(width) * height * 3) << command;
        if (bytes.size() != std::size_t(width) * height * 3) return {};
        Rows rows(height, std::vector<std::uint32_t>(width));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = &bytes[(std::size_t(y) * width + x) * 3];
                rows[y][x] = std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
            }
        return rows;
    }

    // Loads a file into a TBitmap and compares its pixels with ImageMagick's.
    void ExpectSamePixels(const std::filesystem::path& file) {
        TBitmap bitmap;
        bitmap.LoadFile(file.string());
        EXPECT_EQ(Pixels(bitmap), PixelsSeenByPeer(file, bitmap.Width(), bitmap.Height()));
    }

    test::TemporaryFolder folder_{"bmp-interop"};
};

TEST_F(BmpInterop, EveryKindOfFileThePeerWritesReadsWithItsPixels) {
    struct Case {
        const char* name;
        Rows (*picture)();
        const char* options;
        FileLayout expected;  // what the peer's file must be, so that the case tests what it says
    };
    const Case cases[] = {
        {"1-bit", BlackAndWhite, "-type bilevel BMP3:", {40, 1, 0, kHeight}},
        {"4-bit", FiveColours, "-type palette -compress None BMP3:", {40, 4, 0, kHeight}},
        {"8-bit", ManyColours, "-type palette -compress None BMP3:", {40, 8, 0, kHeight}},
        {"24-bit", ManyColours, "-type truecolor BMP3:", {40, 24, 0, kHeight}},
        {"32-bit", ManyColours, "-alpha set -define bmp3:alpha=true BMP3:", {40, 32, 0, kHeight}},
        {"16-bit 5-6-5 bit fields",
         ManyColours,
         "-type truecolor -define bmp:subtype=RGB565 BMP:",
         {124, 16, 3, kHeight}},
        {"16-bit 5-5-5 bit fields",
         ManyColours,
         "-type truecolor -define bmp:subtype=RGB555 BMP:",
         {124, 16, 3, kHeight}},
        {"32-bit bit fields", ManyColours, "-alpha set BMP:", {124, 32, 3, kHeight}},
        {"OS/2 4-bit", FiveColours, "-type palette BMP2:", {12, 4, 0, kHeight}},
        {"OS/2 8-bit", ManyColours, "-type palette BMP2:", {12, 8, 0, kHeight}},
        {"OS/2 24-bit", ManyColours, "-type truecolor BMP2:", {12, 24, 0, kHeight}},
        {"RLE8", ManyColours, "-type palette -compress RLE BMP3:", {40, 8, 1, kHeight}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto source = Source(c.picture(), "source.ppm");
        const auto file = Path("peer.bmp");
        Convert("'" + source.string() + "' " + c.options + "'" + file.string() + "'");
        const FileLayout layout = LayoutOf(ReadAll(file));
        EXPECT_EQ(layout.headerSize, c.expected.headerSize);
        EXPECT_EQ(layout.bitCount, c.expected.bitCount);
        EXPECT_EQ(layout.compression, c.expected.compression);
        ExpectSamePixels(file);
    }
}

TEST_F(BmpInterop, AnRle8FileLoadedAndSavedUnchangedIsTheSameFile) {
    const auto source = Source(ManyColours(), "source.ppm");
    const auto file = Path("rle8.bmp");
    Convert("'" + source.string() + "' -type palette -compress RLE BMP3:'" + file.string() + "'");
    TBitmap bitmap;
    bitmap.LoadFile(file.string());
    bitmap.SaveFile(Path("saved.bmp").string());
    EXPECT_EQ(ReadAll(Path("saved.bmp")), ReadAll(file));
}

// An RLE4 file of the five-colour picture: each row as runs of one or two pixels and an
// absolute run, so that encoded runs, absolute runs with padding and line ends all occur.
Bytes Rle4File(const Rows& rows) {
    std::vector<std::uint32_t> palette;
    auto index = [&](std::uint32_t colour) {
        for (std::size_t i = 0; i < palette.size(); ++i)
            if (palette[i] == colour) return std::uint8_t(i);
        palette.push_back(colour);
        return std::uint8_t(palette.size() - 1);
    };
    Bytes data;
    for (int y = kHeight - 1; y >= 0; --y) {
        const auto& row = rows[std::size_t(y)];
        // Two encoded runs of one pixel, then an absolute run of the other five.
        data.push_back(1);
        data.push_back(std::uint8_t(index(row[0]) << 4));
        data.push_back(1);
        data.push_back(std::uint8_t(index(row[1]) << 4));
        data.push_back(0);
        data.push_back(5);
        data.push_back(std::uint8_t(index(row[2]) << 4 | index(row[3])));
        data.push_back(std::uint8_t(index(row[4]) << 4 | index(row[5])));
        data.push_back(std::uint8_t(index(row[6]) << 4));
        data.push_back(0);  // to an even number of bytes
        data.push_back(0);
        data.push_back(0);  // end of line
    }
    data.push_back(0);
    data.push_back(1);

    Bytes file;
    auto put16 = [&](std::uint32_t v) {
        file.push_back(std::uint8_t(v));
        file.push_back(std::uint8_t(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const std::uint32_t start = 14 + 40 + 16 * 4;
    put16(0x4D42);
    put32(start + std::uint32_t(data.size()));
    put32(0);
    put32(start);
    put32(40);
    put32(kWidth);
    put32(kHeight);
    put16(1);
    put16(4);
    put32(2);  // BI_RLE4
    put32(std::uint32_t(data.size()));
    put32(0);
    put32(0);
    put32(16);
    put32(0);
    palette.resize(16, 0);
    for (std::uint32_t colour : palette) put32(colour);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

TEST_F(BmpInterop, RleFourAndTopDownFilesMadeHereReadTheSameInBoth) {
    const auto rle4 = Path("rle4.bmp");
    WriteAll(rle4, Rle4File(FiveColours()));
    ExpectSamePixels(rle4);
    TBitmap bitmap;
    bitmap.LoadFile(rle4.string());
    EXPECT_EQ(Pixels(bitmap), FiveColours());

    // A 24-bit file of the peer's, turned top-down: rows reversed, height negated.
    const auto source = Source(ManyColours(), "source.ppm");
    const auto bottomUp = Path("bottom-up.bmp");
    Convert("'" + source.string() + "' -type truecolor BMP3:'" + bottomUp.string() + "'");
    Bytes file = ReadAll(bottomUp);
    const std::size_t start = Get32(file, 10);
    const std::size_t stride = std::size_t(raster::RowStride(kWidth, 24));
    Bytes flipped(file.begin(), file.begin() + std::ptrdiff_t(start));
    for (int y = kHeight - 1; y >= 0; --y)
        flipped.insert(flipped.end(), file.begin() + std::ptrdiff_t(start + y * stride),
                       file.begin() + std::ptrdiff_t(start + (y + 1) * stride));
    const std::uint32_t height = std::uint32_t(-kHeight);
    for (int b = 0; b < 4; ++b) flipped[22 + b] = std::uint8_t(height >> (8 * b));
    const auto topDown = Path("top-down.bmp");
    WriteAll(topDown, flipped);
    ExpectSamePixels(topDown);
    bitmap.LoadFile(topDown.string());
    EXPECT_EQ(Pixels(bitmap), ManyColours());
}

TEST_F(BmpInterop, EveryLayoutTheBitmapWritesReadsInThePeerWithTheSamePixels) {
    struct Case {
        TPixelLayout layout;
        Rows (*picture)();
    };
    const Case cases[] = {
        {pl1Bit, BlackAndWhite}, {pl4Bit, FiveColours},  {pl8Bit, ManyColours},  {pl15Bit, ManyColours},
        {pl16Bit, ManyColours},  {pl24Bit, ManyColours}, {pl32Bit, ManyColours},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.layout));
        auto bitmap = test::Bitmap32(c.picture());
        bitmap->SetPixelLayout(c.layout);
        const auto file = Path("ours.bmp");
        bitmap->SaveFile(file.string());
        EXPECT_EQ(LayoutOf(ReadAll(file)).bitCount, bitmap->ImageRecord().DIB().dsBmih.biBitCount);
        EXPECT_EQ(PixelsSeenByPeer(file, kWidth, kHeight), Pixels(*bitmap));
    }

    // An OS/2 file read and written back is read by the peer as it was.
    const auto source = Source(FiveColours(), "source.ppm");
    const auto os2 = Path("os2.bmp");
    Convert("'" + source.string() + "' -type palette BMP2:'" + os2.string() + "'");
    TBitmap bitmap;
    bitmap.LoadFile(os2.string());
    bitmap.RowPointer(0);  // a change: the file is written from the bitmap, not kept
    bitmap.SaveFile(Path("os2-saved.bmp").string());
    EXPECT_EQ(LayoutOf(ReadAll(Path("os2-saved.bmp"))).headerSize, 12u);
    EXPECT_EQ(PixelsSeenByPeer(Path("os2-saved.bmp"), kWidth, kHeight), FiveColours());
}

}  // namespace
}  // namespace orvalis
