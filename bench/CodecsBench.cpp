#include "bench/CodecsBench.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "app/ImageLoading.h"
#include "bench/BenchData.h"
#include "codecs/JPEGImage.h"
#include "graphics/Bitmap.h"
#include "runtime/FileStream.h"

namespace orvalis::bench {

namespace {

void ExpectPicture(TBitmap& bitmap, const char* what, int width = kPictureWidth, int height = kPictureHeight) {
    if (bitmap.Width() != width || bitmap.Height() != height)
        throw std::runtime_error(std::string(what) + " did not give the whole picture");
}

// A JPEG view made ready to paint, as the viewer makes it: a file stream, a JPEG image
// loaded from it and copied into a bitmap (which decodes), and the device image that
// painting reads (the decoded DIB itself: a one-to-one paint converts its rows straight
// into the window, with no surface of the whole picture).
void JpegViewReadyToPaint(const std::filesystem::path& file, int width = kPictureWidth, int height = kPictureHeight) {
    TFileStream stream(String(file.string()), fmOpenRead | fmShareDenyWrite);
    TJPEGImage image;
    image.LoadStream(stream);
    TBitmap bitmap;
    bitmap.CopyFromObject(&image);
    ExpectPicture(bitmap, "the JPEG image", width, height);
    if (!bitmap.ImageRecord().DeviceHandle())
        throw std::runtime_error("the JPEG view has no device image to paint from");
}

// A PNG file opened as the viewer opens one: a new 32-bit working bitmap filled by LitPNG.
void PngIntoWorkingBitmap(const std::filesystem::path& file) {
    TBitmap working;
    working.SetPixelLayout(pl32Bit);
    LitPNG(String(file.string()), working);
    ExpectPicture(working, "LitPNG");
}

// A BMP file loaded through the viewer's loader into its working bitmap.
void BmpIntoWorkingBitmap(const std::filesystem::path& file) {
    TBitmap working;
    if (!LitBitmap(String(file.string()), working)) throw std::runtime_error("LitBitmap refused " + file.string());
    ExpectPicture(working, "LitBitmap");
}

// The least any loader does: the whole file read into memory (not zeroed first).
void ReadWholeFile(const std::filesystem::path& path) {
    const std::size_t size = std::filesystem::file_size(path);
    const std::unique_ptr<char[]> bytes(new char[size]);
    std::ifstream in(path, std::ios::binary);
    if (!in.read(bytes.get(), std::streamsize(size))) throw std::runtime_error("cannot read " + path.string());
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// What libpng alone does for the same file: every row into one buffer.
bool ReadPngRows(std::FILE* file, png_structp png, png_infop info, std::vector<png_byte>& pixels,
                 std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_read_update_info(png, info);
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = &pixels[y * rowBytes];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

void DecodeBarePng(const std::filesystem::path& path) {
    const FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) throw std::runtime_error("cannot open " + path.string());
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> pixels;
    std::vector<png_bytep> rows;
    const bool read = ReadPngRows(file.get(), png, info, pixels, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!read) throw std::runtime_error("libpng could not read " + path.string());
}

// A view of a hundred megapixels made ready to paint, view after view as in a series:
// each picture takes the pages of the one let go of before it.
void AddLargeJpegPairs(const std::filesystem::path& dataFolder, std::vector<BenchPair>& pairs) {
    const std::filesystem::path large = LargeJpeg(dataFolder);
    pairs.push_back(TimedPair(
        "JPEG 10000x10000 q90: view ready to paint / djpeg -dct float",
        [large] { JpegViewReadyToPaint(large, kLargeSide, kLargeSide); },
        Command({"djpeg", "-dct", "float", "-outfile", "/dev/null", large.string()}), 1.25));
}

}  // namespace

void AddCodecsPairs(const std::filesystem::path& dataFolder, std::vector<BenchPair>& pairs) {
    const std::filesystem::path jpeg = PhotoJpeg(dataFolder);
    pairs.push_back(TimedPair(
        "JPEG 4000x3000 q90: view ready to paint / djpeg -dct float", [jpeg] { JpegViewReadyToPaint(jpeg); },
        Command({"djpeg", "-dct", "float", "-outfile", "/dev/null", jpeg.string()}), 1.25));
    AddLargeJpegPairs(dataFolder, pairs);

    const std::filesystem::path rgbPng = PhotoRgbPng(dataFolder);
    pairs.push_back(TimedPair(
        "PNG 4000x3000 RGB: LitPNG into the working bitmap / libpng png_read_image",
        [rgbPng] { PngIntoWorkingBitmap(rgbPng); }, [rgbPng] { DecodeBarePng(rgbPng); }, 1.5));

    const std::filesystem::path palettePng = PalettePng(dataFolder);
    pairs.push_back(TimedPair(
        "PNG 4000x3000 200-colour palette: LitPNG / libpng png_read_image",
        [palettePng] { PngIntoWorkingBitmap(palettePng); }, [palettePng] { DecodeBarePng(palettePng); }, 1.5));

    const std::filesystem::path bmp = PhotoBmp(dataFolder);
    pairs.push_back(TimedPair(
        "BMP 4000x3000 24-bit: LitBitmap / the file read into memory", [bmp] { BmpIntoWorkingBitmap(bmp); },
        [bmp] { ReadWholeFile(bmp); }, 1.3));
}

}  // namespace orvalis::bench
